#include "kernel_results/BeamRun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "kernel/BeamReader.h"
#include "kernel/CombinationRules.h"
#include "kernel/KernelErrors.h"
#include "kernel/KernelRun.h"
#include "kernel/KernelUtil.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/section/SectionCache.h"
#include "kernel_results/BeamPostProcess.h"
#include "kernel_results/ClassCheck.h"
#include "kernel_results/LoadTransfer.h"
#include "kernel_results/ResultWriter.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace tovik::results {

namespace {

using winsys::FormatC;

constexpr double kBig = 1e10;
constexpr double kValueTol = 0.0001;
constexpr double kSupportTol = 0.01;

std::string Tr(const std::string& text) { return lingo::Translate("VKT Ausgabe", "velor_i_norvel", "NorvelDlg", text); }

ZVELEM Child(ZVELEM parent, const char* name) { return parent ? ZEVUD_FindFirstChild(parent, name) : 0; }

ZVELEM AddGroup(ZVELEM parent, const char* name, const std::string& title) {
    ZVELEM e = ZEVUD_AddChildElement(parent, name);
    ZEVUD_SetString(e, "title", title.c_str());
    return e;
}

// A series element: title, type (when >= 0), unit, dataLength, data.
ZVELEM AddSeries(ZVELEM parent, const std::string& name, const std::string& title, int32_t type,
                 const std::string& unit, int32_t width, const std::vector<float>& data) {
    ZVELEM e = ZEVUD_AddChildElement(parent, name.c_str());
    ZEVUD_SetString(e, "title", title.c_str());
    if (type >= 0) ZEVUD_SetInt(e, "type", type);
    ZEVUD_SetString(e, "unit", unit.c_str());
    ZEVUD_SetInt(e, "dataLength", static_cast<int32_t>(data.size() / Z(width)));
    WriteFloats(e, "data", data);
    return e;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

double At(const std::vector<double>& v, size_t i) { return i < v.size() ? v[i] : 0.0; }

// One export entry.
struct ExportEntry {
    std::string path, desc, varName, unit;
    double value;
};

// Per support and component: smallest and largest over the "AK"
// combinations, largest over the combinations of action 1.
struct SupportExtremes {
    double smallest[6], largest[6], firstAction[6];
    SupportExtremes() {
        for (int k = 0; k < 6; ++k) {
            smallest[k] = kBig;
            largest[k] = -kBig;
            firstAction[k] = -kBig;
        }
    }
};

class StabWriter {
public:
    StabWriter(RunState& run, ZVDOC doc) : run_(run), doc_(doc), st_(fe::State(run)) {}
    void Write(const std::string& errorText);

private:
    int32_t KernelComponent(int32_t k) const {
        static const int32_t kTurned[6] = {1, 2, 0, 4, 5, 3};
        return vovi_ ? k : kTurned[k];
    }
    const std::vector<double>* Column(int32_t c, bool reactions) const {
        if (c < 0 || Z(c) >= st_.results.service.size()) return nullptr;
        const fe::FeCaseResult& r = st_.results.service[Z(c)];
        return reactions ? &r.reactions : &r.displacements;
    }
    int32_t SupportOf(float x) const {
        for (size_t s = 0; s < supports_.size(); ++s)
            if (std::fabs(static_cast<double>(x) - supports_[s]) <= kSupportTol + 1e-9) return static_cast<int32_t>(s);
        return -1;
    }
    char Letter(int32_t support) const {
        return static_cast<char>('A' + (support >= 0 ? support : static_cast<int32_t>(supports_.size())));
    }
    void Deformations(ZVELEM gebr);
    void TurnBack(int32_t first, int32_t count);
    void Reactions(ZVELEM gebr);
    // The six reaction series of the columns below parent; with `main` the
    // support extremes are taken, with action > 0 the per-action entries.
    void ReactionSet(ZVELEM parent, int32_t first, int32_t count, bool main, int32_t action, const std::string& title);
    void Forces(ZVELEM trag);

    RunState& run_;
    ZVDOC doc_;
    fe::FeState& st_;
    ZVELEM root_ = 0, input_ = 0, result_ = 0, exports_ = 0;
    bool vovi_ = true;
    double wProfil_ = 0;
    int32_t nServ_ = 0, nAK_ = 0, nUlt_ = 0, nActions_ = 0;
    bool ignoreNegDef_ = false;
    std::vector<double> supports_;
    std::vector<SupportExtremes> extremes_;
    std::vector<float> nodeX_;
    std::vector<ExportEntry> entries_;
    double maxVer_ = -kBig, maxSp_ = -kBig;
    bool failed_ = false;
};

void StabWriter::Deformations(ZVELEM gebr) {
    ZVELEM def = AddGroup(gebr, "deformation", Tr("Verformungen"));
    const int32_t nNode = static_cast<int32_t>(nodeX_.size());
    for (int32_t k = 0; k < 3; ++k) {
        const int32_t kc = KernelComponent(k);
        std::vector<float> data;
        for (int32_t i = 0; i < nNode; ++i) {
            double lo = kBig, hi = -kBig;
            for (int32_t c = 0; c < nServ_; ++c) {
                if (const std::vector<double>* d = Column(c, false)) {
                    const double v = At(*d, Z(7 * i + kc));
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            }
            if (lo > hi) lo = hi = 0;  // no serviceability combination
            data.insert(data.end(), {nodeX_[Z(i)], static_cast<float>(lo * 1000.0), static_cast<float>(hi * 1000.0)});
        }
        const char axis = static_cast<char>('x' + k);
        AddSeries(def, FormatC("deformation_V%c", axis), FormatC("Verformung V%c", axis), 2, "mm", 3, data);
    }
    // Largest of each displacement component over all serviceability cases.
    {
        std::vector<float> data;
        for (int32_t i = 0; i < nNode; ++i) {
            data.push_back(nodeX_[Z(i)]);
            for (int32_t j = 0; j < 6; ++j) {
                double hi = -kBig;
                for (size_t c = 0; c < st_.results.service.size(); ++c)
                    hi = std::max(hi, At(st_.results.service[c].displacements, Z(7 * i + j)));
                data.push_back(static_cast<float>(hi > -kBig ? hi : 0.0));
            }
        }
        AddSeries(def, "max_deformation_3D", Tr("Max. Verformung 3D"), 1, "m", 7, data);
    }
    // Deflection utilisation per point: the largest over the transverse axes.
    std::vector<float> spans[3];
    std::vector<int32_t> ratios[3];
    for (int32_t k = 0; k < 3; ++k) ReadAllowableDeflections(doc_, spans[k], ratios[k], 1 << k);
    std::vector<float> data;
    for (int32_t i = 0; i < nNode; ++i) {
        const double x = nodeX_[Z(i)];
        double value = -kBig;
        for (int32_t k = 0; k < 3; ++k) {
            const int32_t kc = KernelComponent(k);
            if (kc == 0) continue;  // the member axis
            double defl = 0;
            for (int32_t c = 0; c < nServ_; ++c) {
                if (const std::vector<double>* d = Column(c, false)) {
                    double v = At(*d, Z(7 * i + kc));
                    v = ignoreNegDef_ ? std::max(v, 0.0) : std::fabs(v);
                    defl = std::max(defl, v);
                }
            }
            double u = 0;
            const std::vector<float>& ends = spans[k];
            if (std::fabs(defl) > 0.000001 && ends.size() >= 2) {
                size_t j = 1;
                while (j + 1 < ends.size() && ends[j] < x + kValueTol) ++j;
                const double len = static_cast<double>(ends[j]) - ends[j - 1];
                if (len > 0) u = defl * ratios[k][j - 1] / len;
            }
            value = std::max(value, u);
        }
        data.insert(data.end(), {static_cast<float>(x), static_cast<float>(value)});
        maxVer_ = std::max(maxVer_, value);
    }
    AddSeries(def, "max_utilisation_deformation", Tr("Max. Ausnutzung aus Verformung"), 0, "", 2, data);
}

void StabWriter::TurnBack(int32_t first, int32_t count) {
    const int32_t nNode = static_cast<int32_t>(nodeX_.size());
    for (int32_t c = first; c < first + count; ++c) {
        if (c < 0 || Z(c) >= st_.results.service.size()) continue;
        std::vector<double>& r = st_.results.service[Z(c)].reactions;
        for (int32_t i = 0; i < nNode; ++i) {
            for (int32_t pair : {1, 4}) {
                const size_t ia = Z(7 * i + pair), ib = ia + 1;
                if (ib >= r.size()) continue;
                const double a = r[ia], b = r[ib];
                const double rr = std::sqrt(a * a + b * b), t = std::atan2(b, a) - wProfil_;
                r[ia] = rr * std::cos(t);
                r[ib] = rr * std::sin(t);
            }
        }
    }
}

void StabWriter::ReactionSet(ZVELEM parent, int32_t first, int32_t count, bool main, int32_t action,
                             const std::string& title) {
    std::vector<std::vector<double>> columns;
    for (int32_t c = first; c < first + count; ++c)
        if (const std::vector<double>* r = Column(c, true)) columns.push_back(*r);
    for (int32_t k = 0; k < 6; ++k) {
        const int32_t kc = KernelComponent(k);
        const bool force = k < 3;
        const char axis = static_cast<char>('x' + (force ? k : k - 3));
        ReactionSeries s = BuildReactionSeries(nodeX_, columns, kc);
        const std::string name = force ? FormatC("reaction_%cA", axis) : FormatC("reaction_%cAM", axis);
        const std::string t = force ? FormatC("Auflagerkraft A%c", axis) : FormatC("Auflagermoment AM%c", axis);
        AddSeries(parent, name, t, 3, force ? "kN" : "kNm", 3, s.data);
        for (size_t i = 0; i < nodeX_.size(); ++i) {
            const int32_t sup = SupportOf(nodeX_[i]);
            if (main && sup >= 0 && !columns.empty()) {
                SupportExtremes& e = extremes_[Z(sup)];
                e.smallest[k] = std::min(e.smallest[k], -static_cast<double>(s.hi[i]));
                e.largest[k] = std::max(e.largest[k], -static_cast<double>(s.lo[i]));
            }
            if (action > 0 && s.hasRecord[i]) {
                const char L = Letter(sup);
                const std::string base = FormatC("Auflager %c\\%c-%c\\%s\\", L, axis, axis, title.c_str());
                const std::string dMin = force ? FormatC("min %c%c", L, axis) : FormatC("min %cM%c", L, axis);
                const std::string dMax = force ? FormatC("max %c%c", L, axis) : FormatC("max %cM%c", L, axis);
                const std::string vMin = force ? FormatC("min%c%c_%d", L, axis, action) : FormatC("min%cM%c_%d", L, axis, action);
                const std::string vMax = force ? FormatC("max%c%c_%d", L, axis, action) : FormatC("max%cM%c_%d", L, axis, action);
                const std::string unit = force ? "kN" : "kNm";
                entries_.push_back({base + dMin, dMin, vMin, unit, -static_cast<double>(s.hi[i])});
                entries_.push_back({base + dMax, dMax, vMax, unit, -static_cast<double>(s.lo[i])});
                if (action == 1 && sup >= 0) {
                    double& fa = extremes_[Z(sup)].firstAction[k];
                    fa = std::max(fa, -static_cast<double>(s.lo[i]));
                }
            }
        }
    }
}

void StabWriter::Reactions(ZVELEM gebr) {
    TurnBack(nServ_, nAK_);
    ZVELEM reaction = AddGroup(gebr, "reaction", Tr("Extr. Auflagerkräfte (char. Werte nach Th. 1. Ordnung)"));
    ReactionSet(reaction, nServ_, nAK_, true, 0, "");

    ZVELEM lu = Child(input_, "lastUeberlagerung");
    ZVELEM einw = Child(lu, "einwirkungen");
    ZVELEM results = Child(lu, "results");
    int32_t column = nServ_ + nAK_;
    for (int32_t k = 1; k <= nActions_; ++k) {
        ZVELEM action = einw ? ZEVUD_FindFirstChildWithAttr(einw, "einw", FormatC("%d", k).c_str()) : 0;
        int32_t count = 0;
        const std::string art = FormatC("AK%d", k);
        for (ZVELEM r = Child(results, "result"); r; r = ZEVUD_FindNextChild(r, "result"))
            if (zevud::GetString(r, "art") == art) ++count;
        ZVELEM group = AddGroup(reaction, "einwirkung", FormatC("EW %d", k));
        if (action && count >= 1) {
            const std::string title = Trim(zevud::GetString(action, "title"));
            TurnBack(column, count);
            ReactionSet(group, column, count, false, k, title);
        }
        column += count;
    }

    // Extremal entries per support and component.
    for (size_t s = 0; s < supports_.size(); ++s) {
        const char L = Letter(static_cast<int32_t>(s));
        const SupportExtremes& e = extremes_[s];
        for (int32_t k = 0; k < 6; ++k) {
            const bool force = k < 3;
            const char axis = static_cast<char>('x' + (force ? k : k - 3));
            const double mn = e.smallest[k], mx = e.largest[k], fa = e.firstAction[k];
            if (std::fabs(mn) <= kSupportTol && std::fabs(mx) <= kSupportTol) continue;
            const std::string base = FormatC("Auflager %c\\%c-%c\\Extremal", L, axis, axis);
            const std::string sn = force ? FormatC("%c%c", L, axis) : FormatC("%cM%c", L, axis);
            const std::string unit = force ? "kN" : "kNm";
            const bool hasMin = mn != kBig, hasMax = mx != -kBig, hasFa = fa != -kBig;
            if (hasMin) entries_.push_back({base + "\\min" + sn, "min " + sn, "min" + sn, unit, mn});
            if (hasMax) entries_.push_back({base + "\\max" + sn, "max " + sn, "max" + sn, unit, mx});
            if (hasFa) entries_.push_back({base + "\\" + sn + "(g)", sn + "(g)", sn + "_g", unit, fa});
            if (hasFa && hasMin)
                entries_.push_back({base + "\\" + sn + "(min-g)", sn + "(min-g)", sn + "_min_g", unit, mn - fa});
            if (hasFa && hasMax)
                entries_.push_back({base + "\\" + sn + "(max-g)", sn + "(max-g)", sn + "_max_g", unit, mx - fa});
        }
    }
}

void StabWriter::Forces(ZVELEM trag) {
    const fe::FeEnvelope& env = st_.results.ultimateEnvelope;
    const int32_t nNode = static_cast<int32_t>(nodeX_.size());
    const int32_t nPoints = nNode > 1 ? 2 * (nNode - 1) : 0;
    auto pointX = [&](int32_t p) { return nodeX_[Z(p / 2 + p % 2)]; };

    ZVELEM forces = AddGroup(trag, "forces", Tr("Extr. Schnittgrößen"));
    struct Name {
        const char *element, *title;
    };
    static const Name kVovi[7] = {{"normal_force_N", "Normalkraft N"},          {"shearing_force_Qy", "Querkraft Qy"},
                                  {"shearing_force_Qz", "Querkraft Qz"},        {"torsional_moment_Mx", "Torsionsmoment Mx"},
                                  {"bending_moment_My", "Biegemoment My"},      {"bending_moment_Mz", "Biegemoment Mz"},
                                  {"vault_moment_Mw", "Wölbmoment Mw"}};
    static const Name kOther[7] = {{"normal_force_N", "Normalkraft N"},          {"shearing_force_Vx", "Querkraft Qx"},
                                   {"shearing_force_Vy", "Querkraft Qy"},        {"torsional_moment_Mz", "Torsionsmoment Mz"},
                                   {"bending_moment_Mx", "Biegemoment Mx"},      {"bending_moment_My", "Biegemoment My"},
                                   {"vault_moment_Mw", "Wölbmoment Mw"}};
    static const char* const kUnits[7] = {"kN", "kN", "kN", "kNm", "kNm", "kNm", "kNm²"};
    for (int32_t c = 0; c < 7; ++c) {
        std::vector<float> data;
        for (int32_t p = 0; p < nPoints; ++p) {
            double mn = At(env.endMin, Z(7 * p + c)), mx = At(env.endMax, Z(7 * p + c));
            const bool reached = env.present && Z(7 * p + c) < env.endMin.size();
            if (!reached || (std::fabs(mn) >= kBig && std::fabs(mx) >= kBig)) {
                mn = mx = 0;
                failed_ = true;
            }
            data.insert(data.end(), {pointX(p), static_cast<float>(mn), static_cast<float>(mx)});
        }
        if (nPoints == 0) failed_ = true;
        const Name& n = (vovi_ ? kVovi : kOther)[c];
        AddSeries(forces, n.element, Tr(n.title), 2, kUnits[c], 3, data);
    }

    ZVELEM tensions = AddGroup(trag, "tensions", Tr("Spannungen"));
    struct Stress {
        const char *element, *title, *unit;
        int32_t index;  // in the record of five maxima followed by five minima
        double factor;
    };
    static const Stress kStress[5] = {
        {"max_progress_of_stress_Phi", "Spannungsverlauf max. Sigma", "N/mm²", 0, 10.0},
        {"min_progress_of_stress_Phi", "Spannungsverlauf min. Sigma", "N/mm²", 6, 10.0},
        {"max_progress_of_stress_Tau", "Spannungsverlauf max. Tau", "N/mm²", 2, 10.0},
        {"max_progress_of_stress_PhiV", "Spannungsverlauf max. Sigma-V", "N/mm²", 3, 10.0},
        {"max_utilisation_V", "Max. Ausnutzung aus Spannungen", "-", 4, 1.0}};
    for (const Stress& s : kStress) {
        std::vector<float> data;
        for (int32_t p = 0; p < nPoints; ++p) {
            const double v = s.index < 5 ? At(env.stressMax, Z(5 * p + s.index)) : At(env.stressMin, Z(5 * p + s.index - 5));
            data.insert(data.end(), {pointX(p), static_cast<float>(v * s.factor)});
            if (s.index == 4) maxSp_ = std::max(maxSp_, v);
        }
        ZVELEM e = AddSeries(tensions, s.element, Tr(s.title), -1, s.unit, 2, data);
        if (s.index == 4) ZEVUD_SetInt(e, "default", 1);
    }
}

void StabWriter::Write(const std::string& errorText) {
    root_ = ZEVUD_GetRootElement(doc_);
    if (!root_) return;
    input_ = Child(root_, "input");
    vovi_ = zevud::GetString(root_, "progname") == "VOVI";
    wProfil_ = ZEVUD_GetDouble(Child(input_, "system"), "wProfil") * 4.0 * std::atan(1.0) / 180.0;

    if (ZVELEM old = Child(root_, "result")) ZEVUD_DeleteElement(old);
    if (ZVELEM old = Child(root_, "exports")) ZEVUD_DeleteElement(old);
    result_ = ZEVUD_AddChildElement(root_, "result");
    exports_ = ZEVUD_AddChildElement(root_, "exports");

    ZVELEM lu = Child(input_, "lastUeberlagerung");
    for (ZVELEM r = Child(Child(lu, "results"), "result"); r; r = ZEVUD_FindNextChild(r, "result")) {
        const std::string art = zevud::GetString(r, "art");
        if (IsServiceabilityCategory(art)) ++nServ_;
        if (art == "AK") ++nAK_;
        if (art == "Ed" || art == "Ed,A") ++nUlt_;
    }
    for (ZVELEM e = Child(Child(lu, "einwirkungen"), "einwirkung"); e; e = ZEVUD_FindNextChild(e, "einwirkung"))
        ++nActions_;
    ignoreNegDef_ = ZEVUD_GetInt(Child(input_, "ctrl"), "bIgnoreNegDef") != 0;
    ReadStabFields(input_, supports_);
    extremes_.assign(supports_.size(), SupportExtremes{});

    const FeModel& fm = run_.cdltr.fe;
    const int32_t nNode = std::clamp(fm.nKnoten, 0, limits::kMaxFeNodes);
    for (int32_t i = 0; i < nNode; ++i) nodeX_.push_back(static_cast<float>(fm.KnotenX[Z(i)]));

    ZVELEM gebr = AddGroup(result_, "gebr", Tr("Gebrauchstauglichkeit"));
    Deformations(gebr);
    Reactions(gebr);
    ZVELEM trag = AddGroup(result_, "trag", Tr("Tragfähigkeit"));
    Forces(trag);

    PostProcessStabResults(doc_);

    int32_t cls = 0;
    {
        const std::string file = "ctnachweis.tmp.rtf";
        cls = checks::WriteCtCheckReport(run_, run_.cdltr.nKnickLk, file, 0);
        ZEVUD_StoreFileInAttr(result_, "ctnachweis.tmp.rtf", file.c_str(), 1);
        std::remove(file.c_str());
    }

    std::string message = errorText;
    int32_t error = errorText.empty() ? 0 : 1;
    if (failed_) {
        message = Tr("{\\par \\pard}Fehler in der Berechnung! Evtl. keine Schnittgrößen aus ständigen Lasten?{\\par \\pard}");
        error = 1;
    } else {
        const std::string f1 = "Maximale Ausnutzung aus Verformungen:\t%.2lf{\\par \\pard}";
        const std::string f2 = "Maximale Ausnutzung aus Spannungen:\t\t%.2lf{\\par \\pard}";
        const std::string f3 = "Querschnittsklassifizierung (1..3 erforderlich):\t%ld{\\par \\pard}";
        message += lingo::FormatTranslated(f1, Tr(f1), maxVer_);
        message += lingo::FormatTranslated(f2, Tr(f2), maxSp_);
        if (run_.reader.NormName == "EC") message += lingo::FormatTranslated(f3, Tr(f3), static_cast<long>(cls));
    }
    ZEVUD_SetString(result_, "message", message.c_str());
    ZEVUD_SetInt(result_, "error", error);
    ZEVUD_SetDouble(result_, "dMaxAusVer", maxVer_);
    ZEVUD_SetDouble(result_, "dMaxAusSp", maxSp_);
    for (const ExportEntry& e : entries_) WriteExports(exports_, e.path, e.desc, e.varName, e.value, e.unit);
}

}  // namespace

ReactionSeries BuildReactionSeries(const std::vector<float>& nodeX,
                                   const std::vector<std::vector<double>>& columns, int32_t component) {
    ReactionSeries s;
    const size_t n = nodeX.size();
    s.lo.assign(n, static_cast<float>(kBig));
    s.hi.assign(n, static_cast<float>(-kBig));
    s.hasRecord.assign(n, false);
    if (n == 0) return s;
    s.data.insert(s.data.end(), {nodeX.front(), 0.0f, 0.0f});
    for (size_t i = 0; i < n; ++i) {
        double lo = kBig, hi = -kBig;
        for (const std::vector<double>& col : columns) {
            const double v = At(col, 7 * i + Z(component));
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        s.lo[i] = static_cast<float>(lo);
        s.hi[i] = static_cast<float>(hi);
        // Without any column the node has no value and no record.
        if (columns.empty()) continue;
        if (std::fabs(lo) > kValueTol || std::fabs(hi) > kValueTol) {
            s.data.insert(s.data.end(), {nodeX[i], static_cast<float>(-lo), static_cast<float>(-hi)});
            s.hasRecord[i] = true;
        }
    }
    s.data.insert(s.data.end(), {nodeX.back(), 0.0f, 0.0f});
    return s;
}

void WriteStabResults(RunState& run, ZVDOC doc, const std::string& errorText) {
    StabWriter writer(run, doc);
    writer.Write(errorText);
}

void CalcStabDocument(RunState& run, const KernelPhases& phases, ZVDOC doc, int32_t flag) {
    // Side files first, so that the reader's faults reach the error file.
    run.RunBaseName = RunBaseNameFromPath(zevud::GetCompleteFileName(doc));
    OpenErrorFile(run);
    run.DebugPrintFile = nullptr;
    ReadStabDom(run, doc, 1);
    if (!run.stopped) RunCalculation(run, phases, flag);
    if (run.DebugPrintFile) {
        std::fclose(run.DebugPrintFile);
        run.DebugPrintFile = nullptr;
    }
    const std::string errorText = CollectErrorText(run);
    section::OpenSectionDatabase(run, -1);
    WriteStabResults(run, doc, errorText);
}


}  // namespace tovik::results
