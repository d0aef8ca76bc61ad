// The result records of a member-design calculation as the results page
// shows them, without any toolkit: the translated record paths, the folders
// of the left tree (the first two levels of every path, the relevant load
// combinations and the governing ones marked "(MAX)"), the records below a
// folder, and the summary of the utilisations.
#pragma once

#include <string>
#include <vector>

class CModuleData;

// A record name translated part by part: "LK 5" becomes "LK" and the number
// right-aligned in three places ("LK   5"), "EW 3" stays "EW 3", any other
// part is translated as a whole.
std::string TranslateResultPath(const std::string& name);
// The translated path of every result record, in record order.
std::vector<std::string> TranslateResultPaths(const CModuleData& data);

// The folder of a path: its first two levels ("A\B" of "A\B\C"), the path
// itself when it has fewer.
std::string ResultFolderOf(const std::string& path);
// A folder without the mark "(MAX)" of a governing combination.
std::string StripGoverningMark(const std::string& folder);

// One record below a folder: its path after the folder's two levels and
// its record index.
struct FolderRecord {
    std::string rest;
    int index;
};
// The records of a folder (a trailing "(MAX)" is cut off), in record order:
// each record whose path lies below the folder and has more than two levels.
std::vector<FolderRecord> RecordsOfFolder(const std::vector<std::string>& paths, const std::string& folder);

// A folder of a load combination: its path, the text its item shows and
// whether it is drawn bold.
struct CombinationFolder {
    std::string path;
    std::string text;
    bool bold;
};
// The folders of the load combinations: with the storage mode "Alle" each
// relevant combination of that limit state in bold, then the governing
// combination of the serviceability and of the ultimate limit state, whose
// items read "LK nnn(MAX)". None without result records.
std::vector<CombinationFolder> CombinationFolders(const CModuleData& data);

// The number of the governing load combination (from 1) of the ultimate
// limit state (stresses) or of serviceability (deformations); 0 for none.
int GoverningCombination(const CModuleData& data, bool ultimate);
// The highest cross-section class the design allows: 2 for the plastic
// variant of the member design, 3 otherwise.
int MaxCrossSectionClass(const CModuleData& data);
// The summary of the utilisations beside the trees, with CR LF line ends.
std::string ResultSummaryText(const CModuleData& data);

// The verdict of the calculated position as the console prints it after a
// calculation ("Ergebnis: Nachweis nicht erfüllt", then one line per limit
// state with its decisive utilisation and "erfüllt" or "nicht erfüllt", an
// unproven combination as "nicht nachgewiesen in LK ..."), read from the
// "result" of the position's document; CR LF line ends, empty when the
// document holds no result or a result without a limit state.
std::string ResultVerdictText(const CModuleData& data);
// The lines (from 0) of a results text that report a check as not
// fulfilled: a line saying "nicht erfüllt" (in any case), or a utilisation
// line ("Ausnutzung ...", "Ausn. ...") whose value is above 1.
std::vector<int> UnfulfilledLines(const std::string& text);
