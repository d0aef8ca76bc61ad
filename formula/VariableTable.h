// Named variables of formulas: a table per owner, chained to parent tables,
// and the entry point of formula evaluation.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One message of a definition or evaluation: a code (see FormulaMessageCode
// in ExpressionParser.h; 1 is the overwrite warning of Define) and its text.
struct CFormulaMessage {
    int m_nCode = 0;
    std::string m_strText;
};

// One variable; the table owns it.
struct CVariableEntry {
    std::string m_strName;         // short name: the path's part after its last backslash
    std::string m_strPath;         // full path as given to Define ("Folder\Sub\name")
    std::string m_strDescription;
    std::string m_strUnit;
    double m_dValue = 0;
};

class CVariableTable {
public:
    CVariableTable();
    virtual ~CVariableTable();
    CVariableTable(const CVariableTable&) = default;
    CVariableTable& operator=(const CVariableTable&) = default;

    // The parent table (not owned); null for none. A parent whose chain
    // leads back to this table is refused (false).
    bool SetParent(CVariableTable* parent);
    CVariableTable* GetParent() const { return m_pParent; }

    // Deletes every variable; messages and parent stay.
    void RemoveAll();

    // Creates or overwrites the variable with the path's short name. When it
    // existed with a value differing by more than 1e-8, the warning code 1
    // "<name> wird überschrieben mit <value>" is added to the messages.
    void Define(const std::string& path, const std::string& description, const std::string& unit,
                double value);

    // Appends the variables of the parent chain (sorted) and then those of
    // this table to the four parallel arrays; returns the number appended.
    int CollectVariables(std::vector<std::string>& paths, std::vector<std::string>& descriptions,
                         std::vector<std::string>& units, std::vector<double>& values) const;
    // As CollectVariables, then the four arrays sorted together by path,
    // description, unit and value (ascending byte order of the texts; the
    // value by its "%16.16le" text). Returns the number appended.
    int CollectVariablesSorted(std::vector<std::string>& paths, std::vector<std::string>& descriptions,
                               std::vector<std::string>& units, std::vector<double>& values) const;

    // One display line "<text>\t(<name>=<value> <unit>)" per short name that
    // names does not hold yet (the first in sorted order wins); the short
    // name is added to names.
    void ListVariables(std::vector<std::string>& lines, std::vector<std::string>& names) const;

    // Evaluates a formula text with the variables of the whole chain and the
    // constants pi and e. Returns nonzero and writes value on success; on
    // failure value is left alone. Either way the messages of the
    // evaluation replace the message list.
    int Evaluate(const std::string& text, double& value);

    const std::vector<CFormulaMessage>& GetMessages() const { return m_messages; }

private:
    static std::uint64_t NextVersion();
    // The variables an evaluation sees (the constants, then the chain's
    // variables in sorted order, the last of a short name winning).
    const std::map<std::string, double>& EvaluationVariables();

    CVariableTable* m_pParent = nullptr;
    std::map<std::string, CVariableEntry> m_entries;  // by short name
    std::vector<CFormulaMessage> m_messages;
    // Changes with every change of the variables or of the parent; no two
    // states of any tables of the process share one.
    std::uint64_t m_version = NextVersion();
    // The evaluation's variables, kept while this table and its parent
    // chain stand as they were when they were gathered (each table with
    // its version).
    struct GatheredVariables {
        std::vector<std::pair<const CVariableTable*, std::uint64_t>> chain;
        std::map<std::string, double> variables;
    };
    GatheredVariables m_gathered;
};

// Counts, on the calling thread while it lives, the reads of variable values
// that may have taken one of the watched variables: every evaluation of a
// formula whose text holds a watched name (without regard to case, also as
// part of a longer name) and every listing of the variables. A writer that
// needs to know whether anything it wrote depends on those variables watches
// itself writing; what a Pause covers is not counted.
class CVariableReadWatch {
public:
    explicit CVariableReadWatch(std::vector<std::string> names);
    ~CVariableReadWatch();
    CVariableReadWatch(const CVariableReadWatch&) = delete;
    CVariableReadWatch& operator=(const CVariableReadWatch&) = delete;

    long Reads() const { return m_reads; }

    // Nothing is counted by the watches of this thread while one lives.
    class Pause {
    public:
        Pause();
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        std::vector<CVariableReadWatch*> m_paused;
    };

    // Called by the variable tables: an evaluation of text; a listing of the
    // variables begins (1) or ends (-1); an evaluation's own listing begins
    // (1) or ends (-1).
    static void NoteEvaluation(const std::string& text);
    static void NoteListing(int step);
    static void NoteEvaluating(int step);

private:
    struct State;
    template <class F>
    static void ForOwn(F f);

    std::vector<std::string> m_names;  // lower case
    long m_reads = 0;
    std::unique_ptr<State> m_state;
};

// The module's global variable table; every formula value starts out with it.
CVariableTable& GetGlobalVariableTable();

// The part of a variable path after its last backslash (the whole path
// without one).
std::string VariableShortName(const std::string& path);
