// Position documents of the kernel as tests build them (fields, sections,
// loads, combinations), and scratch folders.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/zevud/zevud.h"
#include "testsupport/scratch.h"

namespace results_test {

// A unique scratch folder; the process works inside it while the object lives.
class ScratchDir : public test_support::ScratchDir {
public:
    explicit ScratchDir(const std::string& tag) : test_support::ScratchDir(Name(tag)) {}

private:
    static std::string Name(const std::string& tag) {
        static std::atomic<int> serial{0};
        return "kresults_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(serial++);
    }
};

// A member-design position document as the module writes it: supports,
// fields, loads and load combinations.
class PositionDoc {
public:
    explicit PositionDoc(const std::string& fileName, const std::string& progname = "RIGEL") {
        doc = ZEVUD_CreateDoc(fileName.c_str());
        root = ZEVUD_GetRootElement(doc);
        ZEVUD_SetString(root, "progname", progname.c_str());
        ZEVUD_SetString(root, "modulename", "");
        ZEVUD_SetInt(ZEVUD_AddChildElement(root, "info"), "norm", 31);
        input = ZEVUD_AddChildElement(root, "input");
        system = ZEVUD_AddChildElement(input, "system");
        springs = ZEVUD_AddChildElement(input, "springs");
        gelenke = ZEVUD_AddChildElement(input, "gelenke");
        loads = ZEVUD_AddChildElement(input, "loads");
        ZEVUD_AddChildElement(input, "vorvSettings");
        calc = ZEVUD_AddChildElement(input, "calcSettings");
        lastUeb = ZEVUD_AddChildElement(input, "lastUeberlagerung");
        results = ZEVUD_AddChildElement(lastUeb, "results");
        einwirkungen = ZEVUD_AddChildElement(lastUeb, "einwirkungen");
        ZEVUD_SetInt(springs, "numOfSprings", 0);
        ZEVUD_SetInt(gelenke, "numOfGelenke", 0);
        ZEVUD_SetInt(loads, "numOfLoads", 0);
        ZVELEM f0 = ZEVUD_AddChildElement(system, "field_0");
        Support(f0, -1, -1, -1, -1);
        ZEVUD_SetInt(system, "numOfFields", 1);
    }
    ~PositionDoc() { ZEVUD_CloseDoc(doc); }
    PositionDoc(const PositionDoc&) = delete;
    PositionDoc& operator=(const PositionDoc&) = delete;

    static void Support(ZVELEM field, double cx, double cy, double cz, double cmx) {
        ZVELEM s = ZEVUD_AddChildElement(field, "support");
        ZEVUD_SetDouble(s, "cx", cx);
        ZEVUD_SetDouble(s, "cy", cy);
        ZEVUD_SetDouble(s, "cz", cz);
        ZEVUD_SetDouble(s, "cmx", cmx);
        for (const char* a : {"cmy", "cmz", "cwoelb"}) ZEVUD_SetDouble(s, a, 0.0);
    }

    // The next field with a roller (free in x) at its end.
    ZVELEM AddField(double length, const std::string& prof, double area, int nTeilung = 12) {
        const int i = ZEVUD_GetInt(system, "numOfFields");
        ZVELEM f = ZEVUD_AddChildElement(system, ("field_" + std::to_string(i)).c_str());
        ZEVUD_SetDouble(f, "length", length);
        Support(f, 0, -1, -1, -1);
        ZVELEM s = ZEVUD_AddChildElement(f, "section");
        ZEVUD_SetDouble(s, "rotAngle", 0.0);
        ZEVUD_SetInt(s, "bMirrorY", 0);
        ZEVUD_SetInt(s, "bMirrorZ", 0);
        ZEVUD_SetInt(s, "bVoute", 0);
        ZEVUD_SetInt(s, "nTeilung", nTeilung);
        ZEVUD_SetString(s, "profName", prof.c_str());
        ZEVUD_SetString(s, "profName2", "");
        ZVELEM lib = ZEVUD_AddChildElement(s, "sectlib");
        ZEVUD_SetDouble(lib, "phi", 0.0);
        ZEVUD_SetDouble(lib, "A", area);
        ZVELEM obj = ZEVUD_AddChildElement(ZEVUD_AddChildElement(s, "mate"), "Objekt");
        ZEVUD_SetString(obj, "Name", "S 235");
        const struct { const char* name; double value; } props[] = {
            {"fo", 235}, {"fu", 360}, {"E", 210000}, {"G", 81000}, {"gamma_m", 1.1}, {"gamma", 78.5}};
        for (const auto& p : props) {
            ZVELEM e = ZEVUD_AddChildElement(obj, "prop");
            ZEVUD_SetString(e, "Kurzname", p.name);
            ZEVUD_SetDouble(e, "Wert01", p.value);
        }
        ZEVUD_SetInt(system, "numOfFields", i + 1);
        return s;
    }

    // A uniform line load in z on the whole span starting at input node 0.
    void AddLineLoadZ(const std::string& lcGen, double q, double length) {
        const int j = ZEVUD_GetInt(loads, "numOfLoads");
        ZVELEM l = ZEVUD_AddChildElement(loads, ("load_" + std::to_string(j)).c_str());
        ZEVUD_SetInt(l, "ltype", 0);
        ZEVUD_SetString(l, "LCGen", lcGen.c_str());
        ZEVUD_SetInt(l, "lc", std::atoi(lcGen.c_str()));
        ZEVUD_SetInt(l, "node", 0);
        ZEVUD_SetDouble(l, "offset", 0.0);
        ZEVUD_SetDouble(l, "length", length);
        ZEVUD_SetDouble(l, "ey", 0.0);
        ZEVUD_SetDouble(l, "ez", 0.0);
        ZEVUD_SetInt(l, "direction", 2);
        ZEVUD_SetDouble(l, "val0", q);
        for (const char* a : {"val1", "val2", "val3"}) ZEVUD_SetDouble(l, a, 0.0);
        ZEVUD_SetInt(loads, "numOfLoads", j + 1);
    }

    void AddCombination(const std::string& art, const std::string& regel) {
        ZVELEM r = ZEVUD_AddChildElement(results, "result");
        ZEVUD_SetString(r, "art", art.c_str());
        ZEVUD_SetString(r, "regel", regel.c_str());
        ZEVUD_SetString(r, "desc", "");
    }

    ZVDOC doc = 0;
    ZVELEM root = 0, input = 0, system = 0, springs = 0, gelenke = 0, loads = 0, calc = 0, lastUeb = 0, results = 0,
           einwirkungen = 0;
};

// Child of parent whose "title" equals each component in turn, or 0.
inline ZVELEM Series(ZVELEM parent, const std::vector<std::string>& path) {
    ZVELEM cur = parent;
    for (const std::string& c : path) {
        ZVELEM next = 0;
        for (ZVELEM e = ZEVUD_GetFirstChild(cur); e && !next; e = ZEVUD_GetNextChild(e))
            if (zevud::GetString(e, "title") == c) next = e;
        cur = next;
        if (!cur) return 0;
    }
    return cur;
}

}  // namespace results_test
