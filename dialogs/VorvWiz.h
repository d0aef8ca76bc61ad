// "Berechnungshilfe für Vorverformungen": the imperfection of a member from
// its length, buckling curve and the design code, shown with the note that
// names the rule (the rules themselves are CalcImperfection).
#pragma once

#include <string>

#include "module/Imperfection.h"
#include "platform/wl/dialog.h"

class CModuleData;

class CVorvWiz : public wl::Dialog {
public:
    static constexpr int kTemplateId = 26120;
    enum {
        IDC_KIND_SWAY = 26121,
        IDC_KIND_BOW = 26122,
        IDC_PLACEMENT_GROUP = 26123,
        IDC_AFFINE = 26124,
        IDC_FIELDWISE = 26125,
        IDC_LTB = 26126,
        IDC_CURVE = 26127,
        IDC_LENGTH = 26128,
        IDC_SECTION_TYPE = 26129,
        IDC_LAMBDA = 26130,
        IDC_NOTE_TO_REPORT = 26131,
        IDC_NOTE = 26138,
        IDC_MPL_MEL = 26139,
        IDC_KIND_GROUP = 26242,
    };

    CVorvWiz() : wl::Dialog(kTemplateId) {}
    const char* ClassName() const override { return "CVorvWiz"; }

    // ---- the input, with its defaults ---------------------------------------
    int m_nCurve = 3;          // "KSL a" .. "KSL d"
    int m_bLtb = 0;            // "Biegedrillknick-Problem"
    int m_nPlacement = 0;      // 0 "Affin zur Knickfigur", 1 "Ausmitte feldweise ansetzen"
    int m_nKind = 1;           // 0 "Schiefstellung", 1 "Vorkrümmung"
    double m_dLength = 5.0;    // m
    int m_nSectionType = 0;    // 0 "gewalzt", 1 "geschweißt"
    std::string m_strNote;
    int m_bLambda = 0;         // "0.7<= lambda_LT <= 1.3"
    int m_bNoteToReport = 0;   // "Hinweis ins Ausgabedokument"
    double m_dMplMel = 1.16;

    // ---- given by the caller -------------------------------------------------
    int m_bBowOnly = 0;        // kind and placement fixed to an affine bow
    int m_bElastic = 0;        // the check is elastic-elastic
    int m_bIProfile = 1;
    int m_nNorm = 31;
    int m_nAnnex = 0;          // the position's national annex
    double m_dHB = 1.0;        // the largest h/b of the sections
    double m_dFactor1 = 1.14;  // handed over by the page, not used for the result
    double m_dFactor2 = 1.5;

    // The imperfection after OK: sway in %, bow in cm.
    double m_dResult = 0.0;

    // The rules' input from the fields.
    CImperfectionInput Input() const;
    // The imperfection aid on a position: filled from the position's last
    // input to it, and on OK the result written into the imperfection record
    // (see the source). bowOnly: the crane runway's bow affine to the
    // buckling mode, kind and placement fixed. Returns the dialog's result.
    static int RunOnPosition(CModuleData& data, bool bowOnly = false);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    bool OnCommand(int id, int code) override;

private:
    // The switches and choices read from the controls (no message for an
    // unfinished number), then the enabling and the note.
    void TakeChoices();
    void UpdateControls();
    bool m_bInitialised = false;
};
