// A small RTF reader for the tests: checks that a document is well formed
// and reads back its paragraphs, tables, pictures, page header, fonts and
// colours. Written independently of the writer, from the RTF syntax.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace rtftest {

struct Row {
    std::vector<std::string> cells;  // text of each cell (UTF-8)
    std::vector<bool> bold;          // per cell: some text of it is bold
    std::vector<std::string> super;  // per cell: its superscript text
    std::vector<std::string> align;  // per cell: "ql", "qc", "qr" or "qj" of its last paragraph
    std::vector<long> cellx;         // right cell edges of the row definition (twips)
    int cellDefs = 0;                // number of \cellx in the row definition
    bool header = false;             // \trhdr
};

struct Paragraph {
    int style = 0;
    std::string text;  // UTF-8
    std::vector<int> fonts;   // fonts used in the paragraph
    std::vector<int> colors;  // \cf colours used in the paragraph
};

struct Picture {
    std::string blip;      // "emfblip", "pngblip", "jpegblip"
    std::string bytes;     // decoded data
    long goalW = 0, goalH = 0;  // twips
};

struct Document {
    bool ok = false;
    std::string error;
    std::vector<std::string> fonts;                  // by number
    std::vector<std::array<int, 3>> colors;          // entry 0 = automatic
    std::vector<Paragraph> paragraphs;               // outside tables
    std::vector<std::vector<Row>> tables;            // consecutive rows
    std::vector<Picture> pictures;
    std::string header;                              // page header text
    int firstPage = -1;                              // \pgnstarts
};

Document ParseRtf(const std::string& text);
Document ParseRtfFile(const std::filesystem::path& path);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace rtftest
