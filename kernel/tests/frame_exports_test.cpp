// The kernel library as the module loads it: the three entry points under
// their plain names, and one calculation through them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "frame_fixture.h"

namespace {

struct Library {
    void* handle = dlopen(RIGEL_BUILD_ROOT "/bin/libTovik.so", RTLD_NOW | RTLD_LOCAL);
    ~Library() {
        if (handle) dlclose(handle);
    }
};

TEST(FrameExports, EntryPointsHavePlainNames) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    for (const char* name : {"RIREZ_Aver", "DADAD_Urev", "REZIR_IdadOzov"})
        EXPECT_NE(dlsym(lib.handle, name), nullptr) << name;
    // Nothing else of the kernel's inner routines is visible.
    EXPECT_EQ(dlsym(lib.handle, "_ZN5tovik18CalcMemberDocumentERNS_8RunStateEji"), nullptr);
}

TEST(FrameExports, DocumentWithoutInputGetsAnErrorResultThroughTheLibrary) {
    frame_test::ScratchDir dir("exports");
    winsys::ScopedRecordingSink sink;
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    auto calc = reinterpret_cast<void (*)(uint32_t, int32_t)>(dlsym(lib.handle, "RIREZ_Aver"));
    ASSERT_NE(calc, nullptr);
    ZVDOC doc = ZEVUD_CreateDoc((dir.path() / "Pos9.vkx").string().c_str());
    ZEVUD_SetString(ZEVUD_GetRootElement(doc), "progname", "RIGEL");
    calc(doc, 1);
    ZVELEM result = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "result");
    EXPECT_EQ(ZEVUD_GetInt(result, "abbruch"), 1);
    EXPECT_NE(zevud::GetString(result, "errorMsg").find("FEHLER:  Das Dokument enthält keinen Eingabeteil 'input'"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "Pos9.vkx"));
    // The error protocol stays beside the position.
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "Pos9.err"));
    ZEVUD_CloseDoc(doc);
}

}  // namespace
