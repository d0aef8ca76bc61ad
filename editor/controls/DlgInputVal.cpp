// The input-value dialog: a parameter grid bound to the document's values.
#include "editor/controls/DlgInputVal.h"

#include "grid/GridCtrl.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

const wl::TemplateRegistrar kTemplate({
    {CDlgInputVal::kTemplateId, "Eingabeparameter", 220, 150, 0,
     {
         {CDlgInputVal::kGridId, Kind::Custom, "", 7, 7, 206, 114, 0, {}, CGridCtrl::kClassName},
         {wl::IDOK, Kind::Button, "OK", 56, 128, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 114, 128, 50, 14},
     }},
});

}  // namespace

CDlgInputVal::CDlgInputVal(wl::Window*) : wl::Dialog(kTemplateId) {}

void CDlgInputVal::DoDataExchange(wl::DataExchange& dx) { wl::DDX_Control(dx, kGridId, grid); }

bool CDlgInputVal::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_Quill", "DlgInputVal");
    UpdateData(false);
    if (values) {
        for (CNamedValue& v : *values) {
            // The unit becomes part of a print format: a '%' in it ("%",
            // "%o") must print as itself.
            std::string unit;
            for (char c : v.unit) unit += c == '%' ? std::string("%%") : std::string(1, c);
            grid.AddDoubleField(v.desc, &v.value, winsys::FormatC("%%.2lf [%s]", unit.c_str()), 1.0);
        }
    }
    grid.InitGrid();
    grid.ExchangeData(false);
    if (grid.GetColumnCount() >= 2) {
        grid.SetColumnRelWidth(0, 75);
        grid.SetColumnRelWidth(1, 25);
        grid.FitColumnsToWidth();
    }
    return true;
}

void CDlgInputVal::OnOK() {
    grid.ExchangeData(true);
    EndDialog(wl::IDOK);
}
