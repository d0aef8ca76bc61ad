// Results of the crane-runway checks after the superposition: node
// stresses of a combination, the envelope of the local wheel-load values by
// their magnitude, plate buckling per field and the export of the extreme
// support reactions.
#include <algorithm>
#include <cmath>

#include "crane/CraneOperations.h"
#include "crane/CraneResults.h"
#include "crane/RunPreparation.h"
#include "platform/lingo/lingo.h"
#include "formula/Exports.h"
#include "module/ModuleData.h"
#include "platform/ferrum/plate_buckling.h"
#include "platform/winsys/winsys.h"

namespace {

// Section forces 11..17 to kN and cm: N, Vy, Vz in kN; Mx, My, Mz from kNm
// to kNcm; the bimoment from kNm² to kNcm².
constexpr double kForceFactors[7] = {1.0, 1.0, 1.0, 100.0, 100.0, 100.0, 10000.0};

}  // namespace

namespace crane_ids {

std::vector<int32_t> ResultCodes(int points, int plates) {
    std::vector<int32_t> codes = {0x1001, 0,      0,      0,      0,      0x2001, 0,       0,      0,
                                  0,      0x802,  0x803,  0x1003, 0x2003, 0x804,  0x1004,  0x2004, 0x4004,
                                  0x805,  0x1005, 0x2005, 0x806,  0x1006, 0x2006, 0x1007,  0x2007, 0x807,
                                  0x8007, 0x10007, 8,     9,      10,     11,     12};
    for (int u = 0; u < points; ++u)
        for (int k = 0; k < kIdsPerPoint; ++k) codes.push_back(13 + kIdsPerPoint * u + k);
    for (int p = 0; p < plates; ++p)
        for (int k = 0; k < kIdsPerPlate; ++k) codes.push_back(1024 + kIdsPerPlate * p + k);
    return codes;
}

}  // namespace crane_ids

void CalcNodeStresses(CModuleData& d, CResultTable& table, int slot) {
    using namespace crane_ids;
    if (!table.HasValue(kNormalForce) || !table.HasValue(kMinSigma)) return;
    const int32_t nodes = table.GetNumNodes();
    if (nodes < 1 || nodes != d.m_stressPoints.GetNumNodes() || slot < 0 || slot >= table.GetNumLoadCases()) return;
    const int32_t values = d.m_stressPoints.GetNumColumns();
    const double* esp = d.m_stressPoints.GetBlock(0);
    const int32_t points = esp ? values / kEspGroup : 0;
    for (int32_t i = 0; i < nodes; ++i) {
        double F[7];
        for (int k = 0; k < 7; ++k) F[k] = table.GetValue(slot, i, kNormalForce + k) * kForceFactors[k];
        double minSigma = 0.0, maxSigma = 0.0, maxTau = 0.0;
        for (int32_t g = 0; g < points; ++g) {
            const double* e = esp + static_cast<size_t>(i) * values + static_cast<size_t>(g) * kEspGroup;
            // kN/cm² -> N/mm².
            const double sigma = 10.0 * (e[0] * F[0] + e[1] * F[4] + e[2] * F[5] + e[3] * F[6]);
            const double tau = 10.0 * (e[4] * F[3] + e[5] * F[1] + e[6] * F[2]);
            minSigma = std::min(minSigma, sigma);
            maxSigma = std::max(maxSigma, sigma);
            maxTau = std::max(maxTau, std::fabs(tau));
        }
        table.SetValue(slot, i, kMinSigma, minSigma);
        table.SetValue(slot, i, kMaxSigma, maxSigma);
        table.SetValue(slot, i, kMaxTau, maxTau);
    }
}

namespace {

// Every node of the slot gets the value of largest magnitude of the slot
// (a later node wins only when strictly larger in magnitude).
void MaxAbsOverNodes(CResultTable& table, int slot, int32_t id) {
    if (!table.HasValue(id) || slot >= table.GetNumLoadCases()) return;
    double best = 0.0;
    for (int32_t i = 0; i < table.GetNumNodes(); ++i) {
        const double v = table.GetValue(slot, i, id);
        if (std::fabs(v) > std::fabs(best)) best = v;
    }
    for (int32_t i = 0; i < table.GetNumNodes(); ++i) table.SetValue(slot, i, id, best);
}

void MaxAbsEnvelope(CResultTable& table, const std::vector<CNotchCase>& points) {
    for (size_t u = 0; u < points.size(); ++u) {
        if (points[u].m_iPlace < 1) continue;
        for (int32_t id : {crane_ids::PointValue(static_cast<int>(u), 2), crane_ids::PointValue(static_cast<int>(u), 3)})
            for (int slot : {0, 1}) MaxAbsOverNodes(table, slot, id);
    }
}

}  // namespace

void ApplyMaxAbsEnvelope(CModuleData& d, int check) {
    if (check < 0 || check >= CModuleData::kCraneChecks) return;
    MaxAbsEnvelope(d.m_craneResults[check], d.m_notchCases);
    if (check == 4)
        for (CResultTable& t : d.m_fatResults) MaxAbsEnvelope(t, d.m_notchCases);
}

void CalcPlateBuckling(CModuleData& d) {
    CPlateStressTable& t = d.m_bucklRes;
    if (!t.HasData()) return;
    const double fy = d.m_sections.empty() ? 0.0 : d.m_sections.front().m_strength;
    const int bottomFlange = d.m_craneSettings.m_craneTyp != 0 ? 1 : 0;
    const int railInSection = d.m_rail.m_bCalculation != 0 ? 1 : 0;
    FER_VaduLocalSection points{};
    FillFER_VaduLocalResultWithPOI(d, points);
    const FER_VaduLocalSection* given = d.m_craneSettings.m_autoPOI != 0 ? nullptr : &points;
    for (int c = 0; c < t.m_numOfChecks; ++c) {
        for (int f = 0; f < t.m_numOfFields; ++f) {
            const double fieldEnd = t.m_field[static_cast<size_t>(f)];
            const double length = f == 0 ? fieldEnd : fieldEnd - t.m_field[static_cast<size_t>(f - 1)];
            const size_t bucklEntry = static_cast<size_t>(f) + 1;
            const double panels = bucklEntry < d.m_bucklFields.size() ? std::max(1, d.m_bucklFields[bucklEntry]) : 1;
            const size_t fc = static_cast<size_t>(t.m_numOfChecks) * f + c;
            for (int p = 0; p < t.m_numOfPlates; ++p) {
                if (static_cast<size_t>(p) >= t.m_plateEnabled.size() || !t.m_plateEnabled[static_cast<size_t>(p)])
                    continue;
                const long e = t.Entry(f, c, p);
                if (e < 0) continue;
                const auto entry = static_cast<size_t>(e);
                for (const CCrane& crane : d.m_cranes) {
                    for (int j = 0; j < CModuleData::kCraneGroups; ++j) {
                        if (!(crane.m_groupClass[j] & (1 << c))) continue;
                        for (int i = 0; i < crane.m_numOfAxis; ++i) {
                            FER_VaduLocalInput in;
                            FillVaduLocalInput(crane, d, in, j, i, (i + 1) % crane.m_numOfAxis);
                            // The state of the governing normal stress, then
                            // that of the governing shear stress.
                            for (int from = 0; from < 2; ++from) {
                                const double* state =
                                    (from == 0 ? t.m_valSx : t.m_valTau).data() + entry * CPlateStressTable::kStateValues;
                                if (!(state[5] > 0)) continue;  // no state stored for this field
                                FER_PlateBucklingResult r{};
                                const int h = d.m_steelSections.GetSteelCheckSectionHandle(state[0]);
                                if (FER_hCalc_PlateBuckling_RedStress(h, panels, fy, state, length * 100.0,
                                                                      bottomFlange, railInSection, &in, given,
                                                                      &r) != 0)
                                    continue;
                                if (r.utilisation > t.m_util[entry]) {
                                    t.m_util[entry] = r.utilisation;
                                    t.m_maxFrom[entry] = from;
                                }
                                t.m_utilFib[fc] = std::max(t.m_utilFib[fc], r.utilFib);
                                t.m_utilFy[fc] = std::max(t.m_utilFy[fc], r.utilFy);
                            }
                        }
                    }
                }
            }
        }
    }
}

void AddPlateBucklingResults(const CModuleData& d, int check, std::vector<CResultSet>& list) {
    const CPlateStressTable& t = d.m_bucklRes;
    if (check < 0 || check > 2 || !d.m_craneSettings.m_checkEnabled[check] || !t.HasData() || check >= t.m_numOfChecks)
        return;
    auto tr = [](const char* text) { return lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text); };
    std::string checkName;
    GetCheckName(check, checkName);
    const int fields = t.m_numOfFields;
    // Two points per field: its start and its end with the field's value.
    auto add = [&](const std::string& title, const std::vector<double>& perField) {
        CResultSet set;
        set.m_type = 0;
        for (int f = 0; f < fields; ++f) {
            const double start = f == 0 ? 0.0 : t.m_field[static_cast<size_t>(f - 1)];
            const double end = t.m_field[static_cast<size_t>(f)];
            const double v = perField[static_cast<size_t>(f)];
            set.m_data.insert(set.m_data.end(),
                              {static_cast<float>(start), static_cast<float>(v), static_cast<float>(end),
                               static_cast<float>(v)});
        }
        set.m_strTitle = title;
        set.m_strName = tr("Ausnutzung");
        set.SetNumDigits(2);
        set.FindExtremes();
        set.InsertZeroCrossings();
        list.push_back(std::move(set));
    };
    std::vector<double> envelope(static_cast<size_t>(fields), 0.0);
    const char* plateFormat = "%s\\Beulen\\%s\\Ausnutzung";
    for (int p = 0; p < t.m_numOfPlates; ++p) {
        if (static_cast<size_t>(p) >= t.m_plateEnabled.size() || !t.m_plateEnabled[static_cast<size_t>(p)]) continue;
        std::vector<double> util(static_cast<size_t>(fields), 0.0);
        for (int f = 0; f < fields; ++f) {
            const long e = t.Entry(f, check, p);
            util[static_cast<size_t>(f)] = e < 0 ? 0.0 : t.m_util[static_cast<size_t>(e)];
            envelope[static_cast<size_t>(f)] = std::max(envelope[static_cast<size_t>(f)], util[static_cast<size_t>(f)]);
        }
        const std::string plate = lingo::FormatTranslated("Blech-%ld", tr("Blech-%ld"), static_cast<long>(p + 1));
        add(lingo::FormatTranslated(plateFormat, tr(plateFormat), checkName, plate), util);
    }
    const char* allFormat = "%s\\Beulen\\Ausnutzung";
    add(lingo::FormatTranslated(allFormat, tr(allFormat), checkName), envelope);
    const char* format = "%s\\Beulen\\%s";
    std::vector<double> fib(static_cast<size_t>(fields)), fy(static_cast<size_t>(fields));
    for (int f = 0; f < fields; ++f) {
        const size_t fc = static_cast<size_t>(t.m_numOfChecks) * f + check;
        fib[static_cast<size_t>(f)] = fc < t.m_utilFib.size() ? t.m_utilFib[fc] : 0.0;
        fy[static_cast<size_t>(f)] = fc < t.m_utilFy.size() ? t.m_utilFy[fc] : 0.0;
    }
    add(lingo::FormatTranslated(format, tr(format), checkName, tr("Durch Flansch induziertes Beulen")), fib);
    add(lingo::FormatTranslated(format, tr(format), checkName, tr("Quetschgrenze")), fy);
}

std::string SupportLetters(int n) {
    // Bijective base 26: 1 -> A, 26 -> Z, 27 -> AA, 28 -> AB ...
    std::string s;
    while (n > 0) {
        --n;
        s.insert(s.begin(), static_cast<char>('A' + n % 26));
        n /= 26;
    }
    return s;
}

std::vector<double> GetRestrainedSupportX(const CModuleData& d) {
    std::vector<double> xs;
    double x = 0.0;
    for (size_t k = 0; k < d.m_supports.size() && k < d.m_fieldLengths.size(); ++k) {
        x += d.m_fieldLengths[k].GetValue();
        const CSupport& s = d.m_supports[k];
        const CFormulaValue* v[7] = {&s.m_cx, &s.m_cy, &s.m_cz, &s.m_cmx, &s.m_cmy, &s.m_cmz, &s.m_cwoelb};
        if (std::any_of(std::begin(v), std::end(v), [](const CFormulaValue* f) { return f->GetValue() != 0.0; }))
            xs.push_back(x);
    }
    return xs;
}

void ExportExtremalValues(ZVELEM exports, int check, int valueId, const CResultSet& curve,
                          const std::vector<double>& supportX) {
    static const char* const kParts[3] = {"\\", "\\Trag A\\", "\\Trag Prüflast\\"};
    static const char* const kNames[6] = {"Ax", "Ay", "Az", "Mx", "My", "Mz"};
    if (!exports || check < 0 || check > 2 || valueId < crane_ids::kReactionAx || valueId > crane_ids::kReactionMz)
        return;
    const char* name = kNames[valueId - crane_ids::kReactionAx];
    const std::string unit = valueId > crane_ids::kReactionAz ? "kNm" : "kN";
    const std::vector<float>& d = curve.m_data;
    for (size_t k = 0; k + 2 < d.size(); k += 3) {
        const double x = d[k], maximum = d[k + 1], minimum = d[k + 2];
        if (!(std::fabs(maximum) > 0.01 || std::fabs(minimum) > 0.01)) continue;
        // The letters name the support's place among the restrained
        // supports, whatever the component.
        int place = 0;
        for (size_t s = 0; s < supportX.size(); ++s)
            if (std::fabs(supportX[s] - x) < 0.001) place = static_cast<int>(s) + 1;
        if (place == 0) continue;
        const std::string letters = SupportLetters(place);
        const std::string folder = std::string("Extremal") + kParts[check] + letters + "\\";
        if (std::fabs(maximum) > 0.01)
            WriteExportToFolder(exports, folder, winsys::FormatC("max %s", name), letters + "_max_" + name, maximum,
                                unit);
        if (std::fabs(minimum) > 0.01)
            WriteExportToFolder(exports, folder, winsys::FormatC("min %s", name), letters + "_min_" + name, minimum,
                                unit);
    }
}
