// The calculation kernel's model record and run state.
//
// ModelRecord (`cdltr`, addressed as `ckr` by the section routines) holds the
// whole structural model of one calculation: the readers fill its input
// groups, the phases of the run add derived data at its tail. It is plain
// data: fixed tables with a count in front, no pointers, no ownership.
//
// RunState is made by every export call (RIREZ_Aver, DADAD_Urev,
// REZIR_IdadOzov) and destroyed at its end. It holds the model record, the two
// work arrays, the side files, the run-wide values of the readers, the
// combination tables, the material store, per-run caches and counters.
// Nothing carries over from one call to the next.
//
// Numbering rules (read these before indexing any table):
//  - Indices into the record are 0-based.
//  - Numbers that point into another table (support type, hinge type,
//    section, load case) are 1-based, 0 meaning "none" where a table says so.
//    Number k names index k-1. In particular the sections are stored 0-based:
//    section number k (as held in Feld_QsA / Feld_QsE) names Qs_Name[k-1],
//    Mat[k-1], Qs_Spiegel[k-1], Qs_GammaM[k-1], Qs_Dreh[k-1]. Use
//    SectionIndex(k) to convert; it answers -1 for a number out of range.
//  - Ultimate load combinations are numbered first; serviceability ones follow
//    as nKnickLk + index + 1 (in progress texts only).
//
// Units as the input is stored: lengths along the member in m, eccentricities
// in cm, forces in kN, moments in kNm, bedding moduli in kN/m² (kNm/m for
// torsion), spring stiffnesses in kN/m (kNm per unit rotation for rotations,
// kNm² for warping), self-weight density in kN/m³, rotations of imposed
// displacements in ‰. Input values are single precision (float), derived
// geometry double precision.
//
// Limits: every table has a fixed capacity (the named constants below). The
// readers check every count, number and text against them and refuse a model
// that does not fit with an error line; no phase may write past them.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tovik {

// ---------------------------------------------------------------------------
// Limits of the record, used for validation by the readers and the phases.
// ---------------------------------------------------------------------------
namespace limits {
inline constexpr int32_t kMaxFields = 30;             // nFeld 1..30
inline constexpr int32_t kMaxInputNodes = 31;         // nFeld + 1
inline constexpr int32_t kNodeTableSize = 35;         // Kn_Lager capacity
inline constexpr int32_t kMaxSupportTypes = 35;       // nLagerTyp
inline constexpr int32_t kMaxHingeTypes = 35;         // nGelenkTyp
inline constexpr int32_t kMaxSections = 35;           // nQs (a tapered field uses two)
inline constexpr int32_t kMaxSectionName = 49;        // characters of Qs_Name
inline constexpr int32_t kMaxTitle = 72;              // characters of Titel
inline constexpr int32_t kMaxBeddings = 30;           // nBettung
inline constexpr int32_t kMaxSprings = 30;            // nFeder
inline constexpr int32_t kLoadListCapacity = 400;     // capacity of each load list
inline constexpr int32_t kMaxLoadsPerList = 399;      // counted entries per load list
inline constexpr int32_t kMaxLoadCases = 500;         // nLf; load-case numbers 1..500
inline constexpr int32_t kMaxActions = 2500;          // nEinw, Lf_Einw / Einw_* capacity
inline constexpr int32_t kMaxTerms = 50000;           // nRegelTerm, nKnickTerm
inline constexpr int32_t kMaxCombinations = 10000;    // nLkName
inline constexpr int32_t kPrintFlags = 20;            // printFlags
inline constexpr int32_t kActionOptions = 3;          // Einw_Opt
inline constexpr int32_t kQwerteCount = 50;           // QWERTE block
inline constexpr int32_t kMaxFeNodes = 500;           // finite-element nodes
inline constexpr int32_t kMaxFeElements = kMaxFeNodes - 1;
inline constexpr int64_t kWorkDoubles = 11000000;     // double work array
inline constexpr int64_t kWorkInts = 500000;          // int work array
inline constexpr int32_t kMaxRuleLength = 199;        // characters of a combination rule
inline constexpr int32_t kMaxRuleNumber = 31;         // characters of one number in a rule
inline constexpr int32_t kMaxRuleGroups = 500;        // bracket groups per rule
inline constexpr int32_t kMaxRuleItems = 500;         // load cases per bracket group
inline constexpr int32_t kMaxRunBaseName = 255;       // characters of RunBaseName
}  // namespace limits

// ---------------------------------------------------------------------------
// Table entries
// ---------------------------------------------------------------------------

// One support type (LagerTyp): seven stiffnesses. Below 0 = fixed ("fest"),
// 0 = free ("frei"), above 0 = a spring of that stiffness.
struct SupportType {
    float cx = 0;      // translation x, kN/m
    float cy = 0;      // translation y, kN/m
    float cz = 0;      // translation z, kN/m
    float cmx = 0;     // rotation about x, kNm per unit rotation
    float cmy = 0;     // rotation about y, kNm per unit rotation
    float cmz = 0;     // rotation about z, kNm per unit rotation
    float cwoelb = 0;  // warping, kNm²
};

// One hinge type (GelenkTyp): nonzero releases that force component.
struct HingeType {
    int32_t Vx = 0;  // normal force N
    int32_t Vy = 0;  // shear Qy
    int32_t Vz = 0;  // shear Qz
    int32_t Mx = 0;  // torsion
    int32_t My = 0;  // bending My
    int32_t Mz = 0;  // bending Mz
    int32_t Mw = 0;  // bimoment (warping)
};

// One bedding along a field (Bettung).
struct Bedding {
    int32_t node = 0;  // field start node, 0-based input node
    float posX = 0;    // distance from that node, m
    float length = 0;  // m
    float cx = 0;      // kN/m²
    float cy = 0;      // kN/m²
    float ez = 0;      // cm
    float cz = 0;      // kN/m²
    float ey = 0;      // cm
    float cmx = 0;     // kNm/m
    float ey2 = 0;     // cm, eccentricity at the bedding's end
    float ez2 = 0;     // cm, eccentricity at the bedding's end
};

// One eccentric single spring (Feder).
struct Spring {
    int32_t node = 0;  // 0-based input node the position is measured from
    float posX = 0;    // m
    float ey = 0;      // cm
    float ez = 0;      // cm
    float cy = 0;      // kN/m
    float cz = 0;      // kN/m
};

// Loads. Every entry carries LCGen (load case number, 1-based, 1..500) and
// node (1-based input node the position is measured from).
struct PointForce {  // EinzelF
    int32_t LCGen = 0;
    int32_t node = 0;
    float offset = 0;  // m
    float ey = 0;      // cm
    float ez = 0;      // cm
    float Px = 0;      // kN
    float Py = 0;      // kN
    float Pz = 0;      // kN
};

struct PointMoment {  // EinzelM
    int32_t LCGen = 0;
    int32_t node = 0;
    float offset = 0;  // m
    float Mx = 0;      // kNm
    float My = 0;      // kNm
    float Mz = 0;      // kNm
};

struct ImposedDisplacement {  // Zwang
    int32_t LCGen = 0;
    int32_t node = 0;
    float du = 0;    // cm
    float dv = 0;    // cm
    float dw = 0;    // cm
    float dphi = 0;  // ‰
    float dpsi = 0;  // ‰
    float dtet = 0;  // ‰
};

struct LineLoad {  // StreckenL
    int32_t LCGen = 0;
    int32_t node = 0;
    float offset = 0;  // m
    float length = 0;  // m
    float ey0 = 0;     // cm, at the start
    float ez0 = 0;     // cm, at the start
    float px0 = 0;     // kN/m at the start
    float px1 = 0;     // kN/m at the end
    float py0 = 0;
    float py1 = 0;
    float pz0 = 0;
    float pz1 = 0;
    float ey1 = 0;     // cm, at the end
    float ez1 = 0;     // cm, at the end
};

// Temperature loads; line moments share this table (TempA/TempB then hold
// the line moment at the start and at the end, kNm/m).
struct TemperatureLoad {  // TempL
    int32_t LCGen = 0;
    int32_t node = 0;
    float offset = 0;  // m
    float length = 0;  // m
    float TempA = 0;
    float TempB = 0;
    float dT0 = 0;     // uniform part
    float dT1 = 0;     // gradient, y direction
    float dT2 = 0;     // gradient, z direction
};

// A load list: count in front, fixed capacity. Append() refuses an entry past
// limits::kMaxLoadsPerList and answers false; the caller reports it.
template <class T>
struct LoadList {
    int32_t count = 0;
    std::array<T, limits::kLoadListCapacity> items{};
    const T& operator[](int32_t i) const { return items[static_cast<size_t>(i)]; }
    T& operator[](int32_t i) { return items[static_cast<size_t>(i)]; }
    bool Append(const T& t) {
        if (count < 0 || count >= limits::kMaxLoadsPerList) return false;
        items[static_cast<size_t>(count++)] = t;
        return true;
    }
};

// One combination term: combination number (1-based), load case index
// (load case number - 1), factor.
struct CombinationTerm {
    int32_t Ko = 0;
    int32_t Lf = 0;
    float Fak = 0;
};

// ---------------------------------------------------------------------------
// Derived finite-element model (filled by the data preparation and the load
// phase; read by the element, solver, section and result routines).
// ---------------------------------------------------------------------------
struct FeModel {
    int32_t nKnoten = 0;  // number of finite-element nodes (<= kMaxFeNodes)
    int32_t nStab = 0;    // number of finite elements (nKnoten - 1)
    std::array<double, limits::kMaxFeNodes> KnotenX{};        // node positions, m, ascending
    std::array<int32_t, limits::kMaxFeNodes> StabFeld{};      // element -> field (0-based)
    std::array<int32_t, limits::kMaxFeNodes> StabGelA{};      // hinge type number at element start (1-based, 0 rigid)
    std::array<int32_t, limits::kMaxFeNodes> StabGelE{};      // hinge type number at element end
    double TraegerL = 0;                                      // girder length, m
    std::vector<double> StuetzFelderY;  // support fields in y, m (negative = cantilever)
    std::vector<double> StuetzFelderZ;  // support fields in z, m
    // Number of records of each placed list (value records of 15 doubles and
    // integer records of 4 ints in the work arrays).
    int32_t nBettRec = 0;
    int32_t nFederRec = 0;
    int32_t nEinzelFRec = 0;
    int32_t nEinzelMRec = 0;
    int32_t nStreckenRec = 0;   // line-load pieces including self-weight pieces
    int32_t nTempRec = 0;
    int32_t nZwangRec = 0;
};

// ---------------------------------------------------------------------------
// The model record
// ---------------------------------------------------------------------------
struct ModelRecord {
    // 1. Identification and files
    std::string Titel;           // title, at most kMaxTitle characters
    std::string QsDatei;         // cross-section database file of the run (a path of any length)
    int32_t m_IndDBS = -1;       // handle of the open cross-section database; -1 = none

    // 2. System words
    int32_t nFeld = 0;           // number of fields, 1..30; nFeld+1 input nodes
    int32_t SysFlag = 0;         // 1 = one constant section for the whole member
    int32_t OhneGelenke = 0;     // nonzero: no hinge types, every field end rigid
    int32_t profOrientation = 0; // orientation of the section in the drawing (1, 2)
    int32_t StahlTab = 0;        // steel-grade table 0, 1 or 2 that Mat refers to

    // 3. Nodes: per input node 0..nFeld the support type number (1-based into
    //    LagerTyp), 0 = no support.
    std::array<int32_t, limits::kNodeTableSize> Kn_Lager{};

    // 4. Fields (index = field, 0-based)
    std::array<float, limits::kMaxFields> Feld_L{};      // length, m
    std::array<int32_t, limits::kMaxFields> nTeilung{};  // number of finite elements in the field
    std::array<int32_t, limits::kMaxFields> Feld_QsA{};  // section number at start (1-based)
    std::array<int32_t, limits::kMaxFields> Feld_QsE{};  // section number at end (1-based)
    std::array<int32_t, limits::kMaxFields> Feld_GelA{}; // hinge type number at start (1-based), 0 rigid
    std::array<int32_t, limits::kMaxFields> Feld_GelE{}; // hinge type number at end (1-based), 0 rigid

    // 5. Support types (type number t names LagerTyp[t-1])
    int32_t nLagerTyp = 0;
    std::array<SupportType, limits::kMaxSupportTypes> LagerTyp{};

    // 6. Hinge types (type number h names GelenkTyp[h-1])
    int32_t nGelenkTyp = 0;
    std::array<HingeType, limits::kMaxHingeTypes> GelenkTyp{};

    // 7. Sections, stored 0-based: section number k names index k-1.
    int32_t nQs = 0;
    std::array<std::string, limits::kMaxSections> Qs_Name{};  // name in the section database, <= 49 chars
    std::array<int32_t, limits::kMaxSections> Mat{};          // steel grade number in table StahlTab
    std::array<int32_t, limits::kMaxSections> Qs_Spiegel{};   // mirror: 0 none, 1 about y (z negated), 2 about z (y negated)
    std::array<float, limits::kMaxSections> Qs_GammaM{};      // partial factor gamma_M of the material
    std::array<float, limits::kMaxSections> Qs_Dreh{};        // rotation of the section, degrees

    // 8. Beddings
    int32_t nBettung = 0;
    std::array<Bedding, limits::kMaxBeddings> Bettung{};

    // 9. Single springs
    int32_t nFeder = 0;
    std::array<Spring, limits::kMaxSprings> Feder{};

    // 10. Self weight: density kN/m³ (0 = none; always load case 1) and its
    //     direction: 0 acts in z, 1 against the member axis x.
    float Gamma = 0;
    int32_t GammaOpt = 0;

    // 11. Loads (counts are LoadList::count: nEinzelF(), ...)
    LoadList<PointForce> EinzelF;
    LoadList<PointMoment> EinzelM;
    LoadList<ImposedDisplacement> Zwang;
    LoadList<LineLoad> StreckenL;
    LoadList<TemperatureLoad> TempL;
    int32_t nEinzelF() const { return EinzelF.count; }
    int32_t nEinzelM() const { return EinzelM.count; }
    int32_t nZwang() const { return Zwang.count; }
    int32_t nStreckenL() const { return StreckenL.count; }
    int32_t nTempL() const { return TempL.count; }

    // 12. Load cases and imperfections
    int32_t nLf = 0;        // number of load cases, <= 500
    int32_t nRegelLk = 0;   // number of serviceability combinations
    int32_t nKnickLk = 0;   // number of ultimate combinations
    int32_t vorvType = 0;   // imperfection type
    int32_t psiDirekt = 0;  // 1 = sway imperfections given directly
    float psiY = 0;         // sway imperfection about y, per cent
    float psiZ = 0;         // sway imperfection about z, per cent
    float psiGlobal = 0;    // global sway imperfection, radians (1/200 = 0.005)
    int32_t ausmitteDirekt = 0;  // 1 = eccentricity given directly
    float ausmitte = 0;          // eccentricity
    int32_t ausmitteKnoten = 0;  // reference node of the eccentricity
    float ausmitteGlobal = 0;    // global eccentricity
    int32_t w0Direkt = 0;        // 1 = bow imperfections given directly
    float v0 = 0;                // bow imperfection in y
    float w0 = 0;                // bow imperfection in z
    float wGlobal = 0;           // global bow imperfection

    // 13. Combinations as terms (index = load case for Lf_Kz/Lf_Typ).
    std::array<int32_t, limits::kMaxLoadCases> Lf_Kz{};
    std::array<int32_t, limits::kMaxLoadCases> Lf_Typ{};
    int32_t nRegelTerm = 0;
    int32_t nKnickTerm = 0;
    std::vector<CombinationTerm> RegelTerm;  // serviceability terms, size >= nRegelTerm, <= kMaxTerms
    std::vector<CombinationTerm> KnickTerm;  // ultimate terms, size >= nKnickTerm, <= kMaxTerms

    // 14. Report switches and actions
    std::array<int32_t, limits::kPrintFlags> printFlags{};
    float DruckFak = 0;
    int32_t DruckOpt = 0;
    int32_t nEinw = 0;     // number of actions (<= 2500)
    int32_t nEinwGr = 0;
    std::array<int32_t, limits::kMaxActions> Lf_Einw{};  // per load case (index) its action number; 0 = none
    std::array<int32_t, limits::kMaxActions> Einw_A{};
    std::array<int32_t, limits::kMaxActions> Einw_B{};
    std::array<int32_t, limits::kMaxActions> Einw_C{};
    std::array<int32_t, limits::kActionOptions> Einw_Opt{};
    std::array<float, limits::kMaxActions> Einw_F1{}, Einw_F2{}, Einw_F3{}, Einw_F4{}, Einw_F5{},
        Einw_F6{}, Einw_F7{};
    int32_t nLkName = 0;  // number of combinations in the text tables (RunState)

    // 15. Derived data
    std::array<double, limits::kMaxInputNodes> KnotenPos{};  // input node positions, m; [0] = 0
    double GesamtLaenge = 0;                                  // total length = KnotenPos[nFeld], m
    std::array<double, limits::kQwerteCount> QWERTE{};        // section values of the current element position
    FeModel fe;                                               // finite-element model (data preparation)

    // Section number k (1-based) -> index into the section arrays, or -1 when
    // k is not a section of this record.
    int32_t SectionIndex(int32_t k) const { return (k >= 1 && k <= nQs) ? k - 1 : -1; }
    // Input node position by boundary entry: entry 0 is the total length,
    // entry b (1..nFeld+1) the position of input node b-1.
    double BoundaryX(int32_t b) const {
        if (b <= 0) return GesamtLaenge;
        if (b > limits::kMaxInputNodes) return GesamtLaenge;
        return KnotenPos[static_cast<size_t>(b - 1)];
    }
    // Recomputes KnotenPos and GesamtLaenge from Feld_L and nFeld.
    void ComputeNodePositions();
};

// ---------------------------------------------------------------------------
// Run-wide values beside the record
// ---------------------------------------------------------------------------

// A user point of the document (crane-runway "POI").
struct UserPoint {
    double idx = 0;         // position value as the document gives it
    int32_t tqe = -1;       // location kind; -1 for an inactive point
    std::string name;
    std::vector<double> sigX;  // result series, sized by the run
    std::vector<double> tau;   // result series, sized by the run
};

// The material store: per material number (0-based section number) the
// values read from the document's material description, N/mm² and kN/m³.
struct MaterialStore {
    std::vector<double> fyk, fuk, fykt, E, G, gamma_m1, gamma_ma1, gamma, minStressSigV;
    std::vector<std::string> name;
    size_t Size() const { return fyk.size(); }
    void Clear() { *this = MaterialStore{}; }
};

// Values that the document readers set for the phases and writers.
struct ReaderValues {
    int32_t bVadu = 0;       // 1 when "progname" is "VADU"
    int32_t bVaduTyp = 0;    // 1 when craneSettings/"craneTyp" is nonzero
    int32_t NormNr = 0;      // design code number
    std::string NormName;    // "DIN", "EC", "SIA" or empty
    double Schiene_A = 0, Schiene_Iy = 0, Schiene_Iz = 0, Schiene_It = 0, Schiene_e1 = 0;  // rail, cm-based
    int32_t Schiene_Typ = 0;
    int32_t Schiene_Rechnen = 0;
    int32_t StahlTab = 0;    // copy of cdltr.StahlTab when a reader finishes
    std::vector<UserPoint> UserPoints;
    std::map<std::string, std::vector<int32_t>> UserPointIndex;  // "<tqe><idx>" -> entry numbers
    // Principal-axis angle (radians) and area (cm²) of each section read
    // (index = section number - 1), from "Sectlib"/"sectlib" of the document.
    std::vector<double> SectionPhi;
    std::vector<double> SectionArea;
};

// Combination tables (index 0 .. nLkName-1; ultimate ones first).
struct CombinationTables {
    std::vector<std::string> LkArt;    // "KNSW" ultimate, "Gebr." serviceability
    std::vector<std::string> LkRegel;  // the rule text
    std::vector<std::string> LkKat;    // category as the document gives it ("Ed", "Ed,A" ...)
    std::vector<std::string> LkDesc;   // description text
    std::vector<std::string> EinwText; // per action (index = action - 1): "1,2,5"
    void Clear() { *this = CombinationTables{}; }
};

// ---------------------------------------------------------------------------
// Work storage limits: the model must fit into the regions of a double array
// of kWorkDoubles and an integer array of kWorkInts. The solver keeps its data
// in typed containers, so no memory is held for these arrays; only their
// sizes remain, as the run's model limits.
// ---------------------------------------------------------------------------
class RunState;

class WorkStorage {
public:
    void Open();   // the limits of a running export call
    void Close();  // no call running: no region fits
    bool IsOpen() const { return doubles_ > 0; }
    int64_t Doubles() const { return doubles_; }
    int64_t Ints() const { return ints_; }

    // True when [begin, begin+count) lies inside the array. Every phase that
    // lays out a region checks it first; RunState::RequireDoubles/RequireInts
    // also report the overflow and stop the run.
    bool FitsDoubles(int64_t begin, int64_t count) const { return Fits(begin, count, doubles_); }
    bool FitsInts(int64_t begin, int64_t count) const { return Fits(begin, count, ints_); }

private:
    static bool Fits(int64_t begin, int64_t count, int64_t size) {
        return begin >= 0 && count >= 0 && begin <= size && count <= size - begin;
    }
    int64_t doubles_ = 0;
    int64_t ints_ = 0;
};

// ---------------------------------------------------------------------------
// Progress: the status line and bar of a member-design run. The run driver
// creates one for documents whose program name is not "VADU"; every text and
// step call is skipped when none exists (RunState::progress is null).
// ---------------------------------------------------------------------------
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetRange(int32_t lower, int32_t upper) = 0;
    virtual void SetStep(int32_t step) = 0;
    virtual int32_t StepIt() = 0;  // previous position
};

// Base of per-run caches that other parts of the kernel keep in the run
// state (for example the section cache); destroyed with the run.
class RunCache {
public:
    virtual ~RunCache() = default;
};

// ---------------------------------------------------------------------------
// Run state: one object per export call.
// ---------------------------------------------------------------------------
class RunState {
public:
    RunState();
    ~RunState();
    RunState(const RunState&) = delete;
    RunState& operator=(const RunState&) = delete;

    ModelRecord cdltr;              // the model record (also `ckr`)
    ReaderValues reader;            // run-wide values set by the readers
    CombinationTables combos;       // LkArt, LkRegel, LkKat, LkDesc, EinwText
    MaterialStore materials;        // material values by material number
    WorkStorage work;               // the limits of the two work arrays

    std::string RunBaseName;        // base name of the run (<= 255 chars)
    std::string ReportBaseName;     // when set, the report goes to this path + ".rtf"; else <RunBaseName>_XXX
    std::FILE* ErrorFile = nullptr;       // "%s.err", open during the run or null
    std::FILE* DebugPrintFile = nullptr;  // "%s.dru", open or null
    int32_t ErrorCount = 0;         // lines handed to WriteErrLine since the start of the run
    std::string ErrorLines;         // the same lines as written, kept in case the error file fails
    std::string MessageText;        // scratch text of the phases
    IProgress* progress = nullptr;  // progress of the run, or null
    bool stopped = false;           // a fatal fault (overflow, refused input) ends the run
    int32_t stopCode = 0;           // code of that fault (see KernelErrors.h)

    // Checked regions of the work arrays: true when the region fits, else
    // false after reporting "Speicherüberlauf! ..." once and stopping the run.
    bool RequireDoubles(int64_t begin, int64_t count);
    bool RequireInts(int64_t begin, int64_t count);

    // Ends the run with a fault code and its error line.
    void Stop(int32_t code, const std::string& text);

    // Per-run cache of type T (T derives from RunCache, default constructible),
    // made on first use and destroyed with the run.
    template <class T>
    T& Cache() {
        static const char key = 0;
        auto it = caches_.find(&key);
        if (it == caches_.end()) it = caches_.emplace(&key, std::make_unique<T>()).first;
        return static_cast<T&>(*it->second);
    }

private:
    std::map<const void*, std::unique_ptr<RunCache>> caches_;
};

}  // namespace tovik
