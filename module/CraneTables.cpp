#include "module/CraneTables.h"

#include <algorithm>

#include "module/frame/BinaryArrays.h"

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

void CPlateBucklingTable::Clear() { *this = CPlateBucklingTable(); }

void CPlateBucklingTable::WriteData(ZVELEM e) const
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

void CPlateBucklingTable::ReadData(ZVELEM e)
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
