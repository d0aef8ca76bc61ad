// The table dialog: its plan, the column and width commands, templates.
#include "editor/controls/GridDlg.h"

#include <QWidget>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"
#include "platform/wl/ui.h"
#include "platform/zevud/zevud.h"

namespace {

using wl::Kind;

constexpr double kTwipsPerCm = 566.9291338582676;
constexpr double kRowHeight = 0.6;  // cm of the plan per row
constexpr int kMaxColumns = 63;     // the most a table row of the text can hold

std::string Tr(const std::string& text) { return lingo::Translate("VKT Eingabe", "velor_i_Quill", "GridDlg", text); }

const wl::TemplateRegistrar kTemplate({
    {CGridDlg::kTemplateId, "Tabelle", 400, 262, 0,
     {
         {CGridDlg::kGraphId, Kind::Custom, "", 7, 7, 386, 140, 0, {}, "KurvoGraph2D"},
         {-1, Kind::GroupBox, "Gesamtbreite", 7, 152, 200, 82},
         {CGridDlg::kWidthTextId, Kind::Static, "Aktuell: 16.00 cm ändern auf:", 14, 166, 120, 9},
         {CGridDlg::kNewWidthId, Kind::Edit, "", 140, 164, 58, 12},
         {-1, Kind::Static, "Spaltenbreiten:", 14, 184, 60, 9},
         {CGridDlg::kWidthModeId, Kind::Combo, "", 80, 182, 118, 60, wl::kTranslatable,
          {"Alle gleichmäßig", "Erste Spalte ändern", "Letzte Spalte ändern"}},
         {CGridDlg::kWidthNowId, Kind::Button, "Gesamtbreite jetzt ändern", 80, 206, 118, 14},
         {-1, Kind::GroupBox, "Zeilen / Spalten", 214, 152, 179, 82},
         {-1, Kind::Static, "Anzahl Zeilen:", 221, 166, 70, 9},
         {CGridDlg::kRowsId, Kind::Edit, "", 300, 164, 40, 12},
         {-1, Kind::Static, "Anzahl Spalten:", 221, 184, 70, 9},
         {CGridDlg::kColumnsId, Kind::Edit, "", 300, 182, 40, 12},
         {CGridDlg::kRowsColsNowId, Kind::Button, "Jetzt ändern", 300, 206, 86, 14},
         {wl::IDOK, Kind::Button, "Einfügen", 7, 241, 60, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 73, 241, 60, 14},
         {CGridDlg::kSaveTemplateId, Kind::Button, "Als Vorlage speichern", 150, 241, 86, 14},
         {CGridDlg::kLoadTemplateId, Kind::Button, "Tabellenvorlage laden", 242, 241, 86, 14},
         {CGridDlg::kHelpId, Kind::Button, "Hilfe", 343, 241, 50, 14},
     }},
});

std::string TemplateFolder() {
    return (std::filesystem::path(GetDataDir()) / "vorlagen" / "Tabellenvorlagen").string() + "/";
}

wl::FileRequest TemplateRequest() {
    wl::FileRequest r;
    r.defaultExt = "ttp";
    r.filter = Tr("VK-Quill Tabellenvorlagen|*.ttp||");
    r.folder = TemplateFolder();
    return r;
}

// Keeps a row's texts as many as its edges.
void Normalise(CRtfTableRow& row) {
    row.texts.resize(row.borders.size(), " ");
    row.nCells = static_cast<int>(row.borders.size());
}

}  // namespace

// ---- templates ----------------------------------------------------------------------------------

bool WriteTableTemplate(const std::string& path, const CTableTemplate& t) {
    const ZVDOC doc = ZEVUD_CreateDoc(path.c_str());
    if (!doc) return false;
    const ZVELEM table = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "table");
    bool ok = table != 0;
    if (ok) {
        ZEVUD_SetInt(table, "nCol", t.nCol);
        ZEVUD_SetInt(table, "nRow", t.nRow);
        ZEVUD_SetInt(table, "nWidth", t.nWidth);
        for (size_t i = 0; i < t.widths.size(); ++i)
            ZEVUD_SetInt(table, winsys::FormatC("colWidth_%ld", static_cast<long>(i)).c_str(), t.widths[i]);
        ZEVUD_SetInt(table, "numOfDefaultText", 0);
        ok = ZEVUD_SaveDoc(doc) == 1;
    }
    ZEVUD_CloseDoc(doc);
    return ok;
}

bool ReadTableTemplate(const std::string& path, CTableTemplate& t) {
    const ZVDOC doc = ZEVUD_OpenDoc(path.c_str());
    if (!doc) return false;
    const ZVELEM root = ZEVUD_GetRootElement(doc);
    const ZVELEM table = root ? ZEVUD_FindFirstChild(root, "table") : 0;
    CTableTemplate read;
    if (table) {
        read.nCol = std::clamp(ZEVUD_GetInt(table, "nCol"), 0, kMaxColumns);
        read.nRow = std::max(ZEVUD_GetInt(table, "nRow"), 0);
        read.nWidth = ZEVUD_GetInt(table, "nWidth");
        for (int i = 0; i < read.nCol; ++i)
            read.widths.push_back(
                std::max(ZEVUD_GetInt(table, winsys::FormatC("colWidth_%ld", static_cast<long>(i)).c_str()), 0));
    }
    ZEVUD_CloseDoc(doc);
    if (!table || read.nCol == 0) return false;
    t = read;
    return true;
}

// ---- the dialog -----------------------------------------------------------------------------------

int CGridDlg::CmToTwips(double cm) { return static_cast<int>(cm * kTwipsPerCm + 0.5); }

double CGridDlg::TwipsToCm(int twips) { return twips / kTwipsPerCm; }

CGridDlg::CGridDlg(wl::Window*) : wl::Dialog(kTemplateId) {
    graph.Bind(&graphWindow_.Graph());
    graphWindow_.Graph().SetEvents(this);
}

CGridDlg::~CGridDlg() { graphWindow_.Graph().SetEvents(nullptr); }

void CGridDlg::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Control(dx, kGraphId, graphWindow_);
    wl::DDX_Text(dx, kWidthTextId, widthText);
    wl::DDX_Text(dx, kNewWidthId, newWidth);
    wl::DDX_CBIndex(dx, kWidthModeId, widthMode);
    wl::DDX_Text(dx, kColumnsId, columnCount);
    wl::DDX_Text(dx, kRowsId, rowCount);
}

bool CGridDlg::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_Quill", "GridDlg");
    UpdateData(false);
    selected = 0;
    for (CRtfTableRow& r : rows) Normalise(r);
    DrawPlan();
    return true;
}

bool CGridDlg::OnCommand(int id, int code) {
    if (code != wl::BN_CLICKED) return wl::Dialog::OnCommand(id, code);
    switch (id) {
        case kWidthNowId: ChangeTotalWidth(); return true;
        case kRowsColsNowId: ChangeRowsAndColumns(); return true;
        case kSaveTemplateId: SaveTemplate(); return true;
        case kLoadTemplateId: LoadTemplate(); return true;
        case kHelpId: OpenHelpTopic("vk-quill.chm", "/Tabellen.htm"); return true;
        default: return wl::Dialog::OnCommand(id, code);
    }
}

// ---- the plan -------------------------------------------------------------------------------------------

void CGridDlg::DrawPlan() {
    graph.Method1();
    graph.Method17(1);
    if (rows.empty()) {
        graph.Method15();
        return;
    }
    const int n = ColumnCount();
    std::vector<double> x = {0.0};
    for (int b : rows.front().borders) x.push_back(TwipsToCm(b));
    const double width = x.back();
    const int shown = static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const CRtfTableRow& r) { return !r.bDeleted; }));
    const double height = std::max(shown, 1) * kRowHeight;
    const double text = 0.28;
    // Grid lines and frame; never picked.
    graph.Method21(0, 0);
    graph.Method35(static_cast<int32_t>(kGridColour), 0, 3, 0);
    for (int r = 1; r < shown; ++r) graph.Method3(0, -r * kRowHeight, width, -r * kRowHeight);
    for (int k = 1; k < n; ++k) graph.Method3(x[k], 0, x[k], -height);
    graph.Method35(0, 1, 3, 0);
    graph.Method6(0, 0, width, -height);
    // The column widths above the table, and nearer to it the total width.
    for (int k = 1; k <= n; ++k)
        graph.Method12(x[k - 1], 0, x[k], 0, 0, 1.7, 14, text, winsys::FormatC("%.2lf", x[k] - x[k - 1]).c_str(), 2, 0, 0);
    graph.Method12(0, 0, width, 0, 0, 1.0, 14, text, winsys::FormatC("%.2lf", width).c_str(), 2, 0, 0);
    // Column k: a strip to pick.
    for (int k = 1; k <= n; ++k) {
        const bool picked = selected == k;
        graph.Method21(k, 3);
        graph.Method35(static_cast<int32_t>(picked ? kPickColour : kGridColour), picked ? 1 : 0, 3, 0);
        graph.Method6(x[k - 1] + 0.03, -0.03, x[k] - 0.03, -height + 0.03);
    }
    // Inner edge k (element n + k) with its arrow mark above the table.
    for (int k = 1; k < n; ++k) {
        const bool picked = selected == n + k;
        graph.Method21(n + k, 0);
        graph.Method35(static_cast<int32_t>(picked ? kPickColour : 0), picked ? 1 : 0, 0, 0);
        graph.Method3(x[k], 0.1, x[k], 0.55);
        const double ax[3] = {x[k] - 0.12, x[k] + 0.12, x[k]};
        const double ay[3] = {0.35, 0.35, 0.1};
        graph.Method5(3, ax, ay);
    }
    graph.Method34(0, 0, 0, 0);
    graph.Method15();
    graph.Method55();
    // The fields.
    widthText = winsys::FormatC(Tr("Aktuell: %.1lf cm ändern auf:").c_str(), width);
    rowCount = 0;
    while (rowCount < static_cast<int>(rows.size()) && !rows[static_cast<size_t>(rowCount)].bDeleted) ++rowCount;
    columnCount = n;
    if (Widget()) UpdateData(false);
}

void CGridDlg::Pick(int id) {
    selected = id;
    DrawPlan();
    const int n = ColumnCount();
    if (id >= 1 && id <= n) {
        graph.Method53(Tr("Spalte löschen").c_str(), 1000 + id, 1, 0);
        graph.Method53(Tr("Spalte einfügen LINKS").c_str(), 2000 + id, 1, 0);
        graph.Method53(Tr("Spalte einfügen RECHTS").c_str(), 3000 + id, 1, 0);
    }
}

void CGridDlg::OnEvent(int code, const kurvo::EventArgs& args) {
    switch (code) {
        case 3:
            Pick(args.item);
            dragStart_ = rows;
            break;
        case 2: {
            // The move counts from the press: start from the rows as they were then.
            const int n = ColumnCount();
            if (selected <= n || dragStart_.empty()) break;
            const std::vector<CRtfTableRow> before = rows;
            rows = dragStart_;
            if (!DragEdge(args.x)) rows = before;
            break;
        }
        case 7: PlanCommand(args.command); break;
        default: break;
    }
}

void CGridDlg::PlanCommand(int command) {
    const int k = selected;
    if (k < 1 || k > ColumnCount() || command < 1000 || command >= 4000) return;
    const size_t c = static_cast<size_t>(k - 1);
    if (command < 2000) {
        // The right neighbour takes over the width; the last column goes
        // with its width. A table keeps at least one column.
        if (ColumnCount() < 2) return;
        for (CRtfTableRow& r : rows) {
            if (c >= r.borders.size()) continue;
            r.borders.erase(r.borders.begin() + static_cast<long>(c));
            if (c < r.texts.size()) r.texts.erase(r.texts.begin() + static_cast<long>(c));
            Normalise(r);
        }
        selected = 0;
    } else if (ColumnCount() < kMaxColumns) {
        const bool left = command < 3000;
        for (CRtfTableRow& r : rows) {
            if (c >= r.borders.size()) continue;
            const int leftEdge = c == 0 ? 0 : r.borders[c - 1];
            const int right = r.borders[c];
            const int split = right - (right - leftEdge) / 2;
            const long at = static_cast<long>(c);
            if (left) {
                // The new column is the left part, with the text " ".
                r.borders.insert(r.borders.begin() + at, split);
                r.texts.insert(r.texts.begin() + at, " ");
            } else {
                // The picked column ends at the split; the new one fills up to the old edge.
                r.borders[c] = split;
                r.borders.insert(r.borders.begin() + at + 1, right);
                r.texts.insert(r.texts.begin() + at + 1, "");
            }
            Normalise(r);
        }
    }
    DrawPlan();
}

bool CGridDlg::DragEdge(double dCm) {
    const int n = ColumnCount();
    const int k = selected - n;  // edge k: right edge of column k
    if (k < 1 || k >= n) return false;
    const int delta = CmToTwips(dCm);
    const size_t e = static_cast<size_t>(k - 1);
    // Every row first: the edge stays between its neighbours.
    for (const CRtfTableRow& r : rows) {
        if (e + 1 >= r.borders.size()) continue;
        const int moved = r.borders[e] + delta;
        const int lower = e == 0 ? 0 : r.borders[e - 1];
        if (moved < lower || moved > r.borders[e + 1]) return false;
    }
    for (CRtfTableRow& r : rows)
        if (e + 1 < r.borders.size()) r.borders[e] += delta;
    DrawPlan();
    return true;
}

void CGridDlg::ChangeTotalWidth() {
    if (Widget() && !UpdateData(true)) return;
    if (rows.empty()) return;
    if (newWidth <= 0.1 || rows.front().borders.empty()) {
        DrawPlan();
        return;
    }
    const int wanted = CmToTwips(newWidth);
    const int old = rows.front().borders.back();
    const int delta = wanted - old;
    switch (widthMode) {
        case kAllEvenly:
            // A table without width cannot be scaled.
            if (old == 0) break;
            for (CRtfTableRow& r : rows)
                for (int& b : r.borders) b = static_cast<int>(static_cast<double>(b) * wanted / old);
            break;
        case kFirstColumn:
        case kLastColumn: {
            const bool first = widthMode == kFirstColumn;
            // Every row must take the change, else no row changes.
            for (const CRtfTableRow& r : rows) {
                if (r.borders.empty()) continue;
                const size_t last = r.borders.size() - 1;
                const int column = first ? r.borders[0] + delta
                                         : r.borders[last] + delta - (last == 0 ? 0 : r.borders[last - 1]);
                if (column < kMinColumn) {
                    winsys::MessageBox(Tr(first ? "Die erste Spalte ist zu schmal für die gewünschte Änderung"
                                                : "Die letzte Spalte ist zu schmal für die gewünschte Änderung"),
                                       "", winsys::Buttons::Ok, winsys::Icon::Information);
                    DrawPlan();
                    return;
                }
            }
            for (CRtfTableRow& r : rows) {
                if (r.borders.empty()) continue;
                if (first)
                    for (int& b : r.borders) b += delta;
                else
                    r.borders.back() += delta;
            }
            break;
        }
        default: break;
    }
    DrawPlan();
}

void CGridDlg::ChangeRowsAndColumns() {
    if (Widget() && !UpdateData(true)) return;
    if (rowCount > 0 && !rows.empty()) {
        while (static_cast<int>(rows.size()) < rowCount) {
            CRtfTableRow copy = rows.back();
            for (std::string& t : copy.texts) t = " ";
            copy.start = copy.end = -1;
            copy.bDeleted = 0;
            rows.push_back(copy);
        }
        for (size_t i = 0; i < rows.size(); ++i) rows[i].bDeleted = static_cast<int>(i) < rowCount ? 0 : 1;
    }
    const int cols = std::min(columnCount, kMaxColumns);
    if (cols > 0 && !rows.empty() && cols != ColumnCount()) {
        for (CRtfTableRow& r : rows) {
            const int c = static_cast<int>(r.borders.size());
            const int lastEdge = c == 0 ? 0 : r.borders.back();
            for (int j = c; j < cols; ++j) {
                r.borders.push_back(lastEdge + CmToTwips(j - c + 1));
                r.texts.push_back(" ");
            }
            r.borders.resize(static_cast<size_t>(cols));
            r.texts.resize(static_cast<size_t>(cols));
            Normalise(r);
        }
        selected = 0;
    }
    DrawPlan();
}

void CGridDlg::ApplyTemplate(const CTableTemplate& t) {
    columnCount = t.nCol;
    rowCount = t.nRow;
    for (CRtfTableRow& r : rows) {
        r.borders.clear();
        int sum = 0;
        for (int w : t.widths) r.borders.push_back(sum += w);
        r.texts.resize(static_cast<size_t>(t.nCol));
        for (std::string& text : r.texts)
            if (text.empty()) text = " ";
        Normalise(r);
    }
    selected = 0;
    DrawPlan();
    // The template's row count only shows in the field; "Jetzt ändern" applies it.
    rowCount = t.nRow;
    if (Widget()) UpdateData(false);
}

void CGridDlg::SaveTemplate() {
    CCurDirKeeper keep;
    if (Widget() && !UpdateData(true)) return;
    CTableTemplate t;
    t.nCol = columnCount;
    t.nRow = rowCount;
    if (!rows.empty() && !rows.front().borders.empty()) {
        t.nWidth = rows.front().borders.back();
        int left = 0;
        for (int b : rows.front().borders) {
            t.widths.push_back(b - left);
            left = b;
        }
    }
    const std::optional<std::string> file = wl::GetUi().GetSaveFileName(TemplateRequest(), this);
    if (!file || file->empty()) return;
    std::error_code ec;
    if (std::filesystem::exists(*file, ec) &&
        winsys::MessageBox(Tr("Die angegebene Datei existiert bereits. Überschreiben?"), "", winsys::Buttons::YesNo,
                           winsys::Icon::Question, winsys::IdNo) != winsys::IdYes)
        return;
    WriteTableTemplate(*file, t);
}

void CGridDlg::LoadTemplate() {
    CCurDirKeeper keep;
    const std::optional<std::string> file = wl::GetUi().GetOpenFileName(TemplateRequest(), this);
    if (!file || file->empty()) return;
    CTableTemplate t;
    if (!ReadTableTemplate(*file, t)) return;
    ApplyTemplate(t);
}

void WriteRowsBack(std::string& rtf, const std::vector<CRtfTableRow>& rows, const std::string& newRowsBefore) {
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        std::string row;
        RowToRtf(*it, row);
        if (it->start >= 0 && it->end >= it->start && static_cast<size_t>(it->end) <= rtf.size()) {
            rtf.erase(static_cast<size_t>(it->start), static_cast<size_t>(it->end - it->start));
            if (!it->bDeleted) rtf.insert(static_cast<size_t>(it->start), row);
        } else if (it->start < 0 && !it->bDeleted) {
            const size_t at = rtf.rfind(newRowsBefore);
            rtf.insert(at == std::string::npos ? rtf.size() : at, row);
        }
    }
}
