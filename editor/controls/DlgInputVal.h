// CDlgInputVal ("Eingabeparameter"): asks for the values of a document's
// input variables, one grid row per value with its description and unit.
#pragma once

#include <vector>

#include "editor/core/EditorDocument.h"
#include "grid/ParamGridCtrl.h"
#include "platform/wl/dialog.h"

class CDlgInputVal : public wl::Dialog {
public:
    static constexpr int kTemplateId = 11622;
    static constexpr int kGridId = 11622;

    explicit CDlgInputVal(wl::Window* parent = nullptr);
    const char* ClassName() const override { return "CDlgInputVal"; }

    CParamGridCtrl grid;
    // The document's input values (not owned); set before DoModal. OK
    // writes the grid's values into them, Cancel leaves them as they were.
    std::vector<CNamedValue>* values = nullptr;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(wl::DataExchange& dx) override;
};
