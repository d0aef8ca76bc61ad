// Members analysed with the kernel's own section values: a turned I and
// loads in the member's axes, from the section file to the deflections.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "kernel/KernelPhases.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/section/SectionCache.h"
#include "kernel/tests/section_fixture.h"

namespace {

using namespace tovik;
using section_test::MakeRun;
using section_test::PlateI;
using section_test::SectionFile;
using section_test::SetSection;

// IPE 300 of plates (cm): b = 15, tf = 1.07, tw = 0.71, flange mid-lines
// hs = 30 - 1.07 apart; values of the thin-walled model.
constexpr double kB = 15, kTf = 1.07, kTw = 0.71, kHs = 30 - 1.07, kHw = kHs - kTf;
const double kIy = 2 * (kB * kTf * kTf * kTf / 12 + kB * kTf * kHs * kHs / 4) + kTw * kHw * kHw * kHw / 12;  // cm4
const double kIz = kTf * kB * kB * kB / 6 + kHw * kTw * kTw * kTw / 12;                                        // cm4
constexpr double kE = 2.1e8;  // kN/m²

SupportType Fork(bool holdU) {
    SupportType s;
    s.cx = holdU ? -1 : 0;
    s.cy = s.cz = s.cmx = -1;
    return s;
}

class TurnedSections : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = std::make_unique<SectionFile>(::testing::UnitTest::GetInstance()->current_test_info()->name());
        file_->Add("IPE", PlateI(kB, kTf, kB, kTf, kHs, kTw));
        file_->Save();
    }
    // Simply supported 6 m member of the I turned by angle degrees under
    // q = 10 kN/m in the member's z direction (the document's axes);
    // returns the first-order result.
    const fe::FeCaseResult& Beam(double angle) {
        run_ = MakeRun({6.0}, 10);
        ModelRecord& m = run_->cdltr;
        SetSection(*run_, 1, "IPE", static_cast<float>(angle));
        m.nLagerTyp = 2;
        m.LagerTyp[0] = Fork(true);
        m.LagerTyp[1] = Fork(false);
        m.Kn_Lager[0] = 1;
        m.Kn_Lager[1] = 2;
        LineLoad q;
        q.LCGen = 1;
        q.node = 1;
        q.length = 6;
        q.pz0 = q.pz1 = 10;
        m.StreckenL.Append(q);
        m.nLf = 1;
        m.nRegelLk = m.nKnickLk = 1;
        m.nRegelTerm = m.nKnickTerm = 1;
        m.RegelTerm = {CombinationTerm{1, 0, 1.0f}};
        m.KnickTerm = {CombinationTerm{1, 0, 1.0f}};
        m.QsDatei = file_->path();
        section::OpenSectionDatabase(*run_, 1);
        EXPECT_EQ(fe::PrepareSystemData(*run_), 0);
        EXPECT_EQ(fe::ApplyLoads(*run_), 0);
        section::Sections(*run_).SetzeQuer();
        EXPECT_EQ(fe::RechneDltr3D(*run_, 0, 0), 0);
        return fe::State(*run_).results.service[0];
    }
    double Mid(const fe::FeCaseResult& r, int32_t dof) {
        const int32_t n = fe::FindNodeAtX(*run_, 3.0);
        return r.displacements.at(static_cast<size_t>(7 * n + dof));
    }
    void TearDown() override {
        if (run_) section::OpenSectionDatabase(*run_, -1);
    }
    std::unique_ptr<SectionFile> file_;
    std::unique_ptr<RunState> run_;
};

TEST_F(TurnedSections, LoadInZBendsTheAxisTheTurnedSectionPresents) {
    const double w0 = 5 * 10 * std::pow(6.0, 4) / (384 * kE);  // 5 q L^4 / (384 E) per unit I, m5
    struct Row {
        double angle;
        double Iw;  // second moment that carries the load in z, cm4
    };
    // Turned by 90 degrees the weak axis carries the load: 5 q L^4/(384 E Iz).
    for (const Row& r : {Row{0, kIy}, Row{90, kIz}}) {
        const fe::FeCaseResult& res = Beam(r.angle);
        EXPECT_NEAR(Mid(res, fe::kW), w0 / (r.Iw * 1e-8), 1e-6 * w0 / (r.Iw * 1e-8)) << r.angle;
        EXPECT_NEAR(Mid(res, fe::kV), 0.0, 1e-12) << r.angle;
    }
}

TEST_F(TurnedSections, ObliqueSectionDeflectsAsItsPrincipalAxesGiveByHand) {
    // Turned by 30 degrees: about the member's axes Ayy = Iy c² + Iz s²,
    // Azz = Iy s² + Iz c², |Ayz| = (Iy - Iz) s c, and a load in z deflects
    // the member by w = 5 q L^4/(384 E) Azz/(Ayy Azz - Ayz²) in z.
    // The solver reports v', w' in the principal axes, turned by 30 degrees
    // (the strong axis follows the section): w = sin a v' + cos a w'.
    const double a = M_PI / 6, c = std::cos(a), s = std::sin(a);
    const double Ayy = kIy * c * c + kIz * s * s, Azz = kIy * s * s + kIz * c * c, Ayz = (kIy - kIz) * s * c;
    const double wRef = 5 * 10 * std::pow(6.0, 4) / (384 * kE) * Azz / (Ayy * Azz - Ayz * Ayz) * 1e8;
    const fe::FeCaseResult& res = Beam(30);
    const double v1 = Mid(res, fe::kV), w1 = Mid(res, fe::kW);
    EXPECT_NEAR(s * v1 + c * w1, wRef, 1e-6 * wRef);
    // In the principal axes: pz' = q cos a on the strong axis, py' = q sin a on the weak one.
    const double unit = 5 * 10 * std::pow(6.0, 4) / (384 * kE) * 1e8;
    EXPECT_NEAR(w1, unit * c / kIy, 1e-6 * unit * c / kIy);
    EXPECT_NEAR(v1, unit * s / kIz, 1e-6 * unit * s / kIz);
    // Stresses: the principal moments My' = q cos a L²/8 and Mz' = q sin a L²/8
    // (kNcm) meet at the outer face of a flange tip, (b/2, (hs + tf)/2)
    // in the principal axes: sigma = My' z/Iy + Mz' y/Iz, both signs.
    const double My = 10 * c * 36 / 8 * 100, Mz = 10 * s * 36 / 8 * 100;
    const double sigma = My * (kHs + kTf) / 2 / kIy + Mz * (kB / 2) / kIz;
    const size_t endB = static_cast<size_t>(10 * 4 + 5);  // end b of element 4, at midspan
    ASSERT_GT(res.stresses.size(), endB + 1);
    EXPECT_NEAR(res.stresses[endB], sigma, 1e-6 * sigma);
    EXPECT_NEAR(res.stresses[endB + 1], -sigma, 1e-6 * sigma);
}

}  // namespace
