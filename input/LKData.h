// Load-combination settings of a position: norm and mode, the actions with
// their load groups and categories, the assignment of load cases to actions,
// the partial and combination factors of the norm, the design checks to be
// generated, and the combinations last generated. Each object keeps its own
// session of the combination generator for its whole life.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/combor/combor.h"
#include "platform/zevud/zevud.h"

class CLoadDestination;

// One action (Einwirkung).
class CActionRecord {
public:
    int32_t m_nNumber = 0;          // "einw"; 0 or less: ignored by writer and generator
    std::string m_strTitle;         // "title", rebuilt by the writer
    std::string m_strLoadCases;     // "lastfaelle", the assigned load cases as text
    int32_t m_nGroup = 0;           // "indexGruppe", index into the visible group list
    int32_t m_nFullGroup = 0;       // "indexGruppeHHHH", index into the session's group list
    int32_t m_nCategory = 0;        // "indexKategorie"
    int32_t m_nDurationClass = 0;   // "indexKLED"
    bool m_bNotSplit = false;       // "einwNichtAufteilen"
    int32_t m_nMaxLoadCase = 0;     // "lastfallMax" (modes 1 and 2)
    int32_t m_nMinLoadCase = 0;     // "lastfallMin"
    ZVELEM m_hElement = 0;          // scratch: the element while reading
    int32_t m_nAltGroup = 0;        // "alternativgruppe", 0 none, 1 to 9
    std::string m_strDesc;          // "desc", rebuilt by the writer
    bool m_bReadOnly = false;       // "readonly"
    int32_t m_nMaxMin = 0;          // "maxmin"
    int32_t m_nLudaIndex = 0;       // "indexLuda"

    // The record's assignment as the settings copy their actions: every field
    // except the element and the read-only flag. (Copy construction and the
    // plain assignment copy everything, so that list operations keep records
    // whole.)
    void AssignFrom(const CActionRecord& o);
};

// A load case assigned to an action.
struct CLoadCaseAssignment {
    int32_t m_nLoadCase = 0;  // "lf"
    int32_t m_nAction = 0;    // "einw"
    ZVELEM m_hElement = 0;    // scratch
};

// A load case of its own holding the part of a load case that lies in one
// span, for the span-wise arrangement of an action.
struct CSpanShare {
    int32_t m_nShare = 0;     // the share's load case
    int32_t m_nLoadCase = 0;  // the whole load case
    int32_t m_nSpan = 0;      // from 1
};

// Combination factors of one load category.
struct CPsiRecord {
    std::string m_strName;  // "name"
    double m_dPsi0 = 0.0, m_dPsi1 = 0.0, m_dPsi2 = 0.0;
};

// One generated load combination.
struct CCombinationRecord {
    std::string m_strType;      // "art"
    std::string m_strRule;      // "regel"
    std::string m_strRuleUser;  // "regelUser": the rule with the load cases' names
    std::string m_strDesc;      // "desc" (stored only when not empty)
    std::vector<double> m_factors;  // factor per load case (index = load case - 1); not stored
};

class CLKData {
public:
    static constexpr int kNumChecks = 16;
    static constexpr int kNumGamma = 25;
    static const char* const kGammaNames[kNumGamma];

    CLKData();
    // A copy opens its own session.
    CLKData(const CLKData& o);
    // Closes the session.
    ~CLKData();
    // Copies every persistent setting, the factors, load cases, actions and
    // combinations; keeps its own session and norm-set flag (the session is
    // given the copied norm when a norm has been set on this object).
    CLKData& operator=(const CLKData& o);

    // The owner and how to reach its document (the protocol files are stored
    // in it).
    void SetOwner(CLoadDestination* owner, std::function<ZVDOC()> document = {});

    // ---- norm and mode ------------------------------------------------------
    void SetNorm(int32_t norm);
    void ChangeNorm(int32_t norm);
    void SetModus(int32_t modus);
    int32_t GetNorm() const { return m_nNorm; }
    int32_t GetModus() const { return m_nModus; }
    bool IsNormSet() const { return m_bNormSet; }
    COMBOR_HANDLE GetSession() const { return m_hSession; }
    static const char* NormName(int32_t norm);  // nullptr outside 0..5

    // ---- lists from the session --------------------------------------------
    void GetGroupNames(std::vector<std::string>& names);
    void GetCategoryNames(const std::string& group, std::vector<std::string>& names);
    static void GetDurationClassNames(std::vector<std::string>& names);
    int32_t GetFullGroupIndex(int32_t visible) const;
    int32_t GetVisibleGroupIndex(int32_t full) const;
    int32_t GetDefaultDurationClass(int32_t fullGroup, int32_t category);
    bool IsNotSplitCategory(int32_t category);
    void GetActionTexts(std::vector<std::string>& texts);

    // ---- actions ---------------------------------------------------------------
    std::string GetLoadCaseText(int32_t action) const;
    CActionRecord GetActionByNumber(int32_t action) const;
    void UpdateActionsFromLoadCases();
    bool CreateSimplifiedActions();

    // ---- document ---------------------------------------------------------------
    void ReadData(ZVELEM parent);
    void WriteData(ZVELEM parent);
    void RefreshFactors();

    // ---- generation ---------------------------------------------------------------
    bool Generate(int unused = 0);
    // Whether the last run was refused by the generator (its reason given).
    bool GenerationRefused() const { return !m_strRefusal.empty(); }
    const std::string& GetRefusal() const { return m_strRefusal; }
    bool CheckDuplicateActions();
    void StoreProtocolFiles();
    // Names of the load cases generated by the last run in modes 1 and 2
    // (index = load case - 1).
    const std::vector<std::string>& GetGeneratedLoadCaseNames() const { return m_generatedNames; }

    // ---- the data ------------------------------------------------------------------
    std::vector<std::string> m_varNames;
    std::vector<double> m_varValues;
    CLoadDestination* m_pOwner = nullptr;
    std::function<ZVDOC()> m_ownerDocument;
    int32_t m_nNorm = 1;
    int32_t m_nModus = 3;
    int32_t m_nVersion = 0;
    bool m_bSyncActions = true;
    bool m_bShowDurationClass = true;
    bool m_bShowNotSplit = false;
    bool m_bShowCategory = true;
    bool m_bAltLoads = false;
    bool m_bAltGroups = false;
    int32_t m_nAltGroupCount = 9;
    bool m_bAllowGroupType5 = false;
    bool m_bAllowGroupType6 = false;
    bool m_bGenerationOff = false;
    bool m_bShowRulesButton = true;
    bool m_bRulesEditable = false;
    bool m_bWriteGammaPsiProtocol = true;
    bool m_bWriteRulesProtocol = true;
    bool m_bShowGInfOption = false;
    bool m_bCheckWithGInf = true;
    bool m_bChecks[kNumChecks] = {true, true, false, true, true, true, true, false,
                                  false, false, false, false, false, false, false, false};
    bool m_bNoGammaPsi = false;
    bool m_bReadFactors = false;
    std::string m_strGammaPsiFile = "COMBOR_GammaPsi.rtf";
    std::string m_strRulesFile = "COMBOR_KombRegeln.rtf";
    double m_dSnowHeight = 0.0;
    double m_dCranePsi2 = 0.77;
    double m_dGInfFactor = 1.0;
    std::vector<std::string> m_loadCaseTexts;
    std::vector<int32_t> m_visibleGroups;
    std::vector<CLoadCaseAssignment> m_loadCases;
    // Span shares of the load cases (set by the member before a run; mode 3).
    std::vector<CSpanShare> m_spanShares;
    std::vector<CActionRecord> m_actions;
    std::vector<CCombinationRecord> m_combinations;
    std::vector<CPsiRecord> m_psiRows;
    double m_gamma[kNumGamma] = {};

private:
    void SetSessionVariables(bool withGInf);
    int32_t SessionCategoryCount();
    std::string SessionGroupName(int32_t full);

    COMBOR_HANDLE m_hSession = 0;
    bool m_bNormSet = false;
    std::vector<std::string> m_generatedNames;
    std::string m_strRefusal;
};
