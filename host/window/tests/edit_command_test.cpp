// "velor2005 edit" run as a process, as a user runs it: the screenshot of the
// main window (offscreen, or from the X server when the tests run under
// xvfb-run with RIGEL_TEST_PLATFORM=xcb), the input refused before any
// window, and the batch commands without a display.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/wl/testing/gui_test.h"
#include "testsupport/host_process.h"

namespace fs = std::filesystem;
using test_support::RunHostProcess;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

// The platform the window mode runs on in this test run.
std::string Platform() { return QGuiApplication::platformName().toStdString(); }

// The environment of a run with a display (the test's own).
std::vector<std::string> DisplayEnv() {
    std::vector<std::string> env = {"QT_QPA_PLATFORM=" + Platform(),
                                    "LSAN_OPTIONS=suppressions=" RIGEL_LSAN_SUPPRESSIONS ":print_suppressions=0"};
    if (const char* d = std::getenv("DISPLAY")) env.push_back(std::string("DISPLAY=") + d);
    if (const char* x = std::getenv("XAUTHORITY")) env.push_back(std::string("XAUTHORITY=") + x);
    return env;
}

const std::vector<std::string> kNoDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};

class EditCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(RIGEL_TEST_TMP) /
              ("edit_cmd_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        example = ReadAll(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    std::string example;
};

}  // namespace

// The screenshot of the main window: exit 0, a PNG of the window with the
// input dialog's tab row and grid in the left area; the file unchanged.
TEST_F(EditCommand, ScreenshotOfTheMainWindow) {
    const fs::path file = dir / "Einfeldtraeger.vkx";
    WriteAll(file, example);
    const fs::path png = wl::guitest::ScreenshotFolder() / ("host_edit_command_" + Platform() + ".png");
    fs::create_directories(png.parent_path());
    fs::remove(png);
    const auto r = RunHostProcess({"edit", file.string(), "--screenshot", png.string()}, DisplayEnv());
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Bildschirmfoto: " + png.string()), std::string::npos) << r.out;
    QImage img(QString::fromStdString(png.string()));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.width(), 1400);
    EXPECT_EQ(img.height(), 850);
    // The left area (the input dialog) below the menu: the tab row's texts
    // and the grid are ink on the dialog's background.
    const QRgb background = img.pixel(20, img.height() - 40);
    const QRect tabRow(0, 20, 760, 60);
    const QRect grid(0, 80, 760, 200);
    EXPECT_GT(wl::guitest::CountInk(img, tabRow, background), 200);
    EXPECT_GT(wl::guitest::CountInk(img, grid, background), 1000);
    // The preview on the right shows the member in its XZ view: the band's
    // colour.
    const QRgb band = qRgb(0x4B, 0x83, 0xA2);
    EXPECT_GT(wl::guitest::CountPixels(img, QRect(780, 20, 620, 800),
                                       [&](QRgb c) { return wl::guitest::Near(c, band, 8); }),
              100);
    EXPECT_EQ(ReadAll(file), example);
}

// Refused before any window: exit 2, the cause named, the file as it was.
TEST_F(EditCommand, BadInputIsRefusedBeforeAnyWindow) {
    std::string foreign = example;
    foreign.replace(foreign.find("progname=\"RIGEL\""), 16, "progname=\"FREMD\"");
    struct Case {
        const char* what;
        const char* name;
        std::string bytes;  // empty: no file
        std::vector<std::string> env;
        std::string said;
    } cases[] = {
        {"missing", "fehlt.vkx", "", DisplayEnv(), "wurde nicht gefunden"},
        {"damaged", "kaputt.vkx", "<root progname=\"RIGEL\"><input><unclosed></root", DisplayEnv(),
         "ist beschädigt oder kann nicht gelesen werden"},
        {"foreign XML", "fremd.vkx", "<?xml version=\"1.0\"?>\n<html><body>Rechnung</body></html>\n", DisplayEnv(),
         "ist keine Position"},
        {"unknown program", "unbekannt.vkx", foreign, DisplayEnv(), "Unbekannte Programm-Kennung FREMD/"},
        {"no display", "pos.vkx", example, kNoDisplay,
         "Fehler: Für 'edit' wird eine grafische Oberfläche gebraucht"},
        // An X server that is not there: said, never the toolkit's abort.
        {"unreachable display", "pos.vkx", example, {"DISPLAY=:957", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="},
         "Fehler: Für 'edit' wird eine grafische Oberfläche gebraucht, es ist aber keine erreichbar (der X-Server "
         "von DISPLAY=:957 ist nicht erreichbar)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path file = dir / c.name;
        if (!c.bytes.empty()) WriteAll(file, c.bytes);
        const fs::path png = dir / "bild.png";
        const auto r = RunHostProcess({"edit", file.string(), "--screenshot", png.string()}, c.env);
        EXPECT_EQ(r.code, 2) << r.out;
        EXPECT_NE(r.out.find(c.said), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Bildschirmfoto"), std::string::npos) << r.out;
        EXPECT_FALSE(fs::exists(png));
        if (!c.bytes.empty()) EXPECT_EQ(ReadAll(file), c.bytes);
    }
}

// The batch commands need no display; the help names the window mode.
TEST_F(EditCommand, BatchCommandsNeedNoDisplayAndHelpNamesEdit) {
    const fs::path file = dir / "neu.vkx";
    const auto made = RunHostProcess({"new", file.string(), "rigel"}, kNoDisplay);
    EXPECT_EQ(made.code, 0) << made.out;
    EXPECT_TRUE(fs::exists(file));
    const auto help = RunHostProcess({"--help"}, kNoDisplay);
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("velor2005 edit <position.vkx> [--screenshot <bild.png>]"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("QT_QPA_PLATFORM=offscreen"), std::string::npos);
    // A wrong form of the command is a usage error.
    const auto wrong = RunHostProcess({"edit", file.string(), "--bild", "x.png"}, kNoDisplay);
    EXPECT_EQ(wrong.code, 2);
    EXPECT_NE(wrong.out.find("unbekannter Aufruf"), std::string::npos);
}
