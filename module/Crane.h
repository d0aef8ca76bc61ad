// A crane running on the runway girder: dynamic factors, classes, the axle
// values of each axle, the load groups with the load kinds acting in them,
// and the wheel loads generated from them by the steel-design library.
#pragma once

#include <string>
#include <vector>

#include "formula/FormulaValue.h"
#include "platform/zevud/zevud.h"

class CModuleData;
class CRecordOwner;
class CVariableTable;

class CCrane {
public:
    static constexpr int kKinds = 16;        // axle values per axle
    static constexpr int kGroups = 19;       // load groups
    static constexpr int kGroupColumns = 11; // load kinds per group
    static constexpr int kWheelValues = 9;   // generated values per axle and group
    static constexpr int kMaxAxes = 64;      // most axles a crane record takes

    // Check classes of the groups.
    enum { CLASS_ULS = 1, CLASS_ACCIDENTAL = 2, CLASS_PROOF = 4, CLASS_SLS = 8, CLASS_FATIGUE = 16 };

    CCrane();
    CCrane(const CCrane&) = default;
    CCrane& operator=(const CCrane&) = default;
    virtual ~CCrane() = default;

    // The defaults (two axles).
    void Init();
    // Resizes the axle values to numOfAxis x 16 (new entries 0.0) and the
    // wheel loads to numOfAxis x 19 x 9. A count outside 0..kMaxAxes is
    // brought into that range.
    void SetAxisCount();
    // Reads the record and regenerates the wheel loads. A stored axle count
    // outside 0..kMaxAxes is reported and limited.
    void ReadData(ZVELEM element);
    // Clears the load kinds that do not apply, then writes.
    void WriteData(ZVELEM element);
    // Crane type 1 without a second girder: kinds 2, 4, 6 and 8 of the first
    // two axles become 0.0.
    void ClearUnusedLoadKinds();
    // Regenerates the wheel loads of all axles (values 0..2: Hx, Hy,
    // vertical; values 3..8 of axle 0: ratios with lowered dynamic factors).
    void GenerateLoads();
    // The axle value filling a generator column of a group; 0.0 for none.
    // With a second girder ("bSecondBeam"), the ultimate and test-load groups
    // take the lateral mass force and the guide force of whichever rail
    // carries the larger ones (the associated values when they exceed the
    // maximum ones), so that neither girder's horizontal forces are left out.
    double GetGeneratorInput(int axis, int group, int column) const;
    // The axle value kind that fills a generator column of a group (-1: none).
    int GetGeneratorInputKind(int group, int column) const;
    // The generator kind handed over for a group (15 for the fatigue group
    // while the owner's settings want the horizontal fatigue forces).
    int GetGeneratorKind(int group) const;
    void SetVariableTable(CVariableTable* table);

    // Axle value k of axle a; 0.0 outside the lists.
    double GetAxisValue(int axis, int kind) const;
    CFormulaValue* AxisValue(int axis, int kind);
    // Generated value k of axle a in group g; 0.0 outside the lists.
    double GetWheelLoad(int axis, int group, int k) const;

    // ---- axles and load groups ---------------------------------------------------
    // The check of a load group (0 ultimate S/V, 1 accidental, 2 test load,
    // 3 serviceability, 4 fatigue).
    static int GetGroupCheck(int group);
    // Whether group g takes part in check c (c = -1: in its own check): the
    // check is enabled, the group has a generated value above 0.0001 in
    // magnitude, and groups 12, 13, 16, 17 need a second girder.
    bool IsLoadGroupRelevant(const CModuleData& module, int group, int check) const;
    // Sums over all axles of axle values 1 and 3 (maximum wheel loads).
    void SumMaxWheelLoads(double& sum1, double& sum3) const;
    // The length over the axles: the sum of the spacings of axles 1..n-1.
    double GetAxisSpan() const;
    // A two-axle crane's position x moved towards the resultant of its
    // maximum wheel loads (by the share 1/(m+1), all of it for m = 1);
    // unchanged for other axle counts and for a first axle without load.
    double ShiftToResultant(double x, int m) const;
    // The position of axle a relative to the crane's position (the middle
    // of its axles).
    double GetAxisOffset(int axis) const;

    std::string m_strDesc;
    CFormulaValue m_phi[9];
    CFormulaValue m_eta;
    int m_numOfAxis = 2;
    // The axle count the document held when it was more than kMaxAxes (the
    // record keeps kMaxAxes; a calculation refuses such a crane); 0 otherwise.
    int m_refusedAxisCount = 0;
    int m_hubKlasse = 1;
    int m_BGruppe = 2;
    int m_groupClass[kGroups];
    CRecordOwner* m_pOwner = nullptr;
    std::vector<CFormulaValue> m_axisVal;
    int m_loadKinds[kGroups][kGroupColumns];
    int m_loadCaseNr[kGroups];
    int m_groupNumber[kGroups];
    std::vector<CFormulaValue> m_wheelLoads;
};

// Builds n cranes in place of the raw memory, each initialised.
void ConstructCranes(void* memory, int n);

// Captions and units of the crane load table: the 16 axle values and the
// rows "Qcmax", "Qcmin", "Qhmax", "Qhmin"; returns their count (20).
int GetCraneLoadKindNames(std::vector<std::string>& captions, std::vector<std::string>& units);
// Names and identifiers of the 19 load groups; identifiers carry the crane's
// prefix "K<craneNo>." (craneNo counted from 1).
int GetCraneLoadGroupNames(std::vector<std::string>& names, std::vector<std::string>& ids, int craneNo);
