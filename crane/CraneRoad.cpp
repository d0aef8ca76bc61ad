// The crane road of this folder: the position data's crane positions and
// crane-runway calculation, registered when the library is loaded.
#include "crane/CraneOperations.h"
#include "module/CraneRoad.h"

namespace {

class CCraneRoad final : public ICraneRoad {
public:
    void GeneratePositions(CModuleData& data) override { GenerateCranePositions(data); }
    CRecalcResult Recalc(CModuleData& data, int bReport, int bRedraw) override {
        return RecalcCraneRunway(data, bReport, bRedraw);
    }
};

CCraneRoad g_road;

// The module library holds this folder whole: the road is there from the
// moment the library is loaded.
const bool g_registered = (SetCraneRoad(&g_road), true);

}  // namespace

void RegisterCraneRoad() {
    (void)g_registered;
    SetCraneRoad(&g_road);
}

// Named to the linker of every program that links this folder, so that the
// registration above is part of it.
extern "C" void rigel_crane_road_anchor() { RegisterCraneRoad(); }
