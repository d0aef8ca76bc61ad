// Positions built through the module data for the tests: a member-design
// beam over given spans with permanent and imposed uniform loads, and a
// crane runway; the installation root of the build for the catalogues, and
// a scratch folder per test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "input/StdProfile.h"
#include "module/ModuleData.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace moddatatest {

namespace fs = std::filesystem;

// The catalogues of the build's installation root are found through the
// host executable's path.
inline void UseBuildRoot() { winsys::SetHostExecutablePath(fs::path(RIGEL_BUILD_ROOT) / "bin" / "velor2005"); }

// A folder of its own below the test scratch folder (name, process id).
inline fs::path Scratch(const std::string& name) {
    fs::path dir = fs::path(RIGEL_TEST_TMP) / ("moddata_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// A uniform load in z over the whole beam.
inline CLoadDef UniformLoad(int action, const std::string& loadCase, double q, double length) {
    CLoadDef l;
    l.m_iLoadCase = action;
    l.m_LCGen.m_strText = loadCase;
    l.m_LCGen.Parse();
    l.m_iLoadType = LOAD_UNIFORM;
    l.m_iNode = 0;
    l.m_iDirection = 2;
    l.m_offset.SetValue(0.0);
    l.m_length.SetValue(length);
    l.m_val[0].SetValue(q);
    return l;
}

// A fork support (translations and twist held; warping free); the first
// support also holds the beam in its axis.
inline CSupport ForkSupport(bool axial) {
    CSupport s;
    if (axial) s.m_cx.SetValue(kRigidSpring);
    s.m_cy.SetValue(kRigidSpring);
    s.m_cz.SetValue(kRigidSpring);
    s.m_cmx.SetValue(kRigidSpring);
    return s;
}

inline CSection RolledSection(CModuleData& d, const std::string& series, const std::string& profile) {
    CSection s;
    s.m_pOwner = &d;
    s.m_profFamily = series;
    s.m_profName = profile;
    s.m_profSelType = 0;
    int si = -1, pi = -1;
    GetStdProfile().FindProfile(series, profile, si, pi);
    s.m_iFamily = si;
    s.m_iProfile = pi;
    s.m_strMaterial = "S235";
    s.m_iNorm = 31;
    double y1, z1, y2, z2;
    s.ComputeGeometry(0, y1, z1, y2, z2);  // outline, centroid and shear centre, as the dialog shows them
    return s;
}

// Action 1 permanent (group 0), action 2 imposed (group 1, category 0).
inline std::vector<CActionRecord> PermanentAndImposedActions() {
    CActionRecord permanent;
    permanent.m_nNumber = 1;
    permanent.m_nGroup = 0;
    permanent.m_nFullGroup = 0;
    CActionRecord imposed;
    imposed.m_nNumber = 2;
    imposed.m_nGroup = 1;
    imposed.m_nFullGroup = 1;
    imposed.m_nCategory = 0;
    return {permanent, imposed};
}

// A member-design position: spans (m) with fork supports, one rolled
// section, a cantilever when the last support is absent; action 1
// permanent with load case 1 (g), action 2 imposed with load case 2 (q).
inline void MakeBeam(CModuleData& d, const std::vector<double>& spans, double g, double q,
                     const std::string& profile = "IPE 300", bool cantilever = false) {
    d.Init();
    d.m_strProgName = "RIGEL";
    d.m_strModuleName = "";
    d.SetNormAndMaterialClass(31, 4);
    d.m_fieldLengths.assign(1, CFormulaValue(0.0));
    d.m_supports.assign(1, ForkSupport(true));
    double total = 0.0;
    for (size_t i = 0; i < spans.size(); ++i) {
        d.m_fieldLengths.emplace_back(spans[i]);
        const bool last = i + 1 == spans.size();
        d.m_supports.push_back(cantilever && last ? CSupport() : ForkSupport(false));
        total += spans[i];
    }
    d.m_sections.clear();
    for (size_t i = 0; i < spans.size(); ++i) d.m_sections.push_back(RolledSection(d, "IPE", profile));
    CLKData& lk = d.LK();
    lk.m_actions = PermanentAndImposedActions();
    d.m_loads = {UniformLoad(1, "1", g, total), UniformLoad(2, "2", q, total)};
    d.m_loads[0].m_strDesc = "Eigengewicht und Ausbau";
    d.m_loads[1].m_strDesc = "Nutzlast";
    d.BuildLoadCaseActionTable();
    lk.UpdateActionsFromLoadCases();
}

// A crane runway of one span with one two-axle crane.
inline void MakeCraneRunway(CModuleData& d, double span) {
    d.Init();
    d.m_strProgName = "VADU";
    d.m_strModuleName = "";
    d.m_fieldLengths.assign(1, CFormulaValue(0.0));
    d.m_supports.assign(1, ForkSupport(true));
    d.m_fieldLengths.emplace_back(span);
    d.m_supports.push_back(ForkSupport(false));
    d.m_sections = {RolledSection(d, "HEB", "HEB 300")};
    d.m_sections[0].m_nTeilung = 3;  // a crane runway's sections are divided in three
    d.m_cranes.resize(1);
    d.m_cranes[0].m_pOwner = &d;
    d.m_cranes[0].m_strDesc = "Brückenkran 10 t";
    CNotchCase poi;
    poi.Reset();
    poi.m_strName = "Quersteife";
    poi.m_xPos.SetValue(span / 2);
    d.m_notchCases = {poi};
}

}  // namespace moddatatest
