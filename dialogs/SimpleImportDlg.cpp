#include "dialogs/SimpleImportDlg.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>
#include <filesystem>

#include "graphics/TreePaths.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ModuleState.h"
#include "module/frame/ProgDB.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace fs = std::filesystem;

namespace {

const char* const kArea = "DlgSimpleImportVal";

const wl::TemplateRegistrar kTemplates({
    {IDD_SIMPLE_IMPORT, "Wertübernahme", 320, 214, 0,
     {
         {11078, wl::Kind::GroupBox, "Bitte wählen Sie eine Position", 7, 4, 120, 182},
         {IDC_IMPORT_POSITIONS, wl::Kind::ListView, "", 12, 16, 110, 164},
         {11083, wl::Kind::GroupBox, "Bitte wählen Sie den gewünschten Wert", 132, 4, 181, 182},
         {IDC_IMPORT_VALUES, wl::Kind::Tree, "", 137, 16, 171, 164},
         {IDC_IMPORT_HELP, wl::Kind::Button, "Hilfe", 7, 193, 50, 14},
         {wl::IDOK, wl::Kind::Button, "OK", 208, 193, 50, 14, wl::kDefault},
         {wl::IDCANCEL, wl::Kind::Button, "Abbrechen", 263, 193, 50, 14},
     }},
});

std::string Tr(const char* text) { return lingo::Translate(rigel::kAppInput, rigel::kSectionCommon, kArea, text); }

// What the dialog offers again at its next opening. Made on first use and
// destroyed by the module's teardown, never by a static destructor.
struct Memory {
    std::string position;
    std::string path;
};
Memory* g_memory = nullptr;

Memory& Remembered() {
    static bool registered = false;
    if (!registered) {
        registered = true;
        AddTeardownStep([] {
            delete g_memory;
            g_memory = nullptr;
        });
    }
    if (!g_memory) g_memory = new Memory();
    return *g_memory;
}

// The exported values below an "exports" element: values of a level before
// its folders, each a record and a tree line "path\desc [unit] = value".
void CollectExports(ZVELEM level, const std::string& path, std::vector<CImportValue>& records,
                    std::vector<std::string>& lines) {
    for (ZVELEM v = ZEVUD_FindFirstChild(level, "value"); v; v = ZEVUD_FindNextChild(v, "value")) {
        CImportValue r;
        r.m_strDescription = zevud::GetString(v, "desc");
        r.m_strVarName = zevud::GetString(v, "varName");
        r.m_strUnit = zevud::GetString(v, "unit");
        r.m_dValue = ZEVUD_GetDouble(v, "val");
        r.m_strSourcePath = path + "\\" + r.m_strDescription;
        lines.push_back(winsys::FormatC("%s\\%s [%s] = %6.2lf", path.c_str(), r.m_strDescription.c_str(),
                                        r.m_strUnit.c_str(), r.m_dValue));
        records.push_back(r);
    }
    for (ZVELEM f = ZEVUD_FindFirstChild(level, "folder"); f; f = ZEVUD_FindNextChild(f, "folder"))
        CollectExports(f, path + "\\" + zevud::GetString(f, "desc"), records, lines);
}

}  // namespace

std::string CDlgSimpleImportVal::RememberedPosition() { return Remembered().position; }
std::string CDlgSimpleImportVal::RememberedPath() { return Remembered().path; }

CDlgSimpleImportVal::CDlgSimpleImportVal() : wl::Dialog(IDD_SIMPLE_IMPORT) {
    MapNotify(IDC_IMPORT_POSITIONS, wl::LVN_ITEMCHANGED, [this](const wl::Notify&) -> intptr_t {
        OnPositionChanged();
        return 0;
    });
    MapNotify(IDC_IMPORT_VALUES, wl::NM_DBLCLK, [this](const wl::Notify&) -> intptr_t {
        OnOK();
        return 0;
    });
    MapCommand(IDC_IMPORT_HELP, [] { OpenHelpTopic("Grundlagen.chm", "Last_bernahme.htm"); });
}

void CDlgSimpleImportVal::DoDataExchange(wl::DataExchange& dx) {
    wl::Dialog::DoDataExchange(dx);
    wl::DDX_Control(dx, IDC_IMPORT_POSITIONS, m_positions);
    wl::DDX_Control(dx, IDC_IMPORT_VALUES, m_values);
}

bool CDlgSimpleImportVal::OnInitDialog() {
    wl::Dialog::OnInitDialog();
    LINGO_HWNDTranslate(this, rigel::kAppInput, rigel::kSectionCommon, kArea);
    FillPositions();
    const std::string path = Remembered().path;
    if (!path.empty()) {
        HTREEITEM item = 0;
        TreeSelectPath(item, path, &m_values, true);
    }
    return true;
}

void CDlgSimpleImportVal::FillPositions() {
    m_positions.DeleteAllItems();
    while (m_positions.GetColumnCount() > 0) m_positions.DeleteColumn(0);
    m_positions.InsertColumn(0, Tr("Position"), wl::ListCtrl::Left, 50);
    m_positions.InsertColumn(1, Tr("Programm"), wl::ListCtrl::Left, 50);
    if (QWidget* w = m_positions.Widget()) {
        const int frame = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
        const int scroll = w->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w);
        const double free = w->width() - 2 * frame - scroll;
        m_positions.SetColumnWidth(0, static_cast<int>(free * 0.6 / 1.01));
        m_positions.SetColumnWidth(1, static_cast<int>(free * 0.4 / 1.01));
    }

    std::vector<std::string> files;
    std::error_code ec;
    for (const fs::path& p : winsys::FindFiles(fs::current_path(ec), "*.vkx")) files.push_back(p.filename().string());
    SortStringList(files, false);

    const std::string remembered = Remembered().position;
    int selected = -1;
    for (const std::string& file : files) {
        const CProgDBEntry* entry = GetProgDB().FindProgramByFile(file);
        if (!entry || file.size() < 4) continue;
        const std::string name = file.substr(0, file.size() - 4);
        const int row = m_positions.InsertItem(m_positions.GetItemCount(), name);
        std::string program = "VK-" + entry->m_strShortProgName;
        if (!entry->m_strShortModuleName.empty()) program += "/" + entry->m_strShortModuleName;
        m_positions.SetItemText(row, 1, program);
        if (selected < 0 && !remembered.empty() && winsys::EqualsNoCase(name, remembered)) selected = row;
    }
    if (selected >= 0) {
        m_positions.SelectItem(selected);
        m_positions.EnsureVisible(selected);
        OnPositionChanged();
    }
}

void CDlgSimpleImportVal::OnPositionChanged() {
    const int row = m_positions.GetSelectedItem();
    if (row < 0) return;
    const std::string name = m_positions.GetItemText(row, 0);
    Remembered().position = name;
    FillValues(name + ".vkx");
}

void CDlgSimpleImportVal::FillValues(const std::string& fileName) {
    m_values.SetRedraw(false);
    m_values.DeleteAllItems();
    m_records.clear();
    m_shownFile = fileName;
    ZVDOC doc = ZEVUD_OpenDocQuiet(fileName.c_str());
    ZVELEM root = doc ? ZEVUD_GetRootElement(doc) : ZVELEM{};
    if (root) {
        ZVELEM exports = ZEVUD_FindFirstChild(root, "exports");
        if (!exports) {
            const char* format = "Die Datei '%s' exportiert keine Ergebnisse!";
            m_values.InsertItem(lingo::FormatTranslated(format, Tr(format), fileName));
        } else {
            std::vector<std::string> lines;
            CollectExports(exports, fileName.substr(0, fileName.rfind('.')), m_records, lines);
            for (size_t i = 0; i < lines.size(); ++i) {
                const size_t cut = lines[i].find('\\');
                HTREEITEM item = 0;
                if (TreeInsertPath(item, lines[i].substr(cut + 1), &m_values) && item)
                    m_values.SetItemData(item, static_cast<std::intptr_t>(i + 1));
            }
        }
    }
    if (doc) ZEVUD_CloseDoc(doc);
    TreeRedraw(&m_values);
}

void CDlgSimpleImportVal::OnOK() {
    UpdateData(true);
    const HTREEITEM item = m_values.GetSelectedItem();
    const std::intptr_t data = item ? m_values.GetItemData(item) : 0;
    if (data < 1 || static_cast<size_t>(data) > m_records.size()) return;  // no value chosen: stay open
    m_result = m_records[static_cast<size_t>(data - 1)];
    std::string path;
    TreeGetItemPath(path, item, &m_values);
    Remembered().path = path;
    m_strChosenPath = m_result.m_strSourcePath;
    m_result.m_strVarName = MakeImportVariableName(m_shownFile, m_result.m_strVarName);
    EndDialog(wl::IDOK);
}
