// Cross-section, notch-case and settings records: the "section" element with
// and without a haunch, material values taken from the stored material, the
// missing catalogue profile, the crane settings' defaults, write-read-write.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ModuleSandbox.h"
#include "RecordDocFixture.h"
#include "module/NotchCase.h"
#include "module/Section.h"
#include "module/Settings.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"

namespace {

// A scratch installation without profile or material catalogues.
class SectionDoc : public recordtest::RecordDoc {
protected:
    moduletest::Sandbox sandbox_;

    // A "section" element with a stored material object holding the given
    // properties.
    ZVELEM SectionWithMaterial(int norm, const std::vector<std::pair<const char*, const char*>>& props)
    {
        ZVELEM e = Add("section");
        ZEVUD_SetInt(e, "iNorm", norm);
        ZEVUD_SetString(e, "profFamily", "HEA");
        ZEVUD_SetString(e, "profName", "HEA 200");
        ZEVUD_SetString(e, "strMaterial", "S235");
        ZVELEM obj = ZEVUD_AddChildElement(ZEVUD_AddChildElement(e, "mate"), "Objekt");
        ZEVUD_SetString(obj, "Name", "S235");
        for (auto [key, value] : props) {
            ZVELEM p = ZEVUD_AddChildElement(obj, "Eigenschaft");
            ZEVUD_SetString(p, "Kurzname", key);
            ZEVUD_SetString(p, "Wert01", value);
        }
        return e;
    }
};

int CountMessages(const winsys::RecordingSink& sink, const std::string& text)
{
    int n = 0;
    for (const auto& m : sink.messages) n += m.text == text;
    return n;
}

const char* const kMissingProfile = "Profil XYZ 999 aus der Reihe HEA nicht gefunden.\nBitte Querschnittsdefinitionen überprüfen!";

TEST_F(SectionDoc, StrengthAndFactorsFromTheStoredMaterial)
{
    struct Case {
        int norm;
        std::vector<std::pair<const char*, const char*>> props;
        double strength, gamma_m, gamma_m1;
        const char* what;
    } cases[] = {
        {8, {{"fyk", "235"}, {"gamma_m", "1.0"}, {"gamma_m1", "1.1"}}, 235.0, 1.0, 1.1, "steel, fyk only"},
        {34, {{"fo", "160"}, {"gamma_m", "1.1"}, {"gamma_m1", "1.1"}}, 160.0, 1.1, 1.1, "aluminium, fo only"},
        {8, {{"fyk", "235"}, {"fo", "240"}, {"gamma_m", "1.0"}, {"gamma_m1", "1.1"}}, 240.0, 1.0, 1.1, "both"},
        {7, {{"fyk", "355"}, {"fo", "240"}, {"gamma_m", "1.1"}, {"gamma_m1", "0"}}, 355.0, 1.1, 1.1,
         "gamma_m1 stored 0 reads as gamma_m"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CSection s;
        s.ReadData(SectionWithMaterial(c.norm, c.props));
        EXPECT_EQ(s.m_strength, c.strength);
        EXPECT_EQ(s.m_gamma_m, c.gamma_m);
        EXPECT_EQ(s.m_gamma_m1, c.gamma_m1);
    }
}

TEST_F(SectionDoc, MissingCatalogueProfileIsReportedOnce)
{
    ZVELEM e = Add("section");
    ZEVUD_SetString(e, "profFamily", "HEA");
    ZEVUD_SetString(e, "profName", "XYZ 999");
    ZEVUD_SetInt(e, "bVoute", 1);
    ZEVUD_SetString(e, "profName2", "XYZ 999");
    winsys::ScopedRecordingSink sink;
    CSection s;
    s.m_iFamily = s.m_iProfile = 5;
    s.ReadData(e);
    EXPECT_EQ(CountMessages(sink, kMissingProfile), 1);
    EXPECT_EQ(s.m_iFamily, 0);
    EXPECT_EQ(s.m_iProfile, 0);
}

TEST_F(SectionDoc, HaunchDecidesTheEndProfileKeys)
{
    for (int voute : {0, 1}) {
        CSection s;
        s.m_profName2 = "HEA 300";
        s.m_bVoute = voute;
        s.m_contourX2 = {0, 1, 1};
        s.m_contourY2 = {0, 0, 1};
        ZVELEM e = Add("section");
        s.WriteData(e);
        for (const char* key : {"profName2", "nContour2", "contourX2", "schwerX2", "schubY2"})
            EXPECT_EQ(ZEVUD_HasAttr(e, key) != 0, voute == 1) << key << " haunch " << voute;
        EXPECT_EQ(ZEVUD_FindFirstChild(e, "sectlib2") != 0, voute == 1);
        EXPECT_NE(ZEVUD_FindFirstChild(e, "sectlib"), 0u);
        EXPECT_FALSE(ZEVUD_HasAttr(e, "contourX"));  // no outline: no data
    }
}

TEST_F(SectionDoc, SectionRoundTripAndStoredOutline)
{
    winsys::ScopedRecordingSink sink;  // the catalogue of the scratch installation is empty
    CSection s;
    s.m_iNorm = 8;
    s.m_profSelType = 0;
    s.m_profName = "HEB 300";
    s.m_profName2 = "HEB 400";
    s.m_bVoute = 1;
    s.m_contourX = {-1, 1, 1, -1};
    s.m_contourY = {-2, -2, 2, 2};
    s.m_contourX2 = {-1, 1, 1, -1};
    s.m_contourY2 = {-3, -3, 3, 3};
    s.m_schwerY = 1;
    s.m_schwerY2 = 3;
    s.m_rotAngle = 90;
    s.m_nTeilung = 4;
    ExpectRoundTrip(s);

    ZVELEM e = Add("section");
    s.WriteData(e);
    ZEVUD_SetInt(e, "nContour", 1000);  // more points than stored: the stored ones
    CSection back;
    back.ReadData(e);
    EXPECT_EQ(back.m_contourY, (std::vector<double>{-2, -2, 2, 2}));
    double y1, z1, y2, z2;
    back.ComputeGeometry(0, y1, z1, y2, z2);
    EXPECT_EQ(y2 - y1, 2.0);
    EXPECT_EQ(z2 - z1, 4.0);

    // Half way along the haunch.
    double sx, sy, mx, my;
    back.InterpolateAt(0.5, sx, sy, mx, my);
    EXPECT_EQ(sy, 2.0);
    std::vector<double> x, y;
    back.GetContourAt(0.5, x, y);
    EXPECT_EQ(y, (std::vector<double>{-2.5, -2.5, 2.5, 2.5}));
    back.m_bVoute = 0;
    back.InterpolateAt(0.5, sx, sy, mx, my);
    EXPECT_EQ(sy, 1.0);
}

TEST(Section, ProfileKeyByKindOfProfile)
{
    CSection s;
    s.m_iField = 2;
    s.m_profName = "IPE 300";
    s.m_profName2 = "IPE 400";
    EXPECT_EQ(s.GetProfileKey(0), "IPE 300");
    EXPECT_EQ(s.GetProfileKey(1), "IPE 400");
    s.m_profSelType = 1;
    EXPECT_EQ(s.GetProfileKey(0), "PS3A");
    EXPECT_EQ(s.GetProfileKey(1), "PS3E");
}

// ---- settings ---------------------------------------------------------------

using SettingsDoc = recordtest::RecordDoc;

TEST_F(SettingsDoc, LoadEccentricityMissingOrMarkedIsTheRailFormula)
{
    struct Case {
        bool stored;
        double value;
        bool formula;
    } cases[] = {{false, 0, true}, {true, 10000000000.0, true}, {true, 0.3, false}, {true, 0.0, false}};
    for (const Case& c : cases) {
        ZVELEM e = Add("craneSettings");
        if (c.stored) ZEVUD_SetDouble(e, "loadEcc", c.value);
        CCraneSettings s;
        s.m_loadEcc.SetValue(7.0);
        s.ReadData(e);
        if (c.formula) {
            EXPECT_FALSE(s.m_loadEcc.IsPlain()) << c.value;
            EXPECT_EQ(s.m_loadEcc.GetFormula(), "b/4");
        } else {
            EXPECT_TRUE(s.m_loadEcc.IsPlain());
            EXPECT_EQ(s.m_loadEcc.GetValue(), c.value);
        }
    }
}

TEST_F(SettingsDoc, CraneSettingsDefaultsForMissingKeys)
{
    ZVELEM e = Add("craneSettings");
    CCraneSettings s;
    s.m_bSecondBeam = 0;
    s.m_autoPOI = 0;
    s.m_decDefCantilever.SetValue(0.9);
    s.m_craneTyp = 5;
    s.ReadData(e);
    EXPECT_EQ(s.m_bSecondBeam, 1);
    EXPECT_EQ(s.m_autoPOI, 1);
    EXPECT_EQ(s.m_decDefCantilever.GetValue(), 0.5);
    EXPECT_EQ(s.m_craneTyp, 0);  // read plainly
    ZEVUD_SetInt(e, "bSecondBeam", 0);
    ZEVUD_SetDouble(e, "decDefCantilever", 0.0);
    s.ReadData(e);
    EXPECT_EQ(s.m_bSecondBeam, 0);
    EXPECT_EQ(s.m_decDefCantilever.GetValue(), 0.0);
}

TEST_F(SettingsDoc, SettingsRoundTrips)
{
    CCraneSettings crane;
    crane.m_checkEnabled[3] = 0;
    crane.m_sResultPos[1] = "1;2;5";
    crane.m_maxRelDefZ.SetValue(750.0);
    crane.m_craneBeamDist.SetFromText("l/3");
    crane.m_horizontalFatForce = 1;
    ExpectRoundTrip(crane);

    CCalcSettings calc;
    calc.m_zulDefField = 250;
    calc.m_bNoGammaPsi = 1;
    ExpectRoundTrip(calc);

    CImperfectionSettings imp;
    imp.m_vorvType = 1;
    imp.m_psiY = 0.25;
    imp.m_vw_len = 7.5;
    ExpectRoundTrip(imp);
    imp.Scale(2.0);
    EXPECT_EQ(imp.m_v0, 4.0);
    EXPECT_EQ(imp.m_ausmitteGlobal, 3.0);
    EXPECT_EQ(imp.m_psiY, 0.25);

    CNotchCase poi;
    poi.m_strName = "Halsnaht";
    poi.m_tqe = 3;
    poi.m_xPos.SetValue(2.5);
    poi.m_thickness.SetValue(12);
    poi.m_bSystem = 1;
    ExpectRoundTrip(poi);
    poi.Reset();
    EXPECT_EQ(poi.m_tqe, -1);
    EXPECT_EQ(poi.m_xPos.GetValue(), 0.0);
    EXPECT_EQ(poi.m_thickness.GetValue(), 12.0);
    EXPECT_EQ(poi.m_strName, "Halsnaht");
    EXPECT_EQ(poi.m_bActiv, 1);
    EXPECT_EQ(poi.m_bSystem, 0);
}

}  // namespace

// A parametric section keeps its generator type and dimensions in its
// element; dimensions that make no section read back as wall lines without
// dimensions, which a catalogue profile never has.
TEST_F(SectionDoc, ParametricTypeAndDimensionsRoundTrip)
{
    CSection s;
    s.m_profSelType = 1;
    s.m_nShapeType = 2;
    s.m_shapeDims = {50, 1.2, 20, 2, 30, 2.5};
    s.m_bVoute = 1;
    s.m_nShapeType2 = 1;
    s.m_shapeDims2 = {60, 1, 20, 2};
    ZVELEM e = Add("section");
    s.WriteData(e);
    CSection back;
    back.ReadData(e);
    EXPECT_EQ(back.m_nShapeType, 2);
    EXPECT_EQ(back.m_shapeDims, s.m_shapeDims);
    EXPECT_EQ(back.m_nShapeType2, 1);
    EXPECT_EQ(back.m_shapeDims2, s.m_shapeDims2);
    ExpectRoundTrip(s);

    zevud::SetDoubles(e, "shapeDims", std::vector<double>{50, 25, 20, 2, 30, 2.5});  // web wider than a flange
    back.ReadData(e);
    EXPECT_EQ(back.m_nShapeType, 0);
    EXPECT_TRUE(back.m_shapeDims.empty());

    CSection catalogue;
    catalogue.m_nShapeType = 1;
    catalogue.m_shapeDims = {40, 1, 20, 2};
    ZVELEM c = Add("section");
    catalogue.WriteData(c);
    EXPECT_FALSE(ZEVUD_HasAttr(c, "shapeType"));
}
