#include "formula/VariableTable.h"

#include <atomic>
#include <cctype>
#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <unordered_set>

#include "formula/ExpressionParser.h"
#include "platform/winsys/winsys.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kE = 2.718281828459045;

// Reorders v by the permutation order (new position i takes old order[i]).
template <class T>
void Permute(std::vector<T>& v, const std::vector<size_t>& order)
{
    std::vector<T> out;
    out.reserve(v.size());
    for (size_t i : order) out.push_back(std::move(v[i]));
    for (size_t i = order.size(); i < v.size(); ++i) out.push_back(std::move(v[i]));
    v.swap(out);
}

// The live watches of every thread. Thread-local state is avoided on purpose:
// this library is also loaded at run time, where a thread-local variable is
// dynamic TLS, which leak checkers scan badly in threads still running at
// exit. Only the watches of the thread that reads count its reads.
std::mutex g_watchMutex;
std::vector<CVariableReadWatch*> g_watches;
std::atomic<int> g_watchCount{0};

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

// The state of a watch, touched only under g_watchMutex.
struct CVariableReadWatch::State {
    std::thread::id owner = std::this_thread::get_id();
    int paused = 0;
    int evaluating = 0;
    int listing = 0;
};

CVariableReadWatch::CVariableReadWatch(std::vector<std::string> names) : m_state(std::make_unique<State>())
{
    for (std::string& n : names) m_names.push_back(Lower(std::move(n)));
    std::lock_guard<std::mutex> lock(g_watchMutex);
    g_watches.push_back(this);
    ++g_watchCount;
}

CVariableReadWatch::~CVariableReadWatch()
{
    std::lock_guard<std::mutex> lock(g_watchMutex);
    g_watches.erase(std::remove(g_watches.begin(), g_watches.end(), this), g_watches.end());
    --g_watchCount;
}

// Applies f to every live watch of the calling thread.
template <class F>
void CVariableReadWatch::ForOwn(F f)
{
    if (g_watchCount.load(std::memory_order_acquire) == 0) return;
    const std::thread::id me = std::this_thread::get_id();
    std::lock_guard<std::mutex> lock(g_watchMutex);
    for (CVariableReadWatch* w : g_watches)
        if (w->m_state->owner == me) f(*w);
}

CVariableReadWatch::Pause::Pause()
{
    ForOwn([this](CVariableReadWatch& w) {
        ++w.m_state->paused;
        m_paused.push_back(&w);
    });
}

CVariableReadWatch::Pause::~Pause()
{
    if (m_paused.empty()) return;
    std::lock_guard<std::mutex> lock(g_watchMutex);
    // Only those still alive.
    for (CVariableReadWatch* w : m_paused)
        if (std::find(g_watches.begin(), g_watches.end(), w) != g_watches.end()) --w->m_state->paused;
}

void CVariableReadWatch::NoteEvaluation(const std::string& text)
{
    if (g_watchCount.load(std::memory_order_acquire) == 0) return;
    const std::string lower = Lower(text);
    ForOwn([&](CVariableReadWatch& w) {
        if (w.m_state->paused) return;
        for (const std::string& n : w.m_names)
            if (lower.find(n) != std::string::npos) {
                ++w.m_reads;
                return;
            }
    });
}

void CVariableReadWatch::NoteListing(int step)
{
    ForOwn([step](CVariableReadWatch& w) {
        State& s = *w.m_state;
        if (step < 0) {
            --s.listing;
            return;
        }
        if (!s.paused && !s.evaluating && !s.listing) ++w.m_reads;
        ++s.listing;
    });
}

void CVariableReadWatch::NoteEvaluating(int step)
{
    ForOwn([step](CVariableReadWatch& w) { w.m_state->evaluating += step; });
}

namespace {

// A listing in progress: the parent chain's own listings are part of it.
struct Listing {
    Listing() { CVariableReadWatch::NoteListing(1); }
    ~Listing() { CVariableReadWatch::NoteListing(-1); }
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
};

// An evaluation in progress: its listing of the variables is judged by the
// formula's text.
struct Evaluating {
    Evaluating() { CVariableReadWatch::NoteEvaluating(1); }
    ~Evaluating() { CVariableReadWatch::NoteEvaluating(-1); }
    Evaluating(const Evaluating&) = delete;
    Evaluating& operator=(const Evaluating&) = delete;
};

}  // namespace

std::string VariableShortName(const std::string& path)
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

CVariableTable& GetGlobalVariableTable()
{
    static CVariableTable table;
    return table;
}

CVariableTable::CVariableTable() = default;

CVariableTable::~CVariableTable()
{
    RemoveAll();
}

std::uint64_t CVariableTable::NextVersion()
{
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

bool CVariableTable::SetParent(CVariableTable* parent)
{
    for (const CVariableTable* t = parent; t; t = t->m_pParent)
        if (t == this) return false;
    m_pParent = parent;
    m_version = NextVersion();
    return true;
}

void CVariableTable::RemoveAll()
{
    m_entries.clear();
    m_version = NextVersion();
}

void CVariableTable::Define(const std::string& path, const std::string& description,
                            const std::string& unit, double value)
{
    m_version = NextVersion();
    std::string name = VariableShortName(path);
    auto it = m_entries.find(name);
    if (it != m_entries.end() && std::fabs(it->second.m_dValue - value) > 1e-8) {
        m_messages.push_back(
            {kFormulaOverwritten, winsys::FormatC("%s wird überschrieben mit %.2lf", name.c_str(), value)});
    }
    CVariableEntry& e = m_entries[name];
    e.m_strName = name;
    e.m_strPath = path;
    e.m_strDescription = description;
    e.m_strUnit = unit;
    e.m_dValue = value;
}

int CVariableTable::CollectVariables(std::vector<std::string>& paths, std::vector<std::string>& descriptions,
                                     std::vector<std::string>& units, std::vector<double>& values) const
{
    const Listing listing;
    int count = 0;
    if (m_pParent) count += m_pParent->CollectVariablesSorted(paths, descriptions, units, values);
    for (const auto& [name, e] : m_entries) {
        paths.push_back(e.m_strPath);
        descriptions.push_back(e.m_strDescription);
        units.push_back(e.m_strUnit);
        values.push_back(e.m_dValue);
        ++count;
    }
    return count;
}

int CVariableTable::CollectVariablesSorted(std::vector<std::string>& paths,
                                           std::vector<std::string>& descriptions,
                                           std::vector<std::string>& units,
                                           std::vector<double>& values) const
{
    int count = CollectVariables(paths, descriptions, units, values);

    // The four fields are sorted together, field by field; nothing is joined
    // into one text, so any character may stand in a description or unit.
    // Equal texts are ordered by the value's "%16.16le" text; that text is
    // made only for such ties, which are rare.
    const size_t n = std::min({paths.size(), descriptions.size(), units.size(), values.size()});
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (int c = paths[a].compare(paths[b])) return c < 0;
        if (int c = descriptions[a].compare(descriptions[b])) return c < 0;
        if (int c = units[a].compare(units[b])) return c < 0;
        if (values[a] == values[b] && std::signbit(values[a]) == std::signbit(values[b])) return false;
        return winsys::FormatDoubleC("%16.16le", values[a]) < winsys::FormatDoubleC("%16.16le", values[b]);
    });
    Permute(paths, order);
    Permute(descriptions, order);
    Permute(units, order);
    Permute(values, order);
    return count;
}

void CVariableTable::ListVariables(std::vector<std::string>& lines, std::vector<std::string>& names) const
{
    std::vector<std::string> paths, descriptions, units;
    std::vector<double> values;
    CollectVariablesSorted(paths, descriptions, units, values);

    std::unordered_set<std::string> known(names.begin(), names.end());
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        size_t slash = path.rfind('\\');
        std::string name, text;
        if (slash != std::string::npos) {
            name = path.substr(slash + 1);
            text = path.substr(0, slash) + "\\" + descriptions[i];
        } else {
            name = path;
            text = descriptions[i];
        }
        if (!known.insert(name).second) continue;
        names.push_back(name);
        lines.push_back(text + "\t(" + name + "=" + winsys::FormatDoubleC("%lg", values[i]) + " " +
                        units[i] + ")");
    }
}

const std::map<std::string, double>& CVariableTable::EvaluationVariables()
{
    std::vector<std::pair<const CVariableTable*, std::uint64_t>> chain;
    for (const CVariableTable* t = this; t; t = t->m_pParent) chain.emplace_back(t, t->m_version);
    if (chain == m_gathered.chain) return m_gathered.variables;

    std::vector<std::string> paths, descriptions, units;
    std::vector<double> values;
    {
        const Evaluating evaluating;
        CollectVariablesSorted(paths, descriptions, units, values);
    }
    std::map<std::string, double> variables;
    variables["pi"] = kPi;
    variables["e"] = kE;
    for (size_t i = 0; i < paths.size(); ++i) variables[VariableShortName(paths[i])] = values[i];
    m_gathered.chain = std::move(chain);
    m_gathered.variables = std::move(variables);
    return m_gathered.variables;
}

int CVariableTable::Evaluate(const std::string& text, double& value)
{
    CVariableReadWatch::NoteEvaluation(text);
    std::string normalised = text;
    NormaliseFormulaText(normalised);
    std::map<std::string, double> variables = EvaluationVariables();

    m_messages.clear();
    ExpressionParser parser(std::move(normalised), std::move(variables));
    auto takeMessages = [&] {
        const auto& texts = parser.MessageTexts();
        const auto& codes = parser.MessageCodes();
        for (size_t i = 0; i < texts.size(); ++i) m_messages.push_back({codes[i], texts[i]});
    };
    try {
        double result = parser.Evaluate();
        takeMessages();
        value = result;
        return 1;
    } catch (const std::exception& e) {
        takeMessages();
        // A stop without a message of its own (a function's domain error)
        // leaves its text with code 4, also after notes on undefined names.
        bool stopRecorded = std::any_of(m_messages.begin(), m_messages.end(), [](const CFormulaMessage& m) {
            return m.m_nCode != kFormulaUndefined;
        });
        if (!stopRecorded) m_messages.push_back({kFormulaBadNumber, e.what()});
        return 0;
    }
}
