// An editor main dialog on a document of its own, and RTF pages of lines,
// for the tests of the editor's dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <string>
#include <vector>

#include "editor/controls/SubDlg.h"
#include "editor/core/EditorDocument.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"

namespace editortest {

// RTF of lines, the lines listed in formula marked in the formula colour.
inline std::string Page(const std::vector<std::string>& lines, const std::vector<bool>& formula = {}) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red7\\green13\\blue255;}\\f0\\fs20 ";
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool f = i < formula.size() && formula[i];
        rtf += (f ? "\\cf1 " : "\\cf0 ") + lines[i] + (i + 1 < lines.size() ? "\\par " : "");
    }
    return rtf + "}";
}

struct Editor {
    Editor() {
        GetRegSettings().SetInt("Quill", "iZoom", 9);
        EXPECT_TRUE(dlg.Create(nullptr));
        dlg.Widget()->resize(760, 420);
        dlg.SetDocument(&doc);
    }
    void Fill(const std::string& rtf) {
        doc.pages.RemoveAll();
        if (!rtf.empty()) doc.pages.AddText(rtf);
        dlg.TransferData(false);
    }
    std::string Text() { return dlg.Text().GetText(); }
    std::pair<int, int> Sel() {
        int s = 0, e = 0;
        dlg.Text().GetSel(s, e);
        return {s, e};
    }
    void CaretToEnd() {
        int s = 0, e = 0;
        dlg.Text().SetSel(0, -1);
        dlg.Text().GetSel(s, e);
        dlg.Text().SetSel(e, e);
    }
    CEditorDocument doc;
    CSubDlg dlg;
};

}  // namespace editortest
