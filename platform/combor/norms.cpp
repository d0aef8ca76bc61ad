// Norm tables: load groups, categories with their combination factors and
// the partial safety factors.
//
// Sources of the values:
// - DIN 1055-100:2001, Tabelle A.2 (psi) and A.3 (gamma); geotechnical sets
//   after DIN 1054:2005, Tabelle 2 (LF 1, 2, 3).
// - DIN EN 1990/NA:2010 (Tabelle NA.A.1.1 and NA.A.1.2); geotechnical sets
//   after DIN 1054:2010, Tabelle A 2.1 (BS-P, BS-T, BS-A).
// - EN 1990:2002, Table A1.1 and A1.2 (recommended values).
// - NF EN 1990/NA (French annex): the values of the recommended table for
//   buildings; crane loads with gamma_Q = 1.5.
// - EN 1991-3, Annex A: crane loads gamma_Q = 1.35, test loads 1.1,
//   psi0 = 1.0, psi1 = 0.9, psi2 = ratio of permanent to total crane load.
// - DIN 18800-1:1990, Elemente 710 to 716: gamma_F = 1.35 permanent (1.0
//   favourable), 1.5 variable, psi = 0.9 with several variable actions.
// - SIA 260:2003, Tabelle 1 (gamma, type 2: gamma_G,sup 1.35, gamma_G,inf
//   0.80) and Tabelle 2 (psi).
#include "internal.h"

namespace combor_impl {

namespace {

// Categories of the German tables (DIN 1055-100 and the German annex share
// the arrangement; the wind's psi1 differs).
std::vector<Category> GermanCategories(double windPsi1) {
    return {
        {"Nutzlasten Kat. A, B: Wohn-, Aufenthalts- und Büroräume", 0.7, 0.5, 0.3, 1.5},
        {"Nutzlasten Kat. C, D: Versammlungs- und Verkaufsräume", 0.7, 0.7, 0.6, 1.5},
        {"Nutzlasten Kat. E: Lagerräume", 1.0, 0.9, 0.8, 1.5},
        {"Verkehrslasten Kat. F: Fahrzeuglast bis 30 kN", 0.7, 0.7, 0.6, 1.5},
        {"Verkehrslasten Kat. G: Fahrzeuglast 30 kN bis 160 kN", 0.7, 0.5, 0.3, 1.5},
        {"Nutzlasten Kat. H: Dächer", 0.0, 0.0, 0.0, 1.5},
        {"Schnee- und Eislasten, Orte bis NN + 1000 m", 0.5, 0.2, 0.0, 1.5},
        {"Windlasten", 0.6, windPsi1, 0.0, 1.5},
        {"Schnee- und Eislasten, Orte über NN + 1000 m", 0.7, 0.5, 0.2, 1.5},
        {"Temperatureinwirkungen (nicht Brand)", 0.6, 0.5, 0.0, 1.5},
        {"Baugrundsetzungen", 1.0, 1.0, 1.0, 1.5},
        {"Sonstige Einwirkungen", 0.8, 0.7, 0.5, 1.5},
    };
}

void AddCraneCategories(std::vector<Category>& cats, double gammaCrane) {
    cats.push_back({"Kranlasten, Ermüdung", 1.0, 0.9, 0.0, gammaCrane, Psi2Rule::CranePsi2});
    cats.push_back({"Kranlasten", 1.0, 0.9, 0.0, gammaCrane, Psi2Rule::CranePsi2});
    cats.push_back({"Kranlasten, Prüflast", 1.0, 0.9, 0.0, 1.1, Psi2Rule::CranePsi2});
}

std::vector<Category> EnCategories() {
    std::vector<Category> c = {
        {"Kategorie A: Wohngebäude", 0.7, 0.5, 0.3, 1.5},
        {"Kategorie B: Bürogebäude", 0.7, 0.5, 0.3, 1.5},
        {"Kategorie C: Versammlungsbereiche", 0.7, 0.7, 0.6, 1.5},
        {"Kategorie D: Verkaufsflächen", 0.7, 0.7, 0.6, 1.5},
        {"Kategorie E: Lagerflächen", 1.0, 0.9, 0.8, 1.5},
        {"Kategorie F: Fahrzeuglast bis 30 kN", 0.7, 0.7, 0.6, 1.5},
        {"Kategorie G: Fahrzeuglast 30 kN bis 160 kN", 0.7, 0.5, 0.3, 1.5},
        {"Kategorie H: Dächer", 0.0, 0.0, 0.0, 1.5},
        {"Schnee, Orte bis 1000 m ü. NN", 0.5, 0.2, 0.0, 1.5},
        {"Schnee, Finnland, Island, Norwegen, Schweden", 0.7, 0.5, 0.2, 1.5},
        {"Schnee, Orte über 1000 m ü. NN", 0.7, 0.5, 0.2, 1.5},
        {"Wind", 0.6, 0.2, 0.0, 1.5},
        {"Temperatur (nicht Brand)", 0.6, 0.5, 0.0, 1.5},
        {"Kranlasten", 1.0, 0.9, 0.0, 1.35, Psi2Rule::CranePsi2},
        {"Kranlasten, Prüflast", 1.0, 0.9, 0.0, 1.1, Psi2Rule::CranePsi2},
        {"Baugrundsetzungen", 1.0, 1.0, 1.0, 1.5},
        {"Sonstige Einwirkungen", 0.8, 0.7, 0.5, 1.5},
    };
    return c;
}

std::vector<Category> SiaCategories() {
    return {
        {"Nutzlasten Kat. A, B: Wohn- und Büroflächen", 0.7, 0.5, 0.3, 1.5},
        {"Nutzlasten Kat. C, D: Versammlungs- und Verkaufsflächen", 0.7, 0.7, 0.6, 1.5},
        {"Nutzlasten Kat. E: Lagerflächen", 1.0, 0.9, 0.8, 1.5},
        {"Nutzlasten Kat. F: Fahrzeugflächen bis 3,5 t", 0.7, 0.7, 0.6, 1.5},
        {"Nutzlasten Kat. G: Fahrzeugflächen 3,5 t bis 16 t", 0.7, 0.5, 0.3, 1.5},
        {"Nutzlasten Kat. H: Dächer", 0.0, 0.0, 0.0, 1.5},
        {"Schnee", 0.6, 0.5, 0.0, 1.5, Psi2Rule::SiaSnowByHeight},
        {"Wind", 0.6, 0.5, 0.0, 1.5},
        {"Temperatur", 0.6, 0.5, 0.0, 1.5},
    };
}

std::vector<Group> Groups(const std::vector<Category>& variable) {
    return {
        {"ständig", kPermanent, {{"ständig", 1, 1, 1, 1}}},
        {"veränderlich", kVariableAdditive, variable},
        {"veränderlich, alternativ", kVariableAlternative, variable},
        {"außergewöhnlich", kAccidental, {{"außergewöhnlich", 1, 1, 1, 1}}},
        {"Vorspannung", kPrestress, {{"Vorspannung", 1, 1, 1, 1}}},
    };
}

const GammaSet kGammaDin1054_2005 = {1.35, 1.0, {0.90, 0.90, 0.95}, {1.00, 1.00, 1.00},
                                     {1.50, 1.30, 1.00}, {1.35, 1.20, 1.00}, {1.50, 1.30, 1.00}};
const GammaSet kGammaDin1054_2010 = {1.35, 1.0, {0.90, 0.90, 0.95}, {1.10, 1.05, 1.00},
                                     {1.50, 1.25, 1.00}, {1.35, 1.20, 1.10}, {1.50, 1.30, 1.10}};
const GammaSet kGammaEn = {1.35, 1.0, {0.90, 0.90, 1.00}, {1.10, 1.10, 1.00},
                           {1.50, 1.50, 1.00}, {1.35, 1.35, 1.00}, {1.50, 1.50, 1.00}};
const GammaSet kGammaSia = {1.35, 0.80, {0.90, 0.90, 1.00}, {1.10, 1.10, 1.00},
                            {1.50, 1.50, 1.00}, {1.35, 1.35, 1.00}, {1.50, 1.50, 1.00}};

}  // namespace

std::string NormTitle(const std::string& name) {
    if (name == "DIN 1055-100" || name == "DIN 18800" || name == "SIA 260:2003") return name;
    if (name == "EC") return "EN 1990 (empfohlene Werte)";
    if (name == "EC_NAD") return "DIN EN 1990/NA:2010-12";  // German national annex
    if (name == "EC_NAF") return "NF EN 1990/NA";           // French national annex
    return {};
}

Norm MakeNorm(const std::string& name) {
    Norm n;
    n.name = name;
    if (name == "DIN 1055-100") {
        n.id = kDin1055;
        n.groups = Groups(GermanCategories(0.5));
        n.gamma = kGammaDin1054_2005;
    } else if (name == "DIN 18800") {
        n.id = kDin18800;
        n.groups = Groups({{"veränderlich", 0.9, 0.9, 0.9, 1.5}});
        n.gamma = kGammaDin1054_2005;
    } else if (name == "SIA 260:2003") {
        n.id = kSia260;
        n.groups = Groups(SiaCategories());
        n.gamma = kGammaSia;
    } else if (name == "EC") {
        n.id = kEc;
        n.groups = Groups(EnCategories());
        n.gamma = kGammaEn;
    } else if (name == "EC_NAD") {
        n.id = kEcNad;
        auto cats = GermanCategories(0.2);
        AddCraneCategories(cats, 1.35);
        n.groups = Groups(cats);
        n.gamma = kGammaDin1054_2010;
    } else if (name == "EC_NAF") {
        n.id = kEcNaf;
        auto cats = GermanCategories(0.2);
        // The French table has no rows for settlements and other actions;
        // they keep the values of the German table.
        AddCraneCategories(cats, 1.5);
        n.groups = Groups(cats);
        n.gamma = kGammaEn;
    } else {
        n.id = kNone;
        n.name.clear();
    }
    return n;
}

void EffectivePsi(const Session& s, const Category& c, double psi[3]) {
    psi[0] = c.psi0;
    psi[1] = c.psi1;
    psi[2] = c.psi2;
    if (c.rule == Psi2Rule::CranePsi2) psi[2] = s.vars.psi2Crane;
    if (c.rule == Psi2Rule::SiaSnowByHeight) psi[2] = s.vars.h > 1000.0 ? 0.2 : 0.0;
    if (s.noGammaPsi) psi[0] = psi[1] = psi[2] = 1.0;
}

double EffectiveGammaQ(const Session& s, const Category& c) { return s.noGammaPsi ? 1.0 : c.gammaQ; }

bool EffectiveGamma(const Session& s, int a, int b, double gamma[2]) {
    gamma[0] = gamma[1] = 0.0;
    if (s.norm.id == kNone || a < 0 || a >= static_cast<int>(s.norm.groups.size()) || b < 0 || b > 11)
        return false;
    const GammaSet& g = s.norm.gamma;
    const int type = s.norm.groups[static_cast<size_t>(a)].type;
    const bool variable = type == kVariableAdditive || type == kVariableAlternative;
    if (b == 0) {
        if (type == kPermanent) {
            gamma[0] = g.gInf;
            gamma[1] = g.gSup * s.vars.gSupFactor;
        } else if (variable) {
            gamma[0] = 0.0;
            gamma[1] = 1.5;
        } else {
            gamma[0] = gamma[1] = 1.0;
        }
    } else if (b >= 1 && b <= 5) {
        gamma[0] = variable ? 0.0 : 1.0;
        gamma[1] = 1.0;
    } else if (b >= 6 && b <= 8) {
        const int k = b - 6;
        if (type == kPermanent) {
            gamma[0] = g.stb[k];
            gamma[1] = g.dst[k];
        } else if (variable) {
            gamma[0] = 0.0;
            gamma[1] = g.qDst[k];
        } else {
            gamma[0] = gamma[1] = 1.0;
        }
    } else {
        const int k = b - 9;
        if (type == kPermanent) {
            gamma[0] = 1.0;
            gamma[1] = g.g[k];
        } else if (variable) {
            gamma[0] = 0.0;
            gamma[1] = g.q[k];
        } else {
            gamma[0] = gamma[1] = 1.0;
        }
    }
    if (s.noGammaPsi) {
        gamma[0] = variable ? 0.0 : 1.0;
        gamma[1] = 1.0;
    }
    return true;
}

}  // namespace combor_impl
