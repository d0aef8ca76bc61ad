#include "kernel_results/ResultWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "kernel/KernelErrors.h"
#include "kernel/KernelUtil.h"
#include "kernel/fe/FeSolver.h"
#include "kernel/section/SectionCache.h"
#include "kernel_results/ClassCheck.h"
#include "kernel_results/LoadTransfer.h"
#include "kernel_results/ResultTree.h"
#include "kernel_results/SinglePointProof.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"

namespace tovik::results {

namespace {

// Replaces the first "%s" of the template by the component.
std::string FillTitle(const std::string& tmpl, const std::string& component) {
    const size_t p = tmpl.find("%s");
    if (p == std::string::npos) return tmpl;
    return tmpl.substr(0, p) + component + tmpl.substr(p + 2);
}

double At(const std::vector<double>& v, int64_t i) { return (i >= 0 && Z(i) < v.size()) ? v[Z(i)] : 0.0; }

}  // namespace

ResultProofs StandardProofs() {
    return {
        .WriteElasticProofRtf = &checks::WriteElasticProofRtf,
        .WritePlasticProofRtf = &checks::WritePlasticProofRtf,
        .WriteCtCheckReport = &checks::WriteCtCheckReport,
    };
}

// ---------------------------------------------------------------------------
// SeriesDefinition
// ---------------------------------------------------------------------------

void SeriesDefinition::Set(const SeriesSpec& spec) {
    titleTemplate = spec.title;
    unit = spec.unit;
    source = spec.source;
    cases = spec.cases;
    atNodes = spec.atNodes;
    perEnd = spec.perEnd;
    stride = spec.stride;
    endComp[0] = spec.comp0;
    endComp[1] = spec.comp1;
    scale = spec.scale;
    output = spec.output;
    pairType = spec.pairType;
    resType = spec.resType;
    xPositions = spec.xPositions;
    isDefault = false;
    nDigits = 2;
    blockCase = -1;
}

bool SeriesDefinition::Selected(int32_t k) const {
    switch (selectMode) {
    case 2: return true;
    case 0: return k == selectCase;
    case 1: return selectSet.count(k) != 0;
    default: return false;
    }
}

bool SeriesDefinition::Evaluate(const WriterContext& ctx, ZVELEM element) {
    evaluated = false;
    if (needResType && resType == -1) return false;
    // A definition without load cases has nothing to say: no series and no
    // envelope (its start values are no results).
    if (cases.empty()) return false;
    const int32_t n = ctx.nNode;
    const int32_t points = atNodes ? n : (n > 1 ? 2 * (n - 1) : 0);
    pointMax.assign(Z(points), -1e10f);
    pointMin.assign(Z(points), 1e10f);
    caseOfMax.assign(Z(points), -1);
    globalMin = 1e10f;
    globalMax = -1e10f;
    globalMaxCase = -1;
    globalMaxPoint = -1;
    const size_t s = pairType == 3 ? 3 : 2;
    std::vector<float> row(Z(points) * s);
    std::vector<float> values(Z(points));
    for (int32_t k : cases) {
        for (int32_t p = 0; p < points; ++p) {
            const float v = ctx.Value(*this, k, p);
            values[Z(p)] = v;
            if (v <= pointMin[Z(p)]) pointMin[Z(p)] = v;
            if (v > pointMax[Z(p)] && v > 0.01f) caseOfMax[Z(p)] = k;
            if (v >= pointMax[Z(p)]) pointMax[Z(p)] = v;
            if (v <= globalMin) globalMin = v;
            if (v > globalMax) {
                globalMaxCase = k;
                globalMaxPoint = p;
                globalMax = v;
            }
        }
        if ((output & kOutCases) && Selected(k) && element) {
            const int32_t number = k + caseNumberOffset + 1;
            for (int32_t p = 0; p < points; ++p) {
                row[Z(p) * s] = p < static_cast<int32_t>(xPositions.size()) ? xPositions[Z(p)] : 0.0f;
                row[Z(p) * s + 1] = values[Z(p)];
                if (s == 3) row[Z(p) * s + 2] = values[Z(p)];
            }
            WriteResultSeries(element, FillTitle(titleTemplate, ctx.CaseName(number)), row, s == 3 ? 3 : 0, number,
                              resType, unit);
        }
    }
    for (int32_t& c : caseOfMax)
        if (c == -1) c = globalMaxCase;
    evaluated = true;
    if (element && (output & kOutEnvelope)) {
        const bool both = (output & kOutEnvelope) == kOutEnvelope;
        const size_t w = both ? 3 : 2;
        std::vector<float> env(Z(points) * w);
        for (int32_t p = 0; p < points; ++p) {
            size_t i = Z(p) * w;
            env[i++] = p < static_cast<int32_t>(xPositions.size()) ? xPositions[Z(p)] : 0.0f;
            if (output & kOutMax) env[i++] = pointMax[Z(p)];
            if (output & kOutMin) env[i++] = pointMin[Z(p)];
        }
        const int32_t type = !both ? 0 : (pairType == 3 ? 3 : 2);
        ZVELEM leaf = WriteResultSeries(element, FillTitle(titleTemplate, "Extremal"), env, type, -1, resType, unit);
        if (leaf && isDefault) ZEVUD_SetInt(leaf, "default", 1);
    }
    return true;
}

// ---------------------------------------------------------------------------
// WriterContext
// ---------------------------------------------------------------------------

WriterContext::WriterContext(RunState& r) : run(r) {
    const ModelRecord& m = run.cdltr;
    nNode = std::clamp(m.fe.nKnoten, 0, limits::kMaxFeNodes);
    crane = run.reader.bVadu != 0;
    for (int32_t i = 0; i < nNode; ++i) nodeX.push_back(static_cast<float>(m.fe.KnotenX[Z(i)]));
    for (int32_t e = 0; e + 1 < nNode; ++e) {
        endX.push_back(nodeX[Z(e)]);
        endX.push_back(nodeX[Z(e + 1)]);
    }
}

const std::vector<double>* WriterContext::BlockOf(int32_t block, int32_t k) const {
    const fe::FeResults& r = fe::State(run).results;
    const bool ult = block >= kUltDisplacements;
    const std::vector<fe::FeCaseResult>& list = ult ? r.ultimate : r.service;
    if (k < 0 || Z(k) >= list.size()) return nullptr;
    const fe::FeCaseResult& c = list[Z(k)];
    switch (block) {
    case kSvcDisplacements:
    case kUltDisplacements: return &c.displacements;
    case kSvcReactions:
    case kUltReactions: return &c.reactions;
    case kSvcEndForces:
    case kUltEndForces: return &c.endForces;
    case kSvcStresses:
    case kUltStresses: return &c.stresses;
    case kImperfections: return &c.imperfection;
    case kBucklingModes: return &c.eigenVectors;
    default: return nullptr;
    }
}

std::string WriterContext::CaseName(int32_t caseNumber) const {
    if (crane) {
        const std::vector<std::string>& groups = run.combos.LkDesc;
        if (caseNumber >= 1 && Z(caseNumber - 1) < groups.size() && !groups[Z(caseNumber - 1)].empty())
            return "Lastgruppe " + groups[Z(caseNumber - 1)];
    }
    return CaseComponent(caseNumber);
}

namespace {

// A node's (v, w) from the principal axes of the section into its
// reference axes, in which springs and beddings are given.
void ToReferenceAxes(double alpha, double& v, double& w) {
    if (alpha == 0.0) return;
    const double c = std::cos(alpha), s = std::sin(alpha);
    const double vr = c * v - s * w, wr = s * v + c * w;
    v = vr;
    w = wr;
}

}  // namespace

double WriterContext::SpringForce(bool ultimate, int32_t k, int32_t node, int32_t dir) const {
    const std::vector<double>* d = BlockOf(ultimate ? kUltDisplacements : kSvcDisplacements, k);
    if (!d) return 0.0;
    const double th = At(*d, 7 * node + 3);
    double f = 0.0;
    for (const fe::PlacedRecord& r : fe::State(run).springs) {
        if (r.where != node) continue;
        double v = At(*d, 7 * node + 1), w = At(*d, 7 * node + 2);
        ToReferenceAxes(r.v[fe::slot::kSprAlpha], v, w);
        const double ey = r.v[fe::slot::kSprEy], ez = r.v[fe::slot::kSprEz];
        // The spring point moves with the node and the twist about the shear
        // centre; a negative stiffness counts as none, as in the analysis.
        if (dir == 0)
            f += -(v - ez * th) * std::max(0.0, r.v[fe::slot::kSprCy]);
        else
            f += -(w + ey * th) * std::max(0.0, r.v[fe::slot::kSprCz]);
    }
    return f;
}

double WriterContext::BeddingForce(bool ultimate, int32_t k, int32_t point, int32_t which) const {
    const fe::FeState& st = fe::State(run);
    const int32_t e = point / 2, end = point % 2;
    if (e < 0 || Z(e) >= st.beddingsOfElement.size() || st.beddingsOfElement[Z(e)].empty()) return 0.0;
    const std::vector<double>* d = BlockOf(ultimate ? kUltDisplacements : kSvcDisplacements, k);
    if (!d) return 0.0;
    const int32_t node = e + end;
    double u = At(*d, 7 * node), v = At(*d, 7 * node + 1), w = At(*d, 7 * node + 2);
    const double th = At(*d, 7 * node + 3);
    if (st.sections) ToReferenceAxes(fe::ToPrincipalAxes(st.sections->AtElementEnd(e, end)).alpha, v, w);
    double q = 0.0;
    for (int32_t i : st.beddingsOfElement[Z(e)]) {
        if (i < 0 || Z(i) >= st.beddings.size()) continue;
        const std::array<double, 15>& b = st.beddings[Z(i)].v;
        const double ey = b[fe::slot::kBedEy], ez = b[fe::slot::kBedEz];
        switch (which) {
        case 0: q += -u * b[Z(fe::slot::kBedCx + end)]; break;
        case 1: q += -(v - ez * th) * b[Z(fe::slot::kBedCy + end)]; break;
        case 2: q += -(w + ey * th) * b[Z(fe::slot::kBedCz + end)]; break;
        default: q += -th * b[fe::slot::kBedCmx]; break;
        }
    }
    return q;
}

double WriterContext::DeflectionUtilisation(const SeriesDefinition& d, int32_t k, int32_t node, int32_t which) const {
    if (which == 2) {
        const double uy = DeflectionUtilisation(d, k, node, 0), uz = DeflectionUtilisation(d, k, node, 1);
        return uy > uz ? uy : uz;
    }
    const std::vector<double>* disp = BlockOf(kSvcDisplacements, k);
    if (!disp || node < 0 || Z(node) >= nodeX.size()) return 0.0;
    const double x = nodeX[Z(node)];
    const double dv = std::fabs(At(*disp, 7 * node + 1 + which));
    const std::vector<float>& ends = d.spanEnds[which];
    const std::vector<int32_t>& lims = d.spanLimits[which];
    double u = 0.0;
    for (size_t j = 0; j + 1 < ends.size() && j < lims.size(); ++j) {
        const double a = ends[j], b = ends[j + 1];
        if (x > a + 0.0001 && x < b + 0.0001 && b - a > 0.0) u = dv / (b - a) * lims[j];
    }
    return u;
}

float WriterContext::Value(const SeriesDefinition& d, int32_t k, int32_t p) const {
    double v = 0.0;
    if (d.source >= 0) {
        const std::vector<double>* blk = BlockOf(d.source, d.blockCase >= 0 ? d.blockCase : k);
        if (blk) {
            int64_t idx;
            if (d.atNodes)
                idx = static_cast<int64_t>(p) * d.stride + d.endComp[0];
            else if (d.perEnd)
                idx = static_cast<int64_t>(p / 2) * d.stride + d.endComp[p % 2];
            else
                idx = static_cast<int64_t>(p) * d.stride + d.endComp[0];
            v = At(*blk, idx);
        }
    } else {
        const int32_t s = -d.source;
        if (s <= 4) {
            v = SpringForce(s <= 2, k, p, (s - 1) % 2);
        } else if (s <= 12) {
            v = BeddingForce(s <= 8, k, p, (s - 5) % 4);
        } else if (s <= 15) {
            v = DeflectionUtilisation(d, k, p, s - 13);
        } else {
            const int32_t t = s - 16, idx = t / 4, kind = t % 4;
            const int64_t ends = nNode > 1 ? 2LL * (nNode - 1) : 0;
            const int64_t at = static_cast<int64_t>(k) * ends + p;
            if (kind <= 1) {
                const std::vector<UserPoint>& ups = run.reader.UserPoints;
                // Both signed: the fatigue check forms the ranges tau1 - tau2
                // from them, and a shear stress that changes its sign while
                // the crane passes has the range of both magnitudes.
                if (idx >= 0 && Z(idx) < ups.size()) v = At(kind == 0 ? ups[Z(idx)].sigX : ups[Z(idx)].tau, at);
            }
            // The plate stresses have no table in this kernel: 0, so their
            // series are not written.
        }
    }
    return static_cast<float>(v * d.scale);
}

// ---------------------------------------------------------------------------
// Deflection spans and plastic utilisation
// ---------------------------------------------------------------------------

void ReadDeflectionSpans(ZVDOC doc, SeriesDefinition& d, int32_t mask) {
    const int which = mask == 2 ? 0 : 1;
    std::vector<float>& ends = d.spanEnds[which];
    std::vector<int32_t>& lims = d.spanLimits[which];
    ends.clear();
    lims.clear();
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    int32_t limField = 300, limCantilever = 150;
    if (ZVELEM cs = ZEVUD_FindFirstChild(input, "calcSettings")) {
        // A missing or meaningless divisor keeps the usual limit rather
        // than turning every deflection into no utilisation at all.
        const int32_t f = ZEVUD_GetIntWithDefault(cs, "zulDefField", limField);
        const int32_t c = ZEVUD_GetIntWithDefault(cs, "zulDefKrag", limCantilever);
        if (f > 0) limField = f;
        if (c > 0) limCantilever = c;
    }
    ZVELEM sys = ZEVUD_FindFirstChild(input, "system");
    std::vector<int32_t> supported;
    if (sys) {
        const int32_t n = std::clamp(ZEVUD_GetInt(sys, "numOfFields"), 0, limits::kMaxInputNodes);
        double end = 0.0;
        for (int32_t i = 0; i < n; ++i) {
            ZVELEM f = ZEVUD_FindFirstChild(sys, winsys::FormatC("field_%d", i).c_str());
            if (!f) continue;
            end += ZEVUD_GetDouble(f, "length");
            ZVELEM s = ZEVUD_FindFirstChild(f, "support");
            const bool held = (ZEVUD_GetDouble(s, "cx") != 0.0 && (mask & 1)) ||
                              (ZEVUD_GetDouble(s, "cy") != 0.0 && (mask & 2)) ||
                              (ZEVUD_GetDouble(s, "cz") != 0.0 && (mask & 4));
            ends.push_back(static_cast<float>(end));
            supported.push_back(held ? 1 : 0);
        }
    }
    // Inner nodes without a support in this direction do not end a span.
    std::vector<float> keptEnds;
    std::vector<int32_t> keptFlags;
    for (size_t i = 0; i < ends.size(); ++i)
        if (i == 0 || i + 1 == ends.size() || supported[i]) {
            keptEnds.push_back(ends[i]);
            keptFlags.push_back(supported[i]);
        }
    ends = keptEnds;
    if (ends.size() >= 2) {
        lims.assign(ends.size() - 1, limField);
        if (!keptFlags.front()) lims.front() = limCantilever;
        if (!keptFlags.back()) lims.back() = limCantilever;
    }
}

bool EvaluatePlasticPairs(const WriterContext& ctx, SeriesDefinition& d, ZVELEM element,
                          const std::vector<int32_t>& points, const std::vector<int32_t>& cases,
                          const ResultProofs& h) {
    if (!h.WritePlasticProofRtf) return false;
    // Distinct pairs, visited in (point, case) order.
    std::set<std::pair<int32_t, int32_t>> pairs;
    for (size_t i = 0; i < points.size() && i < cases.size(); ++i) pairs.insert({points[i], cases[i]});
    const int32_t n = ctx.nNode;
    const int32_t count = n > 1 ? 2 * (n - 1) : 0;
    d.pointMax.assign(Z(count), -1e10f);
    d.pointMin.assign(Z(count), 1e10f);
    d.caseOfMax.assign(Z(count), -1);
    d.globalMax = -1e10f;
    d.globalMin = 1e10f;
    d.globalMaxCase = -1;
    d.globalMaxPoint = -1;
    for (const auto& [p, k] : pairs) {
        if (p < 0 || p >= count || k < 0) continue;
        const float u = static_cast<float>(h.WritePlasticProofRtf(ctx.run, d, k, p, 0));
        if (u <= d.pointMin[Z(p)]) d.pointMin[Z(p)] = u;
        if (u > d.pointMax[Z(p)] && u > 0.01f) d.caseOfMax[Z(p)] = k;
        if (u >= d.pointMax[Z(p)]) d.pointMax[Z(p)] = u;
        if (u <= d.globalMin) d.globalMin = u;
        if (u > d.globalMax) {
            d.globalMaxCase = k;
            d.globalMaxPoint = p;
            d.globalMax = u;
        }
    }
    for (int32_t& c : d.caseOfMax)
        if (c == -1) c = d.globalMaxCase;
    d.evaluated = true;
    if (d.globalMaxCase >= 0) h.WritePlasticProofRtf(ctx.run, d, d.globalMaxCase, d.globalMaxPoint, element);
    if (element && (d.output & kOutEnvelope)) {
        std::vector<float> env(Z(count) * 2);
        for (int32_t p = 0; p < count; ++p) {
            env[Z(p) * 2] = p < static_cast<int32_t>(d.xPositions.size()) ? d.xPositions[Z(p)] : 0.0f;
            env[Z(p) * 2 + 1] = d.pointMax[Z(p)];
        }
        ZVELEM leaf = WriteResultSeries(element, FillTitle(d.titleTemplate, "Extremal"), env, 0, -1, d.resType, d.unit);
        if (leaf && d.isDefault) ZEVUD_SetInt(leaf, "default", 1);
    }
    return true;
}

// ---------------------------------------------------------------------------
// WriteResultsToDom
// ---------------------------------------------------------------------------

namespace {

struct Row {
    const char* title;
    const char* unit;
    int32_t comp0, comp1;  // block components (or the computed source in comp0)
    int32_t resType;
};

void Progress(RunState& run, const char* text) {
    if (!run.progress) return;
    run.progress->SetText(lingo::Translate("VKT Eingabe", "velor_i_rigel", "calc", text));
    run.progress->StepIt();
}

std::vector<int32_t> Range(int32_t first, int32_t count) {
    std::vector<int32_t> v;
    for (int32_t i = 0; i < count; ++i) v.push_back(first + i);
    return v;
}

std::set<int32_t> Distinct(const std::vector<int32_t>& v) {
    std::set<int32_t> s;
    for (int32_t c : v)
        if (c >= 0) s.insert(c);
    return s;
}

void SetBin(ZVELEM e, const char* name, const std::vector<int32_t>& values) {
    zevud::SetInts(e, name, values);
}

// The load case lists of the document, in the order the reader keeps them:
// serviceability results in document order, each with its own kind.
struct CaseLists {
    std::vector<int32_t> combinations;           // serviceability combinations
    std::vector<int32_t> characteristic;         // kind "AK"
    std::vector<std::vector<int32_t>> perAction;  // kind "AK<i>", index i - 1
    int32_t nEd = 0;
    int32_t nEinw = 0;
};

CaseLists ReadCaseLists(ZVDOC doc) {
    CaseLists c;
    ZVELEM root = ZEVUD_GetRootElement(doc);
    ZVELEM lu = ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(root, "input"), "lastUeberlagerung");
    if (!lu) return c;
    ZVELEM ew = ZEVUD_FindFirstChild(lu, "einwirkungen");
    for (ZVELEM e : zevud::Children(ew, "einwirkung")) ++c.nEinw;
    c.perAction.resize(Z(c.nEinw));
    ZVELEM res = ZEVUD_FindFirstChild(lu, "results");
    int32_t k = 0;
    for (ZVELEM e : zevud::Children(res, "result")) {
        const std::string art = zevud::GetString(e, "art");
        if (art == "Ed" || art == "Ed,A") {
            ++c.nEd;
            continue;
        }
        if (art.compare(0, 2, "AK") != 0) {
            c.combinations.push_back(k);
        } else if (art == "AK") {
            c.characteristic.push_back(k);
        } else {
            const auto n = winsys::ParseInt(std::string_view(art).substr(2));
            if (n && *n >= 1 && *n <= c.nEinw && winsys::FormatC("AK%lld", *n) == art)
                c.perAction[Z(*n - 1)].push_back(k);
        }
        ++k;
    }
    return c;
}

}  // namespace

void WriteResultsToDom(RunState& run, ZVDOC doc, const std::string& errorText, const ResultProofs& proofs) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return;
    const ModelRecord& m = run.cdltr;
    // 1. A new "result" and "exports" in place of the old ones.
    const std::string moduleName = zevud::GetString(root, "modulename");
    if (ZVELEM old = ZEVUD_FindFirstChild(root, "result")) ZEVUD_DeleteElement(old);
    if (ZVELEM old = ZEVUD_FindFirstChild(root, "exports")) ZEVUD_DeleteElement(old);
    ZVELEM result = ZEVUD_AddChildElement(root, "result");
    ZEVUD_AddChildElement(root, "exports");

    // 2. Points.
    WriterContext ctx(run);
    const int32_t nNode = ctx.nNode;
    const std::vector<float>& nodeX = ctx.nodeX;
    const std::vector<float>& endX = ctx.endX;
    const int32_t nEnds = static_cast<int32_t>(endX.size());
    ZEVUD_SetInt(result, "nNode", nNode);
    ZEVUD_SetInt(result, "nElem", nEnds);
    ZEVUD_SetInt(result, "abbruch", 0);

    // 3. Counts, settings and flags.
    ctx.crane = zevud::GetString(root, "progname") == "VADU";
    const bool crane = ctx.crane;
    const CaseLists lists = ReadCaseLists(doc);
    const int32_t nChar = static_cast<int32_t>(lists.combinations.size());
    const int32_t nEd = lists.nEd;
    ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    ZVELEM calc = ZEVUD_FindFirstChild(input, "calcSettings");
    const int32_t resultGebrLK = ZEVUD_GetIntWithDefault(calc, "resultGebrLK", 0);
    const int32_t resultTragSVLK = ZEVUD_GetIntWithDefault(calc, "resultTragSVLK", 0);
    const int32_t plasticLTB =
        crane ? ZEVUD_GetIntWithDefault(ZEVUD_FindFirstChild(input, "craneSettings"), "plasticLTB", 0) : 0;
    const bool plasticVariant = winsys::EqualsNoCase(moduleName, kPlasticVariantName);
    const bool plastic = plasticVariant || plasticLTB != 0;
    const bool stressPointRun = crane && nEd == 0;
    std::string errors = errorText;

    SeriesDefinition d;
    d.selectMode = 2;
    d.needResType = false;

    // 4. 5.
    Progress(run, "Ergebnisaufbereitung Gebrauchstauglichkeit");
    if (stressPointRun) {
        d.needResType = true;
        section::Sections(run).StoreEsp(ZEVUD_AddChildElement(result, "esp"));
    }

    // Helpers for the table rows.
    const std::string G = "Gebrauchstauglichkeit\\", T = "Tragsicherheit\\";
    auto nodeRows = [&](const std::vector<Row>& rows, const std::string& prefix, int32_t block, int32_t stride,
                        const std::vector<int32_t>& cases, double scale, int32_t out, int32_t pairs, bool computedSrc) {
        for (const Row& r : rows) {
            d.Set({
                .title = prefix + r.title,
                .unit = r.unit,
                .source = computedSrc ? r.comp0 : block,
                .cases = cases,
                .atNodes = true,
                .perEnd = false,
                .stride = stride,
                .comp0 = computedSrc ? 0 : r.comp0,
                .comp1 = 0,
                .scale = scale,
                .output = out,
                .pairType = pairs,
                .resType = r.resType,
                .xPositions = nodeX,
            });
            d.Evaluate(ctx, result);
        }
    };
    auto endRows = [&](const std::vector<Row>& rows, const std::string& prefix, int32_t block, int32_t stride,
                       const std::vector<int32_t>& cases, double scale, int32_t out, int32_t pairs, bool computedSrc,
                       ZVELEM target) {
        for (const Row& r : rows) {
            d.Set({
                .title = prefix + r.title,
                .unit = r.unit,
                .source = computedSrc ? r.comp0 : block,
                .cases = cases,
                .atNodes = false,
                .perEnd = true,
                .stride = stride,
                .comp0 = computedSrc ? 0 : r.comp0,
                .comp1 = computedSrc ? 0 : r.comp1,
                .scale = scale,
                .output = out,
                .pairType = pairs,
                .resType = r.resType,
                .xPositions = endX,
            });
            d.Evaluate(ctx, target);
        }
    };

    const std::vector<Row> kDeflUtil = {{"Verformungen\\Ausnutzung Y", "", computed::kDeflY, 0, -1},
                                        {"Verformungen\\Ausnutzung Z", "", computed::kDeflZ, 0, -1}};
    const std::vector<Row> kDispl = {{"Verformungen\\Verformung X", "mm", 0, 0, 0x801},
                                     {"Verformungen\\Verformung Y", "mm", 1, 0, 0x1001},
                                     {"Verformungen\\Verformung Z", "mm", 2, 0, 0x2001}};
    const std::vector<Row> kTwist = {{"Verformungen\\Verdrehung phiX", "prom", 3, 0, 0x802}};
    const std::vector<Row> kForces = {{"Schnittgrößen\\Normalkraft N", "kN", 0, 7, 0x803},
                                      {"Schnittgrößen\\Querkraft Vy", "kN", 1, 8, 0x1003},
                                      {"Schnittgrößen\\Querkraft Vz", "kN", 2, 9, 0x2003},
                                      {"Schnittgrößen\\Torsionsmoment Mx", "kNm", 3, 10, 0x804},
                                      {"Schnittgrößen\\Biegemoment My", "kNm", 4, 11, 0x1004},
                                      {"Schnittgrößen\\Biegemoment Mz", "kNm", 5, 12, 0x2004},
                                      {"Schnittgrößen\\Wölbmoment Mw", "kNm²", 6, 13, 0x4004}};
    const std::vector<Row> kReactions = {{"Ax", "kN", 0, 0, -1},  {"Ay", "kN", 1, 0, -1},  {"Az", "kN", 2, 0, -1},
                                         {"AMx", "kNm", 3, 0, -1}, {"AMy", "kNm", 4, 0, -1}, {"AMz", "kNm", 5, 0, -1}};
    const std::vector<Row> kSvcSprings = {{"Ay", "kN", computed::kSvcSpringY, 0, -1},
                                          {"Az", "kN", computed::kSvcSpringZ, 0, -1}};
    const std::vector<Row> kSvcBeddings = {{"Ax", "kN/m", computed::kSvcBedding, 0, -1},
                                           {"Ay", "kN/m", computed::kSvcBedding - 1, 0, -1},
                                           {"Az", "kN/m", computed::kSvcBedding - 2, 0, -1},
                                           {"AMx", "kNm/m", computed::kSvcBedding - 3, 0, -1}};
    auto stressRows = [](int32_t sigVType) {
        return std::vector<Row>{{"Spannungen\\Spannung max. sigX", "N/mm²", 0, 5, 9},
                                {"Spannungen\\Spannung min. sigX", "N/mm²", 1, 6, 8},
                                {"Spannungen\\Spannung abs Tau", "N/mm²", 2, 7, 0xa},
                                {"Spannungen\\Spannung sigV", "N/mm²", 3, 8, sigVType}};
    };
    auto characteristicRows = [&](const std::string& folder, const std::vector<int32_t>& cases) {
        std::vector<Row> rows = kReactions;
        for (Row& r : rows) r.resType = -1;
        nodeRows(rows, G + "Char. Auflagerkraft\\" + folder + "\\", kSvcReactions, 7, cases, -1.0, kOutEnvelope, 3,
                 false);
        nodeRows(kSvcSprings, G + "Char. Federkräfte\\" + folder + "\\", 0, 1, cases, -1.0, kOutEnvelope, 3, true);
        endRows(kSvcBeddings, G + "Char. Bettungskräfte\\" + folder + "\\", 0, 1, cases, -1.0, kOutEnvelope, 2, true,
                result);
    };

    // 6. - 11. Serviceability part.
    d.caseNumberOffset = m.nKnickLk;
    float dMaxAusGebr = 0.0f;
    bool gebrWritten = false;
    if (!(crane && nChar == 0)) {
        // 7. Deflection utilisation first: it decides the per-case output.
        ReadDeflectionSpans(doc, d, 2);
        ReadDeflectionSpans(doc, d, 4);
        d.Set({
            .title = G + "%s\\Verformungen\\Max. Ausnutzung",
            .unit = "",
            .source = computed::kDeflMax,
            .cases = lists.combinations,
            .atNodes = true,
            .perEnd = false,
            .stride = 1,
            .comp0 = 0,
            .comp1 = 0,
            .scale = 1.0,
            .output = kOutEnvelope,
            .pairType = 2,
            .resType = -1,
            .xPositions = nodeX,
        });
        if (d.Evaluate(ctx, result)) {
            // Written only from an evaluated definition (not in a stress-point
            // run, not without serviceability combinations).
            SetBin(result, "gebrRelKol", d.caseOfMax);
            ZEVUD_SetInt(result, "gebrMaxLK", d.globalMaxCase);
            dMaxAusGebr = d.globalMax;
            gebrWritten = true;
        }
        ZEVUD_SetInt(result, "gebrKolOffset", m.nKnickLk);
        // 8. Selection.
        d.selectMode = resultGebrLK;
        d.selectCase = d.globalMaxCase;
        d.selectSet = Distinct(d.caseOfMax);
        // userPoints and plateStress.
        ZVELEM up = ZEVUD_AddChildElement(result, "userPoints");
        const std::vector<UserPoint>& ups = run.reader.UserPoints;
        ZEVUD_SetInt(up, "numOfUserPoints", static_cast<int32_t>(ups.size()));
        for (size_t u = 0; u < ups.size(); ++u)
            ZEVUD_SetString(up, winsys::FormatC("userPoint-%d", static_cast<int32_t>(u)).c_str(), ups[u].name.c_str());
        ZVELEM ps = ZEVUD_AddChildElement(result, "plateStress");
        const int32_t nPlates = std::max(0, section::MaxPlateElements(run));
        ZEVUD_SetInt(ps, "numOfPlates", nPlates);

        // 9. G1 to G9.
        const std::vector<int32_t>& cc = lists.combinations;
        d.Set({
            .title = G + "%s\\Verformungen\\Max. Ausnutzung",
            .unit = "",
            .source = computed::kDeflMax,
            .cases = cc,
            .atNodes = true,
            .perEnd = false,
            .stride = 1,
            .comp0 = 0,
            .comp1 = 0,
            .scale = 1.0,
            .output = kOutCases,
            .pairType = 2,
            .resType = -1,
            .xPositions = nodeX,
        });
        d.Evaluate(ctx, result);
        nodeRows(kDeflUtil, G + "%s\\", 0, 1, cc, 1.0, kOutCases | kOutEnvelope, 2, true);
        nodeRows(kDispl, G + "%s\\", kSvcDisplacements, 7, cc, 1000.0, kOutCases | kOutEnvelope, 2, false);
        nodeRows(kTwist, G + "%s\\", kSvcDisplacements, 7, cc, 1000.0, kOutCases | kOutEnvelope, 2, false);
        endRows(kForces, G + "%s\\", kSvcEndForces, 14, cc, 1.0, kOutCases | kOutEnvelope, 2, false, result);
        endRows(stressRows(-1), G + "%s\\", kSvcStresses, 10, cc, 10.0, kOutCases | kOutEnvelope, 2, false, result);
        for (size_t u = 0; u < ups.size(); ++u) {
            const int32_t ui = static_cast<int32_t>(u);
            const std::string base = G + "%s\\Spannungen\\" + ups[u].name + "\\";
            endRows({{"sigX", "N/mm²", computed::UserSigX(ui), 0, 13 + 8 * ui},
                     {"tau", "N/mm²", computed::UserTau(ui), 0, 14 + 8 * ui}},
                    base, 0, 1, cc, 10.0, kOutCases | kOutEnvelope, 2, true, result);
        }
        for (int32_t j = 0; j < nPlates; ++j) {
            const std::string base = G + "%s\\Spannungen\\Blech-" + std::to_string(j) + "\\";
            endRows({{"min SigX", "N/mm²", computed::PlateSigX(j), 0, 0x400 + 2 * j},
                     {"max Tau", "N/mm²", computed::PlateTau(j), 0, 0x401 + 2 * j}},
                    base, 0, 1, cc, 10.0, kOutCases | kOutEnvelope, 2, true, result);
        }
        // 10. Support, spring and bedding forces.
        if (!crane) {
            characteristicRows("Extremal", lists.characteristic);
        } else {
            std::vector<Row> rows = kReactions;
            const int32_t types[] = {0x805, 0x1005, 0x2005, 0x806, 0x1006, 0x2006};
            for (size_t i = 0; i < rows.size(); ++i) rows[i].resType = types[i];
            nodeRows(rows, G + "%s\\Auflagerkraft\\", kSvcReactions, 7, cc, -1.0, kOutCases | kOutEnvelope, 2, false);
            std::vector<Row> springs = kSvcSprings;
            springs[0].resType = 0x8007;
            springs[1].resType = 0x10007;
            nodeRows(springs, G + "%s\\Federkräfte\\", 0, 1, cc, -1.0, kOutCases | kOutEnvelope, 2, true);
            endRows({{"By", "kN/m", computed::kSvcBedding - 1, 0, 0x1007},
                     {"Bz", "kN/m", computed::kSvcBedding - 2, 0, 0x2007},
                     {"BMx", "kNm/m", computed::kSvcBedding - 3, 0, 0x807}},
                    G + "%s\\Bettungskräfte\\", 0, 1, cc, -1.0, kOutCases | kOutEnvelope, 2, true, result);
        }
        // 11. Per action (characteristic values: not in crane-runway documents).
        for (int32_t i = 1; i <= lists.nEinw && !crane; ++i)
            if (!lists.perAction[Z(i - 1)].empty()) characteristicRows("EW " + std::to_string(i), lists.perAction[Z(i - 1)]);
    }

    // 12. - 20. Ultimate part.
    float dMaxAusTragSV = 0.0f;
    if (nEd > 0) {
        Progress(run, "Ergebnisaufbereitung Tragsicherheit");
        d.caseNumberOffset = 0;
        const std::vector<int32_t> uc = Range(0, nEd);
        // 13. Utilisation envelope.
        d.Set({
            .title = T + "%s\\Spannungen\\Ausnutzung",
            .unit = "",
            .source = kUltStresses,
            .cases = uc,
            .atNodes = false,
            .perEnd = true,
            .stride = 10,
            .comp0 = 4,
            .comp1 = 9,
            .scale = 1.0,
            .output = kOutEnvelope,
            .pairType = 2,
            .resType = 0xc,
            .xPositions = endX,
        });
        d.isDefault = true;
        d.Evaluate(ctx, plasticVariant ? 0 : result);
        if (!plasticVariant && !crane) {
            SetBin(result, "tragSVRelKol", d.caseOfMax);
            ZEVUD_SetInt(result, "tragSVMaxLK", d.globalMaxCase);
            if (proofs.WriteElasticProofRtf && d.globalMaxCase >= 0)
                proofs.WriteElasticProofRtf(run, d, d.globalMaxCase, d.globalMaxPoint, result);
        }
        dMaxAusTragSV = d.evaluated ? d.globalMax : 0.0f;
        const std::vector<int32_t> t1CaseOfMax = d.caseOfMax;
        const int32_t t1MaxCase = d.globalMaxCase;

        // 14. Eigenvalues and buckling modes.
        if (!crane) {
            d.selectMode = 2;
            d.selectSet = Distinct(t1CaseOfMax);
            const std::set<int32_t> decisive = d.selectSet;
            ZVELEM ew = ZEVUD_AddChildElement(result, "Eigenwerte");
            const std::string fmt = "1. Eigenwert %.3f (max. dy %10.3e, max. dz %10.3e)";
            const std::string tr = lingo::Translate("VKT Ausgabe", "velor_o_rigel", "Calc", fmt);
            const std::vector<fe::FeCaseResult>& ult = fe::State(run).results.ultimate;
            for (int32_t k = 0; k < nEd; ++k) {
                const bool sel = resultTragSVLK == 2 || (resultTragSVLK == 0 && k == t1MaxCase) ||
                                 (resultTragSVLK == 1 && decisive.count(k));
                if (!sel) continue;
                std::array<double, 6> ev{};
                if (Z(k) < ult.size()) ev = ult[Z(k)].eigenValues;
                ZEVUD_SetString(ew, winsys::FormatC("ew1_LK%d", k + 1).c_str(),
                                lingo::FormatTranslated(fmt, tr, ev[0], ev[1], ev[2]).c_str());
                const std::string base = T + CaseComponent(k + 1) + "\\Knickfigur\\";
                const std::vector<Row> modes = {{"Verschiebung Y(normiert)", "", 1, 0, -1},
                                                {"Verschiebung Z(normiert)", "", 2, 0, -1},
                                                {"Verdrehung X(normiert)", "", 3, 0, -1}};
                for (const Row& r : modes) {
                    d.Set({
                        .title = base + r.title,
                        .unit = r.unit,
                        .source = kBucklingModes,
                        .cases = std::vector<int32_t>{0},
                        .atNodes = true,
                        .perEnd = false,
                        .stride = 7,
                        .comp0 = r.comp0,
                        .comp1 = 0,
                        .scale = 1.0,
                        .output = kOutCases,
                        .pairType = 0,
                        .resType = -1,
                        .xPositions = nodeX,
                    });
                    d.blockCase = k;
                    d.Evaluate(ctx, result);
                }
            }
        }
        // 15. Selection for the rest.
        d.selectMode = resultTragSVLK;
        d.selectCase = t1MaxCase;
        d.selectSet = Distinct(t1CaseOfMax);
        // 16.
        if (!crane) {
            nodeRows({{"Vorverformungen\\Vorverformung Y", "mm", 0, 0, -1},
                      {"Vorverformungen\\Vorverformung Z", "mm", 1, 0, -1}},
                     T + "%s\\", kImperfections, 4, uc, 1000.0, kOutCases, 0, false);
            nodeRows(kReactions, T + "%s\\Auflagerkraft (design)\\", kUltReactions, 7, uc, -1.0,
                     kOutCases | kOutEnvelope, 3, false);
            std::vector<Row> disp = {{"Verformungen\\Verformung X", "mm", 0, 0, -1},
                                     {"Verformungen\\Verformung Y", "mm", 1, 0, -1},
                                     {"Verformungen\\Verformung Z", "mm", 2, 0, -1},
                                     {"Verformungen\\Verdrehung um X", "prom", 3, 0, -1}};
            nodeRows(disp, T + "%s\\", kUltDisplacements, 7, uc, 1000.0, kOutCases | kOutEnvelope, 2, false);
        }
        // 17.
        endRows(kForces, T + "%s\\", kUltEndForces, 14, uc, 1.0, kOutCases | kOutEnvelope, 2, false, result);
        // 18.
        std::vector<int32_t> pairPoints, pairCases;
        for (const Row& r : stressRows(0xb)) {
            d.Set({
                .title = T + "%s\\" + r.title,
                .unit = r.unit,
                .source = kUltStresses,
                .cases = uc,
                .atNodes = false,
                .perEnd = true,
                .stride = 10,
                .comp0 = r.comp0,
                .comp1 = r.comp1,
                .scale = 10.0,
                .output = kOutCases | kOutEnvelope,
                .pairType = 2,
                .resType = r.resType,
                .xPositions = endX,
            });
            d.Evaluate(ctx, plastic ? 0 : result);
            if (plastic && d.evaluated)
                for (int32_t p = 0; p < nEnds; ++p) {
                    pairPoints.push_back(p);
                    pairCases.push_back(d.caseOfMax[Z(p)]);
                }
        }
        // 19.
        if (!plastic) {
            d.Set({
                .title = T + "%s\\Spannungen\\Ausnutzung",
                .unit = "",
                .source = kUltStresses,
                .cases = uc,
                .atNodes = false,
                .perEnd = true,
                .stride = 10,
                .comp0 = 4,
                .comp1 = 9,
                .scale = 1.0,
                .output = kOutCases,
                .pairType = 0,
                .resType = 0xc,
                .xPositions = endX,
            });
            d.Evaluate(ctx, result);
        } else {
            d.Set({
                .title = T + "%s\\Schnittgrößen\\Ausnutzung",
                .unit = "",
                .source = kUltStresses,
                .cases = uc,
                .atNodes = false,
                .perEnd = true,
                .stride = 10,
                .comp0 = 4,
                .comp1 = 9,
                .scale = 1.0,
                .output = kOutMax,
                .pairType = 0,
                .resType = 0xc,
                .xPositions = endX,
            });
            d.isDefault = true;
            if (EvaluatePlasticPairs(ctx, d, result, pairPoints, pairCases, proofs)) {
                SetBin(result, "tragSVRelKol", d.caseOfMax);
                ZEVUD_SetInt(result, "tragSVMaxLK", d.globalMaxCase);
                dMaxAusTragSV = d.globalMax;
            } else {
                // Without the plastic proof no plastic utilisation can be
                // given: say so rather than report the elastic one as if it
                // were the plastic result.
                if (errors.empty()) errors = ErrorTextHeading();
                errors += "FEHLER:  Der plastische Querschnittsnachweis ist in dieser Programmversion nicht "
                          "vorhanden; die Ausnutzung wurde nicht ermittelt.\n ";
            }
        }
        // 20.
        nodeRows({{"Ay", "kN", computed::kUltSpringY, 0, -1}, {"Az", "kN", computed::kUltSpringZ, 0, -1}},
                 T + "%s\\Federkräfte (design)\\", 0, 1, uc, -1.0, kOutCases | kOutEnvelope, 3, true);
        endRows({{"Ax", "kN/m", computed::kUltBedding, 0, -1},
                 {"Ay", "kN/m", computed::kUltBedding - 1, 0, -1},
                 {"Az", "kN/m", computed::kUltBedding - 2, 0, -1},
                 {"AMx", "kNm/m", computed::kUltBedding - 3, 0, -1}},
                T + "%s\\Bettungskräfte (design)\\", 0, 1, uc, -1.0, kOutCases | kOutEnvelope, 2, true, result);
        const std::vector<FailedCombination> failed = crane ? std::vector<FailedCombination>{}
                                                            : FailedUltimateCombinations(run);
        if (failed.empty()) {
            ZEVUD_SetDouble(result, "dMaxAusTragSV", static_cast<double>(dMaxAusTragSV));
        } else {
            std::string numbers;
            if (errors.empty()) errors = ErrorTextHeading();
            if (!errors.empty() && errors.back() == ' ') errors.pop_back();
            for (const FailedCombination& f : failed) {
                numbers += (numbers.empty() ? "" : " ") + std::to_string(f.number);
                errors += winsys::FormatC("FEHLER:  LK %d nicht nachgewiesen: %s\n", f.number, f.reason.c_str());
            }
            errors += " ";
            ZEVUD_SetInt(result, "tragSVFailed", 1);
            ZEVUD_SetString(result, "tragSVFailedLK", numbers.c_str());
            // The utilisation of the other combinations, when there are any:
            // with every combination unproven there is none to state.
            size_t computed = 0;
            for (const fe::FeCaseResult& c : fe::State(run).results.ultimate) computed += c.computed ? 1 : 0;
            if (failed.size() < computed)
                ZEVUD_SetDouble(result, "dMaxAusTragSVOhne", static_cast<double>(dMaxAusTragSV));
            ZEVUD_SetDouble(result, "dMaxAusTragSV", kFailedUtilisation);
        }
    }

    // 21. Summary.
    if (gebrWritten) ZEVUD_SetDouble(result, "dMaxAusGebr", static_cast<double>(dMaxAusGebr));
    else if (!stressPointRun) ZEVUD_SetDouble(result, "dMaxAusGebr", 0.0);

    // 22. Load transfer and cross-section check.
    Progress(run, "Schreibe Lastweiterleitung...");
    if (!crane) {
        LoadTransferTable table;
        table.SetPositions(m);
        std::vector<int32_t> actions;
        for (int32_t i = 1; i <= lists.nEinw; ++i)
            if (!lists.perAction[Z(i - 1)].empty()) actions.push_back(i);
        table.AddAllSeries(doc, actions, nEd);
        table.WriteExports(doc);
        if (proofs.WriteCtCheckReport) {
            // Written to a scratch file of its own (two runs in one folder
            // must not share it), stored under its usual attribute name.
            const std::string attr = "ctnachweis.tmp.rtf";
            const std::string file = winsys::UniqueTempFile("ctnachweis", ".tmp.rtf").string();
            const int32_t cls = proofs.WriteCtCheckReport(run, nEd, file, plasticVariant ? 1 : 0);
            ZEVUD_StoreFileInAttr(result, attr.c_str(), file.c_str(), 1);
            std::remove(file.c_str());
            ZEVUD_SetInt(result, "iClass", cls);
        }
    }
    ZEVUD_SetString(result, "errorMsg", errors.c_str());
    Progress(run, "Einlesen der Ergebnisse...");
}

std::vector<FailedCombination> FailedUltimateCombinations(RunState& run) {
    std::vector<FailedCombination> out;
    const std::vector<fe::FeCaseResult>& ult = fe::State(run).results.ultimate;
    for (size_t k = 0; k < ult.size(); ++k) {
        const fe::FeCaseResult& c = ult[k];
        if (!c.computed) continue;
        FailedCombination f;
        f.number = static_cast<int32_t>(k + 1);
        const int32_t code = c.failCode != 0 ? c.failCode : c.code;
        if (code == codes::kUnstable)
            f.reason = "Gleichungssystem instabil";
        else if (code == codes::kNoConvergence)
            f.reason = "Berechnung nicht konvergiert";
        else if (c.eigenFound && c.eigenValues[0] <= 1.0)
            // A critical load factor at or below 1: the combination's load
            // reaches the buckling load of the member (EN 1993-1-1, 5.2.1).
            f.reason = winsys::FormatC("kritischer Lastfaktor %.3f <= 1", c.eigenValues[0]);
        else
            continue;
        out.push_back(std::move(f));
    }
    return out;
}


}  // namespace tovik::results
