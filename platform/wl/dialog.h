// wl::Dialog: a dialog made from a registered template, modeless (child or
// popup) or modal, with data exchange between members and controls.
//
// Enter reaches OnOK and Escape OnCancel (the close box too), so a dialog
// that must not close overrides them. Buttons IDOK and IDCANCEL call them
// unless a handler is mapped for their ids.
#pragma once

#include <string>

#include "platform/wl/api.h"
#include "platform/wl/templates.h"
#include "platform/wl/window.h"

namespace wl {

class DataExchange;

class WL_API Dialog : public Window {
public:
    explicit Dialog(int templateId = 0);
    ~Dialog() override;
    const char* ClassName() const override { return "Dialog"; }

    int TemplateId() const { return templateId_; }
    // Makes the modeless window: a child of parent when the template has
    // kDlgChild, else a popup owned by parent. Runs OnInitDialog. false
    // with a message for an unknown template or when the window exists.
    bool Create(Window* parent = nullptr);
    bool Create(int templateId, Window* parent);
    // Makes the window as a child of parent whatever the template's style.
    bool CreateChild(Window* parent);

    // Runs the dialog modally through the installed UI service.
    int DoModal();
    // Ends a modal run with result (a modeless dialog is hidden).
    void EndDialog(int result);

    // save = true: controls into members; false: members into controls.
    // false when a value did not read (message shown, focus on the control).
    bool UpdateData(bool save = true);

    // ---- used by the UI services ------------------------------------------
    // Makes the window for a modal run (hidden, owned by owner) and runs OnInitDialog.
    bool BeginModal(Window* owner);
    bool ModalEnded() const { return ended_; }
    int ModalResult() const { return result_; }
    // Ends the modal window and returns the result.
    int FinishModal();

protected:
    virtual bool OnInitDialog();  // default: UpdateData(false); true
    virtual void OnOK();          // default: UpdateData(true), then EndDialog(IDOK)
    virtual void OnCancel();      // default: EndDialog(IDCANCEL)
    virtual void DoDataExchange(DataExchange& dx);
    bool OnCommand(int id, int code) override;
    // Makes the dialog's widget (controls included) without showing it; the
    // default builds it from the template. nullptr after a message.
    virtual QWidget* MakeWidget(QWidget* parent, bool child, bool modal);

private:
    friend class detail::EventHook;
    friend class DialogAccess;
    bool Make(Window* parent, bool modal, bool forceChild = false);

    int templateId_;
    bool ended_ = false;
    int result_ = 0;
    bool inModal_ = false;
};

// State of one UpdateData run.
class WL_API DataExchange {
public:
    DataExchange(Dialog& dlg, bool save) : m_pDlgWnd(&dlg), m_bSaveAndValidate(save) {}
    Dialog* m_pDlgWnd;
    const bool m_bSaveAndValidate;
    bool Failed() const { return failed_; }
    // The control of id; on a missing id the exchange fails with a message.
    QWidget* Control(int id);
    // Stops the exchange: message, focus on control id (none for id <= 0).
    void Fail(int id, const std::string& message);

private:
    bool failed_ = false;
};

// Texts: edit, static, button and combo text. Numbers are written with
// "%d" and "%lg" in the C locale and read with a decimal point or comma.
WL_API void DDX_Text(DataExchange& dx, int id, std::string& value);
WL_API void DDX_Text(DataExchange& dx, int id, int& value);
WL_API void DDX_Text(DataExchange& dx, int id, double& value);
// Check box: 0 clear, 1 set, 2 indeterminate.
WL_API void DDX_Check(DataExchange& dx, int id, int& value);
// Radio group starting at id: index of the checked button, -1 for none.
WL_API void DDX_Radio(DataExchange& dx, int id, int& value);
// Combo: selected index (-1 none) and text.
WL_API void DDX_CBIndex(DataExchange& dx, int id, int& value);
WL_API void DDX_CBString(DataExchange& dx, int id, std::string& value);
// List box: selected index.
WL_API void DDX_LBIndex(DataExchange& dx, int id, int& value);
WL_API void DDX_Slider(DataExchange& dx, int id, int& value);
// Binds a member window to control id (once; later calls do nothing). A
// custom control's placeholder is replaced by the member's widget, which
// keeps the placeholder's id, geometry, visibility and stacking.
WL_API void DDX_Control(DataExchange& dx, int id, Window& member);

}  // namespace wl
