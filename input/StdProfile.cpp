// Standard-profile catalogue.
#include "input/StdProfile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

#include "module/frame/CalcDLL.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace {

constexpr const char* kApp = "VKT Eingabe";
constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kArea = "stdProfile";

std::string Tr(const std::string& text) { return lingo::Translate(kApp, kSection, kArea, text); }

std::string RemoveAll(std::string s, char c) {
    s.erase(std::remove(s.begin(), s.end(), c), s.end());
    return s;
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && winsys::EqualsNoCase(s.substr(s.size() - tail.size()), tail);
}

// Little-endian field readers for the byte arrays of a value file.
double D(const unsigned char* p) {
    double v;
    std::memcpy(&v, p, 8);
    return v;
}
int32_t I(const unsigned char* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// The members of one folder of a database.
std::vector<zidezaz::FolderMember> ListMembers(int db, const std::string& folder) {
    std::vector<zidezaz::FolderMember> out;
    std::vector<char> buf(4096);
    const int size = static_cast<int>(buf.size());
    for (int k = SEKT_DB_GetFirstFolderMember(db, folder.c_str(), buf.data(), size); k >= 0;
         k = SEKT_DB_GetNextFolderMember(db, buf.data(), size))
        out.push_back({k, std::string(buf.data())});
    return out;
}

}  // namespace

std::string GetUserProfileFolder() {
    std::string v = winsys::RegGetString(winsys::Hive::CurrentUser, "software\\VKT\\Ostrel", "userProfil").value_or("");
    v = winsys::ToSlashPath(v);
    const std::string tail = "/userProfil.skw";
    for (size_t pos = winsys::FoldCase(v).find(winsys::FoldCase(tail)); pos != std::string::npos;
         pos = winsys::FoldCase(v).find(winsys::FoldCase(tail)))
        v.erase(pos, tail.size());
    while (v.size() > 1 && v.back() == '/') v.pop_back();
    return v.empty() ? GetInstallRoot() : v;
}

CStdProfile::CStdProfile() : m_log(StartupLog().Path()) {
    WriteLogLine(m_log, "CStdProfile():34");
    m_standardFile = GetInstallRoot() + "/profil.skw";
    m_userFolder = GetUserProfileFolder();
    m_userFile = m_userFolder + "/userProfil.skw";
    WriteLogLine(m_log, "CStdProfile():41");
}

CStdProfile::CStdProfile(std::string standardFile, std::string userFolder)
    : m_log(StartupLog().Path()),
      m_standardFile(std::move(standardFile)),
      m_userFolder(std::move(userFolder)) {
    m_userFile = m_userFolder + "/userProfil.skw";
}

CStdProfile::~CStdProfile() {
    Unload();
    for (auto& [path, v] : m_valueDocs)
        if (v.doc) ZEVUD_CloseDoc(v.doc);
    m_valueDocs.clear();
}

// ---------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------

namespace {

// A change time stamped well before the state was seen: a change in the
// same tick of the file system's clock as the look would not show in it.
bool SettledBefore(const winsys::FileIdentity& id, std::int64_t seen) {
    return !id.exists || id.changed + 2 <= seen;
}

}  // namespace

CStdProfile::UserFileState CStdProfile::UserFileNow() const {
    UserFileState s;
    s.seen = static_cast<std::int64_t>(std::time(nullptr));
    // The look-up without regard to case sees names added, removed or
    // renamed in the folder.
    s.resolved = winsys::ResolveCaseInsensitive(m_userFile).string();
    s.file = winsys::IdentityOf(s.resolved);
    return s;
}

bool CStdProfile::UserFileMayHaveChanged() {
    const UserFileState was = m_userState;
    m_userState = UserFileNow();
    return was.resolved.empty() || !SettledBefore(was.file, was.seen) || m_userState.resolved != was.resolved ||
           !(m_userState.file == was.file);
}

void CStdProfile::EnsureLoaded() {
    if (m_loaded) {
        // Every look-up of a section asks this: the file is read and
        // fingerprinted only when its folder or the file itself changed.
        if (!UserFileMayHaveChanged()) return;
        CFingerprint now;
        now.FromFile(m_userFile);
        if (now == m_userPrint) return;
        Unload();
    }
    Read(true);
    m_loaded = true;
}

void CStdProfile::Unload() {
    CSectionDbCache& cache = GetSectionDbCache();
    m_series.clear();
    m_seriesNames.clear();
    if (m_stdDb != -1) cache.Close(m_stdDb);
    if (m_userDb != -1) cache.Close(m_userDb);
    m_stdDb = m_userDb = -1;
    for (const FurtherFile& f : m_further)
        if (f.db != -1) cache.Close(f.db);
    m_further.clear();
    m_loaded = false;
}

void CStdProfile::Read(bool loadFlag) {
    CSectionDbCache& cache = GetSectionDbCache();
    std::vector<std::pair<int*, bool>> order;  // database handle, open before this reading
    WriteLogLine(m_log, "CStdProfile():132 start reading profil.skw");
    order.emplace_back(&m_stdDb, m_stdDb != -1);
    if (m_stdDb == -1) m_stdDb = cache.Open(m_standardFile, 0);
    WriteLogLine(m_log, "CStdProfile():134 start reading userProfil.skw");
    m_userState = UserFileNow();
    m_userPrint.FromFile(m_userFile);
    order.emplace_back(&m_userDb, m_userDb != -1);
    if (m_userDb == -1) m_userDb = cache.Open(m_userFile, 0);
    WriteLogLine(m_log, "CStdProfile():136 finish reading skw");
    WriteLogLine(m_log, "CStdProfile():144");
    for (FurtherFile& f : m_further) {
        order.emplace_back(&f.db, f.db != -1);
        if (f.db == -1) f.db = cache.Open(f.path, 0);
    }
    WriteLogLine(m_log, "CStdProfile():150");
    size_t first = 0;
    while (first < order.size() && order[first].second) ++first;
    for (size_t i = first; i < order.size(); ++i)
        if (*order[i].first != -1) ReadDatabase(*order[i].first, loadFlag);
    WriteLogLine(m_log, "CStdProfile():215");
}

void CStdProfile::ReadDatabase(int db, bool loadFlag) {
    std::vector<std::string> folders{""};
    for (size_t i = 0; i < folders.size(); ++i) {
        const std::string folder = folders[i];
        std::vector<std::string> profiles;
        for (const auto& m : ListMembers(db, folder)) {
            if (m.kind == 0) {
                if (!folder.empty() || loadFlag) profiles.push_back(m.name);
            } else {
                folders.push_back(folder + "\\" + m.name);
            }
        }
        if (profiles.empty()) continue;
        std::vector<CStdProfileEntry> series;
        for (const auto& name : profiles) {
            CStdProfileEntry e;
            e.name = name;
            e.folder = folder;
            e.db = db;
            series.push_back(std::move(e));
        }
        std::string seriesName = folder.empty() ? DbFilePath(db) : folder.substr(1);
        if (folder.empty() && EndsWithNoCase(seriesName, ".skw")) seriesName.resize(seriesName.size() - 4);
        m_series.push_back(std::move(series));
        m_seriesNames.push_back(seriesName);
    }
}

std::string CStdProfile::DbFilePath(int db) const {
    const int n = SEKT_DB_GetFilePath(db, nullptr, 0);
    if (n <= 0) return {};
    std::string s(static_cast<size_t>(n) + 1, '\0');
    SEKT_DB_GetFilePath(db, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// ---------------------------------------------------------------------------
// Computing an entry
// ---------------------------------------------------------------------------

CStdProfileEntry* CStdProfile::Entry(int series, int profile) {
    if (series < 0 || static_cast<size_t>(series) >= m_series.size()) return nullptr;
    auto& s = m_series[static_cast<size_t>(series)];
    if (profile < 0 || static_cast<size_t>(profile) >= s.size()) return nullptr;
    return &s[static_cast<size_t>(profile)];
}

bool CStdProfile::FromValueFile(CStdProfileEntry& e) {
    const std::string dbPath = DbFilePath(e.db);
    if (dbPath.size() < 4) return false;
    auto it = m_valueDocs.find(dbPath);
    if (it == m_valueDocs.end()) {
        ValueDoc v;
        const std::string file = dbPath.substr(0, dbPath.size() - 3) + "v2.skb";
        v.doc = ZEVUD_OpenDocQuiet(file.c_str());
        v.root = ZEVUD_GetRootElement(v.doc);
        v.info = ZEVUD_FindFirstChild(v.root, "info");
        if (v.info) {
            v.infoValues.dblversion = ZEVUD_GetDouble(v.info, "dblversion");
            v.infoValues.modulename = zevud::GetString(v.info, "modulename");
            v.infoValues.moduletype = ZEVUD_GetInt(v.info, "moduletype");
            v.infoValues.moduleversion = ZEVUD_GetInt(v.info, "moduleversion");
            v.infoValues.modulerevision = ZEVUD_GetInt(v.info, "modulerevision");
        }
        it = m_valueDocs.emplace(dbPath, v).first;
    }
    const ValueDoc& v = it->second;
    if (!v.root) return false;
    WriteLogLine(m_log, "CStdProfile():1042");
    const ZVELEM folderElem =
        ZEVUD_FindFirstChild(v.root, zevud::MakeValidElementName(RemoveAll(e.folder, '\\')).c_str());
    if (!folderElem) return false;
    std::string last = e.name;
    if (auto p = last.rfind('\\'); p != std::string::npos) last = last.substr(p + 1);
    last = RemoveAll(last, '/');
    ZVELEM prof = 0;
    for (const std::string& elemName :
         {zevud::MakeValidElementName(last), RemoveAll(zevud::MakeValidElementName(last), '_')}) {
        for (ZVELEM c = ZEVUD_FindFirstChild(folderElem, elemName.c_str()); c && !prof;
             c = ZEVUD_FindNextChild(c, elemName.c_str()))
            if (winsys::EqualsNoCase(zevud::GetString(c, "profName"), e.name)) prof = c;
        if (prof) break;
    }
    if (!prof) return false;
    const auto gqs = zevud::GetBinData(prof, "Gqs");
    const auto sqs = zevud::GetBinData(prof, "Sqs");
    if (gqs.size() < 136 || sqs.size() < 336) return false;
    double* g = &e.gross.A;
    for (size_t i = 0; i < 17; ++i) g[i] = D(&gqs[i * 8]);
    SektSqs& s = e.dims;
    s.Ptyp = I(&sqs[0]);
    s.Ptyp2 = I(&sqs[4]);
    double* sd[] = {&s.hs, &s.ts, &s.bo, &s.to, &s.bu, &s.tu, &s.ro, &s.ru};
    for (size_t i = 0; i < 8; ++i) *sd[i] = D(&sqs[8 + i * 8]);
    s.nPoints = std::clamp(I(&sqs[72]), 0, SEKT_SQS_POINTS);
    for (size_t i = 0; i < SEKT_SQS_POINTS; ++i) {
        s.pt[i].y = D(&sqs[80 + i * 16]);
        s.pt[i].z = D(&sqs[88 + i * 16]);
    }
    const auto dp = zevud::GetBinData(prof, "drawingPoints");
    for (size_t off = 0; off + 24 <= dp.size(); off += 24) {
        e.cx.push_back(D(&dp[off]));
        e.cy.push_back(D(&dp[off + 8]));
        e.ckind.push_back(I(&dp[off + 16]));
    }
    const auto br = zevud::GetBinData(prof, "blechradien");
    for (size_t off = 0; off + 32 <= br.size(); off += 32)
        e.plates.push_back({D(&br[off]), D(&br[off + 8]), D(&br[off + 16]), D(&br[off + 24])});
    WriteLogLine(m_log, "CStdProfile():1238");
    return true;
}

void CStdProfile::Compute(CStdProfileEntry& e) {
    if (e.computed) return;
    e.computed = true;
    e.gross = SektGqs{};
    e.dims = SektSqs{};
    e.dims.Ptyp = -1;
    e.part = SektTqs{};
    e.cx.clear();
    e.cy.clear();
    e.ckind.clear();
    e.plates.clear();
    const int pro = SEKT_PRO_Create();
    if (pro <= 0) return;
    SEKT_PRO_Init(pro, 0);
    const std::string path = e.folder + "\\" + e.name;
    SEKT_DB_GetProject(e.db, path.c_str(), pro);
    if (!FromValueFile(e)) {
        e.gross = SektGqs{};
        e.dims = SektSqs{};
        e.cx.clear();
        e.cy.clear();
        e.ckind.clear();
        e.plates.clear();
        int n = 0;
        if (SEKT_PRO_GetDrawingPoints(pro, nullptr, &n) == 0 && n > 0) {
            std::vector<SektDrawPoint> pts(static_cast<size_t>(n));
            SEKT_PRO_GetDrawingPoints(pro, pts.data(), &n);
            for (int i = 0; i < n; ++i) {
                e.cx.push_back(pts[static_cast<size_t>(i)].x);
                e.cy.push_back(pts[static_cast<size_t>(i)].y);
                e.ckind.push_back(pts[static_cast<size_t>(i)].kind);
            }
        }
        SEKT_PRO_Calculate(pro);
        SEKT_PRO_GetResultSqs(pro, &e.dims);
        SEKT_PRO_GetResultGqs(pro, &e.gross);
        if (SEKT_PRO_GetnTqs(pro) == 1) {
            const int ne = SEKT_PRO_GetnTqe(pro, 0);
            for (int k = 0; k < ne; ++k) {
                SektTqe t{};
                SEKT_PRO_GetResultTqe(pro, 0, k, &t);
                e.plates.push_back({t.r[0], t.r[1], t.r[2], t.r[3]});
            }
            SEKT_PRO_GetResultTqs(pro, 0, &e.part);
        }
    }
    // Rolled I-sections take the torsion constant of the formula with fillets.
    const SektSqs& s = e.dims;
    CalcRolledISectionTorsion(s.Ptyp, s.Ptyp2, s.bo, s.to, s.bu, s.tu, s.ts, s.hs, s.ro, e.gross.Ito);
    // Every coordinate relative to the reference point.
    const double y0 = e.gross.y0, z0 = e.gross.z0;
    e.gross.y0 = e.gross.z0 = 0;
    e.gross.ym -= y0;
    e.gross.zm -= z0;
    for (int i = 0; i < std::clamp(e.dims.nPoints, 0, SEKT_SQS_POINTS); ++i) {
        e.dims.pt[i].y -= y0;
        e.dims.pt[i].z -= z0;
    }
    for (size_t i = 0; i < e.cx.size(); ++i) {
        e.cx[i] -= y0;
        e.cy[i] -= z0;
    }
    SEKT_PRO_Delete(pro);
}

const CValueFileInfo* CStdProfile::ValueFileInfo(const std::string& dbFilePath) const {
    auto it = m_valueDocs.find(dbFilePath);
    return it == m_valueDocs.end() || !it->second.info ? nullptr : &it->second.infoValues;
}

// ---------------------------------------------------------------------------
// Queries
// ---------------------------------------------------------------------------

void CStdProfile::FindProfile(const std::string& series, const std::string& profile, int& seriesIndex,
                              int& profileIndex) {
    EnsureLoaded();
    seriesIndex = profileIndex = -1;
    for (size_t i = 0; i < m_seriesNames.size(); ++i)
        if (winsys::EqualsNoCase(m_seriesNames[i], series)) {
            seriesIndex = static_cast<int>(i);
            break;
        }
    if (seriesIndex < 0) return;
    const auto& s = m_series[static_cast<size_t>(seriesIndex)];
    for (size_t k = 0; k < s.size(); ++k)
        if (winsys::EqualsNoCase(s[k].name, profile)) profileIndex = static_cast<int>(k);
}

bool CStdProfile::ProfileExists(const std::string& series, const std::string& profile) {
    int s, p;
    FindProfile(series, profile, s, p);
    return s >= 0 && p >= 0;
}

int CStdProfile::FindSeries(const std::string& series) {
    int s, p;
    FindProfile(series, "", s, p);
    return s;
}

int CStdProfile::GetSeriesCount() {
    EnsureLoaded();
    return static_cast<int>(m_seriesNames.size());
}

std::string CStdProfile::GetSeriesName(int series) {
    EnsureLoaded();
    if (series < 0 || static_cast<size_t>(series) >= m_seriesNames.size()) return {};
    return m_seriesNames[static_cast<size_t>(series)];
}

int CStdProfile::GetProfileNames(int series, std::vector<std::string>& names, int type) {
    EnsureLoaded();
    names.clear();
    if (series < 0 || static_cast<size_t>(series) >= m_series.size()) return 0;
    auto& s = m_series[static_cast<size_t>(series)];
    if (s.empty()) return 0;
    int lastType = 0;
    if (type != -1) {
        Compute(s.front());
        lastType = s.front().dims.Ptyp;
    }
    for (auto& e : s) {
        if (type == -1) {
            names.push_back(e.name);
            continue;
        }
        if (e.db != m_stdDb) {
            Compute(e);
            lastType = e.dims.Ptyp;
        }
        if (lastType == type) names.push_back(e.name);
    }
    return static_cast<int>(names.size());
}

int CStdProfile::GetProfileNamesOfSeries(const std::string& series, std::vector<std::string>& names, int type) {
    names.clear();
    const int s = FindSeries(series);
    return s < 0 ? 0 : GetProfileNames(s, names, type);
}

int CStdProfile::GetProfileType(int series, int profile, std::string* path) {
    EnsureLoaded();
    CStdProfileEntry* e = Entry(series, profile);
    if (!e) return -1;
    Compute(*e);
    if (path) *path = DbFilePath(e->db);
    return e->dims.Ptyp;
}

bool CStdProfile::GetValues(int series, int profile, SektGqs& gross, SektSqs& dims,
                            std::vector<PlateRadii>* plates) {
    EnsureLoaded();
    CStdProfileEntry* e = Entry(series, profile);
    if (!e) return false;
    Compute(*e);
    gross = e->gross;
    dims = e->dims;
    if (plates) *plates = e->plates;
    return true;
}

void CStdProfile::WriteReference(int series, int profile, ZVELEM element) {
    EnsureLoaded();
    CStdProfileEntry* e = Entry(series, profile);
    if (!e || !element) return;
    Compute(*e);
    // The file that holds the profile: the user file, a further file, or
    // the standard file.
    std::string dbPath = m_standardFile;
    if (e->db == m_userDb && m_userDb != -1) {
        dbPath = m_userFile;
    } else if (e->db != m_stdDb) {
        for (const FurtherFile& f : m_further)
            if (f.db == e->db) dbPath = f.path;
    }
    WriteProfileReference(element, dbPath, e->folder, e->name, e->gross, e->dims, e->plates);
}

void CStdProfile::GetContourPoints(int series, int profile, std::vector<double>& x, std::vector<double>& y,
                                   std::vector<int>& kinds) {
    EnsureLoaded();
    x.clear();
    y.clear();
    kinds.clear();
    CStdProfileEntry* e = Entry(series, profile);
    if (!e) return;
    Compute(*e);
    x = e->cx;
    y = e->cy;
    kinds = e->ckind;
}

void CStdProfile::GetContourPolygon(int series, int profile, std::vector<double>& x, std::vector<double>& y,
                                    int arcSteps) {
    EnsureLoaded();
    x.clear();
    y.clear();
    CStdProfileEntry* e = Entry(series, profile);
    if (!e) return;
    Compute(*e);
    std::vector<SektDrawPoint> pts;
    for (size_t i = 0; i < e->cx.size(); ++i) pts.push_back({e->cx[i], e->cy[i], e->ckind[i], 0});
    OutlineFromDrawingPoints(pts, arcSteps, x, y);
}

int CStdProfile::CopyProfileToDatabase(int series, int profile, const std::string& targetPath,
                                       const std::string& targetFolder, int modeFlag) {
    EnsureLoaded();
    CStdProfileEntry* e = Entry(series, profile);
    if (!e) return -1;
    const int pro = SEKT_PRO_Create();
    if (pro <= 0) return -1;
    SEKT_PRO_Init(pro, 0);
    int result = -1;
    if (SEKT_DB_GetProject(e->db, (e->folder + "\\" + e->name).c_str(), pro) >= 0) {
        const int target = SEKT_DB_Open(targetPath.c_str(), modeFlag ? 3 : 2);
        if (target >= 0) {
            const std::string path = targetFolder + "\\" + e->name;
            if (SEKT_DB_AddProject(target, path.c_str(), pro) == 0) result = SEKT_DB_Save(target, nullptr);
            SEKT_DB_Close(target);
        }
    }
    SEKT_PRO_Delete(pro);
    return result;
}

void CStdProfile::GetSectionValueTable(int series, int profile, std::vector<std::string>& names,
                                       std::vector<std::string>& symbols, std::vector<double>& values,
                                       std::vector<std::string>& units) {
    EnsureLoaded();
    if (!Entry(series, profile)) return;
    const ZVDOC doc = ZEVUD_CreateDoc("sectlib.vkx");
    if (!doc) return;
    const ZVELEM root = ZEVUD_GetRootElement(doc);
    const ZVELEM ref =
        ZEVUD_AddChildElement(ZEVUD_AddChildElement(ZEVUD_AddChildElement(root, "input"), "profile"), "sectlib");
    WriteReference(series, profile, ref);
    LoadSectlibProc(doc);
    const ZVELEM result = ZEVUD_FindFirstChild(root, "result");
    if (result) {
        struct Row {
            const char *name, *symbol, *key, *unit;
        };
        static const Row rows[] = {
            {"Querschnittsfläche", "A", "A", "cm\\super 2\\nosupersub "},
            {"Trägheitsmoment y", "I\\sub y\\nosupersub ", "Iy", "cm\\super 4\\nosupersub "},
            {"Trägheitsmoment z", "I\\sub z\\nosupersub ", "Iz", "cm\\super 4\\nosupersub "},
            {"Widerstandsmoment y", "W\\sub y\\nosupersub ", "Wy", "cm\\super 3\\nosupersub "},
            {"Widerstandsmoment z", "W\\sub z\\nosupersub ", "Wz", "cm\\super 3\\nosupersub "},
            {"Breite oben", "b\\sub o\\nosupersub ", "bo", "mm"},
            {"Breite unten", "b\\sub u\\nosupersub ", "bu", "mm"},
            {"Höhe", "h", "h", "mm"},
            {"Flanschdicke oben", "t\\sub o\\nosupersub ", "to", "mm"},
            {"Flanschdicke unten", "t\\sub u\\nosupersub ", "tu", "mm"},
            {"Stegdicke", "s", "s", "mm"},
            {"Torsionswiderstand", "I\\sub t\\nosupersub ", "It", "cm\\super 4\\nosupersub "},
            {"Plastisches Moment y", "M\\sub ply\\nosupersub ", "Mply", "kNm"},
            {"Plastisches Moment z", "M\\sub plz\\nosupersub ", "Mplz", "kNm"},
            {"Plastische Normalkraft", "N\\sub pl\\nosupersub ", "Npl", "kN"},
            {"Plastische Querkraft y", "Q\\sub ply\\nosupersub ", "Qply", "kN"},
            {"Plastische Querkraft z", "Q\\sub plz\\nosupersub ", "Qplz", "kN"},
        };
        for (const Row& r : rows) {
            names.push_back(Tr(r.name));
            symbols.push_back(r.symbol);
            values.push_back(ZEVUD_GetDouble(result, r.key));
            units.push_back(r.unit);
        }
    }
    ZEVUD_CloseDoc(doc);
}

void CStdProfile::EditInSectionEditor(int series, int profile, bool offerCopy, bool offerCopyOutsideUser,
                                      const std::string& file) {
    EnsureLoaded();
    CStdProfileEntry* e = Entry(series, profile);
    if (!e) return;
    if (offerCopy && (e->db == m_stdDb || (offerCopyOutsideUser && e->db != m_userDb))) {
        const std::string q = lingo::FormatTranslated(
            "Es wird jetzt die Benutzer-Profildatenbank mit\ndem Querschnittseditor VK-PROFA geöffnet.\n\nSoll eine "
            "Kopie des Profils '%s' aus\nder Reihe '%s' angelegt werden?",
            Tr("Es wird jetzt die Benutzer-Profildatenbank mit\ndem Querschnittseditor VK-PROFA geöffnet.\n\nSoll "
               "eine Kopie des Profils '%s' aus\nder Reihe '%s' angelegt werden?"),
            e->name, m_seriesNames[static_cast<size_t>(series)]);
        const int answer = winsys::MessageBox(q, "", winsys::Buttons::YesNoCancel, winsys::Icon::Question,
                                              winsys::IdCancel);
        if (answer == winsys::IdCancel) return;
        if (answer == winsys::IdYes) {
            CSectionDbCache& cache = GetSectionDbCache();
            if (m_userDb != -1)
                while (cache.Close(m_userDb) > 0) {
                }
            m_userDb = -1;
            CopyProfileToDatabase(series, profile, m_userFile, "\\Eigene Profile", 0);
        }
    }
    const std::string editor = GetInstallRoot() + "/prog/profed2.exe";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(editor, ec)) {
        winsys::MessageBox(Tr("Der Querschnittseditor 'profed2' ist nicht installiert."), "", winsys::Buttons::Ok,
                           winsys::Icon::Warning);
        return;
    }
    Unload();
    const std::string target = file.empty() ? m_userFolder + "/userProfil.skw" : file;
    RunProcessWait({editor, target}, 1);
    EnsureLoaded();
}

int CStdProfile::AddDatabaseFile(const std::string& path, int loadFlag) {
    EnsureLoaded();
    for (const FurtherFile& f : m_further)
        if (winsys::EqualsNoCase(f.path, path)) return f.db;
    FurtherFile f;
    f.path = path;
    f.db = GetSectionDbCache().Open(path, 0);
    m_further.push_back(f);
    if (f.db != -1) ReadDatabase(f.db, loadFlag != 0);
    return f.db;
}

int CStdProfile::RemoveDatabaseFile(const std::string& path) {
    EnsureLoaded();
    for (auto it = m_further.begin(); it != m_further.end(); ++it) {
        if (it->path != path) continue;
        const int db = it->db;
        m_further.erase(it);
        if (db != -1 && GetSectionDbCache().Close(db) == 0) {
            // Its series go at once: nothing may be read through a closed file.
            for (size_t i = m_series.size(); i-- > 0;)
                if (!m_series[i].empty() && m_series[i].front().db == db) {
                    m_series.erase(m_series.begin() + static_cast<long>(i));
                    m_seriesNames.erase(m_seriesNames.begin() + static_cast<long>(i));
                }
        }
        return 1;
    }
    return 0;
}

namespace {
std::unique_ptr<CStdProfile>& Catalogue() {
    static auto* c = new std::unique_ptr<CStdProfile>;  // torn down explicitly, never at exit
    return *c;
}
}  // namespace

CStdProfile& GetStdProfile() {
    if (!Catalogue()) Catalogue() = std::make_unique<CStdProfile>();
    return *Catalogue();
}

void DestroyStdProfile() { Catalogue().reset(); }
