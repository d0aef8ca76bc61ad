#include "kernel/MaterialValues.h"

#include <vector>

#include "kernel/KernelUtil.h"

namespace tovik {

namespace {

// "Wert01" of the property child named by `first`, else by `fallBack`.
// found is false when neither exists (the value is then 0).
double Property(ZVELEM objekt, const char* first, const char* fallBack, bool* found = nullptr) {
    ZVELEM p = ZEVUD_FindFirstChildWithAttr(objekt, "Kurzname", first);
    if (!p && fallBack) p = ZEVUD_FindFirstChildWithAttr(objekt, "Kurzname", fallBack);
    if (found) *found = (p != 0);
    return ZEVUD_GetDouble(p, "Wert01");
}

template <class T>
void Put(std::vector<T>& v, size_t i, T value) {
    if (v.size() <= i) v.resize(i + 1, T{});
    v[i] = value;
}

}  // namespace

bool ReadMaterialValues(RunState& run, int32_t i, ZVELEM element) {
    if (i < 0 || i >= limits::kMaxSections) {
        WriteLogLine(kMaterialLogFile, "StahlWerte: qtypNr außerhalb des Bereichs");
        return false;
    }
    ZVELEM mate = ZEVUD_FindFirstChild(element, "mate");
    if (!mate) {
        WriteLogLine(kMaterialLogFile, "StahlWerte: Unterkapitel 'mate' nicht gefunden");
        return false;
    }
    ZVELEM objekt = ZEVUD_FindFirstChild(mate, "Objekt");
    if (!objekt) {
        WriteLogLine(kMaterialLogFile, "StahlWerte: Unterkapitel 'Objekt' nicht gefunden");
        return false;
    }
    MaterialStore& s = run.materials;
    const size_t k = static_cast<size_t>(i);
    // Every array grows together, so that a stored number has all its values.
    for (auto* v : {&s.fyk, &s.fuk, &s.fykt, &s.E, &s.G, &s.gamma_m1, &s.gamma_ma1, &s.gamma, &s.minStressSigV})
        if (v->size() <= k) v->resize(k + 1, 0.0);
    if (s.name.size() <= k) s.name.resize(k + 1);
    Put(s.name, k, zevud::GetString(objekt, "Name"));
    Put(s.fyk, k, Property(objekt, "fyk", "fo"));
    Put(s.fuk, k, Property(objekt, "fuk", "fu"));
    Put(s.fykt, k, Property(objekt, "fykt", "fo"));
    Put(s.E, k, Property(objekt, "E", nullptr));
    Put(s.G, k, Property(objekt, "G", nullptr));
    Put(s.gamma_m1, k, Property(objekt, "gamma_m1", "gamma_m"));
    Put(s.gamma_ma1, k, Property(objekt, "gamma_ma1", "gamma_m"));
    Put(s.gamma, k, Property(objekt, "gamma", nullptr));
    bool found = false;
    const double minStress = Property(objekt, "minStressSigV", nullptr, &found);
    Put(s.minStressSigV, k, found ? minStress : 0.0);
    return true;
}

bool LookupMaterialValues(RunState& run, int32_t i, MaterialRecord& rec, double& gammaM1, double& gammaMA1,
                          double& minStress) {
    const MaterialStore& s = run.materials;
    if (i < 0 || static_cast<size_t>(i) >= s.fyk.size()) {
        WriteLogLine(kMaterialLogFile, "StahlWerte: qtypNr>=fyk.GetSize()");
        return false;
    }
    const size_t k = static_cast<size_t>(i);
    rec.fy = static_cast<float>(s.fyk[k] * 0.1);
    rec.fu = static_cast<float>(s.fuk[k] * 0.1);
    rec.fyt = static_cast<float>(s.fykt[k] * 0.1);
    rec.E = static_cast<float>(s.E[k] * 0.1);
    rec.G = static_cast<float>(s.G[k] * 0.1);
    rec.gamma = static_cast<float>(s.gamma[k]);
    rec.name = "user";
    gammaM1 = s.gamma_m1[k];
    gammaMA1 = s.gamma_ma1[k];
    minStress = s.minStressSigV[k];
    return true;
}

}  // namespace tovik
