// Tables of the member system shared by both reports: supports with their
// springs and hinges with their releases. Heading and report text slots are
// the caller's.
#pragma once

#include <string>
#include <vector>

class CModuleData;

// The supports table: "A", "B", ... for the supports with at least one
// restraint (x still advances over the others), x, the six springs Cx .. CMz
// ("fest", "-" or the stiffness in exponent form) and CMw ("fest" or "-").
// The units row is written only when some support has a stiffness.
struct SupportTableStyle {
    const char* area;                 // translation area of the report
    std::vector<std::string> titles;  // nine column titles
    const char* rotationUnit;         // unit of the rotational springs
    bool warpingUnitCell;             // an empty unit cell under CMw
    int labelFlags;                   // flags of the letter
    int textFlags;                    // flags of "fest" and "-"
};
void WriteSupportTable(const CModuleData& md, const SupportTableStyle& style);

// The hinge table: x of the hinge's field, its text, and "Frei" or "---"
// for the seven releases.
void WriteHingeTable(const CModuleData& md, const char* area, int textFlags);
