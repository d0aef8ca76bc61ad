// The result records as the results page shows them: record names
// translated into paths, the folders and the records below them, the
// folders of the load combinations, and the summary of the utilisations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/core/ResultPaths.h"
#include "module/ModuleData.h"
#include "platform/zevud/zevud.h"

namespace {

CResultSet Record(const std::string& title) {
    CResultSet s;
    s.m_strTitle = title;
    return s;
}

std::vector<std::pair<std::string, int>> Pairs(const std::vector<FolderRecord>& records) {
    std::vector<std::pair<std::string, int>> out;
    for (const FolderRecord& r : records) out.emplace_back(r.rest, r.index);
    return out;
}

}  // namespace

TEST(ResultPaths, RecordNamesBecomePaths) {
    const std::pair<const char*, const char*> cases[] = {
        {"Tragsicherheit\\LK 5\\Biegemoment My", "Tragsicherheit\\LK   5\\Biegemoment My"},
        {"Tragsicherheit\\LK   5\\Biegemoment My", "Tragsicherheit\\LK   5\\Biegemoment My"},
        {"Tragsicherheit\\LK 1234\\Az", "Tragsicherheit\\LK 1234\\Az"},
        {"Gebrauchstauglichkeit\\Char. Auflagerkraft\\EW   3\\Az", "Gebrauchstauglichkeit\\Char. Auflagerkraft\\EW 3\\Az"},
        // Parts that only begin like a numbered one stay as they are.
        {"Tragsicherheit\\LK 5a\\My", "Tragsicherheit\\LK 5a\\My"},
        {"LKW 5\\EWx", "LKW 5\\EWx"},
        {"Extremal", "Extremal"},
        {"A\\\\B", "A\\\\B"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(TranslateResultPath(in), out) << in;
}

TEST(ResultPaths, FoldersAndTheirRecords) {
    const std::vector<std::string> paths = {
        "Tragsicherheit\\LK   5\\Schnittgrößen\\Biegemoment My",  // 0
        "Tragsicherheit\\LK   5\\Verformungen\\dz",               // 1
        "Tragsicherheit\\LK  50\\Biegemoment My",                 // 2
        "Tragsicherheit\\Extremal\\Biegemoment My",               // 3
        "Gebrauchstauglichkeit\\LK   5\\dz",                      // 4
        "Tragsicherheit\\LK   5",                                 // 5: no level below the folder
        "Tragsicherheit\\LK 100\\My",                             // 6
        "Tragsicherheit\\LK 1000\\My",                            // 7
    };
    EXPECT_EQ(ResultFolderOf(paths[0]), "Tragsicherheit\\LK   5");
    EXPECT_EQ(ResultFolderOf("Tragsicherheit"), "Tragsicherheit");
    const std::vector<std::pair<std::string, int>> lk5 = {{"Schnittgrößen\\Biegemoment My", 0},
                                                          {"Verformungen\\dz", 1}};
    EXPECT_EQ(Pairs(RecordsOfFolder(paths, "Tragsicherheit\\LK   5")), lk5);
    // The governing folder shows the same records.
    EXPECT_EQ(Pairs(RecordsOfFolder(paths, "Tragsicherheit\\LK   5(MAX)")), lk5);
    EXPECT_EQ(Pairs(RecordsOfFolder(paths, "Tragsicherheit\\LK 100")),
              (std::vector<std::pair<std::string, int>>{{"My", 6}}));
    // A chapter shows the records of all its folders.
    EXPECT_EQ(RecordsOfFolder(paths, "Tragsicherheit").size(), 6u);
    EXPECT_TRUE(RecordsOfFolder(paths, "").empty());
    EXPECT_EQ(StripGoverningMark("LK   5(MAX)"), "LK   5");
    EXPECT_EQ(StripGoverningMark("(MAX)"), "");
}

TEST(ResultPaths, FoldersOfTheLoadCombinations) {
    CModuleData d;
    d.Init();
    d.m_resultSets.push_back(Record("Tragsicherheit\\LK 2\\My"));
    d.m_tragSVRelKol = {0, 1, 0, 1};
    d.m_gebrRelKol = {0, 0, 1};
    d.m_tragSVMaxLK = 3;     // index: combination 4
    d.m_gebrMaxLK = 0;       // index within the serviceability run
    d.m_gebrKolOffset = 2;   // combination 3
    struct Case {
        int ultimateMode, serviceMode;
        std::vector<std::string> paths, texts;
        std::vector<bool> bold;
    };
    const Case cases[] = {
        {2, 2,
         {"Tragsicherheit\\LK   2", "Tragsicherheit\\LK   4", "Gebrauchstauglichkeit\\LK   3",
          "Gebrauchstauglichkeit\\LK   3", "Tragsicherheit\\LK   4"},
         {"LK   2", "LK   4", "LK   3", "LK   3(MAX)", "LK   4(MAX)"},
         {true, true, true, false, false}},
        {1, 0,
         {"Gebrauchstauglichkeit\\LK   3", "Tragsicherheit\\LK   4"},
         {"LK   3(MAX)", "LK   4(MAX)"},
         {false, false}},
    };
    for (const Case& c : cases) {
        d.m_calcSettings.m_resultTragSVLK = c.ultimateMode;
        d.m_calcSettings.m_resultGebrLK = c.serviceMode;
        std::vector<std::string> paths, texts;
        std::vector<bool> bold;
        for (const CombinationFolder& f : CombinationFolders(d)) {
            paths.push_back(f.path);
            texts.push_back(f.text);
            bold.push_back(f.bold);
        }
        EXPECT_EQ(paths, c.paths);
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(bold, c.bold);
    }
    // No governing combination of serviceability (none calculated).
    d.m_gebrMaxLK = -1;
    EXPECT_EQ(GoverningCombination(d, false), 0);
    EXPECT_EQ(CombinationFolders(d).size(), 1u);
    // Without records there are no folders at all.
    d.m_resultSets.clear();
    EXPECT_TRUE(CombinationFolders(d).empty());
}

TEST(ResultPaths, SummaryOfTheUtilisations) {
    CModuleData d;
    d.Init();
    d.m_gebrMaxLK = 1;
    d.m_gebrKolOffset = 2;  // combination 4
    d.m_tragSVMaxLK = 6;    // combination 7
    d.m_dMaxAusGebr = 0.456;
    d.m_dMaxAusTragSV = 1.2345;
    d.m_strErrorMsg = "Zeile 1\nZeile 2{\\par \\pard}Ende";
    struct Case {
        const char* name;
        int norm;
        const char* module;
        int cls;
        const char* text;
    };
    const Case cases[] = {
        {"DIN 18800, b/t failed", 7, "", 4,
         "Ausnutzung Verformung (LK 4) =\t0.46\r\nAusnutzung Spannungen (LK 7) =\t1.23\r\n"
         "b/t-Nachweis:\t\tNicht erfüllt!\r\n\r\nZeile 1\r\nZeile 2\r\nEnde"},
        {"DIN 18800, b/t fulfilled", 7, "", 3,
         "Ausnutzung Verformung (LK 4) =\t0.46\r\nAusnutzung Spannungen (LK 7) =\t1.23\r\n"
         "b/t-Nachweis:\t\tErfüllt\r\n\r\nZeile 1\r\nZeile 2\r\nEnde"},
        {"Eurocode", 34, "", 3,
         "Ausnutzung Verformung (LK 4) =\t0.46\r\nAusnutzung Spannungen (LK 7) =\t1.23\r\n"
         "Querschnittsklasse (max. 3 erforderlich)\t3\r\n\r\nZeile 1\r\nZeile 2\r\nEnde"},
        {"plastic variant", 34, "deneb", 1,
         "Ausnutzung Verformung (LK 4) =\t0.46\r\nAusnutzung Spannungen (LK 7) =\t1.23\r\n"
         "Querschnittsklasse (max. 2 erforderlich)\t1\r\n\r\nZeile 1\r\nZeile 2\r\nEnde"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        d.m_info.m_nNorm = c.norm;
        d.m_strModuleName = c.module;
        d.m_iClass = c.cls;
        EXPECT_EQ(ResultSummaryText(d), c.text);
    }
}

// The verdict as the console gives it, from the document's "result": a
// utilisation above 1 and an unproven combination read "nicht erfüllt".
TEST(ResultPaths, VerdictOfTheStoredResult) {
    const struct {
        const char* name;
        double ultimate, serviceability;
        const char* unproven;  // "tragSVFailedLK", empty: none
        std::vector<std::string> lines;
    } cases[] = {
        {"fulfilled", 0.56, 0.4, "",
         {"Ergebnis: alle Nachweise erfüllt", "Gebrauchstauglichkeit: max. Ausnutzung 0.400 - erfüllt",
          "Tragsicherheit: max. Ausnutzung 0.560 - erfüllt"}},
        {"over-utilised", 1.02, 0.4, "",
         {"Ergebnis: Nachweis nicht erfüllt", "Gebrauchstauglichkeit: max. Ausnutzung 0.400 - erfüllt",
          "Tragsicherheit: max. Ausnutzung 1.020 - nicht erfüllt"}},
        {"exactly 1", 1.0, 1.0, "",
         {"Ergebnis: alle Nachweise erfüllt", "Gebrauchstauglichkeit: max. Ausnutzung 1.000 - erfüllt",
          "Tragsicherheit: max. Ausnutzung 1.000 - erfüllt"}},
        {"unproven", 0.56, 0.4, "3 7",
         {"Ergebnis: Nachweis nicht erfüllt", "Gebrauchstauglichkeit: max. Ausnutzung 0.400 - erfüllt",
          "Tragsicherheit: nicht erfüllt - nicht nachgewiesen in LK 3 7 (max. Ausnutzung der übrigen LK 0.560)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CModuleData d;
        d.m_hDoc = ZEVUD_CreateDoc("");
        const ZVELEM result = ZEVUD_AddChildElement(ZEVUD_GetRootElement(d.m_hDoc), "result");
        ZEVUD_SetDouble(result, "dMaxAusGebr", c.serviceability);
        if (*c.unproven) {
            ZEVUD_SetInt(result, "tragSVFailed", 1);
            ZEVUD_SetString(result, "tragSVFailedLK", c.unproven);
            ZEVUD_SetDouble(result, "dMaxAusTragSV", 999);
            ZEVUD_SetDouble(result, "dMaxAusTragSVOhne", c.ultimate);
        } else {
            ZEVUD_SetDouble(result, "dMaxAusTragSV", c.ultimate);
        }
        std::string expected;
        for (const std::string& l : c.lines) expected += l + "\r\n";
        EXPECT_EQ(ResultVerdictText(d), expected);
        ZEVUD_CloseDoc(d.m_hDoc);
        d.m_hDoc = 0;
    }
    CModuleData none;  // no document, no result: no verdict
    EXPECT_EQ(ResultVerdictText(none), "");
    none.m_hDoc = ZEVUD_CreateDoc("");  // a result without any limit state
    ZEVUD_SetInt(ZEVUD_AddChildElement(ZEVUD_GetRootElement(none.m_hDoc), "result"), "abbruch", 0);
    EXPECT_EQ(ResultVerdictText(none), "");
    ZEVUD_CloseDoc(none.m_hDoc);
    none.m_hDoc = 0;
}

TEST(ResultPaths, UnfulfilledLinesOfAResultsText) {
    const std::string member =
        "Ergebnis: Nachweis nicht erfüllt\r\n"                            // 0
        "Tragsicherheit: max. Ausnutzung 1.020 - nicht erfüllt\r\n"       // 1
        "\r\n"                                                            // 2
        "Ausnutzung Verformung (LK 3) =\t0.56\r\n"                        // 3
        "Ausnutzung Spannungen (LK 5) =\t1.02\r\n"                        // 4
        "b/t-Nachweis:\t\tNicht erfüllt!\r\n"                             // 5
        "Ausnutzung Spannungen (LK 12) =\t1.00\r\n";                      // 6: at 1 fulfilled
    EXPECT_EQ(UnfulfilledLines(member), (std::vector<int>{0, 1, 4, 5}));
    const std::string crane =
        "Kranbahn: max. Ausnutzung 0.661 - erfüllt\r\n"
        "Tragsicherheit S/V           Wert      Kranst.    x=\r\n"
        "Spannungen          Ausn.    1.04           12  3.75\r\n"
        "Verformung          Ausn.wy  0.34            4  3.00\r\n"
        "Schienenanschluss   Ausns-naht  1.61        --  0.00\r\n"
        "Quersteife\tAusn.\t0.98\t\t3\t3.75";
    EXPECT_EQ(UnfulfilledLines(crane), (std::vector<int>{2, 4}));
}
