// Load take-over between positions: a position takes over the support
// reactions that other positions of the project export, as member loads and
// actions of its own. One LUData per take-over (source position and support),
// the list of them per position, their document form "lastUebernahme", and
// the calculation that turns the exported reactions into loads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formula/FormulaValue.h"
#include "input/LKData.h"
#include "input/PositionParts.h"
#include "input/LoadDef.h"
#include "platform/zevud/zevud.h"

// ---- kinds of source position -------------------------------------------------

// Families by the first four characters of a module key.
enum class ELuFamily { Other, Roof, Beam, Column, Wall, Plate, Crane };

// Kinds of source program that the take-over tells apart.
enum class ELuSourceKind {
    Other,           // unknown program: category 0
    Roof,            // roof programs
    SpacedBeam,      // four programs of the spaced-beam series
    SpacedBeamLast,  // the fifth program of that series
    AxialBeam,       // four beam programs whose forces act axially
    MemberDesign,    // this module and its sister module
    FlaggedBeam,
    StageColumn,     // column with construction stages
    FlaggedColumn,
    Column,          // the other column programs
    Wall,
    Light,           // one light beam and one light column program
    Plate,
    Crane,
};

// The module key of a document: "progname" and "modulename" of its root,
// each without trailing blanks and lower-cased, joined.
std::string GetModuleKey(ZVELEM root);
ELuFamily GetLuFamily(const std::string& moduleKey);
ELuSourceKind GetLuSourceKind(const std::string& moduleKey);
// 1 for the beam, column, wall and roof kinds, 2 plates, 3 crane runways, 0 else.
int GetLuSourceCategory(ELuSourceKind kind);
// Whether the source brings its own load groups (group 2 is read as 1).
bool GetLuOwnGroups(ELuSourceKind kind);

// Puts a force F and a moment M into the six values of a load: 0..2 forces
// along, 3..5 moments about the directions 0..2. m = -1: no moment direction.
void FillLoadValues(int loadType, int d, int m, double values[6], double F, double M);

// ---- records ------------------------------------------------------------------------

// One exported reaction of the source, as read.
class CTakeOverLoad {
public:
    void Reset();
    // Value indices: 0, 1 xa, 2 xl, 3, 4; 5..9 force max, min, g, max-g, min-g;
    // 10..14 the moment in the same order.
    enum { kXa = 1, kXl = 2, kFMax = 5, kFMin = 6, kFG = 7, kFMaxG = 8, kFMinG = 9,
           kMMax = 10, kMMin = 11, kMG = 12, kMMaxG = 13, kMMinG = 14 };
    double V(int i) const { return m_val[i].GetValue(); }
    void SetV(int i, double v) { m_val[i].SetValue(v); }
    bool HasForces(double limit) const;
    bool HasMoments(double limit) const;

    int32_t m_iDirection = 0;         // force: 0 "x-x", 1 "y-y", 2 "z-z"
    int32_t m_iMomentDirection = -1;  // -1 until the direction rule sets it
    int32_t m_iAction = 0;            // source action: > 0, 0 extremal, -1 none
    std::string m_strText;
    CNumberList m_LCGen;
    int32_t m_iLoadType = 0;
    std::string m_strDesc;
    std::string m_strActionDesc;
    CFormulaValue m_val[15];
};

// Gives the base data's load-combination part access to its settings (the
// take-over creates actions in them).
class CLKDataHolder {
public:
    virtual ~CLKDataHolder() = default;
    virtual CLKData& GetLKData() = 0;
};

// The load-combination settings as the base data's load-combination part.
class CLKDataPart : public CBaseLoadCombination, public CLKDataHolder {
public:
    void ReadData(ZVELEM input) override { m_data.ReadData(input); }
    void WriteData(ZVELEM input) override { m_data.WriteData(input); }
    void SetNorm(int32_t norm) override { m_data.SetNorm(norm); }
    void StoreProtocolFiles() override { m_data.StoreProtocolFiles(); }
    CLKData& GetLKData() override { return m_data; }

private:
    CLKData m_data;
};

// One take-over.
class LUData {
public:
    LUData();
    ~LUData();
    LUData(const LUData&) = delete;
    LUData& operator=(const LUData&) = delete;

    void Reset();
    // Reads the first "lu" child of the element (first) or the one after
    // `after`; false when there is none.
    bool ReadData(ZVELEM element, bool first, ZVELEM after = 0);
    void WriteData(ZVELEM element);
    // Recalculates the record from its source position (see the .cpp).
    void Calc();

    // ---- steps of the calculation (public for the dialog and for tests) ----
    bool IsLineLoad() const;
    void AdjustDirection(CTakeOverLoad& load);
    void SetLoadTypeAndScale(CTakeOverLoad& load);
    void AdjustLoad(CTakeOverLoad& load);
    void SplitForceAndMoment();
    void PrepareGroupArrays();
    void BuildActionMaps();
    void BuildLoads(const CTakeOverLoad& load);
    void BuildGroupLoads();
    int32_t CreateDestinationAction(int32_t group, int32_t category, int32_t altGroup);
    int32_t FindFreeAlternativeGroup() const;
    void AssignAlternativeGroup(int32_t action, int32_t altGroup);
    void ResetLoad(CTakeOverLoad& load) const;
    // Sets the module keys (and what follows from them) without a source
    // document: the dialog and the tests.
    void SetModuleKeys(const std::string& sourceKey, const std::string& destKey);
    // Reads the exported reactions under the matching support folders of an
    // "exports" element into the take-over loads; false when no folder matches.
    bool ReadExports(ZVELEM exports);

    // ---- the data -------------------------------------------------------------
    std::vector<CTakeOverLoad> m_takeOverLoads;
    std::vector<CLoadDef> m_loads;
    std::string m_strPosition;
    std::string m_strAuflager;
    int32_t m_iRichtung = 0;
    int32_t m_iEinwKatModus = 0;
    int32_t m_iEinwModus = 0;
    int32_t m_bEinzelLast = 0;
    int32_t m_bStreckenLast = 0;
    CFormulaValue m_xa;
    CFormulaValue m_xl;
    int32_t m_iEinwMod = 0;
    double m_e = 1.0;
    bool m_bEModByUser = false;
    bool m_bAktiv = true;
    bool m_bMapsBuilt = false;
    std::string m_strSrcKey;
    std::string m_strDestKey;
    double m_dFaktor = 1.0;
    int32_t m_nIndex = 0;  // list index + 1
    std::vector<int32_t> m_einwSrc2DestMax;
    std::vector<int32_t> m_einwSrc2DestMin;
    int32_t m_nVersion = 1;
    CTakeOverLoad m_current;
    int32_t m_nCategory = 0;
    bool m_bOwnGroups = false;
    ELuSourceKind m_kind = ELuSourceKind::Other;
    std::unique_ptr<CLKData> m_pSrcLK;
    CLoadDestination* m_pDest = nullptr;
    CLKData* m_pDestLK = nullptr;
    ZVELEM m_hElement = 0;
    std::vector<std::string> m_optionTexts;
    std::vector<std::string> m_optionTexts2;
    bool m_bSpacedSourceBeam = false;
    bool m_bBeamOnBeam = false;
    bool m_bEitherBeam = false;
    int32_t m_nCalcCount = 0;
    // Alternative groups of the source: per group (index = group number) the
    // envelope per direction, whether it is a one-component group, whether
    // it has loads.
    struct GroupEnvelope {
        double fMax[3] = {0, 0, 0}, fMin[3] = {0, 0, 0}, mMax[3] = {0, 0, 0}, mMin[3] = {0, 0, 0};
        bool oneComponent = false;
        bool hasLoads = false;
    };
    std::vector<GroupEnvelope> m_groups;
    std::vector<int32_t> m_assignedAltGroups;
    int32_t m_counters[200] = {};

    // The path of the source document for the position name.
    std::string SourcePath() const;

private:
    friend class LUDataList;
    void ReadFolder(ZVELEM folder);
    void ReadDirectionFolder(ZVELEM folder);
    void ReadActionFolder(ZVELEM folder);
    void ReadValue(ZVELEM value);
    int32_t MapStageAction(int32_t n) const;
    bool OpenSource(ZVDOC src);
    int32_t SourceActionCount() const;
    const CActionRecord* SourceAction(int32_t n) const;  // n-th, first for n < 1
    CActionRecord* DestAction(int32_t number);
    int32_t MaxMapEntry(int32_t n) const;
    int32_t MinMapEntry(int32_t n) const;
    void SetMap(std::vector<int32_t>& map, int32_t n, int32_t dest);
    int32_t FindOrCreateForSource(const CActionRecord& src);
    bool IsOneComponentAction(int32_t n) const;
    void AddLoad(const CTakeOverLoad& from, int d, int m, double F, double M, int32_t action,
                 const std::string& desc);
    int32_t MaxAction(int32_t n);
    int32_t MinAction(int32_t n);
    void DumpRecord(FILE* f) const;
    void DumpLoads(const char* file, const char* title) const;
    ELuFamily SrcFamily() const { return GetLuFamily(m_strSrcKey); }
    ELuFamily DestFamily() const { return GetLuFamily(m_strDestKey); }
};

// The take-overs of one position.
class LUDataList : public CBaseLoadTakeOver {
public:
    LUDataList();
    ~LUDataList() override;

    void Reset();
    void ReadData(ZVELEM element) override;
    void WriteData(ZVELEM element) override;
    void SetOwner(CLoadDestination* owner) override;
    void Recalc() override;

    // The destination's load-combination settings (taken from the owner's
    // load-combination part when that is a CLKDataHolder).
    void SetDestinationSettings(CLKData* lk) { m_pDestLK = lk; }
    CLKData* GetDestinationSettings() const { return m_pDestLK; }

    std::vector<std::unique_ptr<LUData>> m_records;
    int32_t m_bFlag = 0;
    CLoadDestination* m_pOwner = nullptr;

private:
    CLKData* m_pDestLK = nullptr;
};
