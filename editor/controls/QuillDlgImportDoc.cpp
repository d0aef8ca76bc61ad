// The document import: a file list of positions with the preview of the
// chosen position's editor text.
#include "editor/controls/QuillDlgImportDoc.h"

#include <QTextEdit>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "editor/controls/SubDlg.h"
#include "editor/core/EditorDocument.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/wl/templates.h"
#include "platform/wl/translate.h"
#include "platform/wl/ui.h"

namespace fs = std::filesystem;

namespace {

using wl::Kind;

// The file part; the dialog grows below it for the preview.
const wl::TemplateRegistrar kTemplate({
    {CQuillDlgImportDoc::kTemplateId, "Öffnen", 320, 180, 0,
     {
         {-1, Kind::Static, "Suchen in:", 7, 8, 42, 9},
         {CQuillDlgImportDoc::kFolderId, Kind::Edit, "", 50, 6, 200, 12, wl::kReadOnly},
         {CQuillDlgImportDoc::kFileListId, Kind::ListBox, "", 7, 22, 180, 80},
         {-1, Kind::Static, "Dateiname:", 7, 110, 42, 9},
         {CQuillDlgImportDoc::kFileNameId, Kind::Edit, "", 50, 108, 200, 12},
         {-1, Kind::Static, "Dateityp:", 7, 126, 42, 9},
         {CQuillDlgImportDoc::kTypeId, Kind::Combo, "", 50, 124, 200, 40},
         {wl::IDOK, Kind::Button, "Importieren", 263, 6, 50, 14, wl::kDefault},
         {wl::IDCANCEL, Kind::Button, "Abbrechen", 263, 24, 50, 14},
         {CQuillDlgImportDoc::kPreviewId, Kind::Custom, "", 7, 140, 306, 30, 0, {}, "RICHEDIT50W"},
     }},
});

std::string Tr(const std::string& text) {
    return lingo::Translate("VKT Eingabe", "velor_i_Quill", "DlgImportDoc", text);
}

bool IsPosition(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".vkx";
}

std::string Rtf(ZVELEM element) {
    const std::vector<unsigned char> bytes = zevud::GetBinData(element, "rtfData");
    std::string rtf(bytes.begin(), bytes.end());
    rtf.resize(std::strlen(rtf.c_str()));
    return rtf;
}

}  // namespace

CQuillDlgImportDoc::CQuillDlgImportDoc(bool, const std::string&, const std::string& fileName, unsigned,
                                       const std::string& filter, wl::Window*)
    : wl::Dialog(kTemplateId), path(fileName), filter_(filter) {}

void CQuillDlgImportDoc::DoDataExchange(wl::DataExchange& dx) {
    wl::DDX_Control(dx, kPreviewId, preview);
    wl::DDX_Control(dx, kFileListId, list_);
    wl::DDX_Control(dx, kTypeId, type_);
}

ZVELEM CQuillDlgImportDoc::EditorElement(ZVDOC doc) {
    const ZVELEM root = doc ? ZEVUD_GetRootElement(doc) : 0;
    const ZVELEM input = root ? ZEVUD_FindFirstChild(root, "input") : 0;
    if (!input) return 0;
    if (zevud::GetString(root, "progname") == "Quill" && ZEVUD_GetDoubleWithDefault(root, "version", 0.0) < 2.099)
        return input;
    return ZEVUD_FindFirstChild(input, "Quill");
}

bool CQuillDlgImportDoc::OnInitDialog() {
    LINGO_HWNDTranslate(this, "VKT Eingabe", "velor_i_Quill", "DlgImportDoc");
    UpdateData(false);
    // 1. The frame grows for the preview.
    const wl::Rect frame = GetClientRect();
    if (QWidget* w = Widget()) w->resize(frame.Width() + kExtraWidth, frame.Height() + kExtraHeight);
    // 2. The preview below the file part, read-only.
    preview.MoveWindow(kPreviewX, frame.Height() - kPreviewAbove, frame.Width() + kPreviewWiderThanFrame,
                       kPreviewHeight);
    preview.NewDocument();
    preview.SetReadOnly(true);
    // 3. The button says what OK does.
    SetDlgItemText(wl::IDOK, Tr(selectOnly == 0 ? "Importieren" : "Auswählen"));
    // 4. The file list wider.
    const wl::Rect r = list_.GetWindowRect();
    list_.MoveWindow(r.left, r.top, r.Width() + kExtraWidth, r.Height());
    for (const wl::FileFilter& f : wl::ParseFileFilter(filter_)) type_.AddString(f.description);
    type_.SetCurSel(0);
    ShowFolder(folder.empty() ? fs::current_path().string() : folder);
    return true;
}

void CQuillDlgImportDoc::ShowFolder(const std::string& dir) {
    folder = dir;
    files_.clear();
    isFolder_.clear();
    std::vector<std::string> subFolders, positions;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e2;
        if (it->is_directory(e2))
            subFolders.push_back(it->path().string());
        else if (IsPosition(it->path()))
            positions.push_back(it->path().string());
    }
    std::sort(subFolders.begin(), subFolders.end());
    std::sort(positions.begin(), positions.end());
    const bool up = fs::path(dir).has_parent_path() && fs::path(dir).parent_path() != fs::path(dir);
    if (up) {
        files_.push_back(fs::path(dir).parent_path().string());
        isFolder_.push_back(true);
    }
    for (const std::string& s : subFolders) {
        files_.push_back(s);
        isFolder_.push_back(true);
    }
    for (const std::string& p : positions) {
        files_.push_back(p);
        isFolder_.push_back(false);
    }
    if (!Widget()) return;
    SetDlgItemText(kFolderId, dir);
    list_.ResetContent();
    for (size_t i = 0; i < files_.size(); ++i) {
        const std::string name = up && i == 0 ? std::string("..") : fs::path(files_[i]).filename().string();
        list_.AddString(isFolder_[i] ? "[" + name + "]" : name);
    }
}

bool CQuillDlgImportDoc::OnNotify(const wl::Notify& n, std::intptr_t& result) {
    if (n.id == kFileListId && (n.code == wl::LBN_SELCHANGE || n.code == wl::LBN_DBLCLK)) {
        const int i = list_.GetCurSel();
        if (i < 0 || static_cast<size_t>(i) >= files_.size()) return true;
        if (isFolder_[static_cast<size_t>(i)]) {
            if (n.code == wl::LBN_DBLCLK) ShowFolder(files_[static_cast<size_t>(i)]);
            return true;
        }
        SetDlgItemText(kFileNameId, fs::path(files_[static_cast<size_t>(i)]).filename().string());
        if (n.code == wl::LBN_SELCHANGE)
            OnFileChanged(files_[static_cast<size_t>(i)]);
        else
            OnOK();
        return true;
    }
    return wl::Dialog::OnNotify(n, result);
}

void CQuillDlgImportDoc::OnFileChanged(const std::string& file) {
    preview.NewDocument();
    if (!IsPosition(file)) return;
    const ZVDOC doc = ZEVUD_OpenDocQuiet(file.c_str());
    if (!doc) return;
    if (const ZVELEM element = EditorElement(doc)) {
        preview.richedit::RichEdit::SetRtf(Rtf(element));
        // The page's width fills the preview.
        if (QTextEdit* e = preview.Edit()) {
            const int percent = e->viewport()->width() * 100 / 650;
            if (percent >= 11 && percent <= 249) preview.SetZoom(percent);
        }
        preview.EnableWindow(true);
    }
    ZEVUD_CloseDoc(doc);
}

std::string CQuillDlgImportDoc::Chosen() const {
    const std::string name = GetDlgItemText(kFileNameId);
    if (name.empty()) return std::string();
    const fs::path p(name);
    return p.is_absolute() ? name : (fs::path(folder) / p).string();
}

bool CQuillDlgImportDoc::OnFileNameOK(const std::string& file) {
    if (selectOnly == 0 && IsPosition(file)) {
        if (const ZVDOC doc = ZEVUD_OpenDoc(file.c_str())) {
            if (const ZVELEM element = EditorElement(doc)) {
                int start = 0, end = 0;
                preview.GetSel(start, end);
                if (start == end) {
                    // The whole text, with the template's input values asked for.
                    CEditorDocument scratch;
                    scratch.Load(element);
                    if (editor) editor->ApplyInputValues(1, &scratch);
                    if (scratch.pages.GetSize() > 0) preview.richedit::RichEdit::SetRtf(scratch.pages.GetText(0));
                    preview.SetSel(0, -1);
                }
                wl::GetUi().SetClipboardRtf(preview.richedit::RichEdit::GetRtf(true), preview.GetSelText());
                imported = true;
            }
            ZEVUD_CloseDoc(doc);
        }
    }
    path = file;
    return true;
}

void CQuillDlgImportDoc::OnOK() {
    const std::string file = Chosen();
    if (file.empty()) return;
    if (OnFileNameOK(file)) EndDialog(wl::IDOK);
}
