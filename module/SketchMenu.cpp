// The load-case filter of the member sketch: its context-menu entries and
// the command that chooses one.
#include <algorithm>
#include <string>
#include <vector>

#include "graphics/core/Kurvo.h"
#include "module/ModuleData.h"

void CModuleData::AddLoadCaseMenu(CKurvo2D& g) const {
    // The first load-case number of every load, each once, ascending (a
    // number of more than three digits keeps its place too).
    std::vector<int> cases;
    for (const CLoadDef& l : m_loads)
        if (!l.m_LCGen.m_numbers.empty()) cases.push_back(l.m_LCGen.m_numbers.front());
    std::sort(cases.begin(), cases.end());
    cases.erase(std::unique(cases.begin(), cases.end()), cases.end());
    g.Method53("Anzeige Lastfälle\\Alle", 1000, 1, m_nShownLoadCase == 0 ? 1 : 0);
    for (int n : cases) {
        const std::string text = "Anzeige Lastfälle\\Lastfall " + std::to_string(n);
        g.Method53(text.c_str(), 1000 + n, 1, m_nShownLoadCase == n ? 1 : 0);
    }
}

void CModuleData::OnSketchCommand(CKurvo2D* /*graph*/, int commandId) {
    m_nShownLoadCase = commandId - 1000;
    DrawSystem2D(0);
}
