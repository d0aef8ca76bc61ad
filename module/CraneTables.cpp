#include "module/CraneTables.h"

#include <algorithm>
#include <cmath>

#include "module/frame/BinaryArrays.h"
#include "module/frame/Utilities.h"

namespace {

// Largest number of values a result table takes (a document asking for more
// is damaged).
constexpr long kMaxTableValues = 1L << 24;

// The product of the counts, or -1 when a count is negative or the product
// exceeds the limit.
long Product(std::initializer_list<long> counts)
{
    long p = 1;
    for (long c : counts) {
        if (c < 0) return -1;
        if (c != 0 && p > kMaxTableValues / c) return -1;
        p *= c;
    }
    return p > kMaxTableValues ? -1 : p;
}

}  // namespace

// ---- plate buckling and stresses ----------------------------------------

void CPlateStressTable::Clear() { *this = CPlateStressTable(); }

bool CPlateStressTable::Init(int plates, int checks, const std::vector<double>& fieldLengths)
{
    const long fields = static_cast<long>(fieldLengths.size());
    const long entries = Product({fields, plates, checks});
    if (entries < 0 || Product({entries, kStateValues}) < 0) {
        Clear();
        return false;
    }
    m_numOfPlates = plates;
    m_numOfChecks = checks;
    m_numOfFields = static_cast<int32_t>(fields);
    m_field.assign(fieldLengths.size(), 0.0);
    double end = 0.0;
    for (size_t i = 0; i < fieldLengths.size(); ++i) m_field[i] = end += fieldLengths[i];
    const auto n = static_cast<size_t>(entries);
    m_minSx.assign(n, 0.0);
    m_maxTau.assign(n, 0.0);
    m_util.assign(n, 0.0);
    m_infoSx.assign(n, 0);
    m_infoTau.assign(n, 0);
    m_maxFrom.assign(n, 0);
    m_valSx.assign(n * kStateValues, 0.0);
    m_valTau.assign(n * kStateValues, 0.0);
    m_utilFib.assign(static_cast<size_t>(fields * checks), 0.0);
    m_utilFy.assign(static_cast<size_t>(fields * checks), 0.0);
    m_plateEnabled.assign(static_cast<size_t>(plates), 0);
    return true;
}

int CPlateStressTable::FieldAt(double x) const
{
    const int n = static_cast<int>(m_field.size());
    for (int i = 0; i < n; ++i)
        if (m_field[static_cast<size_t>(i)] >= x) return i;
    return n - 1;
}

long CPlateStressTable::Entry(int field, int check, int plate) const
{
    if (field < 0 || field >= m_numOfFields || check < 0 || check >= m_numOfChecks || plate < 0 ||
        plate >= m_numOfPlates)
        return -1;
    const long e = (static_cast<long>(m_numOfChecks) * field + check) * m_numOfPlates + plate;
    return static_cast<size_t>(e) < m_minSx.size() ? e : -1;
}

void CPlateStressTable::Store(std::vector<double>& values, std::vector<double>& states, std::vector<int32_t>& infos,
                              int plate, double value, double x, const double* rest, int check, int info)
{
    const long e = Entry(FieldAt(x), check, plate);
    if (e < 0 || static_cast<size_t>(e) >= values.size() || static_cast<size_t>(e) >= infos.size() ||
        static_cast<size_t>((e + 1) * kStateValues) > states.size())
        return;
    values[static_cast<size_t>(e)] = value;
    double* state = states.data() + e * kStateValues;
    state[0] = x;
    for (int k = 1; k < kStateValues; ++k) state[k] = rest ? rest[k - 1] : 0.0;
    infos[static_cast<size_t>(e)] = info;
    if (static_cast<size_t>(plate) < m_plateEnabled.size()) m_plateEnabled[static_cast<size_t>(plate)] = 1;
}

void CPlateStressTable::StoreSigma(int plate, double value, double x, const double* rest, int check, int info)
{
    Store(m_minSx, m_valSx, m_infoSx, plate, value, x, rest, check, info);
}

void CPlateStressTable::StoreTau(int plate, double value, double x, const double* rest, int check, int info)
{
    Store(m_maxTau, m_valTau, m_infoTau, plate, value, x, rest, check, info);
}

double CPlateStressTable::GetSigma(int field, int plate, int check) const
{
    const long e = Entry(field, check, plate);
    return e < 0 ? 0.0 : m_minSx[static_cast<size_t>(e)];
}

double CPlateStressTable::GetTau(int field, int plate, int check) const
{
    const long e = Entry(field, check, plate);
    return e < 0 || static_cast<size_t>(e) >= m_maxTau.size() ? 0.0 : m_maxTau[static_cast<size_t>(e)];
}

// ---- stress functions -----------------------------------------------------

double CalcEquivalentStress(double sx, double sy, double sz, double txy, double txz, double tyz)
{
    const double v = sx * sx + sy * sy + sz * sz - sx * sy - sx * sz - sy * sz + 3.0 * (txy * txy + txz * txz + tyz * tyz);
    return std::sqrt(std::max(v, 0.0));
}

double CalcUtilisation(double s, double a, double b, double /*d*/, double c)
{
    double r = 0.0;
    if (std::fabs(a) > 0.01 && std::fabs(c) > 0.01) r = std::fabs(s) / std::fabs(c * 1000.0 / a);
    if (std::fabs(b) > 0.01) r = std::max(r, std::fabs(s) / b);
    return r;
}

void CPlateStressTable::WriteData(ZVELEM e) const
{
    ZEVUD_SetInt(e, "numOfPlates", m_numOfPlates);
    ZEVUD_SetInt(e, "numOfChecks", m_numOfChecks);
    ZEVUD_SetInt(e, "numOfFields", m_numOfFields);
    zevud::SetDoubles(e, "minSx", m_minSx);
    zevud::SetDoubles(e, "valSx", m_valSx);
    zevud::SetDoubles(e, "maxTau", m_maxTau);
    zevud::SetDoubles(e, "valTau", m_valTau);
    zevud::SetDoubles(e, "util", m_util);
    zevud::SetDoubles(e, "utilFib", m_utilFib);
    zevud::SetDoubles(e, "utilFy", m_utilFy);
    zevud::SetDoubles(e, "field", m_field);
    zevud::SetInts(e, "infoSx", m_infoSx);
    zevud::SetInts(e, "infoTau", m_infoTau);
    zevud::SetInts(e, "maxFrom", m_maxFrom);
    zevud::SetInts(e, "plateEnabled", m_plateEnabled);
}

void CPlateStressTable::ReadData(ZVELEM e)
{
    m_numOfPlates = ZEVUD_GetInt(e, "numOfPlates");
    m_numOfChecks = ZEVUD_GetInt(e, "numOfChecks");
    m_numOfFields = ZEVUD_GetInt(e, "numOfFields");
    // Each list is as long as its stored data.
    m_minSx = zevud::GetDoubles(e, "minSx");
    m_valSx = zevud::GetDoubles(e, "valSx");
    m_maxTau = zevud::GetDoubles(e, "maxTau");
    m_valTau = zevud::GetDoubles(e, "valTau");
    m_util = zevud::GetDoubles(e, "util");
    m_utilFib = zevud::GetDoubles(e, "utilFib");
    m_utilFy = zevud::GetDoubles(e, "utilFy");
    m_field = zevud::GetDoubles(e, "field");
    m_infoSx = zevud::GetInts(e, "infoSx");
    m_infoTau = zevud::GetInts(e, "infoTau");
    m_maxFrom = zevud::GetInts(e, "maxFrom");
    m_plateEnabled = zevud::GetInts(e, "plateEnabled");
}

// ---- fatigue details ----------------------------------------------------

void CFatigueDetailTable::Clear()
{
    m_numOfCranes = 0;
    m_numOfPOIs = 0;
    m_val.clear();
    m_bUsed.clear();
}

bool CFatigueDetailTable::SetSize(int numOfCranes, int numOfPOIs)
{
    const long records = Product({numOfCranes, numOfPOIs, 2});
    if (records < 0 || Product({records, kRecordValues}) < 0) {
        Clear();
        return false;
    }
    m_numOfCranes = numOfCranes;
    m_numOfPOIs = numOfPOIs;
    m_val.assign(static_cast<size_t>(records * kRecordValues), 0.0);
    m_bUsed.assign(static_cast<size_t>(records), 0);
    return true;
}

long CFatigueDetailTable::RecordIndex(int poi, int crane, int side) const
{
    if (poi < 0 || poi >= m_numOfPOIs || crane < 0 || crane >= m_numOfCranes || side < 0 || side > 1) return -1;
    const long r = 2L * (static_cast<long>(poi) * m_numOfCranes + crane) + side;
    if (static_cast<size_t>(r) >= m_bUsed.size() || static_cast<size_t>((r + 1) * kRecordValues) > m_val.size())
        return -1;
    return r;
}

bool CFatigueDetailTable::UpdateFatigueResult(int poi, int crane, double first, int side, const double* further,
                                              double governing, double last)
{
    const long r = RecordIndex(poi, crane, side);
    if (r < 0 || !further) return false;
    double* rec = m_val.data() + r * kRecordValues;
    if (m_bUsed[static_cast<size_t>(r)] && !(governing > rec[kGoverning])) return true;
    rec[0] = first;
    std::copy(further, further + 22, rec + 1);
    rec[kGoverning] = governing;
    rec[24] = last;
    m_bUsed[static_cast<size_t>(r)] = 1;
    return true;
}

const double* CFatigueDetailTable::Record(int poi, int crane, int side) const
{
    const long r = RecordIndex(poi, crane, side);
    return r < 0 ? nullptr : m_val.data() + r * kRecordValues;
}

bool CFatigueDetailTable::IsUsed(int poi, int crane, int side) const
{
    const long r = RecordIndex(poi, crane, side);
    return r >= 0 && m_bUsed[static_cast<size_t>(r)] != 0;
}

void CFatigueDetailTable::WriteData(ZVELEM e) const
{
    ZEVUD_SetInt(e, "numOfCranes", m_numOfCranes);
    ZEVUD_SetInt(e, "numOfPOIs", m_numOfPOIs);
    zevud::SetDoubles(e, "val", m_val);
    zevud::SetInts(e, "bUsed", m_bUsed);
}

void CFatigueDetailTable::ReadData(ZVELEM e)
{
    if (!SetSize(ZEVUD_GetInt(e, "numOfCranes"), ZEVUD_GetInt(e, "numOfPOIs"))) return;
    binarray::CopyInto(m_val, zevud::GetDoubles(e, "val", static_cast<long>(m_val.size())));
    binarray::CopyInto(m_bUsed, zevud::GetInts(e, "bUsed", static_cast<long>(m_bUsed.size())));
}

// ---- rail welds ---------------------------------------------------------

void CRailWeldTable::Clear()
{
    m_numOfGroupe = m_numOfCranes = m_numOfxPos = m_numOfAxis = 0;
    m_val.clear();
    m_bUsed.clear();
}

bool CRailWeldTable::SetSize(int numOfGroupe, int numOfCranes, int numOfxPos, int numOfAxis)
{
    const long n = Product({numOfGroupe, numOfCranes, numOfxPos, numOfAxis, kRecordValues});
    if (n < 0) {
        Clear();
        return false;
    }
    m_numOfGroupe = numOfGroupe;
    m_numOfCranes = numOfCranes;
    m_numOfxPos = numOfxPos;
    m_numOfAxis = numOfAxis;
    m_val.assign(static_cast<size_t>(n), 0.0);
    m_bUsed.assign(static_cast<size_t>(n), 0);
    return true;
}

long CRailWeldTable::RailWeldIndex(int group, int crane, int position, int axle) const
{
    if (group < 0 || group >= m_numOfGroupe || crane < 0 || crane >= m_numOfCranes || position < 0 ||
        position >= m_numOfxPos || axle < 0 || axle >= m_numOfAxis)
        return -1;
    const long entry = ((static_cast<long>(group) * m_numOfCranes + crane) * m_numOfxPos + position) * m_numOfAxis + axle;
    const long i = entry * kRecordValues;
    return static_cast<size_t>(i + kRecordValues) <= m_val.size() ? i : -1;
}

bool CRailWeldTable::Update(int group, int crane, int position, int axle, double aw, double Pz, double Hx, double Hy,
                            double Qz, double Qy, double utl, double Gv, double Gz, double Ts, double Tp)
{
    const long i = RailWeldIndex(group, crane, position, axle);
    if (i < 0) return false;
    const size_t flag = static_cast<size_t>(i / kRecordValues);
    double* v = m_val.data() + i;
    if (m_bUsed[flag] && !(utl > v[10])) return true;
    const double values[kRecordValues] = {static_cast<double>(group), static_cast<double>(crane),
                                          static_cast<double>(position), static_cast<double>(axle), aw, Pz, Hx, Hy, Qz,
                                          Qy, utl, Gv, Gz, Ts, Tp};
    std::copy(values, values + kRecordValues, v);
    m_bUsed[flag] = 1;
    return true;
}

bool CRailWeldTable::IsSet(int group, int crane, int position, int axle) const
{
    const long i = RailWeldIndex(group, crane, position, axle);
    return i >= 0 && m_bUsed[static_cast<size_t>(i / kRecordValues)] != 0;
}

void CRailWeldTable::Dump(FILE* file) const
{
    FILE* f = file;
    if (!f) {
        if (!IsDeveloperDumpOn()) return;
        f = std::fopen("RailWeldingDump.txt", "w");
        if (!f) return;
    }
    for (int g = 0; g < m_numOfGroupe; ++g)
        for (int c = 0; c < m_numOfCranes; ++c)
            for (int p = 0; p < m_numOfxPos; ++p)
                for (int a = 0; a < m_numOfAxis; ++a) {
                    if (!IsSet(g, c, p, a)) continue;
                    const double* v = m_val.data() + RailWeldIndex(g, c, p, a);
                    std::fprintf(f,
                                 "iGroup=%2d, iCrane=%1d, iPos=%2d, iAxis=%1d:: aw=%4.1lf, Pz=%5.1lf, Hx=%5.1lf, "
                                 "Hy=%5.1lf, Qz=%5.1lf, Qy=%5.1lf,   utl=%5.2lf, Gv=%6.2lf, Gz=%6.2lf, Ts=%6.2lf, "
                                 "Tp=%6.2lf,  iGrp1=%2d, iCrane=%1d, iPos1=%2d, iAxis=%1d\n",
                                 g, c, p, a, v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12], v[13], v[14],
                                 static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
                                 static_cast<int>(v[3]));
                }
    if (f != file) std::fclose(f);
}

void CRailWeldTable::WriteData(ZVELEM e) const
{
    ZEVUD_SetInt(e, "numOfGroupe", m_numOfGroupe);
    ZEVUD_SetInt(e, "numOfCranes", m_numOfCranes);
    ZEVUD_SetInt(e, "numOfxPos", m_numOfxPos);
    ZEVUD_SetInt(e, "numOfAxis", m_numOfAxis);
    zevud::SetDoubles(e, "val", m_val);
    zevud::SetInts(e, "bUsed", m_bUsed);
}

void CRailWeldTable::ReadData(ZVELEM e)
{
    if (!SetSize(ZEVUD_GetInt(e, "numOfGroupe"), ZEVUD_GetInt(e, "numOfCranes"), ZEVUD_GetInt(e, "numOfxPos"),
                 ZEVUD_GetInt(e, "numOfAxis")))
        return;
    binarray::CopyInto(m_val, zevud::GetDoubles(e, "val", static_cast<long>(m_val.size())));
    binarray::CopyInto(m_bUsed, zevud::GetInts(e, "bUsed", static_cast<long>(m_bUsed.size())));
}
