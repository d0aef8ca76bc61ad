#include "kernel/fe/Skyline.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tovik::fe {

LmVector ElementDofNumbers(int32_t nodeA, int32_t nodeB) {
    LmVector lm{};
    for (int32_t j = 1; j <= kDofPerNode; ++j) {
        lm[static_cast<size_t>(j - 1)] = nodeA * kDofPerNode + j;
        lm[static_cast<size_t>(j - 1 + kDofPerNode)] = nodeB * kDofPerNode + j;
    }
    return lm;
}

void ColumnHeights(std::vector<int32_t>& mht, const LmVector& lm) {
    int32_t ls = 0;
    for (int32_t v : lm)
        if (v > 0 && (ls == 0 || v < ls)) ls = v;
    if (ls == 0) return;
    for (int32_t ii : lm) {
        if (ii <= 0 || ii >= static_cast<int32_t>(mht.size())) continue;
        mht[static_cast<size_t>(ii)] = std::max(mht[static_cast<size_t>(ii)], ii - ls);
    }
}

void SkylineAddresses(std::vector<int32_t>& maxa, std::vector<int32_t>& mht, int32_t n,
                      int32_t& nband, int32_t& nwk) {
    maxa.assign(static_cast<size_t>(n) + 2, 0);
    if (mht.size() < static_cast<size_t>(n) + 1) mht.resize(static_cast<size_t>(n) + 1, 0);
    nband = 0;
    nwk = 0;
    if (n < 1) return;
    // A column of height 0 other than the first is stored with height 1.
    for (int32_t i = 2; i <= n; ++i)
        if (mht[static_cast<size_t>(i)] == 0) mht[static_cast<size_t>(i)] = 1;
    mht[1] = 0;
    maxa[1] = 1;
    maxa[2] = 2;
    int32_t largest = 0;
    for (int32_t i = 2; i <= n; ++i) {
        largest = std::max(largest, mht[static_cast<size_t>(i)]);
        maxa[static_cast<size_t>(i) + 1] = maxa[static_cast<size_t>(i)] + mht[static_cast<size_t>(i)] + 1;
    }
    nband = largest + 1;
    nwk = maxa[static_cast<size_t>(n) + 1] - maxa[1];
}

std::vector<double> PackUpperTriangle(const double* full, int32_t order) {
    std::vector<double> packed;
    packed.reserve(static_cast<size_t>(order) * static_cast<size_t>(order + 1) / 2);
    for (int32_t i = 0; i < order; ++i)
        for (int32_t j = i; j < order; ++j) packed.push_back(full[i * order + j]);
    return packed;
}

void AddElementToSkyline(std::vector<double>& a, const std::vector<int32_t>& maxa,
                         const std::vector<double>& packed, const LmVector& lm) {
    const ElementPositions pos = SkylinePositions(maxa, lm);
    for (size_t k = 0; k < pos.size() && k < packed.size(); ++k)
        if (pos[k] >= 0) a[static_cast<size_t>(pos[k])] += packed[k];
}

void AddElementToSkyline(std::vector<double>& a, const std::vector<int32_t>& maxa, const double* full,
                         double factor, const LmVector& lm) {
    AddElementAt(a, SkylinePositions(maxa, lm), full, factor);
}

void ApplySupports(std::vector<double>& a, const std::vector<double>& lager,
                   const std::vector<int32_t>& maxa, int32_t n) {
    const bool addSprings = n >= 0;
    const int32_t neq = n < 0 ? -n : n;
    for (int32_t i = 1; i <= neq; ++i) {
        const double s = lager[static_cast<size_t>(i)];
        if (s < 0) {
            for (int32_t k = maxa[static_cast<size_t>(i)]; k < maxa[static_cast<size_t>(i) + 1]; ++k)
                a[static_cast<size_t>(k)] = 0.0;
            for (int32_t j = i + 1; j <= neq; ++j) {
                const int32_t pos = maxa[static_cast<size_t>(j)] + j - i;
                if (pos < maxa[static_cast<size_t>(j) + 1]) a[static_cast<size_t>(pos)] = 0.0;
            }
        } else if (s > 0 && addSprings) {
            a[static_cast<size_t>(maxa[static_cast<size_t>(i)])] += s;
        }
    }
}

int32_t FactorizeSkyline(std::vector<double>& a, const std::vector<int32_t>& maxa, int32_t n,
                         bool noCheck) {
    int32_t error = 0;
    for (int32_t col = 1; col <= n; ++col) {
        const int32_t kn = maxa[static_cast<size_t>(col)];
        const int32_t kl = kn + 1;
        const int32_t ku = maxa[static_cast<size_t>(col) + 1] - 1;
        const int32_t kh = ku - kl;
        if (a[static_cast<size_t>(kn)] == 0.0) {
            // Suppressed equation: it takes no part in the factor.
            for (int32_t k = kl; k <= ku; ++k) a[static_cast<size_t>(k)] = 0.0;
            continue;
        }
        if (kh > 0) {
            // Reduce the entries above the diagonal, from the top down.
            int32_t k = col - kh;
            int32_t ic = 0;
            int32_t klt = ku;
            for (int32_t j = 1; j <= kh; ++j) {
                ++ic;
                --klt;
                const int32_t ki = maxa[static_cast<size_t>(k)];
                const int32_t nd = maxa[static_cast<size_t>(k) + 1] - ki - 1;
                if (nd > 0) {
                    const int32_t kk = std::min(ic, nd);
                    double c = 0.0;
                    for (int32_t l = 1; l <= kk; ++l)
                        c += a[static_cast<size_t>(ki + l)] * a[static_cast<size_t>(klt + l)];
                    a[static_cast<size_t>(klt)] -= c;
                }
                ++k;
            }
        }
        if (kh >= 0) {
            int32_t k = col;
            double b = 0.0;
            for (int32_t kk = kl; kk <= ku; ++kk) {
                --k;
                const double d = a[static_cast<size_t>(maxa[static_cast<size_t>(k)])];
                const double c = (d == 0.0) ? 0.0 : a[static_cast<size_t>(kk)] / d;
                b += c * a[static_cast<size_t>(kk)];
                a[static_cast<size_t>(kk)] = c;
            }
            a[static_cast<size_t>(kn)] -= b;
        }
        if (!noCheck && a[static_cast<size_t>(kn)] - 1e-15 <= 0.0) error = col;
    }
    return error;
}

void ForwardReduce(const std::vector<double>& a, const std::vector<int32_t>& maxa,
                   std::vector<double>& v, int32_t n) {
    for (int32_t col = 1; col <= n; ++col) {
        const int32_t kl = maxa[static_cast<size_t>(col)] + 1;
        const int32_t ku = maxa[static_cast<size_t>(col) + 1] - 1;
        if (ku - kl < 0) continue;
        int32_t k = col;
        double c = 0.0;
        for (int32_t kk = kl; kk <= ku; ++kk) {
            --k;
            c += a[static_cast<size_t>(kk)] * v[static_cast<size_t>(k)];
        }
        v[static_cast<size_t>(col)] -= c;
    }
}

void BackSubstitute(const std::vector<double>& a, const std::vector<int32_t>& maxa,
                    std::vector<double>& v, int32_t n) {
    for (int32_t col = 1; col <= n; ++col) {
        const double d = a[static_cast<size_t>(maxa[static_cast<size_t>(col)])];
        v[static_cast<size_t>(col)] = (d == 0.0) ? 0.0 : v[static_cast<size_t>(col)] / d;
    }
    for (int32_t col = n; col >= 2; --col) {
        const int32_t kl = maxa[static_cast<size_t>(col)] + 1;
        const int32_t ku = maxa[static_cast<size_t>(col) + 1] - 1;
        int32_t k = col;
        for (int32_t kk = kl; kk <= ku; ++kk) {
            --k;
            v[static_cast<size_t>(k)] -= a[static_cast<size_t>(kk)] * v[static_cast<size_t>(col)];
        }
    }
}

int32_t SolveSkyline(std::vector<double>& a, const std::vector<int32_t>& maxa,
                     std::vector<double>& v, int32_t n, int32_t mode) {
    if (mode >= 0) {
        const int32_t err = FactorizeSkyline(a, maxa, n, false);
        if (err > 0 || mode == 0) return err;
    }
    ForwardReduce(a, maxa, v, n);
    BackSubstitute(a, maxa, v, n);
    return 0;
}

void SkylineMultiply(const std::vector<double>& a, const std::vector<double>& x,
                     std::vector<double>& y, const std::vector<int32_t>& maxa, int32_t n,
                     int32_t nwk) {
    y.assign(static_cast<size_t>(n) + 1, 0.0);
    if (nwk == n) {
        for (int32_t i = 1; i <= n; ++i)
            y[static_cast<size_t>(i)] = a[static_cast<size_t>(i)] * x[static_cast<size_t>(i)];
        return;
    }
    // Column col adds into y[col] before any later column touches it, so a
    // running sum gives the same additions in the same order.
    const double* av = a.data();
    const double* xv = x.data();
    double* yv = y.data();
    const int32_t* mv = maxa.data();
    for (int32_t col = 1; col <= n; ++col) {
        const int32_t kn = mv[col];
        const double xc = xv[col];
        double sum = yv[col] + av[kn] * xc;
        int32_t row = col;
        for (int32_t kk = kn + 1; kk < mv[col + 1]; ++kk) {
            --row;
            const double v = av[kk];
            sum += v * xv[row];
            yv[row] += v * xc;
        }
        yv[col] = sum;
    }
}

void SkylineMultiply2(const std::vector<double>& a1, const std::vector<double>& a2, const std::vector<double>& x,
                      std::vector<double>& y1, std::vector<double>& y2, const std::vector<int32_t>& maxa,
                      int32_t n, int32_t nwk) {
    if (nwk == n) {
        SkylineMultiply(a1, x, y1, maxa, n, nwk);
        SkylineMultiply(a2, x, y2, maxa, n, nwk);
        return;
    }
    y1.assign(static_cast<size_t>(n) + 1, 0.0);
    y2.assign(static_cast<size_t>(n) + 1, 0.0);
    const double* av = a1.data();
    const double* bv = a2.data();
    const double* xv = x.data();
    double* yv = y1.data();
    double* zv = y2.data();
    const int32_t* mv = maxa.data();
    for (int32_t col = 1; col <= n; ++col) {
        const int32_t kn = mv[col];
        const double xc = xv[col];
        double sum1 = yv[col] + av[kn] * xc;
        double sum2 = zv[col] + bv[kn] * xc;
        int32_t row = col;
        for (int32_t kk = kn + 1; kk < mv[col + 1]; ++kk) {
            --row;
            const double v = av[kk], w = bv[kk], xr = xv[row];
            sum1 += v * xr;
            sum2 += w * xr;
            yv[row] += v * xc;
            zv[row] += w * xc;
        }
        yv[col] = sum1;
        zv[col] = sum2;
    }
}

ElementPositions SkylinePositions(const std::vector<int32_t>& maxa, const LmVector& lm) {
    const int32_t n = static_cast<int32_t>(maxa.size()) - 2;
    ElementPositions pos{};
    size_t k = 0;
    for (int32_t i = 0; i < kElementDofs; ++i) {
        for (int32_t j = i; j < kElementDofs; ++j, ++k) {
            pos[k] = -1;
            int32_t ii = lm[static_cast<size_t>(i)];
            int32_t jj = lm[static_cast<size_t>(j)];
            if (ii < 1 || jj < 1 || ii > n || jj > n) continue;
            if (ii < jj) std::swap(ii, jj);
            const int32_t p = maxa[static_cast<size_t>(ii)] + ii - jj;
            if (p >= maxa[static_cast<size_t>(ii) + 1]) continue;
            pos[k] = p;
        }
    }
    return pos;
}

namespace {
// Index into the full 14 x 14 matrix of each packed upper-triangle entry.
constexpr std::array<int32_t, kElementDofs*(kElementDofs + 1) / 2> kPackedIndex = [] {
    std::array<int32_t, kElementDofs*(kElementDofs + 1) / 2> t{};
    size_t k = 0;
    for (int32_t i = 0; i < kElementDofs; ++i)
        for (int32_t j = i; j < kElementDofs; ++j) t[k++] = i * kElementDofs + j;
    return t;
}();
}  // namespace

void AddElementAt(std::vector<double>& a, const ElementPositions& pos, const double* full, double factor) {
    double* av = a.data();
    for (size_t k = 0; k < pos.size(); ++k)
        if (pos[k] >= 0) av[pos[k]] += factor * full[kPackedIndex[k]];
}

double SkylineEntry(const std::vector<double>& a, const std::vector<int32_t>& maxa, int32_t row,
                    int32_t col) {
    if (row > col) std::swap(row, col);
    const int32_t pos = maxa[static_cast<size_t>(col)] + col - row;
    if (pos >= maxa[static_cast<size_t>(col) + 1]) return 0.0;
    return a[static_cast<size_t>(pos)];
}

double DotProduct(const std::vector<double>& x, const std::vector<double>& y, int32_t n) {
    double s = 0.0;
    for (int32_t i = 1; i <= n; ++i) s += x[static_cast<size_t>(i)] * y[static_cast<size_t>(i)];
    return s;
}

int32_t FindExtreme(const double* first, int32_t stride, int32_t n, int32_t mode) {
    if (n <= 0) return 0;
    int32_t best = 0;
    auto key = [&](int32_t i) {
        const double v = first[static_cast<std::ptrdiff_t>(i) * stride];
        return (mode == 0 || mode == 1) ? std::fabs(v) : v;
    };
    double bv = key(0);
    for (int32_t i = 1; i < n; ++i) {
        const double v = key(i);
        const bool largest = (mode == 0 || mode == 2 || mode == 3);
        if (largest ? (v > bv) : (v <= bv)) {
            best = i;
            bv = v;
        }
    }
    return best * stride;
}

}  // namespace tovik::fe
