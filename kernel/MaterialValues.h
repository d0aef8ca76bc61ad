// Steel material values by material number (the 0-based number of the
// section whose material it is), read from the position document's material
// description and looked up by the phases. The store lives in the run state.
#pragma once

#include <cstdint>
#include <string>

#include "kernel/ModelRecord.h"
#include "platform/zevud/zevud.h"

namespace tovik {

// Material record filled by a lookup: strengths and moduli in kN/cm².
struct MaterialRecord {
    float reserved0 = 0;  // not written by the lookup
    float fy = 0;         // yield strength, kN/cm²
    float fu = 0;         // tensile strength, kN/cm²
    float fyt = 0;        // yield strength of the second thickness range, kN/cm²
    float E = 0;          // modulus of elasticity, kN/cm²
    float G = 0;          // shear modulus, kN/cm²
    float reserved1 = 0;  // not written by the lookup
    float gamma = 0;      // unit weight, kN/m³
    std::string name;     // "user" after a lookup
};

// The file of the material log lines.
inline constexpr const char* kMaterialLogFile = "rigel.log";

// Read mode: reads the description of material i below `element` ("mate" /
// "Objekt") into the store. Returns false (after a log line) when the
// description is missing or i is out of range.
bool ReadMaterialValues(RunState& run, int32_t i, ZVELEM element);

// Lookup mode: fills the record and the three outputs from the store.
// Returns false (after a log line, outputs untouched) when i was not stored.
bool LookupMaterialValues(RunState& run, int32_t i, MaterialRecord& rec, double& gammaM1, double& gammaMA1,
                          double& minStress);

}  // namespace tovik
