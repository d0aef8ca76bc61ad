// Reading RTF into a text document and writing it back.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <functional>
#include <string>

#include "platform/richedit/rtf_format.h"
#include "platform/richedit/rtf_reader.h"
#include "platform/richedit/rtf_writer.h"

namespace {

using richedit::ReadRtf;
using richedit::WriteRtf;

const QColor kFormula(7, 13, 255);

// The first character format of the first block holding `text`.
QTextCharFormat FormatOf(const QTextDocument& doc, const QString& text) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(text)) return it.fragment().charFormat();
    ADD_FAILURE() << "no text " << text.toStdString();
    return {};
}

QTextBlock BlockOf(const QTextDocument& doc, const QString& text) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text().contains(text)) return b;
    ADD_FAILURE() << "no block " << text.toStdString();
    return {};
}

QTextTable* FirstTable(QTextDocument& doc) {
    for (QTextFrame* f : doc.rootFrame()->childFrames())
        if (auto* t = qobject_cast<QTextTable*>(f)) return t;
    return nullptr;
}

std::string Doc(const std::string& body) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil Times New Roman;}"
           "{\\f2\\fnil\\fcharset2 Symbol;}}{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;"
           "\\red0\\green128\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs20 " +
           body + "}";
}

TEST(RtfDocumentTest, FormulaLineWritesColourTableAndParagraphEndAndReadsBack) {
    QTextDocument doc;
    QTextCharFormat f;
    f.setForeground(kFormula);
    QTextCursor(&doc).insertText("A = b*h = #.##", f);
    std::string rtf = WriteRtf(doc);
    EXPECT_NE(rtf.find("{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\cf2 A = b*h = #.##\\par\r\n"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0", 0), 0u);
    EXPECT_NE(rtf.find("{\\*\\generator Msftedit 5.41.15.1503;}\\viewkind4\\uc1"), std::string::npos);

    QTextDocument back;
    auto r = ReadRtf(rtf, back);
    EXPECT_TRUE(r.Clean()) << r.Message();
    EXPECT_EQ(back.toPlainText(), "A = b*h = #.##");
    EXPECT_EQ(FormatOf(back, "A = b").foreground().color(), kFormula);
}

TEST(RtfDocumentTest, TableOfTheEditorReadsWithItsBordersAndWritesThemBack) {
    // Two rows of two cells 1000 and 2000 twips wide, as the editor builds them.
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252{\\colortbl ;\\red0\\green0\\blue0;\\red7\\green13\\blue255;}"
        "{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Times New Roman;}{\\f1\\fswiss\\fcharset0 Arial;}}"
        "{\\*\\generator Msftedit 5.41.15.1503;}\\viewkind4\\uc1\\f1\\fs20";
    for (const char* cells : {" a\\cell b\\cell", " c\\cell\\cell"})
        rtf += std::string("\\trowd\\trgaph28\\trpaddl28\\trpaddr28\\trpaddfl3\\trpaddfr3\\cellx1000\\cellx3000"
                           "\\pard\\intbl") + cells + "\\row";
    rtf += "\\par}";
    QTextDocument doc;
    auto r = ReadRtf(rtf, doc);
    ASSERT_TRUE(r.Clean()) << r.Message();
    QTextTable* t = FirstTable(doc);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->rows(), 2);
    EXPECT_EQ(t->columns(), 2);
    EXPECT_EQ(t->cellAt(0, 1).firstCursorPosition().block().text(), "b");
    EXPECT_EQ(t->cellAt(1, 0).firstCursorPosition().block().text(), "c");
    EXPECT_EQ(t->cellAt(1, 1).firstCursorPosition().block().text(), "");
    EXPECT_EQ(t->format().property(richedit::kCellBorders).value<QList<int>>(), (QList<int>{1000, 3000}));
    // Layout widths follow the twips (1000 twips = 66.7 px at 96 dpi).
    auto widths = t->format().columnWidthConstraints();
    ASSERT_EQ(widths.size(), 2);
    EXPECT_NEAR(widths[0].rawValue(), 1000 / 15.0, 0.01);
    EXPECT_NEAR(widths[1].rawValue(), 2000 / 15.0, 0.01);

    std::string out = WriteRtf(doc);
    size_t rows = 0;
    for (size_t p = out.find("\\trowd"); p != std::string::npos; p = out.find("\\trowd", p + 1)) {
        ++rows;
        EXPECT_TRUE(p == 0 || out[p - 1] == '\n') << "a row starts with \\trowd";
        EXPECT_EQ(out.find("\\cellx1000\\cellx3000", p), out.find("\\cellx", p));
    }
    EXPECT_EQ(rows, 2u) << out;
    QTextDocument again;
    ASSERT_TRUE(ReadRtf(out, again).Clean());
    EXPECT_EQ(again.toPlainText(), doc.toPlainText());
}

TEST(RtfDocumentTest, SymbolFontShowsGreekAndWritesTheOriginalCharacters) {
    QTextDocument doc;
    ASSERT_TRUE(ReadRtf(Doc("x \\f2 a\\f0  y\\par"), doc).Clean());
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("x α y"));
    EXPECT_TRUE(FormatOf(doc, QString::fromUtf8("α")).property(richedit::kSymbolFont).toBool());
    // Drawn with a face that has the letter, whatever face "Symbol" stands
    // for on this system; the run's font stays "Symbol".
    const QStringList families = FormatOf(doc, QString::fromUtf8("α")).fontFamilies().toStringList();
    ASSERT_GE(families.size(), 2);
    EXPECT_EQ(families.first(), "Symbol");
    QFont face(families.last());
    EXPECT_EQ(QFontInfo(face).family(), families.last());
    EXPECT_TRUE(QFontMetrics(face).inFont(QChar(0x03B1)));
    std::string out = WriteRtf(doc);
    EXPECT_NE(out.find("\\f2 a"), std::string::npos) << out;
    EXPECT_NE(out.find("{\\f2\\fnil\\fcharset2 Symbol;}"), std::string::npos) << out;
}

TEST(RtfDocumentTest, EscapesEverythingWrittenAsText) {
    EXPECT_EQ(richedit::EscapeRtfText(QString::fromUtf8("a{b}\\c äß€ α\t/*x*/ $SYMBOL_D$")),
              "a\\{b\\}\\\\c \\'e4\\'df\\'80 \\u945?\\tab /*x*/ $SYMBOL_D$");
    QTextDocument doc;
    QTextCursor(&doc).insertText("}{\\par x");
    QTextDocument back;
    ASSERT_TRUE(ReadRtf(WriteRtf(doc), back).Clean());
    EXPECT_EQ(back.toPlainText(), "}{\\par x");
}

struct Feature {
    const char* name;
    std::string body;
    std::function<void(QTextDocument&)> check;
};

TEST(RtfDocumentTest, FeaturesSurviveReadWriteRead) {
    const std::vector<Feature> features = {
        {"bold", "a \\b B\\b0  c\\par", [](QTextDocument& d) { EXPECT_EQ(FormatOf(d, "B").fontWeight(), QFont::Bold); EXPECT_EQ(FormatOf(d, " c").fontWeight(), QFont::Normal); }},
        {"italic", "\\i I\\i0\\par", [](QTextDocument& d) { EXPECT_TRUE(FormatOf(d, "I").fontItalic()); }},
        {"underline", "\\ul U\\ulnone\\par", [](QTextDocument& d) { EXPECT_EQ(FormatOf(d, "U").underlineStyle(), QTextCharFormat::SingleUnderline); }},
        {"wave", "\\ulwave W\\ulnone\\par", [](QTextDocument& d) { EXPECT_EQ(FormatOf(d, "W").underlineStyle(), QTextCharFormat::WaveUnderline); }},
        {"super", "x\\super 2\\nosupersub\\par", [](QTextDocument& d) { EXPECT_EQ(FormatOf(d, "2").verticalAlignment(), QTextCharFormat::AlignSuperScript); }},
        {"sub", "x\\sub i\\nosupersub\\par", [](QTextDocument& d) { EXPECT_EQ(FormatOf(d, "i").verticalAlignment(), QTextCharFormat::AlignSubScript); }},
        {"size", "\\fs36 S\\par", [](QTextDocument& d) { EXPECT_DOUBLE_EQ(FormatOf(d, "S").fontPointSize(), 18.0); }},
        {"font", "\\f1 T\\par", [](QTextDocument& d) { EXPECT_EQ(FormatOf(d, "T").fontFamilies().toStringList(), QStringList{"Times New Roman"}); }},
        {"colours", "\\cf3\\highlight2 G\\par", [](QTextDocument& d) {
             EXPECT_EQ(FormatOf(d, "G").foreground().color(), QColor(0, 128, 0));
             EXPECT_EQ(FormatOf(d, "G").background().color(), kFormula); }},
        {"automatic colour", "\\cf0 A\\par", [](QTextDocument& d) { EXPECT_FALSE(FormatOf(d, "A").hasProperty(QTextFormat::ForegroundBrush)); }},
        {"alignment", "\\qc C\\par\\pard\\qr R\\par", [](QTextDocument& d) {
             EXPECT_EQ(BlockOf(d, "C").blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
             EXPECT_EQ(BlockOf(d, "R").blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight); }},
        {"indents", "\\li720\\ri360\\fi-180\\sb120\\sa60 I\\par", [](QTextDocument& d) {
             auto f = BlockOf(d, "I").blockFormat();
             EXPECT_NEAR(f.leftMargin(), 48, 1e-9);
             EXPECT_NEAR(f.rightMargin(), 24, 1e-9);
             EXPECT_NEAR(f.textIndent(), -12, 1e-9);
             EXPECT_NEAR(f.topMargin(), 8, 1e-9);
             EXPECT_NEAR(f.bottomMargin(), 4, 1e-9); }},
        {"line spacing", "\\sl360\\slmult1 L\\par", [](QTextDocument& d) {
             auto f = BlockOf(d, "L").blockFormat();
             EXPECT_EQ(f.lineHeightType(), QTextBlockFormat::ProportionalHeight);
             EXPECT_DOUBLE_EQ(f.lineHeight(), 150.0); }},
        {"bullets", "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}one\\par{\\pntext\\'b7\\tab}two\\par\\pard three\\par",
         [](QTextDocument& d) {
             QTextList* l = BlockOf(d, "one").textList();
             ASSERT_NE(l, nullptr);
             EXPECT_EQ(l->format().style(), QTextListFormat::ListDisc);
             EXPECT_EQ(BlockOf(d, "two").textList(), l);
             EXPECT_EQ(BlockOf(d, "three").textList(), nullptr);
             EXPECT_EQ(d.toPlainText(), "one\ntwo\nthree"); }},
        {"numbers", "{\\*\\pn\\pnlvlbody\\pndec\\pnstart1{\\pntxta.}}first\\par second\\par", [](QTextDocument& d) {
             QTextList* l = BlockOf(d, "first").textList();
             ASSERT_NE(l, nullptr);
             EXPECT_EQ(l->format().style(), QTextListFormat::ListDecimal);
             EXPECT_EQ(l->count(), 2); }},
        {"hidden", "shown \\v hidden\\v0  shown\\par", [](QTextDocument& d) {
             EXPECT_TRUE(FormatOf(d, "hidden").property(richedit::kHidden).toBool());
             EXPECT_FALSE(FormatOf(d, "shown ").property(richedit::kHidden).toBool());
             EXPECT_EQ(d.toPlainText(), "shown hidden shown"); }},
        {"page break", "before\\page after\\par", [](QTextDocument& d) {
             EXPECT_EQ(d.blockCount(), 2);
             EXPECT_TRUE(BlockOf(d, "after").blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore); }},
        {"tab and line", "a\\tab b\\line c\\par", [](QTextDocument& d) { EXPECT_EQ(d.firstBlock().text(), QString::fromUtf8("a\tb\u2028c")); }},
        {"code page", "\\'e4\\'f6\\'fc\\'df\\'80\\u945?\\par", [](QTextDocument& d) { EXPECT_EQ(d.toPlainText(), QString::fromUtf8("äöüß€α")); }},
        {"markers stay text", "/*x*/ $SYMBOL_D$ $FC2$y$FC0$\\par", [](QTextDocument& d) { EXPECT_EQ(d.toPlainText(), "/*x*/ $SYMBOL_D$ $FC2$y$FC0$"); }},
        {"empty paragraphs", "a\\par\\par b\\par", [](QTextDocument& d) { EXPECT_EQ(d.toPlainText(), "a\n\nb"); }},
    };
    for (const auto& f : features) {
        SCOPED_TRACE(f.name);
        QTextDocument first;
        auto r = ReadRtf(Doc(f.body), first);
        ASSERT_TRUE(r.Clean()) << r.Message();
        f.check(first);
        std::string out = WriteRtf(first);
        QTextDocument second;
        r = ReadRtf(out, second);
        ASSERT_TRUE(r.Clean()) << r.Message() << "\n" << out;
        f.check(second);
        EXPECT_EQ(WriteRtf(second), out) << "the second writing differs";
    }
}

struct Damaged {
    const char* name;
    std::string rtf;
    bool read;
    QString kept;  // text that must have been read
};

TEST(RtfDocumentTest, DamagedInputIsReadAsFarAsItIsWellFormedAndReported) {
    std::string deep = "{\\rtf1 ok ";
    for (int i = 0; i < 1200; ++i) deep += "{";
    deep += "lost";
    for (int i = 0; i < 1200; ++i) deep += "}";
    deep += " end}";
    std::string cells = "{\\rtf1 \\trowd\\cellx100\\pard\\intbl";
    for (int i = 0; i < 2000; ++i) cells += " c\\cell";
    cells += "\\row\\pard after\\par}";
    std::string garbage = "{\\rtf1 start ";
    for (int i = 0; i < 256; ++i) garbage += static_cast<char>(i * 37 % 256);
    garbage += "}";
    const std::vector<Damaged> cases = {
        {"open group", "{\\rtf1 abc {\\b def", true, "abc def"},
        {"closed twice", "{\\rtf1 abc}} more", true, "abc"},
        {"truncated hex", "{\\rtf1 ab\\'4", true, "ab"},
        {"bad hex", "{\\rtf1 ab\\'zz cd}", true, "abzz cd"},
        {"unicode out of range", "{\\rtf1 a\\u70000?b}", true, "a?b"},
        {"binary beyond the end", "{\\rtf1 a{\\*\\blob\\bin100 xyz}}", true, "a"},
        {"nesting deeper than 1000", deep, true, "ok  end"},
        {"binary garbage inside", garbage, true, "start"},
        {"control characters", std::string("{\\rtf1 a") + '\x01' + '\x07' + "z}", true, "az"},
        {"truncated control word", "{\\rtf1 abc\\", true, "abc"},
        {"endless parameter", "{\\rtf1 \\fs123456789012345 x}", true, "x"},
        {"cell without table end", "{\\rtf1 \\trowd\\cellx100\\intbl a\\cell", true, "a"},
        {"picture with odd hex", "{\\rtf1 p{\\pict\\pngblip\\picwgoal300\\pichgoal300 89504}q}", true, "q"},
        {"2000 cells in a row", cells, true, "after"},
        {"no rtf", "hello {\\rtf1 x}", false, ""},
        {"empty", "", false, ""},
        {"binary", std::string("\x00\xff\x10{\\rtf", 8), false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument doc;
        QTextCursor(&doc).insertText("kept");
        auto r = ReadRtf(c.rtf, doc);
        EXPECT_EQ(r.read, c.read);
        EXPECT_FALSE(r.Clean());
        EXPECT_FALSE(r.Message().empty());
        if (!c.read) EXPECT_EQ(doc.toPlainText(), "kept") << "unreadable text changes nothing";
        else EXPECT_TRUE(doc.toPlainText().contains(c.kept)) << doc.toPlainText().toStdString();
    }
}

TEST(RtfDocumentTest, HundredThousandNestedGroupsKeepTheStack) {
    std::string rtf = "{\\rtf1 a";
    rtf.append(100000, '{');
    rtf += "x";
    rtf.append(100000, '}');
    rtf += "b}";
    QTextDocument doc;
    auto r = ReadRtf(rtf, doc);
    EXPECT_TRUE(r.read);
    EXPECT_FALSE(r.damage.empty());
    EXPECT_EQ(doc.toPlainText(), "ab");
}

}  // namespace

namespace {

TEST(RtfDocumentTest, PicturesShowAndMetafilesKeepTheirPlaceAndData) {
    QImage png(4, 3, QImage::Format_RGB32);
    png.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    png.save(&buffer, "PNG");
    std::string pict = "{\\pict\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal450 " + bytes.toHex().toStdString() + "}";
    std::string wmf = "{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 0100090000}";
    QTextDocument doc;
    auto r = ReadRtf(Doc("a" + pict + "b" + wmf + "c\\par"), doc);
    ASSERT_TRUE(r.Clean()) << r.Message();
    std::vector<QTextImageFormat> images;
    for (auto it = doc.begin().begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isImageFormat()) images.push_back(it.fragment().charFormat().toImageFormat());
    ASSERT_EQ(images.size(), 2u);
    EXPECT_DOUBLE_EQ(images[0].width(), 40);  // 600 twips
    EXPECT_DOUBLE_EQ(images[0].height(), 30);
    QImage shown = doc.resource(QTextDocument::ImageResource, QUrl(images[0].name())).value<QImage>();
    EXPECT_EQ(shown.pixel(1, 1), QColor(Qt::red).rgb());
    EXPECT_FALSE(images[0].property(richedit::kMetafile).toBool());
    EXPECT_TRUE(images[1].property(richedit::kMetafile).toBool());
    EXPECT_DOUBLE_EQ(images[1].width(), 96);  // 1 inch
    EXPECT_DOUBLE_EQ(images[1].height(), 48);
    std::string out = WriteRtf(doc);
    EXPECT_NE(out.find("a" + pict + "b" + wmf + "c\\par"), std::string::npos) << out;
}

}  // namespace
