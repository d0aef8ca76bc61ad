// Small crane-runway positions for the crane tests: welded I girders built
// from plates, a flat rail, cranes with given wheel loads.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "crane/CraneOperations.h"
#include "module/ModuleData.h"
#include "platform/combor/combor.h"
#include "platform/ferrum/ferrum.h"
#include "platform/zidezaz/zidezaz.h"

namespace cranetest {

// Adds a welded I (cm) to a profile: flanges b x tf on their centre lines at
// z 0 and h, web tw between them (plate 0 top flange, 1 bottom flange, 2 web).
inline void AddWeldedI(int pro, double h, double b, double tf, double tw) {
    SEKT_PRO_AddWLine(pro, zidezaz::MakeWLine(-b / 2, 0, b / 2, 0, tf));
    SEKT_PRO_AddWLine(pro, zidezaz::MakeWLine(-b / 2, h, b / 2, h, tf));
    SEKT_PRO_AddWLine(pro, zidezaz::MakeWLine(0, 0, 0, h, tw));
}

inline int WeldedI(double h, double b, double tf, double tw) {
    const int p = SEKT_PRO_Create();
    AddWeldedI(p, h, b, tf, tw);
    return p;
}

// A girder section on a welded I.
inline CSection WeldedSection(double h, double b, double tf, double tw) {
    CSection s;
    s.m_profile.Create(0);
    AddWeldedI(s.m_profile.GetHandle(), h, b, tf, tw);
    s.m_strength = 235.0;
    return s;
}

// Makes c a crane of one axle at its reference point with no wheel load.
inline void MakeOneAxle(CCrane& c) {
    c.m_numOfAxis = 1;
    c.SetAxisCount();
    c.AxisValue(0, 0)->SetValue(0.0);
    for (CFormulaValue& v : c.m_wheelLoads) v.SetValue(0.0);
}

// Sets wheel load value k of axle a in group g directly.
inline void SetWheelLoad(CCrane& c, int a, int g, int k, double v) {
    c.m_wheelLoads[(static_cast<size_t>(a) * CCrane::kGroups + static_cast<size_t>(g)) * CCrane::kWheelValues +
                   static_cast<size_t>(k)]
        .SetValue(v);
}

// A crane runway of one field (length span) on a welded I with top flange
// 300 x 25 mm and web 12 mm, a flat rail 80 x 40 mm (worn: 80 x 30 mm) fixed
// rigidly, one crane with two axles spaced `spacing` apart, its first axle
// `gap` behind the crane in front; group 0 (load case 1) carries `wheel` kN
// on each axle and no other load.
inline void MakeGirder(CModuleData& d, double span, double spacing = 4.0, double gap = 1.0, double wheel = 150.0) {
    d.Init();
    d.m_strProgName = "VADU";
    d.m_fieldLengths.assign(1, CFormulaValue(0.0));
    d.m_fieldLengths.emplace_back(span);
    d.m_supports.resize(2);
    d.m_sections = {WeldedSection(62.5, 30.0, 2.5, 1.2)};
    d.m_rail.m_iTyp = 1;
    d.m_rail.m_b.SetValue(80.0);
    d.m_rail.m_h.SetValue(40.0);
    d.m_rail.m_bRigid = 1;
    d.m_rail.m_connection = 1;
    d.m_rail.m_d.SetValue(0.0);
    d.m_cranes.resize(1);
    CCrane& c = d.m_cranes[0];
    c.m_pOwner = &d;
    c.m_numOfAxis = 2;
    c.SetAxisCount();
    c.AxisValue(0, 0)->SetValue(gap);
    c.AxisValue(1, 0)->SetValue(spacing);
    for (CFormulaValue& v : c.m_wheelLoads) v.SetValue(0.0);
    for (int a = 0; a < 2; ++a) SetWheelLoad(c, a, 0, 2, wheel);
    for (int& lc : c.m_loadCaseNr) lc = -1;
    c.m_loadCaseNr[0] = 1;
    d.m_notchCases.clear();
}

// The point of a point of interest on the library section h: wall element
// tqe of its profile at the relative place idx, and the wall line the
// element lies on.
struct ElementPoint {
    double y = 0, z = 0;
    int line = -1;
};
inline ElementPoint PointOn(int h, int tqe, double idx) {
    ElementPoint p;
    SektTqe e{};
    if (SEKT_PRO_GetResultTqe(FER_hGetProfile(h), 0, tqe, &e) != 0) return p;
    p.y = e.ya + idx * (e.ye - e.ya);
    p.z = e.za + idx * (e.ze - e.za);
    p.line = e.line;
    return p;
}

// G (load case 1, permanent) and a crane action (load case 2, category 13)
// on the position's combination session under "EC_NAD", with the given
// proof switches on and all others off.
inline void DefineTwoActionCombinations(CModuleData& d, std::initializer_list<int> checks) {
    const COMBOR_HANDLE h = d.LK().GetSession();
    COMBOR_SetNorm(h, "EC_NAD");
    COMBOR_DefEinw(h, 1, 0, 0, 0);
    COMBOR_DefEinw(h, 2, 1, 13, 0);
    COMBOR_SetLastfall(h, 1, 1);
    COMBOR_SetLastfall(h, 2, 2);
    for (int i = 0; i < 32; ++i) COMBOR_EnableNachweis(h, i, 0);
    for (int c : checks) COMBOR_EnableNachweis(h, c, 1);
}

// The value of id in slot at the node at x (a test failure without one).
inline double ValueAt(const CResultTable& t, int slot, double x, int id) {
    for (int i = 0; i < t.GetNumNodes(); ++i)
        if (std::fabs(t.GetXData()[static_cast<size_t>(i)] - x) < 1e-6) return t.GetValue(slot, i, id);
    ADD_FAILURE() << "no node at " << x;
    return 0;
}

}  // namespace cranetest
