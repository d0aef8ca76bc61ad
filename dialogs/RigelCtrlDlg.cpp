#include "dialogs/RigelCtrlDlg.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>

#include "dialogs/GeneralSettingsDlg.h"
#include "dialogs/PageTemplates.h"
#include "module/ModuleDataDialog.h"
#include "module/frame/ModuleMessages.h"
#include "platform/lingo/lingo.h"
#include "platform/wl/resources.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;
using R = CRigelCtrlDlg;
using S = CCalcSettingsDlg;

constexpr const char* kSection = "velor_i_rigel";

const wl::TemplateRegistrar kTemplates({
    page_templates::Page(
        R::kTemplateId,
        page_templates::Join({
            {{0, Kind::GroupBox, "Vorschrift", 7, 7, 150, 96}},
            page_templates::RadioColumn(14, 20, 130, 14,
                                        {{R::IDC_DIN18800, "DIN 18800"},
                                         {R::IDC_SIA263, "SIA 263:2003"},
                                         {R::IDC_EC3, "DIN EN 1993"},
                                         {R::IDC_EC3_NA, "DIN EN 1993 / NA"},
                                         {R::IDC_ALU, "DIN EN 1999(Alu)"}}),
            {
                {R::IDC_PICTURE_DIN, Kind::Picture, "", 165, 14, 64, 32, 0, {}, {}, R::IDC_PICTURE_DIN},
                {R::IDC_PICTURE_EN, Kind::Picture, "", 165, 14, 64, 32, 0, {}, {}, R::IDC_PICTURE_EN},
                {R::IDC_PICTURE_NA, Kind::Picture, "", 165, 14, 64, 32, 0, {}, {}, R::IDC_PICTURE_NA},
                {0, Kind::Static, "Nationaler Anhang:", 165, 60, 70, 10},
                {R::IDC_ANNEX, Kind::Combo, "", 165, 72, 80, 60, wl::kTranslatable, {"Deutschland"}},
                {R::IDC_EXISTING_MATERIALS, Kind::CheckBox, "Materialien für Bestandsbauten", 14, 88, 138, 10},
                {0, Kind::GroupBox, "Lastüberlagerung", 7, 110, 150, 96},
            },
            page_templates::RadioColumn(14, 123, 130, 14,
                                        {{R::IDC_LK_DIN18800, "DIN 18800"},
                                         {R::IDC_LK_DIN1055, "DIN 1055-100"},
                                         {R::IDC_LK_EN1990, "DIN EN 1990"},
                                         {R::IDC_LK_EN1990_NA, "DIN EN 1990 / NA"},
                                         {R::IDC_LK_SIA260, "SIA 260:2003"}}),
            {
                {0, Kind::GroupBox, "Steuerung der Berechnung", 260, 7, 150, 96},
                {R::IDC_GENERAL, Kind::Button, "Allgemeines", 270, 22, 130, 14},
                {R::IDC_SERVICEABILITY, Kind::Button, "Gebrauchstauglichkeit", 270, 42, 130, 14},
                {R::IDC_COMBINATION, Kind::Button, "Lastüberlagerung", 270, 62, 130, 14},
                {R::IDC_TEST, Kind::Button, "Test", 270, 82, 130, 14, wl::kHidden},
            },
        })),
    {S::kTemplateId,
     "Steuerung der Berechnung",
     300,
     160,
     0,
     {
         {S::IDC_GRID, Kind::Custom, "", 7, 7, 286, 124, 0, {}, "RigelGridCtrl"},
         {wl::IDOK, Kind::Button, "OK", 188, 139, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 243, 139, 50, 14},
     }},
});

std::string Tr(const char* area, const char* text) { return lingo::Translate(rigel::kAppInput, kSection, area, text); }

// The code pictures: a small badge with the code's name, the annex's with
// the colours of its country.
QImage CodePicture(const char* line1, const char* line2, bool flag) {
    QImage img(96, 48, QImage::Format_ARGB32);
    img.fill(QColor(255, 255, 255));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 51, 153), 2));
    p.setBrush(QColor(225, 232, 245));
    p.drawRoundedRect(QRectF(1, 1, 94, 46), 6, 6);
    if (flag) {
        const QColor colours[3] = {QColor(0, 0, 0), QColor(221, 0, 0), QColor(255, 206, 0)};
        for (int i = 0; i < 3; ++i) p.fillRect(QRectF(72, 10 + 9 * i, 16, 9), colours[i]);
    }
    QFont f("DejaVu Sans");
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0, 51, 153));
    const QRectF text(6, 4, flag ? 64 : 84, 40);
    p.drawText(text, Qt::AlignCenter, QString::fromUtf8(line1) + "\n" + QString::fromUtf8(line2));
    return img;
}

void RegisterCodePictures() {
    static bool done = false;
    if (done) return;
    done = true;
    wl::RegisterBitmap(R::IDC_PICTURE_DIN, CodePicture("DIN", "18800", false));
    wl::RegisterBitmap(R::IDC_PICTURE_EN, CodePicture("DIN EN", "199x", false));
    wl::RegisterBitmap(R::IDC_PICTURE_NA, CodePicture("EN 1993", "NA", true));
}

}  // namespace

// ---- the codes ------------------------------------------------------------------------------

int CRigelCtrlDlg::NormOfRadio(int radio) {
    static const int norms[5] = {7, 8, 8, 31, 34};
    return radio >= 0 && radio < 5 ? norms[radio] : -1;
}

int CRigelCtrlDlg::RadioOfNorm(int norm) {
    switch (norm) {
    case 7: return 0;
    case 8: return 2;
    case 31: return 3;
    case 34: return 4;
    default: return -1;
    }
}

int CRigelCtrlDlg::CombinationOfRadio(int radio) {
    static const int codes[5] = {1, 0, 3, 4, 2};
    return radio >= 0 && radio < 5 ? codes[radio] : -1;
}

int CRigelCtrlDlg::RadioOfCombination(int code) {
    for (int r = 0; r < 5; ++r)
        if (CombinationOfRadio(r) == code) return r;
    return -1;
}

int CRigelCtrlDlg::CombinationRadioForDesign(int designRadio) {
    return designRadio == 0 || designRadio == 2 || designRadio == 3 ? designRadio : 1;
}

// ---- the page ---------------------------------------------------------------------------------

QWidget* CRigelCtrlDlg::MakeWidget(QWidget* parent, bool child, bool modal) {
    RegisterCodePictures();
    return CMainPage::MakeWidget(parent, child, modal);
}

bool CRigelCtrlDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, "RigelCtrlDlg");
    for (int id : {int(IDC_DIN18800), int(IDC_SIA263), int(IDC_EC3), int(IDC_EC3_NA), int(IDC_ALU)})
        MapCommand(id, [this] { OnDesignRadio(); });
    MapCommand(IDC_GENERAL, [this] { OnGeneral(); });
    MapCommand(IDC_SERVICEABILITY, [this] { OnServiceability(); });
    MapCommand(IDC_COMBINATION, [this] { OnCombination(); });
    MapCommand(IDC_EXISTING_MATERIALS, [] {});
    MapCommand(IDC_TEST, [] {});
    UpdatePictures();
    return true;
}

void CRigelCtrlDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Radio(dx, IDC_DIN18800, m_nDesign);
    wl::DDX_Radio(dx, IDC_LK_DIN18800, m_nCombination);
    wl::DDX_CBIndex(dx, IDC_ANNEX, m_nAnnex);
    wl::DDX_Check(dx, IDC_EXISTING_MATERIALS, m_bExistingMaterials);
}

void CRigelCtrlDlg::UpdatePictures() {
    auto show = [this](int id, bool on) {
        if (wl::Window* w = GetDlgItem(id)) w->ShowWindow(on ? wl::SW_SHOW : wl::SW_HIDE);
    };
    show(IDC_PICTURE_DIN, m_nDesign <= 0);
    show(IDC_PICTURE_EN, m_nDesign == 2 || m_nDesign == 4);
    show(IDC_PICTURE_NA, m_nDesign == 3);
    if (wl::Window* annex = GetDlgItem(IDC_ANNEX)) annex->EnableWindow(m_nDesign == 3);
}

void CRigelCtrlDlg::ExchangeData(bool save) {
    if (!IsWindow() || !m_pData) return;
    CModuleData& d = *m_pData;
    if (!save) {
        m_nDesign = RadioOfNorm(d.m_info.m_nNorm);
        m_nCombination = RadioOfCombination(d.m_info.m_nLkNorm);
        m_nAnnex = d.m_info.m_nCountryCode;
        m_bExistingMaterials = d.m_matBB;
        UpdatePictures();
        UpdateData(false);
        return;
    }
    if (!UpdateData(true)) return;
    d.m_matBB = m_bExistingMaterials;
    const int norm = m_nDesign >= 0 ? NormOfRadio(m_nDesign) : d.m_info.m_nNorm;
    const int combination = m_nCombination >= 0 ? CombinationOfRadio(m_nCombination) : d.m_info.m_nLkNorm;
    d.m_info.m_nCountryCode = m_nAnnex < 0 ? 0 : m_nAnnex;
    // The actions follow a new combination code (durations mapped, the old
    // combinations dropped) before the code is set.
    d.LK().ChangeNorm(combination);
    d.SetNormAndMaterialClass(norm, combination);
    d.LK().SetNorm(combination);
}

void CRigelCtrlDlg::OnDesignRadio() {
    ExchangeData(true);
    if (m_pData && m_pData->m_pDialog) m_pData->m_pDialog->ReloadPageGrid(PAGE_SYSTEM);
    UpdatePictures();
    m_nCombination = CombinationRadioForDesign(m_nDesign);
    UpdateData(false);
}

void CRigelCtrlDlg::OnGeneral() { CGeneralSettingsDlg::RunOn(m_pData); }

void CRigelCtrlDlg::OnServiceability() {
    if (!m_pData) return;
    ExchangeData(true);
    CModuleData& d = *m_pData;
    CCalcSettingsDlg dlg(CCalcSettingsDlg::MODE_SERVICEABILITY, &d.m_calcSettings, d.m_info.m_nLkNorm != 1);
    if (dlg.DoModal() != wl::IDOK) return;
    for (int k = 0; k < 4; ++k) d.LK().m_bChecks[3 + k] = d.m_calcSettings.m_gebrNachweis == k;
    d.LK().Generate(0);
    d.UpdateViews(0);
}

void CRigelCtrlDlg::OnCombination() {
    if (!m_pData) return;
    ExchangeData(true);
    CModuleData& d = *m_pData;
    CCalcSettingsDlg dlg(CCalcSettingsDlg::MODE_COMBINATION, &d.m_calcSettings, d.m_info.m_nLkNorm != 1);
    if (dlg.DoModal() == wl::IDOK) d.UpdateViews(0);
}

void CRigelCtrlDlg::Target::SetFocus() {
    if (wl::Window* w = m_page.GetDlgItem(IDC_SERVICEABILITY)) w->SetFocus();
}

void CRigelCtrlDlg::Target::SendParentCommand(int id) {
    if (id == IDC_SERVICEABILITY) m_page.OnServiceability();
}

// ---- calculation settings ---------------------------------------------------------------------

CCalcSettingsDlg::CCalcSettingsDlg(int mode, CCalcSettings* settings, bool notDin18800)
    : wl::Dialog(kTemplateId), m_nMode(mode), m_pSettings(settings), m_bNotDin18800(notDin18800) {}

bool CCalcSettingsDlg::OnInitDialog() {
    constexpr const char* area = "CalcSettingsDlg";
    LINGO_HWNDTranslate(this, rigel::kAppInput, kSection, area);
    wl::DataExchange dx(*this, false);
    wl::DDX_Control(dx, IDC_GRID, m_grid);
    for (const char* k : {"Ständig", "Häufig", "Nicht häufig", "Selten"}) m_kinds.push_back(Tr(area, k));
    for (const char* k : {"Nur Maximales", "Alle Relevanten", "Alle"}) m_results.push_back(Tr(area, k));
    CCalcSettings* s = m_pSettings;
    static CCalcSettings none;
    if (!s) s = &none;
    m_grid.SetTitle(Tr(area, "Steuerung der Berechnung"));
    m_grid.AddHeaderField(Tr(area, "Nachweis Gebrauchstauglichkeit"));
    m_grid.AddComboField(Tr(area, "Nachweis Gebrauchstauglichkeit"), &s->m_gebrNachweis, m_kinds);
    m_grid.AddIntField(Tr(area, "Zulässige Durchbiegung im Feld"), &s->m_zulDefField);
    m_grid.AddIntField(Tr(area, "Zulässige Durchbiegung am Kragarm"), &s->m_zulDefKrag);
    m_grid.AddHeaderField(Tr(area, "Ergebnisse abspeichern"));
    m_grid.AddComboField(Tr(area, "Ergebnisse für LKs(Gebrauchstaugl.)"), &s->m_resultGebrLK, m_results);
    m_grid.AddComboField(Tr(area, "Ergebnisse für LKs(Tragsicherheit.)"), &s->m_resultTragSVLK, m_results);
    m_grid.AddHeaderField(Tr(area, "Lastüberlagerung"));
    m_grid.AddCheckField(Tr(area, "Kollektive mit gamma=psi=1.0 ermitteln"), &s->m_bNoGammaPsi);
    m_grid.InitGrid();
    if (m_nMode == MODE_SERVICEABILITY) {
        for (int row = ROW_RESULTS_HEADER; row <= ROW_NO_GAMMA_PSI; ++row) m_grid.ShowRow(row, false);
        if (!m_bNotDin18800) m_grid.ShowRow(ROW_SLS_KIND, false);
    } else if (m_nMode == MODE_COMBINATION) {
        for (int row = ROW_SLS_HEADER; row <= ROW_DEFL_CANTILEVER; ++row) m_grid.ShowRow(row, false);
    }
    ExchangeData(false);
    return true;
}

void CCalcSettingsDlg::ExchangeData(bool save) {
    m_grid.ExchangeData(save);
    UpdateData(save);
}

void CCalcSettingsDlg::OnOK() {
    ExchangeData(true);
    EndDialog(wl::IDOK);
}
