// The crane-runway calculation: for every enabled check one kernel run per
// crane position, each run superposed into the check's envelopes; a second
// series of runs for lateral-torsional buckling at the most utilised
// positions; then fatigue, plate buckling and the rail weld, the result sets,
// the exported extremes, the message and the report.
//
// The steps that belong to the result containers and to the checks are
// reached through CCraneRunSteps, so that a calculation never claims a step
// it could not do: a step without an operation refuses the calculation
// before the first kernel run. Tests replace steps (the kernel run, the
// superposition) with their own.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "module/ModuleData.h"
#include "platform/zevud/zevud.h"

class CVaduDlgProgress;

struct CCraneRunSteps {
    // One kernel run of the position as it stands (the base calculation
    // with both flags 0).
    std::function<CRecalcResult(CModuleData&)> kernelRun;
    // A kernel run of one crane position on a worker thread, on a copy of
    // the position's document that holds that position's loads: leaves the
    // run's "result" in the copy, or "abbruch" 1 when the position is to be
    // calculated again the usual way (see RecalcCraneRunway). Used only
    // while kernelRun is the default step; empty: the positions run one
    // after another.
    std::function<void(ZVDOC)> positionRun;
    // The superposition of the last run: check, mode (1 a run of the check,
    // 3 a buckling run), load cases, position, load-case names, log.
    std::function<void(CModuleData&, int, int, int, int, const std::vector<std::string>&, std::FILE*)> superpose;
    // The largest utilisation of every position that the superposition
    // rated in check 0..2 (position -> utilisation, 1.0 = 100 %).
    std::function<std::map<int, double>(const CModuleData&, int)> ratings;
    // The envelope of a check after its position loop.
    std::function<void(CModuleData&, int)> envelope;
    // Empty when the fatigue check can run on the input, else the message.
    std::function<std::string(const CModuleData&)> fatigueInput;
    // The fatigue check (false: refused or not done).
    std::function<bool(CModuleData&)> fatigue;
    // Plate buckling of the plate stress table.
    std::function<void(CModuleData&)> plateBuckling;
    // The rail-weld check.
    std::function<void(CModuleData&)> railWeld;
    // The exported extremes of support-reaction curve valueId (18..23) of a
    // check, under the given exports element.
    std::function<void(CModuleData&, ZVELEM, int, int, const CResultSet&)> exportExtremes;
    // The report after a full calculation; none while empty. The default
    // step calls the report routine that the program record names (none
    // when it names none) with the document and 1.
    std::function<void(CModuleData&)> report;
};

// The steps the calculation uses; the default steps are installed at start.
CCraneRunSteps& GetCraneRunSteps();
// The operations that the default steps bind; tests restore them.
CCraneRunSteps DefaultCraneRunSteps();

// The progress of the running calculation, or null (tests press "cancel"
// through it from inside a step).
CVaduDlgProgress* GetCraneRunProgress();
// Whether a crane calculation is running.
bool IsCraneRunActive();
// The number of worker threads for the kernel runs of `positions` crane
// positions: TOVIK_THREADS when it is a positive number, else the
// machine's; never more than the positions, at least 1 (1: one after
// another on the calling thread).
int CranePositionThreads(int positions);

// The documents of one series of crane positions for the kernel runs on
// worker threads: per position a copy of the position's document as a run
// of that position would find it (the module data written at the position,
// the results of earlier runs left out), named as the position. The first
// position writes the module data whole; when writing it read the crane
// position nowhere but in the loads, every further position writes only the
// loads of its copy, else it writes the data whole again.
class CCranePositionDocuments {
public:
    // One position's document: written whole, or the series' copy of the
    // position's document with the position's loads, put together by
    // Complete() (on any thread).
    class Document {
    public:
        Document() = default;
        ~Document();
        Document(Document&& other) noexcept;
        Document& operator=(Document&& other) noexcept;
        Document(const Document&) = delete;
        Document& operator=(const Document&) = delete;
        // The complete document, owned by this object; 0 when it could not
        // be made.
        ZVDOC Complete();

    private:
        friend class CCranePositionDocuments;
        struct Base;
        ZVDOC m_doc = 0;
        std::shared_ptr<const Base> m_base;
        // A document whose root holds the position's "loads".
        ZVDOC m_loads = 0;
    };

    explicit CCranePositionDocuments(CModuleData& data);
    // The document of position p.
    Document Make(int p);
    // Writes the data whole again at the next position (after anything else
    // wrote into the position's document).
    void Restart() { m_written = false; }
    // Whether the positions after the first write only their loads.
    bool LoadsOnly() const { return m_written && m_loadsOnly; }

private:
    CModuleData& m_data;
    std::string m_file;
    bool m_written = false;
    bool m_loadsOnly = false;
    std::shared_ptr<const Document::Base> m_base;
};

// ---- the pieces of the driver's decisions ------------------------------------

// The 1-based position numbers of a comma-separated list, as bits: number n
// sets bit n-1 (0 and negative numbers and text set nothing).
std::vector<bool> ParsePositionList(const std::string& text);
// The percentage of a utilisation: trunc(u x 100 + 0.5).
int UtilisationPercent(double u);
// The threshold T of the buckling loop: (minUtil x M) / 100, truncated.
int BucklingThreshold(int minUtil, int maxPercent);
// Whether a position with percentage p runs in the buckling loop
// (p > T or p >= M - 1).
bool RunsInBucklingLoop(int percent, int threshold, int maxPercent);
// The 0-based crane position of a result-set title ("...\Kranstellung\<n> ..."),
// -1 when the title names none.
int PositionOfTitle(const std::string& title);
// Keeps the result sets of a check by the result type (1 all, 2 those rated,
// 3 those above the threshold, else only the listed ones) and fills the "@"
// marker of the titles with "(<p> %)" or removes it.
void SelectCheckResults(std::vector<CResultSet>& sets, int resultType, const std::map<int, int>& percents,
                        int threshold, const std::vector<bool>& listed);
