// The macro dialog, the editor settings and the macro editor.
#include "editor/controls/DlgVBS.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "module/frame/Utilities.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"
#include "platform/wl/ui.h"
#include "platform/zozudeda/zozudeda.h"

namespace {

using wl::Kind;

const wl::TemplateRegistrar kTemplates({
    {CDlgVBS::kTemplateId, "Lua-Makros", 300, 170, 0,
     {
         {-1, Kind::Static,
          "Hier können Sie eigene Funktionen in 'Lua' definieren. Diese können in Quill-Formeln über "
          "'@Funktion(parameter1,...)' aufgerufen werden.",
          7, 7, 230, 26},
         {wl::IDOK, Kind::Button, "OK", 243, 7, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 243, 25, 50, 14},
         {-1, Kind::GroupBox, "Sie haben Zugriff auf Funktionen aus folgenden Dateien", 7, 40, 286, 100},
         {-1, Kind::Static, "VKT Makrodatei", 14, 54, 100, 9},
         {CDlgVBS::kVktFileId, Kind::Edit, "", 14, 65, 200, 12},
         {CDlgVBS::kEditVktId, Kind::Button, "Bearbeiten", 236, 64, 50, 14},
         {-1, Kind::Static, "Benutzer Makrodatei", 14, 83, 100, 9},
         {CDlgVBS::kUserFileId, Kind::Edit, "", 14, 94, 200, 12},
         {CDlgVBS::kBrowseId, Kind::Button, "...", 217, 93, 16, 14},
         {CDlgVBS::kEditUserId, Kind::Button, "Bearbeiten", 236, 93, 50, 14},
         {-1, Kind::Static, "Aktuelles Dokument", 14, 118, 100, 9},
         {CDlgVBS::kEditDocumentId, Kind::Button, "Bearbeiten", 236, 116, 50, 14},
         {CDlgVBS::kHelpId, Kind::Button, "Hilfe", 7, 149, 50, 14},
         {CDlgVBS::kMacroHelpId, Kind::Button, "Lua Hilfe", 63, 149, 60, 14},
     }},
    {CDlgSettings::kTemplateId, "VK-Quill Einstellungen", 430, 150, 0,
     {
         {CDlgSettings::kGenErrorsId, Kind::CheckBox, "Fehlermeldungen im Dokument eintragen", 7, 9, 220, 10},
         {CDlgSettings::kOverwrittenId, Kind::CheckBox, "Vorhandene Variable wird mit einem neuen Wert überschrieben",
          19, 23, 260, 10},
         {CDlgSettings::kUnknownVarId, Kind::CheckBox, "Nicht definierte Variable wird benutzt", 19, 37, 220, 10},
         {CDlgSettings::kLtCmdId, Kind::CheckBox,
          "Lastübernahmeprotokoll über die Zwischenablage kopierbar. Übernahmen werden im Zieldokument automatisch "
          "eingefügt.",
          7, 58, 416, 10},
         {CDlgSettings::kLtHideId, Kind::CheckBox, "Lastübernahmeprotokoll in der Ausgabe ausblenden", 7, 81, 220, 10},
         {-1, Kind::Static, "Anfangsseitennummer:", 7, 102, 80, 9},
         {CDlgSettings::kStartPageId, Kind::Edit, "", 90, 100, 40, 12},
         {wl::IDOK, Kind::Button, "OK", 317, 129, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 373, 129, 50, 14},
     }},
    {CDlgMacroEdit::kTemplateId, "Makro bearbeiten", 360, 260, 0,
     {
         {CDlgMacroEdit::kErrorId, Kind::Static, "", 7, 7, 346, 18},
         {CDlgMacroEdit::kTextId, Kind::Edit, "", 7, 28, 346, 206, wl::kMultiLine},
         {wl::IDOK, Kind::Button, "OK", 247, 239, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 303, 239, 50, 14},
     }},
});

std::string Tr(const char* dialog, const std::string& text) {
    return lingo::Translate("VKT Eingabe", "velor_i_Quill", dialog, text);
}

}  // namespace

// ---- macro dialog -------------------------------------------------------------------------------

CDlgVBS::CDlgVBS(wl::Window*) : wl::Dialog(kTemplateId) {}

void CDlgVBS::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Text(dx, kVktFileId, vktMacroFile);
    wl::DDX_Text(dx, kUserFileId, userMacroFile);
}

bool CDlgVBS::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_Quill", "DlgVBS");
    UpdateData(false);
    return true;
}

bool CDlgVBS::OnCommand(int id, int code) {
    if (code != wl::BN_CLICKED) return wl::Dialog::OnCommand(id, code);
    switch (id) {
        case kBrowseId: BrowseUserFile(); return true;
        case kEditVktId:
        case kEditUserId:
            UpdateData(true);
            EditMacroFile(session, id == kEditVktId ? vktMacroFile : userMacroFile);
            return true;
        case kEditDocumentId: macroText = ZOZUDEDA_EditMacro(session, macroText, "", -1, -1); return true;
        case kHelpId: OpenHelpTopic("vk-quill.chm", "/Visual_Basic_Script.htm"); return true;
        case kMacroHelpId: OpenProgramDocument(kMacroHelpFile); return true;
        default: return wl::Dialog::OnCommand(id, code);
    }
}

void CDlgVBS::BrowseUserFile() {
    UpdateData(true);
    CCurDirKeeper keep;
    wl::FileRequest r;
    r.defaultExt = "bas";
    r.filter = Tr("DlgVBS", "Lua Makrodateien|*.bas;*.lua||");
    r.folder = std::filesystem::path(userMacroFile).parent_path().string();
    const std::optional<std::string> file = wl::GetUi().GetOpenFileName(r, this);
    if (!file || file->empty()) return;
    userMacroFile = *file;
    UpdateData(false);
}

bool EditMacroFile(int session, const std::string& file) {
    std::string text;
    std::error_code ec;
    const bool exists = std::filesystem::exists(file, ec);
    if (exists) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            winsys::MessageBox(winsys::FormatC(Tr("DlgVBS", "Die Datei '%s' kann nicht gelesen werden.").c_str(),
                                               file.c_str()),
                               "", winsys::Buttons::Ok, winsys::Icon::Warning);
            return false;
        }
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::string edited = ZOZUDEDA_EditMacro(session, text, "", -1, -1);
    // Cancelled or unchanged: an existing file stays as it is; a missing
    // one is made, so that the user finds the file named in the dialog.
    if (edited == text && exists) return true;
    std::string reason;
    if (!winsys::WriteFileAtomic(file, edited, reason)) {
        winsys::MessageBox(winsys::FormatC(Tr("DlgVBS", "Die Datei '%s' kann nicht geschrieben werden: %s").c_str(),
                                           file.c_str(), reason.c_str()),
                           "", winsys::Buttons::Ok, winsys::Icon::Warning);
        return false;
    }
    return true;
}

// ---- settings dialog --------------------------------------------------------------------------------

CDlgSettings::CDlgSettings(wl::Window*) : wl::Dialog(kTemplateId) {}

void CDlgSettings::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Check(dx, kGenErrorsId, bGenErrors);
    wl::DDX_Check(dx, kOverwrittenId, bVariableOverwritten);
    wl::DDX_Check(dx, kUnknownVarId, bUnknownVar);
    wl::DDX_Check(dx, kLtCmdId, ltCmd);
    wl::DDX_Check(dx, kLtHideId, ltHide);
    wl::DDX_Text(dx, kStartPageId, startPage);
}

bool CDlgSettings::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_Quill", "DlgSettings");
    CRegSettings& reg = GetRegSettings();
    bGenErrors = reg.GetInt("Quill", "bGenErrors", 1);
    bVariableOverwritten = reg.GetInt("Quill", "bVariableOverwritten", 1);
    bUnknownVar = reg.GetInt("Quill", "bUnknownVar", 1);
    ltCmd = reg.GetInt("Quill", "ltCmd", 0);
    ltHide = reg.GetInt("Quill", "ltHide", 0);
    UpdateData(false);
    EnableSubOptions();
    return true;
}

void CDlgSettings::EnableSubOptions() {
    for (int id : {kOverwrittenId, kUnknownVarId})
        if (wl::Window* w = GetDlgItem(id)) w->EnableWindow(bGenErrors != 0);
}

bool CDlgSettings::OnCommand(int id, int code) {
    if (id == kGenErrorsId && code == wl::BN_CLICKED) {
        UpdateData(true);
        EnableSubOptions();
        return true;
    }
    return wl::Dialog::OnCommand(id, code);
}

void CDlgSettings::OnOK() {
    if (!UpdateData(true)) return;
    CRegSettings& reg = GetRegSettings();
    reg.SetInt("Quill", "bGenErrors", bGenErrors);
    reg.SetInt("Quill", "bVariableOverwritten", bVariableOverwritten);
    reg.SetInt("Quill", "bUnknownVar", bUnknownVar);
    reg.SetInt("Quill", "ltCmd", ltCmd);
    reg.SetInt("Quill", "ltHide", ltHide);
    EndDialog(wl::IDOK);
}

// ---- macro editor -------------------------------------------------------------------------------------

CDlgMacroEdit::CDlgMacroEdit(wl::Window*) : wl::Dialog(kTemplateId) {}

bool CDlgMacroEdit::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_Quill", "DlgMacroEdit");
    SetDlgItemText(kErrorId, errorText);
    QWidget* w = GetDlgItemWidget(kTextId);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->setLineWrapMode(QPlainTextEdit::NoWrap);
        plain->setPlainText(QString::fromUtf8(text.c_str(), static_cast<int>(text.size())));
        if (line > 0) {
            const QTextBlock block = plain->document()->findBlockByNumber(line - 1);
            if (block.isValid()) {
                QTextCursor c(block);
                c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                               std::clamp(column > 0 ? column - 1 : 0, 0, std::max(block.length() - 1, 0)));
                plain->setTextCursor(c);
            }
        }
        plain->setFocus();
    } else {
        SetDlgItemText(kTextId, text);
    }
    return true;
}

void CDlgMacroEdit::OnOK() {
    if (auto* plain = qobject_cast<QPlainTextEdit*>(GetDlgItemWidget(kTextId)))
        text = plain->toPlainText().toStdString();
    else
        text = GetDlgItemText(kTextId);
    EndDialog(wl::IDOK);
}

std::string CDlgMacroEdit::Edit(const std::string& text, const std::string& errorText, int line, int column) {
    CDlgMacroEdit dlg;
    dlg.text = text;
    dlg.errorText = errorText;
    dlg.line = line;
    dlg.column = column;
    return dlg.DoModal() == wl::IDOK ? dlg.text : text;
}

void CDlgMacroEdit::Register() {
    static const bool done = [] {
        ZOZUDEDA_SetMacroEditor(&CDlgMacroEdit::Edit);
        return true;
    }();
    (void)done;
}
