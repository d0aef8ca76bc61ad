#include "dialogs/SimpleImportDlg.h"

#include "dialogs/ImportLists.h"
#include "graphics/TreePaths.h"
#include "module/frame/ModuleMessages.h"
#include "module/frame/ModuleState.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"
#include "platform/winsys/winsys.h"

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
    const int selected = importlists::FillPositionList(m_positions, kArea, Remembered().position);
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
    m_shownFile = fileName;
    importlists::FillValueTree(m_values, fileName, kArea, m_records);
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
