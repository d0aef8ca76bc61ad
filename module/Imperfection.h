// The imperfection of the calculation aid: the sway (in %) or the bow (in cm)
// of a member of length L after DIN 18800 Teil 2, DIN EN 1993-1-1 or
// DIN EN 1993-1-1 with the German national annex, and the note text that
// names the rule used. No toolkit here: the dialog only gathers the input.
#pragma once

#include <string>

struct CImperfectionInput {
    int norm = 31;          // design code: 7 DIN 18800, 8 DIN EN 1993-1-1, any other the national annex
    int kind = 1;           // 0 sway, 1 bow
    int curve = 3;          // buckling-curve combo index ("KSL a" = 0 .. "KSL d" = 3), -1 none
    int ltb = 0;            // lateral-torsional-buckling problem
    int elastic = 0;        // the check is elastic-elastic
    int iProfile = 1;       // every span is an I-profile
    int welded = 0;         // section type: 0 rolled, 1 welded
    int lambdaRange = 0;    // "0.7<= lambda_LT <= 1.3" ticked
    double hb = 1.0;        // the largest h/b of the spans' sections
    double mplMel = 1.16;   // Mpl/Mel of the elastic-plastic bow under the national annex
    int annexIndex = 0;     // national annex of the position: 0 Germany, 1 France
    double length = 5.0;    // member length L in m
};

// The imperfection: sway in %, bow in cm. False (result untouched) with the
// reason in error when the input makes none (a length that is not above 0).
bool CalcImperfection(const CImperfectionInput& in, double& result, std::string& error);

// The note for the output document, in the German of the program (the
// caller translates it); the Mpl/Mel factor shown is the one calculated with.
std::string ImperfectionNoteText(const CImperfectionInput& in);
