// Inner parts of the combination generator: norm tables, session state and
// the generation run.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace combor_impl {

enum NormId { kNone = -1, kDin1055 = 0, kDin18800 = 1, kSia260 = 2, kEc = 3, kEcNad = 4, kEcNaf = 5 };

// How a category's psi2 is found.
enum class Psi2Rule { Fixed, CranePsi2, SiaSnowByHeight };

struct Category {
    std::string name;
    double psi0, psi1, psi2;
    double gammaQ;  // unfavourable partial factor of the variable action
    Psi2Rule rule = Psi2Rule::Fixed;
};

enum GroupType { kPermanent = 0, kVariableAdditive = 1, kVariableAlternative = 2, kAccidental = 3, kPrestress = 4 };

struct Group {
    std::string name;
    int type;
    std::vector<Category> categories;
};

// Partial factors of one norm (without the variables' influence).
struct GammaSet {
    double gSup, gInf;         // fundamental, permanent
    double stb[3], dst[3];     // equilibrium, permanent, situations 1..3
    double qDst[3];            // equilibrium, variable
    double g[3], q[3];         // structure and ground, situations 1..3
};

struct Norm {
    NormId id = kNone;
    std::string name;
    std::vector<Group> groups;
    GammaSet gamma{};
};

// The norm of a name; id kNone for an unknown name.
Norm MakeNorm(const std::string& name);
// The title of a norm name in reports (EN 1990 with the national annex the
// name stands for); empty for an unknown name.
std::string NormTitle(const std::string& name);

struct Variables {
    double h = 1.0;            // height above sea level (m)
    double psi2Crane = 0.77;   // psi2 of crane loads
    double gSupFactor = 1.0;   // factor on gamma_G,sup
};

struct ActionDef {
    int group = 0;
    int category = 0;
    bool favourable = true;
};

struct Combination {
    std::string type;
    std::string rule;
    std::vector<double> factors;  // index = load case - 1
};

struct Session {
    Norm norm;
    int selectedGroup = 0;
    Variables vars;
    bool noGammaPsi = false;
    std::map<int, int> loadCases;      // load case -> action
    std::map<int, ActionDef> actions;  // action -> definition
    struct SpanShare {
        int loadCase;  // the whole load case
        int span;      // from 1
    };
    std::map<int, SpanShare> spanShares;  // share load case -> its load case and span
    std::set<int> spanWise;               // actions arranged span by span
    bool checks[32] = {};
    std::vector<Combination> combinations;
    int factorCount = 0;
    std::string lastError;
    // Result superposition: block size and the results per load case.
    int supColumns = 0, supNodes = 0;
    std::map<int, std::vector<double>> results;
};

// Effective combination factors of a category (variables and the
// no-gamma/psi switch applied).
void EffectivePsi(const Session& s, const Category& c, double psi[3]);
double EffectiveGammaQ(const Session& s, const Category& c);
// gamma[0] favourable, gamma[1] unfavourable; false out of range.
bool EffectiveGamma(const Session& s, int a, int b, double gamma[2]);

// The generation run; false with s.lastError set when refused.
bool Generate(Session& s);

// Rule text of a factor array; factors of 0 are left out.
std::string RuleText(const std::vector<double>& factors);
// Factors read from a rule text (the load cases in brackets after a factor).
std::vector<double> ParseRule(const std::string& rule);
// A factor as the rule texts write it: at least two, at most four decimals.
std::string FormatFactor(double f);

// Writes the protocol file; false when it could not be written.
bool WriteProtocol(const Session& s, bool gammaPsi, bool rules, const std::string& fileName);

}  // namespace combor_impl
