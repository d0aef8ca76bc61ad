#include "dialogs/ImportValDlg.h"

#include <algorithm>

#include <QImage>
#include <QPainter>

#include "dialogs/ImportLists.h"
#include "formula/ImportValueList.h"
#include "module/BaseData.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/resources.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using Item = wl::TreeCtrl::Item;

constexpr const char* kArea = "DlgImportVal";
constexpr const char* kGridArea = "ImportValGrid";
constexpr uint32_t kGreen = 0x00FF00;  // the bitmaps' transparent colour

const wl::TemplateRegistrar kTemplates({
    {CDlgImportVal::kTemplateId, "Wertübernahme", 420, 290, 0,
     {
         {11078, wl::Kind::GroupBox, "Bitte wählen Sie eine Position", 7, 4, 130, 150},
         {CDlgImportVal::IDC_POSITIONS, wl::Kind::ListView, "", 12, 16, 120, 132},
         {11083, wl::Kind::GroupBox, "Werte durch 'Doppelklick' auswählen / entfernen", 142, 4, 271, 150},
         {CDlgImportVal::IDC_VALUES, wl::Kind::Tree, "", 147, 16, 238, 132},
         {CDlgImportVal::IDC_TAKE, wl::Kind::Button, "", 390, 40, 18, 16},
         {CDlgImportVal::IDC_RELEASE, wl::Kind::Button, "", 390, 60, 18, 16},
         {CDlgImportVal::IDC_RELEASE_ALL, wl::Kind::Button, "", 390, 80, 18, 16},
         {11084, wl::Kind::GroupBox, "Übernommene Werte", 7, 158, 406, 106},
         {CDlgImportVal::IDC_GRID, wl::Kind::Custom, "", 12, 170, 396, 88, 0, {}, "RigelGridCtrl"},
         {CDlgImportVal::IDC_HELP, wl::Kind::Button, "Hilfe", 7, 270, 50, 14},
         {wl::IDOK, wl::Kind::Button, "OK", 308, 270, 50, 14, wl::kDefault},
         {wl::IDCANCEL, wl::Kind::Button, "Abbrechen", 363, 270, 50, 14},
     }},
});

// The three button bitmaps on pure green: a right arrow (take over), a left
// arrow (release) and a cross (release all).
QImage ButtonBitmap(int kind) {
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(QColor(0, 255, 0));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(kind == 2 ? QColor(170, 30, 30) : QColor(20, 60, 140));
    if (kind == 0) {
        const QPoint arrow[] = {{3, 3}, {12, 8}, {3, 13}};
        p.drawPolygon(arrow, 3);
    } else if (kind == 1) {
        const QPoint arrow[] = {{12, 3}, {3, 8}, {12, 13}};
        p.drawPolygon(arrow, 3);
    } else {
        p.setPen(QPen(QColor(170, 30, 30), 3));
        p.drawLine(4, 4, 11, 11);
        p.drawLine(11, 4, 4, 11);
    }
    return img;
}

void RegisterButtonBitmaps() {
    static const bool done = [] {
        if (wl::FindBitmap(167).isNull()) wl::RegisterBitmap(167, ButtonBitmap(0));
        if (wl::FindBitmap(166).isNull()) wl::RegisterBitmap(166, ButtonBitmap(1));
        if (wl::FindBitmap(146).isNull()) wl::RegisterBitmap(146, ButtonBitmap(2));
        return true;
    }();
    (void)done;
}

std::string Tr(const char* area, const std::string& text) {
    return lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, area, text);
}

bool HasPath(const std::vector<CImportValue>& list, const std::string& path) {
    for (const CImportValue& v : list)
        if (winsys::EqualsNoCase(v.m_strSourcePath, path)) return true;
    return false;
}

}  // namespace

// ---- the grid of chosen values --------------------------------------------------------------------

CImportValGrid::CImportValGrid() = default;
CImportValGrid::~CImportValGrid() = default;

void CImportValGrid::InitGrid() {
    Setup(1, 3, 1, 0);
    const int widths[3] = {60, 20, 20};
    const char* titles[3] = {"Beschreibung", "Variable", "Wert/Einheit"};
    for (int c = 0; c < 3; ++c) {
        SetColumnRelWidth(c, widths[c]);
        SetCenteredText(0, c, Tr(kGridArea, titles[c]));
    }
    FitColumnsToWidth();
    Fill();
}

void CImportValGrid::InitRow(int row) {
    for (int c = 0; c < 3; ++c) SetCellType(row, c, KIND_TEXT);
    SetCellReadOnly(row, COL_PATH, true);
    SetCellReadOnly(row, COL_VALUE, true);
    ClearContextMenuItems();
    if (GetRowCount() > 1)
        AddContextMenuItem(CGridCellRange(1, 0, GetRowCount() - 1, 2), Tr(kGridArea, "Wert löschen"), CMD_DELETE);
}

void CImportValGrid::Fill() {
    SetRowCount(int(m_records.size()) + 1);
    for (size_t i = 0; i < m_records.size(); ++i) {
        const CImportValue& v = m_records[i];
        const int row = int(i) + 1;
        InitRow(row);
        SetTextCell(row, COL_PATH, v.m_strSourcePath);
        SetTextCell(row, COL_VARIABLE, v.m_strVarName);
        SetTextCell(row, COL_VALUE, winsys::FormatC("%.2lf %s", v.m_dValue, v.m_strUnit.c_str()));
    }
    if (m_records.empty()) ClearContextMenuItems();
    Refresh();
}

const std::vector<CImportValue>& CImportValGrid::Records() {
    for (size_t i = 0; i < m_records.size() && int(i) + 1 < GetRowCount(); ++i)
        m_records[i].m_strVarName = GetItemText(int(i) + 1, COL_VARIABLE);
    return m_records;
}

void CImportValGrid::AddRecord(const CImportValue& record) {
    Records();
    for (CImportValue& v : m_records)
        if (v.m_strSourcePath == record.m_strSourcePath) {
            v = record;
            Fill();
            return;
        }
    m_records.push_back(record);
    Fill();
}

void CImportValGrid::RemoveRecords(const std::string& sourcePath) {
    Records();
    std::erase_if(m_records, [&](const CImportValue& v) { return v.m_strSourcePath == sourcePath; });
    Fill();
}

void CImportValGrid::RemoveAll() {
    m_records.clear();
    Fill();
}

bool CImportValGrid::HasRecord(const std::string& sourcePath) const {
    for (const CImportValue& v : m_records)
        if (v.m_strSourcePath == sourcePath) return true;
    return false;
}

void CImportValGrid::OnCellValueChanged(int /*row*/, int /*col*/, int /*kind*/) { Records(); }

void CImportValGrid::OnContextMenuCommand(int row, int /*col*/, int id) {
    if (id != CMD_DELETE || row < 1 || size_t(row) > m_records.size()) return;
    Records();
    m_records.erase(m_records.begin() + (row - 1));
    Fill();
    if (onRemoved) onRemoved();
}

// ---- the dialog ----------------------------------------------------------------------------------------

CDlgImportVal::CDlgImportVal() : wl::Dialog(kTemplateId) {
    MapNotify(IDC_POSITIONS, wl::LVN_ITEMCHANGED, [this](const wl::Notify&) -> intptr_t {
        OnPositionChanged();
        return 0;
    });
    MapNotify(IDC_VALUES, wl::NM_DBLCLK, [this](const wl::Notify&) -> intptr_t {
        RenewSelected();
        return 0;
    });
    MapCommand(IDC_TAKE, [this] { TakeSelected(); });
    MapCommand(IDC_RELEASE, [this] { ReleaseSelected(); });
    MapCommand(IDC_RELEASE_ALL, [this] { ReleaseAll(); });
    MapCommand(IDC_HELP, [] {
        std::string file = Tr(kArea, "help\\Lastübernahme Einzelwerte.pdf");
        std::replace(file.begin(), file.end(), '\\', '/');
        OpenProgramDocument(file);
    });
    m_grid.onRemoved = [this] {
        UpdateImports(true);
        FillValues(m_shownFile);
    };
}

CDlgImportVal::~CDlgImportVal() = default;

void CDlgImportVal::DoDataExchange(wl::DataExchange& dx) {
    wl::Dialog::DoDataExchange(dx);
    wl::DDX_Control(dx, IDC_POSITIONS, m_positions);
    wl::DDX_Control(dx, IDC_VALUES, m_values);
    wl::DDX_Control(dx, IDC_GRID, m_grid);
}

bool CDlgImportVal::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, rigel::kSectionCommon, kArea);
    RegisterButtonBitmaps();
    const struct {
        CHoverButton& button;
        int id, bitmap;
        const char* tip;
    } buttons[] = {
        {m_take, IDC_TAKE, 167, "Markierte Werte übernehmen"},
        {m_release, IDC_RELEASE, 166, "Markierte Werte nicht mehr übernehmen"},
        {m_releaseAll, IDC_RELEASE_ALL, 146, "Alle Werte nicht mehr übernehmen"},
    };
    for (const auto& b : buttons) {
        b.button.SubclassDlgItem(b.id, this);
        b.button.SetLinkLook(true);
        b.button.SetBitmaps(b.bitmap, kGreen);
        b.button.SetTooltipText(Tr(kArea, b.tip));
    }
    m_chosen.clear();
    if (m_pBaseData) {
        const CVarDefList& list = m_pBaseData->m_varDefs;
        for (int i = 0; i < list.GetSize(); ++i) {
            const CVarDefEntry* e = list.GetAt(i);
            if (!e || e->m_nType != VARDEF_IMPORT) continue;
            const CImportValue& v = static_cast<const CVarDefImport*>(e)->m_import;
            if (!v.m_strSourcePath.empty()) m_chosen.push_back(v);
        }
    }
    m_grid.InitGrid();
    importlists::FillPositionList(m_positions, kArea);
    if (!m_chosen.empty()) {
        const std::string& path = m_chosen.back().m_strSourcePath;
        const std::string name = path.substr(0, path.find('\\'));
        for (int row = 0; row < m_positions.GetItemCount(); ++row)
            if (winsys::EqualsNoCase(m_positions.GetItemText(row, 0), name)) {
                m_positions.SelectItem(row);
                m_positions.EnsureVisible(row);
                break;
            }
        FillValues(name + ".vkx");
    }
    UpdateImports(false);
    return true;
}

void CDlgImportVal::UpdateImports(bool save) {
    if (save) {
        m_chosen = m_grid.Records();
        UpdateData(true);
    } else {
        for (const CImportValue& v : m_chosen) m_grid.AddRecord(v);
        UpdateData(false);
    }
}

void CDlgImportVal::OnPositionChanged() {
    const int row = m_positions.GetSelectedItem();
    if (row < 0) return;
    FillValues(m_positions.GetItemText(row, 0) + ".vkx");
}

void CDlgImportVal::FillValues(const std::string& fileName) {
    importlists::FillValueTree(m_values, fileName, kArea, m_records, &m_items);
    for (const CImportValue& v : m_chosen) {
        for (const auto& [path, item] : m_items)
            if (winsys::EqualsNoCase(path, v.m_strSourcePath)) {
                m_values.SetItemBold(item, true);
                m_values.SelectItem(item);
            }
    }
    m_shownFile = fileName;
}

const CImportValue* CDlgImportVal::RecordOf(Item item) const {
    const std::intptr_t data = item ? m_values.GetItemData(item) : 0;
    if (data < 1 || size_t(data) > m_records.size()) return nullptr;
    return &m_records[size_t(data - 1)];
}

void CDlgImportVal::Take(Item item) {
    const CImportValue* record = RecordOf(item);
    if (!record) {
        for (Item c = m_values.GetChildItem(item); c; c = m_values.GetNextSiblingItem(c)) Take(c);
        return;
    }
    if (m_values.IsItemBold(item)) return;
    m_values.SetItemBold(item, true);
    CImportValue copy = *record;
    copy.m_strVarName = MakeImportVariableName(m_shownFile, record->m_strVarName);
    m_grid.AddRecord(copy);
}

void CDlgImportVal::Release(Item item) {
    const CImportValue* record = RecordOf(item);
    if (!record) {
        for (Item c = m_values.GetChildItem(item); c; c = m_values.GetNextSiblingItem(c)) Release(c);
        return;
    }
    if (!m_values.IsItemBold(item)) return;
    m_values.SetItemBold(item, false);
    m_grid.RemoveRecords(record->m_strSourcePath);
}

void CDlgImportVal::TakeSelected() {
    if (const Item item = m_values.GetSelectedItem()) Take(item);
    UpdateImports(true);
}

void CDlgImportVal::ReleaseSelected() {
    if (const Item item = m_values.GetSelectedItem()) Release(item);
    UpdateImports(true);
}

void CDlgImportVal::RenewSelected() {
    if (const Item item = m_values.GetSelectedItem()) {
        Release(item);
        Take(item);
    }
    UpdateImports(true);
}

void CDlgImportVal::ReleaseAll() {
    m_grid.RemoveAll();
    UpdateImports(true);
    FillValues(m_shownFile);
}

void CDlgImportVal::OnOK() {
    UpdateImports(true);
    if (!m_pBaseData) return EndDialog(wl::IDOK);
    CVarDefList& list = m_pBaseData->m_varDefs;
    // Entries whose value is no longer chosen go; the place of the last
    // imported value is remembered (the one before it when it went).
    int place = -1;
    for (int i = 0; i < list.GetSize(); ++i) {
        CVarDefEntry* e = list.GetAt(i);
        if (!e || e->m_nType != VARDEF_IMPORT) continue;
        if (HasPath(m_chosen, static_cast<CVarDefImport*>(e)->m_import.m_strSourcePath)) {
            place = i;
        } else {
            list.RemoveAt(i);
            place = --i;
        }
    }
    // Kept entries take the chosen record; new ones follow the remembered place.
    std::vector<bool> present(m_chosen.size(), false);
    bool anyImport = false;
    for (int i = 0; i < list.GetSize(); ++i) {
        CVarDefEntry* e = list.GetAt(i);
        if (!e || e->m_nType != VARDEF_IMPORT) continue;
        anyImport = true;
        CImportValue& v = static_cast<CVarDefImport*>(e)->m_import;
        for (size_t k = 0; k < m_chosen.size(); ++k)
            if (winsys::EqualsNoCase(v.m_strSourcePath, m_chosen[k].m_strSourcePath)) {
                v = m_chosen[k];
                present[k] = true;
            }
    }
    bool atEnd = place < 0 || place >= list.GetSize() - 1;
    for (size_t k = 0; k < m_chosen.size(); ++k) {
        if (present[k]) continue;
        if (!anyImport) {
            const CVarDefEntry* first = list.GetSize() > 0 ? list.GetAt(0) : nullptr;
            if (first && first->m_nType != VARDEF_TITLE) {
                auto title = std::make_unique<CVarDefTitle>();
                title->m_strTitle = Tr(kArea, "Lastübernahmen");
                list.Add(std::move(title));
            }
            anyImport = true;
            atEnd = true;
        }
        auto entry = std::make_unique<CVarDefImport>();
        entry->m_import = m_chosen[k];
        if (atEnd) {
            list.Add(std::move(entry));
        } else {
            list.InsertAt(++place, std::move(entry));
            atEnd = place >= list.GetSize() - 1;
        }
    }
    m_pBaseData->DefineVariables();
    EndDialog(wl::IDOK);
}
