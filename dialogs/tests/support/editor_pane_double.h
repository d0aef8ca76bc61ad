// A stand-in for the editor window of the variable-definition page that
// records its calls, and the user setting "bQuill" for the life of a test.
#pragma once

#include <string>
#include <vector>

#include "dialogs/DlgVarDef.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"

namespace dialogtest {

struct EditorCalls {
    std::vector<std::string> calls;
};

class EditorDouble : public CVarDefEditorPane {
public:
    explicit EditorDouble(EditorCalls& c) : c_(c) {}
    bool Create(wl::Window*, CBaseData* data) override {
        c_.calls.push_back(data ? "create" : "create without data");
        return true;
    }
    void TransferData(bool save) override { c_.calls.push_back(save ? "save" : "fill"); }
    void Show() override { c_.calls.push_back("show"); }
    void Hide() override { c_.calls.push_back("hide"); }
    void Move(const wl::Rect&) override {}

private:
    EditorCalls& c_;
};

struct QuillSetting {
    explicit QuillSetting(int on) { GetRegSettings().SetInt("", "bQuill", on); }
    ~QuillSetting() { GetRegSettings().SetInt("", "bQuill", 0); }
};

}  // namespace dialogtest
