// The search and replace dialogs.
#include "editor/controls/DlgSearch.h"

#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

// The controls both dialogs share, below the edits that start at top.
std::vector<wl::ControlTemplate> Options(int top, const char* hint) {
    return {
        {CDlgSearchBase::kCaseId, Kind::CheckBox, "Groß/Kleinschreibung", 7, top, 100, 10},
        {CDlgSearchBase::kWordId, Kind::CheckBox, "Nur ganze Wörter", 7, top + 13, 100, 10},
        {CDlgSearchBase::kWholeTextId, Kind::CheckBox, "Gesamter Text", 7, top + 26, 100, 10},
        {-1, Kind::GroupBox, "Richtung", 120, top - 4, 74, 40},
        {CDlgSearchBase::kUpId, Kind::Radio, "Aufwärts", 127, top + 8, 60, 10, wl::kGroup},
        {CDlgSearchBase::kDownId, Kind::Radio, "Abwärts", 127, top + 21, 60, 10},
        {-1, Kind::Static, hint, 7, top + 44, 190, 9},
    };
}

wl::DialogTemplate SearchTemplate() {
    wl::DialogTemplate t{CDlgSearch::kTemplateId, "Suchen", 256, 92, 0, {}};
    t.controls = {
        {-1, Kind::Static, "Suchtext", 7, 9, 40, 9},
        {CDlgSearchBase::kSearchTextId, Kind::Edit, "", 60, 7, 134, 12},
        {wl::IDOK, Kind::Button, "Suchen", 200, 7, 50, 14, wl::kDefault},
        {wl::IDCANCEL, Kind::Button, "Abbrechen", 200, 25, 50, 14},
    };
    for (const wl::ControlTemplate& c : Options(29, "Hinweis: 'Weitersuchen' mit der Taste F3."))
        t.controls.push_back(c);
    return t;
}

wl::DialogTemplate ReplaceTemplate() {
    wl::DialogTemplate t{CDlgReplace::kTemplateId, "Ersetzen", 256, 124, 0, {}};
    t.controls = {
        {-1, Kind::Static, "Suchtext", 7, 9, 40, 9},
        {CDlgSearchBase::kSearchTextId, Kind::Edit, "", 60, 7, 134, 12},
        {-1, Kind::Static, "Ersetzen mit:", 7, 25, 52, 9},
        {CDlgReplace::kReplaceTextId, Kind::Edit, "", 60, 23, 134, 12},
        {wl::IDOK, Kind::Button, "Suchen", 200, 7, 50, 14, wl::kDefault},
        {wl::IDCANCEL, Kind::Button, "Abbrechen", 200, 25, 50, 14},
    };
    for (const wl::ControlTemplate& c : Options(45, "Hinweis: 'Nochmal Ersetzen' mit der Taste Alt-F3."))
        t.controls.push_back(c);
    t.controls.push_back({CDlgReplace::kAskId, Kind::CheckBox, "Nachfragen", 7, 102, 90, 10});
    t.controls.push_back({CDlgReplace::kAllId, Kind::CheckBox, "Alle ersetzen", 120, 102, 90, 10});
    return t;
}

const wl::TemplateRegistrar kTemplates({SearchTemplate(), ReplaceTemplate()});

}  // namespace

bool CDlgSearchBase::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_Quill", translationName_);
    UpdateData(false);
    EnableDirection();
    return true;
}

void CDlgSearchBase::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Check(dx, kCaseId, bCase);
    wl::DDX_Radio(dx, kUpId, direction);
    wl::DDX_Text(dx, kSearchTextId, searchText);
    wl::DDX_Check(dx, kWordId, bWord);
    wl::DDX_Check(dx, kWholeTextId, bWholeText);
}

void CDlgSearchBase::EnableDirection() {
    for (int id : {kUpId, kDownId})
        if (wl::Window* w = GetDlgItem(id)) w->EnableWindow(bWholeText == 0);
}

bool CDlgSearchBase::OnCommand(int id, int code) {
    if (id == kWholeTextId && code == wl::BN_CLICKED) {
        UpdateData(true);
        EnableDirection();
        return true;
    }
    return wl::Dialog::OnCommand(id, code);
}

CDlgSearch::CDlgSearch(wl::Window*) : CDlgSearchBase(kTemplateId, "DlgSearch") {}

CDlgReplace::CDlgReplace(wl::Window*) : CDlgSearchBase(kTemplateId, "DlgReplace") {}

void CDlgReplace::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Check(dx, kAllId, bAll);
    CDlgSearchBase::DoDataExchange(dx);
    wl::DDX_Check(dx, kAskId, bAsk);
    wl::DDX_Text(dx, kReplaceTextId, replaceText);
}
