#include "module/Settings.h"

#include <string>

namespace {

// A stored eccentricity of this value (or none) stands for the rail formula.
constexpr double kLoadEccMissing = 10000000000.0;

CFormulaValue LoadEccDefault()
{
    CFormulaValue v;
    v.SetFromText("b/4");
    return v;
}

std::string Key(const char* fmt, int i) { return fmt + std::to_string(i); }

void ReadFormula(ZVELEM e, const char* key, CFormulaValue& v) { v.ReadFromDom(e, key); }

}  // namespace

// ---- calculation settings ----------------------------------------------

void CCalcSettings::ReadData(ZVELEM e)
{
    m_profOrientation = ZEVUD_GetInt(e, "profOrientation");
    m_zulDefField = ZEVUD_GetInt(e, "zulDefField");
    m_zulDefKrag = ZEVUD_GetInt(e, "zulDefKrag");
    m_gebrNachweis = ZEVUD_GetInt(e, "gebrNachweis");
    m_resultGebrLK = ZEVUD_GetInt(e, "resultGebrLK");
    m_resultTragSVLK = ZEVUD_GetInt(e, "resultTragSVLK");
    m_bNoGammaPsi = ZEVUD_GetInt(e, "bNoGammaPsi");
}

void CCalcSettings::WriteData(ZVELEM e) const
{
    ZEVUD_SetInt(e, "profOrientation", m_profOrientation);
    ZEVUD_SetInt(e, "zulDefField", m_zulDefField);
    ZEVUD_SetInt(e, "zulDefKrag", m_zulDefKrag);
    ZEVUD_SetInt(e, "gebrNachweis", m_gebrNachweis);
    ZEVUD_SetInt(e, "resultGebrLK", m_resultGebrLK);
    ZEVUD_SetInt(e, "resultTragSVLK", m_resultTragSVLK);
    ZEVUD_SetInt(e, "bNoGammaPsi", m_bNoGammaPsi);
}

// ---- imperfection settings ---------------------------------------------

void CImperfectionSettings::ReadData(ZVELEM e)
{
    m_vorvType = ZEVUD_GetInt(e, "vorvType");
    m_psiDirekt = ZEVUD_GetInt(e, "psiDirekt");
    m_w0Direkt = ZEVUD_GetInt(e, "w0Direkt");
    m_ausmitteDirekt = ZEVUD_GetInt(e, "ausmitteDirekt");
    m_psiY = ZEVUD_GetDouble(e, "psiY");
    m_psiZ = ZEVUD_GetDouble(e, "psiZ");
    m_psiGlobal = ZEVUD_GetDouble(e, "psiGlobal");
    m_v0 = ZEVUD_GetDouble(e, "v0");
    m_w0 = ZEVUD_GetDouble(e, "w0");
    m_wGlobal = ZEVUD_GetDouble(e, "wGlobal");
    m_ausmitte = ZEVUD_GetDouble(e, "ausmitte");
    m_ausmitteGlobal = ZEVUD_GetDouble(e, "ausmitteGlobal");
    m_ausmitteKnoten = ZEVUD_GetInt(e, "ausmitteKnoten");
    m_vw_ksl = ZEVUD_GetInt(e, "vw_ksl");
    m_vw_bdk = ZEVUD_GetInt(e, "vw_bdk");
    m_vw_ktyp = ZEVUD_GetInt(e, "vw_ktyp");
    m_vw_typ = ZEVUD_GetInt(e, "vw_typ");
    m_vw_len = ZEVUD_GetDouble(e, "vw_len");
    m_vw_lambda = ZEVUD_GetInt(e, "vw_lambda");
    m_vw_rtf = ZEVUD_GetInt(e, "vw_rtf");
}

void CImperfectionSettings::WriteData(ZVELEM e) const
{
    ZEVUD_SetInt(e, "vorvType", m_vorvType);
    ZEVUD_SetInt(e, "psiDirekt", m_psiDirekt);
    ZEVUD_SetInt(e, "w0Direkt", m_w0Direkt);
    ZEVUD_SetInt(e, "ausmitteDirekt", m_ausmitteDirekt);
    ZEVUD_SetDouble(e, "psiY", m_psiY);
    ZEVUD_SetDouble(e, "psiZ", m_psiZ);
    ZEVUD_SetDouble(e, "psiGlobal", m_psiGlobal);
    ZEVUD_SetDouble(e, "v0", m_v0);
    ZEVUD_SetDouble(e, "w0", m_w0);
    ZEVUD_SetDouble(e, "wGlobal", m_wGlobal);
    ZEVUD_SetDouble(e, "ausmitte", m_ausmitte);
    ZEVUD_SetDouble(e, "ausmitteGlobal", m_ausmitteGlobal);
    ZEVUD_SetInt(e, "ausmitteKnoten", m_ausmitteKnoten);
    ZEVUD_SetInt(e, "vw_ksl", m_vw_ksl);
    ZEVUD_SetInt(e, "vw_bdk", m_vw_bdk);
    ZEVUD_SetInt(e, "vw_ktyp", m_vw_ktyp);
    ZEVUD_SetInt(e, "vw_typ", m_vw_typ);
    ZEVUD_SetDouble(e, "vw_len", m_vw_len);
    ZEVUD_SetInt(e, "vw_lambda", m_vw_lambda);
    ZEVUD_SetInt(e, "vw_rtf", m_vw_rtf);
}

void CImperfectionSettings::Scale(double factor)
{
    m_v0 *= factor;
    m_w0 *= factor;
    m_wGlobal *= factor;
    m_ausmitte *= factor;
    m_ausmitteGlobal *= factor;
}

// ---- crane-runway settings ---------------------------------------------

CCraneSettings::CCraneSettings() : m_loadEcc(LoadEccDefault())
{
    for (int i = 0; i < kChecks; ++i) {
        m_checkEnabled[i] = 1;
        m_resultType[i] = 2;
        m_bOutputLC[i] = 0;
        m_SLSCheckEnabled[i] = 1;
    }
}

void CCraneSettings::ReadData(ZVELEM e)
{
    for (int i = 0; i < kChecks; ++i) {
        m_checkEnabled[i] = ZEVUD_GetInt(e, Key("checkEnabled_", i).c_str());
        m_resultType[i] = ZEVUD_GetInt(e, Key("resultType_", i).c_str());
        m_bOutputLC[i] = ZEVUD_GetInt(e, Key("bOutputLC_", i).c_str());
        m_sResultPos[i] = zevud::GetString(e, Key("sResultPos_", i));
        m_SLSCheckEnabled[i] = ZEVUD_GetInt(e, Key("SLSCheckEnabled_", i).c_str());
    }
    m_LTBEnabled = ZEVUD_GetInt(e, "LTBEnabled");
    m_bDecReactions = ZEVUD_GetInt(e, "bDecReactions");
    m_bDetailedReactions = ZEVUD_GetInt(e, "bDetailedReactions");
    m_iMinUtilForLTB = ZEVUD_GetInt(e, "iMinUtilForLTB");
    m_plasticLTB = ZEVUD_GetInt(e, "plasticLTB");
    m_bBuckling = ZEVUD_GetInt(e, "bBuckling");
    m_bPlateStresses = ZEVUD_GetInt(e, "bPlateStresses");
    ReadFormula(e, "craneMaxDist", m_craneMaxDist);
    ReadFormula(e, "maxRelDefZ", m_maxRelDefZ);
    ReadFormula(e, "maxAbsDefZ", m_maxAbsDefZ);
    ReadFormula(e, "maxRelDeltaDefZ", m_maxRelDeltaDefZ);
    ReadFormula(e, "maxRelDefY", m_maxRelDefY);
    ReadFormula(e, "maxAbsDeltaDefY", m_maxAbsDeltaDefY);
    ReadFormula(e, "maxRelDeltaDefS", m_maxRelDeltaDefS);
    if (ZEVUD_HasAttr(e, "decDefCantilever"))
        ReadFormula(e, "decDefCantilever", m_decDefCantilever);
    else
        m_decDefCantilever.SetValue(0.5);
    m_craneTyp = ZEVUD_GetInt(e, "craneTyp");
    m_bSecondBeam = ZEVUD_GetIntWithDefault(e, "bSecondBeam", 1);
    ReadFormula(e, "craneBeamDist", m_craneBeamDist);
    m_autoPOI = ZEVUD_GetIntWithDefault(e, "autoPOI", 1);
    ReadFormula(e, "craneLeftOffset", m_craneLeftOffset);
    ReadFormula(e, "craneRightOffset", m_craneRightOffset);
    ReadFormula(e, "craneAddLoad", m_craneAddLoad);
    ReadFormula(e, "loadDistOnBottomFlange", m_loadDistOnBottomFlange);
    // A missing eccentricity, or the marker value, stands for the formula.
    const double ecc = ZEVUD_GetDoubleWithDefault(e, "loadEcc", kLoadEccMissing);
    CVariableTable* table = m_loadEcc.GetVariableTable();
    if (ecc == kLoadEccMissing) {
        m_loadEcc = LoadEccDefault();
        m_loadEcc.SetVariableTable(table);
    } else {
        ReadFormula(e, "loadEcc", m_loadEcc);
    }
    m_horizontalFatForce = ZEVUD_GetInt(e, "horizontalFatForce");
}

void CCraneSettings::WriteData(ZVELEM e) const
{
    for (int i = 0; i < kChecks; ++i) {
        ZEVUD_SetInt(e, Key("checkEnabled_", i).c_str(), m_checkEnabled[i]);
        ZEVUD_SetInt(e, Key("resultType_", i).c_str(), m_resultType[i]);
        ZEVUD_SetInt(e, Key("bOutputLC_", i).c_str(), m_bOutputLC[i]);
        ZEVUD_SetString(e, Key("sResultPos_", i).c_str(), m_sResultPos[i].c_str());
        ZEVUD_SetInt(e, Key("SLSCheckEnabled_", i).c_str(), m_SLSCheckEnabled[i]);
    }
    ZEVUD_SetInt(e, "LTBEnabled", m_LTBEnabled);
    ZEVUD_SetInt(e, "bDecReactions", m_bDecReactions);
    ZEVUD_SetInt(e, "bDetailedReactions", m_bDetailedReactions);
    ZEVUD_SetInt(e, "iMinUtilForLTB", m_iMinUtilForLTB);
    ZEVUD_SetInt(e, "plasticLTB", m_plasticLTB);
    ZEVUD_SetInt(e, "bBuckling", m_bBuckling);
    ZEVUD_SetInt(e, "bPlateStresses", m_bPlateStresses);
    m_craneMaxDist.WriteToDom(e, "craneMaxDist");
    m_maxRelDefZ.WriteToDom(e, "maxRelDefZ");
    m_maxAbsDefZ.WriteToDom(e, "maxAbsDefZ");
    m_maxRelDeltaDefZ.WriteToDom(e, "maxRelDeltaDefZ");
    m_maxRelDefY.WriteToDom(e, "maxRelDefY");
    m_maxAbsDeltaDefY.WriteToDom(e, "maxAbsDeltaDefY");
    m_maxRelDeltaDefS.WriteToDom(e, "maxRelDeltaDefS");
    m_decDefCantilever.WriteToDom(e, "decDefCantilever");
    ZEVUD_SetInt(e, "craneTyp", m_craneTyp);
    ZEVUD_SetInt(e, "bSecondBeam", m_bSecondBeam);
    m_craneBeamDist.WriteToDom(e, "craneBeamDist");
    ZEVUD_SetInt(e, "autoPOI", m_autoPOI);
    m_craneLeftOffset.WriteToDom(e, "craneLeftOffset");
    m_craneRightOffset.WriteToDom(e, "craneRightOffset");
    m_craneAddLoad.WriteToDom(e, "craneAddLoad");
    m_loadDistOnBottomFlange.WriteToDom(e, "loadDistOnBottomFlange");
    m_loadEcc.WriteToDom(e, "loadEcc");
    ZEVUD_SetInt(e, "horizontalFatForce", m_horizontalFatForce);
}

void CCraneSettings::SetVariableTable(CVariableTable* table)
{
    for (CFormulaValue* v : {&m_craneMaxDist, &m_maxRelDefZ, &m_maxAbsDefZ, &m_maxRelDeltaDefZ, &m_maxRelDefY,
                             &m_maxAbsDeltaDefY, &m_maxRelDeltaDefS, &m_decDefCantilever, &m_craneBeamDist,
                             &m_craneLeftOffset, &m_craneRightOffset, &m_craneAddLoad, &m_loadDistOnBottomFlange,
                             &m_loadEcc})
        v->SetVariableTable(table);
}
