#include "formula/ImportValue.h"

#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/results_tie.h"

namespace {

// Closes a document on every way out of a scope.
class CDocCloser {
public:
    explicit CDocCloser(ZVDOC doc) : m_doc(doc) {}
    ~CDocCloser()
    {
        if (m_doc) ZEVUD_CloseDoc(m_doc);
    }
    CDocCloser(const CDocCloser&) = delete;
    CDocCloser& operator=(const CDocCloser&) = delete;

private:
    ZVDOC m_doc;
};

// The first child of that element name whose "desc" is exactly the text.
ZVELEM FindChildByDesc(ZVELEM parent, const char* name, const std::string& desc)
{
    for (ZVELEM child = ZEVUD_FindFirstChildWithAttr(parent, "desc", desc.c_str()); child;
         child = ZEVUD_FindNextChildWithAttr(child, "desc", desc.c_str())) {
        if (zevud::GetElementName(child) == name) return child;
    }
    return 0;
}

std::string TranslateImport(const char* text)
{
    return lingo::Translate("VKT Eingabe", "velor_i_common", "ImportData", text);
}

// Length of the UTF-8 sequence that starts at s[i] (1 for a byte that starts
// no valid sequence).
size_t Utf8Length(const std::string& s, size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n = 1;
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) n = 3;
    else if (c >= 0xF0 && c <= 0xF4) n = 4;
    if (n == 1 || i + n > s.size()) return 1;
    for (size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    }
    return n;
}

}  // namespace

CImportValue& CImportValue::operator=(const CImportValue& other)
{
    if (this == &other) return *this;
    m_strSourcePath = other.m_strSourcePath;
    m_strDescription = other.m_strDescription;
    m_strVarName = other.m_strVarName;
    m_dValue = other.m_dValue;
    m_strUnit = other.m_strUnit;
    return *this;
}

void CImportValue::ReadData(ZVELEM element)
{
    m_strSourcePath = zevud::GetString(element, "varPath");
    m_strDescription = zevud::GetString(element, "desc");
    m_strVarName = zevud::GetString(element, "varName");
    m_dValue = ZEVUD_GetDouble(element, "value");
    m_strUnit = zevud::GetString(element, "unit");
}

void CImportValue::WriteData(ZVELEM element) const
{
    ZEVUD_SetString(element, "varPath", m_strSourcePath.c_str());
    ZEVUD_SetString(element, "desc", m_strDescription.c_str());
    ZEVUD_SetString(element, "varName", m_strVarName.c_str());
    ZEVUD_SetDouble(element, "value", m_dValue);
    ZEVUD_SetString(element, "unit", m_strUnit.c_str());
}

CImportPath SplitImportPath(const std::string& sourcePath)
{
    CImportPath result;
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t pos = sourcePath.find('\\', start);
        parts.push_back(sourcePath.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos) break;
        start = pos + 1;
    }
    if (!parts.front().empty()) result.fileName = parts.front() + ".vkx";
    result.descriptions.assign(parts.begin() + 1, parts.end());
    return result;
}

namespace {

// The document holds results, and they were not computed from its input.
bool StaleResults(ZVDOC doc) { return zevud::ResultsOfOtherInput(doc); }

}  // namespace

int CImportValue::ImportData()
{
    m_strMessage.clear();
    const CImportPath path = SplitImportPath(m_strSourcePath);
    if (path.fileName.empty()) return 0;

    int result = 0;
    {
        // The refresh says nothing itself: its caller lists what failed.
        ZVDOC doc = ZEVUD_OpenDocQuiet(path.fileName.c_str());
        CDocCloser closer(doc);
        if (!doc) {
            result = 1;
        } else {
            // Folders lead the way, the last step is the value itself; a path
            // of only the file name reads the "exports" element's own value.
            ZVELEM current = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(doc), "exports");
            // Values in folders are the calculation's results; results that
            // belong to other input than the position holds are taken over as
            // from a position without results: not at all.
            if (path.descriptions.size() > 1 && StaleResults(doc)) current = 0;
            for (size_t i = 0; current && i < path.descriptions.size(); ++i) {
                const bool last = i + 1 == path.descriptions.size();
                current = FindChildByDesc(current, last ? "value" : "folder", path.descriptions[i]);
            }
            if (!current) {
                result = 2;
            } else {
                m_dValue = ZEVUD_GetDouble(current, "val");
                m_strUnit = zevud::GetString(current, "unit");
            }
        }
    }

    if (result == 1) {
        const char* format = "Datei '%s' nicht gefunden (alter Wert %s=%.2lf %s).";
        m_strMessage = lingo::FormatTranslated(format, TranslateImport(format), path.fileName, m_strVarName,
                                               m_dValue, m_strUnit);
    } else if (result == 2) {
        const char* format = "Datei '%s': Variable '%s' nicht gefunden (alter Wert:%.2lf %s).";
        const std::string lastDesc = path.descriptions.empty() ? std::string() : path.descriptions.back();
        m_strMessage = lingo::FormatTranslated(format, TranslateImport(format), path.fileName, lastDesc, m_dValue,
                                               m_strUnit);
    }
    return result;
}

std::string MakeImportVariableName(const std::string& sourceFileName, const std::string& sourceVarName)
{
    std::string name = sourceFileName;
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    if (name.size() >= 4 && winsys::EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".vkx")) {
        name.resize(name.size() - 4);
    }
    if (!name.empty() && name[0] >= '0' && name[0] <= '9') name = "P_" + name;
    const std::string raw = name + "_" + sourceVarName;

    std::string out;
    for (size_t i = 0; i < raw.size();) {
        const char c = raw[i];
        const bool keep = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        out += keep ? c : '_';
        i += Utf8Length(raw, i);  // one '_' for a whole character
    }
    return out;
}
