// CGridDlg ("Tabelle"): the layout of one table of the editor text (rows,
// columns, column widths, total width) drawn as a plan in the 2-D graph
// control, where columns are picked and inner column edges dragged; table
// templates in ".ttp" files.
#pragma once

#include <string>
#include <vector>

#include "editor/core/TableRtf.h"
#include "graphics/core/Kurvo.h"
#include "platform/kurvoqt/kurvoqt.h"
#include "platform/wl/dialog.h"

// The values of a table template: columns, rows, the total width and the
// column widths (twips).
struct CTableTemplate {
    int nCol = 0;
    int nRow = 0;
    int nWidth = 0;
    std::vector<int> widths;
};
// Writes a template document (root child "table"); false when it could not
// be written (the document layer said why).
bool WriteTableTemplate(const std::string& path, const CTableTemplate& t);
// Reads one; false when the file does not open, has no "table" or no column.
bool ReadTableTemplate(const std::string& path, CTableTemplate& t);

// Writes the dialog's rows back into the RTF they were read from, from the
// last row to the first: a row read from the text replaces its old range
// (a deleted one only loses it); a new row goes before the last
// occurrence of newRowsBefore.
void WriteRowsBack(std::string& rtf, const std::vector<CRtfTableRow>& rows, const std::string& newRowsBefore);

class CGridDlg : public wl::Dialog, private kurvo::Events {
public:
    static constexpr int kTemplateId = 11503;
    static constexpr int kGraphId = 11522;
    static constexpr int kWidthTextId = 1016, kNewWidthId = 1017, kWidthModeId = 1018, kWidthNowId = 1019;
    static constexpr int kRowsColsNowId = 1021, kHelpId = 1022;
    static constexpr int kColumnsId = 11549, kRowsId = 11550;
    static constexpr int kSaveTemplateId = 11555, kLoadTemplateId = 11556;
    enum WidthMode { kAllEvenly = 0, kFirstColumn = 1, kLastColumn = 2 };
    static constexpr unsigned kGridColour = 0xC0C0C0, kPickColour = 0x4040C0;
    static constexpr int kMinColumn = 50;  // twips a changed first or last column keeps at least

    // Centimetres to twips: the integer part (towards zero) of cm x twips/cm + 0.5.
    static int CmToTwips(double cm);
    static double TwipsToCm(int twips);

    explicit CGridDlg(wl::Window* parent = nullptr);
    ~CGridDlg() override;
    const char* ClassName() const override { return "CGridDlg"; }

    // The table's rows; filled by the caller before DoModal, read after OK.
    std::vector<CRtfTableRow> rows;
    std::string widthText;
    double newWidth = 16.0;  // cm
    int widthMode = kAllEvenly;
    int columnCount = 0;
    int rowCount = 0;
    CKurvo2D graph;
    int selected = 0;  // picked element of the plan: column k, inner edge n + k; 0 none

    // ---- the operations behind the plan and the buttons ------------------------------------
    // Draws the plan anew and fills the fields from the rows.
    void DrawPlan();
    // Picks an element (a click on it).
    void Pick(int id);
    // A command of the plan's popup menu: delete (1000 + k), insert left
    // (2000 + k) or right (3000 + k) of the picked column.
    void PlanCommand(int command);
    // Moves the picked inner edge by d centimetres in every row; false when
    // the edge would pass a neighbour (nothing changes then).
    bool DragEdge(double dCm);
    // "Gesamtbreite jetzt ändern" with the fields taken.
    void ChangeTotalWidth();
    // "Jetzt ändern": rows and columns as in the fields.
    void ChangeRowsAndColumns();
    // "Als Vorlage speichern" and "Tabellenvorlage laden" (file dialogs).
    void SaveTemplate();
    void LoadTemplate();
    // The loaded template applied to the rows.
    void ApplyTemplate(const CTableTemplate& t);

    kurvoqt::Graph2DWindow& GraphWindow() { return graphWindow_; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    bool OnCommand(int id, int code) override;

private:
    void OnEvent(int code, const kurvo::EventArgs& args) override;
    int ColumnCount() const { return rows.empty() ? 0 : static_cast<int>(rows.front().borders.size()); }

    kurvoqt::Graph2DWindow graphWindow_;
    // The rows when the picked edge was pressed: a drag moves from there.
    std::vector<CRtfTableRow> dragStart_;
};
