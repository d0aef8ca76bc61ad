// The run's section database, the steel grade tables and design strengths.
#include <cmath>

#include "kernel/fe/FeSolver.h"
#include "kernel/section/SectionCache.h"
#include "platform/winsys/winsys.h"

namespace tovik::section {

namespace {
// fyk, fuk, fykt, E, G in N/mm².
const SteelGrade kGrades[3][5] = {
    {{"St37-2", 240, 360, 215, 210000, 81000},
     {"USt37-2", 240, 360, 215, 210000, 81000},
     {"RSt37-2", 240, 360, 215, 210000, 81000},
     {"St37-3", 240, 360, 215, 210000, 81000},
     {"St52-3", 360, 510, 325, 210000, 81000}},
    {{"Fe360B", 235, 360, 215, 210000, 81000},
     {"Fe360BFU", 235, 360, 215, 210000, 81000},
     {"Fe360BFN", 235, 360, 215, 210000, 81000},
     {"Fe360C", 235, 360, 215, 210000, 81000},
     {"Fe510C", 355, 570, 325, 210000, 81000}},
    {{"FeE235", 235, 360, 215, 210000, 81000},
     {"FeE275", 275, 430, 215, 210000, 81000},
     {"FeE355", 355, 510, 215, 210000, 81000},
     {"FeE460", 460, 570, 215, 210000, 81000},
     {"FeE460", 460, 570, 325, 210000, 81000}},
};
}  // namespace

const SteelGrade& SteelGradeRow(int32_t selector, int32_t index) {
    if (selector < 0 || selector > 2) selector = 0;
    if (index < 0 || index > 4) index = 0;
    return kGrades[selector][index];
}

int32_t GetSteelGradeValues(SteelRecord& rec, int32_t i, int32_t selector) {
    rec.index = i;
    if (selector < 0 || selector > 2 || i < 0 || i > 4) return 0;
    const SteelGrade& g = kGrades[selector][i];
    rec.fyk = g.fyk * 0.1;
    rec.fuk = g.fuk * 0.1;
    rec.fykt = g.fykt * 0.1;
    rec.E = g.E * 0.1;
    rec.G = g.G * 0.1;
    rec.name = g.name;
    return 0;
}

int32_t CalcDesignStrengths(double f, double gamma, double& fd, double& taud, double& fw) {
    fd = gamma != 0.0 ? f / gamma : f;
    taud = fd / std::sqrt(3.0);
    fw = fd > 30.0 ? 0.8 * fd : 0.95 * fd;
    return 0;
}

int32_t OpenSectionDatabase(RunState& run, int32_t mode) {
    ModelRecord& m = run.cdltr;
    if (mode == 1) {
        if (m.QsDatei.empty()) {
            winsys::MessageBox(winsys::FormatC("NAME nicht zulässig->%s<-", m.QsDatei.c_str()));
            return -1;
        }
        if (m.m_IndDBS >= 0) {
            SEKT_DB_Close(m.m_IndDBS);
            m.m_IndDBS = -1;
        }
        m.m_IndDBS = SEKT_DB_Open(m.QsDatei.c_str(), 0);
        // The section values reach the solver through the run's cache.
        fe::State(run).sections = &Sections(run);
        return 0;
    }
    if (mode == -1) {
        if (m.m_IndDBS >= 0) SEKT_DB_Close(m.m_IndDBS);
        m.m_IndDBS = -1;
    }
    return 0;
}

}  // namespace tovik::section
