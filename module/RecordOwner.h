// What the position's records ask of the module data that owns them: the
// crane-runway settings, the temporary section file and the recalculation
// switch. The module data implements it; tests give a small stand-in.
#pragma once

#include <string>

class CCraneSettings;

class CRecordOwner {
public:
    virtual ~CRecordOwner() = default;
    // The crane-runway settings; nullptr for a position without them.
    virtual const CCraneSettings* GetCraneSettings() const { return nullptr; }
    // The section file beside the document (".temp.skw"); empty when none.
    virtual std::string GetTempSectionFileName() const { return {}; }
    // Nonzero: assessment of an existing structure ("Nachrechnung").
    virtual int GetMatBB() const { return 0; }
};
