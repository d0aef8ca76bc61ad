#include "formula/Exports.h"

#include <algorithm>

#include "formula/VarDef.h"

namespace {

// The first child of that element name whose "desc" is exactly the text.
ZVELEM FindChildOfKind(ZVELEM parent, const char* name, const std::string& desc)
{
    for (ZVELEM child = ZEVUD_FindFirstChildWithAttr(parent, "desc", desc.c_str()); child;
         child = ZEVUD_FindNextChildWithAttr(child, "desc", desc.c_str())) {
        if (zevud::GetElementName(child) == name) return child;
    }
    return 0;
}

}  // namespace

std::string ExportDescription(const std::string& description)
{
    std::string out = description;
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

ZVELEM WriteExportValue(ZVELEM parent, const std::string& description, const std::string& varName, double value,
                        const std::string& unit)
{
    const std::string desc = ExportDescription(description);
    ZVELEM child = FindChildOfKind(parent, "value", desc);
    if (!child) child = ZEVUD_AddChildElement(parent, "value");
    if (!child) return 0;
    ZEVUD_SetString(child, "desc", desc.c_str());
    ZEVUD_SetString(child, "varName", varName.c_str());
    ZEVUD_SetDouble(child, "val", value);
    ZEVUD_SetString(child, "unit", unit.c_str());
    return child;
}

void WriteExportToFolder(ZVELEM element, const std::string& path, const std::string& description,
                         const std::string& varName, double value, const std::string& unit)
{
    std::string rest = path;
    for (size_t slash = rest.find('\\'); slash != std::string::npos; slash = rest.find('\\')) {
        const std::string name = rest.substr(0, slash);
        ZVELEM folder = FindChildOfKind(element, "folder", name);
        if (!folder) folder = ZEVUD_AddChildElement(element, "folder");
        if (!folder) return;
        ZEVUD_SetString(folder, "desc", name.c_str());
        element = folder;
        rest.erase(0, slash + 1);
    }
    // Text after the last backslash names no folder and is not used.
    WriteExportValue(element, description, varName, value, unit);
}

void CVarDefList::WriteExports(ZVELEM exportsElement) const
{
    for (const auto& slot : m_entries) {
        if (!slot) continue;
        if (slot->m_nType == VARDEF_VARIABLE) {
            const auto* v = static_cast<const CVarDefVariable*>(slot.get());
            if (v->m_bExported)
                WriteExportValue(exportsElement, v->m_strDescription, v->m_strVarName, v->m_value.m_dValue,
                                 v->m_strUnit);
        } else if (slot->m_nType == VARDEF_SUM) {
            const auto* s = static_cast<const CVarDefSum*>(slot.get());
            if (s->m_bExported)
                WriteExportValue(exportsElement, s->m_strDescription, s->m_strVarName, s->m_dValue, s->m_strUnit);
        }
    }
}
