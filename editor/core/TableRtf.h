// Tables in the editor text: their RTF built from widths and texts, and
// parsed back into rows.
#pragma once

#include <string>
#include <vector>

// One row of a table as read from RTF.
struct CRtfTableRow {
    int bDeleted = 0;
    int nCells = 0;
    std::vector<int> borders;  // cell right borders, twips from the table's left edge
    std::vector<std::string> texts;
    std::string properties;    // what follows "\trowd" up to the first "\cellx"
    int start = -1, end = -1;  // the row's range in the text it was read from
};

// A complete RTF document holding a table of rows x cols cells; widths in
// twips per column, texts row by row (a missing or empty text gives an empty
// cell).
void BuildTableRtf(int rows, int cols, const std::vector<int>& widths, const std::vector<std::string>& texts,
                   std::string& out);
// The RTF of one row.
void RowToRtf(const CRtfTableRow& row, std::string& out);
// The rows of the tables in the text; -1 (and no rows) when the text holds a
// nested table, else the number of rows.
int ParseTableRtf(const std::string& text, std::vector<CRtfTableRow>& rows);
