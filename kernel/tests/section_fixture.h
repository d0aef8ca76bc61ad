// A member model and a section file for the section tests.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kernel/ModelRecord.h"
#include "kernel/section/SectionCache.h"
#include "platform/zidezaz/zidezaz.h"

namespace section_test {

// I of three plates (cm); z points down, top flange at z = 0.
inline std::vector<SektWLine> PlateI(double bo, double to, double bu, double tu, double hs, double tw) {
    return {zidezaz::MakeWLine(-bo / 2, 0, bo / 2, 0, to), zidezaz::MakeWLine(-bu / 2, hs, bu / 2, hs, tu),
            zidezaz::MakeWLine(0, 0, 0, hs, tw)};
}

// A scratch folder and a section file with named profiles.
class SectionFile {
public:
    explicit SectionFile(const std::string& tag) {
        dir_ = std::filesystem::path(RIGEL_TEST_TMP) / ("ksection_" + tag + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "pos1.temp.skw").string();
        db_ = SEKT_DB_Open(path_.c_str(), 3);
    }
    ~SectionFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    void Add(const std::string& name, const std::vector<SektWLine>& lines) {
        const int p = SEKT_PRO_Create();
        for (const auto& l : lines) SEKT_PRO_AddWLine(p, l);
        SEKT_DB_AddProject(db_, ("\\" + name).c_str(), p);
        SEKT_PRO_Delete(p);
    }
    // Writes the file and closes the writing handle.
    void Save() {
        SEKT_DB_Save(db_, nullptr);
        SEKT_DB_Close(db_);
        db_ = -1;
    }
    const std::string& path() const { return path_; }
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::string path_;
    int db_ = -1;
};

// A run with nFields fields of the given lengths (m) and elements per field.
inline std::unique_ptr<tovik::RunState> MakeRun(const std::vector<double>& lengths, int elementsPerField) {
    auto run = std::make_unique<tovik::RunState>();
    tovik::ModelRecord& m = run->cdltr;
    m.nFeld = static_cast<int32_t>(lengths.size());
    for (size_t i = 0; i < lengths.size(); ++i) {
        m.Feld_L[i] = static_cast<float>(lengths[i]);
        m.nTeilung[i] = elementsPerField;
        m.Feld_QsA[i] = 1;
        m.Feld_QsE[i] = 1;
    }
    m.ComputeNodePositions();
    int32_t n = 0;
    for (int32_t f = 0; f < m.nFeld; ++f)
        for (int k = 0; k < elementsPerField; ++k) {
            m.fe.KnotenX[static_cast<size_t>(n)] =
                m.KnotenPos[static_cast<size_t>(f)] + m.Feld_L[static_cast<size_t>(f)] * k / elementsPerField;
            m.fe.StabFeld[static_cast<size_t>(n)] = f;
            ++n;
        }
    m.fe.KnotenX[static_cast<size_t>(n)] = m.GesamtLaenge;
    m.fe.nStab = n;
    m.fe.nKnoten = n + 1;
    m.nQs = 0;
    return run;
}

// Defines section number k (1-based) of the run.
inline void SetSection(tovik::RunState& run, int k, const std::string& name, float angle = 0, int mirror = 0) {
    tovik::ModelRecord& m = run.cdltr;
    m.Qs_Name[static_cast<size_t>(k - 1)] = name;
    m.Qs_Dreh[static_cast<size_t>(k - 1)] = angle;
    m.Qs_Spiegel[static_cast<size_t>(k - 1)] = mirror;
    m.Mat[static_cast<size_t>(k - 1)] = 0;
    m.Qs_GammaM[static_cast<size_t>(k - 1)] = 1.1f;
    if (m.nQs < k) m.nQs = k;
}

}  // namespace section_test
