#include "graphics/PreviewDlg.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>

#include "module/ModuleData.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ModuleState.h"
#include "module/frame/ProgDB.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/resources.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

constexpr const char* kApp = "VKT Eingabe";
constexpr const char* kSection = "velor_i_common";
constexpr const char* kDialogName = "PreviewDlg";

// The views stand one over the other in the tab's page; the report box
// above them all, the buttons and the raster edit in the tab row's free end.
const wl::TemplateRegistrar kTemplate({
    IDD_PREVIEW,
    "Vorschau",
    420,
    290,
    0,
    {
        {IDC_PREVIEW_TAB, Kind::Tab, "", 4, 4, 412, 282},
        {IDC_PREVIEW_3D, Kind::Custom, "", 8, 22, 404, 260, 0, {}, "Kurvo3D"},
        {IDC_PREVIEW_XZ, Kind::Custom, "", 8, 22, 322, 260, 0, {}, "Kurvo2D"},
        {IDC_PREVIEW_XY, Kind::Custom, "", 8, 22, 322, 260, wl::kHidden, {}, "Kurvo2D"},
        {IDC_PREVIEW_YZ, Kind::Custom, "", 8, 22, 322, 260, wl::kHidden, {}, "Kurvo2D"},
        {IDC_PREVIEW_SECTION, Kind::Custom, "", 330, 22, 82, 260, 0, {}, "Kurvo2D"},
        {IDC_PREVIEW_REPORT, Kind::Custom, "", 8, 22, 404, 260, wl::kHidden, {}, "RichTextBox"},
        {IDC_PREVIEW_RASTER_LABEL, Kind::Static, "Raster (cm):", 300, 7, 52, 10, wl::kRight},
        {IDC_PREVIEW_RASTER, Kind::Edit, "", 356, 5, 40, 12},
        {IDC_PREVIEW_EDIT, Kind::Button, "bearbeiten", 292, 2, 60, 16, wl::kHidden},
        {IDC_PREVIEW_PRINT, Kind::Button, "drucken", 354, 2, 60, 16, wl::kHidden},
    },
});

// 16 x 16 on the transparent green: a pencil (edit) and a printer (print).
void RegisterButtonBitmaps() {
    static bool done = false;
    if (done) return;
    done = true;
    QImage edit(16, 16, QImage::Format_RGB32);
    edit.fill(QColor(0, 255, 0));
    {
        QPainter p(&edit);
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(230, 180, 40));
        p.drawPolygon(QPolygon({QPoint(3, 11), QPoint(11, 3), QPoint(13, 5), QPoint(5, 13)}));
        p.setBrush(QColor(40, 40, 40));
        p.drawPolygon(QPolygon({QPoint(2, 14), QPoint(3, 11), QPoint(5, 13)}));
    }
    QImage print(16, 16, QImage::Format_RGB32);
    print.fill(QColor(0, 255, 0));
    {
        QPainter p(&print);
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 8, 6);
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(1, 6, 14, 6);
        p.setBrush(Qt::white);
        p.drawRect(4, 10, 8, 5);
    }
    wl::RegisterBitmap(IDB_PREVIEW_EDIT, edit);
    wl::RegisterBitmap(IDB_PREVIEW_PRINT, print);
}

// The window preview, made only where windows run and the host's value
// names a live window; the plain object stands in otherwise.
CPreviewDialogBase* MakeWindowPreview(int64_t parentWindow) {
    if (!wl::HasWindowSystem()) return nullptr;
    wl::Window* host = wl::Window::FromHandle(static_cast<std::uintptr_t>(parentWindow));
    if (!host || !host->IsWindow()) return nullptr;
    return new CPreviewDlg();
}

const bool kMakerRegistered = (SetPreviewDialogMaker(&MakeWindowPreview), true);

}  // namespace

CPreviewDlg::CPreviewDlg() : wl::Dialog(IDD_PREVIEW) {
    (void)kMakerRegistered;
    for (const char* title : {"3D - Ansicht", "XZ - Ansicht", "XY - Ansicht", "YZ - Ansicht", "Querschnitt",
                              "Vorschau Ausgabe"})
        m_titles.push_back(Tr(title));
    m_section.Bind(&m_wndSection.Graph());
    m_xy.Bind(&m_wndXY.Graph());
    m_xz.Bind(&m_wndXZ.Graph());
    m_yz.Bind(&m_wndYZ.Graph());
    m_3d.Bind(&m_wnd3D.Graph());
    // Drag modes: along the member in XZ (0) and XY (1), in the section
    // plane (2) in YZ and the section.
    const struct {
        kurvoqt::Graph2DWindow* wnd;
        CKurvo2D* graph;
        int mode;
    } views[] = {{&m_wndXZ, &m_xz, 0}, {&m_wndXY, &m_xy, 1}, {&m_wndYZ, &m_yz, 2}, {&m_wndSection, &m_section, 2}};
    for (size_t i = 0; i < m_events.size(); ++i) {
        m_events[i].dlg = this;
        m_events[i].graph = views[i].graph;
        m_events[i].mode = views[i].mode;
        views[i].wnd->Graph().SetEvents(&m_events[i]);
    }
    MapNotify(IDC_PREVIEW_TAB, wl::TCN_SELCHANGE, [this](const wl::Notify&) -> std::intptr_t {
        ShowSelectedView();
        return 0;
    });
    MapCommand(IDC_PREVIEW_EDIT, [this] {
        if (m_pModuleData) OpenWithDocumentTool(m_pModuleData->GetRtfFileName());
    });
    MapCommand(IDC_PREVIEW_PRINT, [this] {
        if (m_pModuleData) PrintFile(m_pModuleData->GetRtfFileName());
    });
}

CPreviewDlg::~CPreviewDlg() {
    for (kurvoqt::Graph2DWindow* w : {&m_wndXZ, &m_wndXY, &m_wndYZ, &m_wndSection}) w->Graph().SetEvents(nullptr);
    // The data must not keep drawing into windows that go now.
    if (CModuleData* d = m_pModuleData) {
        auto ours2D = [this](CKurvo2D* g) { return g == &m_xz || g == &m_xy || g == &m_yz || g == &m_section; };
        d->m_Sketch2DList.erase(std::remove_if(d->m_Sketch2DList.begin(), d->m_Sketch2DList.end(), ours2D),
                                d->m_Sketch2DList.end());
        d->m_Sketch3DList.erase(std::remove(d->m_Sketch3DList.begin(), d->m_Sketch3DList.end(), &m_3d),
                                d->m_Sketch3DList.end());
        if (d->m_pPreviewDlg == static_cast<CPreviewDialogBase*>(this)) d->m_pPreviewDlg = nullptr;
    }
    DestroyWindow();
}

std::string CPreviewDlg::Tr(const char* text) const { return lingo::Translate(kApp, kSection, kDialogName, text); }

// ---- creation ---------------------------------------------------------------------------------

bool CPreviewDlg::CreateModeless() { return IsWindow() || Create(nullptr); }

void CPreviewDlg::SetParentWindow(int64_t parent) {
    CPreviewDialogBase::SetParentWindow(parent);
    wl::Window* host = wl::Window::FromHandle(static_cast<std::uintptr_t>(parent));
    if (host && host->IsWindow() && IsWindow()) SetParent(host);
}

void CPreviewDlg::Show() {
    CPreviewDialogBase::Show();
    ShowWindow(wl::SW_SHOW);
}

void CPreviewDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Control(dx, IDC_PREVIEW_TAB, m_tab);
    wl::DDX_Control(dx, IDC_PREVIEW_SECTION, m_wndSection);
    wl::DDX_Control(dx, IDC_PREVIEW_XY, m_wndXY);
    wl::DDX_Control(dx, IDC_PREVIEW_XZ, m_wndXZ);
    wl::DDX_Control(dx, IDC_PREVIEW_YZ, m_wndYZ);
    wl::DDX_Control(dx, IDC_PREVIEW_3D, m_wnd3D);
    wl::DDX_Control(dx, IDC_PREVIEW_REPORT, m_richText);
    if (dx.m_bSaveAndValidate)
        ReadRaster();
    else
        wl::DDX_Text(dx, IDC_PREVIEW_RASTER, m_dRaster);
}

bool CPreviewDlg::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, kApp, kSection, kDialogName);
    RegisterButtonBitmaps();
    m_btnEdit.SubclassDlgItem(IDC_PREVIEW_EDIT, this);
    m_btnPrint.SubclassDlgItem(IDC_PREVIEW_PRINT, this);
    m_btnEdit.SetBitmaps(IDB_PREVIEW_EDIT, 0x00FF00);
    m_btnPrint.SetBitmaps(IDB_PREVIEW_PRINT, 0x00FF00);
    m_btnEdit.SetDrawFlag(false, true);
    m_btnPrint.SetDrawFlag(false, true);
    if (m_bCombined) m_titles[0] = Tr("2D/3D");
    FillTabs();
    ShowSelectedView();
    LayoutViews();
    m_richText.SetText(Tr("Moment bitte..."));
    return true;
}

void CPreviewDlg::ReadRaster() {
    std::string text = GetDlgItemText(IDC_PREVIEW_RASTER);
    std::replace(text.begin(), text.end(), ',', '.');
    size_t used = 0;
    const std::optional<double> v = winsys::ParseDouble(text, &used);
    if (!v || !std::isfinite(*v) || text.find_first_not_of(" \t", used) != std::string::npos) return;
    m_dRaster = *v;
}

// ---- tabs and views ---------------------------------------------------------------------------

void CPreviewDlg::FillTabs() {
    m_tabViews.clear();
    m_tab.DeleteAllItems();
    m_layout = CDlgResizer();
    auto add = [this](int32_t code, const std::string& title) {
        m_tab.InsertItem(m_tab.GetItemCount(), title);
        m_tabViews.push_back(code);
    };
    if (!m_bCombined) {
        const struct {
            uint32_t bit;
            int32_t code;
            int title;
        } tabs[] = {{VIEW_3D, CODE_3D, 0},
                    {VIEW_XZ, CODE_XZ, 1},
                    {VIEW_XY, CODE_XY, 2},
                    {VIEW_YZ, CODE_YZ, 3},
                    {VIEW_REPORT, CODE_REPORT, 5}};
        for (const auto& t : tabs)
            if (m_views & t.bit) add(t.code, m_titles[static_cast<size_t>(t.title)]);
        m_tab.SetCurSel(1);
    } else {
        add(CODE_3D, Tr("2D/3D"));
        if (m_views & VIEW_REPORT) add(CODE_REPORT, m_titles[5]);
        m_tab.SetCurSel(0);
    }
}

void CPreviewDlg::SelectTab(int index) {
    CPreviewDialogBase::SelectTab(index);
    if (m_tab.IsWindow()) m_tab.SetCurSel(index);
}

void CPreviewDlg::ShowTip(const char* file) const {
    if (ShowRtfTipProc tip = GetShowRtfTipFunc()) tip(file);
}

void CPreviewDlg::ShowSelectedView() {
    if (!m_tab.IsWindow()) return;
    const int sel = m_tab.GetCurSel();
    if (sel < 0 || sel >= static_cast<int>(m_tabViews.size())) return;
    const int32_t v = m_tabViews[static_cast<size_t>(sel)];
    const bool report = v == CODE_REPORT;

    for (CHoverButton* b : {&m_btnEdit, &m_btnPrint}) b->ShowWindow(report ? wl::SW_SHOW : wl::SW_HIDE);
    const bool raster = m_bShowRaster && !report;
    for (int id : {IDC_PREVIEW_RASTER, IDC_PREVIEW_RASTER_LABEL})
        if (wl::Window* w = GetDlgItem(id)) w->ShowWindow(raster ? wl::SW_SHOW : wl::SW_HIDE);
    m_richText.ShowWindow(report ? wl::SW_SHOW : wl::SW_HIDE);
    m_richText.EnableWindow(report);

    CModuleData* d = m_pModuleData;
    if (d) {
        d->m_Sketch2DList.clear();
        d->m_Sketch3DList.clear();
    }
    if (!report) m_nLastDrawingView = v;

    struct View {
        wl::Window* wnd;
        uint32_t bit;
    };
    const View views[] = {{&m_wnd3D, VIEW_3D},   {&m_wndXZ, VIEW_XZ},           {&m_wndXY, VIEW_XY},
                          {&m_wndYZ, VIEW_YZ}, {&m_wndSection, VIEW_SECTION}};
    auto showOnly = [&](std::initializer_list<wl::Window*> shown) {
        for (const View& view : views) {
            const bool on = std::find(shown.begin(), shown.end(), view.wnd) != shown.end();
            view.wnd->ShowWindow(on ? wl::SW_SHOW : wl::SW_HIDE);
        }
    };

    if (report) {
        showOnly({});
        ShowReport();
        return;
    }
    if (!m_bCombined) {
        if (v == CODE_3D) {
            showOnly({&m_wnd3D});
            if (d) d->m_Sketch3DList.push_back(&m_3d);
            ShowTip("common_Preview3D.rtf");
            m_wnd3D.SetFocus();
            if (d) d->m_nSketchView = 1;
        } else {
            kurvoqt::Graph2DWindow* wnd = v == CODE_XZ ? &m_wndXZ : (v == CODE_XY ? &m_wndXY : &m_wndYZ);
            CKurvo2D* graph = v == CODE_XZ ? &m_xz : (v == CODE_XY ? &m_xy : &m_yz);
            const bool section = (m_views & VIEW_SECTION) != 0;
            if (section)
                showOnly({wnd, &m_wndSection});
            else
                showOnly({wnd});
            if (d) {
                d->m_Sketch2DList.push_back(graph);
                if (section) d->m_Sketch2DList.push_back(&m_section);
            }
            ShowTip("common_Preview2D.rtf");
            wnd->SetFocus();
            if (d) d->m_nSketchView = v - CODE_XZ;
        }
    } else {
        for (const View& view : views) view.wnd->ShowWindow((m_views & view.bit) ? wl::SW_SHOW : wl::SW_HIDE);
        if (d) {
            if (m_views & VIEW_3D) d->m_Sketch3DList.push_back(&m_3d);
            const std::pair<uint32_t, CKurvo2D*> order[] = {
                {VIEW_YZ, &m_yz}, {VIEW_XZ, &m_xz}, {VIEW_XY, &m_xy}, {VIEW_SECTION, &m_section}};
            for (const auto& [bit, graph] : order)
                if (m_views & bit) d->m_Sketch2DList.push_back(graph);
        }
    }
    if (d) {
        d->DrawSystem2D(1);
        d->DrawSystem3D(1);
    }
}

void CPreviewDlg::ShowReport() {
    CModuleData* d = m_pModuleData;
    if (!d || !m_pMainDlg) {
        winsys::MessageBox(rigel::TranslateFormat(kSection, kDialogName, "Fehler: CPreviewDlg::m_pInputDlg nicht gesetzt!!"),
                           "", winsys::Buttons::Ok, winsys::Icon::None);
        return;
    }
    // The input dialog writes its pages into the document first.
    if (CProgDBEntry* entry = GetProgDB().FindProgram(d->m_strProgName, d->m_strModuleName))
        entry->SendGetData(m_pMainDlg, static_cast<int32_t>(d->m_hDoc));
    d->ShowOutput(&m_richText);
    m_richText.SetFocus();
}

// ---- layout -----------------------------------------------------------------------------------

void CPreviewDlg::LayoutViews() {
    wl::Window* all[] = {&m_wnd3D, &m_wndYZ, &m_wndXZ, &m_wndXY, &m_wndSection, &m_richText, &m_tab};
    for (wl::Window* w : all)
        if (!w->IsWindow()) return;
    if (m_layout.GetCount() == 0) {
        wl::Rect r, t;
        GetChildRectInParent(this, &m_wnd3D, r);
        GetChildRectInParent(this, &m_tab, t);
        const int d = r.left - t.left;
        const int e = r.top - t.top;
        if (!m_bCombined) {
            const int p = (m_views & VIEW_SECTION) ? 80 : 100;
            m_layout.AddControl(&m_wnd3D, 0, 0, 100, 100, 2 * d, d + e, -2 * d, -2 * d);
            for (wl::Window* w : {static_cast<wl::Window*>(&m_wndYZ), static_cast<wl::Window*>(&m_wndXZ),
                                  static_cast<wl::Window*>(&m_wndXY)})
                m_layout.AddControl(w, 0, 0, p, 100, 2 * d, d + e, -d, -2 * d);
            if (m_views & VIEW_SECTION) m_layout.AddControl(&m_wndSection, p, 0, 100, 100, 0, d + e, -2 * d, -2 * d);
            m_layout.AddControl(&m_richText, 0, 0, 100, 100, 2 * d, d + e, -2 * d, -2 * d);
            m_layout.AddControl(&m_tab, 0, 0, 100, 100, d, d, -d, -d);
        } else if (m_views & (VIEW_3D | VIEW_XZ | VIEW_XY | VIEW_YZ | VIEW_SECTION)) {
            // Side by side from the left: 3-D, YZ, XZ, XY, section.
            int x = 0;
            if (m_views & VIEW_3D) {
                m_layout.AddControl(&m_wnd3D, 0, 0, m_widths[0], 100, 2 * d, d + e + 1, -d / 2, -2 * d);
                x += m_widths[0];
            }
            const struct {
                wl::Window* wnd;
                uint32_t bit;
                int width;
            } planes[] = {{&m_wndYZ, VIEW_YZ, m_widths[3]}, {&m_wndXZ, VIEW_XZ, m_widths[1]},
                          {&m_wndXY, VIEW_XY, m_widths[2]}};
            for (const auto& plane : planes) {
                if (!(m_views & plane.bit)) continue;
                m_layout.AddControl(plane.wnd, x, 0, x + plane.width, 100, d / 2, d + e, -d / 2, -2 * d);
                x += plane.width;
            }
            if (m_views & VIEW_SECTION) {
                m_layout.AddControl(&m_wndSection, x, 0, x + m_widths[4], 100, d / 2, d + e, -2 * d, -2 * d);
                x += m_widths[4];
            }
            m_layout.AddControl(&m_richText, 0, 0, 100, 100, 2 * d, d + e, -2 * d, -2 * d);
            m_layout.AddControl(&m_tab, 0, 0, 100, 100, d, d, -d, -d);
        }
    }
    m_layout.Layout(GetClientRect());
    // The graph controls follow to where their windows are now.
    auto tell2D = [](kurvoqt::Graph2DWindow& w, CKurvo2D& g) {
        if (!w.IsWindow()) return;
        const wl::Rect r = w.GetWindowRect();
        g.Method16(static_cast<int16_t>(r.left), static_cast<int16_t>(r.top), static_cast<int16_t>(r.Width()),
                   static_cast<int16_t>(r.Height()));
    };
    if (m_wnd3D.IsWindow()) {
        const wl::Rect r = m_wnd3D.GetWindowRect();
        m_3d.Method7(static_cast<int16_t>(r.left), static_cast<int16_t>(r.top), static_cast<int16_t>(r.Width()),
                     static_cast<int16_t>(r.Height()));
    }
    tell2D(m_wndXZ, m_xz);
    tell2D(m_wndXY, m_xy);
    tell2D(m_wndYZ, m_yz);
    tell2D(m_wndSection, m_section);
}

void CPreviewDlg::OnSize(unsigned type, int cx, int cy) {
    wl::Dialog::OnSize(type, cx, cy);
    LayoutViews();
}

bool CPreviewDlg::OnHelpInfo() {
    OpenHelpTopic("vk-velor.chm");
    return wl::Dialog::OnHelpInfo();
}

// ---- the sketch's events ----------------------------------------------------------------------

void CPreviewDlg::ViewEvents::OnEvent(int code, const kurvo::EventArgs& a) {
    switch (code) {
        case 3: dlg->OnPress(graph, a.item); break;
        case 2: dlg->OnMove(graph, mode, a.x, a.y); break;
        case 4: dlg->OnRelease(); break;
        case 7: dlg->OnCommand(graph, a.command); break;
        default: break;
    }
}

void CPreviewDlg::OnPress(CKurvo2D* graph, int32_t item) {
    UpdateData(true);  // the raster as it stands in its edit
    m_bDragArmed = item == m_nCurrentItem;
    m_nCurrentItem = item;
    m_dMovedX = m_dMovedY = 0.0;
    if (m_pModuleData) m_pModuleData->OnSketchClick(graph, item);
}

void CPreviewDlg::OnMove(CKurvo2D* graph, int mode, double x, double y) {
    if (m_nCurrentItem == 0 || !m_bDragArmed || !m_pModuleData) return;
    // The control reports the way from the press point; the data takes the
    // step since the last move.
    const double dx = x - m_dMovedX, dy = y - m_dMovedY;
    m_dMovedX = x;
    m_dMovedY = y;
    m_pModuleData->OnSketchDrag(graph, m_nCurrentItem, dx, dy, m_dRaster * 0.01, mode);
}

void CPreviewDlg::OnRelease() {
    if (m_nCurrentItem != 0 && m_pModuleData) m_pModuleData->OnSketchDrop(m_nCurrentItem);
}

void CPreviewDlg::OnCommand(CKurvo2D* graph, int32_t command) {
    if (command != 0 && m_pModuleData) m_pModuleData->OnSketchCommand(graph, command);
}
