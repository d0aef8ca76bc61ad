// Material handler over the material database layer.
#include "input/MateHandler.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <utility>

#include "formula/VariableTable.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zarida/zarida.h"

namespace {

constexpr const char* kApp = "VKT Eingabe";
constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kArea = "mateHandler";

std::string Tr(const std::string& text) { return lingo::Translate(kApp, kSection, kArea, text); }

template <class... Args>
std::string TrFormat(const std::string& format, const Args&... args) {
    return lingo::FormatTranslated(format, Tr(format), args...);
}

// Children of an element with the given element name and "Name".
std::vector<ZVELEM> NamedChildren(ZVELEM parent, const char* element, const std::string* name) {
    std::vector<ZVELEM> out;
    for (ZVELEM e = ZEVUD_FindFirstChild(parent, element); e; e = ZEVUD_FindNextChild(e, element))
        if (!name || zevud::GetString(e, "Name") == *name) out.push_back(e);
    return out;
}

const char* const kLevels[] = {"Kategorie", "Unterkategorie", "Norm", "Objekt"};

// The integer of an attribute text; 0 for a text without a number.
int IntOf(const std::string& text) {
    const auto v = winsys::ParseInt(text);
    if (!v) return 0;
    if (*v > 0x7fffffffLL) return 0x7fffffff;
    if (*v < -0x7fffffffLL) return -0x7fffffff;
    return static_cast<int>(*v);
}

}  // namespace

// ============================================================================
// CMateList
// ============================================================================

CMateList::CMateList() = default;

CMateList::CMateList(ZVELEM element, int userFlag) : m_userFlag(userFlag) {
    Read(element);
    EvaluateFormulas();
}

void CMateList::Read(ZVELEM element) {
    m_values.clear();
    m_formulas.clear();
    m_elements.clear();
    m_element = element;
    m_priority = -1;
    if (!element) return;
    // From the object upward: a higher level's property replaces a lower
    // level's of the same short name.
    for (ZVELEM level = element; level; level = ZEVUD_GetParentElement(level)) {
        for (ZVELEM p = ZEVUD_FindFirstChild(level, "Eigenschaft"); p; p = ZEVUD_FindNextChild(p, "Eigenschaft")) {
            const std::string key = zevud::GetString(p, "Kurzname");
            m_values[key] = zevud::GetString(p, "Wert01");
            const std::string formula = zevud::GetString(p, "Formel");
            if (!formula.empty()) m_formulas[key] = formula;
            m_elements.push_back(p);
        }
    }
    const std::string prio = zevud::GetString(element, "Prioritaet");
    if (!prio.empty()) m_priority = IntOf(prio);
}

void CMateList::EvaluateFormulas() {
    CVariableTable table;
    for (size_t i = 0; i < m_varNames.size() && i < m_varValues.size(); ++i)
        table.Define(m_varNames[i], "", "", m_varValues[i]);
    for (const auto& [key, text] : m_values)
        if (!m_formulas.count(key)) table.Define(key, "", "", winsys::ParseDouble(text).value_or(0.0));
    bool changed = false;
    // Two passes, so that a formula using another formula's result is right
    // whatever the order of the properties.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& [key, formula] : m_formulas) {
            double v = 0;
            if (!table.Evaluate(formula, v)) continue;
            const std::string text = winsys::FormatDoubleC("%lg", v);
            auto it = m_values.find(key);
            if (it == m_values.end() || it->second != text) changed = true;
            m_values[key] = text;
            table.Define(key, "", "", v);
        }
    }
    if (!changed) return;
    for (ZVELEM e : m_elements) {
        const std::string key = zevud::GetString(e, "Kurzname");
        if (auto it = m_values.find(key); it != m_values.end()) ZEVUD_SetString(e, "Wert01", it->second.c_str());
        if (auto it = m_formulas.find(key); it != m_formulas.end()) ZEVUD_SetString(e, "Formel", it->second.c_str());
    }
}

std::string CMateList::GetValue(const std::string& shortName) const {
    auto it = m_values.find(shortName);
    return it == m_values.end() ? std::string() : it->second;
}

void CMateList::WriteToDom(ZVELEM parent) const {
    if (!parent) return;
    for (ZVELEM e : m_elements) {
        const ZVELEM copy = ZEVUD_AddChildElement(parent, "Eigenschaft");
        if (copy) ZEVUD_CloneElementTree(copy, e);
    }
}

// ============================================================================
// CMateHandler
// ============================================================================

CMateHandler::CMateHandler() {
    WriteStartupLog("CMateHandler():110");
    OpenStandardDb(true);
    WriteStartupLog("CMateHandler():115");
    OpenUserDb(true);
    WriteStartupLog("CMateHandler():117");
}

CMateHandler::~CMateHandler() {
    OpenUserDb(false);
    OpenStandardDb(false);
}

std::string CMateHandler::FixNorm(const std::string& norm) { return norm == "DIN 1045-I" ? "DIN 1045-1" : norm; }

std::string CMateHandler::MapObjectName(const std::string& category, const std::string& subcategory,
                                        const std::string& norm, const std::string& object) {
    const std::string n = FixNorm(norm);
    if (category == "Stahl" && subcategory == "Betonstahl" && (n == "EC2" || n == "EC2 NA (DE)")) {
        if (object == "BSt 500 SA" || object == "BSt 500 MA") return "B500A";
        if (object == "BSt 500 SB" || object == "BSt 500 MB") return "B500B";
    }
    return object;
}

std::vector<ZVELEM> CMateHandler::OpenRoots() const {
    std::vector<ZVELEM> out;
    for (ZVELEM r : m_roots) {
        if (!r) break;
        out.push_back(r);
    }
    return out;
}

std::vector<ZVELEM> CMateHandler::Matching(ZVELEM root, const std::vector<std::string>& names) const {
    std::vector<ZVELEM> level{root};
    for (size_t d = 0; d < names.size() && d < 3; ++d) {
        std::vector<ZVELEM> next;
        for (ZVELEM e : level)
            for (ZVELEM c : NamedChildren(e, kLevels[d], &names[d])) next.push_back(c);
        level = std::move(next);
    }
    return level;
}

int CMateHandler::LevelNames(const std::vector<std::string>& path, std::vector<std::string>& names) {
    // The first name met keeps its priority.
    std::vector<std::pair<std::string, int>> found;
    std::set<std::string> seen;
    int highest = 0;
    const char* element = kLevels[path.size()];
    for (ZVELEM root : OpenRoots())
        for (ZVELEM parent : Matching(root, path))
            for (ZVELEM e : NamedChildren(parent, element, nullptr)) {
                const std::string name = zevud::GetString(e, "Name");
                if (!seen.insert(name).second) continue;
                const int prio = ZEVUD_GetInt(e, "Prioritaet");
                found.emplace_back(name, prio);
                if (prio < kMaxPrioritySlots) highest = std::max(highest, prio);
            }
    names.assign(static_cast<size_t>(highest) + 1, std::string());
    std::vector<bool> taken(names.size(), false);
    for (const auto& [name, prio] : found) {
        // A slot already taken, or a priority outside the list, appends.
        if (prio >= 0 && prio < static_cast<int>(taken.size()) && !taken[static_cast<size_t>(prio)]) {
            names[static_cast<size_t>(prio)] = name;
            taken[static_cast<size_t>(prio)] = true;
        } else {
            names.push_back(name);
        }
    }
    return static_cast<int>(names.size());
}

int CMateHandler::GetCategoryNames(std::vector<std::string>& names) { return LevelNames({}, names); }

int CMateHandler::GetSubcategoryNames(const std::string& category, std::vector<std::string>& names) {
    return LevelNames({category}, names);
}

int CMateHandler::GetNormNames(const std::string& category, const std::string& subcategory,
                               std::vector<std::string>& names) {
    return LevelNames({category, subcategory}, names);
}

int CMateHandler::GetObjectNames(const std::string& category, const std::string& subcategory,
                                 const std::string& norm, std::vector<std::string>& names) {
    const std::vector<std::string> path{category, subcategory, FixNorm(norm)};
    std::vector<std::string> order;  // names in the order first met
    std::map<std::string, int> prio;
    int next = 0;
    for (ZVELEM root : OpenRoots())
        for (ZVELEM n : Matching(root, path))
            for (ZVELEM o : NamedChildren(n, "Objekt", nullptr)) {
                const std::string name = zevud::GetString(o, "Name");
                const std::string text = zevud::GetString(o, "Prioritaet");
                const int p = text.empty() ? next : IntOf(text);
                if (!prio.count(name)) order.push_back(name);
                prio[name] = p;
                if (p < kMaxPrioritySlots && p + 1 > next) next = p + 1;
            }
    names.assign(static_cast<size_t>(next), std::string());
    std::vector<bool> taken(names.size(), false);
    std::vector<std::string> rest;
    for (const std::string& name : order) {
        const int p = prio[name];
        if (p >= 0 && p < next && !taken[static_cast<size_t>(p)]) {
            names[static_cast<size_t>(p)] = name;
            taken[static_cast<size_t>(p)] = true;
        } else {
            // Negative, oversized or doubled priorities: kept at the end.
            rest.push_back(name);
        }
    }
    names.insert(names.end(), rest.begin(), rest.end());
    return static_cast<int>(names.size());
}

std::string CMateHandler::GetDefaultObjectName(const std::string& category, const std::string& subcategory,
                                               const std::string& norm) {
    const std::string n = FixNorm(norm);
    std::string result;
    for (ZVELEM root : OpenRoots())
        for (ZVELEM c : NamedChildren(root, "Kategorie", &category))
            for (ZVELEM s : NamedChildren(c, "Unterkategorie", &subcategory))
                for (ZVELEM nm : NamedChildren(s, "Norm", n.empty() ? nullptr : &n))
                    for (ZVELEM o : NamedChildren(nm, "Objekt", nullptr))
                        if (n.empty() || ZEVUD_GetInt(o, "default") != 0) result = zevud::GetString(o, "Name");
    return result;
}

int CMateHandler::GetDefaultObjectIndex(const std::string& category, const std::string& subcategory,
                                        const std::string& norm) {
    const std::string name = GetDefaultObjectName(category, subcategory, norm);
    std::vector<std::string> names;
    GetObjectNames(category, subcategory, norm, names);
    int index = 0;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) index = static_cast<int>(i);
    return index;
}

void CMateHandler::FindObject(CMateList& out, const std::string& category, const std::string& subcategory,
                              const std::string& norm, const std::string& object) {
    const std::string mapped = MapObjectName(category, subcategory, norm, object);
    const std::string key = category + "\\" + subcategory + "\\" + norm + "\\" + mapped;
    if (!m_cacheKey.empty() && key == m_cacheKey) {
        out = m_cached;
        return;
    }
    const std::string n = FixNorm(norm);
    ZVELEM found = 0;
    int user = 0;
    for (size_t r = 0; r < 2 && m_roots[r] && !found; ++r)
        for (ZVELEM nm : Matching(m_roots[r], {category, subcategory, n})) {
            const std::vector<ZVELEM> objs = NamedChildren(nm, "Objekt", &mapped);
            if (!objs.empty()) {
                found = objs.front();
                user = r == 1 ? 1 : 0;
                break;
            }
        }
    m_cached = found ? CMateList(found, user) : CMateList(0, 0);
    m_cacheKey = key;
    out = m_cached;
}

bool CMateHandler::KnowsObject(const std::string& category, const std::string& subcategory, const std::string& norm,
                               const std::string& object) {
    const std::string mapped = MapObjectName(category, subcategory, norm, object);
    const std::string n = FixNorm(norm);
    for (size_t r = 0; r < 2 && m_roots[r]; ++r)
        for (ZVELEM nm : Matching(m_roots[r], {category, subcategory, n}))
            for (ZVELEM o : NamedChildren(nm, "Objekt", &mapped))
                if (!m_positionCopies.count(o)) return true;
    return false;
}

ZVELEM CMateHandler::FindCategory(const std::string& category, int user) {
    const ZVELEM root = m_roots[user ? 1 : 0];
    const auto v = root ? Matching(root, {category}) : std::vector<ZVELEM>{};
    return v.empty() ? 0 : v.front();
}

ZVELEM CMateHandler::FindSubcategory(const std::string& category, const std::string& subcategory, int user) {
    const ZVELEM root = m_roots[user ? 1 : 0];
    const auto v = root ? Matching(root, {category, subcategory}) : std::vector<ZVELEM>{};
    return v.empty() ? 0 : v.front();
}

ZVELEM CMateHandler::FindNorm(const std::string& category, const std::string& subcategory, const std::string& norm,
                              int user) {
    const ZVELEM root = m_roots[user ? 1 : 0];
    const auto v = root ? Matching(root, {category, subcategory, FixNorm(norm)}) : std::vector<ZVELEM>{};
    return v.empty() ? 0 : v.front();
}

ZVELEM CMateHandler::EnsurePath(const std::string& category, const std::string& subcategory,
                                const std::string& norm, int user) {
    ZVELEM e = m_roots[user ? 1 : 0];
    if (!e) return 0;
    const std::string names[3] = {category, subcategory, FixNorm(norm)};
    for (int d = 0; d < 3 && e; ++d) {
        const auto found = NamedChildren(e, kLevels[d], &names[d]);
        if (!found.empty()) {
            e = found.front();
        } else {
            e = ZEVUD_AddChildElement(e, kLevels[d]);
            ZEVUD_SetString(e, "Name", names[d].c_str());
        }
    }
    return e;
}

void CMateHandler::OpenStandardDb(bool open) {
    if (open && !m_roots[0]) {
        m_roots[0] = ZARIDA_OpenStandard();
        m_cacheKey.clear();
    } else if (!open && m_roots[0]) {
        ZARIDA_Close(m_roots[0]);
        m_roots[0] = 0;
        m_cacheKey.clear();
    }
}

void CMateHandler::OpenUserDb(bool open) {
    if (open && !m_roots[1]) {
        m_roots[1] = ZARIDA_OpenUser();
        m_cacheKey.clear();
    } else if (!open && m_roots[1]) {
        ZARIDA_Close(m_roots[1]);
        m_roots[1] = 0;
        m_cacheKey.clear();
        m_positionCopies.clear();  // closed unsaved: the copies are gone
    }
}

bool CMateHandler::SaveDatabaseOf(ZVELEM element) {
    const ZVDOC doc = ZEVUD_GetDocument(element);
    const bool saved = doc && ZEVUD_SaveDoc(doc) == 1;
    // What the user database held is now part of it.
    if (saved) m_positionCopies.clear();
    return saved;
}

void CMateHandler::CheckAgainstDatabase(const std::string& category, const std::string& subcategory,
                                        const std::string& norm, ZVELEM positionObject, int silent) {
    if (!positionObject) return;
    const std::string object = zevud::GetString(positionObject, "Name");
    CMateList set;
    FindObject(set, category, subcategory, norm, object);
    const std::string n = FixNorm(norm);
    if (set.IsEmpty()) {
        const ZVELEM normElem = EnsurePath(category, subcategory, norm, 1);
        if (!normElem) return;  // no user database to take it
        const ZVELEM copy = ZEVUD_AddChildElement(normElem, "Objekt");
        ZEVUD_CloneElementTree(copy, positionObject);
        m_cacheKey.clear();
        if (silent) {
            // Stays in the open user database, unsaved: later lookups find
            // it, but the database does not know it.
            m_positionCopies.insert(copy);
            return;
        }
        const std::string q = TrFormat(
            "Der Eintrag in der Materialdatei\n\n%s / %s / %s / %s\n\nwurde nicht gefunden! Soll dieser\nin der "
            "Benutzerdatenbank angelegt werden?",
            category, subcategory, n, object);
        // Without a user the user database outside the position stays as it is.
        if (winsys::MessageBox(q, "", winsys::Buttons::YesNo, winsys::Icon::Question, winsys::IdNo) == winsys::IdYes &&
            SaveDatabaseOf(normElem))
            winsys::MessageBox(TrFormat("'%s / %s / %s /%s' übertragen.", category, subcategory, n, object));
        return;
    }
    if (!set.GetUserFlag()) return;  // found in the standard database
    bool equal = true;
    for (ZVELEM e : set.Elements()) {
        const std::string key = zevud::GetString(e, "Kurzname");
        const ZVELEM mine = ZEVUD_FindFirstChildWithAttr(positionObject, "Kurzname", key.c_str());
        if (!(zevud::FingerPrint(e) == zevud::FingerPrint(mine))) {
            equal = false;
            break;
        }
    }
    if (equal || silent) return;
    const std::string q = TrFormat(
        "Der Eintrag in der Materialdatei\n\n%s / %s / %s / %s\n\nwurde mitunterschiedlichen Werten gefunden.\nSoll "
        "eine Kopie in der Benutzerdatenbank angelegt werden?",
        category, subcategory, n, object);
    if (winsys::MessageBox(q, "", winsys::Buttons::YesNo, winsys::Icon::Question, winsys::IdNo) != winsys::IdYes)
        return;
    const std::string file = zevud::GetCompleteFileName(ZEVUD_GetDocument(positionObject));
    const std::string stem = std::filesystem::path(winsys::ToSlashPath(file)).stem().string();
    const std::string newName = object + "(" + stem + ")";
    const ZVELEM normElem = EnsurePath(category, subcategory, norm, 1);
    if (!normElem) return;
    const ZVELEM copy = ZEVUD_AddChildElement(normElem, "Objekt");
    ZEVUD_CloneElementTree(copy, positionObject);
    ZEVUD_SetString(positionObject, "Name", newName.c_str());
    ZEVUD_SetString(copy, "Name", newName.c_str());
    m_cacheKey.clear();
    if (SaveDatabaseOf(normElem))
        winsys::MessageBox(TrFormat("'%s / %s / %s /%s' übertragen.", category, subcategory, n, newName));
}

void CMateHandler::OpenMaterialEditor(const std::string& category, const std::string& subcategory,
                                      const std::string& norm, const std::string& object, int modeFlag) {
    if (winsys::FindProgram("stoffEdit").empty()) {
        winsys::MessageBox(Tr("Der Materialeditor 'stoffEdit' ist nicht installiert."), "", winsys::Buttons::Ok,
                           winsys::Icon::Warning);
        return;
    }
    std::vector<std::string> argv{"stoffEdit", "kat=" + category, "ukat=" + subcategory, "norm=" + FixNorm(norm),
                                  "objekt=" + MapObjectName(category, subcategory, norm, object)};
    if (modeFlag) argv.push_back("vktMode");
    const bool hadStandard = m_roots[0] != 0, hadUser = m_roots[1] != 0;
    OpenUserDb(false);
    OpenStandardDb(false);
    RunProcessWait(argv, 1);
    if (hadStandard) OpenStandardDb(true);
    if (hadUser) OpenUserDb(true);
}

namespace {
std::unique_ptr<CMateHandler>& Handler() {
    static auto* h = new std::unique_ptr<CMateHandler>;  // torn down explicitly, never at exit
    return *h;
}
}  // namespace

CMateHandler& GetMateHandler() {
    if (!Handler()) Handler() = std::make_unique<CMateHandler>();
    return *Handler();
}

void DestroyMateHandler() { Handler().reset(); }
