#include "formula/ImportValueList.h"

#include <memory>

#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

void AddImportValueToList(CVarDefList& list, const CImportValue& value) {
    bool matched = false;
    bool anyImport = false;
    for (int i = 0; i < list.GetSize(); ++i) {
        CVarDefEntry* entry = list.GetAt(i);
        if (!entry || entry->m_nType != VARDEF_IMPORT) continue;
        anyImport = true;
        auto* import = static_cast<CVarDefImport*>(entry);
        if (winsys::EqualsNoCase(import->m_import.m_strSourcePath, value.m_strSourcePath)) {
            import->m_import = value;
            matched = true;
        }
    }
    if (matched) return;

    const CVarDefEntry* first = list.GetSize() > 0 ? list.GetAt(0) : nullptr;
    if (list.GetSize() > 0 && !anyImport && !(first && first->m_nType == VARDEF_TITLE)) {
        auto title = std::make_unique<CVarDefTitle>();
        title->m_strTitle = lingo::Translate("VKT Eingabe", "velor_i_common", "DlgImportVal", "Lastübernahmen");
        list.Add(std::move(title));
    }
    auto entry = std::make_unique<CVarDefImport>();
    entry->m_import = value;
    list.Add(std::move(entry));
}

void AddImportValueToListAndNotify(const CImportValue& value, CVarDefList& list,
                                   const std::function<void()>& defineVariables) {
    AddImportValueToList(list, value);
    if (defineVariables) defineVariables();
}
