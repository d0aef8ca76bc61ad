// The rules of the crane-runway input pages that need no window: the field
// tables of the calculation-control editor, which rows of the crane-system
// and rail grids show, the position player, the crane count and axle copies
// of the loads page, which load groups count, the notch-case grid's enabling
// and plate thickness, the result tree's item data and the report switches
// with their check boxes. The pages in dialogs/ apply them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "formula/FormulaValue.h"
#include "module/Crane.h"
#include "module/NotchCase.h"
#include "module/Settings.h"

class CModuleData;
struct SektTqe;

namespace cranepages {

// ---- calculation-control editor -----------------------------------------------------------

// The three editors: ultimate limit state, serviceability, fatigue.
enum { MODE_ULS = 1, MODE_SLS = 8, MODE_FATIGUE = 16 };
enum FieldKind { FIELD_HEADER, FIELD_CHECK, FIELD_INT, FIELD_COMBO, FIELD_TEXT, FIELD_FORMULA };
// The design code EN 1993 and the annex "Frankreich".
inline constexpr int kCodeEN1993 = 31;
inline constexpr int kAnnexFrance = 1;

struct SettingsField {
    int kind = FIELD_HEADER;
    const char* text = "";
    const char* format = "";  // formula fields only
    int* intValue = nullptr;
    std::string* textValue = nullptr;
    CFormulaValue* formula = nullptr;
    bool shown = true;
};

// The display modes of the results per crane position, untranslated.
const std::vector<std::string>& DisplayModes();
// The fields of an editor in row order, bound to s. In the ultimate-limit
// state editor "Auflagerreaktionen abmindern(phi-0.1)" is hidden for code 31
// with the annex "Frankreich". An unknown mode gives no fields.
std::vector<SettingsField> SettingsFields(int mode, CCraneSettings& s, int code, int annex);
// OK of every editor: check 0's display mode, position list and load-group
// switch go to checks 1 and 2.
void CopyCheck0Display(CCraneSettings& s);

// ---- crane-system grid ----------------------------------------------------------------------

enum { SYS_CRANE_TYPE, SYS_TWO_GIRDERS, SYS_SPACING, SYS_ECCENTRICITY, SYS_BUFFER_LEFT, SYS_BUFFER_RIGHT, SYS_RAIL,
       kSysRows };
struct SysRows {
    bool setTwoGirders = false;  // "Laufkran" sets the two-girder check
    std::array<bool, kSysRows> shown{};
};
SysRows CraneSysRows(int craneType, int twoGirders, int autoPoints);

// ---- rail grid -------------------------------------------------------------------------------

enum { RAIL_TYPE, RAIL_NORM, RAIL_NAME, RAIL_DATABASE, RAIL_WIDTH, RAIL_HEIGHT, RAIL_CONSIDER, RAIL_RIGID,
       RAIL_FASTENING, RAIL_BOLT, RAIL_PAD, RAIL_WELD_LENGTH, RAIL_WELD_GAP, kRailRows };
enum { FASTEN_CONTINUOUS = 0, FASTEN_INTERRUPTED = 1, FASTEN_BOLTED = 2 };
// Rows shown for a rail type index (0 flat bar) and a fastening.
std::array<bool, kRailRows> RailRows(int typeIndex, int fastening);
// The norm index after the norm list of a type was filled: the stored index
// when it lies in the list and the user did not change the rail type, else 0.
int RailNormIndex(int stored, int count, bool typeChanged);
// A name index outside the list becomes 0.
int RailNameIndex(int stored, int count);
// The description of a flat bar from a "FL %.1lfx%.1lf" format (width first).
std::string FlatBarDescription(const std::string& format, double width, double height);

// ---- loads page ------------------------------------------------------------------------------

// The position player: n positions per crane, the shown position and the
// animation timer.
class CCranePlayer {
public:
    void SetCount(int n);
    int Count() const { return m_n; }
    int Position() const { return m_pos; }
    bool Running() const { return m_running; }
    // Slider range 0 .. n-1 (0 .. 0 for n <= 1).
    int SliderMax() const { return m_n <= 1 ? 0 : m_n - 1; }
    // Any position asked for, brought into 0 .. n-1.
    int Clamp(int pos) const;
    void SetPosition(int pos) { m_pos = Clamp(pos); }
    // "|>": from position 0 without drawing it; false when nothing to play
    // (no positions) or already playing.
    bool Play();
    // One timer tick: true when the next position is to be shown (the
    // position has moved on), false when the player stopped.
    bool Tick();
    void Stop() { m_running = false; }
    // The stop button's caption "[n]" of the shown position.
    std::string Caption() const;

private:
    int m_n = 0;
    int m_pos = 0;
    bool m_running = false;
};

// "Anzahl Kräne": n cranes (1..3); a crane added is a copy of the one before
// it, the ones beyond n are dropped.
void SetCraneCount(std::vector<CCrane>& cranes, int n);
// An entered axle count: fewer than two are two.
int AxleCount(int entered);
// The context command "Lastwerte setzen wie Achse": to × 65536 + from.
inline int AxleCopyCommand(int to, int from) { return to * 65536 + from; }
// Kinds 2-16 of axle `to` become those of axle `from`; the spacing stays.
void CopyAxleLoads(CCrane& crane, int command);
// Whether load group g of the crane shows its values at an axle (else
// "---"): one of the group's nine values there is 0.0001 or more in
// magnitude, the group is relevant to a check, and groups 12, 13, 16, 17
// need a two-girder runway.
bool IsLoadGroupShown(const CCrane& crane, const CModuleData& data, int axle, int group);
// Rows of the wheel-load editor (1-based load kinds) shown by the runway.
bool IsLoadKindShown(int kind, const CCraneSettings& s);

// ---- notch-case grid ------------------------------------------------------------------------

enum { GEOM_CONTINUOUS = 0, GEOM_POINT = 1, GEOM_WELD = 2 };
// The detail categories of the list (index → category).
const std::vector<int>& DetailCategories();
struct NotchCells {
    bool nameReadOnly = false;
    bool geometryReadOnly = false;
    bool xEnabled = false;
    bool plateReadOnly = false;  // plate number and place
    bool weldEnabled = false;    // weld thickness and weld category
};
NotchCells NotchCellStates(const CNotchCase& n, int autoPoints);
// The plate thickness in mm at a relative place of a plate whose thickness
// runs from ta to te (cm).
double PlateThickness(double ta, double te, double place);
// The thickness of the notch case's plate into its record; a plate number
// outside the plates keeps the stored value. True when it was set.
bool UpdatePlateThickness(CNotchCase& n, const std::vector<SektTqe>& plates);
// The number of plates: the records less the trailing ones flagged as no plate.
int PlateCount(const std::vector<SektTqe>& plates);
// A record appended from the empty last row: a copy of the last (a fresh
// one when there is none) with generated and reserved 0.
CNotchCase AppendedNotchCase(const std::vector<CNotchCase>& cases);

// ---- results and output ---------------------------------------------------------------------

// Item data of a result record: crane position × 65536 + index + 1.
inline long ResultItemData(int position, int index) { return long(position) * 65536 + index + 1; }
// The selection of an item's data (0: none): the crane position and the
// result index (−1 when outside 0..count−1).
void DecodeResultItem(long data, int count, int& position, int& result);
// The crane position (from 0) of a result record: the number that follows
// "Kranstellung" in its path, less one; 0 for a record of no position.
int ResultCranePosition(const std::string& title);
// The path under which the results tab shows a record: the levels of its
// title with the crane position's two levels joined into one
// ("Kranstellung\3 (81 %)" becomes "Kranstellung 3 (81 %)"), a crane
// "Vadu 2" as "Kran 2", the cranes acting together "dDup" as "Krane
// zusammen", stresses with their Greek letters ("SigmaX" as "σx", "TauXZ(Rad)"
// as "τxz (Rad)") and a curve of differences "(delta)" as " (Differenz)". A
// record without title shows its name.
std::string ResultTreePath(const std::string& title, const std::string& name);
// The check summary of a calculation as an aligned table: the lines'
// tab-separated cells padded to the widest cell of their column (counted in
// characters), number columns right-aligned, two blanks between columns and
// the dashed separator lines as wide as the table; line ends CR LF. Text
// without tabs stays as it is.
std::string AlignSummaryColumns(const std::string& text);
// The check box of each of the 55 report switches.
const std::array<int, 55>& ReportSwitchControls();

}  // namespace cranepages
