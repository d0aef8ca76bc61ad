// The result value table of a crane-runway run: the path labels under which
// results are stored, the labels of the report's summary, the names of the
// checks, the rows that do not apply to a check, and the conversion of the
// kernel's result triples.
#include <algorithm>
#include <cstring>

#include "crane/CraneOperations.h"
#include "crane/RunPreparation.h"
#include "module/ModuleData.h"
#include "platform/lingo/lingo.h"

namespace {

constexpr const char* kApp = "VKT Eingabe";
constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kArea = "RigelData";
constexpr const char* kRtfApp = "VKT Ausgabe";
constexpr const char* kRtfSection = "velor_o_rigel";
constexpr const char* kRtfArea = "VORIZiviREV";

struct Row {
    const char* path;
    const char* unit;
    const char* rtf;
    const char* rtfUnit;
};

// "-" and "" are dimensionless. Rows 34..41 take a stress point's name,
// rows 42..43 a plate number from 1.
const Row kRows[crane_rows::kTableRows] = {
    {"Verformung\\Y-Richtung\\wy", "mm", "Verformung\\w{\\sub y %s}", "mm"},
    {"Verformung\\Y-Richtung\\wy(Rad)", "mm", "Verformung\\w{\\sub ySchiene %s}", "mm"},
    {"Verformung\\Y-Richtung\\Ausnutzung wy", "-", "Verformung\\Ausn.w{\\sub y}", ""},
    {"Verformung\\Y-Richtung\\Delta wy", "mm", "Verformung\\dw{\\sub y %s}", "mm"},
    {"Verformung\\Y-Richtung\\Ausnutzung Delta wy", "-", "Verformung\\Ausn.dw{\\sub y}", ""},
    {"Verformung\\Z-Richtung\\wz", "mm", "Verformung\\w{\\sub z %s}", "mm"},
    {"Verformung\\Z-Richtung\\Ausnutzung wz", "-", "Verformung\\Ausn.w{\\sub z}", ""},
    {"Verformung\\Z-Richtung\\Delta wz", "mm", "Verformung\\dw{\\sub z %s}", "mm"},
    {"Verformung\\Z-Richtung\\Ausnutzung(Träger) Delta wz", "-", "Verformung\\Ausn.dw{\\sub z1}", ""},
    {"Verformung\\Z-Richtung\\Ausnutzung(Brücke) Delta wz", "-", "Verformung\\Ausn.dw{\\sub z2}", ""},
    {"Verformung\\Verdrehung um X", "rad/1000", "Verformung\\Phi{\\sub x %s}", "rad/1000"},
    {"Schnittgrößen\\N", "kN", "Schnittgrößen\\N{\\sub %s}", "kN"},
    {"Schnittgrößen\\Vy", "kN", "Schnittgrößen\\V{\\sub y %s}", "kN"},
    {"Schnittgrößen\\Vz", "kN", "Schnittgrößen\\V{\\sub z %s}", "kN"},
    {"Schnittgrößen\\Mx", "kNm", "Schnittgrößen\\M{\\sub x %s}", "kNm"},
    {"Schnittgrößen\\My", "kNm", "Schnittgrößen\\M{\\sub y %s}", "kNm"},
    {"Schnittgrößen\\Mz", "kNm", "Schnittgrößen\\M{\\sub z %s}", "kNm"},
    {"Schnittgrößen\\Mw", "kNm²", "Schnittgrößen\\M{\\sub w %s}", "kNm²"},
    {"Auflagerreaktion\\Ax", "kN", "Auflagerreaktion\\A{\\sub x %s}", "kN"},
    {"Auflagerreaktion\\Ay", "kN", "Auflagerreaktion\\A{\\sub y %s}", "kN"},
    {"Auflagerreaktion\\Az", "kN", "Auflagerreaktion\\A{\\sub z %s}", "kN"},
    {"Auflagerreaktion\\AMx", "kNm", "Auflagerreaktion\\AM{\\sub x %s}", "kNm"},
    {"Auflagerreaktion\\AMy", "kNm", "Auflagerreaktion\\AM{\\sub y %s}", "kNm"},
    {"Auflagerreaktion\\AMz", "kNm", "Auflagerreaktion\\AM{\\sub z %s}", "kNm"},
    {"Bettungsreaktion\\By", "kN/m", "Bettungsreaktion\\A{\\sub y %s}", "kN/m"},
    {"Bettungsreaktion\\Bz", "kN/m", "Bettungsreaktion\\A{\\sub z %s}", "kN/m"},
    {"Bettungsreaktion\\BMx", "kNm/m", "Bettungsreaktion\\AM{\\sub x %s}", "kNm/m"},
    {"Einzelfederreaktion\\Ay", "kN", "Einzelfederreaktion\\A{\\sub y %s}", "kN"},
    {"Einzelfederreaktion\\Az", "kN", "Einzelfederreaktion\\A{\\sub z %s}", "kN"},
    {"Spannungen\\Min SigmaX", "MN/m²", "Spannungen\\{\\f2 s}{\\sub x min}", "MN/m²"},
    {"Spannungen\\Max SigmaX", "MN/m²", "Spannungen\\{\\f2 s}{\\sub x max}", "MN/m²"},
    {"Spannungen\\TauXZ", "MN/m²", "Spannungen\\{\\f2 t}{\\sub XZ}", "MN/m²"},
    {"Spannungen\\SigmaV", "MN/m²", "Spannungen\\{\\f2 s}{\\sub V}", "MN/m²"},
    {"Spannungen\\Ausnutzung", "-", "Spannungen\\Ausn.", ""},
    {"Spannungen\\%s\\SigmaX", "MN/m²", "%s\\{\\f2 s}{\\sub x %%s}", "MN/m²"},
    {"Spannungen\\%s\\TauXZ", "MN/m²", "%s\\{\\f2 t}{\\sub XZ %%s}", "MN/m²"},
    {"Spannungen\\%s\\SigmaZ(Rad)", "MN/m²", "%s\\{\\f2 s}{\\sub z Rad}", "MN/m²"},
    {"Spannungen\\%s\\TauXZ(Rad)", "MN/m²", "%s\\{\\f2 t}{\\sub XZ Rad}", "MN/m²"},
    {"Spannungen\\%s\\SigmaV", "MN/m²", "%s\\{\\f2 s}{\\sub V}", "MN/m²"},
    {"Spannungen\\%s\\Ausnutzung", "-", "%s\\Ausn.", ""},
    {"Spannungen\\%s\\Interaktion", "-", "%s\\Interaktion", ""},
    {"Spannungen\\%s\\Schweißnaht Interaktion", "-", "%s\\Interaktion{\\sub s-naht}", ""},
    {"Spannungen\\Bleche\\Blech %ld\\min SigmaX", "MN/m²", "Blech %ld\\{\\f2 s}{\\sub x min}", "MN/m²"},
    {"Spannungen\\Bleche\\Blech %ld\\max TauXZ", "MN/m²", "Blech %ld\\{\\f2 t}{\\sub xz max}", "MN/m²"},
};

// The fatigue check reports the weld's utilisation in the row of the
// equivalent stress.
const Row kWeldRow = {"Spannungen\\%s\\Schweißnaht Ausnutzung", "-", "%s\\Ausn{\\sub s-naht}", ""};
// Wheels on the bottom flange: the local stresses across and along.
const Row kBottomFlangeRows[2] = {
    {"Spannungen\\%s\\SigmaY(Rad)", "MN/m²", "%s\\{\\f2 s}{\\sub y Rad}", "MN/m²"},
    {"Spannungen\\%s\\SigmaX(Rad)", "MN/m²", "%s\\{\\f2 s}{\\sub x Rad}", "MN/m²"},
};
const char* const kCrossSectionRtf = "Querschnitt\\Ausn.";

// Where a row of a run stands in the table: its table row and what fills
// its placeholder (a stress point's name or a plate number).
struct Placed {
    int tableRow = -1;
    int point = -1;
    long plate = 0;
};

Placed Place(int row, int points) {
    Placed p;
    if (row < 0) return p;
    if (row < crane_rows::kGirderRows) {
        p.tableRow = row;
        return p;
    }
    const int plateStart = crane_rows::FirstPlateRow(points);
    if (row >= plateStart) {
        const int k = row - plateStart;
        p.tableRow = crane_rows::kPlateRowsStart + k % crane_rows::kRowsPerPlate;
        p.plate = k / crane_rows::kRowsPerPlate + 1;
        return p;
    }
    const int k = row - crane_rows::kPointRowsStart;
    p.tableRow = crane_rows::kPointRowsStart + k % crane_rows::kRowsPerPoint;
    p.point = k / crane_rows::kRowsPerPoint;
    return p;
}

const Row* RowOf(int tableRow, int check, int craneTyp) {
    if (tableRow == 38 && check == 4) return &kWeldRow;
    if (craneTyp == 1 && (tableRow == 36 || tableRow == 37)) return &kBottomFlangeRows[tableRow - 36];
    return &kRows[tableRow];
}

std::string Fill(const char* app, const char* section, const char* area, const char* text, const Placed& p,
                 const std::vector<std::string>& points) {
    const std::string translated = lingo::Translate(app, section, area, text);
    if (p.point >= 0) return lingo::FormatTranslated(text, translated, points[static_cast<size_t>(p.point)]);
    if (p.plate > 0) return lingo::FormatTranslated(text, translated, p.plate);
    return translated;
}

}  // namespace

void GetCheckName(int check, std::string& name) {
    static const char* const kNames[CModuleData::kCraneChecks] = {
        "Tragsicherheit S/V", "Tragsicherheit A", "Tragsicherheit Prüflast", "Gebrauchstauglichkeit", "Ermüdung"};
    name.clear();
    if (check < 0 || check >= CModuleData::kCraneChecks) return;
    name = lingo::Translate(kApp, kSection, kArea, kNames[check]);
}

void ConvertTriplesToPairs(std::vector<float>& words) {
    const size_t k = words.size() / 3;
    for (size_t i = 0; i < k; ++i) {
        const float b = words[3 * i + 1], c = words[3 * i + 2];
        // The first word is kept bit for bit: it need not be a number.
        std::memmove(&words[2 * i], &words[3 * i], sizeof(float));
        words[2 * i + 1] = static_cast<float>(static_cast<double>(b) - static_cast<double>(c));
    }
    words.resize(2 * k);
}

void GetResultLabel(const CModuleData& d, int row, int check, std::string& label, std::string& unit,
                    const std::vector<std::string>& points) {
    label.clear();
    unit.clear();
    const Placed p = Place(row, static_cast<int>(points.size()));
    if (p.tableRow < 0) return;
    const Row* r = RowOf(p.tableRow, check, d.m_craneSettings.m_craneTyp);
    label = Fill(kApp, kSection, kArea, r->path, p, points);
    unit = lingo::Translate(kApp, kSection, kArea, r->unit);
}

void GetResultLabelRtf(const CModuleData& d, int row, int check, bool crossSection, std::string& label, std::string& unit,
                       const std::vector<std::string>& points) {
    label.clear();
    unit.clear();
    const Placed p = Place(row, static_cast<int>(points.size()));
    if (p.tableRow < 0) return;
    const Row* r = RowOf(p.tableRow, check, d.m_craneSettings.m_craneTyp);
    const char* text = r->rtf;
    // With the plastic buckling check the utilisation is the cross-section's.
    if (p.tableRow == 33 && crossSection && d.m_craneSettings.m_plasticLTB != 0) text = kCrossSectionRtf;
    label = Fill(kRtfApp, kRtfSection, kRtfArea, text, p, points);
    unit = r->rtfUnit[0] ? lingo::Translate(kRtfApp, kRtfSection, kRtfArea, r->rtfUnit) : std::string();
}

void MaskResultRows(const CModuleData& d, CResultTable& set, int check) {
    if (check < 0 || check >= CModuleData::kCraneChecks) return;
    const int n = static_cast<int>(d.m_userPointNames.size());
    const int m = std::max(0, d.m_bucklRes.m_numOfPlates);
    auto mark = [&](int from, int to) {
        if (to < from) return;
        if (set.m_valIdx.size() <= static_cast<size_t>(to)) set.m_valIdx.resize(static_cast<size_t>(to) + 1, 0);
        for (int r = from; r <= to; ++r) set.m_valIdx[static_cast<size_t>(r)] = -1;
    };
    const int plates = crane_rows::FirstPlateRow(n);
    const int platesEnd = plates + crane_rows::kRowsPerPlate * m - 1;
    if (check <= 2) {
        mark(0, 10);
    } else if (check == 3) {
        mark(18, 28);
        mark(plates, platesEnd);
    } else {
        mark(0, 10);
        mark(18, 33);
        mark(plates, platesEnd);
    }
    // Without any point of interest no stress point can be judged by one:
    // its rows stay.
    if (d.m_notchCases.empty()) return;
    for (int j = 0; j < n; ++j) {
        const CNotchCase* poi = &d.m_notchCases.front();
        for (const CNotchCase& c : d.m_notchCases)
            if (c.m_strName == d.m_userPointNames[static_cast<size_t>(j)]) poi = &c;
        const int first = crane_rows::kPointRowsStart + crane_rows::kRowsPerPoint * j;
        if (check <= 3) {
            // Places 0 and 1 take no part in the girder checks' point rows.
            if (poi->m_iPlace < 2) mark(first, first + crane_rows::kRowsPerPoint - 1);
        } else if (poi->m_iPlace < 1) {
            // A point without place has no wheel-load rows in the fatigue check.
            mark(first + 2, first + 3);
        }
    }
}
