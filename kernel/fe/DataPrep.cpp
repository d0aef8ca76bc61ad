// Data preparation and load application: nodes, elements, placement of
// beddings, springs and loads, the combination of a load case, and the
// element loads of a pass.
#include <algorithm>
#include <cmath>

#include "kernel/KernelErrors.h"
#include "kernel/KernelUtil.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/fe/Skyline.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace tovik::fe {

namespace {

constexpr double kTol = 0.001;  // coinciding points, m
constexpr double kAlphaT = 1.2e-5;  // thermal expansion of steel, 1/K
constexpr const char* kOverflowText = "Speicherüberlauf! Bitte vereinfachen Sie das System";

double Interp(double a, double b, double xa, double xe, double s) {
    if (xe - xa == 0.0) return a;
    return a + (s - xa) * (b - a) / (xe - xa);
}

// Values of the section at distance d behind input node b (1-based), or a
// zero section when there is no provider.
FeSectionValues SectionAt(const FeState& st, int32_t b, double d) {
    if (!st.sections) return {};
    return st.sections->AtInputNode(b, d);
}

// Eccentricity (cm, from the centroid, reference axes) reduced by the shear
// centre and turned into the principal axes, in m.
void ReduceAndTurn(const FeSectionValues& sec, double eyCm, double ezCm, double& ey, double& ez) {
    const PrincipalSection p = ToPrincipalAxes(sec);
    ey = eyCm * 0.01 - sec.yM;
    ez = ezCm * 0.01 - sec.zM;
    RotatePair(p.alpha, ey, ez);
}

void Progress(RunState& run, const char* text) {
    if (run.progress) run.progress->SetText(lingo::Translate("VKT Eingabe", "velor_i_rigel", "Calc", text));
}

}  // namespace

FeState& State(RunState& run) { return run.Cache<FeState>(); }

void FeErrorLine(RunState& run, int32_t kind, const std::string& text) {
    State(run).errorLines.push_back(text);
    WriteErrLine(run, kind, text);
}

void FeErrorLine(RunState& run, FeState& st, int32_t kind, const std::string& text) {
    if (st.deferred) st.deferred->push_back(DeferredLine{kind, text});
    else FeErrorLine(run, kind, text);
}

void RotatePair(double alpha, double& y, double& z) {
    if (std::fabs(alpha) < 0.1 * M_PI / 180.0) return;
    const double c = std::cos(alpha), s = std::sin(alpha);
    const double y2 = c * y + s * z;
    const double z2 = c * z - s * y;
    y = y2;
    z = z2;
}

int32_t FindNodeAtX(const RunState& run, double x) {
    const FeModel& fe = run.cdltr.fe;
    for (int32_t i = 0; i < fe.nKnoten; ++i)
        if (std::fabs(fe.KnotenX[Z(i)] - x) < kTol) return i;
    return -1;
}

int32_t PrepareSystemData(RunState& run) {
    ModelRecord& m = run.cdltr;
    FeModel& fe = m.fe;
    FeState& st = State(run);
    st.ModelChanged();
    if (m.nFeld < 1 || m.nFeld > limits::kMaxFields) {
        FeErrorLine(run, kErrLineError, winsys::FormatC("Ungültige Anzahl der Felder: %d", m.nFeld));
        run.Stop(codes::kModelTooLarge, "System kann nicht berechnet werden");
        return codes::kModelTooLarge;
    }
    for (int32_t f = 0; f < m.nFeld; ++f) {
        if (!(m.Feld_L[Z(f)] > 0.001f)) {
            const std::string text = winsys::FormatC("Die Länge des Feldes %d ist nicht positiv", f + 1);
            st.errorLines.push_back(text);
            run.Stop(codes::kBadValue, text);
            return codes::kBadValue;
        }
    }
    m.ComputeNodePositions();
    fe.TraegerL = m.GesamtLaenge;
    auto held = [&](int32_t node, bool inY) {
        const int32_t t = m.Kn_Lager[Z(node)];
        if (t < 1 || t > m.nLagerTyp || t > limits::kMaxSupportTypes) return false;
        const SupportType& s = m.LagerTyp[Z(t - 1)];
        return (inY ? s.cy : s.cz) < 0;
    };
    for (int dir = 0; dir < 2; ++dir) {
        std::vector<double>& fields = dir == 0 ? fe.StuetzFelderY : fe.StuetzFelderZ;
        fields.clear();
        double prev = 0.0;
        for (int32_t i = 1; i <= m.nFeld; ++i) {
            if (held(i, dir == 0) || i == m.nFeld) {
                fields.push_back(m.KnotenPos[Z(i)] - prev);
                prev = m.KnotenPos[Z(i)];
            }
        }
        if (!fields.empty()) {
            if (!held(0, dir == 0)) fields.front() = -std::fabs(fields.front());
            if (!held(m.nFeld, dir == 0)) fields.back() = -std::fabs(fields.back());
        }
    }
    return 0;
}

namespace {

// The steps of ApplyLoads on one run: the division points, the finite-element
// nodes, the element-to-span map, the placement of every kind of load record
// on the elements and nodes, the support vector and the result layout.
class LoadPlacement {
public:
    explicit LoadPlacement(RunState& r) : run(r), m(r.cdltr), fe(r.cdltr.fe), st(State(r)), L(r.cdltr.fe.TraegerL) {}

    // 1. The points where the model must have a node: ends of beddings,
    // springs, point loads, ends of line and temperature loads.
    std::vector<double> DivisionPoints() {
        std::vector<double> points;
        Progress(run, "Aufbringen von 'Bettungen'");
        for (int32_t i = 0; i < m.nBettung; ++i) {
            const Bedding& b = m.Bettung[Z(i)];
            if (!validNode0(b.node)) continue;
            const double x = m.KnotenPos[Z(b.node)] + b.posX;
            points.push_back(x);
            points.push_back(x + b.length);
        }
        Progress(run, "Aufbringen von 'Einzelfedern'");
        for (int32_t i = 0; i < m.nFeder; ++i) {
            const Spring& s = m.Feder[Z(i)];
            if (validNode0(s.node)) points.push_back(m.KnotenPos[Z(s.node)] + s.posX);
        }
        Progress(run, "Aufbringen von 'Einzellasten'");
        for (int32_t i = 0; i < m.nEinzelF(); ++i)
            if (validNode1(m.EinzelF[i].node)) points.push_back(inputX(m.EinzelF[i].node) + m.EinzelF[i].offset);
        for (int32_t i = 0; i < m.nEinzelM(); ++i)
            if (validNode1(m.EinzelM[i].node)) points.push_back(inputX(m.EinzelM[i].node) + m.EinzelM[i].offset);
        Progress(run, "Aufbringen von 'Streckenlasten'");
        for (int32_t i = 0; i < m.nStreckenL(); ++i) {
            const LineLoad& q = m.StreckenL[i];
            if (!validNode1(q.node)) continue;
            points.push_back(inputX(q.node) + q.offset);
            points.push_back(inputX(q.node) + q.offset + q.length);
        }
        for (int32_t i = 0; i < m.nTempL(); ++i) {
            const TemperatureLoad& t = m.TempL[i];
            if (!validNode1(t.node)) continue;
            points.push_back(inputX(t.node) + t.offset);
            points.push_back(inputX(t.node) + t.offset + t.length);
        }
        return points;
    }

    // 2. The nodes: the span divisions and the division points (a point
    // closer than the tolerance to a node adds none). 0, or the fault.
    int32_t PlaceNodes(const std::vector<double>& points) {
        std::vector<double> xs{0.0};
        for (int32_t f = 0; f < m.nFeld; ++f) {
            const int32_t n = std::max(1, m.nTeilung[Z(f)]);
            if (n > limits::kMaxFeNodes) {
                xs.resize(Z(limits::kMaxFeNodes) + 1);
                break;
            }
            for (int32_t k = 1; k <= n; ++k)
                xs.push_back(m.KnotenPos[Z(f)] + static_cast<double>(m.Feld_L[Z(f)]) * k / n);
            if (xs.size() > Z(limits::kMaxFeNodes)) break;
        }
        for (double x : points) {
            if (xs.size() > Z(limits::kMaxFeNodes)) break;
            if (x < 0.0 || x >= L) continue;
            bool near = false;
            for (double n : xs)
                if (std::fabs(n - x) <= kTol) {
                    near = true;
                    break;
                }
            if (!near) xs.push_back(x);
        }
        if (xs.size() > Z(limits::kMaxFeNodes)) {
            const std::string text = winsys::FormatC(
                "Zu viele Knoten im System (mehr als %d). Bitte vereinfachen Sie das System", limits::kMaxFeNodes);
            run.Stop(codes::kModelTooLarge, text);
            st.errorLines.push_back(text);
            return codes::kModelTooLarge;
        }
        std::sort(xs.begin(), xs.end());
        fe.nKnoten = static_cast<int32_t>(xs.size());
        fe.nStab = fe.nKnoten - 1;
        fe.KnotenX.fill(0.0);
        std::copy(xs.begin(), xs.end(), fe.KnotenX.begin());
        ne = fe.nStab;
        nn = fe.nKnoten;
        return 0;
    }

    // 3./4. Element-to-span map and element hinges.
    void MapElementsToSpans() {
        fe.StabFeld.fill(-1);
        fe.StabGelA.fill(0);
        fe.StabGelE.fill(0);
        for (int32_t f = 0; f < m.nFeld; ++f) {
            const double a = m.KnotenPos[Z(f)], b = m.KnotenPos[Z(f + 1)];
            int32_t first = -1, last = -1;
            for (int32_t e = 0; e < ne; ++e) {
                if (fe.KnotenX[Z(e)] >= a - kTol && fe.KnotenX[Z(e + 1)] <= b + kTol) {
                    fe.StabFeld[Z(e)] = f;
                    if (first < 0) first = e;
                    last = e;
                }
            }
            if (first >= 0 && !m.OhneGelenke) {
                fe.StabGelA[Z(first)] = m.Feld_GelA[Z(f)];
                fe.StabGelE[Z(last)] = m.Feld_GelE[Z(f)];
            }
        }
    }

    // 5. Placement of the load records on the elements and nodes.
    void ClearPlacedRecords() {
        st.beddings.clear();
        st.springs.clear();
        st.points.clear();
        st.moments.clear();
        st.lines.clear();
        st.temps.clear();
        st.zwang.clear();
    }
    void PlaceBeddings() {
        Progress(run, "Synchronisieren von 'Bettungen'");
        for (int32_t i = 0; i < m.nBettung; ++i) {
            const Bedding& b = m.Bettung[Z(i)];
            if (!validNode0(b.node)) {
                badRef("Bettung", i);
                continue;
            }
            const double x0 = m.KnotenPos[Z(b.node)];
            const double xa = x0 + b.posX, xe = xa + b.length;
            covered(xa, xe, [&](int32_t e, double sa, double se) {
                PlacedRecord r;
                r.where = e;
                r.v[slot::kBedCx] = r.v[slot::kBedCx + 1] = b.cx;
                r.v[slot::kBedCy] = r.v[slot::kBedCy + 1] = b.cy;
                r.v[slot::kBedCz] = r.v[slot::kBedCz + 1] = b.cz;
                const double mid = 0.5 * (sa + se);
                const FeSectionValues sec = SectionAt(st, b.node + 1, mid - x0);
                // The bedding matrix is turned into the principal axes as a whole,
                // so its eccentricities stay in the reference axes.
                r.v[slot::kBedEy] = Interp(b.ey, b.ey2, xa, xe, mid) * 0.01 - sec.yM;
                r.v[slot::kBedEz] = Interp(b.ez, b.ez2, xa, xe, mid) * 0.01 - sec.zM;
                r.v[slot::kBedCmx] = b.cmx;
                st.beddings.push_back(r);
            });
        }
    }
    void PlaceSprings() {
        Progress(run, "Synchronisieren von 'Einzelfedern'");
        for (int32_t i = 0; i < m.nFeder; ++i) {
            const Spring& s = m.Feder[Z(i)];
            PlacedRecord r;
            if (validNode0(s.node)) {
                const double x = m.KnotenPos[Z(s.node)] + s.posX;
                r.where = FindNodeAtX(run, x);
                const FeSectionValues sec = SectionAt(st, s.node + 1, s.posX);
                r.v[slot::kSprEy] = s.ey * 0.01 - sec.yM;
                r.v[slot::kSprEz] = s.ez * 0.01 - sec.zM;
                r.v[slot::kSprAlpha] = ToPrincipalAxes(sec).alpha;
            } else {
                badRef("Feder", i);
            }
            r.v[slot::kSprCy] = s.cy;
            r.v[slot::kSprCz] = s.cz;
            st.springs.push_back(r);
        }
    }
    void PlacePointLoads() {
        Progress(run, "Synchronisieren von 'Einzellasten'");
        for (int32_t i = 0; i < m.nEinzelF(); ++i) {
            const PointForce& P = m.EinzelF[i];
            PlacedRecord r;
            r.lc = P.LCGen;
            if (validNode1(P.node)) {
                r.where = FindNodeAtX(run, inputX(P.node) + P.offset);
                const FeSectionValues sec = SectionAt(st, P.node, P.offset);
                const double alpha = ToPrincipalAxes(sec).alpha;
                double py = P.Py, pz = P.Pz;
                RotatePair(alpha, py, pz);
                r.v[slot::kPtPx] = P.Px;
                r.v[slot::kPtPy] = py;
                r.v[slot::kPtPz] = pz;
                double ey, ez;
                if (std::fabs(P.Py) > 0.001 || std::fabs(P.Pz) > 0.001) {
                    ReduceAndTurn(sec, P.ey, P.ez, ey, ez);
                } else {
                    ey = P.ey * 0.01;
                    ez = P.ez * 0.01;
                    RotatePair(alpha, ey, ez);
                }
                r.v[slot::kPtEy] = ey;
                r.v[slot::kPtEz] = ez;
                double eyc = P.ey * 0.01, ezc = P.ez * 0.01;
                RotatePair(alpha, eyc, ezc);
                r.v[slot::kPtEyc] = eyc;
                r.v[slot::kPtEzc] = ezc;
            } else {
                badRef("Einzellast", i);
            }
            warnOutside("Einzellast", i, r.where);
            st.points.push_back(r);
        }
        for (int32_t i = 0; i < m.nEinzelM(); ++i) {
            const PointMoment& M = m.EinzelM[i];
            PlacedRecord r;
            r.lc = M.LCGen;
            if (validNode1(M.node)) {
                r.where = FindNodeAtX(run, inputX(M.node) + M.offset);
                double my = M.My, mz = M.Mz;
                RotatePair(ToPrincipalAxes(SectionAt(st, M.node, M.offset)).alpha, my, mz);
                r.v[slot::kMomMx] = M.Mx;
                r.v[slot::kMomMy] = my;
                r.v[slot::kMomMz] = mz;
            } else {
                badRef("Einzelmoment", i);
            }
            warnOutside("Einzelmoment", i, r.where);
            st.moments.push_back(r);
        }
    }
    void PlaceLineLoads() {
        Progress(run, "Synchronisieren von 'Streckenlasten'");
        for (int32_t i = 0; i < m.nStreckenL(); ++i) {
            const LineLoad& q = m.StreckenL[i];
            if (!validNode1(q.node)) {
                badRef("Streckenlast", i);
                continue;
            }
            const double x0 = inputX(q.node);
            const double xa = x0 + q.offset, xe = xa + q.length;
            covered(xa, xe, [&](int32_t e, double sa, double se) {
                PlacedRecord r;
                r.where = e;
                r.lc = q.LCGen;
                const double mid = 0.5 * (sa + se);
                const FeSectionValues sec = SectionAt(st, q.node, mid - x0);
                const double alpha = ToPrincipalAxes(sec).alpha;
                r.v[slot::kLinPx] = Interp(q.px0, q.px1, xa, xe, sa);
                r.v[slot::kLinPx + 1] = Interp(q.px0, q.px1, xa, xe, se);
                double pya = Interp(q.py0, q.py1, xa, xe, sa), pza = Interp(q.pz0, q.pz1, xa, xe, sa);
                double pyb = Interp(q.py0, q.py1, xa, xe, se), pzb = Interp(q.pz0, q.pz1, xa, xe, se);
                RotatePair(alpha, pya, pza);
                RotatePair(alpha, pyb, pzb);
                r.v[slot::kLinPy] = pya;
                r.v[slot::kLinPy + 1] = pyb;
                r.v[slot::kLinPz] = pza;
                r.v[slot::kLinPz + 1] = pzb;
                double ey, ez;
                ReduceAndTurn(sec, Interp(q.ey0, q.ey1, xa, xe, mid), Interp(q.ez0, q.ez1, xa, xe, mid), ey, ez);
                r.v[slot::kLinEy] = ey;
                r.v[slot::kLinEz] = ez;
                st.lines.push_back(r);
            });
        }
    }
    // The self weight as line loads of load case 1 along the whole girder.
    void PlaceSelfWeight() {
        if (std::fabs(m.Gamma) >= 1e-5) {
            const bool constant = st.sections->Constant() || m.SysFlag == 1;
            const FeSectionValues single = SectionAt(st, 1, 0.0);
            for (int32_t e = 0; e < ne; ++e) {
                const double sa = fe.KnotenX[Z(e)], se = fe.KnotenX[Z(e + 1)];
                if (!(sa + kTol > 0.0 && se - kTol < L)) continue;
                const FeSectionValues secA = constant ? single : SectionAt(st, 1, sa);
                const FeSectionValues secE = constant ? single : SectionAt(st, 1, se);
                PlacedRecord r;
                r.where = e;
                r.lc = 1;
                if (m.GammaOpt == 1) {
                    r.v[slot::kLinPx] = -m.Gamma * secA.A;
                    r.v[slot::kLinPx + 1] = -m.Gamma * secE.A;
                } else {
                    const double alpha = ToPrincipalAxes(secE).alpha;
                    double pya = 0, pza = m.Gamma * secA.A, pyb = 0, pzb = m.Gamma * secE.A;
                    RotatePair(alpha, pya, pza);
                    RotatePair(alpha, pyb, pzb);
                    r.v[slot::kLinPy] = pya;
                    r.v[slot::kLinPy + 1] = pyb;
                    r.v[slot::kLinPz] = pza;
                    r.v[slot::kLinPz + 1] = pzb;
                    // The weight acts at the centroid.
                    double ey = -secE.yM, ez = -secE.zM;
                    RotatePair(alpha, ey, ez);
                    r.v[slot::kLinEy] = ey;
                    r.v[slot::kLinEz] = ez;
                }
                st.lines.push_back(r);
            }
        }
    }
    void PlaceTemperatureLoads() {
        for (int32_t i = 0; i < m.nTempL(); ++i) {
            const TemperatureLoad& t = m.TempL[i];
            if (!validNode1(t.node)) {
                badRef("Temperaturlast", i);
                continue;
            }
            const double xa = inputX(t.node) + t.offset, xe = xa + t.length;
            covered(xa, xe, [&](int32_t e, double sa, double se) {
                PlacedRecord r;
                r.where = e;
                r.lc = t.LCGen;
                r.v[slot::kTmpMa] = Interp(t.TempA, t.TempB, xa, xe, sa);
                r.v[slot::kTmpMb] = Interp(t.TempA, t.TempB, xa, xe, se);
                r.v[slot::kTmpT0] = t.dT0;
                r.v[slot::kTmpT1] = t.dT1;
                r.v[slot::kTmpT2] = t.dT2;
                st.temps.push_back(r);
            });
        }
    }
    void PlaceImposedDisplacements() {
        for (int32_t i = 0; i < m.nZwang(); ++i) {
            const ImposedDisplacement& z = m.Zwang[i];
            PlacedRecord r;
            r.lc = z.LCGen;
            if (validNode1(z.node)) r.where = FindNodeAtX(run, inputX(z.node));
            else badRef("Zwangsverformung", i);
            r.v[slot::kZw + 0] = z.du * 0.01;
            r.v[slot::kZw + 1] = z.dv * 0.01;
            r.v[slot::kZw + 2] = z.dw * 0.01;
            r.v[slot::kZw + 3] = z.dphi * 0.001;
            r.v[slot::kZw + 4] = z.dpsi * 0.001;
            r.v[slot::kZw + 5] = z.dtet * 0.001;
            st.zwang.push_back(r);
        }
    }
    // Counts of the placed records and the records of each element.
    void IndexPlacedRecords() {
        fe.nBettRec = static_cast<int32_t>(st.beddings.size());
        fe.nFederRec = static_cast<int32_t>(st.springs.size());
        fe.nEinzelFRec = static_cast<int32_t>(st.points.size());
        fe.nEinzelMRec = static_cast<int32_t>(st.moments.size());
        fe.nStreckenRec = static_cast<int32_t>(st.lines.size());
        fe.nTempRec = static_cast<int32_t>(st.temps.size());
        fe.nZwangRec = static_cast<int32_t>(st.zwang.size());

        st.linesOfElement.assign(Z(ne), {});
        st.tempsOfElement.assign(Z(ne), {});
        st.beddingsOfElement.assign(Z(ne), {});
        for (size_t i = 0; i < st.lines.size(); ++i)
            st.linesOfElement[Z(st.lines[i].where)].push_back(static_cast<int32_t>(i));
        for (size_t i = 0; i < st.temps.size(); ++i)
            st.tempsOfElement[Z(st.temps[i].where)].push_back(static_cast<int32_t>(i));
        for (size_t i = 0; i < st.beddings.size(); ++i)
            st.beddingsOfElement[Z(st.beddings[i].where)].push_back(static_cast<int32_t>(i));
    }

    // The support vector: per degree of freedom -1 held, a spring constant
    // or 0 free.
    void BuildSupportVector() {
        const int32_t N = kDofPerNode * nn;
        st.lager.assign(Z(N) + 1, 0.0);
        for (int32_t i = 0; i <= m.nFeld; ++i) {
            const int32_t t = m.Kn_Lager[Z(i)];
            if (t == 0) continue;
            if (t < 1 || t > m.nLagerTyp) {
                FeErrorLine(run, kErrLineWarning,
                            winsys::FormatC("Lagertyp %d am Knoten %d ist nicht definiert", t, i + 1));
                continue;
            }
            const int32_t node = FindNodeAtX(run, m.KnotenPos[Z(i)]);
            if (node < 0) continue;
            const SupportType& s = m.LagerTyp[Z(t - 1)];
            const float vals[7] = {s.cx, s.cy, s.cz, s.cmx, s.cmy, s.cmz, s.cwoelb};
            for (int32_t j = 0; j < 7; ++j) {
                double& l = st.lager[Z(node * kDofPerNode + j + 1)];
                if (vals[j] < 0) l = -1.0;
                else if (vals[j] > 0) l = vals[j];
            }
        }
    }

    // 6. Result layout: the result regions of all load cases and the space
    // of one analysis must fit into the double work array. 0, or the fault.
    int32_t LayOutResults() {
        Progress(run, "Speicherverwaltung");
        const int64_t n64 = nn, e64 = ne, N64 = kDofPerNode * nn;
        const int64_t perService = 14 * n64 + 14 * e64 + 10 * e64;
        const int64_t perUltimate = 14 * n64 + 6 + 14 * n64 + 14 * e64 + 10 * e64 + 4 * n64 + 5;
        const int64_t analysis = 12 * N64 + 14 * e64 + 2000 + 3 * (14 * N64) + 12 * N64 + 2 * (N64 + 1);
        const int64_t total = 2 * n64 + perService * std::max(0, m.nRegelLk) +
                              perUltimate * std::max(0, m.nKnickLk) + analysis;
        if (total > limits::kWorkDoubles) {
            winsys::MessageBox(kOverflowText);
            st.errorLines.push_back(kOverflowText);
            run.Stop(codes::kMemoryOverflow, kOverflowText);
            return codes::kMemoryOverflow;
        }
        st.results = FeResults{};
        st.results.service.assign(Z(std::max(0, m.nRegelLk)), FeCaseResult{});
        st.results.ultimate.assign(Z(std::max(0, m.nKnickLk)), FeCaseResult{});
        for (auto& r : st.results.ultimate) {
            r.imperfection.assign(Z(4 * nn), 0.0);
            r.eigenVectors.assign(Z(2 * 7 * nn), 0.0);
        }
        return 0;
    }

private:
    double inputX(int32_t node1) const { return m.KnotenPos[Z(node1 - 1)]; }
    bool validNode1(int32_t node1) const { return node1 >= 1 && node1 <= m.nFeld + 1; }
    bool validNode0(int32_t node0) const { return node0 >= 0 && node0 <= m.nFeld; }
    void badRef(const char* what, int32_t i) {
        FeErrorLine(run, kErrLineWarning,
                    winsys::FormatC("%s %d: Bezugsknoten ungültig, wird nicht berücksichtigt", what, i + 1));
    }
    void warnOutside(const char* what, int32_t i, int32_t where) {
        if (where < 0)
            FeErrorLine(run, kErrLineWarning,
                        winsys::FormatC("%s %d liegt außerhalb des Trägers und wird nicht berücksichtigt", what, i + 1));
    }
    // Calls fn(e, sa, se) for every element lying within [xa, xe].
    template <class Fn>
    void covered(double xa, double xe, Fn&& fn) const {
        for (int32_t e = 0; e < ne; ++e) {
            const double sa = fe.KnotenX[Z(e)], se = fe.KnotenX[Z(e + 1)];
            if (sa + kTol > xa && se - kTol < xe) fn(e, sa, se);
        }
    }

    RunState& run;
    ModelRecord& m;
    FeModel& fe;
    FeState& st;
    const double L;
    int32_t ne = 0, nn = 0;
};

}  // namespace

int32_t ApplyLoads(RunState& run) {
    FeState& st = State(run);
    st.prepared = false;
    st.ModelChanged();
    if (!st.sections) {
        FeErrorLine(run, kErrLineError, "Keine Querschnittswerte für die Berechnung vorhanden");
        run.Stop(codes::kPhaseMissing, "System kann nicht berechnet werden");
        return codes::kPhaseMissing;
    }
    LoadPlacement steps(run);
    const std::vector<double> points = steps.DivisionPoints();
    if (int32_t rc = steps.PlaceNodes(points)) return rc;
    steps.MapElementsToSpans();
    steps.ClearPlacedRecords();
    steps.PlaceBeddings();
    steps.PlaceSprings();
    steps.PlacePointLoads();
    steps.PlaceLineLoads();
    steps.PlaceSelfWeight();
    steps.PlaceTemperatureLoads();
    steps.PlaceImposedDisplacements();
    steps.IndexPlacedRecords();
    steps.BuildSupportVector();
    if (int32_t rc = steps.LayOutResults()) return rc;
    st.prepared = true;
    return 0;
}

int32_t AktLast(RunState& run, int32_t modus, int32_t k) { return AktLast(run, State(run), modus, k); }

int32_t AktLast(const RunState& run, FeState& st, int32_t modus, int32_t k) {
    const ModelRecord& m = run.cdltr;
    std::vector<PlacedRecord>* lists[] = {&st.points, &st.moments, &st.lines, &st.temps, &st.zwang};
    for (auto* l : lists)
        for (auto& r : *l) r.v[0] = 0.0;
    const std::vector<CombinationTerm>& terms = modus == 0 ? m.RegelTerm : m.KnickTerm;
    const int32_t nTerms = std::min<int32_t>(modus == 0 ? m.nRegelTerm : m.nKnickTerm,
                                             static_cast<int32_t>(terms.size()));
    int32_t count = 0;
    for (int32_t t = 0; t < nTerms; ++t) {
        const CombinationTerm& term = terms[Z(t)];
        if (term.Ko != k + 1) continue;
        for (auto* l : lists)
            for (auto& r : *l)
                if (r.lc == term.Lf + 1) {
                    r.v[0] = term.Fak;
                    ++count;
                }
    }
    return count - 1;
}

namespace {

// Mean of two sections' values (tapered elements).
FeSectionValues Mean(const FeSectionValues& a, const FeSectionValues& b) {
    FeSectionValues r;
    auto mix = [](double x, double y) { return (x + y) * 0.5; };
    r.E = mix(a.E, b.E);
    r.G = mix(a.G, b.G);
    r.A = mix(a.A, b.A);
    r.Ayy = mix(a.Ayy, b.Ayy);
    r.Azz = mix(a.Azz, b.Azz);
    r.Ayz = mix(a.Ayz, b.Ayz);
    r.IT = mix(a.IT, b.IT);
    r.Iw = mix(a.Iw, b.Iw);
    r.yM = mix(a.yM, b.yM);
    r.zM = mix(a.zM, b.zM);
    r.ip2 = mix(a.ip2, b.ip2);
    r.ry = mix(a.ry, b.ry);
    r.rz = mix(a.rz, b.rz);
    r.rw = mix(a.rw, b.rw);
    r.hy = mix(a.hy, b.hy);
    r.hz = mix(a.hz, b.hz);
    return r;
}

}  // namespace

int32_t GetElementValues(RunState& run, ElementValues& ev, Vec14& hinges, int32_t e) {
    ModelRecord& m = run.cdltr;
    FeState& st = State(run);
    ev = ElementValues{};
    hinges.fill(0.0);
    ev.l = m.fe.KnotenX[Z(e + 1)] - m.fe.KnotenX[Z(e)];
    FeSectionValues s;
    if (st.sections) {
        s = (st.sections->Constant() || m.SysFlag == 1) ? st.sections->AtNode(0)
                                                         : Mean(st.sections->AtElementEnd(e, 0), st.sections->AtElementEnd(e, 1));
    }
    const PrincipalSection p = ToPrincipalAxes(s);
    ev.E = s.E;
    ev.G = s.G;
    ev.A = s.A;
    ev.Iy = p.Iy;
    ev.Iz = p.Iz;
    ev.IT = s.IT;
    ev.Iw = s.Iw < 1e-11 ? 0.0 : s.Iw;
    ev.yM = p.yM;
    ev.zM = p.zM;
    ev.ip2 = s.ip2;
    ev.ry = s.ry;
    ev.rz = s.rz;
    ev.rw = s.rw;
    ev.alpha = p.alpha;
    ev.hy = s.hy;
    ev.hz = s.hz;
    if (Z(e) < st.beddingsOfElement.size()) {
        for (int32_t i : st.beddingsOfElement[Z(e)]) {
            const auto& v = st.beddings[Z(i)].v;
            ev.cX += 0.5 * (v[slot::kBedCx] + v[slot::kBedCx + 1]);
            const double cy = 0.5 * (v[slot::kBedCy] + v[slot::kBedCy + 1]);
            const double cz = 0.5 * (v[slot::kBedCz] + v[slot::kBedCz + 1]);
            const double ey = v[slot::kBedEy], ez = v[slot::kBedEz];
            ev.cY += cy;
            ev.cZ += cz;
            ev.cT += v[slot::kBedCmx];
            // Each bedding keeps its own eccentricity: a lateral one its
            // height ez, a vertical one its offset ey.
            ev.cYez += cy * ez;
            ev.cYez2 += cy * ez * ez;
            ev.cZey += cz * ey;
            ev.cZey2 += cz * ey * ey;
            if (std::fabs(ey) > std::fabs(ev.betaBed)) ev.betaBed = ey;
        }
    }
    if (!m.OhneGelenke) {
        const int32_t ha = m.fe.StabGelA[Z(e)], hb = m.fe.StabGelE[Z(e)];
        auto fill = [&](int32_t h, int32_t base) {
            if (h < 1 || h > m.nGelenkTyp) return;
            const HingeType& g = m.GelenkTyp[Z(h - 1)];
            const int32_t v[7] = {g.Vx, g.Vy, g.Vz, g.Mx, g.My, g.Mz, g.Mw};
            for (int32_t j = 0; j < 7; ++j) hinges[Z(base + j)] = v[j] != 0 ? 1.0 : 0.0;
        };
        fill(ha, 0);
        fill(hb, 7);
    }
    ev.slopeZ = 0.0;  // the member axis is straight
    return 0;
}

namespace {

// Consistent loads of a linearly varying line load (a at the start, b at
// the end) for the cubic shapes: H1, H2, H3, H4.
std::array<double, 4> HermiteLoad(double a, double b, double l) {
    return {l * (7 * a + 3 * b) / 20, l * l * (3 * a + 2 * b) / 60, l * (3 * a + 7 * b) / 20,
            -l * l * (2 * a + 3 * b) / 60};
}

void AddTorque(const ElementValues& ev, double ma, double mb, Vec14& fe) {
    const double l = ev.l;
    if (ev.Iw >= 1e-11) {
        const auto h = HermiteLoad(ma, mb, l);
        fe[kTheta] += h[0];
        fe[kPsi] -= h[1];
        fe[7 + kTheta] += h[2];
        fe[7 + kPsi] -= h[3];
    } else {
        fe[kTheta] += l * (2 * ma + mb) / 6;
        fe[7 + kTheta] += l * (ma + 2 * mb) / 6;
    }
}

}  // namespace

int32_t ElementLoads(RunState& run, const ElementValues& ev, int32_t e, Vec14& fixedEnd,
                     std::vector<LinePieceRecord>& list) {
    return ElementLoads(run, State(run), ev, e, fixedEnd, list);
}

int32_t ElementLoads(const RunState& run, const FeState& st, const ElementValues& ev, int32_t e,
                     Vec14& fixedEnd, std::vector<LinePieceRecord>& list) {
    const ModelRecord& m = run.cdltr;
    fixedEnd.fill(0.0);
    list.clear();
    const double l = ev.l;
    const double sa = m.fe.KnotenX[Z(e)], se = m.fe.KnotenX[Z(e + 1)];
    if (Z(e) < st.linesOfElement.size()) {
        for (int32_t i : st.linesOfElement[Z(e)]) {
            const auto& v = st.lines[Z(i)].v;
            const double f = v[0];
            if (std::fabs(f) <= 0.001) continue;
            if (static_cast<int32_t>(list.size()) >= kMaxLinePiecesPerElement) return -1;
            LinePieceRecord r{sa, se, f * v[slot::kLinPy], f * v[slot::kLinPy + 1], f * v[slot::kLinPz],
                              f * v[slot::kLinPz + 1], v[slot::kLinEy], v[slot::kLinEz]};
            list.push_back(r);
            const double pxa = f * v[slot::kLinPx], pxb = f * v[slot::kLinPx + 1];
            fixedEnd[kU] += (2 * pxa + pxb) * l / 6;
            fixedEnd[7 + kU] += (pxa + 2 * pxb) * l / 6;
            const auto hy = HermiteLoad(r.pya, r.pyb, l);
            fixedEnd[kV] += hy[0];
            fixedEnd[kPhiZ] += hy[1];
            fixedEnd[7 + kV] += hy[2];
            fixedEnd[7 + kPhiZ] += hy[3];
            const auto hz = HermiteLoad(r.pza, r.pzb, l);
            fixedEnd[kW] += hz[0];
            fixedEnd[kPhiY] -= hz[1];
            fixedEnd[7 + kW] += hz[2];
            fixedEnd[7 + kPhiY] -= hz[3];
            // Torsion of the eccentric load. (The lever of the initial
            // deformation is part of the imperfection loads, see
            // SwayImperfectionLoads.)
            const double ma = r.ey * r.pza - r.ez * r.pya;
            const double mb = r.ey * r.pzb - r.ez * r.pyb;
            AddTorque(ev, ma, mb, fixedEnd);
        }
    }
    if (Z(e) < st.tempsOfElement.size()) {
        for (int32_t i : st.tempsOfElement[Z(e)]) {
            const auto& v = st.temps[Z(i)].v;
            const double f = v[0];
            if (std::fabs(f) <= 0.001) continue;
            AddTorque(ev, f * v[slot::kTmpMa], f * v[slot::kTmpMb], fixedEnd);
            // Restrained temperature strain and curvatures.
            const double t0 = f * v[slot::kTmpT0], tY = f * v[slot::kTmpT1], tZ = f * v[slot::kTmpT2];
            const double Nt = ev.E * ev.A * kAlphaT * t0;
            fixedEnd[kU] -= Nt;
            fixedEnd[7 + kU] += Nt;
            if (ev.hz > 0 && tZ != 0.0) {
                // warmer at +z: free curvature w'' = -alpha dT / h
                const double kappa = -kAlphaT * tZ / ev.hz;
                fixedEnd[kPhiY] += ev.E * ev.Iy * kappa;
                fixedEnd[7 + kPhiY] -= ev.E * ev.Iy * kappa;
            }
            if (ev.hy > 0 && tY != 0.0) {
                const double kappa = -kAlphaT * tY / ev.hy;  // v''
                fixedEnd[kPhiZ] -= ev.E * ev.Iz * kappa;
                fixedEnd[7 + kPhiZ] += ev.E * ev.Iz * kappa;
            }
        }
    }
    return static_cast<int32_t>(list.size());
}

}  // namespace tovik::fe
