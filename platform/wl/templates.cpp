#include "platform/wl/templates.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/winsys/winsys.h"

namespace wl {

namespace {

std::map<int, DialogTemplate>& Templates() {
    static std::map<int, DialogTemplate> t;
    return t;
}

bool KnownKind(Kind k) {
    int v = static_cast<int>(k);
    return v >= static_cast<int>(Kind::Static) && v <= static_cast<int>(Kind::Custom);
}

}  // namespace

bool RegisterTemplate(DialogTemplate t) {
    auto& all = Templates();
    if (all.count(t.id)) {
        winsys::MessageBox(winsys::FormatC("Die Dialogvorlage %d ist bereits vorhanden; die zweite wird nicht übernommen.",
                                           t.id),
                           "Fehler", winsys::Buttons::Ok, winsys::Icon::Error);
        return false;
    }
    for (const ControlTemplate& c : t.controls) {
        if (!KnownKind(c.kind)) {
            winsys::MessageBox(winsys::FormatC("Dialogvorlage %d: das Steuerelement %d hat eine unbekannte Art (%d); "
                                               "die Vorlage wird nicht übernommen.",
                                               t.id, c.id, static_cast<int>(c.kind)),
                               "Fehler", winsys::Buttons::Ok, winsys::Icon::Error);
            return false;
        }
        if (c.kind == Kind::Custom && c.className.empty()) {
            winsys::MessageBox(winsys::FormatC("Dialogvorlage %d: das Steuerelement %d nennt keine Fensterklasse; "
                                               "die Vorlage wird nicht übernommen.",
                                               t.id, c.id),
                               "Fehler", winsys::Buttons::Ok, winsys::Icon::Error);
            return false;
        }
    }
    int id = t.id;
    all.emplace(id, std::move(t));
    return true;
}

const DialogTemplate* FindTemplate(int id) {
    auto& all = Templates();
    auto it = all.find(id);
    return it == all.end() ? nullptr : &it->second;
}

// number * numerator / denominator, rounded half away from zero, in 64 bits.
int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    std::int64_t p = static_cast<std::int64_t>(number) * numerator;
    std::int64_t d = denominator;
    bool neg = (p < 0) != (d < 0);
    std::int64_t ap = p < 0 ? -p : p;
    std::int64_t ad = d < 0 ? -d : d;
    std::int64_t q = (ap + ad / 2) / ad;
    return static_cast<int>(neg ? -q : q);
}

int DluToPixelX(int x) { return MulDiv(x, 6, 4); }
int DluToPixelY(int y) { return MulDiv(y, 13, 8); }

Rect DluToPixels(int x, int y, int cx, int cy) {
    int l = DluToPixelX(x), t = DluToPixelY(y);
    return Rect{l, t, l + DluToPixelX(cx), t + DluToPixelY(cy)};
}

TemplateRegistrar::TemplateRegistrar(DialogTemplate t) { RegisterTemplate(std::move(t)); }
TemplateRegistrar::TemplateRegistrar(std::initializer_list<DialogTemplate> ts) {
    for (const DialogTemplate& t : ts) RegisterTemplate(t);
}

}  // namespace wl
