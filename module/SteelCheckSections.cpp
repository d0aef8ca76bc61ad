// Steel-check sections: the span table, the sections of the steel-design
// library built from the section-library profiles, and two small sorts.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "module/SteelCheckSections.h"
#include "platform/ferrum/ferrum.h"
#include "platform/winsys/winsys.h"
#include "platform/zidezaz/zidezaz.h"

void CSteelCheckSections::Reset() {
    m_nAnnex = 1;
    m_spanLengths.clear();
    m_spanStarts.clear();
    m_startProfiles.clear();
    m_endProfiles.clear();
    // Sections of the steel-design library built on the fly.
    for (const auto& [key, handle] : m_handles)
        if (handle != 0) FER_hClose(handle);
    m_handles.clear();
    m_dTotalLength = 0.0;
}

void CSteelCheckSections::SetSpanCount(int n) {
    const size_t count = static_cast<size_t>(std::max(n, 0));
    m_spanLengths.resize(count, 0.0);
    m_spanStarts.resize(count, 0.0);
    m_startProfiles.resize(count, 0);
    m_endProfiles.resize(count, 0);
}

void CSteelCheckSections::SetSpan(int i, double length, int32_t startProfile, int32_t endProfile) {
    if (i < 0 || i >= GetSpanCount()) return;
    const size_t k = static_cast<size_t>(i);
    m_spanLengths[k] = length;
    m_startProfiles[k] = startProfile;
    m_endProfiles[k] = endProfile;
    double x = 0.0;
    for (size_t j = 0; j < m_spanLengths.size(); ++j) {
        m_spanStarts[j] = x;
        x += m_spanLengths[j];
    }
    m_dTotalLength = x;
}

int CSteelCheckSections::FindSpan(double x, double& local) const {
    local = 0.0;
    const int n = GetSpanCount();
    if (n == 0) return -1;
    double start = 0.0;
    for (int i = 0; i < n; ++i) {
        const double length = m_spanLengths[static_cast<size_t>(i)];
        if (start + length >= x) {
            local = x - start;
            return i;
        }
        if (i + 1 < n) start += length;
    }
    local = x - start;  // beyond the girder: the last span
    return n - 1;
}

int32_t CSteelCheckSections::GetSteelCheckSectionHandle(double x) {
    double local = 0.0;
    if (!std::isfinite(x)) return 0;
    const int i = FindSpan(x, local);
    if (i < 0) return 0;
    const size_t k = static_cast<size_t>(i);
    const double length = m_spanLengths[k];
    // One section per span without haunch; in a haunched span one per tenth
    // of x. The span index is part of the key: a haunch ending at x and a
    // straight span starting at x would otherwise meet under trunc(10 x).
    const bool haunch = m_startProfiles[k] != m_endProfiles[k];
    double keyX = haunch ? x * 10.0 : (m_spanStarts[k] + 0.01) * 10.0;
    keyX = std::clamp(keyX, -2.0e9, 2.0e9);  // a key for any x, even a wild one
    const std::pair<int32_t, int32_t> key{i, static_cast<int32_t>(std::trunc(keyX))};
    if (auto it = m_handles.find(key); it != m_handles.end()) return it->second;
    const int32_t h = SetFerrumSection(m_startProfiles[k], m_endProfiles[k], local, length);
    m_handles[key] = h;  // a failed section is kept too, so that it reports once
    return h;
}

int32_t CSteelCheckSections::SetFerrumSection(int32_t A, int32_t B, double local, double length) {
    const int nA = SEKT_PRO_GetnWLine(A);
    const int nB = A == B ? nA : SEKT_PRO_GetnWLine(B);
    if (nA <= 0 || nB <= 0) {
        winsys::MessageBox("SetFerrumSection: Profil ohne lesbare Wandlinien");
        return 0;
    }
    if (A != B && nA != nB) {
        winsys::MessageBox("SetFerrumSection: Vouten-Profile passen nicht zusammen");
        return 0;
    }
    if (nA >= kMaxWalls) {
        winsys::MessageBox("SetFerrumSection: Anzahl Bleche > MAX_WALLS");
        return 0;
    }
    if (length < 0.1) {  // too short for a haunch: the start profile alone
        B = A;
        length = 1.0;
    }
    std::vector<SektWLine> a(static_cast<size_t>(nA)), b(static_cast<size_t>(nA)), line(static_cast<size_t>(nA));
    for (int j = 0; j < nA; ++j) {
        const size_t k = static_cast<size_t>(j);
        if (SEKT_PRO_GetWLine(A, j, &a[k]) != 0 || SEKT_PRO_GetWLine(B, j, &b[k]) != 0) {
            winsys::MessageBox("SetFerrumSection: Profil ohne lesbare Wandlinien");
            return 0;
        }
    }
    // Along the haunch; beyond its ends (a position off the girder) the
    // section of the nearer end, never an extrapolated one.
    const double t = std::clamp(local / length, 0.0, 1.0);
    for (size_t k = 0; k < a.size(); ++k) {
        double va[10], vb[10], v[10];
        std::memcpy(va, &a[k].ya, sizeof va);
        std::memcpy(vb, &b[k].ya, sizeof vb);
        for (int m = 0; m < 10; ++m) v[m] = A == B ? va[m] : va[m] + (vb[m] - va[m]) * t;
        line[k] = SektWLine{};
        line[k].type = a[k].type;
        std::memcpy(&line[k].ya, v, sizeof v);
    }
    const int32_t h = FER_hStartOnTheFly("EC", m_nAnnex == 1 ? 1 : 2, 1.0, 1.1, 1.25);
    for (const SektWLine& w : line)
        FER_hAddLine(h, static_cast<int>(w.type), w.ya, w.za, w.ye, w.ze, w.ta, w.te, w.ra, w.re, w.reserve[0],
                     w.reserve[1]);
    FER_hCalculate(h);
    return h;
}

void CSteelCheckSections::SortStringArray(std::vector<std::string>& array, int ascending) {
    // Byte-wise comparison of unsigned characters, a shorter prefix first
    // (what std::string's compare does with its char traits).
    auto less = [](const std::string& l, const std::string& r) {
        const size_t n = std::min(l.size(), r.size());
        const int c = std::memcmp(l.data(), r.data(), n);
        return c != 0 ? c < 0 : l.size() < r.size();
    };
    if (ascending) std::stable_sort(array.begin(), array.end(), less);
    else std::stable_sort(array.begin(), array.end(), [&](const std::string& l, const std::string& r) { return less(r, l); });
}

void CSteelCheckSections::SortDoubleArray(std::vector<double>& array, int descending) {
    // Unordered values (NaN) compare as equal to everything; they are moved
    // to the end so that the order of the others is strict.
    auto mid = std::stable_partition(array.begin(), array.end(), [](double v) { return !std::isnan(v); });
    if (descending) std::stable_sort(array.begin(), mid, [](double l, double r) { return l > r; });
    else std::stable_sort(array.begin(), mid, [](double l, double r) { return l < r; });
}
