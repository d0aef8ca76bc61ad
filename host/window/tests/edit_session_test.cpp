// The window mode in the test process: the main window over a copy of the
// example position with the module's dialogs, driven as a user drives it
// (keys, clicks, the menu), its questions answered through the window
// layer's message boxes, its save and its close.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <QTimer>
#include <QTreeWidget>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/Host.h"
#include "host/HostCommand.h"
#include "host/Module.h"
#include "host/window/EditMode.h"
#include "host/window/EditWindow.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/message_sink.h"
#include "platform/wl/testing/gui_test.h"
#include "platform/zevud/zevud.h"
#include "testsupport/host_process.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

// The largest deflection (mm) of a simply supported beam of span L (mm)
// under a uniform load q (N/mm) over its first a (mm), bending stiffness EI
// (N mm^2): the elastic line by double integration, sampled every step mm.
double MaxDeflectionOfAPartlyLoadedSpan(double q, double L, double a, double EI, int step) {
    const double A = q * a * (L - a / 2) / L;
    const double C = (A * L * L * L / 6 - q * std::pow(L, 4) / 24 + q * std::pow(L - a, 4) / 24) / L;
    double w = 0.0;
    for (int i = 0; i <= static_cast<int>(L); i += step) {
        const double x = i;
        w = std::max(w, (-A * x * x * x / 6 + q * std::pow(x, 4) / 24 - q * std::pow(std::max(x - a, 0.0), 4) / 24 +
                         C * x) / EI);
    }
    return w;
}

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The design code of the position as the file holds it ("norm" of the
// information block).
std::string DesignCode(const fs::path& file) {
    ZVDOC d = ZEVUD_OpenDocQuiet(file.string().c_str());
    if (!d) return "(no document)";
    ZVELEM e = ZEVUD_GetRootElement(d);
    e = e ? ZEVUD_FindFirstChild(e, "info") : 0;
    std::string v = e ? zevud::GetString(e, "norm") : "(no info)";
    ZEVUD_CloseDoc(d);
    return v;
}

// "velor2005 calc" on a position as a process without a display; the
// report beside it as text.
std::string CalculateAndReadReport(const fs::path& file) {
    const auto r = test_support::RunHostProcess({"calc", file.string()},
                                                {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
    EXPECT_EQ(r.code, 0) << r.out;
    fs::path report = file;
    report.replace_extension(".rtf");
    EXPECT_TRUE(fs::exists(report)) << r.out;
    return ReadAll(report);
}

// An attribute of the position's first span as the file holds it.
std::string SpanLength(const fs::path& file) {
    ZVDOC d = ZEVUD_OpenDocQuiet(file.string().c_str());
    if (!d) return "(no document)";
    ZVELEM e = ZEVUD_GetRootElement(d);
    for (const char* name : {"input", "system", "field_1"}) e = e ? ZEVUD_FindFirstChild(e, name) : 0;
    std::string v = e ? zevud::GetString(e, "length") : "(no span)";
    ZEVUD_CloseDoc(d);
    return v;
}

// The visible widgets of a kind below a widget.
template <class W>
std::vector<W*> Visible(QWidget* root) {
    std::vector<W*> out;
    for (W* w : root->findChildren<W*>())
        if (w->isVisible()) out.push_back(w);
    return out;
}

QPushButton* ButtonWithText(QWidget* root, const QString& text) {
    for (QPushButton* b : Visible<QPushButton>(root))
        if (b->text().remove('&') == text) return b;
    return nullptr;
}

// Answers the next message box: remembers what it showed and clicks the
// button with the given text.
struct BoxAnswer {
    explicit BoxAnswer(const QString& b) : button(b) {}
    QString button, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    bool seen = false;
};

void AnswerNextBox(BoxAnswer& answer) {
    QTimer::singleShot(50, [&answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            AnswerNextBox(answer);  // not open yet
            return;
        }
        answer.seen = true;
        answer.text = box->text();
        answer.icon = box->icon();
        for (QAbstractButton* b : box->buttons()) answer.buttons << b->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == answer.button) {
                b->click();
                return;
            }
        box->reject();
    });
}

class EditSession : public ::testing::Test {
protected:
    void SetUp() override {
        winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005");
        dir = fs::path(RIGEL_TEST_TMP) /
              ("edit_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
               std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "Einfeldtraeger.vkx";
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Einfeldtraeger.vkx", file);
        std::ostringstream err;
        ASSERT_TRUE(module.Load(err, false)) << err.str();
    }
    void TearDown() override {
        session.reset();
        module.Teardown();
        ::chmod(file.c_str(), 0644);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void Open() {
        std::ostringstream err;
        const ZVDOC doc = host::OpenPositionDocument(file, err);
        ASSERT_NE(doc, 0u) << err.str();
        session = std::make_unique<host::EditSession>(module, doc, file);
        ASSERT_TRUE(session->Open(err)) << err.str();
        session->MainWindow()->show();
        Settle();
    }
    QTabBar* Tabs() {
        auto bars = Visible<QTabBar>(session->InputArea());
        return bars.empty() ? nullptr : bars.front();
    }
    void ChooseTab(const QString& text) {
        QTabBar* bar = Tabs();
        ASSERT_NE(bar, nullptr);
        for (int i = 0; i < bar->count(); ++i)
            if (bar->tabText(i) == text) {
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
                Settle();
                return;
            }
        FAIL() << "no tab " << text.toStdString();
    }
    // Span 1 of the system grid typed as the user types it: to the first
    // cell, one row down to the first span, one column right to its length,
    // the text, Enter.
    void TypeSpanLength(const std::string& text) {
        ChooseTab("System");
        auto grids = Visible<QAbstractScrollArea>(session->InputArea());
        ASSERT_FALSE(grids.empty());
        QWidget* grid = grids.front();
        // After a message box the main window is the active one again.
        session->MainWindow()->activateWindow();
        QApplication::setActiveWindow(session->MainWindow());
        Settle();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Right);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, QString::fromStdString(text));
        editor = QApplication::focusWidget();
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_Return);
        Settle();
    }
    QAction* MenuAction(const QString& text) {
        for (QAction* menu : session->MainWindow()->menuBar()->actions())
            if (menu->menu())
                for (QAction* a : menu->menu()->actions())
                    if (a->text() == text) return a;
        return nullptr;
    }

    fs::path dir, file;
    host::Module module;
    std::unique_ptr<host::EditSession> session;
};

}  // namespace

// The main window: title, menu, splitter with the input dialog filling its
// area on the tab "System"; a screenshot looked at.
TEST_F(EditSession, MainWindowHoldsTheInputDialogInItsArea) {
    Open();
    QMainWindow* w = session->MainWindow();
    EXPECT_EQ(w->windowTitle(), "Einfeldtraeger.vkx[*] - velor2005");
    EXPECT_FALSE(w->isWindowModified());
    ASSERT_EQ(w->menuBar()->actions().size(), 2);
    EXPECT_EQ(w->menuBar()->actions()[0]->text(), "Datei");
    EXPECT_EQ(w->menuBar()->actions()[1]->text(), "Extras");
    ASSERT_NE(MenuAction("Speichern"), nullptr);
    EXPECT_EQ(MenuAction("Speichern")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    ASSERT_NE(MenuAction("Beenden"), nullptr);
    ASSERT_EQ(session->Splitter()->count(), 2);
    EXPECT_EQ(session->Splitter()->widget(0), session->InputArea());
    EXPECT_EQ(session->Splitter()->widget(1), session->PreviewArea());
    EXPECT_NE(session->InputDialog(), 0);
    EXPECT_NE(session->PreviewDialog(), 0);
    EXPECT_EQ(wl::GetMainWindow(), &session->Frame());

    // The dialog fills the host area, and follows it.
    auto fills = [&] {
        for (QWidget* child : session->InputArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisible()) return child->geometry() == session->InputArea()->rect();
        return false;
    };
    EXPECT_TRUE(fills());
    w->resize(1200, 760);
    Settle();
    EXPECT_TRUE(fills());
    ASSERT_NE(Tabs(), nullptr);
    EXPECT_EQ(Tabs()->tabText(Tabs()->currentIndex()), "System");

    // The window as the screen shows it (on an X server the server's
    // picture of it).
    const QImage img = session->Screenshot();
    ASSERT_FALSE(img.isNull());
    const fs::path png = wl::guitest::ScreenshotFolder() /
                         ("host_edit_main_window_" + QGuiApplication::platformName().toStdString() + ".png");
    fs::create_directories(png.parent_path());
    EXPECT_TRUE(img.save(QString::fromStdString(png.string()), "PNG"));
    // The input dialog's grid shows ink in the host area.
    const QRect area = wl::guitest::RectIn(session->InputArea(), w);
    EXPECT_GT(wl::guitest::CountInk(img, area, img.pixel(area.right() - 2, area.bottom() - 2)), 500);
    // The preview shows the member in its XZ view: the band's colour.
    const QRgb band = qRgb(0x4B, 0x83, 0xA2);
    EXPECT_GT(wl::guitest::CountPixels(img, wl::guitest::RectIn(session->PreviewArea(), w),
                                       [&](QRgb c) { return wl::guitest::Near(c, band, 8); }),
              100);
}

// Span 1 typed in the grid, "Speichern": the file holds it; an unchanged
// window closes without a question.
TEST_F(EditSession, SaveWritesTheEditAndAnUnchangedCloseAsksNothing) {
    winsys::ScopedRecordingSink sink;
    Open();
    EXPECT_EQ(SpanLength(file), "6");
    TypeSpanLength("6.5");
    EXPECT_TRUE(session->CheckModified());
    EXPECT_TRUE(session->MainWindow()->isWindowModified());
    MenuAction("Speichern")->trigger();
    EXPECT_EQ(SpanLength(file), "6.5");
    EXPECT_FALSE(session->MainWindow()->isWindowModified());
    EXPECT_TRUE(session->Close());
    EXPECT_TRUE(sink.messages.empty()) << sink.messages.front().text;
    EXPECT_FALSE(session->MainWindow()->isVisible());
}

// After a change the close question: "Abbrechen" keeps the window, "Nein"
// leaves the file byte for byte, "Ja" saves.
TEST_F(EditSession, CloseAfterAChangeAsks) {
    winsys::ScopedRecordingSink sink;
    const std::string before = ReadAll(file);
    Open();
    TypeSpanLength("7.25");
    struct Case {
        int answer;
        bool closes;
    } cases[] = {{winsys::IdCancel, false}, {winsys::IdNo, true}};
    for (const Case& c : cases) {
        sink.Clear();
        sink.scriptedAnswers = {c.answer};
        EXPECT_EQ(session->Close(), c.closes) << c.answer;
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text, "Sollen die Änderungen an 'Einfeldtraeger.vkx' gespeichert werden?");
        EXPECT_EQ(sink.messages[0].buttons, winsys::Buttons::YesNoCancel);
        EXPECT_EQ(session->MainWindow()->isVisible(), !c.closes);
        EXPECT_EQ(ReadAll(file), before);
    }
    // Open again, change, "Ja".
    session.reset();
    Open();
    TypeSpanLength("7.25");
    sink.Clear();
    sink.scriptedAnswers = {winsys::IdYes};
    EXPECT_TRUE(session->Close());
    EXPECT_EQ(SpanLength(file), "7.25");
}

// A read-only file opens; "Speichern" names the file and changes nothing.
TEST_F(EditSession, ReadOnlyFileOpensAndSaveSaysWhy) {
    winsys::ScopedRecordingSink sink;
    const std::string before = ReadAll(file);
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    Open();
    TypeSpanLength("8");
    EXPECT_TRUE(session->CheckModified());
    EXPECT_FALSE(session->Save());
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_NE(sink.messages.back().text.find(file.string()), std::string::npos) << sink.messages.back().text;
    EXPECT_EQ(sink.messages.back().icon, winsys::Icon::Error);
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_TRUE(session->MainWindow()->isWindowModified());
    session->Discard();
    EXPECT_EQ(ReadAll(file), before);
}

namespace {

// The top-level item texts of the visible trees below a widget, one list
// per tree.
std::vector<QStringList> TreeFolders(QWidget* root) {
    std::vector<QStringList> out;
    for (QTreeWidget* tree : Visible<QTreeWidget>(root)) {
        QStringList items;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) items << tree->topLevelItem(i)->text(0);
        out.push_back(items);
    }
    return out;
}

}  // namespace

// "Ergebnisse" calculates and lists the result folders, and the file stays
// as it was; "Speichern" then keeps the result in the document and writes
// the report beside the position, which the preview's report tab prints
// through the print service of the window mode.
TEST_F(EditSession, ResultsThenSaveWritesTheReportThatPrints) {
    winsys::ScopedRecordingSink sink;
    wl::guitest::ScriptedUi ui;
    host::WindowServices services;
    const std::string before = ReadAll(file);
    const fs::path report = dir / "Einfeldtraeger.rtf";
    Open();
    ChooseTab("Ergebnisse");
    wl::guitest::GrabToPng(session->MainWindow(), "host_edit_results");
    // The results page: both limit states' folders.
    bool listed = false;
    for (const QStringList& folders : TreeFolders(session->InputArea()))
        listed = listed || (folders.contains("Tragsicherheit") && folders.contains("Gebrauchstauglichkeit"));
    EXPECT_TRUE(listed);
    EXPECT_TRUE(ReadAll(file) == before) << "the file changed";
    EXPECT_FALSE(fs::exists(report));

    ASSERT_TRUE(session->Save());
    EXPECT_TRUE(fs::exists(report));
    EXPECT_FALSE(session->CheckModified());
    ZVDOC d = ZEVUD_OpenDocQuiet(file.string().c_str());
    ASSERT_NE(d, 0u);
    const ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "result");
    EXPECT_NE(result, 0u);
    if (result) {
        EXPECT_EQ(ZEVUD_GetInt(result, "abbruch"), 0);
    }
    ZEVUD_CloseDoc(d);

    // The report tab of the preview and its "drucken": the print dialog.
    auto bars = Visible<QTabBar>(session->PreviewArea());
    ASSERT_FALSE(bars.empty());
    QTabBar* previewTabs = bars.front();
    int reportTab = -1;
    for (int i = 0; i < previewTabs->count(); ++i)
        if (previewTabs->tabText(i) == "Vorschau Ausgabe") reportTab = i;
    ASSERT_GE(reportTab, 0);
    QTest::mouseClick(previewTabs, Qt::LeftButton, {}, previewTabs->tabRect(reportTab).center());
    Settle();
    // The print button (control 11052, a picture without text) lies
    // within the preview's area.
    QAbstractButton* print = nullptr;
    for (QAbstractButton* b : Visible<QAbstractButton>(session->PreviewArea()))
        if (b->property("wl_id").toInt() == 11052) print = b;
    ASSERT_NE(print, nullptr);
    const QRect area = wl::guitest::RectIn(session->PreviewArea(), session->MainWindow());
    EXPECT_TRUE(area.contains(wl::guitest::RectIn(print, session->MainWindow()))) << area.right();
    wl::guitest::GrabToPng(session->MainWindow(), "host_edit_report_tab");
    print->click();
    Settle();
    EXPECT_EQ(ui.printDialogs, 1);
    for (const auto& m : sink.messages) ADD_FAILURE() << m.text;
}

// Input changed after "Ergebnisse": "Speichern" calculates again, so the
// saved results and the report belong to the saved input. The span becomes
// 6.5 m; the loads g + q = 3 + 4 kN/m keep their length of 6 m from the
// left support. Beam theory (Macaulay) for the simply supported IPE 300
// (Iy = 8356.1 cm^4, E = 210000 N/mm^2): reaction A = q a (L - a/2) / L,
// EI w(x) = -A x^3/6 + q x^4/24 - q <x - a>^4/24 + C x with w(L) = 0; the
// largest deflection against L/300 is the serviceability utilisation
// (0.422; the 6 m span had 0.337).
TEST_F(EditSession, SaveAfterAChangeCalculatesTheResultsAgain) {
    winsys::ScopedRecordingSink sink;
    Open();
    ChooseTab("Ergebnisse");
    TypeSpanLength("6.5");
    ASSERT_TRUE(session->Save());
    EXPECT_TRUE(fs::exists(dir / "Einfeldtraeger.rtf"));
    ZVDOC d = ZEVUD_OpenDocQuiet(file.string().c_str());
    ASSERT_NE(d, 0u);
    const ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "result");
    ASSERT_NE(result, 0u);
    const double q = 7.0, L = 6500.0, a = 6000.0, EI = 210000.0 * 8356.1e4;  // N/mm, mm, N mm^2
    const double w = MaxDeflectionOfAPartlyLoadedSpan(q, L, a, EI, 1);
    EXPECT_NEAR(ZEVUD_GetDouble(result, "dMaxAusGebr"), w / (L / 300.0), 0.002);
    ZEVUD_CloseDoc(d);
    EXPECT_EQ(SpanLength(file), "6.5");
}

// A calculation from the dialog does not save: after a change and
// "Ergebnisse", "Nein" at the close leaves the file byte for byte.
TEST_F(EditSession, CalculationInTheDialogLeavesTheFileToTheUser) {
    winsys::ScopedRecordingSink sink;
    const std::string before = ReadAll(file);
    Open();
    TypeSpanLength("6.75");
    ChooseTab("Ergebnisse");
    EXPECT_TRUE(ReadAll(file) == before) << "the file changed";
    sink.scriptedAnswers = {winsys::IdNo};
    EXPECT_TRUE(session->Close());
    EXPECT_TRUE(ReadAll(file) == before) << "the file changed";
}

// With the window layer's message boxes: the close question answered "Nein"
// by a timer; the load-case error of "Einwirkungen" with the stop icon.
TEST_F(EditSession, MessagesAreRealDialogs) {
    WriteAll(file, [&] {
        std::string s = ReadAll(file);
        const std::string from = "<load_0 lc=\"1\" LCGen=\"1\"";
        s.replace(s.find(from), from.size(), "<load_0 lc=\"\" LCGen=\"\"");
        return s;
    }());
    const std::string before = ReadAll(file);
    wl::QtMessageSink dialogs;
    winsys::MessageSink* previous = winsys::SetMessageSink(&dialogs);
    Open();

    ChooseTab("Lasten");
    QPushButton* einwirkungen = ButtonWithText(session->InputArea(), "Einwirkungen");
    ASSERT_NE(einwirkungen, nullptr);
    BoxAnswer error("OK");
    AnswerNextBox(error);
    einwirkungen->click();
    EXPECT_TRUE(error.seen);
    EXPECT_EQ(error.text, "Fehler! In der Lasteingabe fehlt die Lastfallnummer.");
    EXPECT_EQ(error.icon, QMessageBox::Critical);
    EXPECT_EQ(error.buttons, QStringList{"OK"});

    TypeSpanLength("5.5");
    BoxAnswer question("Nein");
    AnswerNextBox(question);
    EXPECT_TRUE(session->Close());
    EXPECT_TRUE(question.seen);
    EXPECT_EQ(question.icon, QMessageBox::Question);
    question.buttons.sort();  // in the order of the style's button layout
    EXPECT_EQ(question.buttons, (QStringList{"Abbrechen", "Ja", "Nein"}));
    EXPECT_FALSE(session->MainWindow()->isVisible());
    EXPECT_EQ(ReadAll(file), before);
    winsys::SetMessageSink(previous);
}

// Command 40055 of the crane output page reaches the main window and is
// answered with one message; the module's tip routine shows a tip file of
// the installation in the status bar.
TEST_F(EditSession, OutputSettingsCommandAndTips) {
    winsys::ScopedRecordingSink sink;
    Open();
    wl::GetMainWindow()->SendCommand(host::kCmdOutputSettings);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, host::kNoOutputSettingsText);

    const fs::path tip = winsys::InstallRoot() / "host_test_tip.rtf";
    WriteAll(tip, "{\\rtf1\\ansi Ziehen Sie das Lager mit der Maus.\\par}");
    host::ShowRtfTip("host_test_tip.rtf");
    EXPECT_EQ(session->TipText(), "Ziehen Sie das Lager mit der Maus.");
    fs::remove(tip);
    // Files that are not there, or not of the installation, show nothing.
    for (const char* name : {"common_fehlt.rtf", "../Einfeldtraeger.vkx", "/etc/passwd", ""}) {
        session->MainWindow()->statusBar()->clearMessage();
        host::ShowRtfTip(name);
        EXPECT_EQ(session->TipText(), "") << name;
    }
}

// Window values travel as the window layer's handles: the module takes
// only windows of this process; a value that names none gets the
// windowless dialog, and commands on a stale dialog value do nothing.
TEST_F(EditSession, WindowValuesAreHandlesOfLiveWindows) {
    Open();
    auto send = [&](const char* action, std::vector<std::pair<const char*, int64_t>> params) {
        host::HostCommand cmd(action, false);
        for (auto& [type, value] : params) cmd.AddParam(type, value);
        return module.Send(cmd);
    };
    const int children = session->InputArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size();
    // A pointer-like value that is no window handle: no window is made.
    const int64_t foreign = reinterpret_cast<int64_t>(session->InputArea());
    const int64_t windowless = send("CreateInputDlg", {{"CWnd*", foreign}});
    EXPECT_NE(windowless, 0);
    EXPECT_EQ(session->InputArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), children);
    // "CreateEmptyDoc" on a value that is no dialog of the module answers 0.
    EXPECT_EQ(send("CreateEmptyDoc", {{"CWnd*", foreign}}), 0);
    EXPECT_EQ(send("CreateEmptyDoc", {{"CWnd*", 12345}}), 0);
    // "GetData" through a stale value leaves the document as it is.
    const zevud::Fingerprint fp = zevud::FingerPrint(ZEVUD_GetRootElement(session->Document()));
    EXPECT_EQ(send("GetData", {{"CWnd*", foreign}, {"int", session->Document()}}), 1);
    EXPECT_TRUE(zevud::FingerPrint(ZEVUD_GetRootElement(session->Document())) == fp);
    // The host area's handle makes a real dialog in it.
    const int64_t real = send("CreateInputDlg", {{"CWnd*", static_cast<int64_t>(session->Frame().GetSafeHwnd())}});
    EXPECT_NE(real, 0);
    Settle();
    EXPECT_GT(session->MainWindow()->findChildren<QTabBar*>().size(), 1);
}

// The crane example as a user works it: the player steps the cranes along
// the sketch, the output page's "Einstellungen" gets the host's one answer,
// "Ergebnisse" runs the crane calculation, and the saved position holds its
// results.
TEST_F(EditSession, CraneExampleStepsCalculatesAndSaves) {
    winsys::ScopedRecordingSink sink;
    file = dir / "Kranbahntraeger.vkx";
    fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / "Kranbahntraeger.vkx", file);
    Open();
    QMainWindow* w = session->MainWindow();
    const QRect sketch = wl::guitest::RectIn(session->PreviewArea(), w);

    ChooseTab("Lasten");
    QPushButton* stop = ButtonWithText(session->InputArea(), "[1]");
    QPushButton* next = ButtonWithText(session->InputArea(), ">>");
    ASSERT_NE(stop, nullptr);
    ASSERT_NE(next, nullptr);
    const QImage at0 = wl::guitest::GrabToPng(w, "host_edit_crane_position_0");
    next->click();
    Settle();
    EXPECT_EQ(stop->text(), "[2]");
    const QImage at1 = wl::guitest::GrabToPng(w, "host_edit_crane_position_1");
    ASSERT_EQ(at0.size(), at1.size());
    int moved = 0;
    for (int y = sketch.top(); y <= sketch.bottom(); ++y)
        for (int x = sketch.left(); x <= sketch.right(); ++x) moved += at0.pixel(x, y) != at1.pixel(x, y);
    EXPECT_GT(moved, 50);

    ChooseTab("Ausgabe");
    QPushButton* settings = ButtonWithText(session->InputArea(), "Einstellungen");
    ASSERT_NE(settings, nullptr);
    settings->click();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, host::kNoOutputSettingsText);

    ChooseTab("Ergebnisse");
    wl::guitest::GrabToPng(w, "host_edit_crane_results");
    auto trees = Visible<QTreeWidget>(session->InputArea());
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_GT(trees.front()->topLevelItemCount(), 0);
    ASSERT_TRUE(session->Save());

    ZVDOC d = ZEVUD_OpenDocQuiet(file.string().c_str());
    ASSERT_NE(d, 0u);
    const ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "result");
    ASSERT_NE(result, 0u);
    const std::string message = zevud::GetString(result, "message");
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message.find("abgebrochen"), std::string::npos) << message;
    for (int c = 0; c < 5; ++c)
        EXPECT_NE(ZEVUD_FindFirstChild(result, ("check_" + std::to_string(c)).c_str()), 0u) << c;
    ZEVUD_CloseDoc(d);
}

// "DIN 18800" chosen on "Steuerwerte" and saved: the batch calculation of
// the saved file designs after DIN 18800, where the example as delivered is
// designed after the Eurocode with the German annex.
TEST_F(EditSession, DesignCodeChosenOnTheControlPageReachesTheCalculation) {
    const std::string eurocode = "Ergebnisse Tragsicherheit (DIN EN 1993-1-1/NA:2010-12)";
    const std::string din = "Ergebnisse Tragsicherheit (DIN 18800)";
    const fs::path untouched = dir / "vorher" / "Einfeldtraeger.vkx";
    fs::create_directories(untouched.parent_path());
    fs::copy_file(file, untouched);
    ASSERT_EQ(DesignCode(untouched), "31");
    const std::string before = CalculateAndReadReport(untouched);
    EXPECT_NE(before.find(eurocode), std::string::npos);
    EXPECT_EQ(before.find(din), std::string::npos);

    winsys::ScopedRecordingSink sink;
    Open();
    ChooseTab("Steuerwerte");
    // Two groups name DIN 18800: the design code on top, the combination
    // rules below it.
    std::vector<QRadioButton*> named;
    for (QRadioButton* b : Visible<QRadioButton>(session->InputArea()))
        if (b->text().remove('&') == "DIN 18800") named.push_back(b);
    ASSERT_EQ(named.size(), 2u);
    auto top = [](QRadioButton* b) { return b->mapToGlobal(QPoint(0, 0)).y(); };
    QRadioButton* design = top(named[0]) < top(named[1]) ? named[0] : named[1];
    QRadioButton* combination = design == named[0] ? named[1] : named[0];
    EXPECT_FALSE(design->isChecked());
    QTest::mouseClick(design, Qt::LeftButton, {}, QPoint(6, design->height() / 2));
    Settle();
    EXPECT_TRUE(design->isChecked());
    EXPECT_TRUE(combination->isChecked());  // the design code brings its own rules
    wl::guitest::GrabToPng(session->MainWindow(), "host_edit_control_page_din18800");
    MenuAction("Speichern")->trigger();
    EXPECT_FALSE(session->MainWindow()->isWindowModified());
    EXPECT_EQ(DesignCode(file), "7");
    EXPECT_TRUE(session->Close());
    session.reset();
    for (const auto& m : sink.messages) ADD_FAILURE() << m.text;

    const std::string after = CalculateAndReadReport(file);
    EXPECT_NE(after.find(din), std::string::npos);
    EXPECT_EQ(after.find(eurocode), std::string::npos);
}

// A calculation in memory is no change of the input: opening "Ergebnisse"
// (and "Ausgabe") of each example leaves the title without its mark, and
// "Beenden" closes without asking; a span typed afterwards marks it.
TEST_F(EditSession, ResultsInMemoryAreNoChangeOfTheInput) {
    for (const char* example : {"Einfeldtraeger.vkx", "Durchlauftraeger_Kragarm.vkx", "Kranbahntraeger.vkx"}) {
        SCOPED_TRACE(example);
        winsys::ScopedRecordingSink sink;
        session.reset();
        file = dir / example;
        fs::remove(file);
        fs::copy_file(fs::path(RIGEL_SOURCE_DIR) / "examples" / example, file);
        const std::string before = ReadAll(file);
        Open();
        ChooseTab("Ergebnisse");
        ChooseTab("Ausgabe");
        ChooseTab("Ergebnisse");
        EXPECT_FALSE(session->CheckModified());
        EXPECT_FALSE(session->MainWindow()->isWindowModified());
        EXPECT_TRUE(session->Close());
        EXPECT_TRUE(sink.messages.empty()) << sink.messages.front().text;
        EXPECT_TRUE(ReadAll(file) == before) << "the file changed";
    }
    // The mark still follows the input after a calculation.
    winsys::ScopedRecordingSink sink;
    session.reset();
    file = dir / "Einfeldtraeger.vkx";
    Open();
    ChooseTab("Ergebnisse");
    TypeSpanLength("6.25");
    EXPECT_TRUE(session->CheckModified());
    EXPECT_TRUE(session->MainWindow()->isWindowModified());
    session->Discard();
}

// "Extras": the free-text editor (formulas, macros) on the first tab, as the
// user setting "bQuill" has it; switched off again, the variable table.
TEST_F(EditSession, ExtrasSwitchesTheFreeTextEditorOnTheFirstTab) {
    winsys::ScopedRecordingSink sink;
    const std::string before = ReadAll(file);
    Open();
    QAction* editor = MenuAction(QString::fromUtf8(host::kFreeTextEditorText));
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isCheckable());
    EXPECT_FALSE(editor->isChecked());
    ASSERT_NE(Tabs(), nullptr);
    EXPECT_EQ(Tabs()->tabText(0), "Vortexttabelle");
    editor->trigger();
    Settle();
    EXPECT_TRUE(host::FreeTextEditorOn());
    ASSERT_NE(Tabs(), nullptr);
    EXPECT_EQ(Tabs()->tabText(0), "Quill Vortext");
    ChooseTab("Quill Vortext");
    wl::guitest::GrabToPng(session->MainWindow(), "host_edit_free_text_editor");
    EXPECT_FALSE(Visible<QTextEdit>(session->InputArea()).empty());
    editor->trigger();
    Settle();
    EXPECT_FALSE(host::FreeTextEditorOn());
    EXPECT_EQ(Tabs()->tabText(0), "Vortexttabelle");
    EXPECT_TRUE(Visible<QTextEdit>(session->InputArea()).empty());
    // The switch saves nothing; the input of the other tabs stays (the
    // position now holds the editor's page).
    EXPECT_TRUE(ReadAll(file) == before) << "the file changed";
    ChooseTab("System");
    ASSERT_TRUE(session->Save());
    EXPECT_EQ(SpanLength(file), "6");
    EXPECT_TRUE(sink.messages.empty()) << sink.messages.front().text;
    session->Discard();
}

// A variable of the first tab in the span cell, through to the file and the
// calculation: L = 7 defined in the position's variable table, "L" typed
// into the span of "System" and saved: the file holds the span 7 with its
// formula, and "calc" calculates the 7 m span. The loads g + q = 3 + 4 kN/m
// keep their length of 6 m from the left support; beam theory (Macaulay) for
// the simply supported IPE 300 (Iy = 8356.1 cm^4, E = 210000 N/mm^2) gives
// the largest deflection, against L/300 the serviceability utilisation.
TEST_F(EditSession, VariableInTheSpanCellReachesTheFileAndTheCalculation) {
    winsys::ScopedRecordingSink sink;
    {
        ZVDOC d = ZEVUD_OpenDocQuiet(file.string().c_str());
        ASSERT_NE(d, 0u);
        ZVELEM input = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "input");
        ASSERT_NE(input, 0u);
        ZVELEM vardef = ZEVUD_AddChildElement(input, "vardef");
        ZEVUD_SetDouble(vardef, "version", 1.1);
        ZEVUD_SetInt(vardef, "numOfEntries", 1);
        ZVELEM e = ZEVUD_AddChildElement(vardef, "entry");
        ZEVUD_SetInt(e, "idx", 0);
        ZEVUD_SetInt(e, "type", 0);
        ZEVUD_SetInt(e, "digits", 2);
        ZEVUD_SetString(e, "desc", "Spannweite");
        ZEVUD_SetString(e, "varName", "L");
        ZEVUD_SetDouble(e, "val", 7.0);
        ZEVUD_SetString(e, "unit", "m");
        ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
        ZEVUD_CloseDoc(d);
    }
    Open();
    TypeSpanLength("L");
    EXPECT_TRUE(session->CheckModified());
    ASSERT_TRUE(session->Save());
    EXPECT_EQ(SpanLength(file), "7");
    {
        ZVDOC d = ZEVUD_OpenDocQuiet(file.string().c_str());
        ASSERT_NE(d, 0u);
        ZVELEM e = ZEVUD_GetRootElement(d);
        for (const char* name : {"input", "system", "field_1", "length"}) e = e ? ZEVUD_FindFirstChild(e, name) : 0;
        ASSERT_NE(e, 0u);
        EXPECT_EQ(zevud::GetString(e, "exp"), "L");
        ZEVUD_CloseDoc(d);
    }
    session.reset();
    CalculateAndReadReport(file);
    ZVDOC d = ZEVUD_OpenDocQuiet(file.string().c_str());
    ASSERT_NE(d, 0u);
    const ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "result");
    ASSERT_NE(result, 0u);
    const double q = 7.0, L = 7000.0, a = 6000.0, EI = 210000.0 * 8356.1e4;  // N/mm, mm, N mm^2
    const double w = MaxDeflectionOfAPartlyLoadedSpan(q, L, a, EI, 1);
    EXPECT_NEAR(ZEVUD_GetDouble(result, "dMaxAusGebr"), w / (L / 300.0), 0.002);
    ZEVUD_CloseDoc(d);
    for (const auto& m : sink.messages) ADD_FAILURE() << m.text;
}

// The results tab reads as the console's verdict. The example's span typed
// as 20 m (its loads of 3 + 4 kN/m stay on the first 6 m): the deflection
// of the simply supported IPE 300 under the characteristic 7 kN/m against
// L/300 is far above 1, so the page says "nicht erfüllt" in bold red, with
// the utilisation of the hand calculation; the summary's line of the
// governing combination is red too.
TEST_F(EditSession, ResultsTabMarksWhatIsNotFulfilled) {
    winsys::ScopedRecordingSink sink;
    host::WindowServices services;
    Open();
    TypeSpanLength("20");
    ChooseTab("Ergebnisse");
    std::vector<QPlainTextEdit*> texts = Visible<QPlainTextEdit>(session->InputArea());
    ASSERT_EQ(texts.size(), 1u);
    QPlainTextEdit* summary = texts.front();
    const QStringList lines = summary->toPlainText().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0].trimmed(), "Ergebnis: Nachweis nicht erfüllt");
    int serviceability = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith("Gebrauchstauglichkeit: max. Ausnutzung ")) serviceability = i;
    ASSERT_GE(serviceability, 0) << summary->toPlainText().toStdString();
    const QString line = lines[serviceability].trimmed();
    EXPECT_TRUE(line.endsWith(" - nicht erfüllt")) << line.toStdString();
    // w of a simply supported beam under q over its first a, against L/300.
    const double q = 7.0, L = 20000.0, a = 6000.0, EI = 210000.0 * 8356.1e4;  // N/mm, mm, N mm^2
    const double w = MaxDeflectionOfAPartlyLoadedSpan(q, L, a, EI, 10);
    const double utilisation = line.section(' ', 3, 3).toDouble();
    EXPECT_NEAR(utilisation, w / (L / 300.0), 0.01 * w / (L / 300.0)) << line.toStdString();
    // The marked lines in bold red, the others not.
    auto colourOf = [&](int block) {
        QTextCursor c(summary->document()->findBlockByNumber(block));
        c.movePosition(QTextCursor::NextCharacter);
        return c.charFormat().foreground().color();
    };
    EXPECT_EQ(colourOf(0), QColor(0xC0, 0x00, 0x00));
    EXPECT_EQ(colourOf(serviceability), QColor(0xC0, 0x00, 0x00));
    int deformation = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith("Ausnutzung Verformung")) deformation = i;
    ASSERT_GE(deformation, 0);
    EXPECT_EQ(colourOf(deformation), QColor(0xC0, 0x00, 0x00)) << lines[deformation].toStdString();
    const QImage img = wl::guitest::GrabToPng(session->MainWindow(), "host_edit_results_not_fulfilled");
    ASSERT_FALSE(img.isNull());
    const QRect box = wl::guitest::RectIn(summary, session->MainWindow());
    EXPECT_GT(wl::guitest::CountPixels(img, box, [](QRgb p) { return qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90; }),
              100);
}
