#include "platform/richedit/rtf_writer.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/richedit/rtf_format.h"

namespace richedit {

namespace {

struct CharOut {
    int font = 0, halfPoints = 24;
    bool bold = false, italic = false, strike = false, hidden = false;
    int underline = 0, valign = 0, fg = 0, bg = 0;
};

struct ParaOut {
    int align = 0, li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
    bool slmult = false;
    std::vector<int> tabs;
    int list = 0;
    bool operator==(const ParaOut&) const = default;
};

void AppendEscaped(std::string& out, char16_t ch, bool symbol) {
    if (symbol) {
        int b = UnicodeToSymbol(ch);
        if (b >= 0) ch = static_cast<char16_t>(b);
    }
    char buf[16];
    switch (ch) {
    case u'\\': out += "\\\\"; return;
    case u'{': out += "\\{"; return;
    case u'}': out += "\\}"; return;
    case u'\t': out += "\\tab "; return;
    case 0x2028: out += "\\line "; return;
    case 0x00A0: out += "\\~"; return;
    default: break;
    }
    int b = symbol && ch < 0x100 ? ch : UnicodeToCp1252(ch);
    if (b >= 0x20 && b < 0x80) {
        out += static_cast<char>(b);
    } else if (b >= 0) {
        std::snprintf(buf, sizeof buf, "\\'%02x", b);
        out += buf;
    } else {
        int v = ch > 32767 ? ch - 65536 : ch;
        std::snprintf(buf, sizeof buf, "\\u%d?", v);
        out += buf;
    }
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : doc_(doc) {
        defaultFamily_ = doc.defaultFont().family();
        defaultHalfPoints_ = doc.defaultFont().pointSizeF() > 0
                                 ? static_cast<int>(std::lround(doc.defaultFont().pointSizeF() * 2))
                                 : 20;
        for (const QString& name : doc.property(kFontTableProperty).toStringList()) fonts_.push_back(name);
        if (fonts_.empty()) fonts_.push_back(defaultFamily_);
        colors_.push_back(QColor());            // automatic
        colors_.push_back(QColor(0, 0, 0));     // black
    }

    std::string Run() {
        for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                QTextCharFormat f = it.fragment().charFormat();
                FontIndex(f);
                ColorIndex(f.foreground());
                ColorIndex(f.background());
            }
        WriteFrame(doc_.rootFrame());
        std::string head = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl";
        for (size_t i = 0; i < fonts_.size(); ++i) {
            bool symbol = IsSymbolFont(fonts_[i]);
            head += "{\\f" + std::to_string(i) + (symbol ? "\\fnil\\fcharset2 " : "\\fnil\\fcharset0 ");
            std::string name;
            for (QChar c : fonts_[i]) AppendEscaped(name, c.unicode(), false);
            head += name + ";}";
        }
        head += "}\r\n{\\colortbl ;";
        for (size_t i = 1; i < colors_.size(); ++i)
            head += "\\red" + std::to_string(colors_[i].red()) + "\\green" + std::to_string(colors_[i].green()) +
                    "\\blue" + std::to_string(colors_[i].blue()) + ";";
        head += "}\r\n{\\*\\generator Msftedit 5.41.15.1503;}\\viewkind4\\uc1 \r\n";
        return head + body_ + "}\r\n";
    }

private:
    // ---- output with the delimiter rule: a control word followed by text
    // gets a blank.
    void Word(const std::string& w) {
        body_ += w;
        delim_ = true;
    }
    void Raw(const std::string& s) {
        body_ += s;
        delim_ = false;
    }
    void Text(const QString& text, bool symbol) {
        for (QChar c : text) {
            std::string piece;
            AppendEscaped(piece, c.unicode(), symbol);
            if (delim_ && piece[0] != '\\') body_ += ' ';
            body_ += piece;
            delim_ = false;  // every escape ends by itself
        }
    }

    // ---- tables of fonts and colours
    int FontIndex(const QTextCharFormat& f) {
        QString family = defaultFamily_;
        QStringList families = f.fontFamilies().toStringList();
        if (!families.isEmpty() && !families.first().isEmpty()) family = families.first();
        for (size_t i = 0; i < fonts_.size(); ++i)
            if (fonts_[i] == family) return static_cast<int>(i);
        fonts_.push_back(family);
        return static_cast<int>(fonts_.size() - 1);
    }
    int ColorIndex(const QBrush& brush) {
        if (brush.style() == Qt::NoBrush) return 0;
        QColor c = brush.color();
        for (size_t i = 1; i < colors_.size(); ++i)
            if (colors_[i].rgb() == c.rgb()) return static_cast<int>(i);
        colors_.push_back(QColor(c.red(), c.green(), c.blue()));
        return static_cast<int>(colors_.size() - 1);
    }

    CharOut FromFormat(const QTextCharFormat& f) {
        CharOut c;
        c.font = FontIndex(f);
        c.halfPoints = f.hasProperty(QTextFormat::FontPointSize)
                           ? static_cast<int>(std::lround(f.fontPointSize() * 2))
                           : defaultHalfPoints_;
        c.bold = f.fontWeight() > QFont::Medium;
        c.italic = f.fontItalic();
        c.strike = f.fontStrikeOut();
        c.hidden = f.property(kHidden).toBool();
        auto ul = f.underlineStyle();
        c.underline = ul == QTextCharFormat::WaveUnderline ? 2
                      : (ul == QTextCharFormat::NoUnderline || (c.hidden && ul == QTextCharFormat::DotLine)) ? 0
                                                                                                             : 1;
        c.valign = f.verticalAlignment() == QTextCharFormat::AlignSuperScript ? 1
                   : f.verticalAlignment() == QTextCharFormat::AlignSubScript ? 2
                                                                              : 0;
        c.fg = ColorIndex(f.foreground());
        c.bg = ColorIndex(f.background());
        return c;
    }

    void SetChar(const CharOut& c) {
        auto flag = [&](bool now, bool was, const char* on) {
            if (now != was) Word(std::string(on) + (now ? "" : "0"));
        };
        if (c.font != cur_.font) Word("\\f" + std::to_string(c.font));
        if (c.halfPoints != cur_.halfPoints) Word("\\fs" + std::to_string(c.halfPoints));
        flag(c.bold, cur_.bold, "\\b");
        flag(c.italic, cur_.italic, "\\i");
        flag(c.strike, cur_.strike, "\\strike");
        if (c.underline != cur_.underline) Word(c.underline == 2 ? "\\ulwave" : c.underline == 1 ? "\\ul" : "\\ulnone");
        if (c.valign != cur_.valign) Word(c.valign == 1 ? "\\super" : c.valign == 2 ? "\\sub" : "\\nosupersub");
        if (c.fg != cur_.fg) Word("\\cf" + std::to_string(c.fg));
        if (c.bg != cur_.bg) Word("\\highlight" + std::to_string(c.bg));
        flag(c.hidden, cur_.hidden, "\\v");
        cur_ = c;
    }

    static ParaOut FromBlock(const QTextBlock& b) {
        QTextBlockFormat f = b.blockFormat();
        ParaOut p;
        Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
        p.align = (a & Qt::AlignHCenter) ? 1 : (a & Qt::AlignRight) ? 2 : (a & Qt::AlignJustify) ? 3 : 0;
        p.li = PixelsToTwips(f.leftMargin());
        p.ri = PixelsToTwips(f.rightMargin());
        p.fi = PixelsToTwips(f.textIndent());
        p.sb = PixelsToTwips(f.topMargin());
        p.sa = PixelsToTwips(f.bottomMargin());
        if (f.hasProperty(kLineSpacing)) {
            p.sl = f.property(kLineSpacing).toInt();
            p.slmult = f.property(kLineSpacingMultiple).toBool();
        } else if (f.lineHeightType() == QTextBlockFormat::ProportionalHeight && f.lineHeight() != 100) {
            p.sl = static_cast<int>(std::lround(f.lineHeight() * 240 / 100));
            p.slmult = true;
        }
        for (const auto& t : f.tabPositions()) p.tabs.push_back(PixelsToTwips(t.position));
        if (b.textList()) p.list = b.textList()->format().style();
        return p;
    }

    void WritePara(const ParaOut& p, bool inTable) {
        Word(inTable ? "\\pard\\intbl" : "\\pard");
        if (p.list == QTextListFormat::ListDisc || p.list == QTextListFormat::ListCircle ||
            p.list == QTextListFormat::ListSquare) {
            Raw("{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}");
        } else if (p.list != 0) {
            const char* kind = p.list == QTextListFormat::ListLowerAlpha   ? "\\pnlcltr"
                               : p.list == QTextListFormat::ListUpperAlpha ? "\\pnucltr"
                               : p.list == QTextListFormat::ListLowerRoman ? "\\pnlcrm"
                               : p.list == QTextListFormat::ListUpperRoman ? "\\pnucrm"
                                                                           : "\\pndec";
            Raw(std::string("{\\*\\pn\\pnlvlbody") + kind + "\\pnstart1\\pnindent0{\\pntxta.}}");
        }
        static const char* kAlign[] = {"", "\\qc", "\\qr", "\\qj"};
        if (p.align) Word(kAlign[p.align]);
        if (p.li) Word("\\li" + std::to_string(p.li));
        if (p.ri) Word("\\ri" + std::to_string(p.ri));
        if (p.fi) Word("\\fi" + std::to_string(p.fi));
        if (p.sb) Word("\\sb" + std::to_string(p.sb));
        if (p.sa) Word("\\sa" + std::to_string(p.sa));
        if (p.sl) Word("\\sl" + std::to_string(p.sl) + "\\slmult" + (p.slmult ? "1" : "0"));
        for (int t : p.tabs) Word("\\tx" + std::to_string(t));
    }

    void WriteFragments(const QTextBlock& b) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QTextFragment frag = it.fragment();
            QTextCharFormat f = frag.charFormat();
            if (f.isImageFormat()) {
                for (int i = 0; i < frag.length(); ++i) WritePicture(f.toImageFormat());
                continue;
            }
            SetChar(FromFormat(f));
            bool symbol = f.property(kSymbolFont).toBool() || IsSymbolFont(fonts_[cur_.font]);
            Text(frag.text(), symbol);
        }
    }

    void WritePicture(const QTextImageFormat& f) {
        QByteArray original = f.property(kPictureRtf).toByteArray();
        if (!original.isEmpty()) {
            Raw(original.toStdString());
            return;
        }
        QImage image = doc_.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
        if (image.isNull()) return;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        int w = f.width() > 0 ? static_cast<int>(f.width()) : image.width();
        int h = f.height() > 0 ? static_cast<int>(f.height()) : image.height();
        std::string s = "{\\pict\\pngblip\\picw" + std::to_string(image.width()) + "\\pich" +
                        std::to_string(image.height()) + "\\picwgoal" + std::to_string(PixelsToTwips(w)) +
                        "\\pichgoal" + std::to_string(PixelsToTwips(h)) + "\r\n";
        QByteArray hex = png.toHex();
        for (qsizetype i = 0; i < hex.size(); i += 128) s += hex.mid(i, 128).toStdString() + "\r\n";
        Raw(s + "}");
    }

    void WriteFrame(QTextFrame* frame) {
        std::vector<QTextBlock> blocks;
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child)) WriteTable(table);
                else WriteFrame(child);
                continue;
            }
            QTextBlock b = it.currentBlock();
            if (!b.isValid()) continue;
            // The empty paragraph the document keeps before a table at its start.
            if (frame == doc_.rootFrame() && b == doc_.begin() && b.length() == 1) {
                auto next = it;
                ++next;
                if (!next.atEnd() && qobject_cast<QTextTable*>(next.currentFrame())) continue;
            }
            ParaOut p = FromBlock(b);
            if (!paraValid_ || !(p == para_)) {
                WritePara(p, false);
                para_ = p;
                paraValid_ = true;
            }
            WriteFragments(b);
            QTextBlock next = b.next();
            bool pageNext = next.isValid() && next.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
            Word(pageNext ? "\\page" : "\\par");
            Raw("\r\n");
        }
    }

    std::vector<int> Borders(QTextTable* t) {
        QTextTableFormat tf = t->format();
        std::vector<int> borders;
        QList<int> kept = tf.property(kCellBorders).value<QList<int>>();
        if (kept.size() == t->columns()) return std::vector<int>(kept.begin(), kept.end());
        QList<QTextLength> widths = tf.columnWidthConstraints();
        int x = 0;
        for (int c = 0; c < t->columns(); ++c) {
            int w = 9086 / std::max(t->columns(), 1);
            if (c < widths.size() && widths[c].type() == QTextLength::FixedLength) w = PixelsToTwips(widths[c].rawValue());
            x += w;
            borders.push_back(x);
        }
        return borders;
    }

    void WriteTable(QTextTable* t) {
        std::vector<int> borders = Borders(t);
        for (int r = 0; r < t->rows(); ++r) {
            Word("\\trowd\\trgaph28\\trpaddl28\\trpaddr28\\trpaddfl3\\trpaddfr3");
            for (int b : borders) Word("\\cellx" + std::to_string(b));
            Word("\\pard\\intbl");
            for (int c = 0; c < t->columns(); ++c) {
                QTextTableCell cell = t->cellAt(r, c);
                if (cell.row() == r && cell.column() == c) {
                    bool first = true;
                    for (auto it = cell.begin(); !it.atEnd(); ++it) {
                        QTextBlock b = it.currentBlock();
                        if (!b.isValid()) continue;
                        if (!first) Word("\\par");
                        first = false;
                        WriteFragments(b);
                    }
                }
                Word("\\cell");
            }
            Word("\\row");
            Raw("\r\n");
        }
        paraValid_ = false;
    }

    const QTextDocument& doc_;
    QString defaultFamily_;
    int defaultHalfPoints_ = 20;
    std::vector<QString> fonts_;
    std::vector<QColor> colors_;
    std::string body_;
    bool delim_ = false;
    CharOut cur_;
    ParaOut para_;
    bool paraValid_ = false;
};

}  // namespace

std::string EscapeRtfText(const QString& text) {
    std::string out;
    for (QChar c : text) AppendEscaped(out, c.unicode(), false);
    return out;
}

std::string WriteRtf(const QTextDocument& doc) { return Writer(doc).Run(); }

std::string WriteRtfSelection(const QTextCursor& cursor) {
    if (!cursor.hasSelection() || !cursor.document()) return cursor.document() ? WriteRtf(*cursor.document()) : std::string();
    QTextDocument part;
    part.setDefaultFont(cursor.document()->defaultFont());
    QTextCursor(&part).insertFragment(cursor.selection());
    return Writer(part).Run();
}

}  // namespace richedit
