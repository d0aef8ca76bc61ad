// Small position documents for the kernel frame tests, built through the
// document library, and a scratch folder per test process.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

#include "kernel/KernelPhases.h"
#include "testsupport/scratch.h"
#include "platform/winsys/winsys.h"
#include "platform/zevud/zevud.h"

namespace frame_test {

// A unique scratch folder; the process works inside it while the object lives.
class ScratchDir : public test_support::ScratchDir {
public:
    explicit ScratchDir(const std::string& tag)
        : test_support::ScratchDir("kframe_" + tag + "_" + std::to_string(::getpid())) {}
};

using test_support::EnvGuard;

struct Material {
    double fo = 235, fu = 360, E = 210000, G = 81000, gamma_m = 1.1, gamma = 78.5;
};

inline void AddProperty(ZVELEM objekt, const char* name, double value) {
    ZVELEM p = ZEVUD_AddChildElement(objekt, "prop");
    ZEVUD_SetString(p, "Kurzname", name);
    ZEVUD_SetDouble(p, "Wert01", value);
}

inline void AddMaterial(ZVELEM section, const Material& m = {}) {
    ZVELEM mate = ZEVUD_AddChildElement(section, "mate");
    ZVELEM obj = ZEVUD_AddChildElement(mate, "Objekt");
    ZEVUD_SetString(obj, "Name", "S 235");
    AddProperty(obj, "fo", m.fo);
    AddProperty(obj, "fu", m.fu);
    AddProperty(obj, "E", m.E);
    AddProperty(obj, "G", m.G);
    AddProperty(obj, "gamma_m", m.gamma_m);
    AddProperty(obj, "gamma", m.gamma);
}

// A member-design position document as the module writes it.
class PositionDoc {
public:
    explicit PositionDoc(const std::string& fileName, const std::string& progname = "RIGEL") {
        doc = ZEVUD_CreateDoc(fileName.c_str());
        root = ZEVUD_GetRootElement(doc);
        ZEVUD_SetString(root, "progname", progname.c_str());
        ZEVUD_SetString(root, "modulename", "Rigel");
        ZEVUD_SetInt(ZEVUD_AddChildElement(root, "info"), "norm", 31);
        input = ZEVUD_AddChildElement(root, "input");
        system = ZEVUD_AddChildElement(input, "system");
        springs = ZEVUD_AddChildElement(input, "springs");
        gelenke = ZEVUD_AddChildElement(input, "gelenke");
        loads = ZEVUD_AddChildElement(input, "loads");
        vorv = ZEVUD_AddChildElement(input, "vorvSettings");
        calc = ZEVUD_AddChildElement(input, "calcSettings");
        lastUeb = ZEVUD_AddChildElement(input, "lastUeberlagerung");
        results = ZEVUD_AddChildElement(lastUeb, "results");
        ZEVUD_AddChildElement(lastUeb, "einwirkungen");
        ZEVUD_SetInt(system, "numOfFields", 0);
        ZEVUD_SetInt(springs, "numOfSprings", 0);
        ZEVUD_SetInt(gelenke, "numOfGelenke", 0);
        ZEVUD_SetInt(loads, "numOfLoads", 0);
        // The first node's support.
        ZVELEM f0 = ZEVUD_AddChildElement(system, "field_0");
        Support(f0, -1, -1, -1, -1, 0, 0, 0);
        ZEVUD_SetInt(system, "numOfFields", 1);
    }
    ~PositionDoc() { ZEVUD_CloseDoc(doc); }
    PositionDoc(const PositionDoc&) = delete;
    PositionDoc& operator=(const PositionDoc&) = delete;

    static void Support(ZVELEM field, double cx, double cy, double cz, double cmx, double cmy, double cmz,
                        double cw) {
        ZVELEM s = ZEVUD_AddChildElement(field, "support");
        ZEVUD_SetDouble(s, "cx", cx);
        ZEVUD_SetDouble(s, "cy", cy);
        ZEVUD_SetDouble(s, "cz", cz);
        ZEVUD_SetDouble(s, "cmx", cmx);
        ZEVUD_SetDouble(s, "cmy", cmy);
        ZEVUD_SetDouble(s, "cmz", cmz);
        ZEVUD_SetDouble(s, "cwoelb", cw);
    }

    // Adds the next field; returns its "section" element.
    ZVELEM AddField(double length, const std::string& prof = "HEA 200", int nTeilung = 4, double area = 53.8,
                    double phi = 0.0) {
        const int i = ZEVUD_GetInt(system, "numOfFields");
        ZVELEM f = ZEVUD_AddChildElement(system, ("field_" + std::to_string(i)).c_str());
        ZEVUD_SetDouble(f, "length", length);
        Support(f, 0, -1, -1, -1, 0, 0, 0);
        ZVELEM s = ZEVUD_AddChildElement(f, "section");
        ZEVUD_SetDouble(s, "rotAngle", 0.0);
        ZEVUD_SetInt(s, "bMirrorY", 0);
        ZEVUD_SetInt(s, "bMirrorZ", 0);
        ZEVUD_SetInt(s, "bVoute", 0);
        ZEVUD_SetInt(s, "nTeilung", nTeilung);
        ZEVUD_SetString(s, "profName", prof.c_str());
        ZEVUD_SetString(s, "profName2", "");
        ZVELEM lib = ZEVUD_AddChildElement(s, "sectlib");
        ZEVUD_SetDouble(lib, "phi", phi);
        ZEVUD_SetDouble(lib, "A", area);
        AddMaterial(s);
        ZEVUD_SetInt(system, "numOfFields", i + 1);
        return s;
    }

    static void MakeTapered(ZVELEM section, const std::string& prof2, double area2) {
        ZEVUD_SetInt(section, "bVoute", 1);
        ZEVUD_SetString(section, "profName2", prof2.c_str());
        ZVELEM lib = ZEVUD_AddChildElement(section, "sectlib2");
        ZEVUD_SetDouble(lib, "phi", 0.0);
        ZEVUD_SetDouble(lib, "A", area2);
    }

    ZVELEM AddHinge(int node, int my) {
        const int j = ZEVUD_GetInt(gelenke, "numOfGelenke");
        ZVELEM g = ZEVUD_AddChildElement(gelenke, ("gelenk_" + std::to_string(j)).c_str());
        for (const char* a : {"Vx", "Vy", "Vz", "Mx", "Mz", "Mw"}) ZEVUD_SetInt(g, a, 0);
        ZEVUD_SetInt(g, "My", my);
        ZEVUD_SetInt(g, "node", node);
        ZEVUD_SetInt(gelenke, "numOfGelenke", j + 1);
        return g;
    }

    ZVELEM AddSpring(int node, double posX, double length) {
        const int j = ZEVUD_GetInt(springs, "numOfSprings");
        ZVELEM s = ZEVUD_AddChildElement(springs, ("spring_" + std::to_string(j)).c_str());
        ZEVUD_SetInt(s, "node", node);
        ZEVUD_SetDouble(s, "posX", posX);
        ZEVUD_SetDouble(s, "length", length);
        for (const char* a : {"cx", "cy", "cz", "cmx", "ey", "ez"}) ZEVUD_SetDouble(s, a, 0.0);
        ZEVUD_SetDouble(s, "cz", 1000.0);
        ZEVUD_SetInt(springs, "numOfSprings", j + 1);
        return s;
    }

    ZVELEM AddLoad(int ltype, const std::string& lcGen, int node, int direction, double val0, double val1 = 0,
                   double val2 = 0, double val3 = 0, double offset = 0, double length = 0) {
        const int j = ZEVUD_GetInt(loads, "numOfLoads");
        ZVELEM l = ZEVUD_AddChildElement(loads, ("load_" + std::to_string(j)).c_str());
        ZEVUD_SetInt(l, "ltype", ltype);
        ZEVUD_SetString(l, "LCGen", lcGen.c_str());
        ZEVUD_SetInt(l, "lc", std::atoi(lcGen.c_str()));
        ZEVUD_SetInt(l, "node", node);
        ZEVUD_SetDouble(l, "offset", offset);
        ZEVUD_SetDouble(l, "length", length);
        ZEVUD_SetDouble(l, "ey", 0.0);
        ZEVUD_SetDouble(l, "ez", 0.0);
        ZEVUD_SetInt(l, "direction", direction);
        ZEVUD_SetDouble(l, "val0", val0);
        ZEVUD_SetDouble(l, "val1", val1);
        ZEVUD_SetDouble(l, "val2", val2);
        ZEVUD_SetDouble(l, "val3", val3);
        ZEVUD_SetInt(loads, "numOfLoads", j + 1);
        return l;
    }

    void AddCombination(const std::string& art, const std::string& regel, const std::string& desc = "") {
        ZVELEM r = ZEVUD_AddChildElement(results, "result");
        ZEVUD_SetString(r, "art", art.c_str());
        ZEVUD_SetString(r, "regel", regel.c_str());
        ZEVUD_SetString(r, "desc", desc.c_str());
    }

    ZVDOC doc = 0;
    ZVELEM root = 0, input = 0, system = 0, springs = 0, gelenke = 0, loads = 0, vorv = 0, calc = 0, lastUeb = 0,
           results = 0;
};

}  // namespace frame_test
