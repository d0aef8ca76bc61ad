// Input protocol of the crane-runway report: the table pieces that need data
// beyond the position (the prepared actions of a check, the x of each
// crane's first axle, the load groups that apply to a crane) take it as
// arguments, so that the report export hands in what the crane-run
// preparation computed. Texts are translated with the crane report's area.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CCrane;
class CSection;

// One action of a check as the load preparation leaves it.
struct CCraneReportAction {
    std::string name;  // empty: the action is not written
    double gamma = 0.0;
    double psi0 = 0.0, psi1 = 0.0, psi2 = 0.0;
};

// The prepared actions of one enabled check: permanent, accidental, then
// one action per crane (as many entries in ey and ez as there are cranes).
struct CCraneReportCheck {
    std::string checkName;
    std::vector<CCraneReportAction> actions;
    std::vector<double> ey, ez;  // per crane, cm
};

// "Lastüberlagerung und Exzentrizitäten": one block of rows per check. The
// eccentricities of action a stand at index max(0, a - 2); an index not
// below the number of cranes (the alternative actions exist with one or two
// cranes too) gives "---".
void WriteCraneLoadSuperpositionTable(const std::vector<CCraneReportCheck>& checks);

// "Kranstellungen bez. Achse 1": positions holds one x per crane and
// position (position i, crane k at i * n + k for n cranes); axle1Offset[k]
// is subtracted from crane k's x (half the crane's axle span). With n
// cranes, 5 - n positions stand side by side (at least one); no crane gives
// the heading and the header rows only.
void WriteCranePositionTable(int nCranes, const std::vector<double>& positions,
                             const std::vector<double>& axle1Offset);

// The load-group table (first crane only) and the axle and wheel-load tables
// of crane craneNo (1-based), for the given relevant groups.
void WriteCraneLoadGroupTables(const CCrane& crane, int craneNo, const std::vector<int>& relevantGroups);

// One profile of the field sections: its name, its display text (the
// profile key) and the section and end it comes from.
struct ProfileEntry {
    std::string name;
    std::string display;
    size_t section;
    int end;
};

// The profiles of the field sections in order of appearance, each name
// once; a haunched section adds its end profile. A name met again keeps the
// display text of its first section.
std::vector<ProfileEntry> CollectProfiles(const std::vector<CSection>& sections);

// ---- the result tables and the export ----------------------------------------

// The x positions of a table by x: for every curve (values at the positions
// x) and every field between consecutive bounds, the field's ends where the
// curve is not 0 there and the x of its smallest and largest value when not
// 0 (all within 0.0001); sorted, a position within 0.0001 of the next dropped.
std::vector<double> ChooseCraneTablePositions(const std::vector<double>& bounds, const std::vector<double>& x,
                                              const std::vector<std::vector<double>>& curves);
// The divisor n of a deformation limit l/n: the limit plus 0.5, truncated.
long CraneLimitDivisor(double limit);
// The detail category in N/mm² of notch-case index 0..13; 0 for any other.
int FatigueDetailCategory(int index);
// Whether a result-set path belongs to 1-based crane position n: the part
// after "Kranstellung" is n followed by anything but a digit.
bool IsPathOfCranePosition(const std::string& path, int n);
// The report's header block: NUL-separated fields ending in two NULs; the
// "nologo" form in place of the title for French.
std::string CraneReportHeader(const std::string& name, const std::string& title, const std::string& version,
                              const std::string& freeText, bool french);
// The appendix file of 1-based crane position n beside report file rtf:
// "P1.rtf" -> "P1.KS003.rtf".
std::string CraneAppendixFileName(const std::string& rtf, int n);
// The design codes of the crane runway's checks with the national annex of
// the position's country (0 Germany, otherwise France).
std::string CraneDesignCodes(int countryCode);

// The crane-runway report: flag 0 only reads the position; otherwise the
// report "<position>.rtf" and one appendix file per chosen crane position
// are written beside the document.
extern "C" __attribute__((visibility("default"))) void DEZADododaROV(uint32_t document, int32_t flag);
