// The spring of a support computed from the members connected below and
// above it: per member its section (rectangle, circle or catalogue
// profile), E-modulus, height and degree of fixity.
#pragma once

#include <functional>
#include <optional>
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
    // Area (cm²) and second moment (cm⁴) of a catalogue profile about the
    // axis (0 first, 1 second); nullopt when it is not known.
    using CatalogueLookup =
        std::function<std::optional<std::pair<double, double>>(const std::string& series, const std::string& profile, int axis)>;

    CDlgFeder();
    ~CDlgFeder() override;
    const char* ClassName() const override { return "DlgFeder"; }

    void SetData(const CSpringData& data);
    CSpringData GetData() const { return m_Data; }
    double GetResult() const { return m_dResult; }
    void SetCatalogueLookup(CatalogueLookup lookup) { m_Lookup = std::move(lookup); }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void UpdateEnabling();
    bool ReadMember(int base, bool below, std::string& error);

    CSpringData m_Data;
    double m_dResult = 0.0;
    CatalogueLookup m_Lookup;
};
