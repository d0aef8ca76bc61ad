// CDlgSymbol: the editor's modeless palette of Symbol-font characters
// (Greek letters and signs). Each button inserts its character at the
// editor's selection, a number of points larger than the text there.
#pragma once

#include <vector>

#include "editor/controls/QuillRichEdit.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

class CSubDlg;

class CDlgSymbol : public wl::Dialog {
public:
    static constexpr int kTemplateId = 11513;
    static constexpr int kFirstButtonId = 11570, kLastButtonId = 11714;
    static constexpr int kButtonCount = kLastButtonId - kFirstButtonId + 1;  // 145
    static constexpr int kHeightEditId = 1001, kSpinId = 1003;
    static constexpr int kMaxHeightIncrease = 32;

    // The Symbol-font code a button shows and inserts; 0 for an id that is
    // no symbol button.
    static unsigned char SymbolCode(int controlId);

    // editor: the owning main dialog (its text control receives the symbols
    // and its symbolDlgWanted is cleared when the palette is closed).
    explicit CDlgSymbol(CSubDlg* editor);
    ~CDlgSymbol() override;
    const char* ClassName() const override { return "CDlgSymbol"; }

    wl::SpinButtonCtrl spin;
    int heightIncrease = 2;  // points added to the surrounding text height
    std::vector<CSymbolButton> buttons;
    CSubDlg* editor = nullptr;

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    void DoDataExchange(wl::DataExchange& dx) override;
    bool OnCommand(int id, int code) override;
    void OnDestroy() override;

private:
    // The height increase typed in the edit, or the last valid one.
    int ReadHeightIncrease() const;
};
