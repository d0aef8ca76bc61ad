// Binding and calling a calculation routine by library and export name, or a
// routine the host registered.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "ModuleSandbox.h"
#include "module/frame/CalcDLL.h"
#include "module/frame/HostRoutines.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;

namespace {

const char* kGeneral = "Fehler beim Aufruf der Berechnungsroutine.\nPosition kann nicht gerechnet werden!";

class CalcDLL : public testing::Test {
protected:
    void SetUp() override {
        lib_ = box_.Bin() / "libRigelTestCalc.so";
        fs::copy_file(moduletest::PluginDir() / "libRigelTestCalc.so", lib_);
    }
    bool LibraryLoaded() const {
        void* h = dlopen(lib_.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (h) dlclose(h);
        return h != nullptr;
    }
    template <class F>
    F Export(const char* name) const {
        void* h = dlopen(lib_.c_str(), RTLD_NOW | RTLD_NOLOAD);
        F f = h ? reinterpret_cast<F>(dlsym(h, name)) : nullptr;
        if (h) dlclose(h);
        return f;
    }
    moduletest::Sandbox box_;
    winsys::ScopedRecordingSink sink_;
    fs::path lib_;
};

TEST_F(CalcDLL, CallsTheRoutineWithBothArgumentsAndFreesTheLibrary) {
    {
        CCalcDLL calc("RigelTestCalc.dll", "TestCalc");
        ASSERT_TRUE(calc.IsBound());
        EXPECT_TRUE(LibraryLoaded());
        EXPECT_TRUE(calc.Call(77, 1));
        auto lastDoc = Export<uint32_t (*)()>("TestLastDoc");
        auto lastFlag = Export<int32_t (*)()>("TestLastFlag");
        ASSERT_TRUE(lastDoc && lastFlag);
        EXPECT_EQ(lastDoc(), 77u);
        EXPECT_EQ(lastFlag(), 1);
    }
    EXPECT_FALSE(LibraryLoaded());
    EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(CalcDLL, MissingLibraryIsReportedAtBindingAndAtTheCall) {
    CCalcDLL calc("NoSuchKernel.dll", "RIREZ_Aver");
    EXPECT_FALSE(calc.IsBound());
    EXPECT_FALSE(calc.Call(1, 0));
    ASSERT_EQ(sink_.messages.size(), 2u);
    EXPECT_EQ(sink_.messages[0].text, "Die dll 'NoSuchKernel.dll' wurde nicht gefunden!");
    EXPECT_EQ(sink_.messages[1].text, kGeneral);
}

TEST_F(CalcDLL, MissingExportNamesBothAndTheLibraryIsStillFreed) {
    {
        CCalcDLL calc("RigelTestCalc.dll", "NoSuchRoutine");
        EXPECT_FALSE(calc.IsBound());
        EXPECT_TRUE(LibraryLoaded());
        ASSERT_EQ(sink_.messages.size(), 1u);
        EXPECT_EQ(sink_.messages[0].text,
                  "Die Funktion 'NoSuchRoutine' in der dll 'RigelTestCalc.dll' wurde nicht gefunden!");
    }
    EXPECT_FALSE(LibraryLoaded());
}

TEST_F(CalcDLL, AnExceptionLeavingTheRoutineIsReported) {
    CCalcDLL calc("RigelTestCalc.dll", "TestThrow");
    ASSERT_TRUE(calc.IsBound());
    EXPECT_FALSE(calc.Call(1, 0));
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0].text, "Fehler in der Rechenroutine.");
}

uint32_t g_hostDoc = 0;
int32_t g_hostFlag = 0;
void HostCalc(uint32_t doc, int32_t flag) {
    g_hostDoc = doc;
    g_hostFlag = flag;
}

TEST_F(CalcDLL, HostRoutineOnlyWhenRegistered) {
    uintptr_t address = reinterpret_cast<uintptr_t>(&HostCalc);
    char text[32];
    std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(address));

    {   // Not registered: silent at binding, the general message at the call.
        CCalcDLL calc("velor2005.exe", text);
        EXPECT_FALSE(calc.IsBound());
        EXPECT_TRUE(sink_.messages.empty());
        EXPECT_FALSE(calc.Call(5, 1));
        ASSERT_EQ(sink_.messages.size(), 1u);
        EXPECT_EQ(sink_.messages[0].text, kGeneral);
    }
    sink_.Clear();
    RegisterHostRoutine(HostRoutineKind::Calculation, address);
    {
        CCalcDLL calc("velor2005.exe", text);
        EXPECT_TRUE(calc.IsBound());
        EXPECT_TRUE(calc.Call(9, 1));
        EXPECT_EQ(g_hostDoc, 9u);
        EXPECT_EQ(g_hostFlag, 1);
    }
    {   // A text that is not hexadecimal binds nothing and says so only at the call.
        CCalcDLL calc("velor2005.exe", "not-a-number");
        EXPECT_FALSE(calc.IsBound());
        EXPECT_TRUE(sink_.messages.empty());
        EXPECT_FALSE(calc.Call(1, 0));
        EXPECT_EQ(sink_.messages.size(), 1u);
    }
    UnregisterHostRoutine(HostRoutineKind::Calculation, address);
}

TEST_F(CalcDLL, SectlibIsMissingSilently) {
    EXPECT_EQ(LoadSectlibProc(3), 0);
    EXPECT_TRUE(sink_.messages.empty());
}

}  // namespace
