// Single-point proofs through the section extension.
#include "kernel_results/SinglePointProof.h"

#include <cstdio>
#include <filesystem>

#include "kernel/section/SectionCache.h"
#include "kernel_results/ClassCheck.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zadevoz/zadevoz.h"
#include "platform/zidezaz/proofs.h"

namespace tovik::checks {

namespace {

std::string Tr(const std::string& text) { return lingo::Translate("VKT Ausgabe", "velor_o_rigel", "Calc", text); }

double PointX(const results::SeriesDefinition& d, int32_t point) {
    return point >= 0 && point < static_cast<int32_t>(d.xPositions.size())
               ? static_cast<double>(d.xPositions[static_cast<size_t>(point)])
               : 0.0;
}

// Opens a proof document, kept in memory until it is stored in the
// document, and writes its title. False when it cannot be opened.
bool OpenProof(double x) {
    if (zadevoz::RtfOpenMemoryDocument(0, 1, 0, "nologo\0\0") != 1) return false;
    const std::string title = "Einzelpunktnachweis für Maximum Ausnutzung bei x=%.2lfm";
    zadevoz::RtfWriteText(-3, lingo::FormatTranslated(title, Tr(title), x));
    return true;
}

void StoreProof(ZVELEM element, const std::string& attr) {
    zadevoz::RtfCloseDocument(0);
    std::string rtf;
    if (zadevoz::RtfTakeMemoryDocument(rtf))
        ZEVUD_SetBinData(element, attr.c_str(), static_cast<int>(rtf.size()), rtf.data(), 1);
}

}  // namespace

double DesignStrength(RunState& run, int32_t lk) {
    double fy = 0, g1 = 0, gA = 0, ms = 0;
    if (!DesignMaterial(run, fy, g1, gA, ms)) return 0;
    const auto& kat = run.combos.LkKat;
    const bool accidental = lk >= 0 && lk < static_cast<int32_t>(kat.size()) && kat[static_cast<size_t>(lk)] == "Ed,A";
    return fy / (accidental ? gA : g1);
}

double PlasticProofAt(int32_t handle, double fd, const double forces[8], double x, ZVELEM element) {
    double u = ZAZUZER_PlasticUtilisation(handle, fd, forces);
    if (!element) return u;
    if (!OpenProof(x)) return u;
    ZAZUZER_WritePlasticProof(handle, &u, fd, forces, Tr("Querschnittswerte und Schnittgrößen").c_str(),
                              Tr("Plastische Ausnutzung").c_str());
    StoreProof(element, "rtfFile");
    return u;
}

int32_t ElasticProofAt(int32_t handle, double fd, const double forces[8], double minStress, double x, ZVELEM element) {
    if (!element) return 0;
    const int32_t bases[2] = {211, 111};
    int32_t tables = 0;
    for (int32_t k = 0; k < 2; ++k) {
        if (!OpenProof(x)) continue;
        const double strength[5] = {fd, 0, 0, 0, 0};
        const std::string util = Tr("Ausnutzung");
        const double r1 = ZAZUZER_StressTable(handle, bases[k] - 1, 5.0, strength, forces,
                                              Tr("Normalspannungen").c_str(), util.c_str());
        const double r2 = ZAZUZER_StressTable(handle, bases[k], 5.0, strength, forces, Tr("Schub").c_str(), util.c_str());
        int32_t n = 2;
        if (r1 >= minStress && r2 >= minStress) {
            ZAZUZER_StressTable(handle, bases[k] + 1, 5.0, strength, forces, Tr("Vergleichsspannung").c_str(),
                                util.c_str());
            n = 3;
        }
        if (k == 0) tables = n;
        StoreProof(element, winsys::FormatC("rtfFile_%d", k));
    }
    return tables;
}

double WritePlasticProofRtf(RunState& run, const results::SeriesDefinition& d, int32_t lk, int32_t point,
                            ZVELEM element) {
    const int32_t handle = section::Sections(run).ElementEndProfile(point);
    double forces[8];
    EndForces(run, lk, point, forces);
    return PlasticProofAt(handle, DesignStrength(run, lk), forces, PointX(d, point), element);
}

void WriteElasticProofRtf(RunState& run, const results::SeriesDefinition& d, int32_t lk, int32_t point,
                          ZVELEM element) {
    if (!element) return;
    const int32_t handle = section::Sections(run).ElementEndProfile(point);
    double fy = 0, g1 = 0, gA = 0, minStress = 0;
    DesignMaterial(run, fy, g1, gA, minStress);
    double forces[8];
    EndForces(run, lk, point, forces);
    ElasticProofAt(handle, DesignStrength(run, lk), forces, minStress, PointX(d, point), element);
}


}  // namespace tovik::checks
