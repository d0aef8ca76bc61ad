// The RTF listing of the variable definitions: the report form, the editor
// form and its hand-over to the editor document.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "formula/VarDef.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"

namespace fs = std::filesystem;

namespace {

class CZadevozWriter : public CVarDefRtfWriter {
public:
    int OpenDocument(const std::string& fileName, int noPageNum, int flags, int firstPage,
                     std::string_view header) override
    {
        return zadevoz::RtfOpenDocument(fileName, noPageNum, flags, firstPage, header);
    }
    int CloseDocument() override { return zadevoz::RtfCloseDocument(); }
    int WriteRaw(std::string_view rtf) override { return zadevoz::RtfWriteRaw(rtf); }
    int WriteText(int style, std::string_view rtf) override { return zadevoz::RtfWriteText(style, rtf); }
    int InsertPicture(const std::string& fileName, double widthCm, double heightCm) override
    {
        return zadevoz::RtfInsertPicture(fileName, 0, widthCm, heightCm);
    }
    int BeginTable(int columns, const double* widthsCm) override { return zadevoz::RtfBeginTable(columns, widthsCm); }
    int BeginRow(int header) override { return zadevoz::RtfBeginRow(header); }
    int WriteCell(std::string_view rtf) override { return zadevoz::RtfWriteCell(rtf); }
    int EndTable() override { return zadevoz::RtfEndTable(); }
};

// Decimals shown: a count from a damaged document is kept within what a
// number can show.
int ShownDigits(int digits)
{
    return std::clamp(digits, 0, 15);
}

std::string Number(int digits, double value)
{
    return winsys::FormatC("%.*lf", ShownDigits(digits), value);
}

void AppendUnicode(std::string& out, unsigned cp)
{
    auto escape = [&out](unsigned unit) {
        out += "\\u" + std::to_string(static_cast<int>(static_cast<int16_t>(static_cast<uint16_t>(unit)))) + "?";
    };
    if (cp > 0xFFFF) {
        cp -= 0x10000;
        escape(0xD800 + (cp >> 10));
        escape(0xDC00 + (cp & 0x3FF));
    } else {
        escape(cp);
    }
}

// Writes a picture's bytes to a unique temporary file; empty path on failure.
fs::path WritePictureFile(const std::vector<unsigned char>& bytes, const std::string& ext)
{
    fs::path file = winsys::UniqueTempFile("vardef", ext);
    if (file.empty()) return {};
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::error_code ec;
        fs::remove(file, ec);
        return {};
    }
    return file;
}

}  // namespace

CVarDefRtfWriter& ReportRtfWriter()
{
    static CZadevozWriter writer;
    return writer;
}

std::string EscapeRtfText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            switch (c) {
            case '\\': out += "\\\\"; break;
            case '{': out += "\\{"; break;
            case '}': out += "\\}"; break;
            case '\t': out += "\\tab "; break;
            case '\r':
                if (i < text.size() && text[i] == '\n') ++i;
                out += "\\line ";
                break;
            case '\n': out += "\\line "; break;
            default:
                if (c >= 0x20) out += static_cast<char>(c);  // other control bytes are dropped
                break;
            }
            continue;
        }
        // A UTF-8 sequence; a byte that starts none shows as '?'.
        size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
        bool valid = n != 0 && i + n <= text.size();
        unsigned cp = n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; valid && k < n; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (valid && ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
            valid = false;
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        AppendUnicode(out, cp);
        i += n;
    }
    return out;
}

std::string FormatRtfText(const std::string& rtf, int format, int height)
{
    static const struct {
        int bit;
        const char* word;
    } kWords[] = {{VARDEF_BOLD, "\\b "},     {VARDEF_ITALIC, "\\i "}, {VARDEF_UNDERLINE, "\\ul "},
                  {VARDEF_CENTER, "\\qc "}, {VARDEF_RIGHT, "\\qr "}, {VARDEF_JUSTIFY, "\\qj "}};
    std::string text = rtf;
    for (const auto& w : kWords) {
        if (format & w.bit) text = w.word + text;
    }
    // RTF counts half-points; a height that is no size at all is left out.
    if (height > 0) {
        const long long halfPoints = std::min<long long>(2LL * height, 32766);
        text = "\\fs" + std::to_string(halfPoints) + " " + text;
    }
    return text;
}

bool CVarDefList::WriteRtf(const std::string& fileName, bool forEditor, CVarDefRtfWriter* writer)
{
    if (!forEditor && !m_bPrint) return false;
    CVarDefRtfWriter& w = writer ? *writer : ReportRtfWriter();
    static const char kHeader[] = "nologo\0";
    if (!w.OpenDocument(fileName, 0, 1, 0, std::string_view(kHeader, sizeof kHeader)))
        return false;

    static const double kValueWidths[2] = {6.0, 10.0};
    static const double kImportWidths[2] = {10.0, 6.0};
    enum class Group { None, Values, Imports };
    Group open = Group::None;
    auto endTable = [&]() {
        if (open != Group::None) w.EndTable();
        open = Group::None;
    };
    auto beginRow = [&](Group group) {
        if (forEditor || open != group) {
            endTable();
            w.BeginTable(2, group == Group::Imports ? kImportWidths : kValueWidths);
            w.BeginRow(0);
            open = group;
        }
    };
    auto firstCell = [&](const CVarDefEntry& e, const std::string& text) {
        w.WriteCell(FormatRtfText("\\ql " + EscapeRtfText(text), e.m_nFormat, e.m_nTextHeight));
    };
    const char* colourOn = forEditor ? "\\ql\\cf2 " : "\\ql ";
    const char* colourOff = forEditor ? "\\cf1  " : " ";

    for (const auto& slot : m_entries) {
        const CVarDefEntry* entry = slot.get();
        if (!entry) continue;
        switch (entry->m_nType) {
        case VARDEF_VARIABLE: {
            const auto* v = static_cast<const CVarDefVariable*>(entry);
            beginRow(Group::Values);
            firstCell(*v, v->m_strDescription);
            const double value = v->m_value.GetValue();
            std::string cell = colourOn + EscapeRtfText(v->m_strVarName) + " = ";
            if (!v->m_value.IsPlain()) cell += EscapeRtfText(v->m_value.GetFormula()) + " = ";
            cell += Number(v->m_nDigits, value) + colourOff + EscapeRtfText(v->m_strUnit);
            w.WriteCell(cell);
            break;
        }
        case VARDEF_VALUE: {
            const auto* v = static_cast<const CVarDefValue*>(entry);
            beginRow(Group::Values);
            firstCell(*v, v->m_strDescription);
            const double value = v->m_value.GetValue();
            w.WriteCell(colourOn + EscapeRtfText(v->m_value.GetText()) + " = " + Number(v->m_nDigits, value) +
                        colourOff + EscapeRtfText(v->m_strUnit));
            break;
        }
        case VARDEF_IMPORT: {
            const auto* v = static_cast<const CVarDefImport*>(entry);
            beginRow(Group::Imports);
            std::string source;
            for (char c : v->m_import.m_strSourcePath) {
                if (c == '\\') source += " - ";
                else source += c;
            }
            firstCell(*v, source);
            w.WriteCell(colourOn + EscapeRtfText(v->m_import.m_strVarName) + (forEditor ? " == " : " = ") +
                        Number(v->m_nDigits, v->m_import.m_dValue) + colourOff + EscapeRtfText(v->m_import.m_strUnit));
            break;
        }
        case VARDEF_SUM: {
            const auto* s = static_cast<const CVarDefSum*>(entry);
            beginRow(Group::Values);
            firstCell(*s, s->m_strDescription);
            w.WriteCell(colourOn + EscapeRtfText(s->m_strVarName) + " = " + Number(s->m_nDigits, s->m_dValue) +
                        colourOff + EscapeRtfText(s->m_strUnit));
            break;
        }
        case VARDEF_TITLE:
        case VARDEF_TEXT: {
            endTable();
            const bool title = entry->m_nType == VARDEF_TITLE;
            const std::string& text = title ? static_cast<const CVarDefTitle*>(entry)->m_strTitle
                                            : static_cast<const CVarDefText*>(entry)->m_strText;
            w.WriteText(title ? -2 : 0, FormatRtfText(EscapeRtfText(text), entry->m_nFormat, entry->m_nTextHeight));
            break;
        }
        case VARDEF_PICTUREFILE:
        case VARDEF_PICTURE: {
            if (forEditor) break;
            const bool fromFile = entry->m_nType == VARDEF_PICTUREFILE;
            const auto* pf = fromFile ? static_cast<const CVarDefPictureFile*>(entry) : nullptr;
            const auto* pc = fromFile ? nullptr : static_cast<const CVarDefPicture*>(entry);
            const std::vector<unsigned char>& bytes = fromFile ? pf->m_fileBuffer : pc->m_fileBuffer;
            if (bytes.empty()) break;
            endTable();
            const std::string ext =
                fromFile ? fs::path(winsys::ToSlashPath(pf->m_strFileName)).extension().string() : ".emf";
            fs::path file = WritePictureFile(bytes, ext);
            if (file.empty()) {
                winsys::MessageBox("Die Abbildung konnte nicht in eine temporäre Datei geschrieben werden.");
                break;
            }
            w.InsertPicture(file.string(), fromFile ? pf->m_dWidth : pc->m_dWidth,
                            fromFile ? pf->m_dHeight : pc->m_dHeight);
            std::error_code ec;
            fs::remove(file, ec);
            break;
        }
        default:
            break;
        }
        if (forEditor) endTable();
    }
    endTable();
    if (!forEditor && m_bPageBreak) w.WriteRaw("{\\page}");
    w.CloseDocument();
    return true;
}

void CVarDefList::TransferRtfToQuill(CVarDefEditorTarget& target, CVarDefRtfWriter* writer)
{
    const std::string docName = target.GetDocumentFileName();
    fs::path file;
    if (docName.size() < 4) {
        // An unnamed document has no name to put the listing beside.
        file = winsys::UniqueTempFile("vardef", ".tmp.rtf");
    } else {
        file = docName.substr(0, docName.size() - 3) + "tmp.rtf";
    }

    std::string text;
    if (!file.empty() && WriteRtf(file.string(), true, writer)) {
        std::ifstream in(file, std::ios::binary);
        if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!file.empty()) {
        std::error_code ec;
        fs::remove(file, ec);
    }

    target.RemoveAllPages();
    if (text.empty()) return;  // nothing could be read back: the document stays empty
    const std::string from = "\\red0\\green0\\blue255";
    const std::string to = "\\red7\\green13\\blue255";
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
    target.AddPage(text);
    target.MarkConvertedText();
}
