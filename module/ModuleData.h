// The complete data of one position of the module: the member system
// (fields, supports, springs, sections, hinges, loads), the settings of the
// member design and of the crane runway, cranes and rail, report options and
// the results kept between calculations; with the module part of the
// position document (reader and writer) and the calculation entry.
// One class serves both programs: a crane runway is recognised by the name
// "VADU" (module name, or program name where the module name is empty).
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "formula/FormulaValue.h"
#include "formula/VariableTable.h"
#include "input/LKData.h"
#include "module/BaseData.h"
#include "module/Crane.h"
#include "module/CraneTables.h"
#include "module/Envelope.h"
#include "module/Hinge.h"
#include "input/LoadDef.h"
#include "module/SteelCheckSections.h"
#include "module/NotchCase.h"
#include "module/Rail.h"
#include "module/RecordOwner.h"
#include "module/ResultTable.h"
#include "module/Section.h"
#include "module/Settings.h"
#include "module/SnapPoints.h"
#include "module/Support.h"

class CMainDialogBase;
class CKurvo2D;
class CProgressDlg;
class CKurvo3D;
class LUDataList;
struct FER_VaduLocalSection;

// The crane-runway support reactions: per support the twelve extremes
// (maxima of Ax .. Mz, then their minima) in four groups, each with the full
// reaction of the state that gave it, its label and its crane position.
struct CCraneReactions {
    static constexpr int kSupports = 20;
    static constexpr int kValues = 20 * 12 * 4;  // per component
    static constexpr int kLabelBytes = 10;       // one load-case label
    static constexpr int kPositions = 20 * 12;

    void Clear();

    int32_t nAufl = 0;
    double xCoords[kSupports] = {};
    double table[6][kValues] = {};  // Ax, Ay, Az, Mx, My, Mz
    char labels[kValues][kLabelBytes] = {};
    int32_t pos[kPositions] = {};
    // Whether a support's extremes hold a state yet (the first state sets
    // all twelve); not stored in the document.
    bool seen[kSupports] = {};
};

// The load-combination settings of the position as the base data reads and
// writes them.
class CModuleLoadCombination : public CBaseLoadCombination {
public:
    void ReadData(ZVELEM input) override { m_lk.ReadData(input); }
    void WriteData(ZVELEM input) override { m_lk.WriteData(input); }
    void SetNorm(int32_t norm) override { m_lk.SetNorm(norm); }
    void StoreProtocolFiles() override { m_lk.StoreProtocolFiles(); }
    CLKData m_lk;
};

class CModuleData : public CBaseData, public CRecordOwner {
public:
    static constexpr int kReportOptions = 450;
    static constexpr int kWizardOptions = 300;
    static constexpr int kCraneReportOptions = 55;
    static constexpr int kAnnotations = 10;
    static constexpr int kCraneChecks = 5;
    static constexpr int kCraneGroups = 19;
    // The largest list a document may ask for; a larger count is damage.
    static constexpr int32_t kMaxListCount = 10000;

    CModuleData();
    ~CModuleData() override;
    CModuleData(const CModuleData&) = delete;
    CModuleData& operator=(const CModuleData&) = delete;

    // ---- the virtual operations of the base ---------------------------------------
    void DefineVariables() override;
    CRecalcResult Recalc(int bReport, int bRedraw) override;
    void ReadResults(ZVDOC hDoc) override;
    void ReadData(ZVDOC hDoc) override;
    void WriteData(ZVDOC hDoc) override;
    void Init() override;
    void UpdateViews(int flag) override;
    bool CheckInputMessages(std::vector<std::string>& messages, int flag) override;
    bool CheckInput(CPlauMessageList& messages, int flag) override;

    // ---- what the records ask of their owner ------------------------------------
    const CCraneSettings* GetCraneSettings() const override { return &m_craneSettings; }
    // The section file beside the document: its name with the final ".vkx"
    // (any case) replaced by ".temp.skw"; empty without a named document.
    std::string GetTempSectionFileName() const override;
    int GetMatBB() const override { return m_matBB; }

    // ---- operations ----------------------------------------------------------------
    bool IsCraneRunway() const;
    // The crane runway that also models elastic bedding, single springs and
    // hinges (variant "VADU2").
    bool IsCraneRunwayWithBedding() const;
    CLKData& LK() { return m_pLK->m_lk; }
    const CLKData& LK() const { return m_pLK->m_lk; }

    // The first load-case error of the loads, empty when all is well.
    void CheckLoadCases(std::string& out) const;
    // Fills the load-case table of the load-combination settings from the loads
    // (the user's and those taken over from other positions).
    void BuildLoadCaseActionTable();
    // The loads that the active take-overs generated, in the form the
    // calculation reads them: one load per force or moment component with its
    // direction, each in a load case of its own action, numbered above the
    // user's load cases ("lc" is the 1-based action index like the user's).
    // They are written behind the user's loads, marked by "indexLuda", and
    // never read back into the user's list.
    std::vector<CLoadDef> GetTakeOverLoads() const;
    // The span-wise arrangement of the loads on a member of several spans:
    // every load case of a variable action that the user has not kept whole
    // ("Last nicht feldweise aufteilen" not ticked) whose loads lie in more
    // than one span gets one load case per loaded span, numbered above all
    // others, holding the part of each of its loads within that span. Fills
    // the share list of the load-combination settings and the share loads,
    // which are written behind the other loads marked "feldanteil" and read
    // back into m_spanShareLoads, never into the user's list. A load case
    // with a load that cannot be cut at the supports (temperature, imposed
    // deformation, self-weight) stays whole.
    void BuildSpanShares();
    // The take-over list of the position.
    LUDataList& TakeOvers() { return *m_pLU; }
    const LUDataList& TakeOvers() const { return *m_pLU; }
    void SetNormAndMaterialClass(int norm, int combinationNorm);
    void ScaleImperfections(double factor) { m_vorvSettings.Scale(factor); }
    void GetProgramTitle(std::string& title) const;
    // The x in m of field entry i (0 for i = 0 and for i out of range).
    double GetFieldStart(int i) const;
    // Rebuilds the section file from the sections.
    void WriteSectionFile();
    // Adds to this object's section file every catalogue profile of the
    // sections that it does not hold (a profile changed after the file was
    // extracted), so that the calculation finds each section by name.
    void CompleteSectionFile();
    // Gives up this object's claim on its section file; the last user of a
    // section file deletes it.
    void RemoveTempSectionFile();
    const std::string& GetSectionFile() const { return m_strSectionFile; }

    // ---- member-design report tables (defined in reports/) ----------------------
    // Option n of "rtfOptions" is set (false outside the list).
    bool IsRtfOptionSet(int option) const;
    // Any option of lo .. hi - 1 (false when lo >= hi); the serviceability
    // options are 40 .. 209, the ultimate ones 210 .. 449.
    bool AnyOptionInRange(int lo, int hi) const;
    bool AnyServiceabilityOption() const { return AnyOptionInRange(40, 210); }
    bool AnyUltimateOption() const { return AnyOptionInRange(210, 450); }
    // The report text slot k ("annotation_%ld"), written with style -10 when
    // it is not empty.
    void WriteRtfAnnotation(int slot) const;
    void WriteRtfSupportConditions();
    void WriteRtfSectionsAndMaterials();
    void WriteRtfHinges();
    void WriteRtfBeddingsAndSprings();
    void WriteRtfImperfections();
    // The stored action protocol of the load combination (a data attribute of
    // root or of its "rtfFiles" child), appended to the report.
    void WriteRtfActions(ZVELEM root);
    void WriteRtfLoads();
    void WriteRtfCombinations(ZVELEM root);
    // "<number>: <type>[, <sub-type>]" of action index a (empty outside).
    std::string GetActionLabel(int action);
    // Result tables: one table per entry of indices (a 1-based collective or
    // action number, -1 for the envelope "Extremal"); pathFormat holds one
    // integer conversion for the entry; series columns follow the options
    // optionBase + k.
    void WriteRtfInternalForceTable(const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void WriteRtfStressTable(const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void WriteRtfDeformationTable(const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void WriteRtfPreDeformationTable(const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void WriteRtfBucklingModeTable(const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void WriteRtfSupportForceTable(const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void WriteRtfSpringForceTable(const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void WriteRtfBeddingForceTable(const char* pathFormat, int optionBase, const std::vector<int>& indices);
    // The stored result set of a path, or null.
    const CResultSet* FindResultSet(const std::string& path) const;
    // The x positions of a result table: for each series, the field
    // boundaries and per field the x of its smallest and largest value (when
    // not zero within 0.0001); sorted, positions within 0.0001 merged.
    std::vector<double> CollectOutputPoints(const std::vector<const CResultSet*>& series) const;
    // Diagrams (defined in reports/): one picture per stored series whose
    // option is set, for each entry of indices (as the tables); the series
    // option is optionBase + k, except the internal forces' utilisation
    // "Ausnutzung", which follows optionBase + 11.
    void InsertInternalForceDiagrams(CKurvo2D* graph, const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void InsertStressDiagrams(CKurvo2D* graph, const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void InsertDeformationDiagrams(CKurvo2D* graph, const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void InsertPreDeformationDiagrams(CKurvo2D* graph, const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void InsertBucklingModeDiagrams(CKurvo2D* graph, const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void InsertSupportForceDiagrams(CKurvo2D* graph, const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void InsertSpringForceDiagrams(CKurvo2D* graph, const char* pathFormat, int optionBase, const std::vector<int>& indices);
    void InsertBeddingForceDiagrams(CKurvo2D* graph, const char* pathFormat, int optionBase, const std::vector<int>& indices);
    // One stored result set drawn as a diagram into graph and inserted into
    // the open report (shared by both reports). The set is found by its path
    // (parts separated by a backslash); nothing happens when it is not
    // stored or graph is null. Labels go to the set's output points (field
    // boundaries and extremes, as in the tables); the values are scaled so
    // that the diagram's height is a sixth of the member length. Unless
    // noTitle is set, the set's title goes before the picture as a heading of
    // style -5 - level. a..d are handed to the picture call. The picture is
    // saved to a temporary metafile of its own, which is removed after it is
    // embedded; the stored set is left unchanged.
    void InsertGraphPicture(CKurvo2D* graph, const std::string& path, int a, int b, int c, int d, int noTitle,
                            int level);
    // The display factor of a set: (length / 6) / (max - min); for a
    // constant set (length / 6) / max(|value|, 1e-12); 1 for an all-zero set.
    static double DiagramFactor(const CResultSet& set, double memberLength);
    // The member length: the sum of all field lengths.
    double GetMemberLength() const;
    // The system pictures of the input chapter: the plan ("Ansicht
    // XY-Ebene") only when something acts or is held differently sideways
    // (NeedsPlanView), then the elevation ("Ansicht XZ-Ebene").
    void WriteRtfSystemPictures(CKurvo2D* graph, int a, int b, int c, int d);
    // Whether a report's system pictures need the plan: a support held
    // differently sideways than vertically (translation or rotation), a
    // spring or bedding with a lateral constant, or (withLoads) a load
    // acting sideways.
    bool NeedsPlanView(bool withLoads = true) const;
    // One system picture of a report on a cleared graph, fitted: the plan
    // (axes "X", "Y") or the elevation (axes "X", "Z") with the member band
    // in grey, in the elevation the section labels and field dimensions
    // below the member, then hinges, springs and beddings, supports and the
    // loads (the cranes at their current position on a crane runway).
    void DrawReportSystemView(CKurvo2D& graph, bool plan);
    // "Querschnittswerte": the section-value block of each distinct profile
    // of the field sections (start and, for a haunch, end), in order of
    // first use.
    void WriteRtfSectionValues();

    // ---- crane-runway report, input protocol (defined in reports/) ---------------
    // Chapters "Auflagerbedingungen", "Momenten- und Querkraftgelenke" (only
    // with hinges), "Querschnittsverlauf" / "Querschnittswerte" / "Materialwerte"
    // and "Kräne".
    void WriteSupports();
    void WriteHinges();
    void WriteSections();
    void WriteCranes();
    // The start of "Lastprotokoll": heading, report text slot 5 and the
    // self-weight table.
    void WriteLoadProtocolSelfWeight();
    // Crane k's heading with its dynamic factors and its basic loads (the
    // load-group and wheel-load tables follow through
    // WriteCraneLoadGroupTables, reports/CraneReport.h).
    void WriteLoadProtocolCrane(int k);
    // Chapter "Lastprotokoll": self weights, per crane its dynamic factors,
    // basic loads, load groups and wheel loads, then the crane positions.
    void WriteLoadProtocol();
    // Chapter "Lastüberlagerung und Exzentrizitäten": the actions of every
    // enabled check with their factors and eccentricities; prepares the load
    // cases of each such check again (its actions and loads stay prepared
    // for the last one).
    void WriteLoadSuperposition();

    // ---- crane runway ------------------------------------------------------------------
    // The crane positions along the runway, made by the registered crane
    // road (module/CraneRoad.h); the list stays as it is without one.
    // The most crane positions a runway is calculated for (each one is a
    // kernel run per check), and the most candidate positions the
    // enumeration walks through before it gives up: a runway of more
    // candidates gets no positions and m_craneTooMany says how many there
    // would be; the calculation refuses a runway of more than
    // kMaxCranePositions.
    static constexpr int kMaxCranePositions = 1000;
    static constexpr long long kMaxCraneCandidates = 200000;
    // The most fields of a member the kernel calculates.
    static constexpr int kMaxFields = 30;
    void GenerateCranePositions();
    // The crane-position variables "pos0".."pos<n-1>" at the current crane
    // position.
    void SetCurrentCranePosition();
    // Set by the fatigue check: a checked stress point had section forces but
    // no stresses, so the fatigue utilisations rest on local stresses alone
    // and the check is not proven.
    bool m_bFatigueUnproven = false;
    // Why the fatigue check is not proven (shown beside "nicht nachgewiesen").
    std::string m_fatigueUnprovenReason;

    // ---- crane report: check chapters (defined in reports/) ----------------------
    // The summary of every enabled check: mode 0 into the open report, any
    // other mode appended to the message text.
    void WriteCheckSummary(int mode);
    // The plate-buckling table of check c (summary: one plate per field;
    // message: appended to the message text).
    void WritePlateBucklingTable(int check, int summaryMode, int messageMode);
    // "Detailnachweis Ermüdung" and the rail-weld chapter.
    void WriteFatigueDetail();
    void WriteRailWeld();

    // ---- crane report: export and result tables (defined in reports/) -------------
    // The whole crane report into the open report document (no file handling):
    // input chapters, results of every enabled check, closing text slot.
    void WriteCraneReportBody(CKurvo2D* graph, CProgressDlg* progress);
    // The parts of an ultimate check 0..2 after its stresses: plate buckling,
    // lateral-torsional buckling, support, bedding and spring reactions (per
    // load group when asked for).
    void WriteUltimateCheckExtras(int check, CKurvo2D* graph);
    // The appendix of 1-based crane position n into the open report: heading,
    // system picture and every stored result set of that position.
    void WriteCraneAppendix(CKurvo2D* graph, int n);
    // Option n of the crane report's option list is set (false outside).
    bool IsCraneRtfOptionSet(int option) const;
    // Any of the options first..last is set (false when first > last).
    bool AnyCraneRtfOption(int first, int last) const;
    // "Bettungen" and "Einzelfedern", then report text slot 3.
    void WriteBeddingsAndSprings();
    // "Ermüdung und lokale Effekte": the cross-section points with their
    // notch cases.
    void WriteNotchCases();
    // Tables by x position of an envelope table: series holds one or two
    // load-case slots of the table (two: upper and lower row per x).
    void WriteCraneInternalForceTable(const CResultTable& env, const std::vector<int>& series);
    void WriteCraneBeddingReactionTable(const CResultTable& env, const std::vector<int>& series);
    void WriteCraneStressTable(const CResultTable& env, const std::vector<int>& series);
    // The stresses at cross-section point `point` (its name as a heading).
    void WriteCranePointStressTable(const CResultTable& env, int point, const std::vector<int>& series, int check);
    // One row per position, the first series only.
    void WriteCraneDeformationTable(const CResultTable& env, const std::vector<int>& series);
    void WriteCraneSupportReactionTable(const CResultTable& env, const std::vector<int>& series, int flag);
    void WriteCraneSpringReactionTable(const CResultTable& env, const std::vector<int>& series);
    // The serviceability limits of check 3, with the cantilever note.
    void WriteServiceabilityLimits();
    // The extreme support reactions of check 0..3 with their crane positions
    // (and, for the developer, the side file "Auflager.txt").
    void WriteSupportReactionsByPosition(const CResultTable& env, const std::vector<int>& series, int note,
                                         int check);
    // The side file ".supports.csv": the extreme support reactions of every
    // check that holds them, as the report prints them. Written beside the
    // position when its side files are not held, else staged with them.
    void WriteSupportsFile();
    // The diagrams of the crane report: for each series name of a family
    // whose option (first + the name's offset) is set, the stored set
    // "<prefix>\<family>\<name>" is drawn and inserted. The point writer's
    // prefix holds "\Spannungen\" and the point's name; option is its only one.
    void InsertCraneForceDiagrams(const std::string& prefix, CKurvo2D* graph, int first);
    void InsertCraneStressDiagrams(const std::string& prefix, CKurvo2D* graph, int first);
    void InsertCranePointDiagrams(const std::string& prefix, CKurvo2D* graph, int option);
    void InsertCraneDeformationDiagrams(const std::string& prefix, CKurvo2D* graph, int first);
    void InsertCraneSupportDiagrams(const std::string& prefix, CKurvo2D* graph, int first);
    void InsertCraneBeddingDiagrams(const std::string& prefix, CKurvo2D* graph, int first);
    void InsertCraneSpringDiagrams(const std::string& prefix, CKurvo2D* graph, int first);
    // The system pictures of the crane report with the cranes at crane
    // position `position` (from 0; -1: where the stress utilisation, result
    // id 33, is largest over the enabled checks): the plan ("Ansicht
    // XY-Ebene") only when a support is held differently sideways or a
    // spring or bedding has a lateral constant, then the elevation. The
    // position stays the current one.
    void WriteCraneSystemPicture(CKurvo2D* graph, int a, int b, int c, int d, int position);
    // The crane position (from 0) of the largest stress utilisation; 0 when
    // no enabled check holds one.
    int GetMostUtilisedCranePosition() const;
    // The outlines of the distinct profiles of the field sections, four to a
    // picture side by side, each picture headed "Profil: 'name' ..." (with
    // " + rail" when the rail stands on the girder); the numbered plates of
    // the first section follow the last outline of each picture.
    void WriteCraneSectionPictures(CKurvo2D* graph, int a, int b, int c, int d);

    // ---- the member's geometry --------------------------------------------------------
    // The field (from 0) whose range holds x within 0.001 m (at a node the
    // left one); 0 when none does. endFlag: 1 for an end field whose outer
    // node has no translational support ("cy" with yDirection, else "cz").
    int FindFieldAtX(double x, int* endFlag = nullptr, bool yDirection = false) const;
    // Field i's length extended over the neighbouring fields across nodes
    // whose translational support is below 0.1 in magnitude.
    double GetSpanBetweenRestraints(int field, bool yDirection) const;
    // The point of plate `plate` of field section `field` at t (0..1) along
    // the plate, in m (a = y, b = z); unchanged for a plate index out of range.
    void GetSectionPlateAt(int field, int plate, double t, double& a, double& b);

    // ---- the member sketch --------------------------------------------------------------
    // The load-case entries of the sketch's context menu: "Alle" (command
    // 1000) and one per first load-case number of the loads (1000 + n),
    // ascending; the shown load case carries the check mark.
    void AddLoadCaseMenu(CKurvo2D& graph) const;

    // A click on item id: its page comes to the front of the dialog with its
    // grid row, the item is drawn selected, the item clicked before plain.
    // Id 0 (or one that names no item) redraws both views.
    void OnSketchClick(CKurvo2D* graph, int id) override;
    // A drag step of item id by (dx, dy) m, rounded to step (a step of 0 or
    // less: no rounding); mode 0/1 along the member, 2 in the section plane
    // (snapped to the section's points). The data change at once.
    void OnSketchDrag(CKurvo2D* graph, int id, double dx, double dy, double step, int mode) override;
    // The end of a drag: redraws the views after a change (a snapped point in
    // the section plane written first).
    int OnSketchDrop(int id) override;
    // A menu command of the sketch: shows the loads of load case
    // commandId - 1000 (0: all) and redraws the member view.
    void OnSketchCommand(CKurvo2D* graph, int commandId) override;
    // The sketch item identifier of item `index` of `kind` (0 when there is
    // no such item) and the inverse (false for no item).
    int GetSketchItemId(int kind, int index) const;
    bool ParseSketchItemId(int id, int& kind, int& index) const;
    // x along the member of a point spring (kind 4), hinge (5) or load (6,
    // the start of its range; the cut when it has none); 0 otherwise.
    double GetSketchItemX(int kind, int index) const;
    // One drag step of the support at node k by dx (rounded to step): the
    // field before the node changes, the one after it keeps the later nodes
    // in place. False (nothing changed) for node 0, an index out of range
    // or a step that would leave a field of no length.
    bool DragNodeSupport(int k, double dx, double step);

    // The drawing of the member view into the sketch's 2-D graphs: the first
    // graph gets the member (views 0 "XZ" and 1 "XY"), the others the section
    // at the cut. Nothing without the preview attached or without a field.
    void DrawSystem2D(int flag) override;
    // The title of a result diagram: "Lastkollektiv n" for the combination
    // number after "LK " in its title (with the first eigenvalue of that
    // combination when the results hold one); empty without such a number.
    std::string GetResultDiagramTitle(const CResultSet& set) const;
    // The member extruded along x into the sketch's 3-D graphs.
    void DrawSystem3D(int flag) override;
    // The 3-D drawing into one graph; the loads of it.
    void DrawSystem3DInto(CKurvo3D& graph) const;
    void DrawLoads3D(CKurvo3D& graph, double L) const;
    // The member band of every field, filled in colour, then outlined.
    void DrawSystemFields(CKurvo2D& graph, int view, long colour) const;
    // Section labels and field dimensions below the band (labelY 1e10: the
    // default, sizeExt + L/8 below the axis); not while a result set is shown.
    void DrawSystemSections(CKurvo2D& graph, double sizeExt, double L, double labelY = 1e10) const;
    // The hinges at their x: rectangles and circles by their releases.
    void DrawSystemHinges(CKurvo2D& graph, int view) const;
    // The support symbol of every node at the band's centre line.
    void DrawSystemSupports(CKurvo2D& graph, int view, double L) const;
    // Point springs and beddings (colour -1: the view's own colours).
    void DrawSystemSprings(CKurvo2D& graph, int view, double L, long colour) const;
    // The loads (member design) or the cranes at their positions (crane
    // runway), with the load-case entries of the context menu.
    void DrawSystemLoads(CKurvo2D& graph, int view, double L, long colour) const;
    // The cranes of a crane runway at their current positions ("pos<c>").
    void DrawSystemCranes(CKurvo2D& graph, int view, double L) const;
    // The selected load in the section view, symbols s in size.
    void DrawSectionLoad(CKurvo2D& graph, double s);
    // The cross-section at the cut with the springs and the selected load
    // there; fills the section's snap points.
    void DrawSectionView(CKurvo2D* graph);
    // The numbered plates of the section of `field` as lines, the notch
    // cases on them marked.
    void GetSectionPlatesOutline(CKurvo2D& graph, int field, double textSize, double markSize);
    // The notch position value of every weld notch case (geometry 2) on a
    // plate of the first section: plate start + its relative place x (plate
    // end - start), along the plate's z.
    void GetSectionPlates();
    double m_dNotchPosition = 0.0;
    // At x: half the largest width, the band's centre offset below the axis
    // (by the profile axis position) and the local width and height, in m.
    void GetSectionBandAt(double x, double& halfMaxWidth, double& centreOffset, double& width,
                          double& height) const;
    // The largest width and height over the start and end of all field
    // sections, in m (0 without sections).
    void GetMaxSectionExtents(double& maxWidth, double& maxHeight) const;

    // The sketch state. The graphs the sketch draws into, the view of the
    // first one (0 XZ, 1 XY, 2 YZ), the x of the section cut in m and the
    // preview window that shows them (only its presence is asked for).
    std::vector<CKurvo2D*> m_Sketch2DList;
    std::vector<CKurvo3D*> m_Sketch3DList;
    int32_t m_nSketchView = 0;
    double m_dCutX = 0.0;
    void* m_pPreviewDlg = nullptr;
    // The item selected last, whether a drag step changed the data, the load
    // case whose loads the member view shows in colour (0: all).
    int32_t m_nSelectedItem = 0;
    int32_t m_bSketchDragged = 0;
    int32_t m_nShownLoadCase = 0;
    // The origin of the section view's drawing (m): a section point (ey, ez)
    // in cm lies at (origin y + ey/100, origin z - ez/100).
    double m_dSectionOriginY = 0.0, m_dSectionOriginZ = 0.0;
    // What a drag runs on: the field lengths unrounded, the dragged item's
    // unrounded place, the mode and the point snapped to (id 0: none).
    std::vector<double> m_DragFieldLengths;
    double m_dDragSpringX = 0.0, m_dDragSpringY = 0.0, m_dDragSpringZ = 0.0;
    double m_dDragLoadX = 0.0, m_dDragLoadY = 0.0, m_dDragLoadZ = 0.0;
    double m_dDragHingeX = 0.0;
    int32_t m_nDragMode = 0;
    int32_t m_nSnapId = 0;
    double m_dSnapY = 0.0, m_dSnapZ = 0.0;
    CSnapPoints m_SectionSnap;
    // Where the sections sit on the member axis: 0 tops on the axis, 1
    // centres aligned, 2 bottoms aligned.
    int32_t m_nProfileAxis = 0;
    // "Alle Felder wie dieses setzen" of the section dialog, kept between its runs.
    int32_t m_bAllFieldsLikeThis = 0;

    // ---- the data ---------------------------------------------------------------------
    std::vector<CFormulaValue> m_fieldLengths;
    std::vector<CSupport> m_supports;
    std::vector<CSupport> m_springs;
    std::vector<CSection> m_sections;
    int32_t m_bSectionConst = 1;
    std::vector<CNotchCase> m_notchCases;
    std::vector<CHinge> m_hinges;
    std::vector<CLoadDef> m_loads;
    std::vector<CLoadDef> m_spanShareLoads;  // the loads of the span shares (BuildSpanShares)
    CCalcSettings m_calcSettings;
    CImperfectionSettings m_vorvSettings;
    int32_t m_matBB = 0;
    std::vector<int32_t> m_rtfOptions;
    std::vector<int32_t> m_rtfWizOptions;
    int32_t m_rtfLKgebr = 0;
    int32_t m_rtfLKTragSV = 0;
    int32_t m_bRtfChapterInput = 1;
    int32_t m_bRtfChapterGebr = 1;
    int32_t m_bRtfChapterTragSV = 1;
    int32_t m_bRtfChapterCT = 1;
    int32_t m_bRtfCalcSinglePoint = 0;
    int32_t m_bRtfSinglePointLayout = 1;
    std::vector<std::string> m_inputAnnotations;

    // result summary of the member design
    std::string m_strErrorMsg;
    double m_dMaxAusGebr = 0.0;
    double m_dMaxAusTragSV = 0.0;
    int32_t m_iClass = 0;
    int32_t m_tragSVMaxLK = 0;
    int32_t m_gebrMaxLK = 0;
    int32_t m_gebrKolOffset = 0;
    std::vector<int32_t> m_tragSVRelKol;  // one flag per load combination
    std::vector<int32_t> m_gebrRelKol;
    // The stored lists behind the flags: per result point the index of the
    // collective with the largest utilisation (ultimate; serviceability
    // without the offset).
    std::vector<int32_t> m_tragSVCaseOfPoint;
    std::vector<int32_t> m_gebrCaseOfPoint;

    // crane runway
    std::vector<CCrane> m_cranes;
    CRail m_rail;
    CCraneSettings m_craneSettings;
    std::string m_strMessage;
    std::vector<int32_t> m_craneRtfOptions;
    CNumberList m_dorIzi;
    int32_t m_craneShortSummery = 0;
    std::vector<double> m_groupValues[2];
    int32_t m_bRunning = 0;
    CResultTable m_craneResults[kCraneChecks];
    CResultTable m_akResults[kCraneChecks];
    // Per check the result sets of its crane positions, joined into the
    // position's result sets at the end of a calculation.
    std::vector<CResultSet> m_craneResultSets[kCraneChecks];
    CResultTable m_fatResults[3];
    CFatigueDetailTable m_fatDetail;
    CRailWeldTable m_railWeld;
    std::vector<std::string> m_userPointNames;
    std::vector<double> m_cranePositions;
    // Set by GenerateCranePositions when the runway has too many candidate
    // positions to enumerate: their number; 0 otherwise.
    long long m_craneTooMany = 0;
    std::vector<double> m_fieldLength0, m_fieldLength1;
    CEnvelope m_summaries[8];  // "resSummary" of the five checks, then "resSummaryLTB" of the first three
    CPlateStressTable m_bucklRes;
    // The kernel's stress-point block ("esp"): one load case, per node the
    // seven unit-stress coefficients of each stress point.
    CResultTable m_stressPoints;
    int32_t m_numOfPlates = 0;
    // Per check 0..2: the largest utilisation (value id 33) of each crane
    // position that the superposition rated.
    std::map<int, double> m_positionRatings[3];
    // The result curves of each check's runs, titled by check, crane
    // position and value; filled by the superposition.
    std::vector<CResultSet> m_checkResultSets[kCraneChecks];
    std::vector<int32_t> m_bucklFields;
    CSteelCheckSections m_steelSections;
    int32_t m_nCurCranePos = 0;
    CResultTable m_superposition;
    // Left by the run preparation: per action psi0, psi1, psi2 and the
    // partial factor; six reaction factors per load case.
    std::vector<double> m_combinationFactors;
    std::vector<double> m_partialFactors;
    std::vector<double> m_loadCaseRatios;
    // The lateral eccentricity of the wheel loads (cm) and whether "loadEcc"
    // is added for every crane (else only in the fatigue check of cranes of
    // class S3 and above); not stored.
    double m_dLateralEcc = 0.0;
    int32_t m_bLoadEccAlways = 0;
    // psi2 of the crane actions: the cranes' share of permanent load.
    double m_dCranePsi2 = 0.77;

    CVariableTable m_moduleVars;
    int32_t m_bOutput = 0;
    CMainDialogBase* m_pDialog = nullptr;
    std::map<std::string, int> m_resultIndex;
    CCraneReactions m_reactions;
    // Per check 0..3: the extreme reactions of each support over the check's
    // characteristic combinations and all crane positions. Group 0 holds the
    // combination's reaction, its label and its crane position; groups 1..3
    // (values 0) the name of crane 1..3's load case in that combination.
    // (On the heap: the module data is also made on the stack.)
    std::vector<CCraneReactions> m_checkReactions = std::vector<CCraneReactions>(4);

    // The loads into the "loads" element (an empty one): the user's, those
    // the take-overs generated, and the span shares.
    void WriteLoadList(ZVELEM loads);

protected:
    CVariableTable& FormulaTable() override { return m_moduleVars; }

private:
    void ReadModulePart(ZVELEM root);
    void ReadSystem(ZVELEM system);
    void ReadCraneResults(ZVELEM result);
    void WriteModulePart(ZVELEM root);
    void WriteSystem(ZVELEM system);
    void WriteCraneResults(ZVELEM root);
    void ExtractSectionFile(ZVELEM root);
    // Takes the section file at path as this object's (reference-counted).
    void ClaimSectionFile(const std::string& path);
    // A count attribute of the document: negative reads as 0, a count above
    // kMaxListCount is reported and refused (-1).
    int32_t ReadCount(ZVELEM element, const char* name);
    // The take-over loads in the calculation's form (GetTakeOverLoads); what
    // cannot be calculated is left out and named in problems.
    std::vector<CLoadDef> CollectTakeOverLoads(std::vector<std::string>& problems) const;

    CModuleLoadCombination* m_pLK = nullptr;
    LUDataList* m_pLU = nullptr;  // owned by the base data
    std::string m_strSectionFile;  // the section file this object holds a claim on
};

// The extreme values of one support-reaction curve (value id 18..23,
// triples x, maximum, minimum) of crane check 0, 1 or 2 as exported values
// under "Extremal" with one letter per restrained support.
// supportX: the x of the restrained supports in order (their letters).
void ExportExtremalValues(ZVELEM exports, int check, int valueId, const CResultSet& curve,
                          const std::vector<double>& supportX);
// The letters of the n-th support (from 1): "A".."Z", then "AA", "AB" ...
std::string SupportLetters(int n);

// The norm text of a norm code: "Nachrechnung" for an existing structure,
// else 7 "DIN 18800", 8 "EC 3", any other "EC3 NA (DE)".
std::string GetNormName(int norm, int existingBuilding);
// Puts the section on the default material of the norm when its norm code
// changes or for an existing structure; stores the norm code.
void UpdateSectionMaterialForNorm(CSection& section, int norm, int existingBuilding);

// The number of objects that hold a claim on the section file (tests).
int GetSectionFileClaims(const std::string& path);
