#include "kernel/MemberDesignReader.h"

#include <atomic>
#include <cmath>

#include "kernel/CombinationRules.h"
#include "kernel/KernelErrors.h"
#include "kernel/section/SectionCache.h"
#include "kernel/MaterialValues.h"
#include "platform/common/norm_codes.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace tovik {

namespace {

std::atomic<bool> g_overflowWarning{true};

using winsys::FormatC;

// Largest length or load value (in the document's units) taken as one of a
// real girder.
constexpr double kLargestInputValue = 1e6;

int32_t GetInt(ZVELEM e, const char* a) { return ZEVUD_GetInt(e, a); }
double GetDbl(ZVELEM e, const char* a) { return ZEVUD_GetDouble(e, a); }
float GetFlt(ZVELEM e, const char* a) { return static_cast<float>(ZEVUD_GetDouble(e, a)); }

// Element "<prefix><i>" below parent.
ZVELEM Numbered(ZVELEM parent, const char* prefix, int32_t i) {
    return ZEVUD_FindFirstChild(parent, FormatC("%s%d", prefix, i).c_str());
}

class Reader {
public:
    Reader(RunState& run, ZVDOC doc) : run_(run), r_(run.cdltr), v_(run.reader), doc_(doc) {}
    int32_t Read();

private:
    int32_t Fail(int32_t code, const std::string& text) {
        run_.Stop(code, text);
        return code;
    }
    int32_t ReadSystem(ZVELEM system, ZVELEM calcSettings, ZVELEM craneSettings);
    int32_t ReadSection(ZVELEM section, const char* nameAttr, const char* libChild, int32_t field);
    int32_t ReadHinges(ZVELEM gelenke);
    int32_t ReadSprings(ZVELEM springs);
    int32_t ReadLoads(ZVELEM loads);
    int32_t ReadLoad(ZVELEM load, int32_t j, int32_t lc);
    int32_t ReadCombinations(ZVELEM lastUeberlagerung);
    template <class T>
    int32_t Add(LoadList<T>& list, const T& entry, const char* listName);

    RunState& run_;
    ModelRecord& r_;
    ReaderValues& v_;
    ZVDOC doc_;
};

template <class T>
int32_t Reader::Add(LoadList<T>& list, const T& entry, const char* listName) {
    // count never exceeds kMaxLoadsPerList, so the slot at count exists.
    list.items[static_cast<size_t>(list.count)] = entry;
    if (CountListEntry(list.count, limits::kLoadListCapacity, listName))
        return Fail(codes::kModelTooLarge,
                    FormatC("Zu viele %s: höchstens %d sind möglich", listName, limits::kMaxLoadsPerList));
    return 0;
}

int32_t Reader::Read() {
    if (run_.progress)
        run_.progress->SetText(lingo::Translate("VKT Eingabe", "velor_i_rigel", "Calc", "Initialisierung..."));
    r_.m_IndDBS = -1;
    ZVELEM root = ZEVUD_GetRootElement(doc_);
    if (!root) return Fail(codes::kNoDocument, "Das Dokument kann nicht gelesen werden (kein Wurzelelement)");

    v_.bVadu = (zevud::GetString(root, "progname") == "VADU") ? 1 : 0;
    ReadNormInfo(root, v_);

    ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    if (!input) return Fail(codes::kNoInput, "Das Dokument enthält keinen Eingabeteil 'input'");
    if (ZEVUD_FindNextChild(input, "input"))
        return Fail(codes::kNoInput, "Das Dokument enthält mehr als einen Eingabeteil 'input'");

    static const char* const kParts[] = {"system", "springs", "gelenke", "loads",
                                         "vorvSettings", "calcSettings", "lastUeberlagerung"};
    ZVELEM part[7] = {};
    for (int i = 0; i < 7; ++i) {
        part[i] = ZEVUD_FindFirstChild(input, kParts[i]);
        if (!part[i])
            return Fail(codes::kMissingInputPart,
                        FormatC("Im Eingabeteil fehlt das Element 'input\\%s'", kParts[i]));
    }
    ZVELEM system = part[0], springs = part[1], gelenke = part[2], loads = part[3], vorv = part[4],
           calcSettings = part[5], lastUeb = part[6];
    ZVELEM craneSettings = ZEVUD_FindFirstChild(input, "craneSettings");

    if (int32_t rc = ReadSystem(system, calcSettings, craneSettings)) return rc;
    if (int32_t rc = ReadHinges(gelenke)) return rc;
    if (int32_t rc = ReadSprings(springs)) return rc;
    if (int32_t rc = ReadLoads(loads)) return rc;

    r_.nRegelLk = r_.nKnickLk = r_.nLf;
    // The loads stay in the document's axes (the section's reference axes).
    // Data preparation turns every load once into the principal axes of the
    // section at the load's own position; turning them here by the first
    // section's angle as well would turn them twice.

    if (v_.bVadu) {
        if (ZVELEM rail = ZEVUD_FindFirstChild(input, "rail")) {
            if (ZVELEM cv = ZEVUD_FindFirstChild(rail, "calcVals")) {
                v_.Schiene_A = GetDbl(cv, "A");
                v_.Schiene_Iy = GetDbl(cv, "Iy");
                v_.Schiene_Iz = GetDbl(cv, "Iz");
                v_.Schiene_It = GetDbl(cv, "It");
                v_.Schiene_e1 = GetDbl(cv, "e1");
                v_.Schiene_Typ = GetInt(cv, "iTyp");
                v_.Schiene_Rechnen = GetInt(cv, "bCalculation");
            }
        }
    }
    // Imperfection settings. Which fields feed which kind (the report's
    // texts say it): kind 0, sway: psiDirekt switches between one sway angle
    // psiGlobal for the direction of the resultant deformation and the two
    // angles psiY, psiZ; kind 1, bow: w0Direkt, wGlobal, v0, w0; kind 2,
    // affine to the buckling mode: ausmitteDirekt (a reference node is
    // given), ausmitteKnoten, ausmitteGlobal, ausmitte.
    // Units: the module writes all three sway values in per cent and the
    // bow and eccentricity amplitudes in cm. The record keeps psiY and psiZ
    // in per cent and psiGlobal as an angle in radians (as the beam
    // document's "phi0_0" and the report's "psiGlobal x 100" take it), so
    // the module's per cent value is divided by 100 here.
    r_.vorvType = GetInt(vorv, "vorvType");
    r_.psiDirekt = GetInt(vorv, "psiDirekt");
    r_.psiY = GetFlt(vorv, "psiY");
    r_.psiZ = GetFlt(vorv, "psiZ");
    r_.psiGlobal = static_cast<float>(GetDbl(vorv, "psiGlobal") * 0.01);
    r_.ausmitteDirekt = GetInt(vorv, "ausmitteDirekt");
    r_.ausmitte = GetFlt(vorv, "ausmitte");
    r_.ausmitteKnoten = GetInt(vorv, "ausmitteKnoten");
    r_.ausmitteGlobal = GetFlt(vorv, "ausmitteGlobal");
    r_.w0Direkt = GetInt(vorv, "w0Direkt");
    r_.v0 = GetFlt(vorv, "v0");
    r_.w0 = GetFlt(vorv, "w0");
    r_.wGlobal = GetFlt(vorv, "wGlobal");

    SetClosingDefaults(r_);
    if (int32_t rc = ReadCombinations(lastUeb)) return rc;

    v_.StahlTab = r_.StahlTab;
    if (run_.progress) {
        int32_t sum = 0;
        for (int32_t f = 0; f < r_.nFeld; ++f) sum += r_.nTeilung[static_cast<size_t>(f)];
        run_.progress->SetRange(0, sum + r_.nLkName + 14);
        run_.progress->SetStep(1);
        run_.progress->StepIt();
    }
    return 0;
}

int32_t Reader::ReadSystem(ZVELEM system, ZVELEM calcSettings, ZVELEM craneSettings) {
    r_.Titel = "Vorbelegung VK-TOVIK";
    const std::string path = zevud::GetCompleteFileName(doc_);
    // Named by the same helper as the module's extraction: the final ".vkx"
    // (any case) replaced, the folders keep their case.
    r_.QsDatei = winsys::SideFileName(path, ".temp.skw");
    section::OpenSectionDatabase(run_, 1);

    const int32_t n = GetInt(system, "numOfFields");
    if (n < 2 || n > limits::kMaxInputNodes)
        return Fail(codes::kModelTooLarge, FormatC("Anzahl der Felder %d außerhalb 1..%d", n - 1, limits::kMaxFields));
    r_.nLagerTyp = n + 1;
    r_.Kn_Lager[0] = 1;
    r_.nFeld = n - 1;

    for (ZVELEM poi = ZEVUD_FindFirstChild(system, "POI"); poi; poi = ZEVUD_FindNextChild(poi, "POI")) {
        UserPoint up;
        if (GetInt(poi, "bActiv") != 0) {
            up.idx = GetDbl(poi, "idx");
            up.tqe = GetInt(poi, "tqe");
        } else {
            up.idx = 0.0;
            up.tqe = -1;
        }
        up.name = zevud::GetString(poi, "name");
        const std::string key = FormatC("<%d><%.2f>", up.tqe, up.idx);
        v_.UserPointIndex[key].push_back(static_cast<int32_t>(v_.UserPoints.size()));
        v_.UserPoints.push_back(std::move(up));
    }

    v_.bVaduTyp = (craneSettings && GetInt(craneSettings, "craneTyp") != 0) ? 1 : 0;
    r_.SysFlag = 0;
    r_.OhneGelenke = 1;
    r_.profOrientation = GetInt(calcSettings, "profOrientation");

    int64_t elements = 0;
    for (int32_t i = 0; i < n; ++i) {
        ZVELEM field = Numbered(system, "field_", i);
        if (!field) return Fail(codes::kMissingInputPart, FormatC("Im System fehlt das Element 'field_%d'", i));
        if (ZVELEM sup = ZEVUD_FindFirstChild(field, "support")) {
            SupportType& t = r_.LagerTyp[static_cast<size_t>(i)];
            t.cx = GetFlt(sup, "cx");
            t.cy = GetFlt(sup, "cy");
            t.cz = GetFlt(sup, "cz");
            t.cmx = GetFlt(sup, "cmx");
            t.cmy = GetFlt(sup, "cmy");
            t.cmz = GetFlt(sup, "cmz");
            t.cwoelb = GetFlt(sup, "cwoelb");
        }
        if (i == 0) continue;
        const int32_t f = i - 1;
        ZVELEM section = ZEVUD_FindFirstChild(field, "section");
        if (!section) return Fail(codes::kMissingInputPart, FormatC("Feld %d: der Querschnitt fehlt", i));
        if (int32_t rc = ReadSection(section, "profName", "sectlib", i)) return rc;
        const bool tapered = GetInt(section, "bVoute") != 0;
        if (tapered) {
            if (int32_t rc = ReadSection(section, "profName2", "sectlib2", i)) return rc;
        }
        const double length = GetDbl(field, "length");
        if (!(length > 0.0) || !std::isfinite(length))
            return Fail(codes::kBadValue, FormatC("Feld %d: die Feldlänge %g ist nicht positiv", i, length));
        if (length > kLargestInputValue)
            return Fail(codes::kBadValue, FormatC("Feld %d: die Feldlänge %g liegt außerhalb des sinnvollen Bereichs "
                                                  "(höchstens %g)",
                                                  i, length, kLargestInputValue));
        r_.Feld_L[static_cast<size_t>(f)] = static_cast<float>(length);
        r_.Kn_Lager[static_cast<size_t>(i)] = i + 1;
        const int32_t teil = GetInt(section, "nTeilung");
        if (teil < 0 || teil > limits::kMaxFeElements)
            return Fail(codes::kBadValue, FormatC("Feld %d: Teilung %d außerhalb 0..%d", i, teil, limits::kMaxFeElements));
        r_.nTeilung[static_cast<size_t>(f)] = (teil & ~1) + 2;
        elements += r_.nTeilung[static_cast<size_t>(f)];
        r_.Feld_QsE[static_cast<size_t>(f)] = r_.nQs;
        r_.Feld_QsA[static_cast<size_t>(f)] = tapered ? r_.nQs - 1 : r_.nQs;
        r_.Feld_GelA[static_cast<size_t>(f)] = 0;
        r_.Feld_GelE[static_cast<size_t>(f)] = 0;
    }
    if (elements + 1 > limits::kMaxFeNodes)
        return Fail(codes::kModelTooLarge, FormatC("Die Feldteilungen ergeben %lld Knoten; höchstens %d sind möglich",
                                                   static_cast<long long>(elements + 1), limits::kMaxFeNodes));
    return 0;
}

// Section number nQs + 1 from the "section" element of field element i.
int32_t Reader::ReadSection(ZVELEM section, const char* nameAttr, const char* libChild, int32_t field) {
    const int32_t s = r_.nQs;
    if (s >= limits::kMaxSections)
        return Fail(codes::kModelTooLarge,
                    FormatC("Feld %d: mehr als %d Querschnitte (ein Voutenfeld braucht zwei)", field, limits::kMaxSections));
    // The section database knows the profile by the key the module wrote
    // into the profile reference ("sectlib": a catalogue name, or "PS<field>A"
    // of a user-defined section), whatever the name shown to the user.
    ZVELEM lib = ZEVUD_FindFirstChild(section, libChild);
    std::string name = lib ? zevud::GetString(lib, "profName") : std::string();
    if (name.empty()) name = zevud::GetString(section, nameAttr);
    if (name.empty()) return Fail(codes::kBadValue, FormatC("Feld %d: kein Profilname angegeben", field));
    if (name.size() > static_cast<size_t>(limits::kMaxSectionName))
        return Fail(codes::kBadValue, FormatC("Feld %d: der Profilname \"%s\" ist länger als %d Zeichen", field,
                                              name.c_str(), limits::kMaxSectionName));
    const int32_t my = GetInt(section, "bMirrorY");
    const int32_t mz = GetInt(section, "bMirrorZ");
    const size_t k = static_cast<size_t>(s);
    r_.Qs_Dreh[k] = GetFlt(section, "rotAngle");
    r_.Mat[k] = 0;
    r_.Qs_GammaM[k] = 0;
    // Mirroring about both axes is not a mirror code of the record; adding
    // the flags gives 2 (about z), as the consumers know only 0, 1 and 2.
    r_.Qs_Spiegel[k] = (my == 0 && mz == 0) ? 0 : (mz == 0 ? 1 : 2);
    r_.Qs_Name[k] = name;
    ReadMaterialValues(run_, s, section);
    if (v_.SectionPhi.size() <= k) {
        v_.SectionPhi.resize(k + 1, 0.0);
        v_.SectionArea.resize(k + 1, 0.0);
    }
    v_.SectionPhi[k] = GetDbl(lib, "phi");
    v_.SectionArea[k] = GetDbl(lib, "A");
    r_.nQs = s + 1;
    return 0;
}

int32_t Reader::ReadHinges(ZVELEM gelenke) {
    r_.nGelenkTyp = 0;
    const int32_t m = GetInt(gelenke, "numOfGelenke");
    if (m < 0 || m > limits::kMaxHingeTypes)
        return Fail(codes::kModelTooLarge, FormatC("Anzahl der Gelenke %d außerhalb 0..%d", m, limits::kMaxHingeTypes));
    for (int32_t j = 0; j < m; ++j) {
        ZVELEM g = Numbered(gelenke, "gelenk_", j);
        if (!g) continue;
        const int32_t k = GetInt(g, "node");
        if (k < 0 || k > r_.nFeld)
            return Fail(codes::kBadValue, FormatC("Gelenk %d: Knoten %d außerhalb 0..%d", j + 1, k, r_.nFeld));
        HingeType& h = r_.GelenkTyp[static_cast<size_t>(r_.nGelenkTyp)];
        h.Vx = GetInt(g, "Vx");
        h.Vy = GetInt(g, "Vy");
        h.Vz = GetInt(g, "Vz");
        h.Mx = GetInt(g, "Mx");
        h.My = GetInt(g, "My");
        h.Mz = GetInt(g, "Mz");
        h.Mw = GetInt(g, "Mw");
        const int32_t number = ++r_.nGelenkTyp;
        // Only the field end at the hinge's node is released.
        if (k == 0)
            r_.Feld_GelA[0] = number;
        else
            r_.Feld_GelE[static_cast<size_t>(k - 1)] = number;
        r_.OhneGelenke = 0;
    }
    return 0;
}

int32_t Reader::ReadSprings(ZVELEM springs) {
    r_.nBettung = 0;
    r_.nFeder = 0;
    const int32_t count = GetInt(springs, "numOfSprings");
    if (count < 0 || count > limits::kMaxBeddings + limits::kMaxSprings)
        return Fail(codes::kModelTooLarge, FormatC("Anzahl der Federn %d außerhalb 0..%d", count,
                                                   limits::kMaxBeddings + limits::kMaxSprings));
    for (int32_t j = 0; j < count; ++j) {
        ZVELEM e = Numbered(springs, "spring_", j);
        if (!e) return Fail(codes::kMissingInputPart, FormatC("Es fehlt das Element 'spring_%d'", j));
        const int32_t node = GetInt(e, "node");
        if (node < 0 || node > r_.nFeld)
            return Fail(codes::kBadValue, FormatC("Feder %d: Knoten %d außerhalb 0..%d", j + 1, node, r_.nFeld));
        if (GetDbl(e, "length") > 0.0001) {
            if (r_.nBettung >= limits::kMaxBeddings)
                return Fail(codes::kModelTooLarge, FormatC("Zu viele Bettungen: höchstens %d sind möglich", limits::kMaxBeddings));
            Bedding& b = r_.Bettung[static_cast<size_t>(r_.nBettung++)];
            b.node = node;
            b.posX = GetFlt(e, "posX");
            b.length = GetFlt(e, "length");
            b.cx = GetFlt(e, "cx");
            b.cy = GetFlt(e, "cy");
            b.cz = GetFlt(e, "cz");
            b.cmx = GetFlt(e, "cmx");
            b.ez = b.ez2 = GetFlt(e, "ez");
            b.ey = b.ey2 = GetFlt(e, "ey");
        } else {
            if (r_.nFeder >= limits::kMaxSprings)
                return Fail(codes::kModelTooLarge, FormatC("Zu viele Einzelfedern: höchstens %d sind möglich", limits::kMaxSprings));
            Spring& s = r_.Feder[static_cast<size_t>(r_.nFeder++)];
            s.node = node;
            s.posX = GetFlt(e, "posX");
            s.cy = GetFlt(e, "cy");
            s.cz = GetFlt(e, "cz");
            s.ey = GetFlt(e, "ey");
            s.ez = GetFlt(e, "ez");
        }
    }
    return 0;
}

int32_t Reader::ReadLoads(ZVELEM loads) {
    r_.Gamma = 0;
    r_.GammaOpt = 0;
    r_.EinzelF.count = r_.EinzelM.count = r_.Zwang.count = r_.StreckenL.count = r_.TempL.count = 0;
    r_.nLf = 0;
    const int32_t count = GetInt(loads, "numOfLoads");
    if (count < 0) return Fail(codes::kBadValue, FormatC("Anzahl der Lasten %d ist negativ", count));
    for (int32_t j = 0; j < count; ++j) {
        ZVELEM e = Numbered(loads, "load_", j);
        if (!e) return Fail(codes::kMissingInputPart, FormatC("Es fehlt das Element 'load_%d'", j));
        const std::string lcText = zevud::GetString(e, "LCGen");
        const std::vector<int32_t> cases = ParseLoadCaseList(lcText);
        if (cases.empty())
            return Fail(codes::kBadValue, FormatC("Last %d: ungültige Lastfallangabe \"%s\"", j + 1, lcText.c_str()));
        for (int32_t lc : cases) {
            if (lc < 1 || lc > limits::kMaxLoadCases)
                return Fail(codes::kBadValue,
                            FormatC("Last %d: Lastfall %d außerhalb 1..%d", j + 1, lc, limits::kMaxLoadCases));
        }
        for (int32_t lc : cases) {
            if (int32_t rc = ReadLoad(e, j, lc)) return rc;
            if (lc > r_.nLf) r_.nLf = lc;
        }
    }
    return 0;
}

// One load element filed under load case lc.
int32_t Reader::ReadLoad(ZVELEM e, int32_t j, int32_t lc) {
    const int32_t ltype = GetInt(e, "ltype");
    const int32_t docNode = GetInt(e, "node");
    const int32_t d = GetInt(e, "direction");
    const bool usesPosition = ltype == 0 || ltype == 1 || ltype == 4 || ltype == 5 || ltype == 6 || ltype == 7 || ltype == 10;
    const bool usesDirection = ltype == 0 || ltype == 1 || ltype == 4 || ltype == 5 || ltype == 10;
    if (usesPosition && (docNode < 0 || docNode > r_.nFeld))
        return Fail(codes::kBadValue, FormatC("Last %d: Knoten %d außerhalb 0..%d", j + 1, docNode, r_.nFeld));
    if (usesDirection && (d < 0 || d > 2))
        return Fail(codes::kBadValue, FormatC("Last %d: Richtung %d außerhalb 0..2", j + 1, d));
    const int32_t node = docNode + 1;
    // Values beyond any real girder never reach the arithmetic (a float
    // would overflow, an integer conversion of a drawing coordinate too).
    for (const char* a : {"offset", "length", "ey", "ez", "val0", "val1", "val2", "val3"}) {
        const double v = GetDbl(e, a);
        if (!std::isfinite(v) || std::fabs(v) > kLargestInputValue)
            return Fail(codes::kBadValue, FormatC("Last %d: der Wert %s = %g liegt außerhalb des sinnvollen Bereichs "
                                                  "(Betrag höchstens %g)",
                                                  j + 1, a, v, kLargestInputValue));
    }
    const float offset = GetFlt(e, "offset");
    const float length = GetFlt(e, "length");
    const float ey = GetFlt(e, "ey");
    const float ez = GetFlt(e, "ez");
    const float val0 = GetFlt(e, "val0");
    const float val1 = GetFlt(e, "val1");
    const float val2 = GetFlt(e, "val2");
    const float val3 = GetFlt(e, "val3");

    switch (ltype) {
    case 0:
    case 1:
        return Add(r_.StreckenL,
                   DirectedLineLoad(lc, node, offset, length, ey, ez, d, val0, (ltype == 0) ? val0 : val1),
                   "Linienlasten");
    case 4: {
        TemperatureLoad t;
        t.LCGen = lc;
        t.node = node;
        t.offset = offset;
        t.length = length;
        const float delta = val1 - val0;
        if (d == 0) t.dT0 = delta;
        if (d == 1) t.dT1 = delta;
        if (d == 2) t.dT2 = -delta;
        return Add(r_.TempL, t, "Temperaturlasten");
    }
    case 5: {
        ImposedDisplacement z;
        z.LCGen = lc;
        z.node = node;
        if (d == 1) z.dv = val0;
        if (d == 2) z.dw = val0;
        return Add(r_.Zwang, z, "Stützensenkungen");
    }
    case 6:
    case 7: {
        TemperatureLoad t;
        t.LCGen = lc;
        t.node = node;
        t.offset = offset;
        t.length = length;
        t.TempA = val0;
        t.TempB = (ltype == 7) ? val1 : val0;
        return Add(r_.TempL, t, "Linienmomente");
    }
    case 10: {
        if (val0 != 0.0f) {
            if (int32_t rc = Add(r_.EinzelF, DirectedPointForce(lc, node, offset, ey, ez, d, val0), "Einzellasten"))
                return rc;
        }
        if (val1 != 0.0f) {
            if (int32_t rc = Add(r_.EinzelM, DirectedPointMoment(lc, node, offset, d, val1), "Einzelmomente"))
                return rc;
        }
        return 0;
    }
    case 11: {
        float fx = val1, fy = val2, fz = val3;
        if (std::fabs(fx) < 0.0001f && std::fabs(fy) < 0.0001f && std::fabs(fz) < 0.0001f) fz = 1.0f;
        for (int32_t f = 0; f < r_.nFeld; ++f) {
            const int32_t ia = r_.SectionIndex(r_.Feld_QsA[static_cast<size_t>(f)]);
            const int32_t ie = r_.SectionIndex(r_.Feld_QsE[static_cast<size_t>(f)]);
            if (ia < 0 || ie < 0)
                return Fail(codes::kBadValue, FormatC("Eigengewicht: Feld %d hat keinen Querschnitt", f + 1));
            MaterialRecord mat;
            double gm1 = 0, gma1 = 0, minStress = 0;
            // The material of a field is that of its start section.
            if (!LookupMaterialValues(run_, ia, mat, gm1, gma1, minStress))
                return Fail(codes::kBadValue,
                            FormatC("Eigengewicht: für den Querschnitt von Feld %d ist keine Wichte bekannt", f + 1));
            const double areaA = v_.SectionArea[static_cast<size_t>(ia)];
            const double areaE = v_.SectionArea[static_cast<size_t>(ie)];
            if (!(areaA > 0.0) || !(areaE > 0.0))
                return Fail(codes::kBadValue,
                            FormatC("Eigengewicht: für den Querschnitt von Feld %d ist keine Fläche bekannt", f + 1));
            const double qA = mat.gamma * areaA * 0.0001;
            const double qE = mat.gamma * areaE * 0.0001;
            LineLoad l;
            l.LCGen = lc;
            l.node = f + 1;
            l.offset = 0;
            l.length = r_.Feld_L[static_cast<size_t>(f)];
            l.px0 = static_cast<float>(qA * fx);
            l.py0 = static_cast<float>(qA * fy);
            l.pz0 = static_cast<float>(qA * fz);
            l.px1 = static_cast<float>(qE * fx);
            l.py1 = static_cast<float>(qE * fy);
            l.pz1 = static_cast<float>(qE * fz);
            if (int32_t rc = Add(r_.StreckenL, l, "Linienlasten")) return rc;
        }
        return 0;
    }
    default:
        return 0;  // kinds 2, 3, 8, 9 and others make no entry
    }
}

int32_t Reader::ReadCombinations(ZVELEM lastUeb) {
    std::vector<CombinationText> ultimate, service;
    ZVELEM results = ZEVUD_FindFirstChild(lastUeb, "results");
    for (ZVELEM e = ZEVUD_FindFirstChild(results, "result"); e; e = ZEVUD_FindNextChild(e, "result")) {
        if (ultimate.size() + service.size() >= static_cast<size_t>(limits::kMaxCombinations))
            return Fail(codes::kModelTooLarge,
                        FormatC("Zu viele Lastkombinationen: höchstens %d sind möglich", limits::kMaxCombinations));
        CombinationText c{zevud::GetString(e, "art"), zevud::GetString(e, "regel"), zevud::GetString(e, "desc")};
        (c.art == "Ed" || c.art == "Ed,A" ? ultimate : service).push_back(std::move(c));
    }
    r_.nLkName = static_cast<int32_t>(ultimate.size() + service.size());
    if (int32_t rc = BuildActionTexts(run_)) return rc;
    FillCombinationTexts(run_.combos, ultimate, service);
    return ParseAllCombinations(run_);
}

}  // namespace

int32_t ReadMemberDesignDom(RunState& run, ZVDOC doc, int32_t /*mode*/) {
    Reader reader(run, doc);
    return reader.Read();
}

void ReadNormInfo(ZVELEM root, ReaderValues& v) {
    ZVELEM info = ZEVUD_FindFirstChild(root, "info");
    if (!info) return;
    v.NormNr = ZEVUD_GetInt(info, "norm");
    switch (v.NormNr) {
    case kNormDin18800: v.NormName = "DIN"; break;
    case kNormEc3: case kNormEc3Na: case kNormEc9: v.NormName = "EC"; break;
    case kNormSia: v.NormName = "SIA"; break;
    default: break;
    }
}

void SetClosingDefaults(ModelRecord& r) {
    r.printFlags.fill(1);
    r.DruckFak = 5.0f;
    r.DruckOpt = 2;
    r.ComputeNodePositions();
    r.StahlTab = 0;
    r.Einw_A.fill(-1);
    r.Einw_B.fill(-1);
    r.Einw_C.fill(-1);
    r.Lf_Einw.fill(0);
    r.nEinw = r.nEinwGr = 1;
    for (int32_t c = 0; c < r.nLf; ++c) r.Lf_Einw[static_cast<size_t>(c)] = 1;
    r.Einw_A[0] = r.Einw_B[0] = r.Einw_C[0] = 0;
    r.Einw_F1[0] = 1.0f;
    r.Einw_F2[0] = 1.35f;
    r.Einw_F3[0] = r.Einw_F4[0] = r.Einw_F5[0] = r.Einw_F6[0] = r.Einw_F7[0] = 0.0f;
    r.Einw_Opt = {1, 1, 1};
}

void FillCombinationTexts(CombinationTables& t, const std::vector<CombinationText>& ultimate,
                          const std::vector<CombinationText>& service) {
    t.LkArt.clear();
    t.LkRegel.clear();
    t.LkKat.clear();
    t.LkDesc.clear();
    auto put = [&](const std::vector<CombinationText>& list, const char* kind) {
        for (const CombinationText& c : list) {
            t.LkArt.push_back(kind);
            t.LkRegel.push_back(c.regel);
            t.LkKat.push_back(c.art);
            t.LkDesc.push_back(c.desc);
        }
    };
    put(ultimate, "KNSW");
    put(service, "Gebr.");
}

LineLoad DirectedLineLoad(int32_t lc, int32_t node, float offset, float length, float ey, float ez, int32_t d,
                          float start, float end) {
    LineLoad l;
    l.LCGen = lc;
    l.node = node;
    l.offset = offset;
    l.length = length;
    l.ey0 = l.ey1 = ey;
    l.ez0 = l.ez1 = ez;
    float* first[3] = {&l.px0, &l.py0, &l.pz0};
    float* last[3] = {&l.px1, &l.py1, &l.pz1};
    *first[d] = start;
    *last[d] = end;
    return l;
}

PointForce DirectedPointForce(int32_t lc, int32_t node, float offset, float ey, float ez, int32_t d, float value) {
    PointForce p;
    p.LCGen = lc;
    p.node = node;
    p.offset = offset;
    p.ey = ey;
    p.ez = ez;
    float* comp[3] = {&p.Px, &p.Py, &p.Pz};
    *comp[d] = value;
    return p;
}

PointMoment DirectedPointMoment(int32_t lc, int32_t node, float offset, int32_t d, float value) {
    PointMoment m;
    m.LCGen = lc;
    m.node = node;
    m.offset = offset;
    float* comp[3] = {&m.Mx, &m.Mz, &m.My};  // x: Mx, y: Mz, z: My
    *comp[d] = value;
    return m;
}

void RotateVector(float& a, float& b, float angle) {
    // The same turn as (r, atan2(b, a) + angle) in polar form, written so
    // that a zero angle leaves the pair exactly as it is.
    const double c = std::cos(static_cast<double>(angle));
    const double s = std::sin(static_cast<double>(angle));
    const double x = a, y = b;
    a = static_cast<float>(x * c - y * s);
    b = static_cast<float>(x * s + y * c);
}

int32_t SubdivisionCount(double length) {
    if (length < 2.0) return 6;
    if (length >= 5.0) return 12;
    return (static_cast<int32_t>(2.0 * length + 0.5) & ~1) + 2;
}

bool CountListEntry(int32_t& count, int32_t limit, const std::string& listName) {
    ++count;
    if (count < limit) return false;
    if (g_overflowWarning.load()) {
        const int answer = winsys::MessageBox(
            FormatC("Überlauf #%s > %d\nWeitere Meldungen ignorieren?", listName.c_str(), limit), "",
            winsys::Buttons::YesNo, winsys::Icon::Question);
        if (answer == winsys::IdYes) g_overflowWarning.store(false);
    }
    --count;
    return true;
}

void SetOverflowWarning(bool on) { g_overflowWarning.store(on); }
bool OverflowWarning() { return g_overflowWarning.load(); }

std::vector<int32_t> ParseLoadCaseList(const std::string& text) {
    std::vector<int32_t> out;
    size_t i = 0;
    bool any = false;
    while (i <= text.size()) {
        size_t j = text.find(',', i);
        if (j == std::string::npos) j = text.size();
        std::string part = text.substr(i, j - i);
        const size_t b = part.find_first_not_of(" \t");
        const size_t e = part.find_last_not_of(" \t");
        part = (b == std::string::npos) ? std::string() : part.substr(b, e - b + 1);
        if (part.empty() || part.size() > 9 || part.find_first_not_of("0123456789") != std::string::npos)
            return {};
        const int32_t n = static_cast<int32_t>(std::stol(part));
        bool seen = false;
        for (int32_t x : out) seen = seen || x == n;
        if (!seen) out.push_back(n);
        any = true;
        i = j + 1;
    }
    if (!any) return {};
    return out;
}

}  // namespace tovik
