#include "crane/CranePageRules.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "module/ModuleData.h"
#include "platform/lingo/lingo.h"
#include "platform/zidezaz/zidezaz.h"

namespace cranepages {

namespace {

constexpr double kNoValue = 0.0001;

SettingsField Header(const char* text) { return {FIELD_HEADER, text}; }
SettingsField Check(const char* text, int& v) { return {FIELD_CHECK, text, "", &v}; }
SettingsField Formula(const char* text, const char* format, CFormulaValue& v) {
    SettingsField f{FIELD_FORMULA, text, format};
    f.formula = &v;
    return f;
}

// The display rows that end every editor: mode, position list, load groups
// of check k.
void AddDisplayFields(std::vector<SettingsField>& out, CCraneSettings& s, int k) {
    out.push_back({FIELD_COMBO, "Ergebnisse pro Kranstellung anzeigen", "", &s.m_resultType[k]});
    SettingsField list{FIELD_TEXT, "Liste (Kommagetrennt) Kranstellungen"};
    list.textValue = &s.m_sResultPos[k];
    out.push_back(list);
    out.push_back(Check("Ergebnisse aller Lastgruppen anzeigen", s.m_bOutputLC[k]));
}

}  // namespace

const std::vector<std::string>& DisplayModes() {
    static const std::vector<std::string> modes{"Nur Liste", "Alle", "Nur relevante", "Nur Biegedrillkn."};
    return modes;
}

std::vector<SettingsField> SettingsFields(int mode, CCraneSettings& s, int code, int annex) {
    std::vector<SettingsField> f;
    switch (mode) {
    case MODE_ULS: {
        f.push_back(Header("Nachweis Tragsicherheit"));
        f.push_back(Check("Nachweis 'Ständig/Vorübergehend'", s.m_checkEnabled[0]));
        f.push_back(Check("Nachweis 'Aussergewöhnlich'", s.m_checkEnabled[1]));
        f.push_back(Check("Nachweis 'Prüflast'", s.m_checkEnabled[2]));
        SettingsField reduce = Check("Auflagerreaktionen abmindern(phi-0.1)", s.m_bDecReactions);
        reduce.shown = !(code == kCodeEN1993 && annex == kAnnexFrance);
        f.push_back(reduce);
        f.push_back(Check("Auflagerreaktionen detailliert", s.m_bDetailedReactions));
        f.push_back(Check("Biegedrillknicken untersuchen", s.m_LTBEnabled));
        f.push_back({FIELD_INT, "Min. lineare Ausnutzung für BDK [%]", "", &s.m_iMinUtilForLTB});
        f.push_back(Check("BDK elastisch-plastisch nachweisen", s.m_plasticLTB));
        f.push_back(Check("Beulen untersuchen", s.m_bBuckling));
        AddDisplayFields(f, s, 0);
        f.push_back(Check("Spannungen blechweise ausgeben", s.m_bPlateStresses));
        break;
    }
    case MODE_SLS:
        f.push_back(Header("Nachweis Gebrauchstauglichkeit"));
        f.push_back(Check("Nachweis 'Gebrauchstauglichkeit'", s.m_checkEnabled[3]));
        f.push_back(Formula("Abminderungsfaktor für Verformungen an Kragarmen", "%.2lf", s.m_decDefCantilever));
        f.push_back(Check("Vertikale Verformungen", s.m_SLSCheckEnabled[0]));
        f.push_back(Formula("Max.relative vertikale Verformung Feldlänge/", "%lg", s.m_maxRelDefZ));
        f.push_back(Formula("Max.absolute vertikale Verformung", "%.1lf mm", s.m_maxAbsDefZ));
        f.push_back(Check("Vertikale Deltaverformungen(Träger)", s.m_SLSCheckEnabled[1]));
        f.push_back(Formula("Max.relative vertikale Deltaverformung Feldlänge/", "%lg", s.m_maxRelDeltaDefZ));
        f.push_back(Check("Vertikale Deltaverformungen(Brücke)", s.m_SLSCheckEnabled[2]));
        f.push_back(Formula("Max.relative vertikale Deltaverformung Abstand/", "%lg", s.m_maxRelDeltaDefS));
        f.push_back(Check("Horizontale Verformungen", s.m_SLSCheckEnabled[3]));
        f.push_back(Formula("Max.relative horizontale Verformung Feldlänge/", "%lg", s.m_maxRelDefY));
        f.push_back(Check("Horizontale Deltaverformungen", s.m_SLSCheckEnabled[4]));
        f.push_back(Formula("Max.absolute horizontale Deltaverformung", "%.1lf mm", s.m_maxAbsDeltaDefY));
        AddDisplayFields(f, s, 3);
        break;
    case MODE_FATIGUE:
        f.push_back(Header("Nachweis Ermüdung"));
        f.push_back(Check("Nachweis 'Ermüdung'", s.m_checkEnabled[4]));
        f.push_back(Check("Massenkräfte berücksichtigen", s.m_horizontalFatForce));
        AddDisplayFields(f, s, 4);
        break;
    default:
        break;
    }
    return f;
}

void CopyCheck0Display(CCraneSettings& s) {
    for (int k : {1, 2}) {
        s.m_resultType[k] = s.m_resultType[0];
        s.m_sResultPos[k] = s.m_sResultPos[0];
        s.m_bOutputLC[k] = s.m_bOutputLC[0];
    }
}

SysRows CraneSysRows(int craneType, int twoGirders, int autoPoints) {
    SysRows r;
    const bool overhead = craneType == 0;
    r.setTwoGirders = overhead;
    const bool two = overhead || twoGirders != 0;
    r.shown[SYS_CRANE_TYPE] = true;
    r.shown[SYS_TWO_GIRDERS] = !overhead;
    r.shown[SYS_SPACING] = two;
    r.shown[SYS_ECCENTRICITY] = !overhead && autoPoints != 0;
    r.shown[SYS_BUFFER_LEFT] = true;
    r.shown[SYS_BUFFER_RIGHT] = true;
    r.shown[SYS_RAIL] = overhead;
    return r;
}

std::array<bool, kRailRows> RailRows(int typeIndex, int fastening) {
    std::array<bool, kRailRows> shown;
    shown.fill(true);
    for (int row : {RAIL_NORM, RAIL_NAME, RAIL_DATABASE}) shown[size_t(row)] = typeIndex >= 1;
    for (int row : {RAIL_WIDTH, RAIL_HEIGHT}) shown[size_t(row)] = typeIndex == 0;
    shown[RAIL_BOLT] = fastening == FASTEN_BOLTED;
    shown[RAIL_WELD_LENGTH] = shown[RAIL_WELD_GAP] = fastening == FASTEN_INTERRUPTED;
    return shown;
}

int RailNormIndex(int stored, int count, bool typeChanged) {
    if (typeChanged || stored < 0 || stored >= count) return 0;
    return stored;
}

int RailNameIndex(int stored, int count) { return stored < 0 || stored >= count ? 0 : stored; }

std::string FlatBarDescription(const std::string& format, double width, double height) {
    return lingo::FormatTranslated("FL %.1lfx%.1lf", format, width, height);
}

// ---- player ------------------------------------------------------------------------------------

void CCranePlayer::SetCount(int n) {
    m_n = std::max(0, n);
    m_pos = Clamp(m_pos);
}

int CCranePlayer::Clamp(int pos) const { return std::clamp(pos, 0, SliderMax()); }

bool CCranePlayer::Play() {
    if (m_running) return false;
    m_pos = 0;
    m_running = m_n > 0;
    return m_running;
}

bool CCranePlayer::Tick() {
    if (!m_running) return false;
    if (m_n <= 1 || m_pos >= m_n - 1) {
        m_running = false;
        return false;
    }
    ++m_pos;
    return true;
}

std::string CCranePlayer::Caption() const {
    char text[32];
    std::snprintf(text, sizeof text, "[%d]", m_pos + 1);
    return text;
}

// ---- loads -------------------------------------------------------------------------------------

void SetCraneCount(std::vector<CCrane>& cranes, int n) {
    n = std::clamp(n, 1, 3);
    if (cranes.empty()) cranes.emplace_back();
    if (int(cranes.size()) > n) cranes.resize(size_t(n));
    while (int(cranes.size()) < n) {
        const CCrane copy = cranes.back();
        cranes.push_back(copy);
    }
}

int AxleCount(int entered) { return std::clamp(entered, 2, CCrane::kMaxAxes); }

void CopyAxleLoads(CCrane& crane, int command) {
    const int to = command / 65536, from = command % 65536;
    if (to == from || to < 0 || from < 0 || to >= crane.m_numOfAxis || from >= crane.m_numOfAxis) return;
    for (int kind = 1; kind < CCrane::kKinds; ++kind) {
        CFormulaValue* dst = crane.AxisValue(to, kind);
        const CFormulaValue* src = crane.AxisValue(from, kind);
        if (dst && src) *dst = *src;
    }
}

bool IsLoadGroupShown(const CCrane& crane, const CModuleData& data, int axle, int group) {
    if (group < 0 || group >= CCrane::kGroups) return false;
    bool value = false;
    for (int k = 0; k < CCrane::kWheelValues && !value; ++k)
        value = std::fabs(crane.GetWheelLoad(axle, group, k)) >= kNoValue;
    if (!value) return false;
    if (!crane.IsLoadGroupRelevant(data, group, -1)) return false;
    if ((group == 12 || group == 13 || group == 16 || group == 17) && data.m_craneSettings.m_bSecondBeam == 0)
        return false;
    return true;
}

bool IsLoadKindShown(int kind, const CCraneSettings& s) {
    switch (kind) {
    case 3: case 5: case 7: case 9: return s.m_bSecondBeam != 0;
    case 13: return s.m_checkEnabled[2] != 0;
    case 14: case 15: case 16: return s.m_checkEnabled[1] != 0;
    default: return kind >= 1 && kind <= CCrane::kKinds;
    }
}

// ---- notch cases -------------------------------------------------------------------------------

const std::vector<int>& DetailCategories() {
    static const std::vector<int> list{36, 40, 45, 50, 56, 63, 71, 80, 90, 100, 112, 125, 140, 160};
    return list;
}

NotchCells NotchCellStates(const CNotchCase& n, int autoPoints) {
    NotchCells c;
    const bool generated = n.m_bSystem != 0;
    c.nameReadOnly = generated;
    c.geometryReadOnly = generated;
    c.xEnabled = !generated && n.m_geomType == GEOM_POINT;
    c.plateReadOnly = generated && autoPoints != 0;
    c.weldEnabled = n.m_geomType == GEOM_WELD;
    return c;
}

double PlateThickness(double ta, double te, double place) { return 10.0 * (ta + place * (te - ta)); }

int PlateCount(const std::vector<SektTqe>& plates) {
    int n = int(plates.size());
    while (n > 0 && plates[size_t(n - 1)].exclude != 0) --n;
    return n;
}

bool UpdatePlateThickness(CNotchCase& n, const std::vector<SektTqe>& plates) {
    if (n.m_tqe < 0 || n.m_tqe >= int(plates.size())) return false;
    const SektTqe& p = plates[size_t(n.m_tqe)];
    n.m_thickness.SetValue(PlateThickness(p.ta, p.te, n.m_idx.GetValue()));
    return true;
}

CNotchCase AppendedNotchCase(const std::vector<CNotchCase>& cases) {
    CNotchCase c = cases.empty() ? CNotchCase() : cases.back();
    c.m_bSystem = 0;
    c.m_iPlace = 0;
    return c;
}

// ---- results and output ------------------------------------------------------------------------

void DecodeResultItem(long data, int count, int& position, int& result) {
    result = -1;
    if (data == 0) return;
    position = int(data / 65536);
    const int index = int(data % 65536) - 1;
    if (index >= 0 && index < count) result = index;
}

int ResultCranePosition(const std::string& title) {
    const std::string key = "Kranstellung\\";
    const size_t at = title.find(key);
    if (at == std::string::npos) return 0;
    const int n = std::atoi(title.c_str() + at + key.size());
    return n >= 1 ? n - 1 : 0;
}

namespace {

std::vector<std::string> SplitAt(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(sep, from);
        parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return parts;
        from = at + 1;
    }
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// "SigmaX" as "σx", "TauXZ(Rad)" as "τxz (Rad)", "Min SigmaX" as "Min σx".
std::string GreekStress(const std::string& label) {
    std::string out;
    size_t i = 0;
    while (i < label.size()) {
        const char* greek = nullptr;
        size_t len = 0;
        if (label.compare(i, 5, "Sigma") == 0) greek = "σ", len = 5;
        else if (label.compare(i, 3, "Tau") == 0) greek = "τ", len = 3;
        const bool wordStart = i == 0 || label[i - 1] == ' ';
        if (!greek || !wordStart || i + len >= label.size() || !std::isupper(static_cast<unsigned char>(label[i + len]))) {
            out += label[i++];
            continue;
        }
        out += greek;
        i += len;
        while (i < label.size() && std::isupper(static_cast<unsigned char>(label[i])))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(label[i++])));
        if (i < label.size() && label[i] == '(') out += ' ';
    }
    return out;
}

std::string ReadableLevel(const std::string& level) {
    std::string l = level;
    const std::string delta = "(delta)";
    std::string suffix;
    if (l.size() > delta.size() && l.compare(l.size() - delta.size(), delta.size(), delta) == 0) {
        l.erase(l.size() - delta.size());
        while (!l.empty() && l.back() == ' ') l.pop_back();
        suffix = " (Differenz)";
    }
    if (l == "dDup") l = "Krane zusammen";
    else if (StartsWith(l, "Vadu ") && l.size() > 5 && std::isdigit(static_cast<unsigned char>(l[5])))
        l = "Kran " + l.substr(5);
    else l = GreekStress(l);
    return l + suffix;
}

// Characters of a UTF-8 text (its lead bytes).
size_t Characters(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

bool IsNumberCell(const std::string& cell) {
    if (cell.empty()) return false;
    if (cell == "--") return true;
    char* end = nullptr;
    std::strtod(cell.c_str(), &end);
    return end && *end == '\0' && end != cell.c_str();
}

std::string Trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

}  // namespace

std::string ResultTreePath(const std::string& title, const std::string& name) {
    if (title.empty()) return ReadableLevel(name);
    const std::vector<std::string> levels = SplitAt(title, '\\');
    std::string path;
    for (size_t i = 0; i < levels.size(); ++i) {
        std::string level = levels[i];
        if (level == "Kranstellung" && i + 1 < levels.size()) level += " " + levels[++i];
        else level = ReadableLevel(level);
        path += (path.empty() ? "" : "\\") + level;
    }
    return path;
}

std::string AlignSummaryColumns(const std::string& text) {
    std::string plain;
    for (char c : text)
        if (c != '\r') plain += c;
    if (plain.find('\t') == std::string::npos) return text;
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : SplitAt(plain, '\n')) {
        std::vector<std::string> cells = SplitAt(line, '\t');
        for (std::string& c : cells) c = Trimmed(c);
        while (cells.size() > 1 && cells.back().empty()) cells.pop_back();
        rows.push_back(std::move(cells));
    }
    while (!rows.empty() && rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
    auto separator = [](const std::vector<std::string>& cells) {
        return cells.size() == 1 && cells[0].size() >= 3 && cells[0].find_first_not_of('-') == std::string::npos;
    };
    // Widths and kinds of the columns over the rows of more than one cell.
    std::vector<size_t> width;
    std::vector<int> numbers, texts;
    for (const auto& cells : rows) {
        if (cells.size() < 2) continue;
        if (width.size() < cells.size()) width.resize(cells.size(), 0), numbers.resize(cells.size(), 0), texts.resize(cells.size(), 0);
        for (size_t c = 0; c < cells.size(); ++c) {
            width[c] = std::max(width[c], Characters(cells[c]));
            if (IsNumberCell(cells[c])) ++numbers[c];
            else if (!cells[c].empty()) ++texts[c];
        }
    }
    const size_t gap = 2;
    size_t total = 0;
    for (size_t w : width) total += w + gap;
    total = total >= gap ? total - gap : 0;
    std::string out;
    for (const auto& cells : rows) {
        std::string line;
        if (separator(cells)) {
            line.assign(std::max(total, cells[0].size()), '-');
        } else if (cells.size() < 2) {
            line = cells.empty() ? std::string() : cells[0];
        } else {
            for (size_t c = 0; c < cells.size(); ++c) {
                const size_t pad = width[c] - Characters(cells[c]);
                // A column mostly of numbers is right-aligned, its heading too.
                const bool right = c > 0 && numbers[c] > texts[c];
                if (c > 0) line.append(gap, ' ');
                if (right) line.append(pad, ' ');
                line += cells[c];
                if (!right && c + 1 < cells.size()) line.append(pad, ' ');
            }
            while (!line.empty() && line.back() == ' ') line.pop_back();
        }
        out += line + "\r\n";
    }
    return out;
}

const std::array<int, 55>& ReportSwitchControls() {
    static const std::array<int, 55> controls = [] {
        std::array<int, 55> c{};
        c[0] = 26179;
        c[1] = 26180;
        c[2] = 26182;
        c[3] = 26181;
        for (int i = 4; i <= 20; ++i) c[size_t(i)] = 26183 + (i - 4);
        for (int i = 21; i <= 40; ++i) c[size_t(i)] = 26200 + (i - 21);
        c[41] = 26220;
        c[42] = 26221;
        for (int i = 43; i <= 53; ++i) c[size_t(i)] = 26223 + (i - 43);
        c[54] = 26235;
        return c;
    }();
    return controls;
}

}  // namespace cranepages
