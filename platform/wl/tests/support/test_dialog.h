// A dialog with every kind of control, for the window layer's tests.
#pragma once

#include <string>

#include "platform/wl/dialog.h"

namespace wltest {

inline constexpr int kTestDialog = 100;
inline constexpr int kChildPage = 101;

enum : int {
    IDC_TITLE = 1000,
    IDC_NAME = 1001,
    IDC_ACTIVE = 1002,
    IDC_DIRECTION_GROUP = 1003,
    IDC_LEFT = 1004,
    IDC_RIGHT = 1005,
    IDC_COUNTRY = 1006,
    IDC_FACTOR = 1007,
    IDC_COUNT = 1008,
    IDC_COUNT_SPIN = 1009,
    IDC_SLIDER = 1010,
    IDC_PROGRESS = 1011,
    IDC_TABS = 1012,
    IDC_TREE = 1013,
    IDC_LIST = 1014,
    IDC_LISTBOX = 1015,
    IDC_PICTURE = 1016,
    IDC_GRID = 1017,
    IDC_NAME_LABEL = 1018,
    IDC_MISSING = 4711,
};

// Registers the test templates and the picture's bitmap (once).
void RegisterTestTemplates();

class TestDialog : public wl::Dialog {
public:
    TestDialog() : wl::Dialog(kTestDialog) {}
    std::string title = "Testdialog der Fensterschicht";
    std::string name = "Träger 1";
    int active = 1;
    int direction = 1;
    int country = 0;
    std::string countryText;
    double factor = 2.5;
    int count = 3;
    int slider = 40;
    bool exchangeMissing = false;
    int oks = 0, cancels = 0, inits = 0;

protected:
    bool OnInitDialog() override {
        ++inits;
        return Dialog::OnInitDialog();
    }
    void OnOK() override {
        ++oks;
        Dialog::OnOK();
    }
    void OnCancel() override {
        ++cancels;
        Dialog::OnCancel();
    }
    void DoDataExchange(wl::DataExchange& dx) override {
        if (exchangeMissing) wl::DDX_Text(dx, IDC_MISSING, name);
        wl::DDX_Text(dx, IDC_TITLE, title);
        wl::DDX_Text(dx, IDC_NAME, name);
        wl::DDX_Check(dx, IDC_ACTIVE, active);
        wl::DDX_Radio(dx, IDC_LEFT, direction);
        wl::DDX_CBIndex(dx, IDC_COUNTRY, country);
        wl::DDX_CBString(dx, IDC_COUNTRY, countryText);
        wl::DDX_Text(dx, IDC_FACTOR, factor);
        wl::DDX_Text(dx, IDC_COUNT, count);
        wl::DDX_Slider(dx, IDC_SLIDER, slider);
    }
};

}  // namespace wltest
