// CDlgVBS: the macro files whose functions the editor's formulas may call
// (the maker's and the user's file) and the document's own macro text, each
// edited in the macro editor; CDlgSettings: the editor's switches for error
// marking and the load-transfer protocol, and the document's start page;
// CDlgMacroEdit: the macro editor that the macro layer calls.
#pragma once

#include <string>

#include "platform/wl/dialog.h"

class CDlgVBS : public wl::Dialog {
public:
    static constexpr int kTemplateId = 104;
    static constexpr int kVktFileId = 1009, kUserFileId = 1010;
    static constexpr int kEditVktId = 1011, kEditUserId = 1012, kEditDocumentId = 1013, kBrowseId = 1014;
    static constexpr int kHelpId = 1015, kMacroHelpId = 1016;
    // The help page on the macro form, in the installation root.
    static constexpr const char* kMacroHelpFile = "Lua-Makros.htm";

    explicit CDlgVBS(wl::Window* parent = nullptr);
    const char* ClassName() const override { return "CDlgVBS"; }

    std::string vktMacroFile;
    std::string userMacroFile;
    std::string macroText;
    int session = 0;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    bool OnCommand(int id, int code) override;

private:
    void BrowseUserFile();
};

// A macro file edited in the macro editor: the file's text (empty when it
// does not exist) goes to the editor; what it returns replaces the file
// through a temporary file, so that the old file stays whole when writing
// fails. A cancelled edit or an unchanged text leaves the file untouched.
// false (with a message) when the file could not be written.
bool EditMacroFile(int session, const std::string& file);

class CDlgSettings : public wl::Dialog {
public:
    static constexpr int kTemplateId = 103;
    static constexpr int kGenErrorsId = 1007, kOverwrittenId = 1008, kUnknownVarId = 1009;
    static constexpr int kLtCmdId = 1023, kLtHideId = 1024, kStartPageId = 1025;

    explicit CDlgSettings(wl::Window* parent = nullptr);
    const char* ClassName() const override { return "CDlgSettings"; }

    int bGenErrors = 1;
    int bVariableOverwritten = 1;
    int bUnknownVar = 1;
    int ltCmd = 0;
    int ltHide = 0;
    int startPage = 1;  // set by the caller from the document

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    bool OnCommand(int id, int code) override;

private:
    void EnableSubOptions();
};

// The macro editor: the text in a plain-text field, the error above it and
// the cursor at the error's line and column. OK gives the edited text,
// Abbrechen the text as it came.
class CDlgMacroEdit : public wl::Dialog {
public:
    static constexpr int kTemplateId = 11625;
    static constexpr int kErrorId = 1001, kTextId = 1002;

    explicit CDlgMacroEdit(wl::Window* parent = nullptr);
    const char* ClassName() const override { return "CDlgMacroEdit"; }

    std::string text;
    std::string errorText;
    int line = -1, column = -1;  // 1-based; -1 unknown

    // Runs the editor on a text (the macro layer's editor).
    static std::string Edit(const std::string& text, const std::string& errorText, int line, int column);
    // Makes this dialog the macro layer's editor (once per process).
    static void Register();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};
