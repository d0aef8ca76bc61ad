// Sections built on the fly: a handle table with generation counts.
#include "platform/ferrum/onfly_section.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/ferrum/plate_roles.h"

namespace {

// Handle = slot index (1..kSlotMask) + generation << kGenShift; the
// generation counts the uses of the slot, so a stale handle finds nothing.
constexpr int kGenShift = 16;
constexpr int kSlotMask = (1 << kGenShift) - 1;
constexpr int kGenMask = 0x7FFF;

struct Slot {
    int generation = 0;
    std::unique_ptr<ferrum::OnTheFlySection> section;
};

std::vector<Slot>& Slots() {
    static std::vector<Slot> slots(1);  // slot 0 is never used
    return slots;
}

void SetDefaults(ferrum::OnTheFlySection& s) {
    std::fill(std::begin(s.additional), std::end(s.additional), 0.0);
    s.additional[0] = 210000.0;  // E, N/mm²
    s.additional[1] = 81000.0;   // G, N/mm²
}

void DropProfile(ferrum::OnTheFlySection& s) {
    if (s.profile > 0) SEKT_PRO_Delete(s.profile);
    s.profile = 0;
    s.roles.clear();
}

}  // namespace

namespace ferrum {

OnTheFlySection* FindOnTheFly(int h) {
    if (h <= 0) return nullptr;
    const size_t index = static_cast<size_t>(h & kSlotMask);
    const int generation = (h >> kGenShift) & kGenMask;
    std::vector<Slot>& slots = Slots();
    if (index == 0 || index >= slots.size()) return nullptr;
    Slot& s = slots[index];
    return s.section && s.generation == generation ? s.section.get() : nullptr;
}

}  // namespace ferrum

int FER_hStartOnTheFly(const char* code, int annex, double gM0, double gM1, double gM2) {
    std::vector<Slot>& slots = Slots();
    size_t index = 1;
    while (index < slots.size() && slots[index].section) ++index;
    if (index > static_cast<size_t>(kSlotMask)) return 0;
    if (index == slots.size()) slots.emplace_back();
    Slot& s = slots[index];
    s.generation = s.generation % kGenMask + 1;  // 1..kGenMask, never 0
    s.section = std::make_unique<ferrum::OnTheFlySection>();
    ferrum::OnTheFlySection& sec = *s.section;
    sec.code = code ? code : "";
    sec.annex = annex;
    sec.gM0 = gM0;
    sec.gM1 = gM1;
    sec.gM2 = gM2;
    SetDefaults(sec);
    return static_cast<int>(index) | (s.generation << kGenShift);
}

int FER_hAddLine(int h, int type, double ya, double za, double ye, double ze, double ta, double te, double ra,
                 double re, double spare1, double spare2) {
    ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
    if (!s) return -1;
    SektWLine w{};
    w.type = static_cast<int8_t>(type);
    w.ya = ya;
    w.za = za;
    w.ye = ye;
    w.ze = ze;
    w.ta = ta;
    w.te = te;
    w.ra = ra;
    w.re = re;
    w.reserve[0] = spare1;
    w.reserve[1] = spare2;
    s->lines.push_back(w);
    DropProfile(*s);  // calculated again with the new plate
    return static_cast<int>(s->lines.size()) - 1;
}

int FER_hCalculate(int h) {
    ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
    if (!s) return -1;
    DropProfile(*s);
    const int pro = SEKT_PRO_Create();
    if (pro <= 0) return -1;
    for (const SektWLine& w : s->lines) SEKT_PRO_AddWLine(pro, w);
    if (SEKT_PRO_Calculate(pro) != 1) {
        SEKT_PRO_Delete(pro);
        return -1;
    }
    s->profile = pro;
    std::vector<ferrum::PlateLine> plates;
    double size = 0;
    for (const SektWLine& w : s->lines) {
        plates.push_back({w.ya, w.za, w.ye, w.ze});
        size = std::max(size, std::hypot(w.ye - w.ya, w.ze - w.za));
    }
    s->roles = ferrum::FindPlateRoles(plates, 1e-6 * std::max(size, 1.0));
    // Connectors take no part in the plate roles.
    for (size_t k = 0; k < s->lines.size(); ++k)
        if (s->lines[k].type != SEKT_WLINE_PLATE) s->roles[k] = 0;
    return 0;
}

int FER_hSetAdditionalValues(int h, const double* values, int count) {
    ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
    if (!s || (count > 0 && !values)) return -1;
    const int n = std::clamp(count, 0, FER_H_MAX_ADDITIONAL);
    SetDefaults(*s);
    std::copy(values, values + n, s->additional);
    return n;
}

int FER_hGetAdditionalValues(int h, double* values) {
    if (!values) return -1;
    const ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
    std::fill(values, values + FER_H_MAX_ADDITIONAL, 0.0);
    if (!s) return -1;
    std::copy(std::begin(s->additional), std::end(s->additional), values);
    return 0;
}

int FER_hGetProfile(int h) {
    const ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
    return s ? s->profile : 0;
}

int FER_hGetPlateRole(int h, int i) {
    const ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
    if (!s || i < 0 || static_cast<size_t>(i) >= s->roles.size()) return 0;
    return s->roles[static_cast<size_t>(i)];
}

int FER_hClose(int h) {
    ferrum::OnTheFlySection* s = ferrum::FindOnTheFly(h);
    if (!s) return -1;
    DropProfile(*s);
    Slots()[static_cast<size_t>(h & kSlotMask)].section.reset();
    return 0;
}

int FER_hOpenCount(void) {
    int n = 0;
    for (const Slot& s : Slots()) n += s.section ? 1 : 0;
    return n;
}
