#include "module/Section.h"

#include <cmath>

#include "input/MateHandler.h"
#include "input/StdProfile.h"
#include "module/frame/BinaryArrays.h"
#include "module/RecordOwner.h"
#include "platform/common/norm_codes.h"
#include "platform/lingo/lingo.h"
#include "platform/shaper/shaper.h"
#include "platform/winsys/winsys.h"

namespace {

std::string Tr(const std::string& text) { return lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text); }

double Number(const CMateList& m, const char* key) { return winsys::ParseDouble(m.GetValue(key)).value_or(0.0); }

void DeleteChildren(ZVELEM e, const char* name)
{
    for (ZVELEM c = ZEVUD_FindFirstChild(e, name); c; c = ZEVUD_FindFirstChild(e, name))
        if (!ZEVUD_DeleteElement(c)) break;
}

// An outline list from a binary attribute of doubles, at most count points.
std::vector<double> ReadContour(ZVELEM e, const char* key, int count)
{
    if (count <= 0) return {};
    return zevud::GetDoubles(e, key, count);
}

void Extents(const std::vector<double>& x, const std::vector<double>& y, double& y1, double& z1, double& y2,
             double& z2)
{
    y1 = z1 = y2 = z2 = 0;
    const size_t n = std::min(x.size(), y.size());
    for (size_t i = 0; i < n; ++i) {
        if (i == 0 || x[i] < y1) y1 = x[i];
        if (i == 0 || x[i] > y2) y2 = x[i];
        if (i == 0 || y[i] < z1) z1 = y[i];
        if (i == 0 || y[i] > z2) z2 = y[i];
    }
}

// The type and dimensions of a parametric section; a type whose
// dimensions do not make a section reads as wall lines without dimensions.
void ReadShape(ZVELEM e, const char* typeKey, const char* dimsKey, int& type, std::vector<double>& dims)
{
    type = 0;
    dims.clear();
    const int t = ZEVUD_GetIntWithDefault(e, typeKey, 0);
    if (t == 0) return;
    const std::vector<double> d = zevud::GetDoubles(e, dimsKey, 16);
    std::string message;
    if (!Shaper_CheckDimensions(t, d, message)) return;
    type = t;
    dims = d;
}

void WriteShape(ZVELEM e, const char* typeKey, const char* dimsKey, int type, const std::vector<double>& dims)
{
    if (type == 0 || dims.empty()) return;
    ZEVUD_SetInt(e, typeKey, type);
    zevud::SetDoubles(e, dimsKey, dims);
}

}  // namespace

CSection::CSection()
{
    m_profFamily = "HEA";
    m_profName = "HEA 200";
    m_strMaterial = "St37-2";
}

CSection::CSection(const CSection& other) { *this = other; }

CSection& CSection::operator=(const CSection& o)
{
    if (this == &o) return *this;
    m_profFamily = o.m_profFamily;
    m_profName = o.m_profName;
    m_profName2 = o.m_profName2;
    m_strMaterial = o.m_strMaterial;
    m_iFamily = o.m_iFamily;
    m_iProfile = o.m_iProfile;
    m_iProfile2 = o.m_iProfile2;
    m_iReserved = o.m_iReserved;
    m_iNorm = o.m_iNorm;
    m_profSelType = o.m_profSelType;
    m_gamma = o.m_gamma;
    m_gamma_m = o.m_gamma_m;
    m_gamma_m1 = o.m_gamma_m1;
    m_strength = o.m_strength;
    m_gamma_mf = o.m_gamma_mf;
    m_profile = o.m_profile;
    m_profile2 = o.m_profile2;
    m_iReserved2 = o.m_iReserved2;
    m_pOwner = o.m_pOwner;
    m_iField = o.m_iField;
    m_contourX = o.m_contourX;
    m_contourY = o.m_contourY;
    m_contourX2 = o.m_contourX2;
    m_contourY2 = o.m_contourY2;
    m_schwerX = o.m_schwerX;
    m_schwerY = o.m_schwerY;
    m_schwerX2 = o.m_schwerX2;
    m_schwerY2 = o.m_schwerY2;
    m_schubX = o.m_schubX;
    m_schubY = o.m_schubY;
    m_schubX2 = o.m_schubX2;
    m_schubY2 = o.m_schubY2;
    m_rotAngle = o.m_rotAngle;
    m_bMirrorY = o.m_bMirrorY;
    m_bMirrorZ = o.m_bMirrorZ;
    m_bVoute = o.m_bVoute;
    m_nTeilung = o.m_nTeilung;
    m_ptyp = o.m_ptyp;
    m_nShapeType = o.m_nShapeType;
    m_shapeDims = o.m_shapeDims;
    m_nShapeType2 = o.m_nShapeType2;
    m_shapeDims2 = o.m_shapeDims2;
    m_strCarriedMaterial = o.m_strCarriedMaterial;
    return *this;
}

void CSection::SetDefault()
{
    CRecordOwner* owner = m_pOwner;
    const int field = m_iField;
    *this = CSection();
    m_pOwner = owner;
    m_iField = field;
    LookUpCatalogue(false);
    m_iProfile2 = 0;
}

void CSection::LookUpCatalogue(bool report)
{
    int s = -1, p = -1;
    GetStdProfile().FindProfile(m_profFamily, m_profName, s, p);
    if (s < 0 || p < 0) {
        if (report) {
            const char* fmt = "Profil %s aus der Reihe %s nicht gefunden.\nBitte Querschnittsdefinitionen überprüfen!";
            winsys::MessageBox(lingo::FormatTranslated(fmt, Tr(fmt), m_profName, m_profFamily));
        }
        m_iFamily = m_iProfile = 0;
        return;
    }
    m_iFamily = s;
    m_iProfile = p;
}

std::string CSection::GetProfileKey(int end) const
{
    if (m_profSelType != 0) return "PS" + std::to_string(m_iField + 1) + (end ? "E" : "A");
    return end ? m_profName2 : m_profName;
}

std::string CSection::GetMaterialCategory() const { return m_iNorm == kNormEc9 ? "Aluminium" : "Stahl"; }
std::string CSection::GetMaterialSubcategory() const { return m_iNorm == kNormEc9 ? "Aluminium" : "Baustahl"; }

std::string CSection::GetMaterialNorm() const
{
    if (m_iNorm == kNormEc9) return "EC9";
    if (m_pOwner && m_pOwner->GetMatBB()) return "Nachrechnung";
    return m_iNorm == kNormDin18800 ? "DIN 18800" : m_iNorm == kNormEc3 ? "EC 3" : "EC3 NA (DE)";
}

std::string CSection::SectionFile() const { return m_pOwner ? m_pOwner->GetTempSectionFileName() : std::string(); }

void CSection::ReadMaterial(ZVELEM e)
{
    ZVELEM mate = ZEVUD_FindFirstChild(e, "mate");
    if (!mate || ZEVUD_FindNextChild(mate, "mate")) return;  // none, or not exactly one
    ZVELEM obj = ZEVUD_FindFirstChild(mate, "Objekt");
    if (!obj) return;
    m_strCarriedMaterial = zevud::GetString(obj, "Name");
    GetMateHandler().CheckAgainstDatabase(GetMaterialCategory(), GetMaterialSubcategory(), GetMaterialNorm(), obj, 1);
    const CMateList m(obj, 0);
    m_gamma = Number(m, "gamma");
    m_gamma_m = Number(m, "gamma_m");
    m_gamma_m1 = Number(m, "gamma_m1");
    if (std::fabs(m_gamma_m1) < 0.0001) m_gamma_m1 = m_gamma_m;
    m_gamma_mf = Number(m, "gamma_mf");
    const double fyk = Number(m, "fyk"), fo = Number(m, "fo");
    m_strength = fyk > fo ? fyk : fo;
}

bool CSection::MaterialKnown() const
{
    // The grade must be one of the material database: a position that
    // carries a grade of its own (its "mate" object of the same name) brings
    // values nobody has checked.
    return GetMateHandler().KnowsObject(GetMaterialCategory(), GetMaterialSubcategory(), GetMaterialNorm(),
                                        m_strMaterial);
}

void CSection::ReadData(ZVELEM e)
{
    m_strCarriedMaterial.clear();
    m_iNorm = ZEVUD_GetInt(e, "iNorm");
    m_profSelType = ZEVUD_GetInt(e, "profSelType");
    m_profFamily = zevud::GetString(e, "profFamily");
    m_profName = zevud::GetString(e, "profName");
    m_ptyp = ZEVUD_GetIntWithDefault(e, "ptyp", -1);

    m_nShapeType = m_nShapeType2 = 0;
    m_shapeDims.clear();
    m_shapeDims2.clear();
    if (m_profSelType != 0) {
        const std::string file = SectionFile();
        if (!file.empty()) m_profile.LoadFromDatabase(file.c_str(), "", GetProfileKey(0).c_str());
        ReadShape(e, "shapeType", "shapeDims", m_nShapeType, m_shapeDims);
    } else {
        LookUpCatalogue(true);
    }

    ReadMaterial(e);

    m_strMaterial = zevud::GetString(e, "strMaterial");
    const int n = ZEVUD_GetInt(e, "nContour");
    m_contourX = ReadContour(e, "contourX", n);
    m_contourY = ReadContour(e, "contourY", n);
    m_schwerX = ZEVUD_GetDouble(e, "schwerX");
    m_schwerY = ZEVUD_GetDouble(e, "schwerY");
    m_schubX = ZEVUD_GetDouble(e, "schubX");
    m_schubY = ZEVUD_GetDouble(e, "schubY");
    m_rotAngle = ZEVUD_GetDouble(e, "rotAngle");
    m_bMirrorY = ZEVUD_GetInt(e, "bMirrorY");
    m_bMirrorZ = ZEVUD_GetInt(e, "bMirrorZ");
    m_bVoute = ZEVUD_GetInt(e, "bVoute");
    m_nTeilung = ZEVUD_GetInt(e, "nTeilung");
    m_profName2.clear();
    m_contourX2.clear();
    m_contourY2.clear();
    m_schwerX2 = m_schwerY2 = m_schubX2 = m_schubY2 = 0;
    m_iProfile2 = 0;
    if (m_bVoute) {
        m_profName2 = zevud::GetString(e, "profName2");
        if (m_profSelType != 0) {
            const std::string file = SectionFile();
            if (!file.empty()) m_profile2.LoadFromDatabase(file.c_str(), "", GetProfileKey(1).c_str());
            ReadShape(e, "shapeType2", "shapeDims2", m_nShapeType2, m_shapeDims2);
        } else {
            int s = -1, p = -1;
            GetStdProfile().FindProfile(m_profFamily, m_profName2, s, p);
            m_iProfile2 = p < 0 ? 0 : p;
        }
        const int n2 = ZEVUD_GetInt(e, "nContour2");
        m_contourX2 = ReadContour(e, "contourX2", n2);
        m_contourY2 = ReadContour(e, "contourY2", n2);
        m_schwerX2 = ZEVUD_GetDouble(e, "schwerX2");
        m_schwerY2 = ZEVUD_GetDouble(e, "schwerY2");
        m_schubX2 = ZEVUD_GetDouble(e, "schubX2");
        m_schubY2 = ZEVUD_GetDouble(e, "schubY2");
    }
    double y1, z1, y2, z2;
    ComputeGeometry(0, y1, z1, y2, z2);
}

void CSection::WriteData(ZVELEM e)
{
    ZEVUD_SetInt(e, "iNorm", m_iNorm);
    ZEVUD_SetInt(e, "profSelType", m_profSelType);
    ZEVUD_SetString(e, "profFamily", m_profFamily.c_str());
    ZEVUD_SetString(e, "profName", m_profName.c_str());
    ZEVUD_SetString(e, "strMaterial", m_strMaterial.c_str());
    ZEVUD_SetInt(e, "ptyp", m_ptyp);
    const int n = static_cast<int>(std::min(m_contourX.size(), m_contourY.size()));
    ZEVUD_SetInt(e, "nContour", n);
    if (n) {
        zevud::SetDoubles(e, "contourX", std::vector<double>(m_contourX.begin(), m_contourX.begin() + n));
        zevud::SetDoubles(e, "contourY", std::vector<double>(m_contourY.begin(), m_contourY.begin() + n));
    }
    ZEVUD_SetDouble(e, "schwerX", m_schwerX);
    ZEVUD_SetDouble(e, "schwerY", m_schwerY);
    ZEVUD_SetDouble(e, "schubX", m_schubX);
    ZEVUD_SetDouble(e, "schubY", m_schubY);
    ZEVUD_SetDouble(e, "rotAngle", m_rotAngle);
    ZEVUD_SetInt(e, "bMirrorY", m_bMirrorY);
    ZEVUD_SetInt(e, "bMirrorZ", m_bMirrorZ);
    ZEVUD_SetInt(e, "bVoute", m_bVoute);
    ZEVUD_SetInt(e, "nTeilung", m_nTeilung);
    if (m_profSelType != 0) {
        WriteShape(e, "shapeType", "shapeDims", m_nShapeType, m_shapeDims);
        if (m_bVoute) WriteShape(e, "shapeType2", "shapeDims2", m_nShapeType2, m_shapeDims2);
    }
    if (m_bVoute) {
        ZEVUD_SetString(e, "profName2", m_profName2.c_str());
        const int n2 = static_cast<int>(std::min(m_contourX2.size(), m_contourY2.size()));
        ZEVUD_SetInt(e, "nContour2", n2);
        if (n2) {
            zevud::SetDoubles(e, "contourX2", std::vector<double>(m_contourX2.begin(), m_contourX2.begin() + n2));
            zevud::SetDoubles(e, "contourY2", std::vector<double>(m_contourY2.begin(), m_contourY2.begin() + n2));
        }
        ZEVUD_SetDouble(e, "schwerX2", m_schwerX2);
        ZEVUD_SetDouble(e, "schwerY2", m_schwerY2);
        ZEVUD_SetDouble(e, "schubX2", m_schubX2);
        ZEVUD_SetDouble(e, "schubY2", m_schubY2);
    }

    // The profile references: the start profile, and the end profile of a
    // haunch.
    DeleteChildren(e, "sectlib");
    DeleteChildren(e, "sectlib2");
    const std::string file = SectionFile();
    for (int end = 0; end <= (m_bVoute ? 1 : 0); ++end) {
        ZVELEM ref = ZEVUD_AddChildElement(e, end ? "sectlib2" : "sectlib");
        CSectProfile& prof = end ? m_profile2 : m_profile;
        if (m_profSelType != 0) {
            prof.WriteToDom(ref, file, "", GetProfileKey(end));
        } else {
            // The catalogue profile as the section file holds it: no folder,
            // under its name.
            const std::string& name = end ? m_profName2 : m_profName;
            int s = -1, p = -1;
            SektGqs g{};
            SektSqs d{};
            std::vector<PlateRadii> plates;
            GetStdProfile().FindProfile(m_profFamily, name, s, p);
            if (s >= 0 && p >= 0 && GetStdProfile().GetValues(s, p, g, d, &plates))
                WriteProfileReference(ref, file, "", name, g, d, plates);
        }
    }

    // The material, when the catalogue holds it.
    CMateList m;
    GetMateHandler().FindObject(m, GetMaterialCategory(), GetMaterialSubcategory(), GetMaterialNorm(), m_strMaterial);
    if (!m.IsEmpty()) {
        DeleteChildren(e, "mate");
        ZVELEM obj = ZEVUD_AddChildElement(ZEVUD_AddChildElement(e, "mate"), "Objekt");
        ZEVUD_SetString(obj, "Name", m_strMaterial.c_str());
        m.WriteToDom(obj);
    }
}

void CSection::ComputeGeometry(int end, double& y1, double& z1, double& y2, double& z2)
{
    if (end != 0 && !m_bVoute) end = 0;
    std::vector<double>& cx = end ? m_contourX2 : m_contourX;
    std::vector<double>& cy = end ? m_contourY2 : m_contourY;
    bool loaded = false;
    SektGqs g{};
    SektSqs s{};
    std::vector<double> x, y;
    if (m_profSelType == 0) {
        int si = -1, pi = -1;
        GetStdProfile().FindProfile(m_profFamily, end ? m_profName2 : m_profName, si, pi);
        if (si >= 0 && pi >= 0 && GetStdProfile().GetValues(si, pi, g, s, nullptr)) {
            GetStdProfile().GetContourPolygon(si, pi, x, y, 3);
            loaded = true;
        }
    } else {
        CSectProfile& prof = end ? m_profile2 : m_profile;
        if (prof.IsValid()) {
            prof.Calculate();
            prof.GetContour(x, y, 3);
            prof.GetGrossValues(g);
            prof.GetStressValues(s);
            loaded = true;
        }
    }
    if (loaded) {
        const double a = m_rotAngle * M_PI / 180.0, c = std::cos(a), sn = std::sin(a);
        for (size_t i = 0; i < x.size() && i < y.size(); ++i) {
            double px = m_bMirrorY ? -x[i] : x[i];
            double pz = m_bMirrorZ ? -y[i] : y[i];
            x[i] = px * c - pz * sn;
            y[i] = px * sn + pz * c;
        }
        cx = x;
        cy = y;
        (end ? m_schwerX2 : m_schwerX) = g.y0;
        (end ? m_schwerY2 : m_schwerY) = g.z0;
        (end ? m_schubX2 : m_schubX) = g.ym;
        (end ? m_schubY2 : m_schubY) = g.zm;
        m_ptyp = s.Ptyp;
    }
    Extents(cx, cy, y1, z1, y2, z2);
}

void CSection::InterpolateAt(double t, double& sx, double& sy, double& mx, double& my) const
{
    sx = m_schwerX;
    sy = m_schwerY;
    mx = m_schubX;
    my = m_schubY;
    if (!m_bVoute) return;
    sx += (m_schwerX2 - m_schwerX) * t;
    sy += (m_schwerY2 - m_schwerY) * t;
    mx += (m_schubX2 - m_schubX) * t;
    my += (m_schubY2 - m_schubY) * t;
}

void CSection::GetContourAt(double t, std::vector<double>& x, std::vector<double>& y) const
{
    x = m_contourX;
    y = m_contourY;
    if (!m_bVoute || m_contourX2.size() != x.size() || m_contourY2.size() != y.size() || x.size() != y.size()) return;
    for (size_t i = 0; i < x.size(); ++i) {
        x[i] += (m_contourX2[i] - x[i]) * t;
        y[i] += (m_contourY2[i] - y[i]) * t;
    }
}
