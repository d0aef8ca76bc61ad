// The RTF report writer. One document per process: the calls fill an
// in-memory body; closing assembles font table, colour table, style sheet,
// page setup and page header around it and writes the file.
#include "platform/zadevoz/zadevoz.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>

#include "platform/winsys/winsys.h"
#include "platform/zadevoz/rtf_text.h"

namespace fs = std::filesystem;

namespace zadevoz {
namespace {

using detail::EscapePlain;
using detail::EscapeRtf;

constexpr double kTwipsPerCm = 1440.0 / 2.54;
constexpr int kTextWidthTwips = 9638;  // A4 less 2 x 2 cm margins
const char* const kCaption = "VKT Ausgabe";
const char* const kSettingsKey = "software\\VKT\\velor2005\\zadevoz";

struct Table {
    bool open = false;
    std::vector<int> rightEdges;  // twips, one per column
    std::vector<std::string> row;  // cells of the row being filled
    bool header = false;
};

struct Document {
    bool open = false;
    std::string path;
    bool pageNumbers = true;
    int firstPage = 1;
    bool nologo = false;
    std::map<std::string, std::string> fields;  // "Name", "Titel", "Version", "@T", "@A", "@P"
    std::string body;
    detail::Tables tables;
    Table table;
};

struct State {
    std::recursive_mutex mutex;
    std::string outputFile;
    Document doc;
};

State& S() {
    static State s;
    return s;
}

detail::Tables BaseTables() {
    detail::Tables t;
    t.fonts = {{"Arial", 0, "fswiss"}, {"Arial", 0, "fswiss"}, {"Symbol", 2, "ftech"}, {"Courier New", 0, "fmodern"}};
    t.colors = {{0, 0, 0, true}, {0, 0, 0}, {0, 0, 255}, {230, 230, 230}};
    return t;
}

// Paragraph styles: number in the style sheet, name, properties.
struct Style {
    int number;
    const char* name;
    const char* props;
};
constexpr Style kStyles[] = {
    {0, "Normal", "\\ql\\sa60\\f1\\fs20"},
    {1, "Titel", "\\ql\\sb120\\sa240\\keepn\\f1\\fs36\\b"},
    {2, "Kapitel", "\\ql\\sb360\\sa120\\keepn\\f1\\fs28\\b"},
    {3, "Abschnitt", "\\ql\\sb240\\sa80\\keepn\\f1\\fs24\\b"},
    {4, "Bildunterschrift", "\\ql\\sb120\\sa60\\keepn\\f1\\fs18\\i"},
    {11, "heading 1", "\\ql\\sb360\\sa120\\keepn\\f1\\fs32\\b"},
    {12, "heading 2", "\\ql\\sb300\\sa120\\keepn\\f1\\fs28\\b"},
    {13, "heading 3", "\\ql\\sb240\\sa100\\keepn\\f1\\fs26\\b"},
    {14, "heading 4", "\\ql\\sb200\\sa80\\keepn\\f1\\fs22\\b"},
    {15, "heading 5", "\\ql\\sb160\\sa60\\keepn\\f1\\fs20\\b"},
    {20, "header", "\\ql\\f1\\fs16"},
    {21, "Tabelle", "\\ql\\f1\\fs18"},
};

const Style& StyleFor(int style) {
    auto byNumber = [](int n) -> const Style& {
        for (const Style& s : kStyles)
            if (s.number == n) return s;
        return kStyles[0];
    };
    if (style >= 1 && style <= 4) return byNumber(style);
    if (style <= -1 && style >= -5) return byNumber(10 - style);
    if (style < -5) return byNumber(15);  // lower levels take the lowest heading
    return byNumber(0);
}

std::string ParagraphStart(const Style& s) { return "\\pard\\plain\\s" + std::to_string(s.number) + s.props + " "; }

void Message(const std::string& text, winsys::Icon icon = winsys::Icon::Error) {
    winsys::MessageBox(text, kCaption, winsys::Buttons::Ok, icon);
}

// ---- tables -----------------------------------------------------------------

void EmitRow(Document& d) {
    Table& t = d.table;
    std::string& b = d.body;
    b += "\\trowd\\trgaph57\\trleft0\\trkeep";
    if (t.header) b += "\\trhdr";
    for (int edge : t.rightEdges) {
        if (t.header) b += "\\clcbpat3";
        b += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10"
             "\\clvertalc\\cellx" +
             std::to_string(edge);
    }
    b += "\n";
    for (const std::string& cell : t.row) {
        b += "\\pard\\intbl\\plain\\s21\\ql\\f1\\fs18 ";
        b += cell;
        b += "\\cell\n";
    }
    b += "\\row\n";
    t.row.clear();
}

void AddCell(Document& d, std::string rtf) {
    Table& t = d.table;
    t.row.push_back(std::move(rtf));
    if (t.row.size() == t.rightEdges.size()) EmitRow(d);
}

void EndTable(Document& d) {
    Table& t = d.table;
    if (!t.open) return;
    if (!t.row.empty()) {
        while (t.row.size() < t.rightEdges.size()) t.row.emplace_back();
        EmitRow(d);
    }
    // A small empty paragraph keeps the next table a table of its own.
    d.body += "\\pard\\plain\\s0\\ql\\sa0\\f1\\fs8\\par\n";
    t = Table{};
}

// ---- pictures ----------------------------------------------------------------

struct Picture {
    const char* blip = nullptr;
    long picw = 0, pich = 0;        // picture units (0.01 mm for metafiles, pixels else)
    double widthCm = 0, heightCm = 0;  // own size
};

uint32_t LE32(const std::string& d, size_t off) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(d[off + i]);
    return v;
}
uint32_t BE32(const std::string& d, size_t off) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(d[off + i]);
    return v;
}
unsigned BE16(const std::string& d, size_t off) {
    return (static_cast<unsigned char>(d[off]) << 8) | static_cast<unsigned char>(d[off + 1]);
}

std::optional<Picture> Inspect(const std::string& d) {
    Picture p;
    if (d.size() >= 88 && LE32(d, 0) == 1 && LE32(d, 40) == 0x464D4520u) {
        p.blip = "emfblip";
        auto i32 = [&](size_t off) { return static_cast<int32_t>(LE32(d, off)); };
        double w = i32(32) - i32(24), h = i32(36) - i32(28);  // frame, 0.01 mm
        if (w <= 0 || h <= 0) {
            // No frame: the bounds on the reference device.
            double bw = i32(16) - i32(8) + 1, bh = i32(20) - i32(12) + 1;
            double pxw = i32(72), pxh = i32(76), mmw = i32(80), mmh = i32(84);
            if (bw > 0 && bh > 0 && pxw > 0 && pxh > 0 && mmw > 0 && mmh > 0) {
                w = bw * mmw / pxw * 100.0;
                h = bh * mmh / pxh * 100.0;
            } else {
                w = h = 1000;  // nothing drawn: 1 cm
            }
        }
        p.picw = std::lround(w);
        p.pich = std::lround(h);
        p.widthCm = w / 1000.0;
        p.heightCm = h / 1000.0;
        return p;
    }
    if (d.size() >= 33 && d.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 && d.compare(12, 4, "IHDR") == 0) {
        p.blip = "pngblip";
        p.picw = BE32(d, 16);
        p.pich = BE32(d, 20);
        double dpcmX = 96 / 2.54, dpcmY = 96 / 2.54;
        for (size_t off = 8; off + 12 <= d.size();) {
            uint32_t len = BE32(d, off);
            if (d.compare(off + 4, 4, "pHYs") == 0 && len == 9 && off + 17 <= d.size() && d[off + 16] == 1) {
                double x = BE32(d, off + 8), y = BE32(d, off + 12);
                if (x > 0 && y > 0) dpcmX = x / 100.0, dpcmY = y / 100.0;
            }
            if (d.compare(off + 4, 4, "IDAT") == 0 || len > d.size()) break;
            off += 12 + static_cast<size_t>(len);
        }
        if (p.picw <= 0 || p.pich <= 0) return std::nullopt;
        p.widthCm = p.picw / dpcmX;
        p.heightCm = p.pich / dpcmY;
        return p;
    }
    if (d.size() >= 4 && static_cast<unsigned char>(d[0]) == 0xFF && static_cast<unsigned char>(d[1]) == 0xD8) {
        p.blip = "jpegblip";
        double dpcmX = 96 / 2.54, dpcmY = 96 / 2.54;
        size_t off = 2;
        while (off + 4 <= d.size() && static_cast<unsigned char>(d[off]) == 0xFF) {
            unsigned marker = static_cast<unsigned char>(d[off + 1]);
            unsigned len = BE16(d, off + 2);
            if (marker == 0xE0 && off + 18 <= d.size() && d.compare(off + 4, 5, std::string("JFIF\0", 5)) == 0) {
                int units = static_cast<unsigned char>(d[off + 11]);
                double x = BE16(d, off + 12), y = BE16(d, off + 14);
                if (x > 0 && y > 0 && units == 1) dpcmX = x / 2.54, dpcmY = y / 2.54;
                if (x > 0 && y > 0 && units == 2) dpcmX = x, dpcmY = y;
            }
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC &&
                off + 9 <= d.size()) {
                p.pich = BE16(d, off + 5);
                p.picw = BE16(d, off + 7);
                break;
            }
            off += 2 + len;
        }
        if (p.picw <= 0 || p.pich <= 0) return std::nullopt;
        p.widthCm = p.picw / dpcmX;
        p.heightCm = p.pich / dpcmY;
        return p;
    }
    return std::nullopt;
}

int InsertPicture(const std::string& fileName, double widthCm, double heightCm, bool centred) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Document& d = s.doc;
    if (!d.open) return 0;
    std::string data;
    {
        fs::path p = winsys::ResolveCaseInsensitive(winsys::RealFilePath(fileName));
        std::ifstream f(p, std::ios::binary);
        if (f) data.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
        if (data.empty()) {
            Message("Das Bild '" + fileName + "' wurde nicht gefunden oder ist leer.");
            return 0;
        }
    }
    std::optional<Picture> pic = Inspect(data);
    if (!pic) {
        Message("Das Bild '" + fileName + "' ist kein lesbares Metafile-, PNG- oder JPEG-Bild.");
        return 0;
    }
    auto usable = [](double v) { return std::isfinite(v) && v > 0; };
    double w = usable(widthCm) ? widthCm : 0, h = usable(heightCm) ? heightCm : 0;
    if (w == 0 && h == 0) {
        w = pic->widthCm;
        h = pic->heightCm;
    } else if (h == 0) {
        h = w * pic->heightCm / pic->widthCm;
    } else if (w == 0) {
        w = h * pic->widthCm / pic->heightCm;
    }
    EndTable(d);
    std::string& b = d.body;
    b += "\\pard\\plain\\s0";
    b += centred ? "\\qc" : "\\ql";
    b += "\\sb60\\sa60\\keep\\f1\\fs20 {\\pict\\";
    b += pic->blip;
    b += "\\picw" + std::to_string(pic->picw) + "\\pich" + std::to_string(pic->pich);
    b += "\\picwgoal" + std::to_string(std::lround(w * kTwipsPerCm));
    b += "\\pichgoal" + std::to_string(std::lround(h * kTwipsPerCm)) + "\n";
    static const char* hex = "0123456789abcdef";
    for (size_t i = 0; i < data.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        b += hex[c >> 4];
        b += hex[c & 15];
        if (i % 64 == 63) b += '\n';
    }
    b += "}\\par\n";
    return 1;
}

// ---- the document ----------------------------------------------------------

std::string SettingName(std::string_view request, bool& isSet) {
    isSet = false;
    if (request.size() >= 5 && winsys::EqualsNoCase(request.substr(0, 5), "sets/")) {
        isSet = true;
        return std::string(request.substr(5));
    }
    if (request.size() >= 5 && winsys::EqualsNoCase(request.substr(0, 5), "gets/")) return std::string(request.substr(5));
    return std::string(request);
}

std::string PageHeader(const Document& d) {
    auto field = [&](const char* k) {
        auto it = d.fields.find(k);
        return it == d.fields.end() ? std::string() : it->second;
    };
    const std::string par = "\\pard\\plain\\s20\\ql\\tqr\\tx" + std::to_string(kTextWidthTwips) + "\\f1\\fs16 ";
    std::string h = "{\\header\n";
    if (!d.nologo) {
        std::string lines;
        for (int i = 0; i < 5; ++i) {
            std::string line = RtfSettings("gets/Customer" + std::to_string(i), "");
            if (line.empty()) continue;
            if (!lines.empty()) lines += ", ";
            lines += EscapePlain(line);
        }
        if (!lines.empty()) h += par + lines + "\\par\n";
    }
    std::string name = field("Name"), title = field("Titel"), version = field("Version");
    if (!name.empty() || !title.empty() || !version.empty()) {
        h += par;
        if (!name.empty()) h += "{\\b " + EscapeRtf(name) + "}";
        if (!name.empty() && !title.empty()) h += " - ";
        if (!title.empty()) h += "{" + EscapeRtf(title) + "}";
        if (!version.empty()) h += "\\tab {" + EscapeRtf(version) + "}";
        h += "\\par\n";
    }
    std::string project = field("@A"), position = field("@P");
    if (!project.empty() || !position.empty()) {
        h += par;
        if (!project.empty()) h += "Projekt: {" + EscapeRtf(project) + "}";
        if (!project.empty() && !position.empty()) h += "\\tab ";
        if (!position.empty()) h += "Position: {" + EscapeRtf(position) + "}";
        h += "\\par\n";
    }
    std::string free = field("@T");
    if (!free.empty()) h += par + "{" + EscapeRtf(free) + "}\\par\n";
    // The last line carries the rule under the header and the page number.
    h += par + "\\brdrb\\brdrs\\brdrw10\\brsp20 ";
    if (d.pageNumbers) h += "\\tab Seite {\\field{\\*\\fldinst PAGE }{\\fldrslt " + std::to_string(d.firstPage) + "}}";
    h += "\\par\n}\n";
    return h;
}

std::string Assemble(const Document& d) {
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (size_t i = 0; i < d.tables.fonts.size(); ++i) {
        const detail::Font& f = d.tables.fonts[i];
        out += "{\\f" + std::to_string(i) + "\\" + f.family + "\\fcharset" + std::to_string(f.charset) + " " +
               EscapePlain(f.name) + ";}";
    }
    out += "}\n{\\colortbl;";
    for (size_t i = 1; i < d.tables.colors.size(); ++i) {
        const detail::Color& c = d.tables.colors[i];
        out += "\\red" + std::to_string(c.r) + "\\green" + std::to_string(c.g) + "\\blue" + std::to_string(c.b) + ";";
    }
    out += "}\n{\\stylesheet";
    for (const Style& s : kStyles) {
        out += "{";
        out += s.number == 0 ? std::string() : "\\s" + std::to_string(s.number);
        out += s.props;
        out += " ";
        out += s.name;
        out += ";}";
    }
    out += "}\n";
    out += "\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1701\\margb1134\\headery567\\widowctrl\n";
    out += "\\sectd\\pgnstarts" + std::to_string(d.firstPage) + "\\pgnrestart\\pgndec\n";
    out += PageHeader(d);
    out += d.body;
    out += "\\pard\\plain\\s0\\par\n}\n";
    return out;
}

bool WriteDocumentFile(const std::string& path, const std::string& text) {
    fs::path target(path);
    fs::path tmp = target;
    tmp += ".tmp~";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        f.write(text.data(), static_cast<std::streamsize>(text.size()));
        f.close();
        if (!f) {
            std::error_code ec;
            fs::remove(tmp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(tmp, target, ec);
    if (ec) {
        fs::remove(tmp, ec);
        return false;
    }
    return true;
}

// Whether the file can be written, without changing an existing file.
bool Writable(const std::string& path) {
    fs::path p(path);
    std::error_code ec;
    if (fs::exists(p, ec)) {
        if (fs::is_directory(p, ec)) return false;
        std::ofstream f(p, std::ios::binary | std::ios::app);
        return static_cast<bool>(f);
    }
    {
        std::ofstream f(p, std::ios::binary);
        if (!f) return false;
    }
    fs::remove(p, ec);
    return true;
}

int CloseLocked(State& s) {
    Document& d = s.doc;
    if (!d.open) return 0;
    EndTable(d);
    std::string text = Assemble(d);
    std::string path = d.path;
    d = Document{};
    if (!WriteDocumentFile(path, text)) {
        Message("Die Datei '" + path + "' konnte nicht geschrieben werden.");
        return 0;
    }
    return 1;
}

}  // namespace

void RtfResetReport() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.doc = Document{};
    s.outputFile.clear();
}

void RtfSetOutputFile(const std::string& path) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    s.outputFile = path.substr(0, path.find('\0'));
}

int RtfOpenDocument(const std::string& fileName, int noPageNum, int /*flags*/, int firstPage, std::string_view header) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (s.doc.open) CloseLocked(s);
    std::string path = fileName.empty() ? s.outputFile : fileName;
    path = winsys::RealFilePath(path.substr(0, path.find('\0')));
    if (path.empty() || !Writable(path)) return 0;

    Document& d = s.doc;
    d = Document{};
    d.open = true;
    d.path = path;
    d.pageNumbers = noPageNum != 1;
    d.firstPage = std::max(1, firstPage);
    d.tables = BaseTables();
    // Fields up to the first empty one (the double NUL) or the end.
    size_t pos = 0;
    while (pos < header.size()) {
        size_t end = header.find('\0', pos);
        if (end == std::string_view::npos) end = header.size();
        std::string_view field = header.substr(pos, end - pos);
        if (field.empty()) break;
        size_t eq = field.find('=');
        if (eq == std::string_view::npos) {
            if (winsys::EqualsNoCase(field, "nologo")) d.nologo = true;
        } else {
            d.fields[std::string(field.substr(0, eq))] = std::string(field.substr(eq + 1));
        }
        pos = end + 1;
    }
    return 1;
}

int RtfCloseDocument(int) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    return CloseLocked(s);
}

int RtfWriteRaw(std::string_view rtf) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Document& d = s.doc;
    if (!d.open) return 0;
    EndTable(d);
    if (detail::IsRtfDocument(rtf)) {
        std::string merged;
        if (!detail::MergeDocument(rtf, d.tables, merged)) {
            Message("Ein RTF-Text ist beschädigt und wurde nicht übernommen.");
            return 0;
        }
        d.body += merged + "\n";
        return 1;
    }
    d.body += EscapeRtf(rtf) + "\n";
    return 1;
}

int RtfWriteText(int style, std::string_view text) {
    if (style == -10) return RtfWriteRaw(text);
    State& s = S();
    std::lock_guard lock(s.mutex);
    Document& d = s.doc;
    if (!d.open) return 0;
    EndTable(d);
    d.body += ParagraphStart(StyleFor(style)) + EscapeRtf(text) + "\\par\n";
    return 1;
}

int RtfInsertPicture(const std::string& fileName, int, double widthCm, double heightCm, double, double) {
    return InsertPicture(fileName, widthCm, heightCm, true);
}

int RtfInsertPictureLeft(const std::string& fileName, int, double widthCm, double heightCm, double, double) {
    return InsertPicture(fileName, widthCm, heightCm, false);
}

int RtfAppendFile(const std::string& fileName, const std::string&, int, int) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.doc.open) return 0;
    fs::path p = winsys::ResolveCaseInsensitive(winsys::RealFilePath(fileName));
    std::ifstream f(p, std::ios::binary);
    if (!f) {
        Message("Die RTF-Datei '" + fileName + "' wurde nicht gefunden.");
        return 0;
    }
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (!detail::IsRtfDocument(text)) {
        Message("Die Datei '" + fileName + "' ist keine RTF-Datei und wurde nicht angehängt.");
        return 0;
    }
    std::string merged;
    if (!detail::MergeDocument(text, s.doc.tables, merged)) {
        Message("Die RTF-Datei '" + fileName + "' ist beschädigt und wurde nicht angehängt.");
        return 0;
    }
    EndTable(s.doc);
    s.doc.body += merged + "\n";
    return 1;
}

int RtfBeginTable(int columns, const double* widthsCm) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    Document& d = s.doc;
    if (!d.open || columns <= 0 || !widthsCm) return 0;
    EndTable(d);
    Table& t = d.table;
    t.open = true;
    double edge = 0;
    for (int i = 0; i < columns; ++i) {
        double w = widthsCm[i];
        if (!std::isfinite(w) || w < 0.1) w = 0.1;  // a column stays visible
        edge += w * kTwipsPerCm;
        t.rightEdges.push_back(static_cast<int>(std::lround(std::min(edge, 1.0e8))));
    }
    return 1;
}

int RtfBeginTable(const std::vector<double>& widthsCm) {
    return RtfBeginTable(static_cast<int>(widthsCm.size()), widthsCm.data());
}

int RtfBeginRow(int header) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.doc.open || !s.doc.table.open) return 0;
    s.doc.table.header = header != 0;
    return 1;
}

int RtfWriteCell(std::string_view rtf) {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.doc.open || !s.doc.table.open) return 0;
    AddCell(s.doc, EscapeRtf(rtf));
    return 1;
}

int RtfWriteIntCell(std::string_view format, int value) { return RtfWriteCell(FormatCellNumber(format, value)); }

int RtfWriteNumberCell(std::string_view format, double value) {
    return RtfWriteCell(FormatCellNumber(format, value));
}

int RtfEndTable() {
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.doc.open || !s.doc.table.open) return 0;
    EndTable(s.doc);
    return 1;
}

void RtfMessage(std::string_view text) {
    winsys::Icon icon = winsys::Icon::Information;
    std::string_view shown = text;
    if (text.size() >= 2 && text[1] == ' ' && std::isalpha(static_cast<unsigned char>(text[0]))) {
        switch (std::toupper(static_cast<unsigned char>(text[0]))) {
        case 'W': icon = winsys::Icon::Warning; break;
        case 'E': case 'F': icon = winsys::Icon::Error; break;
        case 'I': case 'H': icon = winsys::Icon::Information; break;
        default: icon = winsys::Icon::None; break;
        }
        shown = text.substr(2);
    }
    winsys::MessageBox(std::string(shown), kCaption, winsys::Buttons::Ok, icon);
}

std::string RtfSettings(std::string_view request, std::string_view value) {
    bool isSet;
    std::string name = SettingName(request, isSet);
    if (name.empty()) return std::string(value);
    if (isSet) {
        if (winsys::EqualsNoCase(name, "VK-Version/zadevoz")) return "V2";
        if (!winsys::RegSetString(winsys::Hive::CurrentUser, kSettingsKey, name, std::string(value)))
            Message("Die Einstellung '" + name + "' konnte nicht gespeichert werden.");
        return std::string(value);
    }
    if (winsys::EqualsNoCase(name, "VK-Version/zadevoz")) return "V2";
    std::optional<std::string> stored = winsys::RegGetString(winsys::Hive::CurrentUser, kSettingsKey, name);
    return stored ? *stored : std::string(value);
}

std::string FormatCellNumber(std::string_view format, double value) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c == '@' && i + 1 < format.size() && format[i + 1] >= '0' && format[i + 1] <= '9') {
            int digits = format[i + 1] - '0';
            char buf[400];
            auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, digits);
            std::string num = ec == std::errc() ? std::string(buf, p) : std::string("---");
            // "-0.00" for a tiny negative value reads as zero
            if (num.size() > 1 && num[0] == '-' && num.find_first_not_of("-0.") == std::string::npos) num.erase(0, 1);
            out += num;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace zadevoz
