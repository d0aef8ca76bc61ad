#include "dialogs/VorvWiz.h"

#include <algorithm>
#include <cmath>

#include "module/ModuleData.h"
#include "module/frame/ModuleMessages.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"
#include "reports/MemberReport.h"

namespace {

using wl::Kind;
using W = CVorvWiz;

constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kDialogName = "VorvWiz";
// The report text slot of the imperfection chapter.
constexpr size_t kNoteSlot = 4;
// Below this a section's width counts as none.
constexpr double kWidthTolerance = 1e-6;

const wl::TemplateRegistrar kTemplate({
    W::kTemplateId,
    "Berechnungshilfe für Vorverformungen",
    262,
    222,
    0,
    {
        {W::IDC_KIND_GROUP, Kind::GroupBox, "Art der Vorverformung", 7, 5, 120, 44},
        {W::IDC_KIND_SWAY, Kind::Radio, "Schiefstellung", 14, 18, 108, 10, wl::kGroup},
        {W::IDC_KIND_BOW, Kind::Radio, "Vorkrümmung", 14, 32, 108, 10},
        {W::IDC_PLACEMENT_GROUP, Kind::GroupBox, "Ansatz der Vorkrümmung", 135, 5, 120, 44},
        {W::IDC_AFFINE, Kind::Radio, "Affin zur Knickfigur", 142, 18, 110, 10, wl::kGroup},
        {W::IDC_FIELDWISE, Kind::Radio, "Ausmitte feldweise ansetzen", 142, 32, 110, 10},
        {0, Kind::Static, "Knickspannungslinie:", 7, 58, 80, 10},
        {W::IDC_CURVE, Kind::Combo, "", 90, 56, 60, 80, 0, {"KSL a", "KSL b", "KSL c", "KSL d"}},
        {W::IDC_LTB, Kind::CheckBox, "Biegedrillknick-Problem", 160, 58, 95, 10},
        {0, Kind::Static, "Länge [m]:", 7, 76, 80, 10},
        {W::IDC_LENGTH, Kind::Edit, "", 90, 74, 60, 12, wl::kRight},
        {0, Kind::Static, "Querschnittstyp:", 7, 94, 80, 10},
        {W::IDC_SECTION_TYPE, Kind::Combo, "", 90, 92, 60, 60, wl::kTranslatable, {"gewalzt", "geschweißt"}},
        {W::IDC_LAMBDA, Kind::CheckBox, "0.7<= lambda_LT <= 1.3", 160, 94, 95, 10},
        {0, Kind::Static, "Mpl / Mel:", 7, 112, 80, 10},
        {W::IDC_MPL_MEL, Kind::Edit, "", 90, 110, 60, 12, wl::kRight},
        {W::IDC_NOTE, Kind::Edit, "", 7, 130, 248, 50, wl::kMultiLine | wl::kReadOnly},
        {W::IDC_NOTE_TO_REPORT, Kind::CheckBox, "Hinweis ins Ausgabedokument", 7, 186, 150, 10},
        {wl::IDOK, Kind::Button, "OK", 150, 201, 50, 14, wl::kDefault},
        {wl::IDCANCEL, Kind::Button, "Abbrechen", 205, 201, 50, 14},
    },
});

bool IsAnnex(int norm) { return norm != 7 && norm != 8; }

void Enable(wl::Window& w, int id, bool on) {
    if (wl::Window* c = w.GetDlgItem(id)) c->EnableWindow(on);
}

// The note as a report text: its lines as paragraphs.
std::string NoteAsRtf(const std::string& note) {
    std::string out;
    for (size_t i = 0; i < note.size(); ++i) {
        const char c = note[i];
        if (c == '\r' && i + 1 < note.size() && note[i + 1] == '\n') {
            out += "\\par ";
            ++i;
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

CImperfectionInput CVorvWiz::Input() const {
    CImperfectionInput in;
    in.norm = m_nNorm;
    in.kind = m_nKind == 0 ? 0 : 1;
    in.curve = m_nCurve;
    in.ltb = m_bLtb;
    in.elastic = m_bElastic;
    in.iProfile = m_bIProfile;
    in.welded = m_nSectionType == 1;
    in.lambdaRange = m_bLambda;
    in.hb = m_dHB;
    // The factor calculated with is the one the user sees in "Mpl / Mel:".
    in.mplMel = m_dMplMel;
    in.annexIndex = m_nAnnex;
    in.length = m_dLength;
    return in;
}

void CVorvWiz::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Radio(dx, IDC_KIND_SWAY, m_nKind);
    wl::DDX_Radio(dx, IDC_AFFINE, m_nPlacement);
    wl::DDX_CBIndex(dx, IDC_CURVE, m_nCurve);
    wl::DDX_Check(dx, IDC_LTB, m_bLtb);
    wl::DDX_Text(dx, IDC_LENGTH, m_dLength);
    wl::DDX_CBIndex(dx, IDC_SECTION_TYPE, m_nSectionType);
    wl::DDX_Check(dx, IDC_LAMBDA, m_bLambda);
    wl::DDX_Text(dx, IDC_MPL_MEL, m_dMplMel);
    wl::DDX_Check(dx, IDC_NOTE_TO_REPORT, m_bNoteToReport);
    wl::DDX_Text(dx, IDC_NOTE, m_strNote);
}

bool CVorvWiz::OnInitDialog() {
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, kDialogName);
    if (m_bBowOnly) {
        m_nKind = 1;
        m_nPlacement = 0;
        for (int id : {int(IDC_KIND_GROUP), int(IDC_PLACEMENT_GROUP), int(IDC_KIND_SWAY), int(IDC_KIND_BOW),
                       int(IDC_AFFINE), int(IDC_FIELDWISE)})
            if (wl::Window* c = GetDlgItem(id)) c->ShowWindow(wl::SW_HIDE);
    }
    UpdateData(false);
    m_bInitialised = true;
    UpdateControls();
    return true;
}

void CVorvWiz::TakeChoices() {
    wl::DataExchange dx(*this, true);
    wl::DDX_Radio(dx, IDC_KIND_SWAY, m_nKind);
    wl::DDX_Radio(dx, IDC_AFFINE, m_nPlacement);
    wl::DDX_CBIndex(dx, IDC_CURVE, m_nCurve);
    wl::DDX_Check(dx, IDC_LTB, m_bLtb);
    wl::DDX_CBIndex(dx, IDC_SECTION_TYPE, m_nSectionType);
    wl::DDX_Check(dx, IDC_LAMBDA, m_bLambda);
    wl::DDX_Check(dx, IDC_NOTE_TO_REPORT, m_bNoteToReport);
    // A number being typed is taken once it reads.
    if (auto v = winsys::ParseDouble(GetDlgItemText(IDC_MPL_MEL))) m_dMplMel = *v;
    if (auto v = winsys::ParseDouble(GetDlgItemText(IDC_LENGTH))) m_dLength = *v;
}

void CVorvWiz::UpdateControls() {
    const bool bow = m_nKind == 1;
    const bool annex = IsAnnex(m_nNorm);
    for (int id : {int(IDC_AFFINE), int(IDC_FIELDWISE), int(IDC_CURVE), int(IDC_LTB)}) Enable(*this, id, bow);
    Enable(*this, IDC_MPL_MEL, bow && annex && !m_bElastic && !m_bIProfile);
    Enable(*this, IDC_SECTION_TYPE, annex && m_bIProfile);
    Enable(*this, IDC_LAMBDA, bow && m_bLtb && annex && m_bIProfile);
    m_strNote = ImperfectionNoteText(Input());
    SetDlgItemText(IDC_NOTE, m_strNote);
}

bool CVorvWiz::OnCommand(int id, int code) {
    if (id == wl::IDOK || id == wl::IDCANCEL) return wl::Dialog::OnCommand(id, code);
    if (!m_bInitialised || id == IDC_NOTE) return false;
    TakeChoices();
    UpdateControls();
    return true;
}

void CVorvWiz::OnOK() {
    if (!UpdateData(true)) return;
    double result = 0.0;
    std::string error;
    if (!CalcImperfection(Input(), result, error)) {
        winsys::MessageBox(error, "", winsys::Buttons::Ok, winsys::Icon::Error);
        if (wl::Window* length = GetDlgItem(IDC_LENGTH)) length->SetFocus();
        return;
    }
    m_dResult = result;
    m_strNote = ImperfectionNoteText(Input());
    EndDialog(wl::IDOK);
}

int CVorvWiz::RunOnPosition(CModuleData& data, bool bowOnly) {
    CImperfectionSettings& v = data.m_vorvSettings;
    CVorvWiz wiz;
    wiz.m_bBowOnly = bowOnly ? 1 : 0;
    wiz.m_nCurve = v.m_vw_ksl;
    wiz.m_bLtb = v.m_vw_bdk;
    wiz.m_nPlacement = v.m_vw_ktyp;
    wiz.m_nKind = v.m_vw_typ;
    wiz.m_dLength = v.m_vw_len;
    wiz.m_bLambda = v.m_vw_lambda;
    wiz.m_bNoteToReport = v.m_vw_rtf;
    wiz.m_bElastic = IsPlasticVariant(data) ? 0 : 1;
    wiz.m_nNorm = data.m_info.m_nNorm;
    wiz.m_nAnnex = data.m_info.m_nCountryCode;
    // Every span an I-profile? And the largest h/b of them (1.0 when no
    // section has a width).
    wiz.m_bIProfile = 1;
    double hb = 0.0;
    for (const CSection& s : data.m_sections) {
        CSection copy = s;
        double y1 = 0, z1 = 0, y2 = 0, z2 = 0;
        copy.ComputeGeometry(0, y1, z1, y2, z2);
        if (copy.m_ptyp != 0) {
            wiz.m_bIProfile = 0;
            continue;
        }
        const double b = y2 - y1, h = z2 - z1;
        hb = std::max(hb, std::fabs(b) < kWidthTolerance ? 1.0 : h / b);
    }
    wiz.m_dHB = hb > 0.0 ? hb : 1.0;
    const int result = wiz.DoModal();
    if (result != wl::IDOK) return result;

    if (wiz.m_nKind == 0) {
        v.m_vorvType = 0;
        v.m_psiY = v.m_psiZ = wiz.m_dResult;
        v.m_psiDirekt = 0;
    } else if (wiz.m_nPlacement == 1) {
        v.m_vorvType = 1;
        v.m_w0Direkt = 1;
        v.m_wGlobal = wiz.m_dResult;
    } else {
        v.m_vorvType = 2;
        v.m_ausmitte = wiz.m_dResult;
        v.m_ausmitteDirekt = 0;
    }
    v.m_vw_ksl = wiz.m_nCurve;
    v.m_vw_bdk = wiz.m_bLtb;
    v.m_vw_ktyp = wiz.m_nPlacement;
    v.m_vw_typ = wiz.m_nKind;
    v.m_vw_len = wiz.m_dLength;
    v.m_vw_lambda = wiz.m_bLambda;
    v.m_vw_rtf = wiz.m_bNoteToReport;
    if (data.m_inputAnnotations.size() <= kNoteSlot) data.m_inputAnnotations.resize(kNoteSlot + 1);
    data.m_inputAnnotations[kNoteSlot] = wiz.m_bNoteToReport ? NoteAsRtf(wiz.m_strNote) : std::string();
    return result;
}
