#include "module/Rail.h"

#include <utility>

#include "input/MateHandler.h"
#include "platform/ferrum/rail_composite.h"
#include "platform/winsys/winsys.h"

namespace {

const char* const kRailCategory = "Kranschienen";

double PlainNumber(const std::string& text)
{
    return winsys::ParseDouble(text).value_or(0.0);
}

}  // namespace

void CRail::Init()
{
    m_bCalculation = 0;
    m_bRigid = 1;
    m_connection = 2;
    m_sTyp.clear();
    m_sNorm.clear();
    m_sObj.clear();
    m_iTyp = 2;
    m_iNorm = 0;
    m_iObj = 0;
    m_b.SetValue(220.0);
    m_h.SetValue(12.0);
    m_d.SetValue(5.0);
    m_dBolt.SetValue(0.0);
    m_xpos = 0.0;
    m_SchweissnahtL.SetValue(0.0);
    m_SchweissnahtUnterbrochenL.SetValue(0.0);
    m_strSkwDir.clear();
}

void CRail::SetVariableTable(CVariableTable* table)
{
    for (CFormulaValue* v : {&m_b, &m_h, &m_d, &m_dBolt, &m_SchweissnahtL, &m_SchweissnahtUnterbrochenL})
        v->SetVariableTable(table);
}

void CRail::ReadData(ZVELEM e)
{
    m_iTyp = ZEVUD_GetInt(e, "iTyp");
    m_iNorm = ZEVUD_GetInt(e, "iNorm");
    m_iObj = ZEVUD_GetInt(e, "iObj");
    m_sTyp = zevud::GetString(e, "sTyp");
    m_sNorm = zevud::GetString(e, "sNorm");
    m_sObj = zevud::GetString(e, "sObj");
    m_bCalculation = ZEVUD_GetInt(e, "bCalculation");
    m_bRigid = ZEVUD_GetIntWithDefault(e, "bRigid", 1);
    m_connection = ZEVUD_GetInt(e, "connection");
    m_b.ReadFromDom(e, "b");
    m_h.ReadFromDom(e, "h");
    m_d.ReadFromDom(e, "d");
    m_dBolt.ReadFromDom(e, "dBolt");
    m_xpos = ZEVUD_GetDouble(e, "xpos");
    m_SchweissnahtL.ReadFromDom(e, "SchweissnahtL");
    m_SchweissnahtUnterbrochenL.ReadFromDom(e, "SchweissnahtUnterbrochenL");
    m_strSkwDir.clear();
    if (m_iTyp > 1) {
        ZVELEM mate = ZEVUD_FindFirstChild(e, "mate");
        ZVELEM obj = mate ? ZEVUD_FindFirstChild(mate, "Objekt") : 0;
        if (obj) m_strSkwDir = CMateList(obj, 0).GetValue("skwdir");
    }
}

void CRail::WriteData(ZVELEM e)
{
    if (m_connection != 1) {
        m_SchweissnahtL.SetValue(0.0);
        m_SchweissnahtUnterbrochenL.SetValue(0.0);
    }
    ZEVUD_SetInt(e, "iTyp", m_iTyp);
    ZEVUD_SetInt(e, "iNorm", m_iNorm);
    ZEVUD_SetInt(e, "iObj", m_iObj);
    ZEVUD_SetString(e, "sTyp", m_sTyp.c_str());
    ZEVUD_SetString(e, "sNorm", m_sNorm.c_str());
    ZEVUD_SetString(e, "sObj", m_sObj.c_str());
    ZEVUD_SetInt(e, "bCalculation", m_bCalculation);
    ZEVUD_SetInt(e, "bRigid", m_bRigid);
    ZEVUD_SetInt(e, "connection", m_connection);
    m_b.WriteToDom(e, "b");
    m_h.WriteToDom(e, "h");
    m_d.WriteToDom(e, "d");
    m_dBolt.WriteToDom(e, "dBolt");
    ZEVUD_SetDouble(e, "xpos", m_xpos);
    m_SchweissnahtL.WriteToDom(e, "SchweissnahtL");
    m_SchweissnahtUnterbrochenL.WriteToDom(e, "SchweissnahtUnterbrochenL");
    for (const char* child : {"mate", "calcVals"})
        for (ZVELEM old = ZEVUD_FindFirstChild(e, child); old; old = ZEVUD_FindFirstChild(e, child))
            if (!ZEVUD_DeleteElement(old)) break;
    if (m_iTyp > 1) {
        CMateList rail;
        GetMateHandler().FindObject(rail, kRailCategory, m_sTyp, m_sNorm, m_sObj);
        if (!rail.IsEmpty()) {
            ZVELEM obj = ZEVUD_AddChildElement(ZEVUD_AddChildElement(e, "mate"), "Objekt");
            ZEVUD_SetString(obj, "Name", m_sObj.c_str());
            rail.WriteToDom(obj);
        }
    }
    CRailValues v;
    if (m_iTyp >= 1 && m_bCalculation && GetRailValues(v)) {
        ZVELEM c = ZEVUD_AddChildElement(e, "calcVals");
        ZEVUD_SetDouble(c, "A", v.A75);
        ZEVUD_SetDouble(c, "h", v.h75);
        ZEVUD_SetDouble(c, "b", v.b1);
        ZEVUD_SetDouble(c, "Iy", v.Iy75);
        ZEVUD_SetDouble(c, "Iz", v.Iz75);
        ZEVUD_SetDouble(c, "It", v.It75);
        ZEVUD_SetDouble(c, "e1", v.e175);
    }
}

bool CRail::GetRailValues(CRailValues& v) const
{
    if (m_iTyp > 1) {
        CMateList rail;
        GetMateHandler().FindObject(rail, kRailCategory, m_sTyp, m_sNorm, m_sObj);
        if (rail.IsEmpty()) return false;
        v.A = PlainNumber(rail.GetValue("A"));
        v.A75 = PlainNumber(rail.GetValue("A75"));
        v.h = PlainNumber(rail.GetValue("h"));
        v.h75 = PlainNumber(rail.GetValue("h75"));
        v.b1 = PlainNumber(rail.GetValue("b1"));
        v.k = PlainNumber(rail.GetValue("k"));
        v.Iy75 = PlainNumber(rail.GetValue("Iy75"));
        v.Iz75 = PlainNumber(rail.GetValue("Iz75"));
        v.It75 = PlainNumber(rail.GetValue("It75"));
        v.e175 = PlainNumber(rail.GetValue("e175"));
        return true;
    }
    if (m_iTyp != 1) return false;
    // Flat bar, dimensions in mm; worn to 75 % of its height.
    const double h = m_h.GetValue() / 10.0, b = m_b.GetValue() / 10.0;
    const double hw = 0.75 * h;
    v.A = b * h;
    v.h = h;
    v.b1 = v.k = b;
    v.h75 = hw;
    v.A75 = b * hw;
    v.Iy75 = b * hw * hw * hw / 12.0;
    v.Iz75 = hw * b * b * b / 12.0;
    const double lo = b > hw ? b : hw, sh = b > hw ? hw : b;
    v.It75 = lo * sh * sh * sh / 3.0;
    v.e175 = hw / 2.0;
    return true;
}

bool CRail::AddRailToSection(SektTqs& t, double zTop) const
{
    CRailValues v;
    if (!GetRailValues(v)) return false;
    ferrum::SectionPart girder;
    girder.A = t.A;
    girder.y0 = t.y0;
    girder.z0 = t.z0;
    girder.Iyy = t.Ayy;
    girder.Izz = t.Azz;
    girder.Iyz = t.Ayz;
    ferrum::AddPartToSection(girder, ferrum::RailPart(v.A75, v.Iy75, v.Iz75, v.e175, zTop));
    t.A = girder.A;
    t.y0 = girder.y0;
    t.z0 = girder.z0;
    t.Ayy = girder.Iyy;
    t.Azz = girder.Izz;
    t.Ayz = girder.Iyz;
    // The closed cells keep their own part; the rail is an open part.
    t.Ito += v.It75;
    t.It = t.Ito + t.Itg;
    return true;
}
