// The symbol palette: template, button codes, settings and insertion.
#include "editor/controls/DlgSymbol.h"

#include <QWidget>
#include <algorithm>

#include "editor/controls/SubDlg.h"
#include "graphics/GradientDlg.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"

namespace {

using wl::Kind;

constexpr int kColumns = 13;
constexpr int kPitchX = 16, kPitchY = 15, kButton = 14;
constexpr int kGreekCount = 11622 - CDlgSymbol::kFirstButtonId;  // 52

wl::DialogTemplate MakeTemplate() {
    wl::DialogTemplate t{CDlgSymbol::kTemplateId, " Sonderzeichen einfügen", 226, 242, 0, {}};
    const int greekRows = (kGreekCount + kColumns - 1) / kColumns;
    const int signCount = CDlgSymbol::kButtonCount - kGreekCount;
    const int signRows = (signCount + kColumns - 1) / kColumns;
    const int greekTop = 5, greekHeight = 14 + greekRows * kPitchY;
    const int signTop = greekTop + greekHeight + 4, signHeight = 14 + signRows * kPitchY;
    t.controls.push_back({-1, Kind::GroupBox, "Griechische Buchstaben", 5, greekTop, 216, greekHeight});
    t.controls.push_back({-1, Kind::GroupBox, "Sonderzeichen", 5, signTop, 216, signHeight});
    for (int i = 0; i < CDlgSymbol::kButtonCount; ++i) {
        const bool greek = i < kGreekCount;
        const int k = greek ? i : i - kGreekCount;
        const int top = (greek ? greekTop : signTop) + 11;
        t.controls.push_back({CDlgSymbol::kFirstButtonId + i, Kind::Button, "", 9 + (k % kColumns) * kPitchX,
                              top + (k / kColumns) * kPitchY, kButton, kButton});
    }
    const int bottom = signTop + signHeight + 6;
    t.controls.push_back({-1, Kind::Static, "Texthöhe der Sonderzeichen vergrößern um ", 7, bottom + 2, 150, 9});
    t.controls.push_back({CDlgSymbol::kHeightEditId, Kind::Edit, "", 160, bottom, 30, 12});
    t.controls.push_back({CDlgSymbol::kSpinId, Kind::UpDown, "", 190, bottom, 10, 12});
    return t;
}

const wl::TemplateRegistrar kTemplate(MakeTemplate());

}  // namespace

unsigned char CDlgSymbol::SymbolCode(int id) {
    if (id >= 11570 && id <= 11595) return static_cast<unsigned char>(id + 47);   // a .. z
    if (id >= 11596 && id <= 11621) return static_cast<unsigned char>(id - 11);   // A .. Z
    if (id >= 11622 && id <= 11713) return static_cast<unsigned char>(id + 59);   // 0xA1 .. 0xFC
    if (id == 11714) return 0x5E;                                                  // perpendicular
    return 0;
}

CDlgSymbol::CDlgSymbol(CSubDlg* owner) : wl::Dialog(kTemplateId), editor(owner) {
    CQuillRichEdit* edit = editor ? &editor->Text() : nullptr;
    buttons.reserve(kButtonCount);
    for (int i = 0; i < kButtonCount; ++i) buttons.emplace_back(edit, SymbolCode(kFirstButtonId + i));
}

CDlgSymbol::~CDlgSymbol() {
    // The settings are written when the window goes, whoever ends it.
    DestroyWindow();
}

void CDlgSymbol::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Control(dx, kSpinId, spin);
    wl::DDX_Text(dx, kHeightEditId, heightIncrease);
}

bool CDlgSymbol::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_Quill", "DlgSymbol");
    // The captions are the Unicode characters, drawn in a face that has the
    // Greek letters and signs ("Symbol" may stand for a face without them).
    const QFont* font = CFontCache::Instance().GetFont("DejaVu Sans", 0, 0, 18, 400);
    for (int i = 0; i < kButtonCount; ++i) {
        wl::Window* b = GetDlgItem(kFirstButtonId + i);
        if (!b) continue;
        if (font) b->SetFont(*font);
        // The button shows the character the Symbol code stands for; the
        // text receives the code in the font "Symbol".
        b->SetWindowText(buttons[static_cast<size_t>(i)].Caption());
    }
    CRegSettings& reg = GetRegSettings();
    if (QWidget* w = Widget()) w->move(reg.GetInt("Quill", "symbolDlgPosX", 300), reg.GetInt("Quill", "symbolDlgPosY", 200));
    heightIncrease = std::clamp(reg.GetInt("Quill", "symbolH", 2), 0, kMaxHeightIncrease);
    UpdateData(false);
    spin.SetRange(0, kMaxHeightIncrease);
    spin.SetPos(heightIncrease);
    return true;
}

int CDlgSymbol::ReadHeightIncrease() const {
    const wl::Window* e = GetDlgItem(kHeightEditId);
    if (!e) return heightIncrease;
    std::string t = e->GetWindowText();
    t.erase(0, t.find_first_not_of(' '));
    t.erase(t.find_last_not_of(' ') + 1);
    size_t used = 0;
    const auto v = winsys::ParseInt(t, &used);
    if (!v || t.empty() || used != t.size() || *v < 0 || *v > kMaxHeightIncrease) return heightIncrease;
    return static_cast<int>(*v);
}

bool CDlgSymbol::OnCommand(int id, int code) {
    if (id >= kFirstButtonId && id <= kLastButtonId && code == wl::BN_CLICKED) {
        if (!UpdateData(true)) return true;  // the edit said what is wrong
        if (heightIncrease < 0 || heightIncrease > kMaxHeightIncrease) {
            heightIncrease = std::clamp(heightIncrease, 0, kMaxHeightIncrease);
            UpdateData(false);
        }
        buttons[static_cast<size_t>(id - kFirstButtonId)].OnClicked(heightIncrease);
        return true;
    }
    return wl::Dialog::OnCommand(id, code);
}

void CDlgSymbol::OnCancel() {
    if (editor) editor->symbolDlgWanted = 0;
    ShowWindow(wl::SW_HIDE);
}

void CDlgSymbol::OnDestroy() {
    // When the owner's window took this one along, the controls and the
    // place are gone already: nothing is stored rather than a wrong place.
    if (!Widget()) return;
    heightIncrease = ReadHeightIncrease();
    CRegSettings& reg = GetRegSettings();
    const wl::Rect r = GetWindowRect();
    reg.SetInt("Quill", "symbolDlgPosX", r.left);
    reg.SetInt("Quill", "symbolDlgPosY", r.top);
    reg.SetInt("Quill", "symbolH", heightIncrease);
}
