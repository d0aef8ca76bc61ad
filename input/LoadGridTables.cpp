#include "input/LoadGridTables.h"

#include "input/LoadDef.h"

namespace loadgrid {

namespace {

struct TypeRow {
    std::vector<std::string> formatsWith;
    std::vector<std::string> formatsWithout;
    const char* maskWith;
    const char* maskWithout;
};

const std::vector<TypeRow>& Table() {
    const std::string kNm = "%.2lf kN/m", m = "%.2lf m";
    static const std::vector<TypeRow> table = {
        {{kNm}, {kNm, kNm, kNm}, "01111111111100000", "01111111111111000"},
        {{kNm, kNm}, {kNm, kNm, kNm, kNm, kNm, kNm}, "01111111111110000", "01111111111111111"},
        {{m, kNm}, {m, kNm, kNm, kNm}, "01111111111110000", "01111111111111100"},
        {{m, m, kNm, kNm, kNm}, {m, m, kNm, kNm, kNm}, "01111111111111000", "01111111111111110"},
        {{"%.2lf °K", "%.2lf °K"}, {"%.2lf °K", "%.2lf °K"}, "01111111001110000", "01111111111110000"},
        {{"%.1lf cm"}, {"%.1lf cm"}, "01111100001100000", "01111100000100000"},
        {{"%.2lf kNm/m"}, {"%.2lf kNm/m"}, "01111111000100000", "01111111000111000"},
        {{"%.2lf kNm/m", "%.2lf kNm/m"}, {"%.2lf kNm/m", "%.2lf kNm/m"}, "01111111000110000", "01111111000111111"},
        {{"%.2lf kN"}, {"%.2lf kN", "%.2lf kN", "%.2lf kN"}, "01111110111100000", "01111110111111000"},
        {{"%.2lf kNm"}, {"%.2lf kNm", "%.2lf kNm", "%.2lf kNm"}, "01111110101100000", "01111110001111000"},
        {{"%.2lf kN", "%.2lf kNm"},
         {"%.2lf kN", "%.2lf kN", "%.2lf kN", "%.2lf kNm", "%.2lf kNm", "%.2lf kNm"},
         "01111110111110000",
         "01111110111111111"},
        {{}, {}, "01111000000000000", "01111000000000000"},
        {{"%.2lf kN/m²"}, {"%.2lf kN/m²"}, "01111111001100000", "01111111001100000"},
        {{kNm, kNm, kNm, "%.2lf kNm/m", "%.2lf kNm/m", "%.2lf kNm/m"},
         {kNm, kNm, kNm, "%.2lf kNm/m", "%.2lf kNm/m", "%.2lf kNm/m"},
         "01111111111111111",
         "01111111111111111"},
    };
    return table;
}

bool Known(int type) { return type >= 0 && type < int(Table().size()); }

}  // namespace

std::vector<std::string> ValueFormats(int loadType, bool withDirection) {
    if (!Known(loadType)) return {};
    const TypeRow& row = Table()[size_t(loadType)];
    return withDirection ? row.formatsWith : row.formatsWithout;
}

std::string CellMask(int loadType, bool withDirection) {
    if (!Known(loadType)) return "01111000000000000";
    const TypeRow& row = Table()[size_t(loadType)];
    return withDirection ? row.maskWith : row.maskWithout;
}

Header Headers(int loadType, bool withDirection, int direction) {
    using V = std::vector<std::string>;
    const char* axis[] = {"X", "Y", "Z"};
    const int d = direction >= 0 && direction <= 2 ? direction : 2;
    Header h;
    if (!Known(loadType)) {
        loadType = LOAD_UNIFORM;
        withDirection = false;
    }
    switch (loadType) {
    case LOAD_UNIFORM: h = {"Länge", withDirection ? V{"P"} : V{"Px", "Py", "Pz"}}; break;
    case LOAD_TRAPEZOID:
        h = {"Länge", withDirection ? V{"P1", "P2"} : V{"Px1", "Py1", "Pz1", "Px2", "Py2", "Pz2"}};
        break;
    case LOAD_TRIANGLE: h = {"L(links)", withDirection ? V{"L(rechts)", "P"} : V{"L(rechts)", "Px", "Py", "Pz"}}; break;
    case LOAD_TRAPEZOID2:
        h = {"L(links)", withDirection ? V{"L(mitte)", "L(rechts)", "P"} : V{"L(mitte)", "L(rechts)", "Px", "Py", "Pz"}};
        break;
    case LOAD_TEMPERATURE:
        h = {"Länge", {std::string("T(-") + axis[d] + ")", std::string("T(+") + axis[d] + ")"}};
        break;
    case LOAD_IMPOSED_DEFORMATION: h = {"---", {"ds"}}; break;
    case LOAD_LINE_MOMENT: h = {"Länge", {"Mx"}}; break;
    case LOAD_LINE_MOMENT_TRAPEZOID: h = {"Länge", {"Mx1", "Mx2"}}; break;
    case LOAD_POINT: h = {"---", withDirection ? V{"P"} : V{"Px", "Py", "Pz"}}; break;
    case LOAD_POINT_MOMENT: h = {"---", withDirection ? V{"M"} : V{"Mx", "My", "Mz"}}; break;
    case LOAD_POINT_FORCE_MOMENT:
        if (withDirection) {
            // A force along the axis with the moment about the axis at right angles.
            static const char* pairs[3][2] = {{"Px", "Mx"}, {"Py", "Mz"}, {"Pz", "My"}};
            h = {"---", {pairs[d][0], pairs[d][1]}};
        } else {
            h = {"---", {"Px", "Py", "Pz", "Mx", "My", "Mz"}};
        }
        break;
    case LOAD_SELF_WEIGHT: h = {"---", {}}; break;
    case LOAD_AREA: h = {"Länge", {"F"}}; break;
    case LOAD_LINE_FORCE_MOMENT: h = {"Länge", {"Px", "Py", "Pz", "Mx", "My", "Mz"}}; break;
    default: break;
    }
    h.values.resize(kValueColumns, "---");
    return h;
}

}  // namespace loadgrid
