// The editor's main dialog.
#include "editor/controls/SubDlg.h"

#include <QComboBox>
#include <QCursor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <filesystem>
#include <map>

#include "editor/controls/DlgSymbol.h"
#include "editor/controls/DlgVBS.h"
#include "editor/core/EditorDocument.h"
#include "formula/ImportValueList.h"
#include "graphics/PopupMenuBuilder.h"
#include "graphics/core/ProgressDlg.h"
#include "module/BaseData.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/resources.h"
#include "platform/wl/templates.h"
#include "platform/wl/ui.h"
#include "platform/zevud/zevud.h"

namespace {

using wl::Kind;

std::string Tr(const std::string& text) { return lingo::Translate("VKT Eingabe", "velor_i_Quill", "SubDlg", text); }

// The dialog: the text control fills it below the two toolbars; the button
// 1000 is only shown outside the position's page.
const wl::TemplateRegistrar kTemplate({
    {CSubDlg::kTemplateId, "", 420, 260, wl::kDlgChild,
     {
         {CSubDlg::kTextId, Kind::Custom, "", 3, 31, 414, 226, 0, {}, "RICHEDIT50W"},
         {CSubDlg::kHoverId, Kind::Button, "", 407, 0, 13, 12, wl::kHidden},
     }},
});

struct CommandText {
    int id;
    const char* tip;
    const char* label;  // the toolbar image's short text
};

// Tool tips of the commands (the string table under the command's number).
const std::vector<CommandText>& Commands() {
    static const std::vector<CommandText> list = {
        {11503, "[Strg-F] Markierung Fett", "F"},
        {11504, "[Strg-K] Markierung Kursiv", "K"},
        {11505, "[Strg-U] Markierung unterstrichen", "U"},
        {11506, "[Strg-L] Absatz linksbündig", "≡l"},
        {11507, "[Strg-E] Absatz zentrisch", "≡z"},
        {11509, "[Strg-R] Absatz rechtsbündig", "≡r"},
        {11528, "Blocksatz", "≡b"},
        {11522, "Formatvorlage", ""},
        {11524, "Texthöhe", ""},
        {11525, "[F9] Markierung Formel", "ƒ"},
        {11526, "[Strg-+] Markierung tiefgestellt", "x₂"},
        {11527, "[Strg-*] Markierung hochgestellt", "x²"},
        {11529, "[Strg-X] Ausschneiden", "✂"},
        {11535, "[Strg-C] Kopieren Zwischenablage", "C"},
        {11536, "[Strg-V] Einfügen Zwischenablage", "V"},
        {11537, "[Strg-Z] Zurück", "↶"},
        {11538, "Wiederherstellen", "↷"},
        {11530, "Zeilenabstand", "↕"},
        {11531, "Aufzählung", "1."},
        {11532, "Stichpunkte", "•"},
        {11533, "Einrücken", "→"},
        {11534, "Ausrücken", "←"},
        {11539, "Suchen", "?"},
        {11540, "Suchen und Ersetzen", "?→"},
        {11541, "Neue Tabelle einfügen", "▦"},
        {11542, "Markierte Tabelle ändern", "▦?"},
        {11544, "[F5] Dokument berechnen", "="},
        {11545, "Übersicht aller Formeln", "Σ"},
        {11546, "Ansicht zoomen", ""},
        {11547, "Lastübernahme", "LT"},
        {40003, "Öffnet den Dialog 'Visual Basic Scripting'", "VB"},
        {40011, "Einstellungen", "⚙"},
        {40033, "Öffnet die Onlinehilfe", "?"},
        {40044, "Dokument berechnen und Ergebnisdokument öffnen", "=▷"},
        {40049, "Sonderzeichen", "Ω"},
        {40050, "Einfügen", "+"},
        {40051, "Berechne aktuelles Dokument", ""},
    };
    return list;
}

const CommandText* FindCommand(int id) {
    for (const CommandText& c : Commands())
        if (c.id == id) return &c;
    return nullptr;
}

// A small toolbar image of our own: the command's short text on a
// transparent ground.
QImage ButtonImage(const char* label) {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    QFont f("DejaVu Sans");
    f.setPixelSize(std::string(label).size() > 2 ? 8 : 11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(30, 30, 90));
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromUtf8(label));
    return img;
}

// The registered string table of the commands.
void RegisterStrings() {
    static const bool done = [] {
        for (const CommandText& c : Commands()) wl::RegisterString(c.id, c.tip);
        return true;
    }();
    (void)done;
}

const std::vector<std::string>& ZoomEntries() {
    static const std::vector<std::string> z = {"Seitenbreite", "50 %",  "60 %",  "70 %",  "75 %",  "80 %",  "85 %",
                                               "90 %",         "95 %",  "100 %", "105 %", "110 %", "115 %", "120 %",
                                               "125 %",        "130 %", "140 %", "150 %", "200 %"};
    return z;
}

}  // namespace

const std::vector<int>& CSubDlg::Sizes() {
    static const std::vector<int> sizes = {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 36};
    return sizes;
}

CSubDlg::CSubDlg() : wl::Dialog(kTemplateId) {
    RegisterStrings();
    importedValues = [this] {
        std::vector<CImportValue> values;
        if (document_ && document_->GetOwner()) document_->GetOwner()->m_varDefs.GetImportedValues(values);
        return values;
    };
    onLoadTransfer = [this](CImportValue& v) {
        if (document_ && document_->GetOwner()) AddImportValueToList(document_->GetOwner()->m_varDefs, v);
    };
}

CSubDlg::~CSubDlg() = default;

void CSubDlg::ShowSymbolDialog() {
    if (!symbolDlg) {
        auto dlg = std::make_unique<CDlgSymbol>(this);
        if (!dlg->Create(this)) return;
        symbolDlg = std::move(dlg);
        symbolDlgCreated = 1;
        symbolDlgWanted = 1;
    }
    symbolDlg->ShowWindow(wl::SW_SHOW);
}

void CSubDlg::OnShowWindow(bool show) {
    if (!symbolDlg || !symbolDlg->Widget()) return;
    if (!show)
        symbolDlg->ShowWindow(wl::SW_HIDE);
    else if (symbolDlgWanted)
        symbolDlg->ShowWindow(wl::SW_SHOW);
}

std::string CSubDlg::SizeText() const {
    auto* c = sizeCombo_ ? qobject_cast<QComboBox*>(sizeCombo_->Widget()) : nullptr;
    return c ? c->currentText().toStdString() : std::string();
}

bool CSubDlg::OnInitDialog() {
    // With the editor's windows the macro layer gets its editor.
    CDlgMacroEdit::Register();
    // 1. The text control in its place, with a new document.
    {
        wl::DataExchange dx(*this, false);
        wl::DDX_Control(dx, kTextId, text_);
    }
    text_.NewDocument();
    // The right button opens the dialog's menu, also over the text.
    text_.onContextMenu = [this](wl::Point p) { OnContextMenu(&text_, p); };
    if (text_.Edit()) text_.Edit()->setContextMenuPolicy(Qt::NoContextMenu);
    // 3. The toolbars: commands with their tool tips; 0 marks a separator.
    auto tip = [](int id) {
        const CommandText* c = FindCommand(id);
        return c ? Tr(wl::LoadString(id)) : std::string();
    };
    auto label = [](int id) {
        const CommandText* c = FindCommand(id);
        return c ? c->label : "";
    };
    toolbar1_.Create(this, kToolbar1Id);
    const std::vector<int> bar1 = {0, 11529, 11535, 11536, 11537, 11538, 0, 11539, 11540, 0, 11541, 11542, 0, 40011, 11545,
                                   0, 11544, 0, 11525, 11503, 11504, 11505, 11526, 11527, 40049, 0, 40050, 0, 40033};
    for (size_t i = 0; i < bar1.size(); ++i) {
        if (bar1[i] == 0) {
            toolbar1_.AddSeparator();
            continue;
        }
        toolbar1_.AddButton(bar1[i], ButtonImage(label(bar1[i])), tip(bar1[i]), i >= 18 && i <= 24);
    }
    toolbar2_.Create(this, kToolbar2Id);
    const std::vector<int> bar2 = {0, 11522, 0, 11524, 0, 11506, 11507, 11509, 11528, 0, 11530,
                                   11531, 11532, 11533, 11534, 0, 11546, 0, 40003, 11547, 40044};
    // 4., 5. The combos in place of their placeholders.
    std::vector<std::string> styles = {Tr("Standard")};
    for (int k = 1; k <= 9; ++k) styles.push_back(Tr(winsys::FormatC("Überschrift %d", k)));
    std::vector<std::string> sizes;
    for (int s : Sizes()) sizes.push_back(winsys::FormatC("%ld", static_cast<long>(s)));
    std::vector<std::string> zooms = ZoomEntries();
    zooms[0] = Tr(zooms[0]);
    for (size_t i = 0; i < bar2.size(); ++i) {
        const int id = bar2[i];
        if (id == 0) {
            toolbar2_.AddSeparator();
        } else if (id == kStyleComboId) {
            styleCombo_ = toolbar2_.AddCombo(id, 90, styles);
        } else if (id == kSizeComboId) {
            sizeCombo_ = toolbar2_.AddCombo(id, 40, sizes);
        } else if (id == kZoomComboId) {
            zoomCombo_ = toolbar2_.AddCombo(id, 90, zooms);
        } else {
            toolbar2_.AddButton(id, ButtonImage(label(id)), tip(id), i >= 5 && i <= 8);
        }
    }
    for (wl::ComboBox* c : {styleCombo_, sizeCombo_, zoomCombo_})
        if (auto* q = c ? qobject_cast<QComboBox*>(c->Widget()) : nullptr) {
            q->setMaxVisibleItems(30);  // the drop-down reaches far below the bar
            q->setFont(Widget()->font());
            if (c == sizeCombo_) q->setEditable(true);
        }
    // The two bars one above the other in the 50 pixels above the text.
    if (toolbar1_.Widget() && toolbar2_.Widget()) {
        toolbar1_.Widget()->setFixedHeight(25);
        toolbar2_.Widget()->setFixedHeight(25);
        toolbar1_.Widget()->move(0, 0);
        toolbar2_.Widget()->move(0, 25);
    }
    if (styleCombo_) styleCombo_->SetCurSel(0);
    int zoom = GetRegSettings().GetInt("Quill", "iZoom", kDefaultZoomIndex);
    if (zoom < 0 || zoom >= static_cast<int>(ZoomEntries().size())) zoom = kDefaultZoomIndex;
    if (zoomCombo_) zoomCombo_->SetCurSel(zoom);
    // 6. The button for the stand-alone editor stays disabled; the keys.
    toolbar2_.EnableButton(40044, embedded == 0);
    wl::SetAccelerators(*this, {{"Alt+0", 40036}, {"Alt+1", 40037}, {"Alt+2", 40038}, {"Alt+3", 40039},
                                {"Alt+4", 40040}, {"Alt+5", 40041}, {"Alt+6", 40045}, {"Alt+7", 40046},
                                {"Alt+8", 40047}, {"Alt+9", 40048}, {"Alt+M", 40043}, {"Alt+S", 40051},
                                {"F1", 40033}, {"F3", 40035}, {"Alt+F3", 40042}, {"F5", 11544},
                                {"Shift+F5", 40052}, {"F9", 40034}, {"Ctrl+Return", 40001}});
    // 7. The button 1000.
    hoverButton_.SubclassDlgItem(kHoverId, this);
    hoverButton_.ShowWindow(embedded == 0 ? wl::SW_SHOW : wl::SW_HIDE);
    // 2. Lay out once.
    const wl::Rect r = GetClientRect();
    OnSize(0, r.Width(), r.Height());
    return true;
}

void CSubDlg::OnSize(unsigned type, int cx, int cy) {
    wl::Dialog::OnSize(type, cx, cy);
    if (!text_.Widget()) return;
    if (!laidOut_) {
        layout_.AddControl(&text_, 0, 0, 100, 100, 5, 50, -5, -5);
        layout_.AddControl(&hoverButton_, 100, 0, 100, 0, -20, 0, 0, 20);
        laidOut_ = true;
    }
    layout_.Layout(GetClientRect());
    if (zoomCombo_ && zoomCombo_->GetCurSel() == 0) ApplyZoom();
}

void CSubDlg::ApplyZoom() {
    if (!zoomCombo_ || !text_.Edit()) return;
    const int sel = zoomCombo_->GetCurSel();
    int percent = 0;
    if (sel == 0) {
        // The page's width: the text area in pixels for 650 pixels of page.
        percent = text_.Edit()->viewport()->width() * 100 / 650;
    } else {
        const std::string entry = sel > 0 ? zoomCombo_->GetLBText(sel) : std::string();
        percent = winsys::ParseInt(entry.substr(0, entry.find(' '))).value_or(0);
    }
    // A window not laid out yet gives nothing sensible: only 11 % to 249 % apply.
    if (percent >= 11 && percent <= 249) text_.SetZoom(percent);
}

// ---- filling and committing -------------------------------------------------------------------

void CSubDlg::TransferData(bool save) {
    if (!document_) return;
    QTextEdit* e = text_.Edit();
    if (!save) {
        const richedit::RtfReadResult r = text_.SetRtf(document_->pages);
        keepStoredPage_ = document_->pages.GetSize() > 0 && !r.Clean();
        if (e) e->document()->setModified(false);
        if (document_->bConvertedText) {
            // The handed-over listing once through the RTF layer, so that it
            // reads as the control writes text; the clipboard stays untouched.
            const std::string rtf = text_.richedit::RichEdit::GetRtf();
            text_.richedit::RichEdit::SetRtf(rtf);
            keepStoredPage_ = false;
            Calculate();
            document_->bConvertedText = 0;
        }
        document_->RefreshImportedValues();
        if (!keepStoredPage_) Calculate();
        ApplyZoom();
        if (e) e->viewport()->update();
        text_.EnableWindow(true);
        toolbar1_.EnableWindow(true);
        toolbar2_.EnableWindow(true);
        UpdateData(false);
        return;
    }
    UpdateData(true);
    int start = 0, end = 0;
    text_.GetSel(start, end);
    document_->isEmpty = text_.GetText().empty() ? 1 : 0;
    text_.SetSel(start, end);
    // A page that could not be read cleanly stays as stored until edited.
    if (!keepStoredPage_ || (e && e->document()->isModified())) {
        text_.GetRtf(document_->pages);
        keepStoredPage_ = false;
    }
    if (zoomCombo_) GetRegSettings().SetInt("Quill", "iZoom", zoomCombo_->GetCurSel());
}

std::vector<CImportValue> CSubDlg::LoadTransfersOf(const std::vector<std::string>& commands) {
    std::vector<CImportValue> out;
    for (const std::string& c : commands) {
        std::vector<std::string> parts;
        size_t from = 0;
        for (size_t bar = c.find('|'); bar != std::string::npos; bar = c.find('|', from)) {
            parts.push_back(c.substr(from, bar - from));
            from = bar + 1;
        }
        parts.push_back(c.substr(from));
        if (parts.size() != 3 || !winsys::EqualsNoCase(parts[0], "LT")) continue;
        CImportValue v;
        v.m_strSourcePath = parts[1];
        v.m_strVarName = parts[2];
        out.push_back(v);
    }
    return out;
}

void CSubDlg::Calculate() {
    if (!document_) return;
    int start = 0, end = 0;
    text_.GetSel(start, end);
    CProgressDlg progress(CProgressDlg::kCalculateCaptionId);
    progress.Create(GetSafeHwnd());
    progress.SetStep(1);
    progress.SetRange(0, 4);
    progress.StepIt();
    text_.GetRtf(document_->pages);
    progress.StepIt();
    document_->CalcEditorDocument(document_->pages, CQuillRichEdit::kFormulaColour);
    progress.StepIt();
    text_.SetRtf(document_->pages);
    text_.ApplyDisplayMarkers();
    progress.StepIt();
    progress.DestroyWindow();
    text_.SetFocus();
    text_.SetSel(start, end);
    ApplyZoom();
    keepStoredPage_ = false;
    TransferData(true);
    for (CImportValue& v : LoadTransfersOf(text_.CommandList())) {
        v.ImportData();
        if (onLoadTransfer) onLoadTransfer(v);
    }
    if (text_.Edit()) text_.Edit()->viewport()->update();
}

// ---- the toolbar state -----------------------------------------------------------------------------

void CSubDlg::UpdateToolbarState() {
    using namespace richedit;
    const CharFormat cf = text_.GetCharFormat();
    if (cf.mask & CFM_BOLD) bold = (cf.effects & CFE_BOLD) ? 1 : 0;
    if (cf.mask & CFM_ITALIC) italic = (cf.effects & CFE_ITALIC) ? 1 : 0;
    if (cf.mask & CFM_UNDERLINE) underline = (cf.effects & CFE_UNDERLINE) ? 1 : 0;
    toolbar1_.CheckButton(11503, bold);
    toolbar1_.CheckButton(11504, italic);
    toolbar1_.CheckButton(11505, underline);
    subscript = (cf.effects & CFE_SUBSCRIPT) ? 1 : 0;
    superscript = (cf.effects & CFE_SUPERSCRIPT) ? 1 : 0;
    toolbar1_.CheckButton(11526, subscript);
    toolbar1_.CheckButton(11527, superscript);
    if (cf.mask & CFM_FACE) {
        symbolFont = cf.face == "Symbol" ? 1 : 0;
        toolbar1_.CheckButton(40049, symbolFont);
    }
    if (auto* q = sizeCombo_ ? qobject_cast<QComboBox*>(sizeCombo_->Widget()) : nullptr)
        q->setEditText((cf.mask & CFM_SIZE) ? QString::number(cf.height / 20) : QString());
    if (cf.mask & CFM_COLOR) {
        formula = (!(cf.effects & CFE_AUTOCOLOR) && cf.colour == CQuillRichEdit::kFormulaColour) ? 1 : 0;
        toolbar1_.CheckButton(11525, formula);
    }
    const ParaFormat pf = text_.GetParaFormat();
    numbering = pf.numbering;
    toolbar2_.CheckButton(11532, numbering == PFN_BULLET);
    switch (pf.alignment) {
        case PFA_LEFT: alignment = 0; break;
        case PFA_CENTER: alignment = 1; break;
        case PFA_RIGHT: alignment = 2; break;
        case PFA_JUSTIFY: alignment = 3; break;
        default: alignment = -1; break;
    }
    const int ids[4] = {11506, 11507, 11509, 11528};
    for (int k = 0; k < 4; ++k) toolbar2_.CheckButton(ids[k], alignment == k);
    const int level = text_.GetParagraphLevel();
    style = level > 0 ? level - 1 : -1;
    if (styleCombo_) styleCombo_->SetCurSel(style);
    indentStart = pf.startIndent;
    indentOffset = pf.offset;
    if (pf.lineSpacing == 0)
        lineSpacing = pf.lineSpacingRule >= 0 && pf.lineSpacingRule <= 2 ? pf.lineSpacingRule : 0;
    else
        lineSpacing = pf.lineSpacing / 10 - 2;
}

// ---- commands ------------------------------------------------------------------------------------------

bool CSubDlg::OnNotify(const wl::Notify& n, std::intptr_t& result) {
    if (n.id == kTextId && n.code == richedit::EN_SELCHANGE) {
        UpdateToolbarState();
        return true;
    }
    if (n.code == wl::CBN_SELCHANGE && (n.id == kStyleComboId || n.id == kSizeComboId || n.id == kZoomComboId)) {
        Command(n.id);
        return true;
    }
    return wl::Dialog::OnNotify(n, result);
}

bool CSubDlg::OnCommand(int id, int code) {
    if (id == wl::IDOK || id == wl::IDCANCEL) return true;
    if (code == wl::CBN_SELCHANGE || code == 0) {
        Command(id);
        return true;
    }
    return wl::Dialog::OnCommand(id, code);
}

void CSubDlg::SetSize(int index) {
    if (index < 0 || index >= static_cast<int>(Sizes().size())) return;
    text_.SetHeight(Sizes()[static_cast<size_t>(index)] * 20);
}

void CSubDlg::SetStyleIndex(int index) {
    if (index < 0 || index > 9) return;
    text_.SetParagraphLevel(index + 1);
    UpdateToolbarState();
}

void CSubDlg::Indent(int delta) {
    TransferData(true);
    indentStart = std::max(indentStart + delta, 0);
    indentOffset = std::max(indentOffset, 0);
    text_.SetIndents(indentStart, indentOffset);
}

void CSubDlg::SetSubSuper(bool sub, bool on) {
    using namespace richedit;
    const uint32_t effect = on ? (sub ? CFE_SUBSCRIPT : CFE_SUPERSCRIPT) : 0;
    text_.SetEffects(CFM_SUBSCRIPT | CFM_SUPERSCRIPT, effect);
    subscript = sub && on;
    superscript = !sub && on;
    toolbar1_.CheckButton(11526, subscript);
    toolbar1_.CheckButton(11527, superscript);
}

void CSubDlg::Bullets() {
    numbering = numbering == 1 ? 0 : 1;
    text_.SetNumbering(numbering == 1 ? richedit::PFN_BULLET : richedit::PFN_NONE);
    text_.SetIndents(0, numbering == 1 ? 227 : 0);
    toolbar2_.CheckButton(11532, numbering == 1);
}

int CSubDlg::TrackMenu(CPopupMenuBuilder& menu) {
    const QPoint p = QCursor::pos();
    return menu.Track(p.x(), p.y(), this);
}

void CSubDlg::LineSpacingMenu() {
    CPopupMenuBuilder menu;
    const char* items[3] = {"1 - facher Zeilenabstand", "1.5 - facher Zeilenabstand", "2 - facher Zeilenabstand"};
    for (int k = 1; k <= 3; ++k) menu.AddItem(Tr(items[k - 1]), k, false, lineSpacing == k - 1);
    const int k = TrackMenu(menu);
    if (k < 1 || k > 3) return;
    text_.SetLineSpacing(k - 1, (k + 1) * 10);
    lineSpacing = k - 1;
}

void CSubDlg::NumberingMenu() {
    CPopupMenuBuilder menu;
    const char* items[6] = {"Keine Numerierung",     "(1, 2, 3, 4, ...)",    "(a, b, c, d, ...)",
                            "(A, B, C, D, ...)",     "(i, ii, iii, iv, ...)", "(I, II, III, IV, ...)"};
    for (int k = 1; k <= 6; ++k) menu.AddItem(Tr(items[k - 1]), k, false, (numbering == 0 ? 1 : numbering) == k);
    const int k = TrackMenu(menu);
    if (k < 1 || k > 6) return;
    numbering = k == 1 ? 0 : k;
    text_.SetNumbering(numbering);
    text_.SetIndents(indentStart, numbering ? 567 : 0);
    UpdateToolbarState();
}

void CSubDlg::PageBreak() { text_.ReplaceSel(lingo::Translate("VKT Eingabe", "velor_i_Quill", "RichEditCtrl", "[Seitenumbruch]")); }

void CSubDlg::Command(int id) {
    using namespace richedit;
    if (id == 40051 || id == 310) {
        ShowSymbolDialog();
        return;
    }
    if (id == 11547) {
        ValueImport();
        return;
    }
    switch (id) {
        case 11503: text_.SetEffects(CFM_BOLD, toolbar1_.IsButtonChecked(11503) ? CFE_BOLD : 0); break;
        case 11504: text_.SetEffects(CFM_ITALIC, toolbar1_.IsButtonChecked(11504) ? CFE_ITALIC : 0); break;
        case 11505: text_.SetEffects(CFM_UNDERLINE, toolbar1_.IsButtonChecked(11505) ? CFE_UNDERLINE : 0); break;
        case 11526: SetSubSuper(true, toolbar1_.IsButtonChecked(11526)); break;
        case 11527: SetSubSuper(false, toolbar1_.IsButtonChecked(11527)); break;
        case 11506: text_.SetAlignment(PFA_LEFT); UpdateToolbarState(); break;
        case 11507: text_.SetAlignment(PFA_CENTER); UpdateToolbarState(); break;
        case 11509: text_.SetAlignment(PFA_RIGHT); UpdateToolbarState(); break;
        case 11528: text_.SetAlignment(PFA_JUSTIFY); UpdateToolbarState(); break;
        case kStyleComboId: if (styleCombo_) SetStyleIndex(styleCombo_->GetCurSel()); break;
        case kSizeComboId: if (sizeCombo_) SetSize(sizeCombo_->GetCurSel()); break;
        case kZoomComboId: ApplyZoom(); break;
        case 11525: text_.SetFormulaColour(toolbar1_.IsButtonChecked(11525)); formula = toolbar1_.IsButtonChecked(11525); break;
        case 40034:
            toolbar1_.CheckButton(11525, !toolbar1_.IsButtonChecked(11525));
            Command(11525);
            break;
        case 40049: text_.SetFace(toolbar1_.IsButtonChecked(40049) ? "Symbol" : "Arial"); break;
        case 11529: text_.Cut(); break;
        case 11535: text_.Copy(); break;
        case 11536: text_.Paste(); break;
        case 11537: text_.Undo(); break;
        case 11538: text_.Redo(); break;
        case 11530: LineSpacingMenu(); break;
        case 11531: NumberingMenu(); break;
        case 11532: Bullets(); break;
        case 11533: Indent(567); break;
        case 11534: Indent(-567); break;
        case 11544: Calculate(); break;
        case 11539: Find(); break;
        case 40035: FindAgain(); break;
        case 11540: ReplaceText(); break;
        case 40042: ReplaceAgain(); break;
        case 11545: FormulaOverview(); break;
        case 11541: NewTable(); break;
        case 40003: Macros(); break;
        case 40011: Settings(); break;
        case 40043: DatabaseImport(); break;
        case 40052: InputValuesAndRecalculate(); break;
        case 11542: ChangeTable(); break;
        case 40001: PageBreak(); break;
        case 40033: if (Widget() && Widget()->isVisible()) OpenHelpTopic("vk-quill.chm", "H_ufig_gestellte_Fragen.htm"); break;
        case 40036: case 40037: case 40038: case 40039: case 40040: case 40041: SetStyleIndex(id - 40036); break;
        case 40045: case 40046: case 40047: case 40048: SetStyleIndex(id - 40045 + 6); break;
        case 40050: {
            CPopupMenuBuilder menu;
            menu.AddItem(Tr("Sonderzeichen"), 310);
            menu.AddItem(Tr("Datenbank"), 313);
            menu.AddItem(Tr("Dokument\\Aktuelles Projekt"), 330);
            menu.AddItem(Tr("Dokument\\Anwendervorlage"), 331);
            menu.AddItem(Tr("Dokument\\Bibliothek"), 332);
            menu.AddItem(Tr("Übernahmeprotokoll"), 340);
            menu.AddItem(Tr("Seitenumbruch"), 341);
            ContextCommand(TrackMenu(menu));
            break;
        }
        default: break;
    }
}

// ---- context menu ------------------------------------------------------------------------------------------

void CSubDlg::OnContextMenu(wl::Window* /*w*/, wl::Point /*pos*/) {
    UpdateToolbarState();
    CPopupMenuBuilder m;
    m.AddItem(Tr("Kopieren"), 100);
    m.AddItem(Tr("Einfügen"), 101);
    m.AddItem(Tr("Aussschneiden"), 102);
    m.AddItem(Tr("Als Baustein speichern"), 103);
    m.AddItem("-", 0, true);
    m.AddItem(Tr("Löschen"), 104);
    m.AddItem(Tr("Alles Löschen"), 105);
    m.AddItem("--", 0, true);
    m.AddItem(Tr("Formel"), 107, false, formula != 0);
    m.AddItem(Tr("Setze Bereich für SUMME"), 108);
    for (int k = 0; k <= 9; ++k)
        m.AddItem(Tr("Formatvorlage") + "\\" + (k == 0 ? Tr("Standard") : Tr(winsys::FormatC("Überschrift %d", k))),
                  200 + k, false, style == k);
    for (size_t k = 0; k < Sizes().size(); ++k) {
        const std::string s = winsys::FormatC("%ld", static_cast<long>(Sizes()[k]));
        m.AddItem(Tr("Texthöhe") + "\\" + s, 210 + static_cast<int>(k), false, SizeText() == s);
    }
    const char* align[4] = {"Links", "Zentrisch", "Rechts", "Block"};
    for (int k = 0; k < 4; ++k) m.AddItem(Tr("Ausrichtung") + "\\" + Tr(align[k]), 300 + k, false, alignment == k);
    m.AddItem(Tr("Formatierung") + "\\" + Tr("Fett"), 304, false, bold != 0);
    m.AddItem(Tr("Formatierung") + "\\" + Tr("Kursiv"), 305, false, italic != 0);
    m.AddItem(Tr("Formatierung") + "\\" + Tr("Unterstrichen"), 306, false, underline != 0);
    m.AddItem(Tr("Formatierung") + "\\" + Tr("Hochgestellt"), 307, false, superscript != 0);
    m.AddItem(Tr("Formatierung") + "\\" + Tr("Tiefgestellt"), 308, false, subscript != 0);
    m.AddItem(Tr("Tabellenbreiten ändern"), 309);
    m.AddItem(Tr("In Ausgabe verbergen"), 106);
    m.AddItem("---", 0, true);
    m.AddItem(Tr("Einfügen ") + "\\" + Tr("Sonderzeichen"), 310);
    m.AddItem(Tr("Einfügen ") + "\\" + Tr("Tabelle"), 311);
    m.AddItem(Tr("Einfügen ") + "\\" + Tr("Datenbank"), 313);
    m.AddItem(Tr("Einfügen ") + "\\" + Tr("Dokument\\Aktuelles Projekt"), 330);
    m.AddItem(Tr("Einfügen ") + "\\" + Tr("Dokument\\Anwendervorlage"), 331);
    m.AddItem(Tr("Einfügen ") + "\\" + Tr("Dokument\\Bibliothek"), 332);
    m.AddItem(Tr("Einfügen ") + "\\" + Tr("Übernahmeprotokoll"), 340);
    m.AddItem(Tr("Einfügen ") + "\\" + Tr("Seitenumbruch"), 341);
    m.AddItem(Tr("Wertübernahme") + "\\" + Tr("Einzelwert direkt übernehmen"), 400);
    ContextCommand(TrackMenu(m));
    if (text_.Edit()) text_.Edit()->viewport()->update();
}

void CSubDlg::ContextCommand(int id) {
    using namespace richedit;
    if (id <= 0) return;
    if (id == 40051 || id == 310) {
        ShowSymbolDialog();
        return;
    }
    if (id == 11547) {
        ValueImport();
        return;
    }
    switch (id) {
        case 100: text_.Copy(); break;
        case 101: text_.Paste(); break;
        case 102: text_.Cut(); break;
        case 103: SaveAsBuildingBlock(); break;
        case 104: text_.ReplaceSel(""); break;
        case 105:
            if (winsys::MessageBox(Tr("Soll der gesamte Text wirklich gelöscht werden?"), "", winsys::Buttons::YesNo,
                                   winsys::Icon::Question, winsys::IdNo) == winsys::IdYes)
                text_.NewDocument();
            break;
        case 106: text_.HideSelection(); break;
        case 107: Command(40034); break;
        case 108: text_.MarkSumRange(); break;
        case 304: case 305: case 306: {
            const int button = 11503 + (id - 304);
            toolbar1_.CheckButton(button, !toolbar1_.IsButtonChecked(button));
            Command(button);
            break;
        }
        case 307: toolbar1_.CheckButton(11527, !toolbar1_.IsButtonChecked(11527)); Command(11527); break;
        case 308: toolbar1_.CheckButton(11526, !toolbar1_.IsButtonChecked(11526)); Command(11526); break;
        case 340: InsertLoadTransferProtocol(); break;
        case 309: ChangeTable(); break;
        case 311: NewTable(); break;
        case 313: DatabaseImport(); break;
        case 330: case 331: case 332: InsertDocument(id - 330); break;
        case 400: SingleValue(); break;
        case 341: PageBreak(); break;
        default:
            if (id >= 200 && id <= 209) {
                SetStyleIndex(id - 200);
            } else if (id >= 210 && id <= 222) {
                if (sizeCombo_) sizeCombo_->SetCurSel(id - 210);
                SetSize(id - 210);
            } else if (id >= 300 && id <= 303) {
                const int a[4] = {PFA_LEFT, PFA_CENTER, PFA_RIGHT, PFA_JUSTIFY};
                text_.SetAlignment(a[id - 300]);
                UpdateToolbarState();
            }
            break;
    }
}

// ---- load-transfer protocol ----------------------------------------------------------------------------------

void CSubDlg::InsertLoadTransferProtocol() {
    const std::vector<CImportValue> values = importedValues ? importedValues() : std::vector<CImportValue>();
    if (values.empty()) {
        winsys::MessageBox(Tr("Es sind keine Lastübernahmen in der aktuellen Position vorhanden!"), "",
                           winsys::Buttons::Ok, winsys::Icon::Information);
        return;
    }
    const bool hide = GetRegSettings().GetInt("Quill", "ltHide", 0) != 0;
    const bool cmd = GetRegSettings().GetInt("Quill", "ltCmd", 0) != 0;
    if (hide) text_.ReplaceSel("/*");
    auto replaceAll = [](std::string s, const std::string& from, const std::string& to) {
        for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
            s.replace(at, from.size(), to);
        return s;
    };
    std::vector<std::string> texts;
    for (const CImportValue& v : values) {
        std::string first = replaceAll(v.m_strSourcePath, "\\", " - ");
        if (cmd) {
            const std::string code = replaceAll(
                winsys::FormatC("$C_LT(\"%s\",\"%s\")", v.m_strSourcePath.c_str(), v.m_strVarName.c_str()), "\\", "\\\\");
            first += hide ? code : "\\v " + code + "\\v0 ";
        }
        texts.push_back(first);
        texts.push_back(winsys::FormatC("\\cf%ld %s", 2L, v.m_strVarName.c_str()));
        texts.push_back("==");
        texts.push_back("\\qr #.##");
        texts.push_back(winsys::FormatC("\\qr [%s]\\cf0 ", v.m_strUnit.c_str()));
    }
    InsertTable(text_, static_cast<int>(values.size()), 5, {4422, 2268, 397, 1134, 850}, texts);
    if (hide) text_.ReplaceSel("*/");
}

// ---- building blocks ------------------------------------------------------------------------------------------

void CSubDlg::SaveAsBuildingBlock() {
    CCurDirKeeper keep;
    int start = 0, end = 0;
    text_.GetSel(start, end);
    if (start == end) {
        winsys::MessageBox(Tr("Bitte zunächst den gewünschten Bereich markieren!"), "", winsys::Buttons::Ok,
                           winsys::Icon::Information);
        return;
    }
    wl::FileRequest request;
    request.defaultExt = "vkx";
    request.filter = Tr("VK-VELOR Positionen|*.vkx||");
    const std::optional<std::string> file = wl::GetUi().GetSaveFileName(request, this);
    if (!file || file->empty()) return;
    TransferData(true);
    std::string rtf = text_.richedit::RichEdit::GetRtf(true);
    // The template position; without it, its editor element or its text
    // attribute nothing is written.
    const std::filesystem::path templ = std::filesystem::path(GetDataDir()) / "Vorlagen" / "VK-Quill Vorbelegung.vkx";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(templ, ec)) return;
    const ZVDOC doc = ZEVUD_OpenDocQuiet(templ.string().c_str());
    if (!doc) return;
    const ZVELEM root = ZEVUD_GetRootElement(doc);
    const ZVELEM input = root ? ZEVUD_FindFirstChild(root, "input") : 0;
    const ZVELEM quill = input ? ZEVUD_FindFirstChild(input, "Quill") : 0;
    if (quill && ZEVUD_HasAttr(quill, "rtfData")) {
        // Stored as the document stores its page: the text with its NUL.
        rtf.push_back('\0');
        ZEVUD_SetBinData(quill, "rtfData", static_cast<int32_t>(rtf.size()), rtf.data(), 1);
        ZEVUD_SaveCopyAs(doc, file->c_str());
    }
    ZEVUD_CloseDoc(doc);
}
