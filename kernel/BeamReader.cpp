#include "kernel/BeamReader.h"

#include <cmath>

#include "kernel/CombinationRules.h"
#include "kernel/KernelErrors.h"
#include "kernel/section/SectionCache.h"
#include "kernel/KernelUtil.h"
#include "kernel/MaterialValues.h"
#include "kernel/MemberDesignReader.h"
#include "platform/winsys/winsys.h"

namespace tovik {

namespace {

using winsys::FormatC;

int32_t GetInt(ZVELEM e, const char* a) { return ZEVUD_GetInt(e, a); }
double GetDbl(ZVELEM e, const char* a) { return ZEVUD_GetDouble(e, a); }

// Largest length or load value (in the document's units) taken as one of a
// real girder.
constexpr double kLargestInputValue = 1e6;
float GetFlt(ZVELEM e, const char* a) { return static_cast<float>(ZEVUD_GetDouble(e, a)); }

// The only child of that name, or 0 when there is none or more than one.
ZVELEM Single(ZVELEM parent, const char* name) {
    ZVELEM e = ZEVUD_FindFirstChild(parent, name);
    if (!e || ZEVUD_FindNextChild(e, name)) return 0;
    return e;
}

class BeamReader {
public:
    BeamReader(RunState& run, ZVDOC doc) : run_(run), r_(run.cdltr), v_(run.reader), doc_(doc) {}
    int32_t Read();

private:
    bool TooMany(int32_t n, int32_t limit, const char* what) {
        if (n >= 0 && n <= limit) return false;
        run_.Stop(codes::kModelTooLarge,
                  FormatC("Das Stabdokument hat %d %s; höchstens %d sind möglich", n, what, limit));
        return true;
    }
    template <class T>
    bool Add(LoadList<T>& list, const T& entry, const char* what) {
        if (list.Append(entry)) return true;
        run_.Stop(codes::kModelTooLarge,
                  FormatC("Zu viele %s: höchstens %d sind möglich", what, limits::kMaxLoadsPerList));
        return false;
    }
    bool ReadNodes(ZVELEM input);
    bool ReadLoads(ZVELEM genimpact);
    void ReadCombinations(ZVELEM input);

    RunState& run_;
    ModelRecord& r_;
    ReaderValues& v_;
    ZVDOC doc_;
    bool vovi_ = false;
    float wProfil_ = 0;     // rotation of the profile in the member's axes, radians
    float phi_ = 0;         // principal-axis angle of the profile, radians (kept, turns no load)
    double area_ = 0;       // cm²
    bool freeEnd_ = false;
    int32_t translational_ = 0;
    double memberLength_ = 0;
    int32_t calcIdx_ = 0;
    std::string profile_;
};

bool BeamReader::ReadNodes(ZVELEM input) {
    ZVELEM gen = ZEVUD_FindFirstChild(input, "genNode");
    if (!gen) return true;
    static const char* const kVovi[6] = {"cx", "cy", "cz", "cmx", "cmy", "cmz"};
    static const char* const kTurned[6] = {"cz", "cx", "cy", "cmz", "cmx", "cmy"};
    const char* const* names = vovi_ ? kVovi : kTurned;

    const int32_t nSup = GetInt(gen, "numOfSupports");
    if (TooMany(nSup, limits::kMaxSupportTypes, "Auflager")) return false;
    r_.nLagerTyp = nSup;
    for (int32_t i = 0; i < nSup; ++i) {
        ZVELEM s = ZEVUD_FindFirstChildWithAttr(gen, "supportNr", FormatC("%d", i).c_str());
        if (!s) continue;
        float c[6];
        double sum = 0;
        for (int k = 0; k < 6; ++k) {
            c[k] = GetFlt(s, names[k]);
            sum += std::fabs(static_cast<double>(c[k]));
        }
        r_.LagerTyp[Z(i)] = {c[0], c[1], c[2], c[3], c[4], c[5], 0.0f};
        if ((i == 0 || i == nSup - 1) && sum == 0.0) freeEnd_ = true;
        if (c[0] != 0.0f || c[1] != 0.0f || c[2] != 0.0f) ++translational_;
    }

    const int32_t n = GetInt(gen, "numOfGenNodes");
    if (n < 2) {
        run_.Stop(codes::kBadValue, FormatC("Das Stabdokument hat %d Knoten; mindestens 2 sind nötig", n));
        return false;
    }
    if (TooMany(n - 1, limits::kMaxFields, "Stababschnitte")) return false;
    r_.nFeld = n - 1;
    r_.SysFlag = 1;
    r_.profOrientation = 0;
    double prevPos = 0;
    for (int32_t i = 0; i < n; ++i) {
        ZVELEM e = ZEVUD_FindFirstChildWithAttr(gen, "genNodeNr", FormatC("%d", i).c_str());
        if (!e) continue;
        const int32_t sup = GetInt(e, "iSupport") + 1;
        if (sup < 0 || sup > nSup) {
            run_.Stop(codes::kBadValue, FormatC("Knoten %d: Auflager %d außerhalb 0..%d", i + 1, sup, nSup));
            return false;
        }
        r_.Kn_Lager[Z(i)] = sup;
        const double pos = GetDbl(e, "pos");
        if (i >= 1) {
            // Field i-1 runs from node i-1 to node i.
            const size_t f = Z(i - 1);
            const float len = static_cast<float>(pos - prevPos);
            r_.Feld_L[f] = len;
            r_.nTeilung[f] = SubdivisionCount(len);
            r_.Feld_QsA[f] = r_.Feld_QsE[f] = 1;
            r_.Feld_GelA[f] = 0;
            r_.Feld_GelE[f] = GetInt(e, "iGelenk") + 1;
            if (r_.Feld_GelE[f] < 0 || r_.Feld_GelE[f] > r_.nGelenkTyp) {
                run_.Stop(codes::kBadValue, FormatC("Knoten %d: Gelenk %d außerhalb 0..%d", i + 1, r_.Feld_GelE[f],
                                                    r_.nGelenkTyp));
                return false;
            }
        }
        if (calcIdx_ != 1) profile_ = zevud::GetString(e, "strProfile");
        prevPos = pos;
        memberLength_ = pos;
    }
    return true;
}

bool BeamReader::ReadLoads(ZVELEM gen) {
    r_.EinzelF.count = r_.EinzelM.count = r_.Zwang.count = r_.StreckenL.count = r_.TempL.count = 0;
    r_.nLf = 0;
    if (!gen) return true;
    for (ZVELEM e = ZEVUD_FindFirstChild(gen, "load"); e; e = ZEVUD_FindNextChild(e, "load")) {
        const int32_t ltype = GetInt(e, "ltype");
        const int32_t lc = GetInt(e, "lc");
        int32_t d = GetInt(e, "direction");
        if (!vovi_) d = (d == 0) ? 1 : (d == 1) ? 2 : (d == 2) ? 0 : d;
        const bool directed = ltype == 0 || ltype == 1 || ltype == 4 || ltype == 10;
        if (directed && (d < 0 || d > 2)) {
            run_.Stop(codes::kBadValue, FormatC("Last im Lastfall %d: Richtung %d außerhalb 0..2", lc, d));
            return false;
        }
        if (lc < 0 || lc > limits::kMaxLoadCases) {
            run_.Stop(codes::kBadValue, FormatC("Lastfall %d außerhalb 0..%d", lc, limits::kMaxLoadCases));
            return false;
        }
        const int32_t node = GetInt(e, "node") + 1;
        // Values beyond any real girder never reach the arithmetic.
        for (const char* a : {"offset", "length", "ey", "ez", "val0", "val1"}) {
            const double v = GetDbl(e, a);
            if (!std::isfinite(v) || std::fabs(v) > kLargestInputValue) {
                run_.Stop(codes::kBadValue, FormatC("Last im Lastfall %d: der Wert %s = %g liegt außerhalb des "
                                                    "sinnvollen Bereichs (Betrag höchstens %g)",
                                                    lc, a, v, kLargestInputValue));
                return false;
            }
        }
        const float offset = GetFlt(e, "offset"), length = GetFlt(e, "length");
        const float ey = GetFlt(e, "ey"), ez = GetFlt(e, "ez");
        const float val0 = GetFlt(e, "val0"), val1 = GetFlt(e, "val1");
        switch (ltype) {
        case 0:
        case 1:
            if (!Add(r_.StreckenL, DirectedLineLoad(lc, node, offset, length, ey, ez, d, val0, ltype == 0 ? val0 : val1),
                     "Streckenlasten"))
                return false;
            break;
        case 4: {
            TemperatureLoad t;
            t.LCGen = lc;
            t.node = node;
            t.offset = offset;
            t.length = length;
            float* comp[3] = {&t.dT0, &t.dT1, &t.dT2};
            *comp[d] = val1 - val0;
            if (!Add(r_.TempL, t, "Temperaturlasten")) return false;
            break;
        }
        case 5: {
            ImposedDisplacement z;
            z.LCGen = lc;
            z.node = node;
            if (d == 2) z.dw = val0;
            else if (d == 1) z.dv = val0;
            if (!Add(r_.Zwang, z, "Stützensenkungen")) return false;
            break;
        }
        case 10: {
            if (val0 != 0.0f && !Add(r_.EinzelF, DirectedPointForce(lc, node, offset, ey, ez, d, val0), "Einzellasten"))
                return false;
            if (val1 != 0.0f && !Add(r_.EinzelM, DirectedPointMoment(lc, node, offset, d, val1), "Einzelmomente"))
                return false;
            break;
        }
        case 11:
            if (vovi_) {
                LineLoad l;
                l.LCGen = lc;
                l.node = 1;
                l.offset = 0;
                l.length = static_cast<float>(memberLength_);
                l.pz0 = l.pz1 = static_cast<float>(val0 * area_ * 0.0001);
                if (!Add(r_.StreckenL, l, "Streckenlasten")) return false;
            } else {
                r_.GammaOpt = 1;
                r_.Gamma = -val0;
            }
            break;
        default:
            break;
        }
        if (lc > r_.nLf) r_.nLf = lc;
    }
    r_.nRegelLk = r_.nKnickLk = r_.nLf;
    return true;
}

void BeamReader::ReadCombinations(ZVELEM input) {
    std::vector<CombinationText> ultimate, service;
    ZVELEM lu = ZEVUD_FindFirstChild(input, "lastUeberlagerung");
    ZVELEM results = lu ? ZEVUD_FindFirstChild(lu, "results") : 0;
    for (ZVELEM e = results ? ZEVUD_FindFirstChild(results, "result") : 0; e; e = ZEVUD_FindNextChild(e, "result")) {
        const std::string art = zevud::GetString(e, "art");
        const std::string regel = zevud::GetString(e, "regel");
        if (art == "Ed" || art == "Ed,A")
            ultimate.push_back({art, regel, std::string()});
        else if (IsServiceabilityCategory(art) || art.rfind("AK", 0) == 0)
            service.push_back({art, regel, std::string()});
    }
    if (TooMany(static_cast<int32_t>(ultimate.size() + service.size()), limits::kMaxCombinations,
                "Lastkombinationen"))
        return;
    if (BuildActionTexts(run_) != 0) return;
    FillCombinationTexts(run_.combos, ultimate, service);
    r_.nLkName = static_cast<int32_t>(run_.combos.LkArt.size());
    ParseAllCombinations(run_);
}

int32_t BeamReader::Read() {
    r_.m_IndDBS = -1;
    ZVELEM root = ZEVUD_GetRootElement(doc_);
    if (!root) return 0;
    vovi_ = zevud::GetString(root, "progname") == "VOVI";
    ReadNormInfo(root, v_);
    ZVELEM input = Single(root, "input");
    if (!input) return 0;
    ZVELEM system = Single(input, "system");
    if (!system) return 0;
    if (ZVELEM ctrl = Single(input, "ctrl")) calcIdx_ = GetInt(ctrl, "calcIdx");
    const double pi = 4.0 * std::atan(1.0);
    wProfil_ = static_cast<float>(GetDbl(system, "wProfil") * pi / 180.0);

    // Section file beside the document, extracted by its caller.
    r_.QsDatei = winsys::SideFileName(zevud::GetCompleteFileName(doc_), ".temp.skw");
    r_.Titel = "Vorbelegung VK-TOVIK";
    section::OpenSectionDatabase(run_, 1);

    // Hinges in document order.
    r_.nGelenkTyp = 0;
    if (ZVELEM gel = ZEVUD_FindFirstChild(input, "gelenke")) {
        int32_t n = 0;
        for (ZVELEM g = ZEVUD_FindFirstChild(gel, "gelenk"); g; g = ZEVUD_FindNextChild(g, "gelenk")) ++n;
        if (TooMany(n, limits::kMaxHingeTypes, "Gelenke")) return 0;
        for (ZVELEM g = ZEVUD_FindFirstChild(gel, "gelenk"); g; g = ZEVUD_FindNextChild(g, "gelenk"))
            r_.GelenkTyp[Z(r_.nGelenkTyp++)] = {GetInt(g, "Vx"), GetInt(g, "Vy"), GetInt(g, "Vz"), GetInt(g, "Mx"),
                                                GetInt(g, "My"), GetInt(g, "Mz"), GetInt(g, "Mw")};
    }
    const bool anyHinge = r_.nGelenkTyp > 0;

    if (!ReadNodes(input)) return 0;
    r_.OhneGelenke = anyHinge ? 0 : 1;

    // Profile values and the material.
    if (ZVELEM f1 = ZEVUD_FindFirstChildWithAttr(system, "fieldNr", "1")) {
        if (ZVELEM lib = ZEVUD_FindFirstChild(f1, "Sectlib")) {
            phi_ = GetFlt(lib, "phi");
            area_ = GetDbl(lib, "A");
        }
    }
    ReadMaterialValues(run_, 0, system);
    if (calcIdx_ == 1) {
        if (ZVELEM bem = ZEVUD_FindFirstChild(root, "bemessung")) {
            profile_ = zevud::GetString(bem, "strProfile");
            if (ZVELEM lib = ZEVUD_FindFirstChild(bem, "Sectlib")) {
                phi_ = GetFlt(lib, "phi");
                area_ = GetDbl(lib, "A");
            }
        }
    }
    if (profile_.size() > static_cast<size_t>(limits::kMaxSectionName)) {
        WriteErrLine(run_, kErrLineWarning,
                     FormatC("Der Profilname '%s' ist länger als %d Zeichen und wurde gekürzt", profile_.c_str(),
                             limits::kMaxSectionName));
        profile_ = CutUtf8(profile_, static_cast<size_t>(limits::kMaxSectionName));
    }
    r_.nQs = 1;
    r_.Qs_Name[0] = profile_;
    r_.Qs_Dreh[0] = 0;
    r_.Qs_Spiegel[0] = 0;
    r_.Mat[0] = 0;
    r_.Qs_GammaM[0] = 0;
    v_.SectionPhi.assign(1, phi_);
    v_.SectionArea.assign(1, area_);

    // Elastic line supports, measured from the member start.
    r_.nBettung = 0;
    if (ZVELEM ls = Single(input, "lineSupport")) {
        int32_t n = 0;
        for (ZVELEM s = ZEVUD_FindFirstChild(ls, "support"); s; s = ZEVUD_FindNextChild(s, "support")) ++n;
        if (TooMany(n, limits::kMaxBeddings, "elastische Linienlager")) return 0;
        for (ZVELEM s = ZEVUD_FindFirstChild(ls, "support"); s; s = ZEVUD_FindNextChild(s, "support")) {
            Bedding b;
            b.node = 0;
            b.posX = GetFlt(s, "posX");
            b.length = GetFlt(s, "length");
            b.cx = GetFlt(s, "cx");
            b.cy = GetFlt(s, "cy");
            b.cz = GetFlt(s, "cz");
            b.cmx = GetFlt(s, "cmx");
            r_.Bettung[Z(r_.nBettung++)] = b;
        }
    }
    r_.nFeder = 0;
    r_.Gamma = 0;
    r_.GammaOpt = 0;

    if (!ReadLoads(Single(input, "genimpact"))) return 0;

    // Loads from the document's member axes into the reference axes of the
    // profile, which the document turns by "wProfil" while the kernel's
    // section keeps its own axes (no section rotation). That is a change of
    // coordinate system and belongs here. The principal-axis angle "phi" is
    // not applied: data preparation turns every load once into the principal
    // axes of the section at its position; turning by "phi" here as well
    // would turn the forces twice.
    for (int32_t i = 0; i < r_.EinzelF.count; ++i) {
        RotateVector(r_.EinzelF[i].Py, r_.EinzelF[i].Pz, wProfil_);
        RotateVector(r_.EinzelF[i].ey, r_.EinzelF[i].ez, wProfil_);
    }
    for (int32_t i = 0; i < r_.EinzelM.count; ++i) RotateVector(r_.EinzelM[i].My, r_.EinzelM[i].Mz, wProfil_);
    for (int32_t i = 0; i < r_.StreckenL.count; ++i) {
        LineLoad& l = r_.StreckenL[i];
        RotateVector(l.py0, l.pz0, wProfil_);
        RotateVector(l.py1, l.pz1, wProfil_);
        RotateVector(l.ey0, l.ez0, wProfil_);
        RotateVector(l.ey1, l.ez1, wProfil_);
    }

    // Imperfections.
    ZVELEM imp = ZEVUD_FindFirstChild(input, "imperfection");
    r_.vorvType = (freeEnd_ && translational_ <= 1) ? 0 : 2;
    r_.psiDirekt = 1;
    r_.psiY = r_.psiZ = 0;
    r_.psiGlobal = imp ? GetFlt(imp, "phi0_0") : 0.0f;
    r_.ausmitteDirekt = 0;
    r_.ausmitte = imp ? static_cast<float>(GetDbl(imp, "w0_0") * 100.0) : 0.0f;
    r_.ausmitteKnoten = 1;
    r_.ausmitteGlobal = 0;
    r_.w0Direkt = 0;
    r_.v0 = r_.w0 = r_.wGlobal = 0;

    // Closing defaults, as the member-design reader sets them.
    SetClosingDefaults(r_);

    ReadCombinations(input);
    v_.StahlTab = r_.StahlTab;
    return 0;
}

}  // namespace

int32_t ReadStabDom(RunState& run, ZVDOC doc, int32_t /*mode*/) {
    BeamReader reader(run, doc);
    return reader.Read();
}

}  // namespace tovik
