#include "module/CraneRoad.h"

namespace {

ICraneRoad* g_road = nullptr;

}  // namespace

ICraneRoad* GetCraneRoad() { return g_road; }

void SetCraneRoad(ICraneRoad* road) { g_road = road; }
