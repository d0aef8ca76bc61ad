// The crane-runway calculation as the position data reaches it. The crane
// folder implements it and registers its one instance; the position data
// asks it for its crane positions and hands it a crane runway's
// calculation. The position data never includes the crane folder.
#pragma once

class CModuleData;
struct CRecalcResult;

class ICraneRoad {
public:
    virtual ~ICraneRoad() = default;
    // The crane positions along the runway into the data's list of positions
    // (and the crane-position variables at the current one).
    virtual void GeneratePositions(CModuleData& data) = 0;
    // The calculation of a crane runway: every enabled check, the report.
    virtual CRecalcResult Recalc(CModuleData& data, int bReport, int bRedraw) = 0;
};

// The crane road in use; null until one is registered.
ICraneRoad* GetCraneRoad();
// Registers the crane road (null: none).
void SetCraneRoad(ICraneRoad* road);
