#include "platform/shaper/shaper.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/kurvo/kurvo.h"
#include "platform/lingo/lingo.h"
#include "platform/zidezaz/zidezaz.h"

namespace {

constexpr const char* kApp = "VKT Eingabe";
constexpr const char* kSection = "velor_i_common";
constexpr const char* kArea = "Shaper";

std::string Tr(const std::string& text) { return lingo::Translate(kApp, kSection, kArea, text); }

struct TypeInfo {
    ShaperType type;
    const char* name;
    std::vector<const char*> dims;
    std::vector<const char*> texts;
    std::vector<double> defaults;
};

const std::vector<TypeInfo>& Types() {
    static const std::vector<TypeInfo> types = {
        {SHAPER_WELDED_I,
         "Geschweißtes I-Profil, doppeltsymmetrisch",
         {"h", "tw", "b", "t"},
         {"Höhe", "Stegdicke", "Gurtbreite", "Gurtdicke"},
         {40.0, 1.0, 20.0, 2.0}},
        {SHAPER_WELDED_I_MONO,
         "Geschweißtes I-Profil, einfachsymmetrisch",
         {"h", "tw", "bo", "to", "bu", "tu"},
         {"Höhe", "Stegdicke", "Breite Obergurt", "Dicke Obergurt", "Breite Untergurt", "Dicke Untergurt"},
         {40.0, 1.0, 20.0, 2.0, 30.0, 2.0}},
        {SHAPER_BOX,
         "Geschweißter Kastenquerschnitt",
         {"h", "b", "tw", "tf"},
         {"Höhe", "Breite", "Stegdicke", "Gurtdicke"},
         {40.0, 30.0, 1.5, 2.0}},
        {SHAPER_FLAT, "Flachstahl", {"h", "t"}, {"Höhe", "Dicke"}, {20.0, 1.0}},
    };
    return types;
}

const TypeInfo* Find(int type) {
    for (const TypeInfo& t : Types())
        if (t.type == type) return &t;
    return nullptr;
}

ShaperEditor& Editor() {
    static ShaperEditor editor = nullptr;
    return editor;
}

// The message that names a field.
std::string FieldMessage(const TypeInfo& t, size_t i, const char* reason) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, Tr("Abmessung %s (%s): %s").c_str(), t.dims[i], Tr(t.texts[i]).c_str(),
                  Tr(reason).c_str());
    return buffer;
}

// The wall lines of a type with checked dimensions, top face at z = 0.
std::vector<SektWLine> WallLines(int type, const std::vector<double>& d) {
    using zidezaz::MakeWLine;
    switch (type) {
    case SHAPER_WELDED_I:
    case SHAPER_WELDED_I_MONO: {
        const bool mono = type == SHAPER_WELDED_I_MONO;
        const double h = d[0], tw = d[1];
        const double bo = d[2], to = d[3];
        const double bu = mono ? d[4] : d[2], tu = mono ? d[5] : d[3];
        const double zo = to / 2, zu = h - tu / 2;
        // The web runs between the flanges' centre lines; the calculation
        // cuts it back to their faces.
        return {MakeWLine(-bo / 2, zo, bo / 2, zo, to), MakeWLine(0, zo, 0, zu, tw),
                MakeWLine(-bu / 2, zu, bu / 2, zu, tu)};
    }
    case SHAPER_BOX: {
        const double h = d[0], b = d[1], tw = d[2], tf = d[3];
        const double zo = tf / 2, zu = h - tf / 2, yw = b / 2 - tw / 2;
        return {MakeWLine(-b / 2, zo, b / 2, zo, tf), MakeWLine(yw, zo, yw, zu, tw), MakeWLine(-b / 2, zu, b / 2, zu, tf),
                MakeWLine(-yw, zo, -yw, zu, tw)};
    }
    case SHAPER_FLAT: return {MakeWLine(0, 0, 0, d[0], d[1])};
    default: return {};
    }
}

}  // namespace

int Shaper_GetNumOfSectionTypeIDs() { return static_cast<int>(Types().size()); }

int Shaper_GetSectionTypeIDs(int32_t* ids, int max) {
    int n = 0;
    for (const TypeInfo& t : Types()) {
        if (!ids || n >= max) break;
        ids[n++] = t.type;
    }
    return n;
}

std::string Shaper_GetSectionTypeName(int type) {
    if (type == SHAPER_FREE) return Tr("frei (Wandlinien)");
    const TypeInfo* t = Find(type);
    return t ? Tr(t->name) : std::string();
}

std::vector<std::string> Shaper_GetDimensionNames(int type) {
    const TypeInfo* t = Find(type);
    return t ? std::vector<std::string>(t->dims.begin(), t->dims.end()) : std::vector<std::string>();
}

std::vector<std::string> Shaper_GetDimensionTexts(int type) {
    std::vector<std::string> out;
    if (const TypeInfo* t = Find(type))
        for (const char* s : t->texts) out.push_back(Tr(s));
    return out;
}

std::vector<double> Shaper_GetDefaultDimensions(int type) {
    const TypeInfo* t = Find(type);
    return t ? t->defaults : std::vector<double>();
}

bool Shaper_CheckDimensions(int type, const std::vector<double>& d, std::string& message) {
    const TypeInfo* t = Find(type);
    if (!t) {
        message = Tr("Unbekannter Querschnittstyp.");
        return false;
    }
    if (d.size() != t->dims.size()) {
        message = Tr("Die Zahl der Abmessungen passt nicht zum Querschnittstyp.");
        return false;
    }
    for (size_t i = 0; i < d.size(); ++i)
        if (!std::isfinite(d[i]) || d[i] <= 0.0) {
            message = FieldMessage(*t, i, "muss größer als 0 sein.");
            return false;
        }
    switch (type) {
    case SHAPER_WELDED_I:
    case SHAPER_WELDED_I_MONO: {
        const bool mono = type == SHAPER_WELDED_I_MONO;
        const double to = d[3], tu = mono ? d[5] : d[3];
        if (d[1] >= d[2]) {
            message = FieldMessage(*t, 1, "Der Steg ist dicker als der Gurt breit ist.");
            return false;
        }
        if (mono && d[1] >= d[4]) {
            message = FieldMessage(*t, 1, "Der Steg ist dicker als der Gurt breit ist.");
            return false;
        }
        if (to + tu >= d[0]) {
            message = FieldMessage(*t, 0, "Die Gurte füllen die Höhe.");
            return false;
        }
        break;
    }
    case SHAPER_BOX:
        if (2.0 * d[2] >= d[1]) {
            message = FieldMessage(*t, 2, "Die Stege berühren sich.");
            return false;
        }
        if (2.0 * d[3] >= d[0]) {
            message = FieldMessage(*t, 3, "Die Gurte berühren sich.");
            return false;
        }
        break;
    default: break;
    }
    return true;
}

int Shaper_BuildSection(ShaperContour& c) {
    std::string message;
    if (!Shaper_CheckDimensions(c.type, c.dims, message)) return -1;
    if (c.section < 1 || SEKT_PRO_GetType(c.section) < 0) c.section = SEKT_PRO_Create();
    if (c.section < 1) return -1;
    SEKT_PRO_Init(c.section, 0);
    for (const SektWLine& w : WallLines(c.type, c.dims)) SEKT_PRO_AddWLine(c.section, w);
    SEKT_PRO_Calculate(c.section);
    return 0;
}

ShaperContour Shaper_CopyContour(const ShaperContour& c) {
    ShaperContour copy;
    copy.type = c.type;
    copy.dims = c.dims;
    const int n = c.section > 0 ? SEKT_PRO_GetnWLine(c.section) : -1;
    if (n < 0) return copy;
    copy.section = SEKT_PRO_Create();
    if (copy.section < 1) {
        copy.section = -1;
        return copy;
    }
    SEKT_PRO_Init(copy.section, 0);
    for (int i = 0; i < n; ++i) {
        SektWLine w{};
        if (SEKT_PRO_GetWLine(c.section, i, &w) != 0) continue;
        const int k = SEKT_PRO_AddWLine(copy.section, w);
        SektWLineParam p{};
        if (SEKT_PRO_GetWLineParam(c.section, i, &p) == 0) SEKT_PRO_SetWLineParam(copy.section, k, &p);
        SektWLineGroup g{};
        if (SEKT_PRO_GetWLineGroup(c.section, i, &g) == 0) SEKT_PRO_SetWLineGroup(copy.section, k, k, &g);
    }
    return copy;
}

void Shaper_ReleaseContour(ShaperContour& c) {
    if (c.section > 0) SEKT_PRO_Delete(c.section);
    c.section = -1;
}

ShaperEditor Shaper_SetEditor(ShaperEditor editor) {
    const ShaperEditor old = Editor();
    Editor() = editor;
    return old;
}

int Shaper_EditSection(ShaperContour& contour, const int32_t* types, int count) {
    if (!Editor()) return 0;
    std::vector<int32_t> offered;
    if (types && count > 0)
        offered.assign(types, types + count);
    else
        for (const TypeInfo& t : Types()) offered.push_back(t.type);
    ShaperContour edited = Shaper_CopyContour(contour);
    if (Editor()(edited, offered) != 1 || edited.type == SHAPER_FREE) {
        Shaper_ReleaseContour(edited);
        return 0;
    }
    std::string message;
    if (Shaper_BuildSection(edited) != 0) {
        Shaper_ReleaseContour(edited);
        return 0;
    }
    // The caller's section gives way to the edited one.
    contour.type = edited.type;
    contour.dims = edited.dims;
    contour.section = edited.section;
    return 1;
}

int Shaper_DrawSection(int section, kurvo::Control* graph, double factor) {
    using kurvo::Arg;
    if (!graph || section < 1) return -1;
    const int n = SEKT_PRO_GetnWLine(section);
    if (n < 0) return -1;
    struct Plate {
        std::vector<double> x, y;
        double cx, cy;
    };
    std::vector<Plate> plates;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool any = false;
    for (int i = 0; i < n; ++i) {
        SektWLine w{};
        if (SEKT_PRO_GetWLine(section, i, &w) != 0 || w.type != SEKT_WLINE_PLATE) continue;
        const double dy = w.ye - w.ya, dz = w.ze - w.za, len = std::hypot(dy, dz);
        if (!(len > 0.0)) continue;
        // The picture's y is upwards: z is drawn negated.
        const double ny = -dz / len, nz = dy / len;
        Plate p;
        const double corners[4][2] = {{w.ya + ny * w.ta / 2, w.za + nz * w.ta / 2},
                                      {w.ye + ny * w.te / 2, w.ze + nz * w.te / 2},
                                      {w.ye - ny * w.te / 2, w.ze - nz * w.te / 2},
                                      {w.ya - ny * w.ta / 2, w.za - nz * w.ta / 2}};
        for (const auto& c : corners) {
            p.x.push_back(c[0]);
            p.y.push_back(-c[1]);
            if (!any || c[0] < x1) x1 = c[0];
            if (!any || c[0] > x2) x2 = c[0];
            if (!any || -c[1] < y1) y1 = -c[1];
            if (!any || -c[1] > y2) y2 = -c[1];
            any = true;
        }
        p.cx = (w.ya + w.ye) / 2;
        p.cy = -(w.za + w.ze) / 2;
        plates.push_back(std::move(p));
    }
    if (plates.empty()) return 0;
    const double size = std::max(x2 - x1, y2 - y1);
    const double textHeight = size * 0.06;
    graph->Invoke(35, {Arg::C(0xE0C8A0), Arg::L(0), Arg::L(0), Arg::B(false)});
    for (const Plate& p : plates) graph->Invoke(5, {Arg::L(4), Arg::Ds(p.x), Arg::Ds(p.y)});
    graph->Invoke(35, {Arg::C(0x000000), Arg::L(0), Arg::L(3), Arg::B(true)});
    for (size_t i = 0; i < plates.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        // The number's middle on the centre line.
        const double x = plates[i].cx - textHeight * 0.3 * number.size(), y = plates[i].cy - textHeight / 2;
        graph->Invoke(7, {Arg::D(x), Arg::D(y), Arg::D(0), Arg::D(textHeight), Arg::T(number)});
    }
    if (factor > 0.0) {
        const double mx = (x1 + x2) / 2, my = (y1 + y2) / 2, half = size * factor / 2;
        graph->Invoke(34, {Arg::D(mx - half), Arg::D(my + half), Arg::D(mx + half), Arg::D(my - half)});
    }
    graph->Invoke(15, {});
    return static_cast<int>(plates.size());
}
