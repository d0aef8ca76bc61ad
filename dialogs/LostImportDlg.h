// The question about taken-over values whose source is gone: the lines of
// those values as a tree (a position's values under its name). "Alle
// entfernen" or the context menu's "Übernahme entfernen" empties lines; the
// caller then takes exactly the emptied values out of the list, the others
// keep their last valid values.
#pragma once

#include <string>
#include <vector>

#include "formula/VarDef.h"
#include "platform/wl/controls.h"
#include "platform/wl/dialog.h"

inline constexpr int IDD_LOST_IMPORT = 562;
inline constexpr int IDC_LOST_TREE = 11159;
inline constexpr int IDC_LOST_REMOVE_ALL = 11160;

class CDlgLostImportVal : public wl::Dialog {
public:
    static constexpr int kCmdRemove = 1;

    CDlgLostImportVal();
    const char* ClassName() const override { return "CDlgLostImportVal"; }

    void SetTexts(const std::vector<std::string>& texts) { m_texts = texts; }
    const std::vector<std::string>& Texts() const { return m_texts; }
    wl::TreeCtrl& Tree() { return m_tree; }

    // pos in screen coordinates; on the tree an item under it offers
    // "Übernahme entfernen" for itself and everything below it.
    void OnContextMenu(wl::Window* w, wl::Point pos) override;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(wl::DataExchange& dx) override;

private:
    void FillTree();

    std::vector<std::string> m_texts;
    wl::TreeCtrl m_tree;
};

// The question asked by the dialog (in a batch run by the message sink,
// which never blocks).
class CLostImportWindow : public CLostImportPrompt {
public:
    int Ask(std::vector<std::string>& lines) override;
};

// Installs the dialog as the question (while windows run); returns the
// previous one. RemoveLostImportWindow puts the sink's back.
CLostImportPrompt* InstallLostImportWindow();
void RemoveLostImportWindow();
