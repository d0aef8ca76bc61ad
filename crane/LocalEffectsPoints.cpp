// Preparation of the steel-check sections and the system points of interest
// of the local wheel-load check (placed by the library, or the user's
// points handed to it).
#include <map>
#include <string>

#include "crane/CraneOperations.h"
#include "input/StdProfile.h"
#include "module/ModuleData.h"
#include "platform/ferrum/ferrum.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

namespace {

std::string Tr(const char* text) { return lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text); }

// Slot of the record for a kind and side: kind 2/3 -> 0, 1/4 -> 2, 5 -> 4.
int Slot(int first, int side) { return first + side; }

void ClearSlot(FER_VaduLocalSection& r, int slot) {
    r.id[slot] = 0;
    r.idx[slot] = 0.0;
    r.thickness[slot] = 0.0;
}

// Side of a point from its name: side 0 is the point named "rechts".
int SideOf(const CNotchCase& p, const std::string& right) {
    return !right.empty() && p.m_strName.find(right) != std::string::npos ? 0 : 1;
}


// A catalogue section keeps no profile of its own: its plates are loaded
// from the catalogue's database, once.
void LoadCatalogueProfile(CSection& s, CSectProfile& profile, const std::string& name) {
    if (profile.IsValid() || s.m_profSelType != 0 || s.m_iFamily < 0 || name.empty()) return;
    CStdProfile& catalogue = GetStdProfile();
    int series = -1, index = -1;
    catalogue.FindProfile(s.m_profFamily, name, series, index);
    if (series < 0 || index < 0) return;
    std::string db;
    if (catalogue.GetProfileType(series, index, &db) < -1 || db.empty()) return;
    if (profile.LoadFromDatabase(db.c_str(), catalogue.GetSeriesName(series).c_str(), name.c_str()) < 0)
        profile.Release();
}

}  // namespace

void PrepareSteelCheckSections(CModuleData& d) {
    d.m_steelSections.Reset();
    d.m_steelSections.m_nAnnex = d.m_info.m_nCountryCode != 0 ? 2 : 1;
    const int n = static_cast<int>(d.m_sections.size());
    d.m_steelSections.SetSpanCount(n);
    for (int i = 0; i < n; ++i) {
        CSection& s = d.m_sections[static_cast<size_t>(i)];
        LoadCatalogueProfile(s, s.m_profile, s.m_profName);
        if (s.m_bVoute) LoadCatalogueProfile(s, s.m_profile2, s.m_profName2);
        const size_t field = static_cast<size_t>(i) + 1;
        const double length = field < d.m_fieldLengths.size() ? d.m_fieldLengths[field].GetValue() : 0.0;
        const int32_t start = s.m_profile.GetHandle();
        const int32_t end = s.m_bVoute ? s.m_profile2.GetHandle() : start;
        d.m_steelSections.SetSpan(i, length, start, end);
    }
}

void FillFER_VaduLocalResultWithPOI(CModuleData& d, FER_VaduLocalSection& r) {
    if (d.m_craneSettings.m_autoPOI) return;
    const std::string right = Tr("rechts");
    // Points per slot group: [0] kind 3, [1] kinds 1/4, [2] kind 5.
    int count[3] = {0, 0, 0};
    static const char* const kCountMessage[3] = {
        "Error: FillFER_VaduLocalResultWithPOI -> count[0]>1",
        "Error: FillFER_VaduLocalResultWithPOI -> count[1]>1",
        "Error: FillFER_VaduLocalResultWithPOI -> count[2]>1",
    };
    auto put = [&](const CNotchCase& p, int slot) {
        r.id[slot] = p.m_tqe;
        r.idx[slot] = p.m_idx.GetValue();
        r.thickness[slot] = p.m_thickness.GetValue() * 0.1;  // mm -> cm
    };
    for (const CNotchCase& p : d.m_notchCases) {
        if (!p.m_bSystem || p.m_iPlace < 1 || p.m_iPlace > 5) continue;
        if (p.m_iPlace == 2) {  // the web top: one place, side 0
            put(p, Slot(0, 0));
            ClearSlot(r, Slot(0, 1));
            continue;
        }
        const int group = p.m_iPlace == 3 ? 0 : p.m_iPlace == 5 ? 2 : 1;
        if (count[group] >= 2) {
            winsys::MessageBox(kCountMessage[group]);
            continue;
        }
        ++count[group];
        const int first = group == 0 ? 0 : group == 1 ? 2 : 4;
        put(p, Slot(first, SideOf(p, right)));
    }
    if (d.m_craneSettings.m_craneTyp == 0) {
        ClearSlot(r, 4);
        ClearSlot(r, 5);
    }
}

void CalcCraneLocalEffects(CModuleData& d) {
    PrepareSteelCheckSections(d);
    const int type = d.m_craneSettings.m_craneTyp;
    FER_VaduLocalInput in{};
    CCrane none;
    const CCrane& crane = d.m_cranes.empty() ? none : d.m_cranes.front();
    const int n = crane.m_numOfAxis;
    FillVaduLocalInput(crane, d, in, 0, n >= 2 ? n - 2 : 0, n >= 2 ? n - 1 : -1);
    FER_VaduLocalSection rec{};
    FillFER_VaduLocalResultWithPOI(d, rec);
    FER_hCalcVaduLocal(d.m_steelSections.GetSteelCheckSectionHandle(0.0), &in, &rec,
                       d.m_craneSettings.m_autoPOI == 0 ? 1 : 0);

    // The system points that do not belong to the crane type go.
    std::vector<CNotchCase> kept;
    for (const CNotchCase& p : d.m_notchCases) {
        const bool top = p.m_iPlace == 1 || p.m_iPlace == 2;
        const bool bottom = p.m_iPlace >= 3 && p.m_iPlace <= 5;
        if (p.m_bSystem && ((type != 0 && top) || (type == 0 && bottom))) continue;
        kept.push_back(p);
    }
    d.m_notchCases = kept;

    std::map<std::string, size_t> byName;
    for (size_t i = 0; i < d.m_notchCases.size(); ++i)
        if (d.m_notchCases[i].m_bSystem) byName[d.m_notchCases[i].m_strName] = i;

    struct Place {
        std::string name;
        int iPlace, slot, kerb, kerbW;
        bool rail;
    };
    std::vector<Place> places;
    const std::string side[2] = {Tr("rechts"), Tr("links")};
    auto sided = [&](const char* fmt, int s) { return lingo::FormatTranslated(fmt, Tr(fmt), side[s]); };
    if (type == 0) {
        places.push_back({Tr("Stegansatz (Sx)"), 2, 0, 13, 13, false});
        places.push_back({Tr("Stegansatz (Tau)"), 2, 0, 9, 9, false});
        for (int s = 0; s < 2; ++s) places.push_back({sided("Schienenanschluss %s", s), 1, 2 + s, 11, 0, true});
    } else {
        for (int s = 0; s < 2; ++s) places.push_back({sided("Stegansatz %s", s), 3, s, 13, 0, false});
        for (int s = 0; s < 2; ++s) places.push_back({sided("Radlast %s", s), 4, 2 + s, 11, 0, false});
        for (int s = 0; s < 2; ++s) places.push_back({sided("Rand %s", s), 5, 4 + s, 13, 0, false});
    }
    for (const Place& pl : places) {
        const auto it = byName.find(pl.name);
        CNotchCase p;
        if (it != byName.end()) {
            p = d.m_notchCases[it->second];
        } else {
            p.SetVariableTable(&d.m_varTable);
            p.m_bActiv = 1;
            p.m_iKerbGruppe = pl.kerb;
            p.m_iKerbGruppeW = pl.kerbW;
        }
        p.m_strName = pl.name;
        p.m_iPlace = pl.iPlace;
        p.m_bSystem = 1;
        p.m_tqe = rec.id[pl.slot];
        p.m_idx.SetValue(rec.idx[pl.slot]);
        p.m_thickness.SetValue(rec.thickness[pl.slot] * 10.0);  // cm -> mm, as the points keep it
        if (pl.rail) p.m_geomType = d.m_rail.m_connection == 2 ? 0 : 2;
        if (it != byName.end()) {
            d.m_notchCases[it->second] = p;
        } else {
            byName[pl.name] = d.m_notchCases.size();
            d.m_notchCases.push_back(p);
        }
    }
}
