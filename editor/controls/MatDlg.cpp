// The database import: materials and standard profiles with their values.
#include "editor/controls/MatDlg.h"

#include <set>

#include "grid/GridCtrl.h"
#include "input/MateHandler.h"
#include "input/StdProfile.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"
#include "platform/zevud/zevud.h"

namespace {

using wl::Kind;

const wl::TemplateRegistrar kTemplate({
    {CMatDlg::kTemplateId, "Datenbank Import", 440, 250, 0,
     {
         {-1, Kind::Static,
          "Für den links gewählten Datenbankeintrag können auf der rechten Seite die gewünschten Werte aktiviert "
          "werden. Diese werden dann als Tabelle ins Dokument eingefügt.",
          7, 7, 360, 18},
         {wl::IDOK, Kind::Button, "OK", 383, 7, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 383, 25, 50, 14},
         {CMatDlg::kTreeId, Kind::Tree, "", 7, 44, 140, 199},
         {CMatDlg::kGridId, Kind::Custom, "", 152, 44, 281, 199, 0, {}, CGridCtrl::kClassName},
     }},
});

std::string Tr(const char* area, const std::string& text) {
    return lingo::Translate("VKT Eingabe", "velor_i_Quill", area, text);
}
// Texts of the material levels as the material handler translates them.
std::string TrMaterial(const std::string& text) {
    return lingo::Translate("VKT Eingabe", "velor_i_rigel", "mateHandler", text);
}

std::vector<std::string> Split(const std::string& s) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at = s.find('\\'); at != std::string::npos; at = s.find('\\', from)) {
        parts.push_back(s.substr(from, at - from));
        from = at + 1;
    }
    parts.push_back(s.substr(from));
    return parts;
}

}  // namespace

// ---- the grid -------------------------------------------------------------------------------------

void CMatGrid::InitGrid() {
    Setup(1, kColumns, 1, 0);
    static const int widths[kColumns] = {10, 50, 20, 15, 15};
    static const char* const headers[kColumns] = {"Aktiv?", "Bezeichnung", "Variable", "Wert", "Einheit"};
    for (int c = 0; c < kColumns; ++c) {
        SetColumnRelWidth(c, widths[c]);
        SetItemText(0, c, Tr("MatGrid", headers[c]));
    }
    FitColumnsToWidth();
}

void CMatGrid::TransferData(bool save) {
    if (save) {
        for (size_t i = 0; i < rows.size(); ++i) {
            const int r = static_cast<int>(i) + 1;
            if (r < GetRowCount()) rows[i].active = GetCheckCell(r, kActive) ? 1 : 0;
        }
        return;
    }
    SetRowCount(static_cast<int>(rows.size()) + 1);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        SetCellType(r, kActive, KIND_CHECK);
        SetCheckCell(r, kActive, rows[i].active);
        const std::string* texts[4] = {&rows[i].name, &rows[i].variable, &rows[i].value, &rows[i].unit};
        for (int c = kName; c <= kUnit; ++c) {
            SetCellType(r, c, KIND_TEXT);
            SetTextCell(r, c, *texts[c - kName]);
            SetCellReadOnly(r, c, true);
        }
    }
    Refresh();
}

// ---- the dialog -------------------------------------------------------------------------------------

CMatDlg::CMatDlg(wl::Window*) : wl::Dialog(kTemplateId) {}

void CMatDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Control(dx, kTreeId, tree);
    wl::DDX_Control(dx, kGridId, grid);
}

bool CMatDlg::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_Quill", "MatDlg");
    UpdateData(false);
    grid.InitGrid();
    grid.rows.clear();
    grid.TransferData(false);
    FillTree();
    // The entry of the last import again, with its ticks.
    if (document && !document->lastObj.empty()) {
        if (const wl::TreeCtrl::Item item = FindItem(document->lastPath + "\\" + document->lastObj)) {
            tree.EnsureVisible(item);
            tree.SelectItem(item);
            ShowItem(item);
        }
    }
    return true;
}

wl::TreeCtrl::Item CMatDlg::Branch(const std::vector<std::string>& texts) {
    wl::TreeCtrl::Item parent = wl::TreeCtrl::kRoot;
    for (const std::string& t : texts) {
        wl::TreeCtrl::Item found = 0;
        for (wl::TreeCtrl::Item c = parent == wl::TreeCtrl::kRoot ? tree.GetRootItem() : tree.GetChildItem(parent); c;
             c = tree.GetNextSiblingItem(c))
            if (tree.GetItemText(c) == t) {
                found = c;
                break;
            }
        parent = found ? found : tree.InsertItem(t, parent);
    }
    return parent;
}

void CMatDlg::AddLeaf(const std::vector<std::string>& branch, const std::string& leaf, const std::string& path) {
    const wl::TreeCtrl::Item item = tree.InsertItem(leaf, Branch(branch));
    paths_.push_back(path);
    tree.SetItemData(item, static_cast<std::intptr_t>(paths_.size()));
}

void CMatDlg::FillTree() {
    tree.SetRedraw(false);
    CMateHandler& mate = GetMateHandler();
    std::vector<std::string> categories, subs, norms, objects;
    mate.GetCategoryNames(categories);
    for (const std::string& c : categories) {
        mate.GetSubcategoryNames(c, subs);
        for (const std::string& s : subs) {
            mate.GetNormNames(c, s, norms);
            for (const std::string& n : norms) {
                mate.GetObjectNames(c, s, n, objects);
                for (const std::string& o : objects)
                    AddLeaf({TrMaterial(c), TrMaterial(s), TrMaterial(n)}, o,
                            winsys::FormatC("%s\\%s\\%s\\%s", c.c_str(), s.c_str(), n.c_str(), o.c_str()));
            }
        }
    }
    CStdProfile& profiles = GetStdProfile();
    profiles.EnsureLoaded();
    std::vector<std::string> names;
    for (int i = 0; i < profiles.GetSeriesCount(); ++i) {
        const std::string series = profiles.GetSeriesName(i);
        profiles.GetProfileNamesOfSeries(series, names, -1);
        for (const std::string& p : names)
            AddLeaf({Tr("MatDlg", "Profile"), series}, p, winsys::FormatC("Profile\\%s\\%s", series.c_str(), p.c_str()));
    }
    tree.SetRedraw(true);
}

std::string CMatDlg::PathOf(wl::TreeCtrl::Item item) const {
    const std::intptr_t data = item ? tree.GetItemData(item) : 0;
    if (data <= 0 || static_cast<size_t>(data) > paths_.size()) return std::string();
    return paths_[static_cast<size_t>(data - 1)];
}

wl::TreeCtrl::Item CMatDlg::FindItem(const std::string& path) const {
    wl::TreeCtrl::Item item = 0;
    for (const std::string& t : Split(path)) {
        wl::TreeCtrl::Item c = item ? tree.GetChildItem(item) : tree.GetRootItem();
        while (c && tree.GetItemText(c) != t) c = tree.GetNextSiblingItem(c);
        if (!c) return 0;
        item = c;
    }
    return item;
}

bool CMatDlg::OnNotify(const wl::Notify& n, std::intptr_t& result) {
    if (n.id == kTreeId && n.code == wl::TVN_SELCHANGED) {
        ShowItem(tree.GetSelectedItem());
        return true;
    }
    return wl::Dialog::OnNotify(n, result);
}

void CMatDlg::ShowItem(wl::TreeCtrl::Item item) {
    if (!document) return;
    if (current) TransferData(true);
    current = item;
    grid.rows.clear();
    title.clear();
    const std::string path = PathOf(item);
    const std::vector<std::string> parts = Split(path);
    if (path.empty()) {
        // A branch: nothing to import.
        document->lastPath.clear();
        document->lastObj.clear();
    } else if (parts.front() == "Profile") {
        if (parts.size() != 3) return grid.TransferData(false);
        CStdProfile& profiles = GetStdProfile();
        int series = -1, profile = -1;
        profiles.FindProfile(parts[1], parts[2], series, profile);
        if (series < 0 || profile < 0) return grid.TransferData(false);
        std::vector<std::string> names, symbols, units;
        std::vector<double> values;
        profiles.GetSectionValueTable(series, profile, names, symbols, values, units);
        document->lastPath = Tr("MatDlg", "Profile") + "\\" + parts[1];
        document->lastObj = parts[2];
        title = winsys::FormatC(Tr("MatDlg", "Querschnittswerte für %s - %s").c_str(), parts[1].c_str(), parts[2].c_str());
        for (size_t i = 0; i < names.size(); ++i) {
            CMatGrid::Row row;
            row.name = Tr("MatDlg", names[i]);
            row.variable = i < symbols.size() ? symbols[i] : std::string();
            row.unit = i < units.size() ? units[i] : std::string();
            const double v = i < values.size() ? values[i] : 0.0;
            row.value = winsys::FormatC("%.*lf", row.unit == "mm" ? 1 : 2, v);
            grid.rows.push_back(row);
        }
    } else {
        if (parts.size() != 4) return grid.TransferData(false);
        CMateList list;
        GetMateHandler().FindObject(list, parts[0], parts[1], parts[2], parts[3]);
        document->lastPath = TrMaterial(parts[0]) + "\\" + TrMaterial(parts[1]) + "\\" + TrMaterial(parts[2]);
        document->lastObj = parts[3];
        title = TrMaterial(parts[1]) + " - " + TrMaterial(parts[2]) + " - " + parts[3];
        // One row per property; an upper level's property of the same short
        // name counts once, with the value that holds for the object.
        std::set<std::string> seen;
        for (ZVELEM e : list.Elements()) {
            const std::string key = zevud::GetString(e, "Kurzname");
            if (!seen.insert(key).second) continue;
            CMatGrid::Row row;
            row.name = TrMaterial(zevud::GetString(e, "Name"));
            row.variable = key;
            row.value = list.GetValue(key);
            row.unit = zevud::GetString(e, "Einheit");
            grid.rows.push_back(row);
        }
    }
    const auto mask = document->pathChecks.find(document->lastPath);
    const unsigned bits = mask == document->pathChecks.end() ? 0u : static_cast<unsigned>(mask->second);
    for (size_t i = 0; i < grid.rows.size() && i < kRememberedRows; ++i) grid.rows[i].active = (bits >> i) & 1u;
    grid.TransferData(false);
}

void CMatDlg::TransferData(bool save) {
    if (!save || !document) return;
    grid.TransferData(true);
    if (document->lastPath.empty() || document->lastObj.empty()) return;
    unsigned mask = 0;
    for (size_t i = 0; i < grid.rows.size() && i < kRememberedRows; ++i)
        if (grid.rows[i].active) mask |= 1u << i;
    document->pathChecks[document->lastPath] = static_cast<int>(mask);
}

void CMatDlg::OnOK() {
    TransferData(true);
    EndDialog(wl::IDOK);
}
