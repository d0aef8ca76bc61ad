// The spring of a support computed from the members connected below and
// above it: per member its section (rectangle, circle or catalogue
// profile), E-modulus, height and degree of fixity.
#pragma once

#include <string>

#include "module/Support.h"
#include "platform/wl/dialog.h"

class CDlgFeder : public wl::Dialog {
public:
    static constexpr int kTemplateId = 524;
    // Control ids of a member: below from kBelow, above from kAbove.
    enum { kBelow = 1100, kAbove = 1200 };
    enum {
        ENABLE = 0, RECT = 1, CIRCLE = 2, CATALOGUE = 3, EMOD = 4, FIXITY = 5, HEIGHT = 6, DIAMETER = 7, WIDTH = 8,
        DEPTH = 9, SERIES = 10, PROFILE = 11, AXIS = 12,
    };
    CDlgFeder();
    ~CDlgFeder() override;
    const char* ClassName() const override { return "DlgFeder"; }

    void SetData(const CSpringData& data);
    CSpringData GetData() const { return m_Data; }
    double GetResult() const { return m_dResult; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code) override;

private:
    void UpdateEnabling();
    bool ReadMember(int base, bool below, std::string& error);
    // Lists the profiles of the member's chosen series and selects profile.
    void FillProfiles(int base, const std::string& profile);

    CSpringData m_Data;
    double m_dResult = 0.0;
};
