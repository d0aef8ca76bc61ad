// A beam document calculated through the kernel library's beam entry: a
// simply supported IPE 300 of 6 m under 10 kN/m, checked against the closed
// forms (support reactions qL/2, moment 1.35·qL²/8, deflection 5qL⁴/384EI).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "kernel_results/BeamPostProcess.h"
#include "testsupport/kernel_library.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"
#include "platform/zidezaz/zidezaz.h"

namespace fs = std::filesystem;

namespace {

using kernel_library_test::Library;
using kernel_library_test::MakeSectionFile;
void Property(ZVELEM obj, const char* name, double v) {
    ZVELEM p = ZEVUD_AddChildElement(obj, "prop");
    ZEVUD_SetString(p, "Kurzname", name);
    ZEVUD_SetDouble(p, "Wert01", v);
}

double ExportValue(ZVELEM e, const std::string& var, bool* found) {
    for (ZVELEM c = ZEVUD_GetFirstChild(e); c; c = ZEVUD_GetNextChild(c)) {
        if (zevud::GetElementName(c) == "folder") {
            const double v = ExportValue(c, var, found);
            if (*found) return v;
        } else if (zevud::GetString(c, "varName") == var) {
            *found = true;
            return ZEVUD_GetDouble(c, "val");
        }
    }
    return 0;
}

TEST(BeamEndToEnd, SimplySupportedBeamMatchesClosedForms) {
    const fs::path dir = fs::path(RIGEL_TEST_TMP) / ("beam_e2e_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    winsys::ScopedRecordingSink sink;
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    auto calc = reinterpret_cast<void (*)(uint32_t, int32_t)>(dlsym(lib.handle, "DADAD_Urev"));
    ASSERT_NE(calc, nullptr);

    const std::string docPath = (dir / "Stab1.VKX").string();
    ZVDOC doc = ZEVUD_CreateDoc(docPath.c_str());
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZEVUD_SetString(root, "progname", "VOVI");
    ZEVUD_SetInt(ZEVUD_AddChildElement(root, "info"), "norm", 8);
    ZVELEM input = ZEVUD_AddChildElement(root, "input");
    ZVELEM ctrl = ZEVUD_AddChildElement(input, "ctrl");
    ZEVUD_SetInt(ctrl, "calcIdx", 0);
    ZEVUD_SetInt(ctrl, "zulDefField", 300);
    ZEVUD_SetInt(ctrl, "zulDefKrag", 150);
    ZVELEM system = ZEVUD_AddChildElement(input, "system");
    ZEVUD_SetDouble(system, "wProfil", 0.0);
    ZEVUD_SetInt(system, "numOfFields", 2);
    for (int i = 0; i < 2; ++i) {
        ZVELEM f = ZEVUD_AddChildElement(system, "field");
        ZEVUD_SetString(f, "fieldNr", std::to_string(i).c_str());
        ZEVUD_SetDouble(f, "length", i == 0 ? 0.0 : 6.0);
        ZVELEM s = ZEVUD_AddChildElement(f, "support");
        ZEVUD_SetDouble(s, "cy", -1.0);
        ZEVUD_SetDouble(s, "cz", -1.0);
        if (i == 1) {
            ZVELEM sl = ZEVUD_AddChildElement(f, "Sectlib");
            ZEVUD_SetDouble(sl, "phi", 0.0);
            ZEVUD_SetDouble(sl, "A", 53.8);
        }
    }
    ZVELEM obj = ZEVUD_AddChildElement(ZEVUD_AddChildElement(system, "mate"), "Objekt");
    ZEVUD_SetString(obj, "Name", "S 235");
    Property(obj, "fo", 235);
    Property(obj, "fu", 360);
    Property(obj, "E", 210000);
    Property(obj, "G", 81000);
    Property(obj, "gamma_m", 1.1);
    Property(obj, "gamma", 78.5);

    // Fork supports at both ends, the member's axial restraint at the first.
    ZVELEM gen = ZEVUD_AddChildElement(input, "genNode");
    ZEVUD_SetInt(gen, "numOfSupports", 2);
    const double springs[2][6] = {{-1, -1, -1, -1, 0, 0}, {0, -1, -1, -1, 0, 0}};
    static const char* const names[6] = {"cx", "cy", "cz", "cmx", "cmy", "cmz"};
    for (int i = 0; i < 2; ++i) {
        ZVELEM s = ZEVUD_AddChildElement(gen, "support");
        ZEVUD_SetString(s, "supportNr", std::to_string(i).c_str());
        for (int k = 0; k < 6; ++k) ZEVUD_SetDouble(s, names[k], springs[i][k]);
    }
    ZEVUD_SetInt(gen, "numOfGenNodes", 3);
    const double pos[3] = {0, 3, 6};
    const int sup[3] = {0, -1, 1};
    for (int i = 0; i < 3; ++i) {
        ZVELEM n = ZEVUD_AddChildElement(gen, "node");
        ZEVUD_SetString(n, "genNodeNr", std::to_string(i).c_str());
        ZEVUD_SetDouble(n, "pos", pos[i]);
        ZEVUD_SetInt(n, "iSupport", sup[i]);
        ZEVUD_SetInt(n, "iGelenk", -1);
        ZEVUD_SetString(n, "strProfile", "IPE 300");
    }
    ZVELEM load = ZEVUD_AddChildElement(ZEVUD_AddChildElement(input, "genimpact"), "load");
    ZEVUD_SetInt(load, "ltype", 0);
    ZEVUD_SetInt(load, "lc", 1);
    ZEVUD_SetInt(load, "node", 0);
    ZEVUD_SetDouble(load, "offset", 0.0);
    ZEVUD_SetDouble(load, "length", 6.0);
    ZEVUD_SetInt(load, "direction", 2);
    ZEVUD_SetDouble(load, "val0", 10.0);
    ZVELEM imp = ZEVUD_AddChildElement(input, "imperfection");
    ZEVUD_SetDouble(imp, "phi0_0", 0.0);
    ZEVUD_SetDouble(imp, "w0_0", 0.0);
    ZVELEM lu = ZEVUD_AddChildElement(input, "lastUeberlagerung");
    ZVELEM results = ZEVUD_AddChildElement(lu, "results");
    for (const auto& [art, regel] : std::vector<std::pair<const char*, const char*>>{
             {"Ed", "1.35*(1)"}, {"Ed,perm", "1.0*(1)"}, {"AK", "1.0*(1)"}, {"AK1", "1.0*(1)"}}) {
        ZVELEM r = ZEVUD_AddChildElement(results, "result");
        ZEVUD_SetString(r, "art", art);
        ZEVUD_SetString(r, "regel", regel);
    }
    ZVELEM ew = ZEVUD_AddChildElement(ZEVUD_AddChildElement(lu, "einwirkungen"), "einwirkung");
    ZEVUD_SetString(ew, "einw", "1");
    ZEVUD_SetString(ew, "title", "G");
    ASSERT_EQ(ZEVUD_SaveDoc(doc), 1);
    ASSERT_TRUE(MakeSectionFile(docPath, "IPE 300", "\\IPE\\IPE 300"));

    calc(doc, 0);

    ZVELEM result = ZEVUD_FindFirstChild(root, "result");
    ASSERT_NE(result, 0u);
    const std::string message = zevud::GetString(result, "message");
    EXPECT_EQ(ZEVUD_GetInt(result, "error"), 0) << message;
    // The error file is named after the document without its extension and removed.
    EXPECT_FALSE(fs::exists(dir / "Stab1.err"));

    // Support reactions qL/2 = 30 kN at both supports.
    ZVELEM exports = ZEVUD_FindFirstChild(root, "exports");
    for (const char* var : {"minAz", "maxAz", "minBz", "maxBz", "Az_g", "minAz_1"}) {
        bool found = false;
        const double v = ExportValue(exports, var, &found);
        EXPECT_TRUE(found) << var;
        EXPECT_NEAR(std::fabs(v), 30.0, 0.05) << var;
    }

    // Design moment 1.35 · 10 · 6² / 8 = 60.75 kNm (no compression: no second-order growth).
    ZVELEM forces = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(result, "trag"), "forces");
    ZVELEM my = ZEVUD_FindFirstChild(forces, "bending_moment_My");
    ASSERT_NE(my, 0u);
    const std::vector<float> m = tovik::results::ReadFloats(my, "data");
    double mmax = 0;
    for (size_t i = 0; i + 2 < m.size(); i += 3) mmax = std::max({mmax, std::fabs(double(m[i + 1])), std::fabs(double(m[i + 2]))});
    EXPECT_NEAR(mmax, 60.75, 0.3);

    // Deflection 5qL⁴/(384 E I), I of IPE 300 = 8356 cm⁴: 9.62 mm; utilisation 9.62 · 300 / 6000.
    ZVELEM def = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(result, "gebr"), "deformation");
    const std::vector<float> w = tovik::results::ReadFloats(ZEVUD_FindFirstChild(def, "deformation_Vz"), "data");
    double wmax = 0;
    for (size_t i = 0; i + 2 < w.size(); i += 3) wmax = std::max({wmax, std::fabs(double(w[i + 1])), std::fabs(double(w[i + 2]))});
    const double expected = 5.0 * 0.1 * std::pow(600.0, 4) / (384.0 * 21000.0 * 8356.0) * 10.0;
    EXPECT_NEAR(wmax, expected, 0.02 * expected);
    EXPECT_NEAR(ZEVUD_GetDouble(result, "dMaxAusVer"), expected / 1000.0 * 300.0 / 6.0, 0.02 * 0.48);

    ZEVUD_CloseDoc(doc);
    fs::current_path(old);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace
