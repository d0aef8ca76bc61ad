// The settings records of a position: calculation settings of the member
// design ("calcSettings"), imperfection settings ("vorvSettings") and the
// crane-runway settings ("craneSettings").
#pragma once

#include <string>

#include "formula/FormulaValue.h"
#include "platform/zevud/zevud.h"

class CVariableTable;

class CCalcSettings {
public:
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;

    int m_profOrientation = 2;
    int m_zulDefField = 300;
    int m_zulDefKrag = 150;
    int m_gebrNachweis = 0;
    int m_resultGebrLK = 1;
    int m_resultTragSVLK = 1;
    int m_bNoGammaPsi = 0;
};

class CImperfectionSettings {
public:
    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;
    // Multiplies the bow and eccentricity amplitudes by factor.
    void Scale(double factor);

    int m_vorvType = 2;
    int m_psiDirekt = 0;
    int m_w0Direkt = 0;
    int m_ausmitteDirekt = 0;
    double m_psiY = 0.5;
    double m_psiZ = 0.5;
    double m_psiGlobal = 0.5;
    double m_v0 = 2.0;
    double m_w0 = 2.0;
    double m_wGlobal = 2.0;
    double m_ausmitte = 1.5;
    double m_ausmitteGlobal = 1.5;
    int m_ausmitteKnoten = 0;
    int m_vw_ksl = 3;
    int m_vw_bdk = 0;
    int m_vw_ktyp = 0;
    int m_vw_typ = 1;
    double m_vw_len = 5.0;
    int m_vw_lambda = 0;
    int m_vw_rtf = 0;
};

class CCraneSettings {
public:
    static constexpr int kChecks = 5;
    CCraneSettings();

    void ReadData(ZVELEM element);
    void WriteData(ZVELEM element) const;
    // The table of the formula values (the module variables).
    void SetVariableTable(CVariableTable* table);

    int m_checkEnabled[kChecks];
    int m_resultType[kChecks];
    int m_bOutputLC[kChecks];
    std::string m_sResultPos[kChecks];
    int m_SLSCheckEnabled[kChecks];
    int m_LTBEnabled = 1;
    int m_bDecReactions = 1;
    int m_bDetailedReactions = 0;
    int m_iMinUtilForLTB = 75;
    int m_plasticLTB = 0;
    int m_bBuckling = 0;
    int m_bPlateStresses = 0;
    CFormulaValue m_craneMaxDist{0.0};
    CFormulaValue m_maxRelDefZ{500.0};
    CFormulaValue m_maxAbsDefZ{25.0};
    CFormulaValue m_maxRelDeltaDefZ{500.0};
    CFormulaValue m_maxRelDefY{600.0};
    CFormulaValue m_maxAbsDeltaDefY{10.0};
    CFormulaValue m_maxRelDeltaDefS{600.0};
    CFormulaValue m_decDefCantilever{0.5};
    int m_craneTyp = 0;
    int m_bSecondBeam = 1;
    CFormulaValue m_craneBeamDist{6.5};
    int m_autoPOI = 1;
    CFormulaValue m_craneLeftOffset{0.0};
    CFormulaValue m_craneRightOffset{0.0};
    CFormulaValue m_craneAddLoad{0.0};
    CFormulaValue m_loadDistOnBottomFlange{0.0};
    // Evaluated in the module variables, where "b" is the rail head width.
    CFormulaValue m_loadEcc;
    int m_horizontalFatForce = 0;
    // The serviceability kind of a crane run (0..3, as "gebrNachweis" of the
    // member design); not stored.
    int m_iReserved = 3;
};
