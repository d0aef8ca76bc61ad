// Reader of member-design and crane-runway position documents into the
// model record, with the small routines that the document readers share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kernel/ModelRecord.h"
#include "platform/zevud/zevud.h"

namespace tovik {

// Fills run.cdltr and the reader values from the document. Returns 0, or the
// fault code of a document that cannot be calculated (missing or doubled
// "input", a missing required part, a damaged element, a count, number or
// text outside the model's limits); the run has then been stopped with an
// error line that names the fault.
int32_t ReadMemberDesignDom(RunState& run, ZVDOC doc, int32_t mode);

// Turns (a, b) by angle (radians), single precision.
void RotateVector(float& a, float& b, float angle);

// Default number of elements of a field of the given length (m).
int32_t SubdivisionCount(double length);

// Advances a load-list count after the entry at the old count was written.
// When the new count reaches the limit: asks "Überlauf #%s > %ld\nWeitere
// Meldungen ignorieren?" while the overflow warning is on (Yes turns it off
// for the process), steps the count back and answers true.
bool CountListEntry(int32_t& count, int32_t limit, const std::string& listName);
// The overflow warning (on when the library is loaded); for tests.
void SetOverflowWarning(bool on);
bool OverflowWarning();

// Norm number and norm name ("DIN", "EC", "SIA") from the document's "info"
// element below root; left as they are when there is no "info".
void ReadNormInfo(ZVELEM root, ReaderValues& v);

// The defaults both document readers set once the model is read: print
// flags, node positions, steel table and one action group with every load
// case in it.
void SetClosingDefaults(ModelRecord& r);

// Load records of a document load acting in direction d (0 x, 1 y, 2 z; the
// caller has checked the range). The line load runs from start to end over
// length from offset behind node, at the eccentricity (ey, ez); the point
// moment's value goes to Mx, Mz, My for d = 0, 1, 2.
LineLoad DirectedLineLoad(int32_t lc, int32_t node, float offset, float length, float ey, float ez, int32_t d,
                          float start, float end);
PointForce DirectedPointForce(int32_t lc, int32_t node, float offset, float ey, float ez, int32_t d, float value);
PointMoment DirectedPointMoment(int32_t lc, int32_t node, float offset, int32_t d, float value);

// One load combination of a document: category ("art"), rule and text.
struct CombinationText {
    std::string art, regel, desc;
};
// Refills the combination texts: the ultimate combinations ("KNSW") first,
// then the serviceability ones ("Gebr.").
void FillCombinationTexts(CombinationTables& t, const std::vector<CombinationText>& ultimate,
                          const std::vector<CombinationText>& service);

// The load-case numbers of an "LCGen" text ("1,3,5"); empty when the text
// holds no valid list (a part that is not a whole number).
std::vector<int32_t> ParseLoadCaseList(const std::string& text);

}  // namespace tovik
