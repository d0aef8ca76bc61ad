// The settings channel: values stored with "sets/" survive the process and
// are read back by another one; unknown names give the caller's default.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"

namespace fs = std::filesystem;
using zadevoz::RtfSettings;

namespace {

const char* const kChildValue = "ZADEVOZ_TEST_CUSTOMER0";

// Each test process gets a registry folder of its own.
class RtfSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv(kChildValue)) return;  // the child uses its parent's folder
        dir_ = fs::path(RIGEL_TEST_TMP) / ("rtfsettings_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        ::setenv("VELOR_REGISTRY_DIR", dir_.c_str(), 1);
        winsys::RegistryReload();
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    fs::path dir_;
};

// Run by the test below in a process of its own: stores the value it is given.
TEST_F(RtfSettingsTest, ChildStoresCustomer0) {
    const char* v = std::getenv(kChildValue);
    if (!v) GTEST_SKIP() << "runs only as the child of KeepsCustomer0AcrossProcesses";
    EXPECT_EQ(RtfSettings("sets/Customer0", v), v);
}

TEST_F(RtfSettingsTest, KeepsCustomer0AcrossProcesses) {
    if (std::getenv(kChildValue)) GTEST_SKIP();
    const std::string value = "Ingenieurbüro Muster GmbH";
    ::setenv(kChildValue, value.c_str(), 1);
    long pid = winsys::StartProcess({fs::read_symlink("/proc/self/exe").string(),
                                     "--gtest_filter=RtfSettingsTest.ChildStoresCustomer0"});
    ::unsetenv(kChildValue);
    ASSERT_GT(pid, 0);
    ASSERT_EQ(winsys::WaitProcess(pid), 0);

    winsys::RegistryReload();
    EXPECT_EQ(RtfSettings("gets/Customer0", "Vorgabe"), value);
    EXPECT_EQ(RtfSettings("gets/customer0", "Vorgabe"), value);  // names without regard to case
    EXPECT_EQ(RtfSettings("Customer0", ""), value);              // the kernel asks without prefix
}

TEST_F(RtfSettingsTest, ReadsWritesAndDefaults) {
    struct Case {
        const char* request;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"gets/Unbekannt", "Vorgabe", "Vorgabe"},
        {"gets/Lister", "/opt/lister", "/opt/lister"},
        {"Projekt", "", ""},
        {"sets/Projekt", "Halle Nord", "Halle Nord"},
        {"Projekt", "", "Halle Nord"},
        {"sets/Vorlage", "/data/Standard Vorlage.rtf", "/data/Standard Vorlage.rtf"},
        {"gets/Vorlage", "anders", "/data/Standard Vorlage.rtf"},
        {"sets/Customer1", "", ""},
        {"gets/Customer1", "Vorgabe", ""},  // an empty value is a stored value
    };
    for (const Case& c : cases) EXPECT_EQ(RtfSettings(c.request, c.value), c.expected) << c.request;
}

// The kernel reads a decimal number from the version reply, skipping its
// first character, and needs at least 2.
TEST_F(RtfSettingsTest, VersionIsAtLeastTwo) {
    std::string v = RtfSettings("VK-Version/zadevoz", "");
    ASSERT_GE(v.size(), 2u);
    auto n = winsys::ParseInt(std::string_view(v).substr(1));
    ASSERT_TRUE(n.has_value());
    EXPECT_GE(*n, 2);
    EXPECT_EQ(RtfSettings("gets/VK-Version/zadevoz", ""), v);
}

}  // namespace
