// The RTF listing of the variable definitions: the calls it makes to the
// report writer, the control words of the formats, the escaping of user
// text, pictures through temporary files, and the hand-over to the editor.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "formula/VarDef.h"
#include "formula/tests/support/FormulaTestSupport.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;

namespace {

// Records every call as one line.
class RecordingWriter : public CVarDefRtfWriter {
public:
    int OpenDocument(const std::string& fileName, int noPageNum, int flags, int firstPage,
                     std::string_view header) override
    {
        openedFile = fileName;
        // The header fields up to the empty one that ends them.
        std::string fields;
        for (size_t i = 0; i < header.size() && header[i] != '\0';) {
            size_t end = header.find('\0', i);
            if (end == std::string_view::npos) end = header.size();
            fields += std::string(header.substr(i, end - i)) + ";";
            i = end + 1;
        }
        headerEnds = header.size() >= 2 && header.substr(header.size() - 2) == std::string_view("\0\0", 2);
        calls.push_back(winsys::FormatC("open %d %d %d %s", noPageNum, flags, firstPage, fields.c_str()));
        return 1;
    }
    int CloseDocument() override { return Add("close"); }
    int WriteRaw(std::string_view rtf) override { return Add("raw " + std::string(rtf)); }
    int WriteText(int style, std::string_view rtf) override
    {
        return Add("text " + std::to_string(style) + " " + std::string(rtf));
    }
    int InsertPicture(const std::string& fileName, double widthCm, double heightCm) override
    {
        pictureFiles.push_back(fileName);
        std::ifstream in(fileName, std::ios::binary);
        pictureBytes.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return Add(winsys::FormatC("picture %.2f %.2f", widthCm, heightCm));
    }
    int BeginTable(int columns, const double* widthsCm) override
    {
        std::string line = "table " + std::to_string(columns);
        for (int i = 0; i < columns; ++i) line += winsys::FormatC(" %.1f", widthsCm[i]);
        return Add(line);
    }
    int BeginRow(int header) override { return Add("row " + std::to_string(header)); }
    int WriteCell(std::string_view rtf) override { return Add("cell " + std::string(rtf)); }
    int EndTable() override { return Add("end"); }

    int Add(const std::string& line)
    {
        calls.push_back(line);
        return 1;
    }
    std::vector<std::string> calls;
    std::string openedFile;
    bool headerEnds = false;
    std::vector<std::string> pictureFiles;
    std::vector<std::string> pictureBytes;
};

template <class T>
T* Add(CVarDefList& list)
{
    auto e = std::make_unique<T>();
    T* raw = e.get();
    list.Add(std::move(e));
    return raw;
}

// Variable, calculation, imported value, title, text, sum.
void FillMixed(CVarDefList& list)
{
    auto* a = Add<CVarDefVariable>(list);
    a->m_strDescription = "Länge";
    a->m_strVarName = "a";
    a->m_strUnit = "m";
    a->m_value.SetValue(2.0);
    auto* calc = Add<CVarDefValue>(list);
    calc->m_strDescription = "Fläche";
    calc->m_strUnit = "m²";
    calc->m_value.SetFromText("a*3");
    calc->m_nDigits = 1;
    auto* imp = Add<CVarDefImport>(list);
    imp->m_import.m_strSourcePath = "12B\\Lager\\A";
    imp->m_import.m_strVarName = "P_12B_A";
    imp->m_import.m_dValue = 1.5;
    imp->m_import.m_strUnit = "kN";
    auto* title = Add<CVarDefTitle>(list);
    title->m_strTitle = "Lasten";
    title->m_nFormat = VARDEF_BOLD;
    auto* text = Add<CVarDefText>(list);
    text->m_strText = "Text";
    auto* b = Add<CVarDefVariable>(list);
    b->m_strDescription = "Last";
    b->m_strVarName = "b";
    b->m_strUnit = "kN";
    b->m_value.SetFromText("a*2");
    b->m_nDigits = 3;
    auto* sum = Add<CVarDefSum>(list);
    sum->m_strDescription = "Summe";
    sum->m_strVarName = "S";
    sum->m_strUnit = "kN";
    sum->m_nDigits = 0;
    list.DefineVariables();
}

TEST(VarDefListing, ReportFormCallsTheWriterInTheListingsOrder)
{
    CVarDefList list;
    FillMixed(list);
    list.m_bPageBreak = 1;
    RecordingWriter w;
    ASSERT_TRUE(list.WriteRtf("liste.rtf", false, &w));
    EXPECT_EQ(w.openedFile, "liste.rtf");
    EXPECT_TRUE(w.headerEnds);
    const std::vector<std::string> expected = {
        "open 0 1 0 nologo;",
        "table 2 6.0 10.0",
        "row 0",
        "cell \\ql L\\u228?nge",
        "cell \\ql a = 2.00 m",
        "cell \\ql Fl\\u228?che",
        "cell \\ql a*3 = 6.0 m\\u178?",
        "end",
        "table 2 10.0 6.0",
        "row 0",
        "cell \\ql 12B - Lager - A",
        "cell \\ql P_12B_A = 1.50 kN",
        "end",
        "text -2 \\b Lasten",
        "text 0 Text",
        "table 2 6.0 10.0",
        "row 0",
        "cell \\ql Last",
        "cell \\ql b = a*2 = 4.000 kN",
        "cell \\ql Summe",
        "cell \\ql S = 4 kN",
        "end",
        "raw {\\page}",
        "close",
    };
    EXPECT_EQ(w.calls, expected);
}

TEST(VarDefListing, ThePrintFlagAndThePageBreakDecideWhatIsWritten)
{
    CVarDefList list;
    FillMixed(list);
    RecordingWriter noPage;
    list.WriteRtf("a.rtf", false, &noPage);
    ASSERT_GE(noPage.calls.size(), 2u);
    EXPECT_EQ(noPage.calls[noPage.calls.size() - 2], "end");
    EXPECT_EQ(noPage.calls.back(), "close");

    list.m_bPrint = 0;
    RecordingWriter off;
    EXPECT_FALSE(list.WriteRtf("a.rtf", false, &off));
    EXPECT_TRUE(off.calls.empty());
    RecordingWriter editor;  // the editor form is always written
    EXPECT_TRUE(list.WriteRtf("a.rtf", true, &editor));
    EXPECT_FALSE(editor.calls.empty());
}

TEST(VarDefListing, EditorFormGivesEveryRowItsOwnTableAndColoursTheVariables)
{
    CVarDefList list;
    FillMixed(list);
    list.m_bPageBreak = 1;
    auto* pic = Add<CVarDefPicture>(list);
    pic->m_fileBuffer = {1, 2, 3};
    RecordingWriter w;
    ASSERT_TRUE(list.WriteRtf("q.rtf", true, &w));
    const std::vector<std::string> expected = {
        "open 0 1 0 nologo;",
        "table 2 6.0 10.0", "row 0", "cell \\ql L\\u228?nge", "cell \\ql\\cf2 a = 2.00\\cf1  m", "end",
        "table 2 6.0 10.0", "row 0", "cell \\ql Fl\\u228?che", "cell \\ql\\cf2 a*3 = 6.0\\cf1  m\\u178?", "end",
        "table 2 10.0 6.0", "row 0", "cell \\ql 12B - Lager - A", "cell \\ql\\cf2 P_12B_A == 1.50\\cf1  kN", "end",
        "text -2 \\b Lasten",
        "text 0 Text",
        "table 2 6.0 10.0", "row 0", "cell \\ql Last", "cell \\ql\\cf2 b = a*2 = 4.000\\cf1  kN", "end",
        "table 2 6.0 10.0", "row 0", "cell \\ql Summe", "cell \\ql\\cf2 S = 4\\cf1  kN", "end",
        "close",
    };
    EXPECT_EQ(w.calls, expected);

    CVarDefList pictures;
    Add<CVarDefPicture>(pictures)->m_fileBuffer = {1};
    Add<CVarDefPictureFile>(pictures)->m_fileBuffer = {2};
    RecordingWriter p;
    pictures.WriteRtf("p.rtf", true, &p);
    EXPECT_EQ(p.calls, (std::vector<std::string>{"open 0 1 0 nologo;", "close"}));
}

struct FormatCase {
    int format;
    int height;
    const char* expected;
};

TEST(VarDefListing, FormatBitsAndHeightGiveTheControlWordsInOrder)
{
    const FormatCase cases[] = {
        {0, 0, "\\ql x"},
        {VARDEF_BOLD, 0, "\\b \\ql x"},
        {VARDEF_BOLD | VARDEF_ITALIC, 14, "\\fs28 \\i \\b \\ql x"},
        {63, 0, "\\qj \\qr \\qc \\ul \\i \\b \\ql x"},
        {VARDEF_UNDERLINE | VARDEF_RIGHT, 9, "\\fs18 \\qr \\ul \\ql x"},
        {0, -4, "\\ql x"},  // no size at all: left out
        {0, 2000000000, "\\fs32766 \\ql x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FormatRtfText("\\ql x", c.format, c.height), c.expected);
    }

    // In the listing, a title row with format and height.
    CVarDefList list;
    auto* t = Add<CVarDefTitle>(list);
    t->m_strTitle = "T";
    t->m_nFormat = VARDEF_ITALIC | VARDEF_CENTER;
    t->m_nTextHeight = 14;
    auto* v = Add<CVarDefVariable>(list);
    v->m_strDescription = "D";
    v->m_nFormat = VARDEF_BOLD;
    v->m_nTextHeight = 10;
    RecordingWriter w;
    list.WriteRtf("f.rtf", false, &w);
    ASSERT_GE(w.calls.size(), 5u);
    EXPECT_EQ(w.calls[1], "text -2 \\fs28 \\qc \\i T");
    EXPECT_EQ(w.calls[4], "cell \\fs20 \\b \\ql D");
}

struct EscapeCase {
    const char* text;
    const char* expected;
};

TEST(VarDefListing, UserTextIsEscapedAndCannotBreakTheDocument)
{
    const EscapeCase cases[] = {
        {"a\\b", "a\\\\b"},
        {"{x}", "\\{x\\}"},
        {"\\par }{\\rtf1", "\\\\par \\}\\{\\\\rtf1"},
        {"Größe", "Gr\\u246?\\u223?e"},
        {"€", "\\u8364?"},
        {"\xF0\x9F\x98\x80", "\\u-10179?\\u-8704?"},  // outside the basic plane: a surrogate pair
        {"a\tb\r\nc\nd", "a\\tab b\\line c\\line d"},
        {"bad\xC3", "bad?"},
        {"\xFF", "?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(EscapeRtfText(c.text), c.expected);
    }

    CVarDefList list;
    auto* v = Add<CVarDefVariable>(list);
    v->m_strDescription = "}{\\page";
    v->m_strVarName = "x";
    v->m_strUnit = "{u}";
    v->m_value.SetValue(1.0);
    auto* t = Add<CVarDefText>(list);
    t->m_strText = "C:\\Pfad";
    RecordingWriter w;
    list.WriteRtf("e.rtf", false, &w);
    ASSERT_GE(w.calls.size(), 7u);
    EXPECT_EQ(w.calls[3], "cell \\ql \\}\\{\\\\page");
    EXPECT_EQ(w.calls[4], "cell \\ql x = 1.00 \\{u\\}");
    EXPECT_EQ(w.calls[6], "text 0 C:\\\\Pfad");
}

TEST(VarDefListing, DigitsFromADamagedDocumentAreBounded)
{
    CVarDefList list;
    auto* many = Add<CVarDefSum>(list);
    many->m_strVarName = "s";
    many->m_nDigits = 1000000;
    auto* none = Add<CVarDefSum>(list);
    none->m_strVarName = "t";
    none->m_nDigits = -7;
    list.DefineVariables();
    RecordingWriter w;
    list.WriteRtf("d.rtf", false, &w);
    ASSERT_GE(w.calls.size(), 7u);
    EXPECT_EQ(w.calls[4], "cell \\ql s = 0.000000000000000 ");
    EXPECT_EQ(w.calls[6], "cell \\ql t = 0 ");
}

TEST(VarDefListing, PicturesGoThroughUniqueTemporaryFiles)
{
    CVarDefList list;
    auto* calc = Add<CVarDefValue>(list);
    calc->m_value.SetValue(1.0);
    auto* file = Add<CVarDefPictureFile>(list);
    file->m_strFileName = "C:\\Bilder\\Skizze.PNG";
    file->m_fileBuffer = {'p', 'n', 'g', 0, 1};
    file->m_dWidth = 8;
    file->m_dHeight = 4.5;
    auto* empty = Add<CVarDefPicture>(list);  // no content: nothing
    empty->m_dWidth = 1;
    auto* sketch = Add<CVarDefPicture>(list);
    sketch->m_fileBuffer = {'e', 'm', 'f'};
    sketch->m_dWidth = 3;
    sketch->m_dHeight = 2;

    RecordingWriter w;
    list.WriteRtf("b.rtf", false, &w);
    const std::vector<std::string> expected = {
        "open 0 1 0 nologo;", "table 2 6.0 10.0", "row 0", "cell \\ql ", "cell \\ql 1 = 1.00 ", "end",
        "picture 8.00 4.50", "picture 3.00 2.00", "close",
    };
    EXPECT_EQ(w.calls, expected);
    ASSERT_EQ(w.pictureFiles.size(), 2u);
    EXPECT_EQ(w.pictureBytes[0], std::string("png\0\1", 5));
    EXPECT_EQ(w.pictureBytes[1], "emf");
    const fs::path temp = fs::weakly_canonical(winsys::TempDirectory());
    for (size_t i = 0; i < 2; ++i) {
        const fs::path p(w.pictureFiles[i]);
        EXPECT_EQ(fs::weakly_canonical(p.parent_path()), temp);
        EXPECT_NE(p.filename(), i == 0 ? "temp.PNG" : "temp.emf");
        EXPECT_FALSE(fs::exists(p)) << "temporary picture left behind";
    }
    EXPECT_EQ(fs::path(w.pictureFiles[0]).extension(), ".PNG");
    EXPECT_EQ(fs::path(w.pictureFiles[1]).extension(), ".emf");
    EXPECT_NE(w.pictureFiles[0], w.pictureFiles[1]);
}

// The editor document as the hand-over sees it.
class EditorTarget : public CVarDefEditorTarget {
public:
    std::string GetDocumentFileName() const override { return name; }
    void RemoveAllPages() override
    {
        pages.clear();
        ++removals;
    }
    void AddPage(const std::string& rtf) override { pages.push_back(rtf); }
    void MarkConvertedText() override { converted = true; }
    std::string name;
    std::vector<std::string> pages{"old page"};
    int removals = 0;
    bool converted = false;
};

class VarDefHandOver : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = fs::current_path();
        folder = formula_test::ScratchFolder("vardef_handover");
        fs::current_path(folder);
        auto* v = Add<CVarDefVariable>(list);
        v->m_strDescription = "Breite";
        v->m_strVarName = "b";
        v->m_value.SetValue(0.3);
        v->m_strUnit = "m";
        list.DefineVariables();
    }
    void TearDown() override { fs::current_path(previous); }
    fs::path previous, folder;
    CVarDefList list;
};

TEST_F(VarDefHandOver, TheListingBecomesTheEditorsPageInItsOwnBlue)
{
    EditorTarget target;
    target.name = (folder / "Pos1.vkx").string();
    list.TransferRtfToQuill(target);
    ASSERT_EQ(target.pages.size(), 1u);
    const std::string& page = target.pages[0];
    EXPECT_EQ(page.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(page.find("\\red7\\green13\\blue255"), std::string::npos);
    EXPECT_EQ(page.find("\\red0\\green0\\blue255"), std::string::npos);
    EXPECT_NE(page.find("\\cf2 b = 0.30"), std::string::npos);
    EXPECT_TRUE(target.converted);
    EXPECT_FALSE(fs::exists(folder / "Pos1.tmp.rtf"));
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(VarDefHandOver, UnnamedOrShortNamedDocumentsUseATemporaryFile)
{
    for (const char* name : {"", "a", "abc"}) {
        SCOPED_TRACE(name);
        EditorTarget target;
        target.name = name;
        RecordingWriter w;
        list.TransferRtfToQuill(target, &w);
        EXPECT_FALSE(w.openedFile.empty());
        EXPECT_EQ(fs::weakly_canonical(fs::path(w.openedFile).parent_path()),
                  fs::weakly_canonical(winsys::TempDirectory()));
        EXPECT_FALSE(fs::exists(w.openedFile));
        // The recording writer writes no file: nothing comes back, and the
        // editor document is left empty.
        EXPECT_TRUE(target.pages.empty());
        EXPECT_EQ(target.removals, 1);
        EXPECT_FALSE(target.converted);

        EditorTarget real;
        real.name = name;
        list.TransferRtfToQuill(real);
        ASSERT_EQ(real.pages.size(), 1u);
        EXPECT_NE(real.pages[0].find("\\cf2 b = 0.30"), std::string::npos);
    }
    EXPECT_TRUE(fs::is_empty(folder));
}

// Under a German process locale the C library writes 2.5 as "2,5"; the
// listing and the import messages keep the point.
class ListingGermanLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto dir = formula_test::ScratchFolder("listing_locale");
        std::string cmd = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0 && !fs::exists(dir / "de_DE.UTF-8"))
            GTEST_SKIP() << "no German locale can be built here";
        setenv("LOCPATH", dir.c_str(), 1);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "German locale not available";
        char probe[32];
        std::snprintf(probe, sizeof probe, "%g", 2.5);
        ASSERT_STREQ(probe, "2,5");
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(ListingGermanLocale, NumbersKeepThePoint)
{
    CVarDefList list;
    auto* v = Add<CVarDefVariable>(list);
    v->m_strVarName = "a";
    v->m_value.SetFromText("5/2");
    list.DefineVariables();
    RecordingWriter w;
    list.WriteRtf("l.rtf", false, &w);
    ASSERT_GE(w.calls.size(), 5u);
    EXPECT_EQ(w.calls[4], "cell \\ql a = 5/2 = 2.50 ");

    CImportValue lost;
    lost.m_strSourcePath = "gibtsnicht\\A";
    lost.m_strVarName = "x";
    lost.m_dValue = 1.25;
    lost.m_strUnit = "kN";
    EXPECT_EQ(lost.ImportData(), 1);
    EXPECT_EQ(lost.m_strMessage, "Datei 'gibtsnicht.vkx' nicht gefunden (alter Wert x=1.25 kN).");
}

}  // namespace
