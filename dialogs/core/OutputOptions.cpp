#include "dialogs/core/OutputOptions.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "module/ModuleData.h"
#include "platform/zevud/conveniences.h"

namespace {

// ---- the tree paths ------------------------------------------------------------------------

enum class Leaves { None, Forces, Deformations, DeformationsFromDy, Reactions };

const char* const kForces[] = {"Normalkraft N",     "Querkraft Vy",      "Querkraft Vz",   "Torsionsmoment Mx",
                               "Biegemoment My",    "Biegemoment Mz",    "Wölbmoment Mw",  "Spannung maxSigX",
                               "Spannung minSigX",  "Spannung absTau",   "Spannung sigV",  "Ausnutzung"};
const char* const kDeformations[] = {"dx", "dy", "dz", "phiX", "Ausnutzung Y", "Ausnutzung Z", "Max. Ausnutzung"};
const char* const kReactions[] = {"Ax", "Ay", "Az", "AMx", "AMy", "AMz"};

// A group of the result chapters: its base id, its path and how many leaves
// it takes from the front of its list.
struct Group {
    int base;
    const char* path;
    Leaves leaves;
    int count;
};

const Group kGroups[] = {
    {40, "Gebrauchstauglichkeit\\Tabellen\\Extremal\\Schnittgrößen", Leaves::Forces, 6},
    {50, "Gebrauchstauglichkeit\\Tabellen\\LK\\Schnittgrößen", Leaves::Forces, 6},
    {70, "Gebrauchstauglichkeit\\Grafiken\\Extremal\\Schnittgrößen", Leaves::Forces, 6},
    {80, "Gebrauchstauglichkeit\\Grafiken\\LK\\Schnittgrößen", Leaves::Forces, 6},
    {90, "Gebrauchstauglichkeit\\Tabellen\\Extremal\\Verformungen", Leaves::Deformations, 7},
    {100, "Gebrauchstauglichkeit\\Tabellen\\LK\\Verformungen", Leaves::Deformations, 6},
    {110, "Gebrauchstauglichkeit\\Grafiken\\Extremal\\Verformungen", Leaves::Deformations, 7},
    {120, "Gebrauchstauglichkeit\\Grafiken\\LK\\Verformungen", Leaves::Deformations, 6},
    {130, "Gebrauchstauglichkeit\\Tabellen\\Extremal\\Reaktionen", Leaves::Reactions, 6},
    {150, "Gebrauchstauglichkeit\\Tabellen\\Einwirkungsweise\\Reaktionen", Leaves::Reactions, 6},
    {170, "Gebrauchstauglichkeit\\Grafiken\\Extremal\\Reaktionen", Leaves::Reactions, 6},
    {190, "Gebrauchstauglichkeit\\Grafiken\\Einwirkungsweise\\Reaktionen", Leaves::Reactions, 6},
    {210, "Tragsicherheit\\Tabellen\\LK\\Vorverformungen", Leaves::DeformationsFromDy, 3},
    {220, "Tragsicherheit\\Grafiken\\LK\\Vorverformungen", Leaves::DeformationsFromDy, 3},
    {230, "Tragsicherheit\\Tabellen\\LK\\Knickfigur", Leaves::DeformationsFromDy, 3},
    {240, "Tragsicherheit\\Grafiken\\LK\\Knickfigur", Leaves::DeformationsFromDy, 3},
    {250, "Tragsicherheit\\Tabellen\\Extremal\\Schnittgrößen/Spannungen", Leaves::Forces, 12},
    {270, "Tragsicherheit\\Tabellen\\LK\\Schnittgrößen/Spannungen", Leaves::Forces, 12},
    {290, "Tragsicherheit\\Grafiken\\Extremal\\Schnittgrößen/Spannungen", Leaves::Forces, 12},
    {310, "Tragsicherheit\\Grafiken\\LK\\Schnittgrößen/Spannungen", Leaves::Forces, 12},
    {330, "Tragsicherheit\\Tabellen\\Extremal\\Verformungen", Leaves::Deformations, 4},
    {340, "Tragsicherheit\\Tabellen\\LK\\Verformungen", Leaves::Deformations, 4},
    {350, "Tragsicherheit\\Grafiken\\Extremal\\Verformungen", Leaves::Deformations, 4},
    {360, "Tragsicherheit\\Grafiken\\LK\\Verformungen", Leaves::Deformations, 4},
    {370, "Tragsicherheit\\Tabellen\\Extremal\\Reaktionen", Leaves::Reactions, 6},
    {390, "Tragsicherheit\\Tabellen\\LK\\Reaktionen", Leaves::Reactions, 6},
    {410, "Tragsicherheit\\Grafiken\\Extremal\\Reaktionen", Leaves::Reactions, 6},
    {430, "Tragsicherheit\\Grafiken\\LK\\Reaktionen", Leaves::Reactions, 6},
};

const char* LeafName(Leaves kind, int k) {
    switch (kind) {
    case Leaves::Forces: return kForces[k];
    case Leaves::Deformations: return kDeformations[k];
    case Leaves::DeformationsFromDy: return kDeformations[k + 1];
    case Leaves::Reactions: return kReactions[k];
    default: return "";
    }
}

std::vector<std::string> MakeChapterPaths() {
    std::vector<std::string> paths(kChapterOptionCount);
    const char* const inputTables[] = {"Auflager",   "Querschnittsverlauf", "Querschnittswerte", "Materialwerte",
                                       "Einzelfedern", "Bettungen",          "Gelenke",           "Einwirkungen",
                                       "Lasten",     "Lastkollektive"};
    const char* const inputPictures[] = {"System XZ-Ebene",      "System XY-Ebene",      "Querschnitte YZ-Ebene",
                                         "Einzelfedern XZ-Ebene", "Einzelfedern XY-Ebene", "Einzelfedern YZ-Ebene",
                                         "Bettung XZ-Ebene",     "Bettung XY-Ebene",     "Bettung YZ-Ebene",
                                         "Gelenke",              "Lasten XZ-Ebene",      "Lasten XY-Ebene"};
    for (int i = 0; i < 10; ++i) paths[size_t(i)] = std::string("Eingabe\\Tabellen\\") + inputTables[i];
    for (int i = 0; i < 12; ++i) paths[size_t(20 + i)] = std::string("Eingabe\\Grafiken\\") + inputPictures[i];
    for (const Group& g : kGroups)
        for (int k = 0; k < g.count; ++k)
            paths[size_t(g.base + k)] = std::string(g.path) + "\\" + LeafName(g.leaves, k);
    return paths;
}

// ---- the rebuild from the assistant -----------------------------------------------------------

// (d, s, n): chapter options d .. d+n-1 from assistant option s alone (one)
// or from s .. s+n-1 (each).
struct Row {
    int d, s, n;
};

const Row kOne[] = {{40, 32, 6},   {50, 33, 6},   {90, 34, 7},   {100, 35, 6},  {130, 30, 6},
                    {150, 31, 6},  {210, 156, 3}, {230, 157, 3}, {250, 152, 12}, {270, 153, 12},
                    {330, 154, 4}, {340, 155, 4}, {370, 150, 6}, {390, 151, 6}};
const Row kEach[] = {
    {220, 244, 2}, {240, 246, 3}, {290, 212, 12}, {310, 224, 12}, {350, 236, 4}, {360, 240, 4}, {410, 200, 6},
    {430, 206, 6}, {70, 62, 6},   {80, 74, 6},    {110, 86, 3},   {114, 99, 3},  {120, 90, 3},  {124, 102, 3},
    {170, 50, 6},  {190, 56, 6},
    // The input chapter.
    {0, 0, 1}, {1, 1, 1}, {2, 2, 1}, {3, 3, 1}, {4, 4, 1}, {5, 4, 1}, {6, 5, 1}, {7, 7, 1}, {8, 6, 1}, {9, 8, 2},
    {20, 20, 1}, {21, 20, 1}, {22, 21, 1}, {23, 22, 1}, {24, 22, 1}, {25, 22, 1}, {26, 22, 1}, {27, 22, 1},
    {28, 22, 1}, {29, 23, 1}, {30, 20, 1}, {31, 20, 1}};

int32_t At(const std::vector<int32_t>& v, int i) { return i >= 0 && size_t(i) < v.size() ? v[size_t(i)] : 0; }

void Put(std::vector<int32_t>& v, int i, int32_t value) {
    if (i >= 0 && size_t(i) < v.size()) v[size_t(i)] = value;
}

// ---- the assistant's boxes ---------------------------------------------------------------------

std::vector<AssistantBox> Range(int firstControl, int lastControl, int firstOption) {
    std::vector<AssistantBox> out;
    for (int c = firstControl; c <= lastControl; ++c) out.push_back({c, firstOption + (c - firstControl)});
    return out;
}

std::vector<AssistantBox> Join(std::initializer_list<std::vector<AssistantBox>> parts) {
    std::vector<AssistantBox> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The diagram boxes 26063 .. 26117 of a page take option base + (id - 26063).
std::vector<AssistantBox> Diagrams(int base, std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<AssistantBox> out;
    for (auto [a, b] : ranges)
        for (int c = a; c <= b; ++c) out.push_back({c, base + (c - 26063)});
    return out;
}

bool InRanges(int c, std::initializer_list<std::pair<int, int>> ranges) {
    for (auto [a, b] : ranges)
        if (c >= a && c <= b) return true;
    return false;
}

}  // namespace

const std::vector<std::string>& OutputChapterPaths() {
    static const std::vector<std::string> paths = MakeChapterPaths();
    return paths;
}

void RebuildChapterOptions(std::vector<int32_t>& chapter, const std::vector<int32_t>& assistant) {
    std::fill(chapter.begin(), chapter.end(), 0);
    for (const Row& r : kOne)
        for (int k = 0; k < r.n; ++k) Put(chapter, r.d + k, At(assistant, r.s));
    for (const Row& r : kEach)
        for (int k = 0; k < r.n; ++k) Put(chapter, r.d + k, At(assistant, r.s + k));
}

const std::vector<AssistantBox>& AssistantBoxes(int page) {
    static const std::vector<AssistantBox> page1 = Join({Range(26041, 26050, 0), Range(26051, 26054, 20)});
    static const std::vector<AssistantBox> page2 =
        Join({Range(26055, 26060, 30),
              Diagrams(50, {{26063, 26080}, {26087, 26092}, {26099, 26101}, {26103, 26105}, {26112, 26117}})});
    static const std::vector<AssistantBox> page3 =
        Join({Range(26055, 26062, 150), Diagrams(200, {{26063, 26111}})});
    static const std::vector<AssistantBox> none;
    switch (page) {
    case 1: return page1;
    case 2: return page2;
    case 3: return page3;
    default: return none;
    }
}

int AssistantOptionOf(int page, int control) {
    for (const AssistantBox& b : AssistantBoxes(page))
        if (b.control == control) return b.option;
    return -1;
}

bool IsPerCombinationBox(int page, int control) {
    if (AssistantOptionOf(page, control) < 0) return false;
    if (page == 2)
        return InRanges(control, {{26058, 26058}, {26060, 26060}, {26087, 26092}, {26103, 26105}, {26115, 26117}});
    if (page == 3)
        return InRanges(control, {{26056, 26056}, {26058, 26058}, {26060, 26062}, {26069, 26074}, {26087, 26098},
                                  {26103, 26111}});
    return false;
}

// ---- templates --------------------------------------------------------------------------------

std::string OutputTemplatePath(const std::string& chosen) {
    const std::filesystem::path path(chosen);
    const std::string name = path.filename().string();
    const size_t dot = name.size() > 1 ? name.find('.', 1) : std::string::npos;
    if (dot == std::string::npos) return chosen;
    return (path.parent_path() / (name.substr(0, dot) + ".RIGEL.vor")).string();
}

namespace {

const char* const kSwitchKeys[] = {"rtfLKgebr",        "rtfLKTragSV",       "bRtfChapterInput",
                                   "bRtfChapterGebr",  "bRtfChapterTragSV", "bRtfChapterCT"};

// The six switches in the order of their keys.
template <class Data>
auto Switches(Data& d) {
    return std::array{&d.m_rtfLKgebr,       &d.m_rtfLKTragSV,        &d.m_bRtfChapterInput,
                      &d.m_bRtfChapterGebr, &d.m_bRtfChapterTragSV, &d.m_bRtfChapterCT};
}

// The stored entries into an array of the given size: what the template
// lacks is 0, what it holds beyond the size is left out.
void ReadFixed(ZVELEM e, const char* key, std::vector<int32_t>& list, int size) {
    const std::vector<int32_t> stored = zevud::GetInts(e, key, size);
    list.assign(size_t(size), 0);
    std::copy(stored.begin(), stored.end(), list.begin());
}

}  // namespace

void WriteOutputTemplate(ZVDOC doc, const CModuleData& data) {
    ZVELEM root = doc ? ZEVUD_GetRootElement(doc) : 0;
    if (!root) return;
    while (ZVELEM old = ZEVUD_FindFirstChild(root, "rtfOptions")) ZEVUD_DeleteElement(old);
    ZVELEM e = ZEVUD_AddChildElement(root, "rtfOptions");
    if (!data.m_rtfOptions.empty()) zevud::SetInts(e, "rtfOptions", data.m_rtfOptions);
    if (!data.m_rtfWizOptions.empty()) zevud::SetInts(e, "rtfWizOptions", data.m_rtfWizOptions);
    const auto switches = Switches(data);
    for (size_t i = 0; i < switches.size(); ++i) ZEVUD_SetInt(e, kSwitchKeys[i], *switches[i]);
}

bool ReadOutputTemplate(ZVDOC doc, CModuleData& data) {
    ZVELEM root = doc ? ZEVUD_GetRootElement(doc) : 0;
    ZVELEM e = root ? ZEVUD_FindFirstChild(root, "rtfOptions") : 0;
    if (!e) return false;
    ReadFixed(e, "rtfOptions", data.m_rtfOptions, kChapterOptionCount);
    ReadFixed(e, "rtfWizOptions", data.m_rtfWizOptions, kAssistantOptionCount);
    const auto switches = Switches(data);
    for (size_t i = 0; i < switches.size(); ++i) *switches[i] = ZEVUD_GetInt(e, kSwitchKeys[i]);
    return true;
}

bool LoadOutputTemplate(const std::string& file, CModuleData& data) {
    ZVDOC doc = ZEVUD_OpenDoc(file.c_str());
    if (!doc) return false;
    const bool read = ReadOutputTemplate(doc, data);
    ZEVUD_CloseDoc(doc);
    return read;
}

bool SaveOutputTemplate(const std::string& file, const CModuleData& data) {
    ZVDOC doc = ZEVUD_CreateDoc(file.c_str());
    if (!doc) return false;
    WriteOutputTemplate(doc, data);
    const bool saved = ZEVUD_SaveDoc(doc) == 1;
    ZEVUD_CloseDoc(doc);
    return saved;
}
