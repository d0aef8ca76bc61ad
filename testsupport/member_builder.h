// A fluent builder of a member for the finite-element solver: spans,
// supports, loads, springs and bedding on an IPE 300 (the section values may
// be changed), with one load case and one combination of each kind; it runs
// the data preparation and the analyses the way the run driver does and
// reads the results by position. For tests, benchmarks and examples:
//   Member b;
//   b.Spans({6}, 10).Support(0, Fork(true)).Support(1, Fork(false)).Line(0, 6, 0, 10);
//   b.Analyse(1);  // buckling eigenvalues
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSolver.h"
#include "testsupport/ipe300.h"

namespace test_member {

using namespace tovik;
using namespace tovik::fe;

// Supports: fork (u held or free), fully fixed, only w held.
inline SupportType Fork(bool holdU) {
    SupportType s;
    s.cx = holdU ? -1 : 0;
    s.cy = s.cz = s.cmx = -1;
    return s;
}
inline SupportType Fixed() { return SupportType{-1, -1, -1, -1, -1, -1, -1}; }
inline SupportType HoldW() {
    SupportType s;
    s.cz = -1;
    return s;
}

class Member {
public:
    std::unique_ptr<RunState> run = std::make_unique<RunState>();
    ipe300::Sections sections;
    ModelRecord& m = run->cdltr;

    Member& Spans(std::vector<double> lengths, int32_t divisions) {
        m.nFeld = static_cast<int32_t>(lengths.size());
        for (size_t i = 0; i < lengths.size(); ++i) {
            m.Feld_L[i] = static_cast<float>(lengths[i]);
            m.nTeilung[i] = divisions;
        }
        return *this;
    }
    // Support at input node i (0-based).
    Member& Support(int32_t node, SupportType t) {
        m.LagerTyp[static_cast<size_t>(m.nLagerTyp)] = t;
        m.Kn_Lager[static_cast<size_t>(node)] = ++m.nLagerTyp;
        return *this;
    }
    // Loads measured from input node 1 (the member's start).
    Member& Point(double x, double Px, double Py, double Pz, double eyCm = 0, double ezCm = 0) {
        PointForce p;
        p.LCGen = 1;
        p.node = 1;
        p.offset = static_cast<float>(x);
        p.Px = static_cast<float>(Px);
        p.Py = static_cast<float>(Py);
        p.Pz = static_cast<float>(Pz);
        p.ey = static_cast<float>(eyCm);
        p.ez = static_cast<float>(ezCm);
        m.EinzelF.Append(p);
        return *this;
    }
    Member& Moment(double x, double Mx, double My, double Mz) {
        PointMoment p;
        p.LCGen = 1;
        p.node = 1;
        p.offset = static_cast<float>(x);
        p.Mx = static_cast<float>(Mx);
        p.My = static_cast<float>(My);
        p.Mz = static_cast<float>(Mz);
        m.EinzelM.Append(p);
        return *this;
    }
    Member& Line(double x, double length, double py, double pz, double ezCm = 0) {
        LineLoad q;
        q.LCGen = 1;
        q.node = 1;
        q.offset = static_cast<float>(x);
        q.length = static_cast<float>(length);
        q.py0 = q.py1 = static_cast<float>(py);
        q.pz0 = q.pz1 = static_cast<float>(pz);
        q.ez0 = q.ez1 = static_cast<float>(ezCm);
        m.StreckenL.Append(q);
        return *this;
    }
    Member& Temperature(double dT0, double dTy, double dTz) {
        TemperatureLoad t;
        t.LCGen = 1;
        t.node = 1;
        t.length = static_cast<float>(m.GesamtLaenge > 0 ? m.GesamtLaenge : Total());
        t.dT0 = static_cast<float>(dT0);
        t.dT1 = static_cast<float>(dTy);
        t.dT2 = static_cast<float>(dTz);
        m.TempL.Append(t);
        return *this;
    }
    // Imposed displacement in z (cm) at input node i (1-based).
    Member& Settlement(int32_t node1, double dwCm) {
        ImposedDisplacement z;
        z.LCGen = 1;
        z.node = node1;
        z.dw = static_cast<float>(dwCm);
        m.Zwang.Append(z);
        return *this;
    }
    Member& SpringAt(double x, double cy, double cz, double eyCm = 0, double ezCm = 0) {
        Spring s;
        s.node = 0;
        s.posX = static_cast<float>(x);
        s.cy = static_cast<float>(cy);
        s.cz = static_cast<float>(cz);
        s.ey = static_cast<float>(eyCm);
        s.ez = static_cast<float>(ezCm);
        m.Feder[static_cast<size_t>(m.nFeder++)] = s;
        return *this;
    }
    Member& BeddingZ(double cz) {
        Bedding b;
        b.node = 0;
        b.length = static_cast<float>(Total());
        b.cz = static_cast<float>(cz);
        m.Bettung[static_cast<size_t>(m.nBettung++)] = b;
        return *this;
    }
    // A bedding over the whole member with its eccentricities (cm).
    Member& Bed(double cy, double ezCm, double cz, double eyCm, double cmx) {
        Bedding b;
        b.node = 0;
        b.length = static_cast<float>(Total());
        b.cy = static_cast<float>(cy);
        b.cz = static_cast<float>(cz);
        b.ey = b.ey2 = static_cast<float>(eyCm);
        b.ez = b.ez2 = static_cast<float>(ezCm);
        b.cmx = static_cast<float>(cmx);
        m.Bettung[static_cast<size_t>(m.nBettung++)] = b;
        return *this;
    }
    double Total() const {
        double s = 0;
        for (int32_t i = 0; i < m.nFeld; ++i) s += m.Feld_L[static_cast<size_t>(i)];
        return s;
    }

    // Data preparation and placement.
    int32_t Prepare() {
        m.nLf = 1;
        m.nRegelLk = m.nKnickLk = 1;
        m.nRegelTerm = m.nKnickTerm = 1;
        m.RegelTerm = {CombinationTerm{1, 0, 1.0f}};
        m.KnickTerm = {CombinationTerm{1, 0, 1.0f}};
        State(*run).sections = &sections;
        if (int32_t rc = PrepareSystemData(*run)) return rc;
        return ApplyLoads(*run);
    }
    int32_t Analyse(int32_t modus) {
        if (int32_t rc = Prepare()) return rc;
        return RechneDltr3D(*run, modus, 0);
    }
    // The driver's sequence for an ultimate case.
    int32_t Ultimate() {
        if (int32_t rc = Prepare()) return rc;
        if (int32_t rc = RechneDltr3D(*run, 1, 0)) return rc;
        SetImperfection(*run, 0);
        return RechneDltr3D(*run, 2, 0);
    }

    const FeCaseResult& Service() { return State(*run).results.service[0]; }
    const FeCaseResult& Ult() { return State(*run).results.ultimate[0]; }
    int32_t Node(double x) const { return FindNodeAtX(*run, x); }
    double Disp(const FeCaseResult& r, double x, int32_t dof) {
        return r.displacements.at(static_cast<size_t>(7 * Node(x) + dof));
    }
    // Internal force of kind c at node x (the element ending there).
    double Force(const FeCaseResult& r, double x, int32_t c) {
        const int32_t n = Node(x);
        return n > 0 ? r.endForces.at(static_cast<size_t>(14 * (n - 1) + 7 + c))
                     : r.endForces.at(static_cast<size_t>(c));
    }
    double Reaction(const FeCaseResult& r, double x, int32_t dof) {
        return r.reactions.at(static_cast<size_t>(7 * Node(x) + dof));
    }
};

}  // namespace test_member
