// Result sets written with the memo of their paths make the document the
// sets make one by one without it, to the last character: titles that
// share beginnings, come back to earlier levels, name one element in two
// ways (a blank and an underscore give the same element name), hold empty
// parts, and sets written under another parent in between.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "module/ResultTable.h"
#include "platform/zevud/zevud.h"

namespace {

std::string Text(ZVDOC doc) {
    std::string out(static_cast<size_t>(ZEVUD_GetDocText(doc, nullptr, 0)) + 1, '\0');
    out.resize(static_cast<size_t>(ZEVUD_GetDocText(doc, out.data(), static_cast<int>(out.size()))));
    return out;
}

// The document of the sets, written with or without a memo; "@" in a title
// writes that set under the document's second parent.
std::string Written(const std::vector<std::string>& titles, bool memo) {
    const ZVDOC doc = ZEVUD_CreateDoc("");
    const ZVELEM result = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "result");
    const ZVELEM other = ZEVUD_AddChildElement(ZEVUD_GetRootElement(doc), "other");
    CResultPathMemo paths;
    float value = 0;
    for (const std::string& title : titles) {
        CResultSet set;
        set.m_strTitle = title[0] == '@' ? title.substr(1) : title;
        set.m_data = {0, value, 1, value + 1};
        value += 1;
        const ZVELEM parent = title[0] == '@' ? other : result;
        EXPECT_NE(WriteResultSet(set, parent, memo ? &paths : nullptr), 0u) << title;
    }
    std::string text = Text(doc);
    ZEVUD_CloseDoc(doc);
    return text;
}

TEST(ResultPathMemo, SetsWrittenWithTheMemoMakeTheSameDocument) {
    const std::vector<std::string> titles = {
        "Nachweis\\Kranstellung\\1\\My",   "Nachweis\\Kranstellung\\1\\Vz", "Nachweis\\Kranstellung\\2\\My",
        "Nachweis\\Kranstellung\\1\\Mz",   "Nachweis\\Kranstellung\\2\\Vz", "Lage A\\x",
        "Lage_A\\x",                       "Lage A\\y",                     "Nachweis\\\\Kranstellung\\3\\My",
        "\\Nachweis\\Kranstellung\\3\\Vz", "Nachweis\\",                    "@Nachweis\\Kranstellung\\1\\My",
        "Nachweis\\Kranstellung\\3\\My",   "@Nachweis\\Kranstellung\\1\\Vz", "Nachweis\\Kranstellung\\1\\My",
        "Andere\\Kranstellung\\1\\My",     "Nachweis\\Kranstellung\\10\\My"};
    const std::string plain = Written(titles, false);
    EXPECT_EQ(Written(titles, true), plain);
    // Not a trivial document: every level is there once.
    EXPECT_NE(plain.find("title=\"Lage A\""), std::string::npos);
    EXPECT_NE(plain.find("title=\"10\""), std::string::npos);
}

}  // namespace
