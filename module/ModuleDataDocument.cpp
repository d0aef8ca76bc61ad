// The module part of the position document: "input" (the structural input
// of both programs), "dataFile" (the embedded section file), "output" (the
// report options) and, for a crane runway, "result" (the stored results).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "input/StdProfile.h"
#include "module/ModuleData.h"
#include "module/ModuleDataDialog.h"
#include "module/frame/ModuleState.h"
#include "module/frame/RegSettings.h"
#include "platform/common/norm_codes.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/conveniences.h"

namespace {

constexpr double kCraneResultVersion = 2013.0599;

ZVELEM FindOrAdd(ZVELEM parent, const char* name) {
    ZVELEM e = ZEVUD_FindFirstChild(parent, name);
    return e ? e : ZEVUD_AddChildElement(parent, name);
}

ZVELEM Replace(ZVELEM parent, const char* name) {
    while (ZVELEM e = ZEVUD_FindFirstChild(parent, name)) ZEVUD_DeleteElement(e);
    return ZEVUD_AddChildElement(parent, name);
}

std::string Numbered(const char* pattern, long i) {
    char buf[96];
    std::snprintf(buf, sizeof buf, pattern, i);
    return buf;
}

void PutInts(ZVELEM e, const char* key, const int32_t* v, size_t n) {
    zevud::SetInts(e, key, std::vector<int32_t>(v, v + n));
}

std::vector<int32_t> GetInts(ZVELEM e, const char* key, size_t maxCount = SIZE_MAX) {
    return zevud::DecodeArray<int32_t>(zevud::GetBinData(e, key), maxCount);
}

void PutDoubles(ZVELEM e, const char* key, const double* v, size_t n) {
    zevud::SetDoubles(e, key, std::vector<double>(v, v + n));
}

std::vector<double> GetDoubles(ZVELEM e, const char* key, size_t maxCount = SIZE_MAX) {
    return zevud::DecodeArray<double>(zevud::GetBinData(e, key), maxCount);
}

void ReadOptionList(ZVELEM e, const char* key, std::vector<int32_t>& list, size_t minimum) {
    const std::vector<int32_t> stored = GetInts(e, key);
    list.resize(std::max(stored.size(), minimum), 0);
    std::copy(stored.begin(), stored.end(), list.begin());
}

bool HasRelease(const CHinge& h) {
    return std::any_of(std::begin(h.m_release), std::end(h.m_release), [](int r) { return r != 0; });
}

const char* const kReactionKeys[6] = {"Ax", "Ay", "Az", "Mx", "My", "Mz"};

void WriteReactions(ZVELEM r, const CCraneReactions& reactions) {
    ZEVUD_SetInt(r, "nAufl", reactions.nAufl);
    PutDoubles(r, "xCoords", reactions.xCoords, CCraneReactions::kSupports);
    for (int k = 0; k < 6; ++k) PutDoubles(r, kReactionKeys[k], reactions.table[k], CCraneReactions::kValues);
    ZEVUD_SetBinData(r, "LF", static_cast<int>(sizeof reactions.labels), reactions.labels, 1);
    PutInts(r, "Pos", reactions.pos, CCraneReactions::kPositions);
}

void ReadReactions(ZVELEM r, CCraneReactions& reactions) {
    reactions.nAufl = std::clamp(ZEVUD_GetInt(r, "nAufl"), 0, CCraneReactions::kSupports);
    const std::vector<double> x = GetDoubles(r, "xCoords", CCraneReactions::kSupports);
    std::copy(x.begin(), x.end(), reactions.xCoords);
    for (int k = 0; k < 6; ++k) {
        const std::vector<double> v = GetDoubles(r, kReactionKeys[k], CCraneReactions::kValues);
        std::copy(v.begin(), v.end(), reactions.table[k]);
    }
    ZEVUD_GetBinData(r, "LF", reactions.labels, static_cast<int>(sizeof reactions.labels));
    for (auto& label : reactions.labels) label[CCraneReactions::kLabelBytes - 1] = '\0';
    const std::vector<int32_t> p = GetInts(r, "Pos", CCraneReactions::kPositions);
    std::copy(p.begin(), p.end(), reactions.pos);
}

}  // namespace

// ---- writing --------------------------------------------------------------------------------

void CModuleData::WriteData(ZVDOC hDoc) {
    const bool crane = IsCraneRunway();
    if (crane && !m_bRunning) {
        CLKData& lk = LK();
        lk.m_loadCases.clear();
        lk.m_actions.clear();
        lk.m_combinations.clear();
        lk.m_dCranePsi2 = 0.77;
        SetNormAndMaterialClass(31, m_info.m_nCountryCode != 0 ? 5 : 4);
    }
    CBaseData::WriteData(hDoc);
    ZVELEM root = hDoc ? ZEVUD_GetRootElement(hDoc) : 0;
    if (!root) return;
    WriteModulePart(root);
}

void CModuleData::WriteModulePart(ZVELEM root) {
    const bool crane = IsCraneRunway();
    ZVELEM input = FindOrAdd(root, "input");
    for (size_t i = 0; i < m_inputAnnotations.size(); ++i)
        ZEVUD_SetString(input, Numbered("annotation_%ld", static_cast<long>(i)).c_str(),
                        m_inputAnnotations[i].c_str());
    ZEVUD_SetInt(input, "matBB", m_matBB);
    if (crane) {
        m_craneSettings.WriteData(Replace(input, "craneSettings"));
        // The kernel reads its calculation settings from every position; a
        // crane run needs the results of every load case (they are
        // superposed after the run).
        CCalcSettings kernel = m_calcSettings;
        kernel.m_resultGebrLK = 2;
        kernel.m_resultTragSVLK = 2;
        kernel.WriteData(Replace(input, "calcSettings"));
    } else {
        m_calcSettings.WriteData(Replace(input, "calcSettings"));
    }

    WriteSystem(Replace(input, "system"));

    ZVELEM springs = Replace(input, "springs");
    ZEVUD_SetInt(springs, "numOfSprings", static_cast<int32_t>(m_springs.size()));
    for (size_t i = 0; i < m_springs.size(); ++i)
        m_springs[i].WriteData(Replace(springs, Numbered("spring_%ld", static_cast<long>(i)).c_str()));

    // Only hinges with a release are stored, numbered without gaps.
    ZVELEM gelenke = Replace(input, "gelenke");
    int32_t written = 0;
    for (const CHinge& h : m_hinges) {
        if (!HasRelease(h)) continue;
        h.WriteData(Replace(gelenke, Numbered("gelenk_%ld", written).c_str()));
        ++written;
    }
    ZEVUD_SetInt(gelenke, "numOfGelenke", written);

    WriteLoadList(Replace(input, "loads"));

    ZVELEM cranes = Replace(input, "cranes");
    ZEVUD_SetInt(cranes, "numOfCranes", static_cast<int32_t>(m_cranes.size()));
    for (size_t i = 0; i < m_cranes.size(); ++i)
        m_cranes[i].WriteData(Replace(cranes, Numbered("crane_%ld", static_cast<long>(i)).c_str()));
    m_rail.WriteData(Replace(input, "rail"));
    m_vorvSettings.WriteData(Replace(input, "vorvSettings"));

    // The section file: the one this object extracted or built; when it is
    // gone it is built afresh from the sections. An existing "skwFile" is
    // never replaced by nothing.
    ZVELEM dataFile = FindOrAdd(root, "dataFile");
    std::string file = GetSectionFile();
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
        WriteSectionFile();
        file = GetSectionFile();
    }
    if (!file.empty() && std::filesystem::is_regular_file(file, ec))
        ZEVUD_StoreFileInAttr(dataFile, "skwFile", file.c_str(), 0);

    ZVELEM output = Replace(root, "output");
    if (crane) {
        PutInts(output, "rtfOptions", m_craneRtfOptions.data(), m_craneRtfOptions.size());
        CNumberList positions = m_dorIzi;
        ZEVUD_SetString(output, "dorIzi", positions.m_strText.c_str());
        ZEVUD_SetInt(output, "craneShortSummery", m_craneShortSummery);
    } else {
        PutInts(output, "rtfOptions", m_rtfOptions.data(), m_rtfOptions.size());
        PutInts(output, "rtfWizOptions", m_rtfWizOptions.data(), m_rtfWizOptions.size());
        ZEVUD_SetInt(output, "rtfLKgebr", m_rtfLKgebr);
        ZEVUD_SetInt(output, "rtfLKTragSV", m_rtfLKTragSV);
        ZEVUD_SetInt(output, "bRtfChapterInput", m_bRtfChapterInput);
        ZEVUD_SetInt(output, "bRtfChapterGebr", m_bRtfChapterGebr);
        ZEVUD_SetInt(output, "bRtfChapterTragSV", m_bRtfChapterTragSV);
        ZEVUD_SetInt(output, "bRtfChapterCT", m_bRtfChapterCT);
        ZEVUD_SetInt(output, "bRtfCalcSinglePoint", m_bRtfCalcSinglePoint);
        ZEVUD_SetInt(output, "bRtfSinglePointLayout", m_bRtfSinglePointLayout);
    }

    if (crane && !m_bRunning) WriteCraneResults(root);
}

void CModuleData::WriteLoadList(ZVELEM loads) {
    const bool crane = IsCraneRunway();
    // A crane run writes the loads anew for every crane position; what they
    // read of the variables is theirs, not the rest of the position's.
    CVariableReadWatch::Pause loadsOwnReads;
    // The user's loads, then those the take-overs generated, so that the
    // calculation sees both; the latter carry "indexLuda" and are made anew
    // from "lastUebernahme" on every reading.
    const std::vector<CLoadDef> takeOver = crane ? std::vector<CLoadDef>() : GetTakeOverLoads();
    // Behind them the span shares of the span-wise arrangement, marked by
    // "feldanteil".
    const std::vector<CLoadDef> shares = crane ? std::vector<CLoadDef>() : m_spanShareLoads;
    ZEVUD_SetInt(loads, "numOfLoads", static_cast<int32_t>(m_loads.size() + takeOver.size() + shares.size()));
    for (size_t i = 0; i < m_loads.size(); ++i)
        m_loads[i].WriteData(Replace(loads, Numbered("load_%ld", static_cast<long>(i)).c_str()));
    for (size_t i = 0; i < takeOver.size(); ++i) {
        ZVELEM e = Replace(loads, Numbered("load_%ld", static_cast<long>(m_loads.size() + i)).c_str());
        takeOver[i].WriteData(e);
        ZEVUD_SetInt(e, "indexLuda", 1);
    }
    for (size_t i = 0; i < shares.size(); ++i) {
        ZVELEM e =
            Replace(loads, Numbered("load_%ld", static_cast<long>(m_loads.size() + takeOver.size() + i)).c_str());
        shares[i].WriteData(e);
        ZEVUD_SetInt(e, "feldanteil", 1);
    }
}

void CModuleData::WriteSystem(ZVELEM system) {
    const bool crane = IsCraneRunway();
    ZEVUD_SetInt(system, "bSectionConst", m_bSectionConst);
    if (crane)
        for (const CNotchCase& n : m_notchCases) n.WriteData(ZEVUD_AddChildElement(system, "POI"));
    const size_t n = m_fieldLengths.size();
    ZEVUD_SetInt(system, "numOfFields", static_cast<int32_t>(n));
    for (size_t i = 0; i < n; ++i) {
        ZVELEM field = Replace(system, Numbered("field_%ld", static_cast<long>(i)).c_str());
        if (i >= 1) {
            m_fieldLengths[i].WriteToDom(field, "length");
            if (crane) ZEVUD_SetInt(field, "numOfBucklField", i < m_bucklFields.size() ? m_bucklFields[i] : 1);
        }
        if (i < m_supports.size()) m_supports[i].WriteData(Replace(field, "support"));
        if (i >= 1 && i - 1 < m_sections.size()) {
            CSection& s = m_sections[i - 1];
            s.m_pOwner = this;
            s.m_iField = static_cast<int>(i - 1);
            s.WriteData(Replace(field, "section"));
        }
    }
}

void CModuleData::WriteCraneResults(ZVELEM root) {
    ZVELEM result = Replace(root, "result");
    for (int c = 0; c < kCraneChecks; ++c) {
        ZVELEM check = Replace(result, Numbered("check_%ld", c).c_str());
        m_craneResults[c].WriteData(Replace(check, "craneResult"));
        m_summaries[c].WriteData(Replace(check, "resSummary"));
        if (c < 3) {
            m_summaries[5 + c].WriteData(Replace(check, "resSummaryLTB"));
            m_akResults[c].WriteData(Replace(check, "akResult"));
        }
        if (c == 4)
            for (int f = 0; f < 3; ++f) m_fatResults[f].WriteData(Replace(check, Numbered("fatResult_%ld", f).c_str()));
        // The check's extreme support reactions by crane position.
        if (static_cast<size_t>(c) < m_checkReactions.size()) {
            if (m_checkReactions[static_cast<size_t>(c)].nAufl > 0)
                WriteReactions(Replace(check, "Reactions"), m_checkReactions[static_cast<size_t>(c)]);
            else if (ZVELEM old = ZEVUD_FindFirstChild(check, "Reactions"))
                ZEVUD_DeleteElement(old);
        }
    }
    m_bucklRes.WriteData(Replace(result, "bucklRes"));
    ZEVUD_SetInt(result, "numOfUserPoints", static_cast<int32_t>(m_userPointNames.size()));
    for (size_t i = 0; i < m_userPointNames.size(); ++i)
        ZEVUD_SetString(result, Numbered("userPointName_%ld", static_cast<long>(i)).c_str(),
                        m_userPointNames[i].c_str());
    PutDoubles(result, "cranePosition", m_cranePositions.data(), m_cranePositions.size());
    PutDoubles(result, "fieldLength_0", m_fieldLength0.data(), m_fieldLength0.size());
    PutDoubles(result, "fieldLength_1", m_fieldLength1.data(), m_fieldLength1.size());
    ZEVUD_SetString(result, "message", m_strMessage.c_str());
    CResultPathMemo paths;
    for (const CResultSet& set : m_resultSets) WriteResultSet(set, result, &paths);
    m_fatDetail.WriteData(Replace(result, "fatDetailResult"));
    m_railWeld.WriteData(Replace(result, "railWeldingResult"));

    WriteReactions(Replace(result, "Reactions"), m_reactions);
}

// ---- reading --------------------------------------------------------------------------------

void CModuleData::ReadData(ZVDOC hDoc) {
    Init();
    CBaseData::ReadData(hDoc);
    if (m_info.m_nNorm == 1) m_info.m_nNorm = kNormDin18800;
    const bool crane = IsCraneRunway();
    if (crane) SetNormAndMaterialClass(kNormEc3Na, m_info.m_nCountryCode != 0 ? kLkEcNaf : kLkEcNad);

    ZVELEM root = hDoc ? ZEVUD_GetRootElement(hDoc) : 0;
    if (root && ZEVUD_FindFirstChild(root, "input")) ReadModulePart(root);

    if (m_info.m_bIsTemplate) {
        if (crane) {
            ApplyDefaultNorm(31, 31, 31, 31);
            const int idx = m_info.m_nCountryCode != 0 ? 5 : 4;
            ApplyDefaultLkNorm(idx, idx, idx, idx);
        } else {
            ApplyDefaultNorm(7, 8, 13, 31);
            ApplyDefaultLkNorm(0, 3, 2, 4);
        }
        // The combination settings were read with the template's norm: they
        // follow the norm the default gave.
        LK().SetNorm(m_info.m_nLkNorm);
    }
    for (CSection& s : m_sections) UpdateSectionMaterialForNorm(s, m_info.m_nNorm, m_matBB);
    if (m_pDialog) m_pDialog->ExchangeData(0);
    DefineVariables();
    if (crane) GenerateCranePositions();
}

void CModuleData::ReadModulePart(ZVELEM root) {
    const bool crane = IsCraneRunway();
    ZVELEM input = ZEVUD_FindFirstChild(root, "input");
    for (size_t i = 0; i < m_inputAnnotations.size(); ++i)
        m_inputAnnotations[i] = zevud::GetString(input, Numbered("annotation_%ld", static_cast<long>(i)));
    m_matBB = ZEVUD_GetInt(input, "matBB");

    const std::string additional = zevud::GetString(input, "additionalSKW");
    if (!additional.empty()) {
        GetStdProfile().RemoveDatabaseFile(additional);
        GetStdProfile().AddDatabaseFile(additional, 1);
    }

    if (crane)
        m_craneSettings.ReadData(ZEVUD_FindFirstChild(input, "craneSettings"));
    else
        m_calcSettings.ReadData(ZEVUD_FindFirstChild(input, "calcSettings"));

    ExtractSectionFile(root);

    if (ZVELEM system = ZEVUD_FindFirstChild(input, "system")) ReadSystem(system);
    CompleteSectionFile();

    if (ZVELEM springs = ZEVUD_FindFirstChild(input, "springs")) {
        const int32_t n = ReadCount(springs, "numOfSprings");
        if (n >= 0) {
            m_springs.assign(static_cast<size_t>(n), CSupport());
            for (int32_t i = 0; i < n; ++i)
                if (ZVELEM e = ZEVUD_FindFirstChild(springs, Numbered("spring_%ld", i).c_str()))
                    m_springs[static_cast<size_t>(i)].ReadData(e);
        }
    }
    if (ZVELEM gelenke = ZEVUD_FindFirstChild(input, "gelenke")) {
        const int32_t n = ReadCount(gelenke, "numOfGelenke");
        if (n >= 0) {
            m_hinges.assign(static_cast<size_t>(n), CHinge());
            for (int32_t i = 0; i < n; ++i)
                if (ZVELEM e = ZEVUD_FindFirstChild(gelenke, Numbered("gelenk_%ld", i).c_str()))
                    m_hinges[static_cast<size_t>(i)].ReadData(e);
        }
    }
    if (!crane) {
        if (ZVELEM loads = ZEVUD_FindFirstChild(input, "loads")) {
            const int32_t n = ReadCount(loads, "numOfLoads");
            if (n >= 0) {
                m_loads.clear();
                m_spanShareLoads.clear();
                m_loads.reserve(static_cast<size_t>(n));
                for (int32_t i = 0; i < n; ++i) {
                    ZVELEM e = ZEVUD_FindFirstChild(loads, Numbered("load_%ld", i).c_str());
                    // Loads of take-overs belong to "lastUebernahme", not to the user.
                    if (e && ZEVUD_GetIntWithDefault(e, "indexLuda", 0) > 0) continue;
                    // Span shares are made anew by every calculation.
                    if (e && ZEVUD_GetIntWithDefault(e, "feldanteil", 0) > 0) {
                        m_spanShareLoads.emplace_back();
                        m_spanShareLoads.back().ReadData(e);
                        continue;
                    }
                    m_loads.emplace_back();
                    if (e) m_loads.back().ReadData(e);
                }
            }
            for (CLoadDef& l : m_loads)
                if (l.m_iLoadType == LOAD_SELF_WEIGHT && std::fabs(l.m_val[0].GetValue()) < 0.0001 &&
                    std::fabs(l.m_val[1].GetValue()) < 0.0001 && std::fabs(l.m_val[2].GetValue()) < 0.0001)
                    l.m_val[2].SetValue(1.0);
        }
    } else {
        if (ZVELEM cranes = ZEVUD_FindFirstChild(input, "cranes")) {
            const int32_t n = ReadCount(cranes, "numOfCranes");
            if (n >= 0) {
                m_cranes.assign(static_cast<size_t>(n), CCrane());
                for (int32_t i = 0; i < n; ++i) {
                    CCrane& c = m_cranes[static_cast<size_t>(i)];
                    c.m_pOwner = this;
                    if (ZVELEM e = ZEVUD_FindFirstChild(cranes, Numbered("crane_%ld", i).c_str())) c.ReadData(e);
                }
            }
        }
        if (ZVELEM rail = ZEVUD_FindFirstChild(input, "rail")) m_rail.ReadData(rail);
    }
    m_vorvSettings.ReadData(ZEVUD_FindFirstChild(input, "vorvSettings"));

    if (ZVELEM output = ZEVUD_FindFirstChild(root, "output")) {
        if (!crane) {
            ReadOptionList(output, "rtfOptions", m_rtfOptions, kReportOptions);
            ReadOptionList(output, "rtfWizOptions", m_rtfWizOptions, kWizardOptions);
            m_rtfLKgebr = ZEVUD_GetInt(output, "rtfLKgebr");
            m_rtfLKTragSV = ZEVUD_GetInt(output, "rtfLKTragSV");
            m_bRtfChapterInput = ZEVUD_GetInt(output, "bRtfChapterInput");
            m_bRtfChapterGebr = ZEVUD_GetInt(output, "bRtfChapterGebr");
            m_bRtfChapterTragSV = ZEVUD_GetInt(output, "bRtfChapterTragSV");
            m_bRtfChapterCT = ZEVUD_GetInt(output, "bRtfChapterCT");
            m_bRtfCalcSinglePoint = ZEVUD_GetInt(output, "bRtfCalcSinglePoint");
            m_bRtfSinglePointLayout = ZEVUD_GetInt(output, "bRtfSinglePointLayout");
        } else {
            ReadOptionList(output, "rtfOptions", m_craneRtfOptions, kCraneReportOptions);
            m_dorIzi.m_strText = zevud::GetString(output, "dorIzi");
            m_dorIzi.Parse();
            m_craneShortSummery = ZEVUD_GetInt(output, "craneShortSummery");
        }
    }

    if (crane && !m_bRunning && m_dVersion > kCraneResultVersion)
        if (ZVELEM result = ZEVUD_FindFirstChild(root, "result")) ReadCraneResults(result);
}

void CModuleData::ReadSystem(ZVELEM system) {
    const bool crane = IsCraneRunway();
    if (crane)
        for (ZVELEM p : zevud::Children(system, "POI")) {
            CNotchCase n;
            n.Reset();
            n.ReadData(p);
            m_notchCases.push_back(n);
        }
    const int32_t n = ReadCount(system, "numOfFields");
    m_bSectionConst = ZEVUD_GetIntWithDefault(system, "bSectionConst", 1);
    if (n < 0) return;  // damaged: the defaults stay
    m_fieldLengths.resize(static_cast<size_t>(n));
    m_supports.resize(static_cast<size_t>(n));
    m_sections.resize(n > 1 ? static_cast<size_t>(n - 1) : 0);
    if (crane) m_bucklFields.resize(static_cast<size_t>(n), 0);

    bool replaced = false;
    for (int32_t i = 0; i < n; ++i) {
        ZVELEM field = ZEVUD_FindFirstChild(system, Numbered("field_%ld", i).c_str());
        if (!field) continue;
        const size_t k = static_cast<size_t>(i);
        m_fieldLengths[k].ReadFromDom(field, "length");
        if (crane) m_bucklFields[k] = ZEVUD_GetIntWithDefault(field, "numOfBucklField", 1);
        if (ZVELEM support = ZEVUD_FindFirstChild(field, "support")) {
            m_supports[k].ReadData(support);
            m_supports[k].ClearPercentKinds();
        }
        if (i >= 1) {
            CSection& s = m_sections[k - 1];
            s.m_pOwner = this;
            s.m_iField = i - 1;
            if (ZVELEM section = ZEVUD_FindFirstChild(field, "section")) s.ReadData(section);
            UpdateSectionMaterialForNorm(s, m_info.m_nNorm, m_matBB);
            s.m_iNorm = m_info.m_nNorm;
            if (crane) {
                s.m_nTeilung = 3;
                s.m_iReserved2 = 1;
            }
        }
    }
    for (CSection& s : m_sections) {
        if (IsBatchRun() && !s.MaterialKnown())
            RefuseInput(winsys::FormatC("Feld %d, Stahlgüte", s.m_iField + 1), s.m_strMaterial,
                        "ist in der Materialdatenbank nicht vorhanden");
        if (s.m_profSelType != 0 || GetStdProfile().ProfileExists(s.m_profFamily, s.m_profName)) continue;
        if (IsBatchRun()) {
            // Without a user nothing is replaced: the calculation is refused.
            RefuseInput(winsys::FormatC("Feld %d, Querschnitt", s.m_iField + 1), s.m_profFamily + " / " + s.m_profName,
                        "Profil ist im Profilkatalog nicht vorhanden");
            continue;
        }
        s.m_profFamily = "HEB";
        s.m_profName = "HEB 300";
        s.m_bVoute = 0;
        int series = -1, profile = -1;
        GetStdProfile().FindProfile(s.m_profFamily, s.m_profName, series, profile);
        s.m_iFamily = series < 0 ? 0 : series;
        s.m_iProfile = profile < 0 ? 0 : profile;
        replaced = true;
    }
    if (replaced) {
        const char* text = "Min. einer der gewählten Querschnitte existiert nicht, bitte überprüfen";
        winsys::MessageBox(lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text), "",
                           winsys::Buttons::Ok, winsys::Icon::Error);
    }
}

void CModuleData::ReadCraneResults(ZVELEM result) {
    for (int c = 0; c < kCraneChecks; ++c) {
        ZVELEM check = ZEVUD_FindFirstChild(result, Numbered("check_%ld", c).c_str());
        if (!check) continue;
        if (ZVELEM e = ZEVUD_FindFirstChild(check, "craneResult")) m_craneResults[c].ReadData(e);
        if (ZVELEM e = ZEVUD_FindFirstChild(check, "resSummary")) m_summaries[c].ReadData(e);
        if (c < 3) {
            if (ZVELEM e = ZEVUD_FindFirstChild(check, "resSummaryLTB")) m_summaries[5 + c].ReadData(e);
            if (ZVELEM e = ZEVUD_FindFirstChild(check, "akResult")) m_akResults[c].ReadData(e);
        }
        if (c == 4)
            for (int f = 0; f < 3; ++f)
                if (ZVELEM e = ZEVUD_FindFirstChild(check, Numbered("fatResult_%ld", f).c_str()))
                    m_fatResults[f].ReadData(e);
        if (static_cast<size_t>(c) < m_checkReactions.size())
            if (ZVELEM e = ZEVUD_FindFirstChild(check, "Reactions"))
                ReadReactions(e, m_checkReactions[static_cast<size_t>(c)]);
    }
    if (ZVELEM e = ZEVUD_FindFirstChild(result, "bucklRes")) m_bucklRes.ReadData(e);
    const int32_t users = ReadCount(result, "numOfUserPoints");
    if (users >= 0) {
        m_userPointNames.assign(static_cast<size_t>(users), std::string());
        for (int32_t i = 0; i < users; ++i)
            m_userPointNames[static_cast<size_t>(i)] = zevud::GetString(result, Numbered("userPointName_%ld", i));
    }
    m_cranePositions = GetDoubles(result, "cranePosition");
    m_fieldLength0 = GetDoubles(result, "fieldLength_0");
    m_fieldLength1 = GetDoubles(result, "fieldLength_1");
    m_strMessage = zevud::GetString(result, "message");
    m_bFatigueUnproven = ZEVUD_GetInt(result, "kranErmNichtNachgewiesen") != 0;
    m_fatigueUnprovenReason = zevud::GetString(result, "kranErmGrund");
    if (ZVELEM e = ZEVUD_FindFirstChild(result, "fatDetailResult")) m_fatDetail.ReadData(e);
    if (ZVELEM e = ZEVUD_FindFirstChild(result, "railWeldingResult")) m_railWeld.ReadData(e);
    if (ZVELEM r = ZEVUD_FindFirstChild(result, "Reactions")) ReadReactions(r, m_reactions);
}
