// The crane-runway calculation entered from the position's calculation.
#include "module/ModuleData.h"
#include "platform/lingo/lingo.h"
#include "platform/winsys/winsys.h"

// The calculation of a crane runway: the checks that precede the loop over
// checks and crane positions. The loop itself belongs to the crane-runway
// calculation; without it the position is not calculated.
CRecalcResult RecalcCraneRunway(CModuleData& data, int, int) {
    auto tr = [](const char* text) { return lingo::Translate("VKT Eingabe", "velor_i_rigel", "RigelData", text); };
    int plates = -1;
    for (CSection& s : data.m_sections) {
        const int count = s.m_profile.IsValid() ? s.m_profile.GetEffValueCount() : -1;
        if (plates < 0) {
            plates = count;
        } else if (count != plates) {
            winsys::MessageBox(
                tr("Die gewählten Querschnitte müssen gleichförmig sein, d.h. die gleiche Anzahl Bleche besitzen."));
            return {};
        }
    }
    if (data.m_cranePositions.size() < 2) {
        winsys::MessageBox(tr("Es sind keine Kranstellungen vorhanden. Evtl. mit negativem Pufferabstand "
                              "Fahrbereich erweitern."));
        return {};
    }
    // The position says so itself, as a stopped kernel run does, so that no
    // caller takes the stored crane results for a calculation.
    const std::string text = tr("Die Kranbahnberechnung ist in dieser Version nicht verfügbar.");
    winsys::MessageBox(text);
    if (ZVELEM root = data.m_hDoc ? ZEVUD_GetRootElement(data.m_hDoc) : 0) {
        ZVELEM result = ZEVUD_FindFirstChild(root, "result");
        if (!result) result = ZEVUD_AddChildElement(root, "result");
        ZEVUD_SetInt(result, "abbruch", 1);
        ZEVUD_SetString(result, "errorMsg", text.c_str());
    }
    return {};
}
