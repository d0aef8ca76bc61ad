// The load-case filter of the member sketch's context menu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"

namespace {
CLoadDef Load(std::vector<int> cases) {
    CLoadDef l;
    l.m_LCGen.m_numbers = std::move(cases);
    return l;
}
}  // namespace

TEST(SketchMenu, LoadCaseEntriesAndTheChosenOne) {
    CModuleData d;
    d.Init();
    d.m_loads = {Load({7}), Load({3, 1}), Load({1}), Load({}), Load({3})};
    CKurvoRecorder rec;
    CKurvo2D g(&rec);
    d.AddLoadCaseMenu(g);
    const std::vector<std::string> all = {
        "Method53(\"Anzeige Lastfälle\\Alle\",1000,1,1)",
        "Method53(\"Anzeige Lastfälle\\Lastfall 1\",1001,1,0)",
        "Method53(\"Anzeige Lastfälle\\Lastfall 3\",1003,1,0)",
        "Method53(\"Anzeige Lastfälle\\Lastfall 7\",1007,1,0)",
    };
    EXPECT_EQ(rec.calls, all);

    d.OnSketchCommand(&g, 1003);
    EXPECT_EQ(d.m_nShownLoadCase, 3);
    rec.calls.clear();
    d.AddLoadCaseMenu(g);
    std::vector<std::string> three = all;
    three[0] = "Method53(\"Anzeige Lastfälle\\Alle\",1000,1,0)";
    three[2] = "Method53(\"Anzeige Lastfälle\\Lastfall 3\",1003,1,1)";
    EXPECT_EQ(rec.calls, three) << "only load case 3 checked";
    d.Init();
    EXPECT_EQ(d.m_nShownLoadCase, 0);
}
