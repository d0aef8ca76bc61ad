// Geometry queries of the member: the field at x, the span between
// restraints and points on the plates of a field section.
#include <gtest/gtest.h>

#include "module/ModuleData.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

CSupport Support(double cy, double cz) {
    CSupport s;
    s.m_cy.SetValue(cy);
    s.m_cz.SetValue(cz);
    return s;
}

// Fields 4, 6 and 5 m; node 0 free sideways, node 2 free vertically (a
// spring of 0.05 counts as free), the other nodes held (-1: rigid).
struct Member {
    CModuleData d;
    Member() {
        d.Init();
        d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(4.0), CFormulaValue(6.0), CFormulaValue(5.0)};
        d.m_supports = {Support(0.0, kRigidSpring), Support(kRigidSpring, kRigidSpring), Support(kRigidSpring, 0.05),
                        Support(kRigidSpring, kRigidSpring)};
    }
};

TEST(MemberGeometry, FindFieldAtX) {
    Member m;
    struct Case {
        double x;
        bool y;
        int field, endFlag;
    };
    const Case cases[] = {
        {0.0, false, 0, 0},    {2.0, true, 0, 1},     // node 0 free sideways: a cantilever end
        {4.0, false, 0, 0},    {4.0009, false, 0, 0},  // at a node (within 0.001) the left field
        {4.01, false, 1, 0},   {10.0, false, 1, 0},   {12.0, false, 2, 0},
        {15.0009, false, 2, 0}, {20.0, false, 0, 0},  // beyond the member: 0
    };
    for (const Case& c : cases) {
        int flag = -1;
        EXPECT_EQ(m.d.FindFieldAtX(c.x, &flag, c.y), c.field) << c.x;
        EXPECT_EQ(flag, c.endFlag) << c.x;
        EXPECT_EQ(m.d.FindFieldAtX(c.x), c.field) << c.x;
    }
}

TEST(MemberGeometry, SpanBetweenRestraints) {
    Member m;
    // Vertically node 2 is free: fields 1 and 2 form one span of 6 + 5 m.
    EXPECT_DOUBLE_EQ(m.d.GetSpanBetweenRestraints(0, false), 4.0);
    EXPECT_DOUBLE_EQ(m.d.GetSpanBetweenRestraints(1, false), 11.0);
    EXPECT_DOUBLE_EQ(m.d.GetSpanBetweenRestraints(2, false), 11.0);
    // Sideways every inner node holds; the free end node extends nothing.
    EXPECT_DOUBLE_EQ(m.d.GetSpanBetweenRestraints(0, true), 4.0);
    EXPECT_DOUBLE_EQ(m.d.GetSpanBetweenRestraints(1, true), 6.0);
    // A spring of 0.2 holds.
    m.d.m_supports[2].m_cz.SetValue(0.2);
    EXPECT_DOUBLE_EQ(m.d.GetSpanBetweenRestraints(1, false), 6.0);
    EXPECT_DOUBLE_EQ(m.d.GetSpanBetweenRestraints(3, false), 0.0);  // no such field
}

TEST(MemberGeometry, SectionPlatePoints) {
    Member m;
    CSection s;
    s.m_profile.Create(0);
    const int p = s.m_profile.GetHandle();
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-15, 0, 15, 0, 2.5));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(-15, 62.5, 15, 62.5, 2.5));
    SEKT_PRO_AddWLine(p, zidezaz::MakeWLine(0, 0, 0, 62.5, 1.2));
    m.d.m_sections = {s};
    // The plate records are the library's wall elements (about the
    // centroid, flanges cut at the web): each value linear between the
    // record's start and end, cm -> m.
    const int count = s.m_profile.GetEffValueCount();
    ASSERT_GT(count, 2);
    double a = -7, b = -7;
    for (int k = 0; k < count; ++k) {
        SektTqe e{};
        ASSERT_EQ(SEKT_PRO_GetResultTqe(p, 0, k, &e), 0);
        m.d.GetSectionPlateAt(0, k, 0.75, a, b);
        EXPECT_DOUBLE_EQ(a, (e.ya + 0.75 * (e.ye - e.ya)) * 0.01) << k;
        EXPECT_DOUBLE_EQ(b, (e.za + 0.75 * (e.ze - e.za)) * 0.01) << k;
    }
    // Past the plate count, a wrong field: unchanged.
    a = b = -7;
    m.d.GetSectionPlateAt(0, count, 0.5, a, b);
    m.d.GetSectionPlateAt(0, -1, 0.5, a, b);
    m.d.GetSectionPlateAt(1, 0, 0.5, a, b);
    EXPECT_EQ(a, -7);
    EXPECT_EQ(b, -7);
    s.m_profile.Release();
}

}  // namespace

TEST(MemberGeometry, SpanOverFreeInnerSupports) {
    // Fields of 3, 4 and 5 m: with the inner nodes free vertically the span
    // of the middle field runs over all three, with them held it is its own.
    CModuleData d;
    d.Init();
    d.m_fieldLengths = {CFormulaValue(0.0), CFormulaValue(3.0), CFormulaValue(4.0), CFormulaValue(5.0)};
    d.m_supports = {Support(0.0, kRigidSpring), Support(0.0, 0.0), Support(0.0, 0.0), Support(0.0, kRigidSpring)};
    EXPECT_DOUBLE_EQ(d.GetSpanBetweenRestraints(1, false), 12.0);
    d.m_supports[1].m_cz.SetValue(kRigidSpring);
    d.m_supports[2].m_cz.SetValue(kRigidSpring);
    EXPECT_DOUBLE_EQ(d.GetSpanBetweenRestraints(1, false), 4.0);
}
