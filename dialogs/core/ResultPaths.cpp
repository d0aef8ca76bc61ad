#include "dialogs/core/ResultPaths.h"

#include <cstdio>
#include <cstdlib>

#include "module/ModuleData.h"
#include "reports/DesignVerdict.h"
#include "module/frame/ModuleMessages.h"
#include "platform/common/norm_codes.h"
#include "platform/winsys/winsys.h"

namespace {

constexpr const char* kSection = "velor_i_rigel";
constexpr const char* kArea = "RigelOutputWiz";
constexpr const char* kPlasticVariant = "Deneb";

std::string Tr(const std::string& text) { return lingo::Translate(rigel::kAppInput, kSection, kArea, text); }

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t cut = path.find('\\', start);
        parts.push_back(path.substr(start, cut - start));
        if (cut == std::string::npos) return parts;
        start = cut + 1;
    }
}

// The number of a part that reads "<word> <number>" and nothing more.
bool ReadsNumbered(const std::string& part, const char* format, long& number) {
    int used = 0;
    return std::sscanf(part.c_str(), format, &number, &used) == 1 && size_t(used) == part.size();
}

// "LK" and the number right-aligned in three places.
std::string CombinationText(long number) { return winsys::FormatC("%s %3ld", Tr("LK").c_str(), number); }

// The position of the end of the second level (the whole length when the
// path has fewer levels).
size_t SecondLevelEnd(const std::string& path) {
    const size_t first = path.find('\\');
    if (first == std::string::npos) return path.size();
    const size_t second = path.find('\\', first + 1);
    return second == std::string::npos ? path.size() : second;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 12, "{\\par \\pard}") == 0) {
            out += "\r\n";
            i += 11;
        } else if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string TranslateResultPath(const std::string& name) {
    std::string out;
    bool first = true;
    for (const std::string& part : Split(name)) {
        if (!first) out += '\\';
        first = false;
        long number = 0;
        if (ReadsNumbered(part, "LK %ld%n", number))
            out += CombinationText(number);
        else if (ReadsNumbered(part, "EW %ld%n", number))
            out += winsys::FormatC("%s %ld", Tr("EW").c_str(), number);
        else
            out += Tr(part);
    }
    return out;
}

std::vector<std::string> TranslateResultPaths(const CModuleData& data) {
    std::vector<std::string> paths;
    paths.reserve(data.m_resultSets.size());
    for (const CResultSet& set : data.m_resultSets) paths.push_back(TranslateResultPath(set.m_strTitle));
    return paths;
}

std::string ResultFolderOf(const std::string& path) { return path.substr(0, SecondLevelEnd(path)); }

std::string StripGoverningMark(const std::string& folder) {
    static const std::string mark = "(MAX)";
    if (folder.size() >= mark.size() && folder.compare(folder.size() - mark.size(), mark.size(), mark) == 0)
        return folder.substr(0, folder.size() - mark.size());
    return folder;
}

std::vector<FolderRecord> RecordsOfFolder(const std::vector<std::string>& paths, const std::string& folder) {
    const std::string f = StripGoverningMark(folder);
    std::vector<FolderRecord> out;
    if (f.empty()) return out;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& p = paths[i];
        // Below the folder: the folder's text followed by a level break, so
        // that "LK 100" does not take the records of "LK 1000".
        if (p.size() <= f.size() || p.compare(0, f.size(), f) != 0 || p[f.size()] != '\\') continue;
        const size_t end = SecondLevelEnd(p);
        if (end >= p.size()) continue;
        out.push_back({p.substr(end + 1), int(i)});
    }
    return out;
}

int GoverningCombination(const CModuleData& data, bool ultimate) {
    const int index = ultimate ? data.m_tragSVMaxLK : data.m_gebrMaxLK;
    if (index < 0) return 0;
    return index + (ultimate ? 0 : data.m_gebrKolOffset) + 1;
}

std::vector<CombinationFolder> CombinationFolders(const CModuleData& data) {
    std::vector<CombinationFolder> out;
    if (data.m_resultSets.empty()) return out;
    struct State {
        const char* chapter;
        int mode;
        const std::vector<int32_t>* relevant;
        bool ultimate;
    };
    const State states[] = {
        {"Tragsicherheit", data.m_calcSettings.m_resultTragSVLK, &data.m_tragSVRelKol, true},
        {"Gebrauchstauglichkeit", data.m_calcSettings.m_resultGebrLK, &data.m_gebrRelKol, false},
    };
    for (const State& s : states) {
        if (s.mode != 2) continue;
        for (size_t i = 0; i < s.relevant->size(); ++i) {
            if (!(*s.relevant)[i]) continue;
            const std::string text = CombinationText(long(i + 1));
            out.push_back({Tr(s.chapter) + "\\" + text, text, true});
        }
    }
    for (bool ultimate : {false, true}) {
        const int number = GoverningCombination(data, ultimate);
        if (number <= 0) continue;
        const std::string text = CombinationText(number);
        out.push_back({Tr(ultimate ? "Tragsicherheit" : "Gebrauchstauglichkeit") + "\\" + text, text + "(MAX)", false});
    }
    return out;
}

int MaxCrossSectionClass(const CModuleData& data) {
    return winsys::EqualsNoCase(data.m_strModuleName, kPlasticVariant) ? 2 : 3;
}

std::string ResultSummaryText(const CModuleData& data) {
    const long deformationCase = GoverningCombination(data, false);
    const long stressCase = GoverningCombination(data, true);
    std::string text;
    if (data.m_info.m_nNorm == kNormDin18800) {
        const std::string ct = Tr(data.m_iClass == 4 ? "Nicht erfüllt!" : "Erfüllt");
        text = rigel::TranslateFormat(kSection, kArea,
                                      "Ausnutzung Verformung (LK %ld) =\t%.2lf\nAusnutzung Spannungen (LK %ld) "
                                      "=\t%.2lf\nb/t-Nachweis:\t\t%s\n\n%s",
                                      deformationCase, data.m_dMaxAusGebr, stressCase, data.m_dMaxAusTragSV,
                                      ct.c_str(), data.m_strErrorMsg.c_str());
    } else {
        text = rigel::TranslateFormat(kSection, kArea,
                                      "Ausnutzung Verformung (LK %ld) =\t%.2lf\nAusnutzung Spannungen (LK %ld) "
                                      "=\t%.2lf\nQuerschnittsklasse (max. %ld erforderlich)\t%ld\n\n%s",
                                      deformationCase, data.m_dMaxAusGebr, stressCase, data.m_dMaxAusTragSV,
                                      long(MaxCrossSectionClass(data)), long(data.m_iClass),
                                      data.m_strErrorMsg.c_str());
    }
    return WithCrLf(text);
}

std::string ResultVerdictText(const CModuleData& data) {
    if (!data.m_hDoc) return {};
    const ZVELEM root = ZEVUD_GetRootElement(data.m_hDoc);
    if (!root || !ZEVUD_FindFirstChild(root, "result")) return {};
    const design_verdict::Verdict v = design_verdict::Read(root);
    if (v.lines.empty()) return {};  // nothing decided: no verdict to show
    std::string text = v.overall + "\r\n";
    for (const design_verdict::Line& l : v.lines) text += l.text + "\r\n";
    return text;
}

std::vector<int> UnfulfilledLines(const std::string& text) {
    std::vector<int> out;
    int index = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        bool failed = line.find("nicht erfüllt") != std::string::npos || line.find("Nicht erfüllt") != std::string::npos;
        // A utilisation is the first number after "Ausn" (the member page
        // writes "Ausnutzung ... (LK n) =<tab>u", the crane summary
        // "Ausn.<tab>u", so a number inside parentheses is skipped).
        const size_t word = line.find("Ausn");
        if (!failed && word != std::string::npos) {
            size_t at = line.find('=', word);
            if (at == std::string::npos) at = line.find('\t', word);
            if (at == std::string::npos) at = line.find(' ', word);
            if (at != std::string::npos) {
                const char* from = line.c_str() + at + 1;
                while (*from == ' ' || *from == '\t') ++from;
                char* stop = nullptr;
                const double u = std::strtod(from, &stop);
                failed = stop != from && u > 1.0;
            }
        }
        if (failed) out.push_back(index);
        ++index;
        if (end == text.size()) break;
        start = end + 1;
    }
    return out;
}

