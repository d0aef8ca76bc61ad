// Cross-sections of the member: the section database of the run, the steel
// grade tables and design strengths, the profiles per element end (prismatic
// and tapered fields) and their section values, stress points and unit
// stresses.
//
// SectionCache is a cache of the run state (run.Cache<SectionCache>()): the
// profiles it makes live for the run and are deleted with it. It is also the
// finite-element solver's section provider (fe::IFeSectionProvider); opening
// the section database hands it to the solver.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "kernel/MaterialValues.h"
#include "kernel/ModelRecord.h"
#include "kernel/fe/FeSection.h"
#include "platform/zevud/zevud.h"
#include "platform/zidezaz/zidezaz.h"

namespace tovik::section {

// ---- database and steel values ------------------------------------------------

// mode 1 opens the run's section file (cdltr.QsDatei), -1 closes it, any
// other mode does nothing. Returns 0, or -1 for an empty file name (message).
int32_t OpenSectionDatabase(RunState& run, int32_t mode);

// The sections per element of the run ("Querschnitte"). 0 = ok.
int32_t SetzeQuer(RunState& run);
// Largest number of plate elements of any partial section of any section of
// the run (sizes the plate-stress store).
int32_t MaxPlateElements(RunState& run);
// Sizes the run's plate-stress store to the given number of doubles.
void SizePlateStressStore(RunState& run, int64_t doubles);

// Steel grade table row: fyk, fuk, fykt, E, G in N/mm².
struct SteelGrade {
    const char* name;
    double fyk, fuk, fykt, E, G;
};
// The three tables of five grades (selector 0..2, index 0..4).
const SteelGrade& SteelGradeRow(int32_t selector, int32_t index);

// Record of a steel grade: index, strengths and moduli in kN/cm², name.
struct SteelRecord {
    int32_t index = 0;
    double fyk = 0, fuk = 0, fykt = 0, E = 0, G = 0;
    double gamma = 0;  // unit weight, kN/m³ (only from the document's material values)
    std::string name;
};
// Fills the record from row i of table `selector` (values ·0.1). Selectors
// other than 0..2 and indices outside 0..4 leave all but the index unchanged.
int32_t GetSteelGradeValues(SteelRecord& rec, int32_t i, int32_t selector);

// fd = f/γ, τd = fd/√3, fw = 0.95·fd, or 0.8·fd when fd > 30.
int32_t CalcDesignStrengths(double f, double gamma, double& fd, double& taud, double& fw);

// Profile key: "%s_%.2lf_%ld" (a, φ, m) when a and b are equal without
// regard to case, else "%s_%s_%.2lf_%.3lf_%ld" (a, b, t, φ, m).
std::string MakeProfileKey(const std::string& a, const std::string& b, double t, double phi, int32_t m);

// ---- the cache ------------------------------------------------------------------

// Values of one calculated profile, as the solver and the writers use them.
struct ProfileValues {
    bool valid = false;
    std::array<double, 50> qwerte{};         // entries 0 and 3..18 (m-based)
    fe::FeSectionValues fe;                   // without E and G
    std::vector<fe::FeStressPoint> points;    // 3 per position: middle, +face, -face
    std::vector<double> unit[8];              // the eight unit stresses per point
    std::vector<double> y, z, ta, te;         // per position (middle point)
    std::vector<int32_t> plate;               // wall element of every point
    std::vector<double> esp;                  // the first seven unit stresses of the two face points per position
    std::vector<std::vector<int32_t>> users;  // per point: the user points (reader index) it serves
    int32_t positions = 0;
};

class SectionCache : public RunCache, public fe::IFeSectionProvider {
public:
    SectionCache() = default;
    ~SectionCache() override;
    SectionCache(const SectionCache&) = delete;
    SectionCache& operator=(const SectionCache&) = delete;

    void Bind(RunState& run) { run_ = &run; }

    // Key lookup: nonzero when present (handle in out), else out = -1.
    int32_t FindProfile(int32_t& out, const std::string& a, const std::string& b, double t, double phi,
                        int32_t m) const;
    void RegisterProfile(int32_t handle, const std::string& a, const std::string& b, double t, double phi, int32_t m);

    // 0, or -2 when a tapered field's section cannot be loaded (out = -1).
    // Rotation and mirror are applied to the profile for prismatic and
    // tapered fields alike.
    int32_t GetOrCreateProfile(int32_t db, const std::string& a, const std::string& b, double t, double phi,
                               int32_t m, int32_t& out);

    // Profile at distance x (m) behind boundary entry b (1 = girder start);
    // -1 when no profile can be made.
    int32_t GetSectionAtX(int32_t b, double x);

    // The "Querschnitte" phase: a profile per element end.
    int32_t SetzeQuer();

    // Values of a profile (calculated once per handle).
    const ProfileValues& Values(int32_t handle);

    // Report side: builds the section named `name` turned by φ and mirrored
    // by m into a scratch profile kept in memory (never saved to a file).
    // 0 with the handle in out, -1 when the two sections do not match, -2
    // when a section cannot be loaded.
    int32_t CheckSectionSimilarity(int32_t db, const std::string& a, const std::string& b, double t, double phi,
                                   int32_t m, int32_t& out);

    // Outline of a profile (two entries per wall element) for the drawings.
    struct Outline {
        std::vector<double> ta, te, ya, ye, za, ze;
        double ymRel = 0, zmRel = 0, ym = 0, zm = 0, y0 = 0, z0 = 0, area = 0, nCells = 0;
    };
    int32_t GetSectionOutline(int32_t handle, Outline& out);

    // Report side, by name: the outline (0, -1 bad database or section, -3
    // calculation failed) and the values about the centroid (0, -1 bad
    // database, -2 section not found, -3 calculation failed) of a section of
    // the database. The section file is never written.
    int32_t GetSectionElementsYZ(int32_t db, const std::string& name, Outline& out);
    int32_t SEKTEinheitsSpgn3D(int32_t db, const std::string& name, ProfileValues& out);

    // For each user point that point p of profile h serves, keeps the larger
    // |sigma| and |tau| of serviceability load case lc (0-based) at element
    // end `end` (0 .. 2*(nodes-1)-1).
    void UpdateUserPointExtremes(int32_t handle, int32_t p, int32_t lc, int32_t end, double sigma, double tau);

    // Plate-stress store: per serviceability load case lc (0-based), element
    // end and plate k the smallest normal stress and the largest shear
    // stress: index ((lc * ends + end) * plates + k) * 2 (+0 sigma, +1 tau).
    void SizePlateStressStore(int64_t doubles, int32_t plates);
    void UpdatePlateStress(int32_t k, int32_t lc, int32_t end, double sigma, double tau);
    const std::vector<double>& PlateStress() const { return plateStress_; }

    // Writes "numOfNodes", "numOfValues" and the binary "esp" of the stress
    // points per finite-element node.
    void StoreEsp(ZVELEM node);

    // Element-end map: key 2j (start of element j), 2j+1 (end).
    int32_t ElementEndProfile(int32_t key) const;
    const std::map<int32_t, int32_t>& ElementEndMap() const { return elementEnd_; }
    // The 50 section values of each element end, in the order built.
    const std::vector<std::array<double, 50>>& SectionBlocks() const { return blocks_; }
    size_t ProfileCount() const { return profiles_.size(); }

    // fe::IFeSectionProvider
    bool Constant() const override;
    fe::FeSectionValues AtNode(int32_t k) const override;
    fe::FeSectionValues AtInputNode(int32_t b, double d) const override;
    fe::FeSectionValues AtElementEnd(int32_t e, int32_t end) const override;
    std::vector<fe::FeStressPoint> StressPoints(int32_t e) const override;
    fe::FeMaterial Material() const override;
    // Keeps the extremes of the user points that point `point` of element
    // e's stress points serves (UpdateUserPointExtremes).
    void PointStress(int32_t e, int32_t end, int32_t point, int32_t k, double sigma, double tau) const override;

    // The material the calculation uses for a section number (1-based): the
    // grade table row, replaced by the document's material values when the
    // reader stored them; fyk, fuk, E, G in kN/cm², gammaM the partial factor.
    void MaterialOf(int32_t sectionNumber, SteelRecord& rec, double& gammaM) const;

private:
    fe::FeSectionValues WithMaterial(int32_t handle, int32_t sectionNumber) const;
    int32_t SectionNumberAt(int32_t b, double x) const;
    int32_t Load(int32_t db, const std::string& name);
    int32_t Interpolate(int32_t a, int32_t b, double t, double phi, int32_t m, bool copyGroups);
    void Compute(int32_t handle, ProfileValues& v);
    int32_t Finish(int32_t rc);

    RunState* run_ = nullptr;
    std::map<std::string, int32_t> profiles_;         // key -> handle
    std::vector<int32_t> scratch_;                      // report-side profiles
    std::map<int32_t, int32_t> elementEnd_;            // element-end key -> handle
    std::map<int32_t, int32_t> elementSection_;        // element-end key -> section number
    std::map<int32_t, ProfileValues> values_;          // handle -> values
    std::vector<std::array<double, 50>> blocks_;
    std::vector<double> plateStress_;
    int32_t plates_ = 0;
};

// The run's section cache, bound to the run.
SectionCache& Sections(RunState& run);

}  // namespace tovik::section
