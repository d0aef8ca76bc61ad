// Section values, unit stresses and Wagner radii of the kernel's sections
// against closed forms of thin-walled sections.
#include <gtest/gtest.h>

#include <cstring>

#include <cmath>

#include "kernel/KernelPhases.h"
#include "kernel/section/SectionCache.h"
#include "kernel/tests/section_fixture.h"

namespace {

using namespace tovik::section;
using section_test::MakeRun;
using section_test::PlateI;
using section_test::SectionFile;
using section_test::SetSection;

class SectionValues : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = std::make_unique<SectionFile>(::testing::UnitTest::GetInstance()->current_test_info()->name());
        file_->Add("I", PlateI(20, 1.5, 20, 1.5, 40, 0.8));
        file_->Add("Mono", PlateI(20, 1.5, 10, 1.0, 40, 0.8));
        file_->Add("Small", PlateI(6.4, 0.63, 6.4, 0.63, 11.37, 0.44));
        const std::vector<SektWLine> z = {zidezaz::MakeWLine(0, 0, 10, 0, 1.0), zidezaz::MakeWLine(0, 0, 0, 20, 0.8),
                                          zidezaz::MakeWLine(-6, 20, 0, 20, 1.2)};
        file_->Add("Z", z);
        std::vector<SektWLine> z2 = z;
        for (auto& w : z2) {
            w.ya *= 2, w.za *= 2, w.ye *= 2, w.ze *= 2, w.ta *= 2, w.te *= 2;
        }
        file_->Add("Z2", z2);
        file_->Add("Box", {zidezaz::MakeWLine(-15, -25, 15, -25, 1.2), zidezaz::MakeWLine(15, -25, 15, 25, 0.8),
                           zidezaz::MakeWLine(15, 25, -15, 25, 1.2), zidezaz::MakeWLine(-15, 25, -15, -25, 0.8)});
        file_->Save();
        run_ = MakeRun({5.0}, 2);
        run_->cdltr.QsDatei = file_->path();
        OpenSectionDatabase(*run_, 1);
    }
    const ProfileValues& Of(const std::string& name) {
        SetSection(*run_, 1, name);
        const int32_t h = Sections(*run_).GetSectionAtX(1, 0.0);
        EXPECT_GT(h, 0) << name;
        return Sections(*run_).Values(h);
    }
    // Index of the middle point at (y, z), -1 when none.
    static int PointAt(const ProfileValues& v, double y, double z) {
        for (size_t i = 0; i < v.y.size(); ++i)
            if (std::fabs(v.y[i] - y) < 1e-9 && std::fabs(v.z[i] - z) < 1e-9) return static_cast<int>(3 * i);
        return -1;
    }
    std::unique_ptr<SectionFile> file_;
    std::unique_ptr<tovik::RunState> run_;
};

TEST_F(SectionValues, UnitStressesAtTheFlangeTip) {
    const double b = 20, tf = 1.5, hs = 40, tw = 0.8, hw = hs - tf;
    const ProfileValues& v = Of("I");
    ASSERT_TRUE(v.valid);
    const double A = 2 * b * tf + hw * tw;
    const double Iy = 2 * (b * tf * tf * tf / 12 + b * tf * hs * hs / 4) + tw * hw * hw * hw / 12;
    const double Iw = hs * hs * (tf * b * b * b / 12) / 2;
    const double It = (2 * b * tf * tf * tf + hs * tw * tw * tw) / 3;
    // Centred: the top flange lies at z = -hs/2; its right tip:
    const int p = PointAt(v, b / 2, -hs / 2);
    ASSERT_GE(p, 0);
    EXPECT_NEAR(v.unit[0][p], 1 / A, 1e-12);                 // N = 1
    EXPECT_NEAR(v.unit[1][p], (-hs / 2) / Iy, 1e-12);        // My = 1: z / Iy
    EXPECT_NEAR(v.unit[2][p], -(b / 2) * (1 / (tf * b * b * b / 6 + hw * tw * tw * tw / 12)), 1e-12);  // Mz = 1: -y / Iz
    // Mw = 1: w / Iw, with the ordinate about the shear centre counted from
    // z towards y (dw = z dy - y dz): at this tip w = -(hs/2)(b/2).
    EXPECT_NEAR(v.unit[3][p], -(hs / 2) * (b / 2) / Iw, 1e-12);
    EXPECT_NEAR(std::fabs(v.unit[4][p + 1]), tf / It, 1e-12);  // Mx = 1 at the face: t / It
    EXPECT_NEAR(v.unit[4][p], 0.0, 1e-15);
    // The free tip carries no shear.
    EXPECT_NEAR(v.unit[5][p], 0.0, 1e-12);
    EXPECT_NEAR(v.unit[6][p], 0.0, 1e-12);
    // Vz = 1 in the web at z: S / (Iy tw), S = b tf hs/2 + tw ((hw/2)^2 - z^2) / 2.
    const double z = -hw / 2 + 0.4 * hw;
    const int q = PointAt(v, 0.0, z);
    ASSERT_GE(q, 0);
    const double S = b * tf * hs / 2 + tw * (hw * hw / 4 - z * z) / 2;
    EXPECT_NEAR(std::fabs(v.unit[6][q]), S / (Iy * tw), 1e-12);
    // Section values in m.
    EXPECT_NEAR(v.qwerte[3], A * 1e-4, 1e-15);
    EXPECT_NEAR(v.qwerte[4], Iy * 1e-8, 1e-18);
    EXPECT_NEAR(v.qwerte[6], It * 1e-8, 1e-18);
    EXPECT_NEAR(v.qwerte[7], Iw * 1e-12, 1e-20);
    EXPECT_DOUBLE_EQ(v.qwerte[8], 0.0);
    EXPECT_DOUBLE_EQ(v.qwerte[9], 0.0);
    EXPECT_NEAR(v.qwerte[16], b * 0.01, 1e-12);
    EXPECT_NEAR(v.qwerte[17], (hs + tf) * 0.01, 1e-12);
    EXPECT_EQ(v.positions, 5 * 6);  // 5 wall elements (flanges split at the web), 6 positions each
    EXPECT_EQ(v.points.size(), 90u);
}

TEST_F(SectionValues, MonosymmetricShearCentreAndWagnerRadius) {
    // Top flange 200x15, bottom 100x10, web 400x8 between the mid-lines;
    // z points down, top flange at z = 0 before centring.
    const ProfileValues& v = Of("Mono");
    const double A1 = 30, A2 = 10, za = 0.75, zb = 39.5, Aw = 0.8 * (zb - za);
    const double zc = (A2 * 40 + Aw * (za + zb) / 2) / (A1 + A2 + Aw);
    const double I1 = 1.5 * 8000 / 12, I2 = 1000.0 / 12;
    const double Iy = 20 * 3.375 / 12 + A1 * zc * zc + 10.0 / 12 + A2 * (40 - zc) * (40 - zc) +
                      0.8 * std::pow(zb - za, 3) / 12 + Aw * std::pow((za + zb) / 2 - zc, 2);
    const double zM = 40 * I2 / (I1 + I2) - zc;  // shear centre from the centroid
    const double z1 = -zc, z2 = 40 - zc, a = za - zc, bb = zb - zc;
    const double wagner = z1 * (I1 + A1 * z1 * z1) + z2 * (I2 + A2 * z2 * z2) + 0.8 * (std::pow(bb, 4) - std::pow(a, 4)) / 4;
    const double rz = wagner / Iy - 2 * zM;
    EXPECT_NEAR(v.qwerte[9], zM * 0.01, 1e-12);
    EXPECT_NEAR(v.qwerte[8], 0.0, 1e-15);
    EXPECT_NEAR(v.qwerte[14], rz * 0.01, 1e-10);
    EXPECT_NEAR(v.qwerte[13], 0.0, 1e-12);
    EXPECT_NEAR(v.qwerte[4], Iy * 1e-8, 1e-16);
    EXPECT_NEAR(v.qwerte[7], 40 * 40 * I1 * I2 / (I1 + I2) * 1e-12, 1e-18);
}

TEST_F(SectionValues, SmallWarpingConstantIsNotInflated) {
    // IPE 120 proportions: Iw about 890 cm6, far below 10,000 cm6.
    const ProfileValues& v = Of("Small");
    const double Iw = 11.37 * 11.37 * (0.63 * 6.4 * 6.4 * 6.4 / 12) / 2;
    EXPECT_NEAR(v.qwerte[7], Iw * 1e-12, 1e-6 * Iw * 1e-12);
    EXPECT_LT(v.qwerte[7], 1e-9);
    EXPECT_NEAR(v.fe.Iw, v.qwerte[7], 1e-24);
}

TEST_F(SectionValues, WarpingRadiusIsDimensionless) {
    const ProfileValues& a = Of("Z");
    const std::array<double, 50> qa = a.qwerte;
    const ProfileValues& b = Of("Z2");  // every length doubled
    ASSERT_GT(std::fabs(qa[15]), 1e-3);
    EXPECT_NEAR(b.qwerte[15], qa[15], 1e-9 * std::fabs(qa[15]));  // rw unchanged
    EXPECT_NEAR(b.qwerte[13], 2 * qa[13], 1e-9 * std::fabs(qa[13]) + 1e-15);  // ry scales like a length
    EXPECT_NEAR(b.qwerte[14], 2 * qa[14], 1e-9 * std::fabs(qa[14]) + 1e-15);
}

TEST_F(SectionValues, ThinPlatesGiveNoStresses) {
    file_.reset();
    SectionFile f("thin");
    f.Add("Thin", PlateI(20, 0.04, 20, 0.04, 40, 0.8));
    f.Save();
    run_->cdltr.QsDatei = f.path();
    OpenSectionDatabase(*run_, 1);
    const ProfileValues& v = Of("Thin");
    // Flange points: all eight values 0; web points keep theirs.
    int flange = -1, web = -1;
    for (size_t i = 0; i < v.y.size(); ++i) {
        if (v.ta[i] < 0.05 && flange < 0) flange = static_cast<int>(3 * i);
        if (v.ta[i] > 0.5 && web < 0) web = static_cast<int>(3 * i);
    }
    ASSERT_GE(flange, 0);
    ASSERT_GE(web, 0);
    for (int q = 0; q < 8; ++q) EXPECT_EQ(v.unit[q][flange], 0.0) << q;
    EXPECT_NE(v.unit[0][web], 0.0);
}

TEST_F(SectionValues, RailAdditionUsesCompositeFormulas) {
    tovik::ReaderValues& r = run_->reader;
    r.bVadu = 1;
    r.bVaduTyp = 0;
    r.Schiene_Typ = 1;
    r.Schiene_Rechnen = 1;
    r.Schiene_A = 40;
    r.Schiene_Iy = 150;
    r.Schiene_Iz = 220;
    r.Schiene_It = 90;
    r.Schiene_e1 = 3.5;
    const double b = 20, tf = 1.5, hs = 40, tw = 0.8, hw = hs - tf;
    const double A = 2 * b * tf + hw * tw;
    const double Iy = 2 * (b * tf * tf * tf / 12 + b * tf * hs * hs / 4) + tw * hw * hw * hw / 12;
    const double Iz = tf * b * b * b / 6 + hw * tw * tw * tw / 12;
    const double It = (2 * b * tf * tf * tf + hs * tw * tw * tw) / 3;
    const ProfileValues& v = Of("I");
    // Rail centroid e1 above the top face (z points down).
    const double zr = -hs / 2 - tf / 2 - 3.5;
    const double A1 = A + 40, z0 = zr * 40 / A1;
    const double Iy1 = Iy + A * z0 * z0 + 150 + 40 * (zr - z0) * (zr - z0);
    EXPECT_NEAR(v.qwerte[3], A1 * 1e-4, 1e-15);
    EXPECT_NEAR(v.qwerte[4], Iy1 * 1e-8, 1e-16);
    EXPECT_NEAR(v.qwerte[5], (Iz + 220) * 1e-8, 1e-16);
    EXPECT_NEAR(v.qwerte[6], (It + 90) * 1e-8, 1e-18);
    // Stresses about the common centroid: My = 1 at the top flange tip.
    const int p = PointAt(v, b / 2, -hs / 2 - z0);
    ASSERT_GE(p, 0);
    EXPECT_NEAR(v.unit[1][p], (-hs / 2 - z0) / Iy1, 1e-12);
}

TEST_F(SectionValues, RailOnABoxCountsTheCellOnce) {
    tovik::ReaderValues& r = run_->reader;
    r.bVadu = 1;
    r.Schiene_Typ = 2;
    r.Schiene_Rechnen = 1;
    r.Schiene_A = 40;
    r.Schiene_It = 90;
    const double Am = 30.0 * 50.0;
    const double Bredt = 4 * Am * Am / (2 * 30 / 1.2 + 2 * 50 / 0.8);
    const ProfileValues& v = Of("Box");
    EXPECT_NEAR(v.qwerte[6], (Bredt + 90) * 1e-8, 1e-9 * Bredt * 1e-8);
}

}  // namespace

namespace {

TEST_F(SectionValues, UserPointsJoinTheStressPositions) {
    // A user point at 0.5 on wall element 4 (the web of "I": the flanges are
    // split at the web into elements 0..3).
    tovik::UserPoint u;
    u.idx = 0.5;
    u.tqe = 4;
    u.name = "P1";
    run_->reader.UserPoints.push_back(u);
    const ProfileValues& v = Of("I");
    // The web element: positions 0, 1, 0.5 and three spread between them.
    std::vector<double> z;
    for (size_t i = 0; i < v.y.size(); ++i)
        if (3 * i < v.plate.size() && v.plate[3 * i] == 4) z.push_back(v.z[i]);
    ASSERT_EQ(z.size(), 6u);
    bool hasMiddle = false;
    for (double zz : z) hasMiddle = hasMiddle || std::fabs(zz) < 1e-9;  // web middle at the centroid
    EXPECT_TRUE(hasMiddle);
    EXPECT_EQ(v.positions, 30);
    // The three points at that position serve the user point; it keeps the
    // larger magnitudes per load case and element end.
    int served = 0, first = -1;
    for (size_t p = 0; p < v.users.size(); ++p)
        if (!v.users[p].empty()) {
            ++served;
            if (first < 0) first = static_cast<int>(p);
        }
    EXPECT_EQ(served, 3);
    tovik::UserPoint& up = run_->reader.UserPoints[0];
    up.sigX.assign(2 * 2 * 2, 0.0);  // two elements: 4 ends, two load cases
    up.tau.assign(8, 0.0);
    SectionCache& c = Sections(*run_);
    const int32_t h = c.GetSectionAtX(1, 0.0);
    c.UpdateUserPointExtremes(h, first, 1, 2, -5.0, 1.0);
    c.UpdateUserPointExtremes(h, first, 1, 2, 3.0, -2.0);
    c.UpdateUserPointExtremes(h, first, 9, 2, 99.0, 99.0);  // outside: ignored
    EXPECT_EQ(up.sigX[4 + 2], -5.0);
    EXPECT_EQ(up.tau[4 + 2], -2.0);
}

TEST_F(SectionValues, StoreEspWritesOneListPerNode) {
    SectionCache& c = Sections(*run_);
    SetSection(*run_, 1, "I");
    ASSERT_EQ(c.SetzeQuer(), 0);
    const ZVDOC doc = ZEVUD_CreateDoc("");
    const ZVELEM e = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "esp");
    c.StoreEsp(e);
    EXPECT_EQ(ZEVUD_GetInt(e, "numOfNodes"), 3);
    const int32_t perNode = ZEVUD_GetInt(e, "numOfValues");
    EXPECT_EQ(perNode, 30 * 2 * 7);  // 30 positions, two face points of seven unit stresses
    EXPECT_EQ(ZEVUD_GetBinDataLength(e, "esp"), 3 * perNode * 8);
    // The first unit stress of every point is 1/A (the section of the fixture).
    std::vector<unsigned char> bytes(static_cast<size_t>(ZEVUD_GetBinDataLength(e, "esp")));
    ZEVUD_GetBinData(e, "esp", bytes.data(), static_cast<int>(bytes.size()));
    const double area = 2 * 20 * 1.5 + 38.5 * 0.8;
    for (int32_t k = 0; k < 3 * perNode; k += 7) {
        double e0;
        std::memcpy(&e0, bytes.data() + 8 * k, 8);
        ASSERT_NEAR(e0, 1.0 / area, 1e-12) << k;
    }
    ZEVUD_CloseDoc(doc);
}

TEST_F(SectionValues, ReportSideByNameLeavesTheFileAlone) {
    SectionCache& c = Sections(*run_);
    const auto stamp = std::filesystem::last_write_time(run_->cdltr.QsDatei);
    ProfileValues v;
    EXPECT_EQ(c.SEKTEinheitsSpgn3D(run_->cdltr.m_IndDBS, "I", v), 0);
    EXPECT_NEAR(v.qwerte[3], (2 * 20 * 1.5 + 38.5 * 0.8) * 1e-4, 1e-15);
    EXPECT_EQ(c.SEKTEinheitsSpgn3D(run_->cdltr.m_IndDBS, "none", v), -2);
    EXPECT_EQ(c.SEKTEinheitsSpgn3D(-1, "I", v), -1);
    SectionCache::Outline o;
    EXPECT_EQ(c.GetSectionElementsYZ(run_->cdltr.m_IndDBS, "I", o), 0);
    EXPECT_EQ(o.ta.size(), 5u);
    EXPECT_EQ(c.GetSectionElementsYZ(run_->cdltr.m_IndDBS, "none", o), -1);
    EXPECT_EQ(std::filesystem::last_write_time(run_->cdltr.QsDatei), stamp);
}

}  // namespace

namespace {

TEST_F(SectionValues, PlateStressStoreKeepsExtremesInItsSlots) {
    SectionCache& c = Sections(*run_);
    SetSection(*run_, 1, "I");
    ASSERT_EQ(c.SetzeQuer(), 0);
    const int32_t plates = tovik::section::MaxPlateElements(*run_);
    EXPECT_EQ(plates, 5);
    const int64_t n = 4 * 2;  // 4 element ends, 2 load cases
    c.SizePlateStressStore(plates * n * 2, plates);
    c.UpdatePlateStress(3, 1, 2, -7.0, -2.0);
    c.UpdatePlateStress(3, 1, 2, 4.0, 1.0);
    c.UpdatePlateStress(5, 1, 2, -99.0, 99.0);  // no such plate: ignored
    const size_t idx = ((1 * 4 + 2) * 5 + 3) * 2;
    EXPECT_EQ(c.PlateStress()[idx], -7.0);
    EXPECT_EQ(c.PlateStress()[idx + 1], 2.0);
}

}  // namespace
