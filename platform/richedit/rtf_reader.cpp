#include "platform/richedit/rtf_reader.h"

#include "platform/richedit/emf_player.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "platform/richedit/rtf_format.h"

namespace richedit {

std::string RtfReadResult::Message() const {
    if (!read) return "Der Text ist kein RTF-Text.";
    std::string m;
    for (const auto& d : damage) {
        if (!m.empty()) m += "; ";
        m += d;
    }
    return m;
}

namespace {

constexpr size_t kMaxDepth = 1000;
constexpr int kMaxCells = 63;  // cells in a row, as many as \cellx borders are kept

enum class Dest { Text, FontTable, ColorTable, Pict, Pn, Skip };

struct CharProps {
    bool bold = false, italic = false, strike = false, hidden = false;
    int underline = 0;  // 0 none, 1 single, 2 wave
    int valign = 0;     // 0 normal, 1 super, 2 sub
    int font = -1;      // -1: the default font
    int halfPoints = 24;
    int fg = 0, bg = 0;
};

struct ParaProps {
    int align = 0;  // 0 left, 1 centre, 2 right, 3 justified
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
    bool slmult = false;
    std::vector<int> tabs;
    bool intbl = false;
    int list = 0;  // 0 none, else a QTextListFormat::Style (negative)
};

struct Group {
    Dest dest = Dest::Text;
    CharProps chr;
    ParaProps para;
    int uc = 1;
    size_t start = 0;      // position of the group's "{"
    bool pictOwner = false;
    bool pnOwner = false;
};

struct FontEntry {
    QString name;
    int charset = 0;
};

struct Picture {
    enum Kind { None, Png, Jpeg, Metafile, Other } kind = None;
    int picw = 0, pich = 0, goalw = 0, goalh = 0, scalex = 100, scaley = 100;
    QByteArray data;
    int nibble = -1;
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Destinations whose content is not part of the text.
const std::set<std::string>& SkippedDestinations() {
    static const std::set<std::string> s = {
        "stylesheet", "info",     "header",   "headerl",   "headerr",  "headerf",           "footer",
        "footerl",    "footerr",  "footerf",  "footnote",  "listtable", "listoverridetable", "revtbl",
        "rsidtbl",    "pntext",   "pntxta",   "pntxtb",    "fldinst",   "object",            "objdata",
        "objclass",   "xmlnstbl", "themedata", "colorschememapping",     "latentstyles",      "datastore",
        "filetbl",    "nonshppict", "listtext", "pgdsctbl", "author",   "operator",          "title",
        "subject",    "comment",  "doccomm",  "keywords",  "company",   "annotation",        "atnid",
        "atnauthor",  "private",  "template", "bkmkstart", "bkmkend"};
    return s;
}

class Reader {
public:
    Reader(const std::string& in, QTextCursor& cursor, RtfReadResult& result)
        : in_(in), cur_(cursor), doc_(cursor.document()), result_(result) {}

    QStringList Run() {
        Group base;
        stack_.push_back(base);
        while (pos_ < in_.size() && !done_) Step();
        Flush();
        if (!done_) {
            if (skipped_ > 0 || stack_.size() > 1) Damage("Der Text endet in einer offenen Gruppe.");
        } else {
            for (size_t p = pos_; p < in_.size(); ++p) {
                unsigned char c = static_cast<unsigned char>(in_[p]);
                if (c != 0 && c != ' ' && c != '\r' && c != '\n' && c != '\t') {
                    Damage("Nach dem Ende des Dokuments folgt weiterer Text.");
                    break;
                }
            }
        }
        Finish();
        QStringList fonts;
        if (!fonts_.empty() && fonts_.begin()->first >= 0 && fonts_.rbegin()->first < 256) {
            for (const auto& [number, font] : fonts_) {
                while (fonts.size() < number) fonts.append(QString());
                fonts.append(font.name);
            }
        }
        return fonts;
    }

private:
    Group& Top() { return stack_.back(); }

    void Damage(const std::string& what) {
        if (std::find(result_.damage.begin(), result_.damage.end(), what) == result_.damage.end())
            result_.damage.push_back(what);
    }

    void Step() {
        char c = in_[pos_];
        if (skipped_ > 0) {  // inside groups beyond the depth limit
            if (c == '\\' && pos_ + 1 < in_.size()) ++pos_;
            else if (c == '{') ++skipped_;
            else if (c == '}') --skipped_;
            ++pos_;
            return;
        }
        switch (c) {
        case '{':
            Flush();
            skipCount_ = 0;
            if (stack_.size() > kMaxDepth) {
                Damage("Gruppen sind tiefer als 1000 Ebenen geschachtelt; der tiefere Teil wird übergangen.");
                skipped_ = 1;
            } else {
                Group g = Top();
                g.start = pos_;
                g.pictOwner = g.pnOwner = false;
                stack_.push_back(g);
                if (stack_.size() == 2) started_ = true;
            }
            ++pos_;
            return;
        case '}':
            Flush();
            skipCount_ = 0;
            ++pos_;
            if (stack_.size() <= 1) {
                Damage("Eine Gruppe wird geschlossen, die nicht geöffnet war.");
                return;
            }
            PopGroup();
            if (stack_.size() == 1 && started_) done_ = true;
            return;
        case '\\':
            Control();
            return;
        case '\r':
        case '\n':
            ++pos_;
            return;
        default:
            ++pos_;
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
                if (c != 0 || pos_ < in_.size()) Damage("Der Text enthält Steuerzeichen.");
                return;
            }
            TextByte(static_cast<unsigned char>(c));
        }
    }

    void PopGroup() {
        Group g = stack_.back();
        stack_.pop_back();
        if (g.dest == Dest::FontTable && !fontName_.isEmpty()) CommitFont();
        if (g.pictOwner) FinishPicture(g);
        if (g.pnOwner) Top().para.list = g.para.list;
    }

    // ---- text ------------------------------------------------------------
    bool InSymbolFont() {
        auto it = fonts_.find(Top().chr.font < 0 ? deff_ : Top().chr.font);
        return it != fonts_.end() && IsSymbolFont(it->second.name);
    }

    void TextByte(unsigned char b) {
        Group& g = Top();
        switch (g.dest) {
        case Dest::Text:
            if (skipCount_ > 0) {
                --skipCount_;
                return;
            }
            pending_ += QChar(InSymbolFont() ? SymbolToUnicode(b) : Cp1252ToUnicode(b));
            return;
        case Dest::FontTable:
            if (b == ';') CommitFont();
            else fontBytes_ += static_cast<char>(b);
            fontName_ = DecodeFontName();
            return;
        case Dest::ColorTable:
            if (b == ';') {
                colors_.push_back(red_ < 0 && green_ < 0 && blue_ < 0
                                      ? QColor()
                                      : QColor(std::max(red_, 0), std::max(green_, 0), std::max(blue_, 0)));
                red_ = green_ = blue_ = -1;
            }
            return;
        case Dest::Pict: {
            if (b == ' ' || b == '\t') return;
            int h = HexValue(static_cast<char>(b));
            if (h < 0) {
                Damage("Ein Bild enthält Zeichen, die keine Hexadezimalziffern sind.");
                return;
            }
            if (pict_.nibble < 0) {
                pict_.nibble = h;
            } else {
                pict_.data.append(static_cast<char>(pict_.nibble * 16 + h));
                pict_.nibble = -1;
            }
            return;
        }
        default:
            return;
        }
    }

    QString DecodeFontName() const {
        QString s;
        for (char c : fontBytes_) s += QChar(Cp1252ToUnicode(static_cast<unsigned char>(c)));
        return s.trimmed();
    }

    void CommitFont() {
        fonts_[fontNumber_] = FontEntry{DecodeFontName(), fontCharset_};
        fontBytes_.clear();
        fontName_.clear();
        fontCharset_ = 0;
    }

    void Char(char16_t ch) {
        if (Top().dest != Dest::Text) return;
        pending_ += QChar(ch);
    }

    // ---- control words and symbols ----------------------------------------
    void Control() {
        ++pos_;  // the backslash
        if (pos_ >= in_.size()) {
            Damage("Der Text endet mitten in einem Steuerwort.");
            return;
        }
        char c = in_[pos_];
        if (!IsLetter(c)) {
            ++pos_;
            Symbol(c);
            return;
        }
        size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
        if (pos_ - start > 32) Damage("Ein Steuerwort ist länger als 32 Buchstaben.");
        std::string word = in_.substr(start, std::min<size_t>(pos_ - start, 32));
        bool hasParam = false;
        bool negative = false;
        long long value = 0;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        size_t digits = 0;
        while (pos_ < in_.size() && IsDigit(in_[pos_])) {
            if (digits < 10) value = value * 10 + (in_[pos_] - '0');
            ++digits;
            ++pos_;
            hasParam = true;
        }
        if (digits > 10) Damage("Ein Zahlenparameter hat mehr als 10 Ziffern.");
        if (negative) value = -value;
        value = std::clamp<long long>(value, -2147483647LL - 1, 2147483647LL);
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        Word(word, hasParam, static_cast<int>(value));
    }

    void Symbol(char c) {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            if (Top().dest == Dest::Text && skipCount_ > 0) --skipCount_;
            else if (Top().dest == Dest::FontTable) fontBytes_ += c;
            else Char(static_cast<char16_t>(c));
            return;
        case '\'': {
            int h1 = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
            int h2 = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
            if (h1 < 0 || h2 < 0) {
                Damage("Ein \\'-Zeichen ist unvollständig.");
                if (h1 >= 0) ++pos_;
                return;
            }
            pos_ += 2;
            TextByte(static_cast<unsigned char>(h1 * 16 + h2));
            return;
        }
        case '~':
            Char(0x00A0);
            return;
        case '_':
            Char(0x2011);
            return;
        case '*':
            starred_ = true;
            return;
        case '\r':
        case '\n':
            Flush();
            if (Top().dest == Dest::Text) EndParagraph(false);
            return;
        default:
            return;  // \- \| \: and unknown symbols
        }
    }

    void SetDest(Dest d) { Top().dest = d; }

    void Word(const std::string& w, bool hasParam, int p) {
        Flush();
        bool starred = starred_;
        starred_ = false;
        Group& g = Top();
        if (g.dest == Dest::Skip) {
            if (w == "bin") Binary(hasParam ? p : 0, false);
            return;
        }
        // destinations
        if (w == "fonttbl") return SetDest(Dest::FontTable);
        if (w == "colortbl") return SetDest(Dest::ColorTable);
        if (w == "pict") {
            SetDest(Dest::Pict);
            g.pictOwner = true;
            pict_ = Picture();
            return;
        }
        if (w == "pn" && starred) {
            SetDest(Dest::Pn);
            g.pnOwner = true;
            return;
        }
        if (w == "shppict") return;  // holds the picture proper
        if (SkippedDestinations().count(w) || starred) return SetDest(Dest::Skip);
        if (w == "bin") return Binary(hasParam ? p : 0, g.dest == Dest::Pict);
        switch (g.dest) {
        case Dest::FontTable:
            if (w == "f") {
                if (!fontBytes_.empty()) CommitFont();
                fontNumber_ = p;
            } else if (w == "fcharset") {
                fontCharset_ = p;
            }
            return;
        case Dest::ColorTable:
            if (w == "red") red_ = std::clamp(p, 0, 255);
            else if (w == "green") green_ = std::clamp(p, 0, 255);
            else if (w == "blue") blue_ = std::clamp(p, 0, 255);
            return;
        case Dest::Pict:
            PictWord(w, p);
            return;
        case Dest::Pn:
            if (w == "pnlvlblt") g.para.list = QTextListFormat::ListDisc;
            else if (w == "pndec") g.para.list = QTextListFormat::ListDecimal;
            else if (w == "pnlcltr") g.para.list = QTextListFormat::ListLowerAlpha;
            else if (w == "pnucltr") g.para.list = QTextListFormat::ListUpperAlpha;
            else if (w == "pnlcrm") g.para.list = QTextListFormat::ListLowerRoman;
            else if (w == "pnucrm") g.para.list = QTextListFormat::ListUpperRoman;
            else if (w == "pnlvlbody" && g.para.list == 0) g.para.list = QTextListFormat::ListDecimal;
            return;
        case Dest::Text:
            TextWord(w, hasParam, p);
            return;
        default:
            return;
        }
    }

    static bool On(bool hasParam, int p) { return !hasParam || p != 0; }

    void TextWord(const std::string& w, bool hasParam, int p) {
        Group& g = Top();
        CharProps& c = g.chr;
        ParaProps& a = g.para;
        auto twips = [&](int v) { return std::clamp(v, -31680, 31680); };
        if (w == "par") return EndParagraph(false);
        if (w == "page") return EndParagraph(true);
        if (w == "sect") return EndParagraph(false);
        if (w == "line") return Char(0x2028);
        if (w == "tab") return Char(u'\t');
        if (w == "emdash") return Char(0x2014);
        if (w == "endash") return Char(0x2013);
        if (w == "bullet") return Char(0x2022);
        if (w == "lquote") return Char(0x2018);
        if (w == "rquote") return Char(0x2019);
        if (w == "ldblquote") return Char(0x201C);
        if (w == "rdblquote") return Char(0x201D);
        if (w == "u") return Unicode(p);
        if (w == "uc") {
            g.uc = std::clamp(p, 0, 10);
            return;
        }
        if (w == "deff") {
            deff_ = p;
            return;
        }
        if (w == "plain") {
            c = CharProps();
            return;
        }
        if (w == "b") c.bold = On(hasParam, p);
        else if (w == "i") c.italic = On(hasParam, p);
        else if (w == "strike") c.strike = On(hasParam, p);
        else if (w == "v") c.hidden = On(hasParam, p);
        else if (w == "ul" || w == "uld" || w == "uldb" || w == "uldash" || w == "ulth" || w == "ulw") c.underline = On(hasParam, p) ? 1 : 0;
        else if (w == "ulwave") c.underline = On(hasParam, p) ? 2 : 0;
        else if (w == "ulnone") c.underline = 0;
        else if (w == "super") c.valign = 1;
        else if (w == "sub") c.valign = 2;
        else if (w == "nosupersub") c.valign = 0;
        else if (w == "f") c.font = p;
        else if (w == "fs") c.halfPoints = std::clamp(hasParam ? p : 24, 2, 3276);
        else if (w == "cf") c.fg = p;
        else if (w == "cb" || w == "highlight") c.bg = p;
        else if (w == "pard") {
            a = ParaProps();
            intblUsed_ = false;
        }
        else if (w == "ql") a.align = 0;
        else if (w == "qc") a.align = 1;
        else if (w == "qr") a.align = 2;
        else if (w == "qj") a.align = 3;
        else if (w == "li") a.li = twips(p);
        else if (w == "ri") a.ri = twips(p);
        else if (w == "fi") a.fi = twips(p);
        else if (w == "sb") a.sb = std::clamp(p, 0, 31680);
        else if (w == "sa") a.sa = std::clamp(p, 0, 31680);
        else if (w == "sl") a.sl = twips(p);
        else if (w == "slmult") a.slmult = On(hasParam, p);
        else if (w == "tx") {
            if (a.tabs.size() < 64) a.tabs.push_back(std::clamp(p, 0, 31680));
        } else if (w == "intbl") {
            a.intbl = true;
            intblUsed_ = false;
        } else if (w == "trowd") {
            intblUsed_ = false;
            rowBorders_.clear();
            rowDefined_ = true;
        } else if (w == "trgaph") trgaph_ = std::clamp(p, 0, 1440);
        else if (w == "cellx") {
            if (rowBorders_.size() < static_cast<size_t>(kMaxCells)) rowBorders_.push_back(std::clamp(p, 0, 31680));
        } else if (w == "cell") EndCell();
        else if (w == "row") EndRow();
    }

    void Unicode(int p) {
        long long v = p;
        if (v < 0) v += 65536;
        int skip = Top().uc;
        if (v < 0 || v > 0xFFFF) {
            Damage("Ein \\u-Zeichen liegt außerhalb des Zeichenvorrats.");
            return;
        }
        char16_t ch = static_cast<char16_t>(v);
        if (InSymbolFont() && ch >= 0xF020 && ch <= 0xF0FF) ch = SymbolToUnicode(static_cast<unsigned char>(ch - 0xF000));
        Char(ch);
        skipCount_ = skip;
    }

    void Binary(int n, bool intoPicture) {
        if (n < 0) {
            Damage("Eine \\bin-Länge ist negativ.");
            return;
        }
        size_t len = static_cast<size_t>(n);
        if (len > in_.size() - pos_) {
            Damage("Binärdaten sind länger als der Text.");
            len = in_.size() - pos_;
        }
        if (intoPicture) pict_.data.append(in_.data() + pos_, static_cast<qsizetype>(len));
        pos_ += len;
    }

    // ---- pictures ------------------------------------------------------------
    void PictWord(const std::string& w, int p) {
        if (w == "pngblip") pict_.kind = Picture::Png;
        else if (w == "jpegblip") pict_.kind = Picture::Jpeg;
        else if (w == "wmetafile" || w == "emfblip" || w == "pmmetafile" || w == "macpict") pict_.kind = Picture::Metafile;
        else if (w == "dibitmap" || w == "wbitmap") pict_.kind = Picture::Other;
        else if (w == "picw") pict_.picw = std::clamp(p, 0, 1000000);
        else if (w == "pich") pict_.pich = std::clamp(p, 0, 1000000);
        else if (w == "picwgoal") pict_.goalw = std::clamp(p, 0, 1000000);
        else if (w == "pichgoal") pict_.goalh = std::clamp(p, 0, 1000000);
        else if (w == "picscalex") pict_.scalex = std::clamp(p, 1, 1000);
        else if (w == "picscaley") pict_.scaley = std::clamp(p, 1, 1000);
    }

    void FinishPicture(const Group& g) {
        if (pict_.nibble >= 0) Damage("Die Daten eines Bildes haben eine ungerade Zahl von Ziffern.");
        QImage image;
        bool metafile = pict_.kind != Picture::Png && pict_.kind != Picture::Jpeg;
        if (!metafile) {
            image = QImage::fromData(pict_.data, pict_.kind == Picture::Png ? "PNG" : "JPEG");
            if (image.isNull()) {
                Damage("Ein Bild kann nicht gelesen werden.");
                metafile = true;
            }
        }
        // Size in twips: the wanted size, else the picture's own.
        auto size = [&](int goal, int own, int scale, int imagePx) {
            double tw = goal;
            if (tw <= 0) {
                if (pict_.kind == Picture::Metafile) tw = own * 1440.0 / 2540.0;  // own size in 0.01 mm
                else tw = (own > 0 ? own : imagePx) * 15.0;
            }
            double px = TwipsToPixels(static_cast<int>(tw)) * scale / 100.0;
            return std::clamp(static_cast<int>(px + 0.5), 8, 4000);
        };
        int w = size(pict_.goalw, pict_.picw, pict_.scalex, image.isNull() ? 0 : image.width());
        int h = size(pict_.goalh, pict_.pich, pict_.scaley, image.isNull() ? 0 : image.height());
        if (metafile && IsEnhancedMetafile(pict_.data)) {
            // Enhanced metafiles (our reports' pictures) are played onto the image.
            image = PlayEnhancedMetafile(pict_.data, w, h);
            metafile = image.isNull();
        }
        if (metafile) {
            // Qt draws no other metafiles: a frame of the picture's size stands for it.
            image = QImage(w, h, QImage::Format_RGB32);
            image.fill(QColor(240, 240, 240));
            QPainter painter(&image);
            painter.setPen(QColor(128, 128, 128));
            painter.drawRect(0, 0, w - 1, h - 1);
            painter.drawLine(0, 0, w - 1, h - 1);
            painter.drawLine(0, h - 1, w - 1, 0);
        }
        QString name = QStringLiteral("rtfpicture://%1").arg(++pictureCount_);
        doc_->addResource(QTextDocument::ImageResource, QUrl(name), QVariant(image));
        QTextImageFormat f;
        f.setName(name);
        f.setWidth(w);
        f.setHeight(h);
        size_t end = std::min(pos_, in_.size());
        f.setProperty(kPictureRtf, QByteArray(in_.data() + g.start, static_cast<qsizetype>(end - g.start)));
        f.setProperty(kMetafile, metafile);
        BeforeContent();
        cur_.insertImage(f);
    }

    // ---- paragraphs and tables ---------------------------------------------------
    QTextCharFormat CharFormat() {
        const CharProps& c = Top().chr;
        QTextCharFormat f;
        auto it = fonts_.find(c.font < 0 ? deff_ : c.font);
        if (it != fonts_.end() && !it->second.name.isEmpty()) {
            f.setFontFamilies(DisplayFamilies(it->second.name));
            if (IsSymbolFont(it->second.name)) f.setProperty(kSymbolFont, true);
        }
        f.setFontPointSize(c.halfPoints / 2.0);
        f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(c.italic);
        f.setFontStrikeOut(c.strike);
        f.setUnderlineStyle(c.underline == 2   ? QTextCharFormat::WaveUnderline
                            : c.underline == 1 ? QTextCharFormat::SingleUnderline
                                               : QTextCharFormat::NoUnderline);
        if (c.hidden) {
            f.setProperty(kHidden, true);
            f.setUnderlineStyle(QTextCharFormat::DotLine);
        }
        f.setVerticalAlignment(c.valign == 1   ? QTextCharFormat::AlignSuperScript
                               : c.valign == 2 ? QTextCharFormat::AlignSubScript
                                               : QTextCharFormat::AlignNormal);
        if (c.fg > 0 && c.fg < static_cast<int>(colors_.size()) && colors_[c.fg].isValid())
            f.setForeground(colors_[c.fg]);
        if (c.bg > 0 && c.bg < static_cast<int>(colors_.size()) && colors_[c.bg].isValid())
            f.setBackground(colors_[c.bg]);
        return f;
    }

    void Flush() {
        if (pending_.isEmpty()) return;
        BeforeContent();
        cur_.insertText(pending_, CharFormat());
        pending_.clear();
    }

    // Puts the cursor where the next content goes: into a table or out of
    // one, into a new paragraph after a paragraph end.
    void BeforeContent() {
        const ParaProps& a = Top().para;
        if (table_ && rowEnded_) {
            if (rowDefined_ && a.intbl) AppendRow();
            else ExitTable();
        } else if (table_ && !a.intbl) {
            ExitTable();
        }
        if (!table_ && a.intbl && !intblUsed_) StartTable();
        if (table_ && cellPending_) {  // more cells than the row defines
            cellPending_ = false;
            if (cell_ >= kMaxCells) {
                Damage("Eine Tabellenzeile hat mehr als 63 Zellen; der Rest steht in der letzten.");
                cell_ = kMaxCells - 1;
            }
            if (cell_ >= table_->columns()) table_->appendColumns(cell_ - table_->columns() + 1);
            cur_ = table_->cellAt(row_, cell_).firstCursorPosition();
        }
        if (pendingPar_) {
            cur_.insertBlock();
            pendingPar_ = false;
            breakBefore_ = pendingBreak_;
            pendingBreak_ = false;
        }
    }

    void ApplyBlockFormat() {
        const ParaProps& a = Top().para;
        QTextBlockFormat b;
        b.setAlignment(a.align == 1   ? Qt::AlignHCenter
                       : a.align == 2 ? Qt::AlignRight
                       : a.align == 3 ? Qt::AlignJustify
                                      : Qt::AlignLeft);
        b.setLeftMargin(TwipsToPixels(a.li));
        b.setRightMargin(TwipsToPixels(a.ri));
        b.setTextIndent(TwipsToPixels(a.fi));
        b.setTopMargin(TwipsToPixels(a.sb));
        b.setBottomMargin(TwipsToPixels(a.sa));
        if (a.sl != 0) {
            b.setProperty(kLineSpacing, a.sl);
            b.setProperty(kLineSpacingMultiple, a.slmult);
            if (a.slmult) b.setLineHeight(std::abs(a.sl) * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
            else if (a.sl > 0) b.setLineHeight(TwipsToPixels(a.sl), QTextBlockFormat::MinimumHeight);
            else b.setLineHeight(TwipsToPixels(-a.sl), QTextBlockFormat::FixedHeight);
        }
        if (!a.tabs.empty()) {
            QList<QTextOption::Tab> tabs;
            for (int t : a.tabs) tabs.append(QTextOption::Tab(TwipsToPixels(t), QTextOption::LeftTab));
            b.setTabPositions(tabs);
        }
        if (breakBefore_) b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        breakBefore_ = false;
        cur_.setBlockFormat(b);
        if (a.list != 0) {
            auto style = static_cast<QTextListFormat::Style>(a.list);
            QTextBlock prev = cur_.block().previous();
            if (prev.isValid() && prev.textList() && prev.textList()->format().style() == style &&
                prev.textList()->format().indent() == 1) {
                prev.textList()->add(cur_.block());
            } else {
                QTextListFormat lf;
                lf.setStyle(style);
                lf.setIndent(1);
                cur_.createList(lf);
            }
        }
    }

    void EndParagraph(bool pageBreak) {
        BeforeContent();
        ApplyBlockFormat();
        pendingPar_ = true;
        pendingBreak_ = pageBreak;
    }

    void StartTable() {
        // The table follows the ended paragraph directly (Qt keeps a
        // paragraph after it for what comes next).
        pendingPar_ = false;
        int cols = std::max<int>(1, static_cast<int>(rowBorders_.size()));
        QTextTableFormat tf;
        tf.setBorder(1);
        tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        tf.setBorderBrush(QColor(0, 0, 0));
        tf.setBorderCollapse(true);
        tf.setCellSpacing(0);
        tf.setCellPadding(TwipsToPixels(trgaph_));
        tf.setMargin(0);
        tf.setAlignment(Qt::AlignLeft);
        if (!rowBorders_.empty()) {
            QList<QTextLength> widths;
            QList<int> borders;
            int left = 0;
            for (int b : rowBorders_) {
                widths.append(QTextLength(QTextLength::FixedLength, TwipsToPixels(std::max(b - left, 0))));
                borders.append(b);
                left = b;
            }
            tf.setColumnWidthConstraints(widths);
            tf.setProperty(kCellBorders, QVariant::fromValue(borders));
        }
        table_ = cur_.insertTable(1, cols, tf);
        row_ = 0;
        cell_ = 0;
        rowEnded_ = false;
        rowDefined_ = false;
        cur_ = table_->cellAt(0, 0).firstCursorPosition();
    }

    void AppendRow() {
        table_->appendRows(1);
        ++row_;
        cell_ = 0;
        rowEnded_ = false;
        rowDefined_ = false;
        if (static_cast<int>(rowBorders_.size()) > table_->columns())
            table_->appendColumns(static_cast<int>(rowBorders_.size()) - table_->columns());
        cur_ = table_->cellAt(row_, 0).firstCursorPosition();
        pendingPar_ = false;
    }

    void ExitTable() {
        cur_ = table_->lastCursorPosition();
        cur_.movePosition(QTextCursor::NextBlock);
        table_ = nullptr;
        rowEnded_ = false;
        cellPending_ = false;
        intblUsed_ = true;  // the table's \intbl ends with it
        pendingPar_ = false;
    }

    void EndCell() {
        Top().para.intbl = true;  // a \cell is in a table even without \intbl
        BeforeContent();
        ApplyBlockFormat();
        pendingPar_ = false;
        ++cell_;
        if (cell_ < table_->columns()) cur_ = table_->cellAt(row_, cell_).firstCursorPosition();
        else cellPending_ = true;
    }

    void EndRow() {
        if (!table_) return;
        pendingPar_ = false;
        cellPending_ = false;
        rowEnded_ = true;
        rowDefined_ = false;
        cur_ = table_->cellAt(row_, 0).firstCursorPosition();
    }

    void Finish() {
        Flush();
        if (table_) {
            if (!rowEnded_) Damage("Eine Tabellenzeile ist nicht abgeschlossen.");
            ExitTable();
            return;
        }
        if (!pendingPar_) ApplyBlockFormat();
    }

    const std::string& in_;
    size_t pos_ = 0;
    QTextCursor& cur_;
    QTextDocument* doc_;
    RtfReadResult& result_;
    std::vector<Group> stack_;
    int skipped_ = 0;
    int skipCount_ = 0;
    bool started_ = false, done_ = false, starred_ = false;
    QString pending_;
    bool pendingPar_ = false, pendingBreak_ = false, breakBefore_ = false;

    std::map<int, FontEntry> fonts_;
    int deff_ = 0;
    int fontNumber_ = 0, fontCharset_ = 0;
    std::string fontBytes_;
    QString fontName_;
    std::vector<QColor> colors_;
    int red_ = -1, green_ = -1, blue_ = -1;
    Picture pict_;
    int pictureCount_ = 0;

    QTextTable* table_ = nullptr;
    std::vector<int> rowBorders_;
    int trgaph_ = 28;
    int row_ = 0, cell_ = 0;
    bool rowEnded_ = false, rowDefined_ = false, cellPending_ = false, intblUsed_ = false;
};

bool LooksLikeRtf(const std::string& rtf) {
    size_t p = 0;
    while (p < rtf.size() && (rtf[p] == ' ' || rtf[p] == '\r' || rtf[p] == '\n' || rtf[p] == '\t')) ++p;
    return rtf.compare(p, 5, "{\\rtf") == 0;
}

}  // namespace

RtfReadResult InsertRtf(const std::string& rtf, QTextCursor& cursor) {
    RtfReadResult result;
    if (!LooksLikeRtf(rtf) || cursor.isNull()) return result;
    result.read = true;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    Reader(rtf, cursor, result).Run();
    cursor.endEditBlock();
    return result;
}

RtfReadResult ReadRtf(const std::string& rtf, QTextDocument& doc) {
    RtfReadResult result;
    if (!LooksLikeRtf(rtf)) return result;
    result.read = true;
    bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    QTextCursor cursor(&doc);
    // One edit block: a laid-out document (that of a window) is told of the
    // change once at the end, not after every paragraph, where each
    // notification lays the text out from its start again and reading
    // becomes quadratic in the number of paragraphs.
    cursor.beginEditBlock();
    QStringList fonts = Reader(rtf, cursor, result).Run();
    cursor.endEditBlock();
    // The writer keeps the font numbers of the text read.
    doc.setProperty(kFontTableProperty, fonts);
    doc.setUndoRedoEnabled(undo);
    return result;
}

}  // namespace richedit
