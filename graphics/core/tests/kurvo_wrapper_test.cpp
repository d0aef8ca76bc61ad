// The graph wrappers: dispatch identifiers and argument types as the
// recording control sees them; the report pictures' hidden picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "graphics/core/Kurvo.h"

namespace fs = std::filesystem;

TEST(KurvoWrappers, CallsReachTheControlWithTheirTypes) {
    CKurvoRecorder rec;
    CKurvo2D k(&rec);
    const double x[] = {0, 1.5}, y[] = {2, -3};
    k.Method1();
    k.Method35(0xFFDAB5, 0, 0, 0);
    k.Method5(2, x, y);
    k.Method5(2, nullptr, y);
    k.Method7(1.5, 2, 0, 0.25, "Fy");
    k.Method54(1, 0, "X", 0, "Z");
    k.Method37(5, 0x4040C0, 1, 1);
    k.Method22(1.f, 2.f, 90.f, 0.5f, 0.1f, nullptr);
    const std::vector<std::string> expected = {
        "Method1()",
        "Method35(0xFFDAB5,0,0,0)",
        "Method5(2,[0,1.5],[2,-3])",
        "Method5(2,[],[2,-3])",
        "Method7(1.5,2,0,0.25,\"Fy\")",
        "Method54(1,0,\"X\",0,\"Z\")",
        "Method37(5,0x4040C0,1,1)",
        "Method22(1,2,90,0.5,0.10000000149011612,\"\")",
    };
    // The second Method5 has no x array: its y array is passed all the same.
    EXPECT_EQ(rec.calls, expected);
}

TEST(KurvoWrappers, ThreeDimensionalContoursReturnTheControlsHandle) {
    CKurvoRecorder rec;
    CKurvo3D k(&rec);
    const float yz[] = {-1, -1, 1, -1, 1, 1}, p1[] = {0, 0, 0}, p2[] = {4, 0, 0};
    EXPECT_EQ(k.Method5(3, yz), 1);
    EXPECT_EQ(k.Method5(3, yz), 2);
    k.Method6(p1, p2, 1, 2, 0.f);
    k.Method23(1, 1, 1);
    k.Method12(0xFFFFFF);
    EXPECT_EQ(rec.calls[0], "Method5(3,[-1,-1,1,-1,1,1])");
    EXPECT_EQ(rec.calls[2], "Method6([0,0,0],[4,0,0],1,2,0)");
    EXPECT_EQ(rec.calls[4], "Method12(0xFFFFFF)");

    CKurvo3D unbound;
    EXPECT_EQ(unbound.Method5(3, yz), 0);
}

TEST(Pictor, HiddenPictureDrawsAndSavesWithoutAWindow) {
    const fs::path dir = fs::path(RIGEL_TEST_TMP) / ("pictor_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    EXPECT_FALSE(Pictor_Create2D(0, 480, 1));
    EXPECT_EQ(Pictor_GetKurvo2DPtr(), nullptr);
    ASSERT_TRUE(Pictor_Create2D(640, 480, 1));
    CKurvo2D* k = Pictor_GetKurvo2DPtr();
    ASSERT_NE(k, nullptr);
    const double x[] = {0, 6, 6, 0}, y[] = {0, 0, 0.3, 0.3};
    k->Method1();
    k->Method17(1);
    k->Method54(1, 0, "X", 0, "Z");
    k->Method21(1, 0);
    k->Method35(0xFFD0C0, 0, 0, 0);
    k->Method5(4, x, y);
    k->Method34(0, 0, 0, 0);
    k->Method15();
    const fs::path file = dir / "result.emf";
    k->Method38(file.string().c_str());
    std::ifstream f(file, std::ios::binary);
    std::string head(44, '\0');
    f.read(head.data(), 44);
    EXPECT_EQ(head.substr(40, 4), " EMF");
    Pictor_Destroy();
    EXPECT_EQ(Pictor_GetKurvo2DPtr(), nullptr);
    fs::remove_all(dir);
}
