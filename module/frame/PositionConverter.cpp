#include "module/frame/PositionConverter.h"

#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include "module/frame/Utilities.h"
#include "platform/winsys/winsys.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kMissing = -999999;

int32_t IntByPath(ZVDOC doc, const char* path, const char* key) { return ZEVUD_GetIntByPath(doc, path, key, kMissing); }

// An open position document, closed at the end of the scope.
struct OpenDoc {
    explicit OpenDoc(const std::string& path) : doc(ZEVUD_OpenDocQuiet(path.c_str())) {
        root = doc ? ZEVUD_GetRootElement(doc) : 0;
    }
    ~OpenDoc() {
        if (doc) ZEVUD_CloseDoc(doc);
    }
    OpenDoc(const OpenDoc&) = delete;
    OpenDoc& operator=(const OpenDoc&) = delete;
    bool Save() { return ZEVUD_SaveDoc(doc) == 1; }
    void SetModule(const std::string& name) { ZEVUD_SetString(root, "modulename", name.c_str()); }
    ZVDOC doc = 0;
    ZVELEM root = 0;
};

// A new module name chosen from a value (empty when no rule gives one).
using NameRule = std::function<std::string(int32_t)>;

// Sets a fixed or chosen module name, optionally marking the position as
// modularised and optionally changing the program name.
class CNameConversion : public CPositionConversion {
public:
    CNameConversion(const char* path, const char* key, NameRule rule, bool mark, bool guarded,
                     std::string newProgram = {})
        : m_path(path ? path : ""), m_key(key ? key : ""), m_rule(std::move(rule)), m_mark(mark), m_guarded(guarded),
          m_newProgram(std::move(newProgram)) {}
    void Convert(const std::string& file) override {
        OpenDoc d(file);
        if (!d.doc || (m_guarded && !d.root) || !d.root) return;
        const int32_t value = m_key.empty() ? 0 : IntByPath(d.doc, m_path.c_str(), m_key.c_str());
        if (m_mark) MarkModularised(d.doc);
        if (!m_newProgram.empty()) ZEVUD_SetString(d.root, "progname", m_newProgram.c_str());
        d.SetModule(m_rule(value));
        d.Save();
    }

private:
    std::string m_path, m_key;
    NameRule m_rule;
    bool m_mark, m_guarded;
    std::string m_newProgram;
};

NameRule Fixed(std::string name) {
    return [name](int32_t) { return name; };
}
NameRule Table(std::map<int32_t, std::string> names) {
    return [names](int32_t v) {
        auto it = names.find(v);
        return it == names.end() ? std::string() : it->second;
    };
}

// Marked once: only a file whose "bModularisieren" reads exactly 0.
class CMarkOnceConversion : public CPositionConversion {
public:
    explicit CMarkOnceConversion(std::string name) : m_name(std::move(name)) {}
    void Convert(const std::string& file) override {
        OpenDoc d(file);
        if (!d.doc || !d.root) return;
        if (IntByPath(d.doc, "info", "bModularisieren") != 0) return;
        MarkModularised(d.doc);
        d.SetModule(m_name);
        d.Save();
    }

private:
    std::string m_name;
};

// The old two-letter module names mapped to new ones; the position is marked.
class COldNameConversion : public CPositionConversion {
public:
    explicit COldNameConversion(std::map<std::string, std::string> names) : m_names(std::move(names)) {}
    void Convert(const std::string& file) override {
        OpenDoc d(file);
        if (!d.doc || !d.root) return;
        auto it = m_names.find(zevud::GetString(d.root, "modulename"));
        MarkModularised(d.doc);
        d.SetModule(it == m_names.end() ? std::string() : it->second);
        d.Save();
    }

private:
    std::map<std::string, std::string> m_names;
};

class CNoConversion : public CPositionConversion {
public:
    void Convert(const std::string&) override {}
};

// Roof positions: the roof type chooses the module name of the newer roof
// program. The older generation converts only when the newer program is
// installed and the design code is not one of the newer codes.
class CRoofConversion : public CPositionConversion {
public:
    explicit CRoofConversion(bool checked) : m_checked(checked) {}
    void Convert(const std::string& file) override {
        OpenDoc d(file);
        if (!d.doc || !d.root) return;
        static const std::map<int32_t, std::string> names = {{0, "Pfettendach"}, {1, "Sparrendach"},
                                                             {2, "Kehlbalkendach"}, {3, "Walmdach"},
                                                             {4, "Walmdach"}, {5, "Flachdach"},
                                                             {6, "Zeltdach"}};
        const int32_t type = IntByPath(d.doc, "input\\steu", "dachtyp");
        if (m_checked) {
            const int32_t norm = IntByPath(d.doc, "info", "norm");
            const fs::path prog = fs::path(GetInstallRoot()) / "prog";
            const bool installed = FileCanBeOpened((prog / CPositionConverter::kNewRoofLibrary).string()) ||
                                   FileCanBeOpened((prog / ("lib" + std::string("DlgDach") + ".so")).string());
            if (!installed || norm == 3 || norm == 4 || norm == 5 || norm == 32) return;
        }
        ZEVUD_SetString(d.root, "progname", "DACH");
        ZVELEM info = ZEVUD_FindFirstChild(d.root, "info");
        if (!info) info = ZEVUD_AddChildElement(d.root, "info");
        ZEVUD_SetInt(info, "norm", 5);
        auto it = names.find(type);
        d.SetModule(it == names.end() ? std::string() : it->second);
        d.Save();
    }

private:
    bool m_checked;
};

// Bracket positions: a position with bracket and beam is split into two.
class CBracketConversion : public CPositionConversion {
public:
    void Convert(const std::string& file) override {
        OpenDoc d(file);
        if (!d.doc || !d.root) return;
        const bool bracket = IntByPath(d.doc, "input\\geom", "mitkonsole") != 0;
        const bool beam = IntByPath(d.doc, "input\\geom", "mitbalken") != 0;
        if (bracket && beam) {
            const std::string first = winsys::SideFileName(file, " (konsole).vkx");
            const std::string second = winsys::SideFileName(file, " (balken).vkx");
            d.SetModule(kBracket);
            const bool ok1 = ZEVUD_SaveDocAs(d.doc, first.c_str()) == 1;
            d.SetModule(kBeam);
            const bool ok2 = ZEVUD_SaveDocAs(d.doc, second.c_str()) == 1;
            ZEVUD_CloseDoc(d.doc);
            d.doc = 0;
            // The old file goes only when both parts are safely written under
            // names of their own.
            const fs::path old(file);
            std::error_code ec;
            if (ok1 && ok2 && !fs::equivalent(old, fs::path(first), ec) && !fs::equivalent(old, fs::path(second), ec) &&
                first != file && second != file)
                fs::remove(old, ec);
            return;
        }
        if (bracket) d.SetModule(kBracket);
        else if (beam) d.SetModule(kBeam);
        d.Save();
    }
    static constexpr const char* kBracket = "Konsole";
    static constexpr const char* kBeam = "Balken";
};

// This module's crane runways of older versions get "DIN" appended.
class CCraneRunwayConversion : public CPositionConversion {
public:
    void Convert(const std::string& file) override {
        const double version = winsys::ParseDouble(m_strVersion).value_or(0.0);
        if (!(version > 1.0 && version < 2012.019)) return;
        OpenDoc d(file);
        if (!d.doc || !d.root) return;
        d.SetModule(zevud::GetString(d.root, "modulename") + "DIN");
        d.Save();
    }
};

}  // namespace

const char* CPositionConverter::kNewRoofLibrary = "DlgDach.dll";

void MarkModularised(ZVDOC doc) {
    ZVELEM root = ZEVUD_GetRootElement(doc);
    if (!root) return;
    ZVELEM info = ZEVUD_FindFirstChild(root, "info");
    if (!info) info = ZEVUD_AddChildElement(root, "info");
    ZEVUD_SetInt(info, "bModularisieren", 1);
}

CPositionConverter::CPositionConverter() {
    auto reg = [this](const char* prog, const char* module, std::shared_ptr<CPositionConversion> c) {
        Register(prog, module, std::move(c));
    };
    // Fixed name, guarded.
    auto timber = std::make_shared<CNameConversion>(nullptr, nullptr, Fixed("Holzbalken"), false, true);
    reg("HOLZ", "", timber);
    reg("HOLZ", "D", timber);
    // Foundations by their form.
    reg("FUND", "", std::make_shared<CNameConversion>("input\\geom", "form",
                                                      Table({{0, "Einzel"}, {1, "Streifen"}, {2, "Block"},
                                                             {3, "Köcher"}}),
                                                      false, false));
    // Fixed names.
    reg("BETB", "", std::make_shared<CNameConversion>(nullptr, nullptr, Fixed("Balken"), false, false));
    reg("BETS", "", std::make_shared<CNameConversion>(nullptr, nullptr, Fixed("Stütze"), false, false));
    reg("MAUW", "", std::make_shared<CNameConversion>(nullptr, nullptr, Fixed("Wand"), false, false));
    // Positions moved to the foundation program.
    reg("GRUEND", "", std::make_shared<CNameConversion>("input\\steu", "system",
                                                        Table({{0, "Pfahl"}, {1, "Platte"}, {2, "Stütz"}}), false,
                                                        false, "FUND"));
    // By calculation kind.
    reg("TREPPE", "", std::make_shared<CNameConversion>("input\\steu", "berart",
                                                        Table({{0, "Lauf"}, {1, "Lauf"}, {2, "Lauf"}, {3, "Podest"},
                                                               {4, "Lauf"}}),
                                                        false, false));
    // Roof positions of two older generations.
    auto roofOld = std::make_shared<CRoofConversion>(true);
    auto roofLater = std::make_shared<CRoofConversion>(false);
    for (const char* m : {"", "P", "S", "K", "W", "F", "Z"}) {
        reg("DACHALT", m, roofOld);
        reg("DACH2", m, roofLater);
    }
    reg("KONS", "", std::make_shared<CBracketConversion>());
    reg("WANDALT", "", std::make_shared<CNameConversion>("input\\nago", "vereinfacht",
                                                         Table({{1, "vereinfacht"}, {0, "genau"}}), false, false));
    auto none = std::make_shared<CNoConversion>();
    reg("TEXTALT", "", none);
    reg("TEXTALT", "RTF", none);
    // Marked, fixed name, guarded.
    const char* marked[][2] = {{"ANSS", "Stirnplatte"}, {"ANST", "Trägeranschluss"}, {"ANSW", "Schweißnaht"},
                               {"ANSB", "Schraube"},    {"ANSL", "Lagerpressung"},   {"ANSD", "Dübel"}};
    for (auto& m : marked)
        reg(m[0], "", std::make_shared<CNameConversion>(nullptr, nullptr, Fixed(m[1]), true, true));
    // Marked once.
    const char* once[][2] = {
        {"RAHM", "Zweigelenk"}, {"FACH", "Fachwerk"}, {"VERB", "Verbund"}, {"STUETZW", "Winkel"}};
    for (auto& m : once) reg(m[0], "", std::make_shared<CMarkOnceConversion>(m[1]));
    // Marked, by cross-section and by type.
    reg("QSW", "", std::make_shared<CNameConversion>(
                       "input\\system", "Querschnitt",
                       [](int32_t v) { return std::string(v < 2 ? "Rechteck" : "Profil"); }, true, true));
    reg("TYPW", "", std::make_shared<CNameConversion>(
                        "input\\system", "Typ", [](int32_t v) { return std::string(v == 0 ? "Einfach" : "Mehrfach"); },
                        true, true));
    // Marked, old two-letter names mapped.
    auto oldNames = std::make_shared<COldNameConversion>(std::map<std::string, std::string>{
        {"EF", "Einfeld"}, {"DL", "Durchlauf"}, {"KR", "Kragarm"}, {"GB", "Gelenkbalken"},
        {"RA", "Rahmen"},  {"ST", "Stütze"},    {"FW", "Fachwerk"}});
    for (const char* m : {"EF", "DL", "KR", "GB", "RA", "ST", "FW"}) reg("ALTS", m, oldNames);
    // This module's crane runways of the two older module names.
    auto crane = std::make_shared<CCraneRunwayConversion>();
    reg("VADU", "KB", crane);
    reg("VADU", "KBEC", crane);
}

CPositionConverter::~CPositionConverter() = default;

void CPositionConverter::Register(const std::string& progName, const std::string& moduleName,
                                  std::shared_ptr<CPositionConversion> conversion) {
    m_map[progName + moduleName] = std::move(conversion);
    m_moduleKeys.insert(MakeModuleKey(progName, moduleName));
}

int CPositionConverter::Convert(const std::string& path, const std::string& progName, const std::string& moduleName,
                                const std::string& version) {
    auto it = m_map.find(progName + moduleName);
    if (it == m_map.end() || !it->second) return 0;
    it->second->m_strVersion = version;
    it->second->Convert(path);
    return 1;
}

bool CPositionConverter::HasConverter(const std::string& moduleKey) const { return m_moduleKeys.count(moduleKey) > 0; }

bool CPositionConverter::Convert(const std::string& path, const std::string& version) {
    std::string prog, module;
    ReadVkxHead(path, prog, module);
    return Convert(path, prog, module, version) == 1;
}

namespace {
// Built on first use, destroyed by the module's teardown (never by a static
// destructor).
CPositionConverter* g_converter = nullptr;
}  // namespace

CPositionConverter& GetPositionConverter() {
    if (!g_converter) g_converter = new CPositionConverter();
    return *g_converter;
}

void ReleasePositionConverter() {
    delete g_converter;
    g_converter = nullptr;
}

void InstallPositionConverter(CProgDB& db) { db.SetPositionConverter(&GetPositionConverter()); }
