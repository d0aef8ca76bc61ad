#include "kernel/TextInput.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <cmath>
#include <system_error>
#include <type_traits>

#include "kernel/CombinationRules.h"
#include "kernel/KernelErrors.h"
#include "kernel/KernelRun.h"
#include "kernel/KernelUtil.h"
#include "kernel/section/SectionCache.h"
#include "platform/winsys/winsys.h"

namespace tovik {

namespace {

using winsys::FormatC;

bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Characters of the bytes 0x80..0x9F of code page 1252 (0 = none).
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string IntText(int32_t v) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Shortest text that reads back as the same float, locale-independent.
std::string FloatText(float v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// ---- reading -------------------------------------------------------------------

class Vk1Reader {
public:
    Vk1Reader(KernelTextInput& in, RunState& run) : in_(in), run_(run), r_(run.cdltr) {}
    int32_t Read();

private:
    // Reads into v; on failure writes the error line once.
    bool I(int32_t& v) { return Check(in_.ReadInt(v)); }
    bool F(float& v) { return Check(in_.ReadFloat(v)); }
    bool Check(bool ok) {
        if (!ok && !reported_) {
            reported_ = true;
            // A half-read model is not calculated.
            if (!in_.BadNumber().empty())
                run_.Stop(codes::kBadValue,
                          FormatC("Die Eingabedatei %s.vk1 endet vorzeitig oder ist fehlerhaft (Byte %zu: \"%s\" ist "
                                  "keine gültige Zahl); die Berechnung wird nicht ausgeführt.",
                                  run_.RunBaseName.c_str(), in_.Offset(), in_.BadNumber().c_str()));
            else
                run_.Stop(codes::kBadValue,
                          FormatC("Die Eingabedatei endet vorzeitig oder ist fehlerhaft (Byte %zu); die Berechnung "
                                  "wird nicht ausgeführt.",
                                  in_.Offset()));
        }
        return ok;
    }
    // A count of a table: refused with an error line when outside lo..hi.
    bool Count(int32_t& n, int32_t lo, int32_t hi, const char* what) {
        int32_t v = 0;
        if (!I(v)) return false;
        if (v < lo || v > hi) {
            run_.Stop(codes::kModelTooLarge,
                      FormatC("Eingabedatei: Anzahl %s = %d außerhalb des zulässigen Bereichs %d..%d", what, v, lo, hi));
            return false;
        }
        n = v;
        return true;
    }
    // A text cut to maxChars characters of the file, with a warning.
    bool Text(std::string& field, size_t maxChars, const char* what) {
        std::string raw, utf8;
        if (!Check(in_.ReadText(utf8, &raw))) return false;
        if (raw.size() > maxChars) {
            WriteErrLine(run_, kErrLineWarning,
                         FormatC("Eingabedatei: %s ist länger als %zu Zeichen und wurde gekürzt", what, maxChars));
            raw.resize(maxChars);
            utf8 = Cp1252ToUtf8(raw);
        }
        field = utf8;
        return true;
    }
    template <class T>
    bool List(LoadList<T>& list, const char* what, bool (Vk1Reader::*entry)(T&)) {
        int32_t n = 0;
        if (!Count(n, 0, limits::kMaxLoadsPerList, what)) return false;
        list.count = 0;
        for (int32_t i = 0; i < n; ++i) {
            T& e = list.items[Z(i)];
            if (!(this->*entry)(e)) return false;
            list.count = i + 1;
        }
        return true;
    }
    bool PointForceEntry(PointForce& e) {
        return I(e.LCGen) && I(e.node) && F(e.offset) && F(e.ey) && F(e.ez) && F(e.Px) && F(e.Py) && F(e.Pz);
    }
    bool PointMomentEntry(PointMoment& e) {
        return I(e.LCGen) && I(e.node) && F(e.offset) && F(e.Mx) && F(e.My) && F(e.Mz);
    }
    bool ZwangEntry(ImposedDisplacement& e) {
        return I(e.LCGen) && I(e.node) && F(e.du) && F(e.dv) && F(e.dw) && F(e.dphi) && F(e.dpsi) && F(e.dtet);
    }
    bool LineEntry(LineLoad& e) {
        return I(e.LCGen) && I(e.node) && F(e.offset) && F(e.length) && F(e.ey0) && F(e.ez0) && F(e.px0) &&
               F(e.px1) && F(e.py0) && F(e.py1) && F(e.pz0) && F(e.pz1) && F(e.ey1) && F(e.ez1);
    }
    bool TempEntry(TemperatureLoad& e) {
        return I(e.LCGen) && I(e.node) && F(e.offset) && F(e.length) && F(e.TempA) && F(e.TempB) && F(e.dT0) &&
               F(e.dT1) && F(e.dT2);
    }
    bool Terms(std::vector<CombinationTerm>& terms, int32_t n) {
        terms.assign(Z(n), CombinationTerm{});
        for (int32_t i = 0; i < n; ++i) {
            CombinationTerm& t = terms[Z(i)];
            if (!(I(t.Ko) && I(t.Lf) && F(t.Fak))) return false;
        }
        return true;
    }
    bool Body();
    bool Version2();

    KernelTextInput& in_;
    RunState& run_;
    ModelRecord& r_;
    int32_t version_ = 0;
    bool reported_ = false;
};

bool Vk1Reader::Body() {
    // Line 1: four integers, a real and the program tag; only the version is kept.
    int32_t a = 0, b = 0, c = 0;
    float f = 0;
    std::string tag;
    if (!(I(a) && I(version_) && I(b) && I(c) && F(f) && Check(in_.ReadWord(tag)))) return false;
    // Line 2: the title.
    if (!Text(r_.Titel, limits::kMaxTitle, "der Titel")) return false;

    // The section database of the run, opened before the rest is read.
    const std::string qsDatei = run_.RunBaseName + ".skw";
    r_.QsDatei = qsDatei;
    section::OpenSectionDatabase(run_, 1);

    // Lines 3 to 5: system words, support of node 0, fields.
    if (!(Count(r_.nFeld, 1, limits::kMaxFields, "der Felder") && I(r_.SysFlag) && I(r_.OhneGelenke) &&
          I(r_.profOrientation) && I(r_.Kn_Lager[0])))
        return false;
    for (int32_t i = 0; i < r_.nFeld; ++i) {
        if (!(F(r_.Feld_L[Z(i)]) && I(r_.Kn_Lager[Z(i + 1)]) && I(r_.nTeilung[Z(i)]) && I(r_.Feld_QsA[Z(i)]) &&
              I(r_.Feld_QsE[Z(i)]) && I(r_.Feld_GelA[Z(i)]) && I(r_.Feld_GelE[Z(i)])))
            return false;
    }
    // Line 6: hinge types, only in a system with hinges.
    if (r_.OhneGelenke == 0) {
        if (!Count(r_.nGelenkTyp, 0, limits::kMaxHingeTypes, "der Gelenktypen")) return false;
        for (int32_t i = 0; i < r_.nGelenkTyp; ++i) {
            HingeType& h = r_.GelenkTyp[Z(i)];
            if (!(I(h.Vx) && I(h.Vy) && I(h.Vz) && I(h.Mx) && I(h.My) && I(h.Mz) && I(h.Mw))) return false;
        }
    } else {
        for (int32_t i = 0; i < limits::kMaxFields; ++i) r_.Feld_GelA[Z(i)] = r_.Feld_GelE[Z(i)] = 0;
    }
    // Line 7: sections, four numbers and the name on one line.
    if (!Count(r_.nQs, 0, limits::kMaxSections, "der Querschnitte")) return false;
    for (int32_t i = 0; i < r_.nQs; ++i) {
        if (!(I(r_.Mat[Z(i)]) && F(r_.Qs_GammaM[Z(i)]) && I(r_.Qs_Spiegel[Z(i)]) && F(r_.Qs_Dreh[Z(i)]) &&
              Text(r_.Qs_Name[Z(i)], limits::kMaxSectionName, "ein Querschnittsname")))
            return false;
        const int32_t m = r_.Qs_Spiegel[Z(i)];
        if (m < 0 || m > 2) {
            run_.Stop(codes::kBadValue, FormatC("Eingabedatei: Spiegelung %d des Querschnitts %d ist nicht 0, 1 oder 2",
                                                m, i + 1));
            return false;
        }
    }
    // Line 8: support types.
    if (!Count(r_.nLagerTyp, 0, limits::kMaxSupportTypes, "der Lagertypen")) return false;
    for (int32_t i = 0; i < r_.nLagerTyp; ++i) {
        SupportType& s = r_.LagerTyp[Z(i)];
        if (!(F(s.cx) && F(s.cy) && F(s.cz) && F(s.cmx) && F(s.cmy) && F(s.cmz) && F(s.cwoelb))) return false;
    }
    // Line 9: beddings.
    if (!Count(r_.nBettung, 0, limits::kMaxBeddings, "der Bettungen")) return false;
    for (int32_t i = 0; i < r_.nBettung; ++i) {
        Bedding& e = r_.Bettung[Z(i)];
        if (!(I(e.node) && F(e.posX) && F(e.length) && F(e.cx) && F(e.cy) && F(e.ez) && F(e.cz) && F(e.ey) &&
              F(e.cmx) && F(e.ey2) && F(e.ez2)))
            return false;
    }
    // Line 10: single springs.
    if (!Count(r_.nFeder, 0, limits::kMaxSprings, "der Federn")) return false;
    for (int32_t i = 0; i < r_.nFeder; ++i) {
        Spring& e = r_.Feder[Z(i)];
        if (!(I(e.node) && F(e.posX) && F(e.ey) && F(e.ez) && F(e.cy) && F(e.cz))) return false;
    }
    // Line 11: self weight.
    if (!(F(r_.Gamma) && I(r_.GammaOpt))) return false;
    // Lines 12 to 16: loads.
    if (!List(r_.EinzelF, "der Einzellasten", &Vk1Reader::PointForceEntry)) return false;
    if (!List(r_.EinzelM, "der Einzelmomente", &Vk1Reader::PointMomentEntry)) return false;
    if (!List(r_.Zwang, "der Zwangsverformungen", &Vk1Reader::ZwangEntry)) return false;
    if (!List(r_.StreckenL, "der Streckenlasten", &Vk1Reader::LineEntry)) return false;
    if (!List(r_.TempL, "der Temperaturlasten", &Vk1Reader::TempEntry)) return false;
    // Line 17: load cases and combinations.
    if (!(Count(r_.nLf, 0, limits::kMaxLoadCases, "der Lastfälle") &&
          Count(r_.nRegelLk, 0, limits::kMaxTerms, "der Regel-Lastkollektive") &&
          Count(r_.nKnickLk, 0, limits::kMaxTerms, "der Knick-Lastkollektive")))
        return false;
    // Line 18: imperfections.
    if (!(I(r_.vorvType) && I(r_.psiDirekt) && F(r_.psiY) && F(r_.psiZ) && F(r_.psiGlobal) &&
          I(r_.ausmitteDirekt) && F(r_.ausmitte) && I(r_.ausmitteKnoten) && F(r_.ausmitteGlobal) &&
          I(r_.w0Direkt) && F(r_.v0) && F(r_.w0) && F(r_.wGlobal)))
        return false;
    // Line 19: the old combinations (version 1 only).
    if (version_ == 1) {
        for (int32_t i = 0; i < r_.nLf; ++i)
            if (!(I(r_.Lf_Kz[Z(i)]) && I(r_.Lf_Typ[Z(i)]))) return false;
        if (!(Count(r_.nRegelTerm, 0, limits::kMaxTerms, "der Regel-Kombinationsglieder") &&
              Count(r_.nKnickTerm, 0, limits::kMaxTerms, "der Knick-Kombinationsglieder")))
            return false;
        if (!Terms(r_.RegelTerm, r_.nRegelTerm) || !Terms(r_.KnickTerm, r_.nKnickTerm)) return false;
    }
    // Lines 20 and 21: report switches.
    for (int32_t i = 0; i < limits::kPrintFlags; ++i)
        if (!I(r_.printFlags[Z(i)])) return false;
    if (!(F(r_.DruckFak) && I(r_.DruckOpt))) return false;
    return true;
}

bool Vk1Reader::Version2() {
    // Line 22: steel-grade table; 23: action counts.
    if (!I(r_.StahlTab)) return false;
    if (!(Count(r_.nEinw, 0, limits::kMaxActions, "der Einwirkungen") && I(r_.nEinwGr))) return false;
    // Line 24: the action of each load case.
    for (int32_t i = 0; i < r_.nLf; ++i)
        if (!I(r_.Lf_Einw[Z(i)])) return false;
    // Line 25: three properties per action.
    for (auto* arr : {&r_.Einw_A, &r_.Einw_B, &r_.Einw_C})
        for (int32_t i = 0; i < r_.nEinw; ++i)
            if (!I((*arr)[Z(i)])) return false;
    // Line 26: the settings of the action block.
    for (int32_t i = 0; i < limits::kActionOptions; ++i)
        if (!I(r_.Einw_Opt[Z(i)])) return false;
    // Line 27: seven factors per action.
    for (int32_t i = 0; i < r_.nEinw; ++i) {
        if (!(F(r_.Einw_F1[Z(i)]) && F(r_.Einw_F2[Z(i)]) && F(r_.Einw_F3[Z(i)]) && F(r_.Einw_F4[Z(i)]) &&
              F(r_.Einw_F5[Z(i)]) && F(r_.Einw_F6[Z(i)]) && F(r_.Einw_F7[Z(i)])))
            return false;
    }
    // Line 28: the combinations as kind and rule.
    int32_t n = 0;
    if (!Count(n, 0, limits::kMaxCombinations, "der Lastkombinationen")) return false;
    r_.nLkName = 0;
    if (BuildActionTexts(run_) != 0) return false;
    CombinationTables& t = run_.combos;
    t.LkArt.clear();
    t.LkRegel.clear();
    t.LkKat.clear();
    t.LkDesc.clear();
    for (int32_t k = 0; k < n; ++k) {
        std::string art, regel;
        if (!(Check(in_.ReadWord(art)) && Check(in_.ReadWord(regel)))) return false;
        if (art.size() > static_cast<size_t>(limits::kMaxRuleLength) ||
            regel.size() > static_cast<size_t>(limits::kMaxRuleLength)) {
            run_.Stop(codes::kBadValue, FormatC("Eingabedatei: Text der Lastkombination %d ist länger als %d Zeichen",
                                                k + 1, limits::kMaxRuleLength));
            return false;
        }
        t.LkArt.push_back(art);
        t.LkRegel.push_back(regel);
        t.LkKat.emplace_back();
        t.LkDesc.emplace_back();
    }
    r_.nLkName = n;
    return ParseAllCombinations(run_) == 0;
}

int32_t Vk1Reader::Read() {
    bool ok = Body();
    if (ok || !run_.stopped) {
        // Derived values and the cleared action block, also after a short file.
        r_.KnotenPos[0] = 0.0;
        r_.ComputeNodePositions();
        r_.StahlTab = 0;
        r_.Einw_A.fill(-1);
        r_.Einw_B.fill(-1);
        r_.Einw_C.fill(-1);
        r_.Lf_Einw.fill(0);
    }
    if (ok && version_ >= 2) ok = Version2();
    if (version_ == 1 && !run_.stopped)
        winsys::MessageBox(std::string("Daten sind aus der Version 1\n") + "Sie müssen das Kapitel Lastkollektive\n" +
                           "nachbearbeiten (Einwirkungen + neue Lastkollektive bilden\n");
    run_.reader.StahlTab = r_.StahlTab;
    if (run_.stopped) return run_.stopCode != 0 ? run_.stopCode : codes::kBadValue;
    return ok ? 0 : codes::kBadValue;
}

// ---- writing ---------------------------------------------------------------------

class Vk1Writer {
public:
    explicit Vk1Writer(std::string& out) : out_(out) {}
    Vk1Writer& I(int32_t v) {
        out_ += ' ';
        out_ += IntText(v);
        return *this;
    }
    Vk1Writer& F(float v) {
        out_ += ' ';
        out_ += FloatText(v);
        return *this;
    }
    Vk1Writer& T(const std::string& utf8) {
        std::string bytes = Utf8ToCp1252(utf8);
        // The end delimiter must not stand inside a text.
        for (char& c : bytes)
            if (static_cast<unsigned char>(c) == kVk1TextEnd) c = '-';
        if (bytes.empty()) bytes = " ";
        out_ += ' ';
        out_ += static_cast<char>(kVk1TextStart);
        out_ += bytes;
        out_ += static_cast<char>(kVk1TextEnd);
        return *this;
    }
    Vk1Writer& W(const std::string& utf8) {
        std::string bytes = Utf8ToCp1252(utf8);
        for (char& c : bytes)
            if (IsSpace(static_cast<unsigned char>(c))) c = '_';
        out_ += ' ';
        out_ += bytes.empty() ? std::string("-") : bytes;
        return *this;
    }
    Vk1Writer& NL() {
        out_ += '\n';
        return *this;
    }

private:
    std::string& out_;
};

int32_t Bounded(int32_t n, int32_t hi) { return n < 0 ? 0 : (n > hi ? hi : n); }

}  // namespace

// ---- KernelTextInput -------------------------------------------------------------

void KernelTextInput::SkipSpace() {
    while (pos_ < data_.size() && IsSpace(static_cast<unsigned char>(data_[pos_]))) ++pos_;
}

// A number after optional white space and an optional '+'.
template <class T>
bool KernelTextInput::ReadNumber(T& v) {
    if (failed_) return false;
    SkipSpace();
    size_t p = pos_;
    if (p < data_.size() && data_[p] == '+') ++p;
    T value = 0;
    const char* first = data_.data() + p;
    const char* last = data_.data() + data_.size();
    auto r = std::from_chars(first, last, value);
    // The number must be the whole word: "1.07abc" is no 1.07, and "nan" or
    // "inf" are no numbers of a model.
    bool whole = r.ec == std::errc() && r.ptr != first &&
                 (r.ptr == last || IsSpace(static_cast<unsigned char>(*r.ptr)) ||
                  static_cast<unsigned char>(*r.ptr) == kVk1TextStart);
    if constexpr (std::is_floating_point_v<T>) whole = whole && std::isfinite(value);
    if (!whole) {
        size_t end = pos_;
        while (end < data_.size() && !IsSpace(static_cast<unsigned char>(data_[end])) && end - pos_ < 40) ++end;
        badNumber_ = Cp1252ToUtf8(std::string_view(data_).substr(pos_, end - pos_));
        return Fail();
    }
    pos_ = static_cast<size_t>(r.ptr - data_.data());
    v = value;
    return true;
}

bool KernelTextInput::ReadInt(int32_t& v) { return ReadNumber(v); }

bool KernelTextInput::ReadFloat(float& v) { return ReadNumber(v); }

bool KernelTextInput::ReadText(std::string& utf8, std::string* raw) {
    if (failed_) return false;
    SkipSpace();
    if (pos_ >= data_.size() || static_cast<unsigned char>(data_[pos_]) != kVk1TextStart) return Fail();
    // The text runs to its end delimiter, whatever its length, so that a
    // long text never leaves the reader inside it.
    const size_t begin = pos_ + 1;
    const size_t end = data_.find(static_cast<char>(kVk1TextEnd), begin);
    if (end == std::string::npos) return Fail();
    std::string bytes = data_.substr(begin, end - begin);
    pos_ = end + 1;
    if (raw) *raw = bytes;
    utf8 = Cp1252ToUtf8(bytes);
    return true;
}

bool KernelTextInput::ReadWord(std::string& utf8) {
    if (failed_) return false;
    SkipSpace();
    const size_t begin = pos_;
    while (pos_ < data_.size() && !IsSpace(static_cast<unsigned char>(data_[pos_]))) ++pos_;
    if (pos_ == begin) return Fail();
    utf8 = Cp1252ToUtf8(std::string_view(data_).substr(begin, pos_ - begin));
    return true;
}

// ---- code page -------------------------------------------------------------------

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        char32_t u = c;
        if (c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] != 0) u = kCp1252High[c - 0x80];
        AppendUtf8(out, u);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view s) {
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t u = 0;
        size_t len = 1;
        if (c < 0x80) {
            u = c;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
            u = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
            len = 2;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < s.size()) {
            u = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
                (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
            len = 3;
        } else if ((c & 0xF8) == 0xF0 && i + 3 < s.size()) {
            u = 0x110000;  // outside the code page
            len = 4;
        } else {
            u = 0x110000;
        }
        i += len;
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            out += static_cast<char>(u);
            continue;
        }
        char mapped = '?';
        for (int k = 0; k < 32; ++k)
            if (kCp1252High[k] != 0 && kCp1252High[k] == u) mapped = static_cast<char>(0x80 + k);
        out += mapped;
    }
    return out;
}

// ---- the file --------------------------------------------------------------------

int32_t ReadVk1String(KernelTextInput* in, std::string* field) {
    if (!in || !field) return -1;
    return in->ReadText(*field) ? 0 : -1;
}

int32_t WriteVk1(std::FILE* file, RunState& run, int32_t version) {
    if (!file) return 2;
    const ModelRecord& r = run.cdltr;
    std::string out;
    Vk1Writer w(out);
    out += FormatC("    1%5d    1    5  8.00 'VK-TOVIK'\n", version);
    w.T(r.Titel).NL();
    const int32_t nFeld = Bounded(r.nFeld, limits::kMaxFields);
    w.I(nFeld).I(r.SysFlag).I(r.OhneGelenke).I(r.profOrientation).NL();
    w.I(r.Kn_Lager[0]).NL();
    for (int32_t i = 0; i < nFeld; ++i)
        w.F(r.Feld_L[Z(i)]).I(r.Kn_Lager[Z(i + 1)]).I(r.nTeilung[Z(i)]).I(r.Feld_QsA[Z(i)]).I(r.Feld_QsE[Z(i)])
            .I(r.Feld_GelA[Z(i)]).I(r.Feld_GelE[Z(i)]).NL();
    if (r.OhneGelenke == 0) {
        const int32_t n = Bounded(r.nGelenkTyp, limits::kMaxHingeTypes);
        w.I(n).NL();
        for (int32_t i = 0; i < n; ++i) {
            const HingeType& h = r.GelenkTyp[Z(i)];
            w.I(h.Vx).I(h.Vy).I(h.Vz).I(h.Mx).I(h.My).I(h.Mz).I(h.Mw).NL();
        }
    }
    const int32_t nQs = Bounded(r.nQs, limits::kMaxSections);
    w.I(nQs).NL();
    for (int32_t i = 0; i < nQs; ++i)
        w.I(r.Mat[Z(i)]).F(r.Qs_GammaM[Z(i)]).I(r.Qs_Spiegel[Z(i)]).F(r.Qs_Dreh[Z(i)]).T(r.Qs_Name[Z(i)]).NL();
    const int32_t nLt = Bounded(r.nLagerTyp, limits::kMaxSupportTypes);
    w.I(nLt).NL();
    for (int32_t i = 0; i < nLt; ++i) {
        const SupportType& s = r.LagerTyp[Z(i)];
        w.F(s.cx).F(s.cy).F(s.cz).F(s.cmx).F(s.cmy).F(s.cmz).F(s.cwoelb).NL();
    }
    const int32_t nB = Bounded(r.nBettung, limits::kMaxBeddings);
    w.I(nB).NL();
    for (int32_t i = 0; i < nB; ++i) {
        const Bedding& e = r.Bettung[Z(i)];
        w.I(e.node).F(e.posX).F(e.length).F(e.cx).F(e.cy).F(e.ez).F(e.cz).F(e.ey).F(e.cmx).F(e.ey2).F(e.ez2).NL();
    }
    const int32_t nF = Bounded(r.nFeder, limits::kMaxSprings);
    w.I(nF).NL();
    for (int32_t i = 0; i < nF; ++i) {
        const Spring& e = r.Feder[Z(i)];
        w.I(e.node).F(e.posX).F(e.ey).F(e.ez).F(e.cy).F(e.cz).NL();
    }
    w.F(r.Gamma).I(r.GammaOpt).NL();
    const int32_t kL = limits::kMaxLoadsPerList;
    w.I(Bounded(r.EinzelF.count, kL)).NL();
    for (int32_t i = 0; i < Bounded(r.EinzelF.count, kL); ++i) {
        const PointForce& e = r.EinzelF[i];
        w.I(e.LCGen).I(e.node).F(e.offset).F(e.ey).F(e.ez).F(e.Px).F(e.Py).F(e.Pz).NL();
    }
    w.I(Bounded(r.EinzelM.count, kL)).NL();
    for (int32_t i = 0; i < Bounded(r.EinzelM.count, kL); ++i) {
        const PointMoment& e = r.EinzelM[i];
        w.I(e.LCGen).I(e.node).F(e.offset).F(e.Mx).F(e.My).F(e.Mz).NL();
    }
    w.I(Bounded(r.Zwang.count, kL)).NL();
    for (int32_t i = 0; i < Bounded(r.Zwang.count, kL); ++i) {
        const ImposedDisplacement& e = r.Zwang[i];
        w.I(e.LCGen).I(e.node).F(e.du).F(e.dv).F(e.dw).F(e.dphi).F(e.dpsi).F(e.dtet).NL();
    }
    w.I(Bounded(r.StreckenL.count, kL)).NL();
    for (int32_t i = 0; i < Bounded(r.StreckenL.count, kL); ++i) {
        const LineLoad& e = r.StreckenL[i];
        w.I(e.LCGen).I(e.node).F(e.offset).F(e.length).F(e.ey0).F(e.ez0).F(e.px0).F(e.px1).F(e.py0).F(e.py1)
            .F(e.pz0).F(e.pz1).F(e.ey1).F(e.ez1).NL();
    }
    w.I(Bounded(r.TempL.count, kL)).NL();
    for (int32_t i = 0; i < Bounded(r.TempL.count, kL); ++i) {
        const TemperatureLoad& e = r.TempL[i];
        w.I(e.LCGen).I(e.node).F(e.offset).F(e.length).F(e.TempA).F(e.TempB).F(e.dT0).F(e.dT1).F(e.dT2).NL();
    }
    const int32_t nLf = Bounded(r.nLf, limits::kMaxLoadCases);
    w.I(nLf).I(r.nRegelLk).I(r.nKnickLk).NL();
    w.I(r.vorvType).I(r.psiDirekt).F(r.psiY).F(r.psiZ).F(r.psiGlobal).I(r.ausmitteDirekt).F(r.ausmitte)
        .I(r.ausmitteKnoten).F(r.ausmitteGlobal).I(r.w0Direkt).F(r.v0).F(r.w0).F(r.wGlobal).NL();
    if (version == 1) {
        for (int32_t i = 0; i < nLf; ++i) w.I(r.Lf_Kz[Z(i)]).I(r.Lf_Typ[Z(i)]).NL();
        const int32_t nR = Bounded(std::min<int32_t>(r.nRegelTerm, static_cast<int32_t>(r.RegelTerm.size())),
                                   limits::kMaxTerms);
        const int32_t nK = Bounded(std::min<int32_t>(r.nKnickTerm, static_cast<int32_t>(r.KnickTerm.size())),
                                   limits::kMaxTerms);
        w.I(nR).I(nK).NL();
        for (int32_t i = 0; i < nR; ++i) w.I(r.RegelTerm[Z(i)].Ko).I(r.RegelTerm[Z(i)].Lf).F(r.RegelTerm[Z(i)].Fak).NL();
        for (int32_t i = 0; i < nK; ++i) w.I(r.KnickTerm[Z(i)].Ko).I(r.KnickTerm[Z(i)].Lf).F(r.KnickTerm[Z(i)].Fak).NL();
    }
    for (int32_t i = 0; i < limits::kPrintFlags; ++i) w.I(r.printFlags[Z(i)]);
    w.NL().F(r.DruckFak).I(r.DruckOpt).NL();
    if (version >= 2) {
        w.I(r.StahlTab).NL();
        const int32_t nE = Bounded(r.nEinw, limits::kMaxActions);
        w.I(nE).I(r.nEinwGr).NL();
        for (int32_t i = 0; i < nLf; ++i) w.I(r.Lf_Einw[Z(i)]);
        w.NL();
        for (auto* arr : {&r.Einw_A, &r.Einw_B, &r.Einw_C}) {
            for (int32_t i = 0; i < nE; ++i) w.I((*arr)[Z(i)]);
            w.NL();
        }
        for (int32_t i = 0; i < limits::kActionOptions; ++i) w.I(r.Einw_Opt[Z(i)]);
        w.NL();
        for (int32_t i = 0; i < nE; ++i)
            w.F(r.Einw_F1[Z(i)]).F(r.Einw_F2[Z(i)]).F(r.Einw_F3[Z(i)]).F(r.Einw_F4[Z(i)]).F(r.Einw_F5[Z(i)])
                .F(r.Einw_F6[Z(i)]).F(r.Einw_F7[Z(i)]).NL();
        const CombinationTables& t = run.combos;
        const size_t n = std::min({static_cast<size_t>(Bounded(r.nLkName, limits::kMaxCombinations)),
                                   t.LkArt.size(), t.LkRegel.size()});
        w.I(static_cast<int32_t>(n)).NL();
        for (size_t k = 0; k < n; ++k) w.W(t.LkArt[k]).W(t.LkRegel[k]).NL();
    }
    const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return ok ? 0 : codes::kBadValue;
}

int32_t ReadWriteVk1(std::FILE* file, int32_t mode, RunState& run) {
    if (!file) return 2;
    if (mode != 1) return WriteVk1(file, run, 2);
    std::string bytes;
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file)) > 0) bytes.append(buf, n);
    KernelTextInput in(std::move(bytes));
    Vk1Reader reader(in, run);
    return reader.Read();
}

// ---- the test calculation ------------------------------------------------------------

namespace {

// The viewer of the error file: the kernel hands over the program and the
// file and leaves the showing to the caller.
int32_t ShowErrorFile(const std::string& /*program*/, const std::string& /*file*/) { return 1; }

}  // namespace

void CalcTestCase(RunState& run, const KernelPhases& phases, const std::string& baseName) {
    std::FILE* in = std::fopen((baseName + ".vk1").c_str(), "r");
    if (!in) {
        winsys::MessageBox("Eingabedatei kann nicht geöffnet werden");
        return;
    }
    // The side files are opened before reading, so that the faults of the
    // file reach the error file.
    run.ErrorCount = 0;
    run.ErrorLines.clear();
    run.ErrorFile = std::fopen((baseName + ".err").c_str(), "w+");
    run.DebugPrintFile = std::fopen((baseName + ".dru").c_str(), "w+");

    ReadWriteVk1(in, 1, run);
    std::fclose(in);

    if (!run.stopped) RunCalculation(run, phases, 1);

    if (run.DebugPrintFile) {
        std::fclose(run.DebugPrintFile);
        run.DebugPrintFile = nullptr;
        std::remove((baseName + ".dru").c_str());
    }
    const std::string errName = baseName + ".err";
    if (run.ErrorFile) {
        std::fclose(run.ErrorFile);
        run.ErrorFile = nullptr;
    }
    if (run.ErrorCount == 0) {
        std::remove(errName.c_str());
        return;
    }
    ShowErrorFile("notepad", errName);
    run.ErrorCount = 0;
}

}  // namespace tovik
