// CQuillDlgImportDoc: the file dialog through which the editor takes over
// the free text of another position, with a read-only preview of the chosen
// position's text below the file list. On "Importieren" the chosen text (or
// the part selected in the preview) goes to the clipboard.
#pragma once

#include <string>
#include <vector>

#include "editor/controls/QuillRichEdit.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"
#include "platform/zevud/zevud.h"

class CSubDlg;

class CQuillDlgImportDoc : public wl::Dialog {
public:
    static constexpr int kTemplateId = 11626;
    static constexpr int kPreviewId = 4677, kFileListId = 1120, kFolderId = 1152, kFileNameId = 1148, kTypeId = 1136;
    // The file dialog grows by these, the preview's place follows from its size.
    static constexpr int kExtraWidth = 100, kExtraHeight = 500;
    static constexpr int kPreviewX = 8, kPreviewAbove = 50, kPreviewWiderThanFrame = 77, kPreviewHeight = 510;

    // bOpen, default extension, file name, flags and filter as a file
    // dialog takes them.
    CQuillDlgImportDoc(bool bOpen, const std::string& defaultExt, const std::string& fileName, unsigned flags,
                       const std::string& filter, wl::Window* parent = nullptr);
    const char* ClassName() const override { return "CQuillDlgImportDoc"; }

    int selectOnly = 0;  // 0 import; otherwise only a file is chosen
    std::string path;    // the file accepted
    std::string folder;  // the folder shown first
    COleRichEditCtrl preview;
    CSubDlg* editor = nullptr;
    // Whether the text was put on the clipboard.
    bool imported = false;

    // The element holding a position's editor text: "input"/"Quill", or
    // "input" itself in a position of the editor's own program before 2.099.
    static ZVELEM EditorElement(ZVDOC doc);
    // The files of the shown folder (full paths), in the list's order.
    const std::vector<std::string>& Files() const { return files_; }
    // A file chosen in the list: the preview shows its text.
    void OnFileChanged(const std::string& file);
    // The chosen file confirmed; false keeps the dialog open.
    bool OnFileNameOK(const std::string& file);
    void ShowFolder(const std::string& folder);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    bool OnNotify(const wl::Notify& n, std::intptr_t& result) override;

private:
    std::string Chosen() const;
    wl::ListBox list_;
    wl::ComboBox type_;
    std::string filter_;
    std::vector<std::string> files_;    // entries of the list: folders first ("..", sub-folders), then files
    std::vector<bool> isFolder_;
};
