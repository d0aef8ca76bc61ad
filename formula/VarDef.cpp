#include "formula/VarDef.h"

#include <algorithm>
#include <utility>

#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace {

constexpr const char* kApp = "VKT Eingabe";
constexpr const char* kSection = "velor_i_common";

std::string Tr(const char* area, const char* text)
{
    return lingo::Translate(kApp, kSection, area, text);
}

void SetStr(ZVELEM e, const char* key, const std::string& value)
{
    ZEVUD_SetString(e, key, value.c_str());
}

// A picture's bytes; the length comes from the document, so no more is ever
// read than the attribute holds.
void WriteBuffer(ZVELEM e, const std::vector<unsigned char>& buffer)
{
    ZEVUD_SetBinData(e, "fileBuffer", static_cast<int>(buffer.size()), buffer.empty() ? nullptr : buffer.data(),
                     1);
}

// The imported value's variable path: the source path up to and including
// its last backslash, then the variable name.
std::string ImportVariablePath(const CImportValue& value)
{
    size_t slash = value.m_strSourcePath.rfind('\\');
    std::string prefix = slash == std::string::npos ? std::string() : value.m_strSourcePath.substr(0, slash + 1);
    return prefix + value.m_strVarName;
}

VarDefSettingReader& SettingReader()
{
    static VarDefSettingReader reader;
    return reader;
}

int RegistrySetting(const std::string& name, int def)
{
    std::optional<winsys::RegValue> v =
        winsys::RegGetValue(winsys::Hive::CurrentUser, "software\\VKT\\velor2005", name);
    if (!v) return def;
    if (v->type == winsys::RegType::Dword) return static_cast<int>(v->dword);
    if (v->type != winsys::RegType::String) return def;
    std::optional<long long> n = winsys::ParseInt(v->str);
    if (!n || *n < INT32_MIN || *n > INT32_MAX) return def;
    return static_cast<int>(*n);
}

class CMessageSinkLostPrompt : public CLostImportPrompt {
public:
    int Ask(std::vector<std::string>& lines) override
    {
        const char* area = "DlgLostImportVal";
        std::string text = Tr(area,
                              "Die folgenden übernommenen Werte sind nicht mehr verfügbar. Durch die Auswahl von "
                              "\"Alle entfernen\", bzw. \"Rechte Maustaste->Entfernen\" können Sie diese Verweise "
                              "aufheben.");
        text += "\n\n";
        for (const std::string& line : lines) text += line + "\n";
        text += "\n";
        text += Tr(area,
                   "HINWEIS: Falls Sie diese Verweise entfernen, erhalten die Variablen den Wert 0. Andernfalls "
                   "wird mit den zuletzt gültigen Werten gerechnet.");
        text += "\n\n" + Tr(area, "Alle entfernen") + "?";
        // Without a user the references stay: the last valid values are used.
        int answer = winsys::MessageBox(text, Tr(area, "Wertübernahme"), winsys::Buttons::YesNo,
                                        winsys::Icon::Warning, winsys::IdNo);
        if (answer != winsys::IdYes) return winsys::IdCancel;
        for (std::string& line : lines) line.clear();
        return winsys::IdOk;
    }
};

CLostImportPrompt*& InstalledPrompt()
{
    static CLostImportPrompt* prompt = nullptr;
    return prompt;
}

}  // namespace

// ---- settings and the lost-values question ----------------------------------

void SetVarDefSettingReader(VarDefSettingReader reader)
{
    SettingReader() = std::move(reader);
}

int GetVarDefSetting(const std::string& name, int def)
{
    if (SettingReader()) return SettingReader()(name, def);
    return RegistrySetting(name, def);
}

CLostImportPrompt& DefaultLostImportPrompt()
{
    static CMessageSinkLostPrompt prompt;
    return prompt;
}

CLostImportPrompt* SetLostImportPrompt(CLostImportPrompt* prompt)
{
    CLostImportPrompt* previous = InstalledPrompt();
    InstalledPrompt() = prompt;
    return previous;
}

// ---- entries ------------------------------------------------------------------

void CVarDefEntry::CopyBase(const CVarDefEntry& other)
{
    m_nFormat = other.m_nFormat;
    m_nDigits = other.m_nDigits;
    m_nTextHeight = other.m_nTextHeight;
}

void CVarDefEntry::CopyFrom(const CVarDefEntry&) {}

void CVarDefEntry::ReadData(ZVELEM element)
{
    if (ZEVUD_GetInt(element, "type") != m_nType) {
        winsys::MessageBox("Wrong class type in CVarDefEntry::ReadData");
    }
    m_nFormat = ZEVUD_GetInt(element, "format");
    m_nTextHeight = ZEVUD_GetInt(element, "textHeight");
    m_nDigits = ZEVUD_GetIntWithDefault(element, "digits", 2);
}

void CVarDefEntry::WriteData(ZVELEM element) const
{
    ZEVUD_SetInt(element, "type", m_nType);
    ZEVUD_SetInt(element, "format", m_nFormat);
    ZEVUD_SetInt(element, "textHeight", m_nTextHeight);
    ZEVUD_SetInt(element, "digits", m_nDigits);
}

void CVarDefVariable::CopyFrom(const CVarDefEntry& other)
{
    const auto* o = dynamic_cast<const CVarDefVariable*>(&other);
    if (!o || o == this) return;
    CopyBase(*o);
    m_strDescription = o->m_strDescription;
    m_strVarName = o->m_strVarName;
    m_strUnit = o->m_strUnit;
    // The copy keeps its own table: the other entry's may go away first.
    CVariableTable* table = m_value.GetVariableTable();
    m_value = o->m_value;
    m_value.SetVariableTable(table);
    m_bExported = o->m_bExported;
}

void CVarDefVariable::ReadData(ZVELEM element)
{
    CVarDefEntry::ReadData(element);
    m_strDescription = zevud::GetString(element, "desc");
    m_strVarName = zevud::GetString(element, "varName");
    m_value.ReadFromDom(element, "val");
    m_strUnit = zevud::GetString(element, "unit");
    m_bExported = ZEVUD_GetInt(element, "bExported");
}

void CVarDefVariable::WriteData(ZVELEM element) const
{
    CVarDefEntry::WriteData(element);
    SetStr(element, "desc", m_strDescription);
    SetStr(element, "varName", m_strVarName);
    m_value.WriteToDom(element, "val");
    SetStr(element, "unit", m_strUnit);
    ZEVUD_SetInt(element, "bExported", m_bExported);
}

void CVarDefTitle::CopyFrom(const CVarDefEntry& other)
{
    const auto* o = dynamic_cast<const CVarDefTitle*>(&other);
    if (!o || o == this) return;
    CopyBase(*o);
    m_strTitle = o->m_strTitle;
}

void CVarDefTitle::ReadData(ZVELEM element)
{
    CVarDefEntry::ReadData(element);
    m_strTitle = zevud::GetString(element, "title");
}

void CVarDefTitle::WriteData(ZVELEM element) const
{
    CVarDefEntry::WriteData(element);
    SetStr(element, "title", m_strTitle);
}

void CVarDefValue::CopyFrom(const CVarDefEntry& other)
{
    const auto* o = dynamic_cast<const CVarDefValue*>(&other);
    if (!o || o == this) return;
    CopyBase(*o);
    m_strDescription = o->m_strDescription;
    m_strUnit = o->m_strUnit;
    CVariableTable* table = m_value.GetVariableTable();
    m_value = o->m_value;
    m_value.SetVariableTable(table);
}

void CVarDefValue::ReadData(ZVELEM element)
{
    CVarDefEntry::ReadData(element);
    m_strDescription = zevud::GetString(element, "desc");
    m_value.ReadFromDom(element, "val");
    m_strUnit = zevud::GetString(element, "unit");
}

void CVarDefValue::WriteData(ZVELEM element) const
{
    CVarDefEntry::WriteData(element);
    SetStr(element, "desc", m_strDescription);
    m_value.WriteToDom(element, "val");
    SetStr(element, "unit", m_strUnit);
}

void CVarDefText::CopyFrom(const CVarDefEntry& other)
{
    const auto* o = dynamic_cast<const CVarDefText*>(&other);
    if (!o || o == this) return;
    CopyBase(*o);
    m_strText = o->m_strText;
}

void CVarDefText::ReadData(ZVELEM element)
{
    CVarDefEntry::ReadData(element);
    m_strText = zevud::GetString(element, "text");
}

void CVarDefText::WriteData(ZVELEM element) const
{
    CVarDefEntry::WriteData(element);
    SetStr(element, "text", m_strText);
}

void CVarDefPictureFile::CopyFrom(const CVarDefEntry& other)
{
    const auto* o = dynamic_cast<const CVarDefPictureFile*>(&other);
    if (!o || o == this) return;
    CopyBase(*o);
    m_strFileName = o->m_strFileName;
    m_fileBuffer = o->m_fileBuffer;
    m_dWidth = o->m_dWidth;
    m_dHeight = o->m_dHeight;
}

void CVarDefPictureFile::ReadData(ZVELEM element)
{
    CVarDefEntry::ReadData(element);
    m_fileBuffer = zevud::GetBinData(element, "fileBuffer");
    m_strFileName = zevud::GetString(element, "fileName");
    m_dWidth = ZEVUD_GetDouble(element, "dWidth");
    m_dHeight = ZEVUD_GetDouble(element, "dHeight");
}

void CVarDefPictureFile::WriteData(ZVELEM element) const
{
    CVarDefEntry::WriteData(element);
    WriteBuffer(element, m_fileBuffer);
    SetStr(element, "fileName", m_strFileName);
    ZEVUD_SetDouble(element, "dWidth", m_dWidth);
    ZEVUD_SetDouble(element, "dHeight", m_dHeight);
}

void CVarDefPicture::CopyFrom(const CVarDefEntry& other)
{
    const auto* o = dynamic_cast<const CVarDefPicture*>(&other);
    if (!o || o == this) return;
    CopyBase(*o);
    m_fileBuffer = o->m_fileBuffer;
    m_dWidth = o->m_dWidth;
    m_dHeight = o->m_dHeight;
}

void CVarDefPicture::ReadData(ZVELEM element)
{
    CVarDefEntry::ReadData(element);
    m_fileBuffer = zevud::GetBinData(element, "fileBuffer");
    m_dWidth = ZEVUD_GetDouble(element, "dWidth");
    m_dHeight = ZEVUD_GetDouble(element, "dHeight");
}

void CVarDefPicture::WriteData(ZVELEM element) const
{
    CVarDefEntry::WriteData(element);
    WriteBuffer(element, m_fileBuffer);
    ZEVUD_SetDouble(element, "dWidth", m_dWidth);
    ZEVUD_SetDouble(element, "dHeight", m_dHeight);
}

void CVarDefImport::CopyFrom(const CVarDefEntry& other)
{
    const auto* o = dynamic_cast<const CVarDefImport*>(&other);
    if (!o || o == this) return;
    CopyBase(*o);
    m_import = o->m_import;
}

void CVarDefImport::ReadData(ZVELEM element)
{
    CVarDefEntry::ReadData(element);
    m_import.ReadData(element);
}

void CVarDefImport::WriteData(ZVELEM element) const
{
    CVarDefEntry::WriteData(element);
    m_import.WriteData(element);
}

void CVarDefSum::CopyFrom(const CVarDefEntry& other)
{
    const auto* o = dynamic_cast<const CVarDefSum*>(&other);
    if (!o || o == this) return;
    CopyBase(*o);
    m_strDescription = o->m_strDescription;
    m_strVarName = o->m_strVarName;
    m_strUnit = o->m_strUnit;
    m_bExported = o->m_bExported;
    m_dValue = o->m_dValue;
}

void CVarDefSum::ReadData(ZVELEM element)
{
    CVarDefEntry::ReadData(element);
    m_strDescription = zevud::GetString(element, "desc");
    m_strVarName = zevud::GetString(element, "varName");
    m_strUnit = zevud::GetString(element, "unit");
    m_dValue = ZEVUD_GetDouble(element, "val");
    m_bExported = ZEVUD_GetInt(element, "bExported");
}

void CVarDefSum::WriteData(ZVELEM element) const
{
    CVarDefEntry::WriteData(element);
    SetStr(element, "desc", m_strDescription);
    SetStr(element, "varName", m_strVarName);
    SetStr(element, "unit", m_strUnit);
    ZEVUD_SetDouble(element, "val", m_dValue);
    ZEVUD_SetInt(element, "bExported", m_bExported);
}

std::unique_ptr<CVarDefEntry> CreateVarDefEntry(int type)
{
    switch (type) {
    case VARDEF_VARIABLE: return std::make_unique<CVarDefVariable>();
    case VARDEF_TITLE: return std::make_unique<CVarDefTitle>();
    case VARDEF_VALUE: return std::make_unique<CVarDefValue>();
    case VARDEF_TEXT: return std::make_unique<CVarDefText>();
    case VARDEF_PICTUREFILE: return std::make_unique<CVarDefPictureFile>();
    case VARDEF_PICTURE: return std::make_unique<CVarDefPicture>();
    case VARDEF_IMPORT: return std::make_unique<CVarDefImport>();
    case VARDEF_SUM: return std::make_unique<CVarDefSum>();
    default: return nullptr;
    }
}

// ---- the list -------------------------------------------------------------------

CVarDefList::CVarDefList()
{
    m_table.SetParent(&GetGlobalVariableTable());
}

CVarDefList::~CVarDefList()
{
    // Entries first: their tables and values point at each other and at the
    // list's table.
    m_entries.clear();
}

CVarDefEntry* CVarDefList::GetAt(int index) const
{
    if (index < 0 || index >= GetSize()) return nullptr;
    return m_entries[static_cast<size_t>(index)].get();
}

void CVarDefList::SetSize(int n)
{
    m_entries.resize(static_cast<size_t>(std::max(n, 0)));
    LinkTables(false);
}

void CVarDefList::SetEntryType(int index, int type)
{
    if (index < 0 || index >= GetSize()) return;
    auto& slot = m_entries[static_cast<size_t>(index)];
    if (slot && slot->m_nType == type) return;
    slot = CreateVarDefEntry(type);
    LinkTables(false);
}

int CVarDefList::Add(std::unique_ptr<CVarDefEntry> entry)
{
    // Only the new last row needs linking: to the table of the last
    // variable-like row above it, or to the list's table.
    CVariableTable* seen = &m_table;
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (!*it) continue;
        if ((*it)->m_nType == VARDEF_VARIABLE) seen = &static_cast<CVarDefVariable*>(it->get())->m_table;
        else if ((*it)->m_nType == VARDEF_SUM) seen = &static_cast<CVarDefSum*>(it->get())->m_table;
        else continue;
        break;
    }
    if (entry) {
        if (entry->m_nType == VARDEF_VARIABLE) {
            auto* v = static_cast<CVarDefVariable*>(entry.get());
            v->m_value.SetVariableTable(seen);
            v->m_table.SetParent(seen);
        } else if (entry->m_nType == VARDEF_VALUE) {
            static_cast<CVarDefValue*>(entry.get())->m_value.SetVariableTable(seen);
        } else if (entry->m_nType == VARDEF_SUM) {
            static_cast<CVarDefSum*>(entry.get())->m_table.SetParent(seen);
        }
    }
    m_entries.push_back(std::move(entry));
    return GetSize() - 1;
}

int CVarDefList::InsertAt(int index, std::unique_ptr<CVarDefEntry> entry)
{
    if (index < 0 || index >= GetSize()) return Add(std::move(entry));
    m_entries.insert(m_entries.begin() + index, std::move(entry));
    LinkTables(false);
    return index;
}

void CVarDefList::RemoveAt(int index)
{
    if (index < 0 || index >= GetSize()) return;
    // Out of the array first, so that no entry left points at its tables
    // once it is deleted.
    std::unique_ptr<CVarDefEntry> gone = std::move(m_entries[static_cast<size_t>(index)]);
    m_entries.erase(m_entries.begin() + index);
    LinkTables(false);
}

void CVarDefList::RemoveAll()
{
    m_entries.clear();
}

void CVarDefList::ReadOldForm(ZVELEM vardef)
{
    int count = ZEVUD_GetInt(vardef, "numOfVars");
    int skipped = 0;
    if (count < 0 || count > kMaxVarDefSlots) {
        count = std::clamp(count, 0, kMaxVarDefSlots);
        ++skipped;
    }
    m_entries.clear();
    m_entries.resize(static_cast<size_t>(count));
    for (ZVELEM var = ZEVUD_FindFirstChild(vardef, "var"); var; var = ZEVUD_FindNextChild(var, "var")) {
        int idx = ZEVUD_GetInt(var, "idx");
        if (idx < 0 || idx >= count) {
            ++skipped;
            continue;
        }
        std::unique_ptr<CVarDefEntry> entry;
        if (ZEVUD_GetInt(var, "bHeader")) {
            auto title = std::make_unique<CVarDefTitle>();
            title->m_strTitle = zevud::GetString(var, "name");
            entry = std::move(title);
        } else {
            auto variable = std::make_unique<CVarDefVariable>();
            variable->m_strDescription = zevud::GetString(var, "name");
            variable->m_strVarName = zevud::GetString(var, "shortName");
            variable->m_value.ReadFromDom(var, "val");
            variable->m_strUnit = zevud::GetString(var, "unit");
            entry = std::move(variable);
        }
        if (m_entries[static_cast<size_t>(idx)]) ++skipped;
        m_entries[static_cast<size_t>(idx)] = std::move(entry);
    }
    if (skipped) {
        const char* format = "Die Variablendefinitionen der Position sind beschädigt: %d Einträge konnten nicht "
                             "gelesen werden.";
        winsys::MessageBox(lingo::FormatTranslated(format, Tr("VarDefList", format), skipped));
    }
}

void CVarDefList::ReadData(ZVELEM inputElement)
{
    ZVELEM vardef = ZEVUD_FindFirstChild(inputElement, "vardef");
    if (!vardef || ZEVUD_FindNextChild(vardef, "vardef")) return;

    if (ZEVUD_GetDouble(vardef, "version") == 0.0) {
        ReadOldForm(vardef);
    } else {
        int count = ZEVUD_GetInt(vardef, "numOfEntries");
        // Count out of range: entries that do not fit are reported.
        int lost = 0;
        if (count < 0 || count > kMaxVarDefSlots) {
            count = std::clamp(count, 0, kMaxVarDefSlots);
            ++lost;
        }
        m_entries.clear();
        m_entries.resize(static_cast<size_t>(count));
        for (ZVELEM e = ZEVUD_FindFirstChild(vardef, "entry"); e; e = ZEVUD_FindNextChild(e, "entry")) {
            std::unique_ptr<CVarDefEntry> entry = CreateVarDefEntry(ZEVUD_GetInt(e, "type"));
            if (!entry) continue;  // a kind this program does not know
            entry->ReadData(e);
            int idx = ZEVUD_GetInt(e, "idx");
            if (idx < 0 || idx >= count) {
                ++lost;
                continue;
            }
            if (m_entries[static_cast<size_t>(idx)]) ++lost;
            m_entries[static_cast<size_t>(idx)] = std::move(entry);
        }
        if (lost) {
            const char* format = "Die Variablendefinitionen der Position sind beschädigt: %d Einträge konnten "
                                 "nicht gelesen werden.";
            winsys::MessageBox(lingo::FormatTranslated(format, Tr("VarDefList", format), lost));
        }
    }
    m_bPageBreak = ZEVUD_GetInt(vardef, "bPageBreak");
    LinkTables(false);
}

void CVarDefList::WriteData(ZVELEM inputElement) const
{
    for (ZVELEM old = ZEVUD_FindFirstChild(inputElement, "vardef"); old;
         old = ZEVUD_FindFirstChild(inputElement, "vardef")) {
        if (!ZEVUD_DeleteElement(old)) break;
    }
    if (m_entries.empty()) return;

    ZVELEM vardef = ZEVUD_AddChildElement(inputElement, "vardef");
    ZEVUD_SetDouble(vardef, "version", 1.1);
    ZEVUD_SetInt(vardef, "numOfEntries", GetSize());
    for (int i = 0; i < GetSize(); ++i) {
        const CVarDefEntry* entry = m_entries[static_cast<size_t>(i)].get();
        if (!entry) continue;
        ZVELEM e = ZEVUD_AddChildElement(vardef, "entry");
        ZEVUD_SetInt(e, "idx", i);
        ZEVUD_SetInt(e, "type", entry->m_nType);
        entry->WriteData(e);
    }
    ZEVUD_SetInt(vardef, "bPageBreak", m_bPageBreak);
}

void CVarDefList::LinkTables(bool evaluate)
{
    m_table.SetParent(&GetGlobalVariableTable());
    CVariableTable* seen = &m_table;
    double sum = 0;
    for (auto& slot : m_entries) {
        CVarDefEntry* entry = slot.get();
        if (!entry) continue;
        switch (entry->m_nType) {
        case VARDEF_VARIABLE: {
            auto* v = static_cast<CVarDefVariable*>(entry);
            v->m_value.SetVariableTable(seen);
            v->m_table.SetParent(seen);
            if (evaluate) {
                double value = v->m_value.GetValue();
                v->m_table.Define(v->m_strVarName, v->m_strDescription, v->m_strUnit, value);
                sum += value;
            }
            seen = &v->m_table;
            break;
        }
        case VARDEF_VALUE: {
            auto* v = static_cast<CVarDefValue*>(entry);
            v->m_value.SetVariableTable(seen);
            if (evaluate) sum += v->m_value.GetValue();
            break;
        }
        case VARDEF_IMPORT:
            sum += static_cast<CVarDefImport*>(entry)->m_import.m_dValue;
            break;
        case VARDEF_SUM: {
            auto* s = static_cast<CVarDefSum*>(entry);
            s->m_table.SetParent(seen);
            if (evaluate) {
                s->m_dValue = sum;
                s->m_table.Define(s->m_strVarName, s->m_strDescription, s->m_strUnit, s->m_dValue);
            }
            seen = &s->m_table;
            break;
        }
        default:  // titles, texts and pictures start a new sum
            sum = 0;
            break;
        }
    }
}

void CVarDefList::DefineVariables()
{
    for (auto& slot : m_entries) {
        if (!slot) continue;
        if (slot->m_nType == VARDEF_VARIABLE) static_cast<CVarDefVariable*>(slot.get())->m_table.RemoveAll();
        if (slot->m_nType == VARDEF_SUM) static_cast<CVarDefSum*>(slot.get())->m_table.RemoveAll();
    }
    m_table.RemoveAll();
    m_table.SetParent(&GetGlobalVariableTable());

    for (auto& slot : m_entries) {
        if (!slot || slot->m_nType != VARDEF_IMPORT) continue;
        const CImportValue& v = static_cast<CVarDefImport*>(slot.get())->m_import;
        m_table.Define(ImportVariablePath(v), v.m_strDescription, v.m_strUnit, v.m_dValue);
    }
    LinkTables(true);
}

void CVarDefList::CollectVariables(std::vector<std::string>& names, std::vector<std::string>& descriptions,
                                   std::vector<std::string>& units, std::vector<double>& values,
                                   bool exportedOnly)
{
    DefineVariables();
    names.clear();
    descriptions.clear();
    units.clear();
    values.clear();
    auto append = [&](const std::string& name, const std::string& desc, const std::string& unit, double value) {
        names.push_back(name);
        descriptions.push_back(desc);
        units.push_back(unit);
        values.push_back(value);
    };
    for (auto& slot : m_entries) {
        if (!slot) continue;
        if (slot->m_nType == VARDEF_VARIABLE) {
            auto* v = static_cast<CVarDefVariable*>(slot.get());
            if (!exportedOnly || v->m_bExported)
                append(v->m_strVarName, v->m_strDescription, v->m_strUnit, v->m_value.GetValue());
        } else if (slot->m_nType == VARDEF_SUM) {
            auto* s = static_cast<CVarDefSum*>(slot.get());
            if (!exportedOnly || s->m_bExported) append(s->m_strVarName, s->m_strDescription, s->m_strUnit, s->m_dValue);
        } else if (slot->m_nType == VARDEF_IMPORT) {
            const CImportValue& v = static_cast<CVarDefImport*>(slot.get())->m_import;
            append(ImportVariablePath(v), v.m_strDescription, v.m_strUnit, v.m_dValue);
        }
    }
}

void CVarDefList::GetImportedValues(std::vector<CImportValue>& values) const
{
    values.clear();
    for (const auto& slot : m_entries) {
        if (slot && slot->m_nType == VARDEF_IMPORT) values.push_back(static_cast<CVarDefImport*>(slot.get())->m_import);
    }
}

void CVarDefList::RefreshImportedValues()
{
    std::vector<std::string> lines;
    std::vector<int> lineEntries;
    for (int i = 0; i < GetSize(); ++i) {
        CVarDefEntry* entry = m_entries[static_cast<size_t>(i)].get();
        if (!entry || entry->m_nType != VARDEF_IMPORT) continue;
        CImportValue& v = static_cast<CVarDefImport*>(entry)->m_import;
        v.ImportData();
        if (v.m_strMessage.empty()) continue;
        lines.push_back(winsys::FormatC("%s [%s] = %.2lf", v.m_strSourcePath.c_str(), v.m_strUnit.c_str(), v.m_dValue));
        lineEntries.push_back(i);
    }

    if (!lines.empty() && GetVarDefSetting("bLTWarning", 1) && !m_bLostDialogShown) {
        m_bLostDialogShown = 1;
        CLostImportPrompt* prompt = InstalledPrompt() ? InstalledPrompt() : &DefaultLostImportPrompt();
        std::vector<std::string> answer = lines;
        if (prompt->Ask(answer) == winsys::IdOk) {
            // A prompt may hand back fewer lines; only those it returned count.
            for (size_t k = std::min(answer.size(), lineEntries.size()); k-- > 0;) {
                if (answer[k].empty()) RemoveAt(lineEntries[k]);
            }
        }
    }
    DefineVariables();
}
