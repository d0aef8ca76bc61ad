#include "geometry/GeoNumeric.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <numbers>
#include <utility>

#include "geometry/GeoElements.h"

namespace {
constexpr double kTol = 1e-6;
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

bool IsZero(double v) { return std::fabs(v) <= kTol; }

template <class T>
void ShellSort(T* values, int n, int ascending)
{
    if (!values || n < 2)
        return;
    for (int gap = n / 2; gap > 0; gap /= 2) {
        for (int i = gap + 1; i <= n; ++i) {
            for (int j = i - gap; j > 0; j -= gap) {
                T& first = values[j - 1];
                T& second = values[j + gap - 1];
                if (ascending ? !(first > second) : !(first < second))
                    break;
                std::swap(first, second);
            }
        }
    }
}

double CubeRoot(double w) { return std::cbrt(w); }
}  // namespace

double RoundDecimals(double x, uint16_t n)
{
    if (!std::isfinite(x))
        return x;
    const double scale = std::pow(10.0, n);
    const double i = std::trunc(x);
    const double f = x - i;
    const double scaled = scale * f + 0.51;
    if (!std::isfinite(scale) || !std::isfinite(scaled))
        return x;
    return std::floor(scaled) / scale + i;
}

double RoundedFmod(double x, double y, uint16_t n)
{
    return RoundDecimals(std::fmod(RoundDecimals(x, n), RoundDecimals(y, n)), n);
}

int RoundToFraction(int n, double& x)
{
    if (n < 1 || !std::isfinite(x))
        return 0;
    const int decimals = static_cast<int>(std::ceil(std::log10(static_cast<double>(n)) - 1e-6));
    const double step = 1.0 / n;
    const double ax = std::fabs(x);
    double q = std::trunc(ax / step) * step;
    if (ax - q + 1e-6 >= step / 2.0)
        q += step;
    x = RoundDecimals(q, static_cast<uint16_t>(decimals)) * (x >= 0.0 ? 1.0 : -1.0);
    return decimals;
}

int IsMultipleOfHalfPi(double a, double& rest)
{
    const double halfPi = kPi / 2.0;
    const double q = a / halfPi;
    rest = std::fabs(q - std::trunc(q)) * halfPi;
    return rest <= kTol ? 1 : 0;
}

double NormalizeAngle(double a)
{
    if (!std::isfinite(a))
        return std::nan("");
    return DirectionAngleXY(std::cos(a), std::sin(a));
}

int IsReadableAngle(double a)
{
    if (a < -kPi / 3.0)
        return 0;
    if (a <= 2.0 * kPi / 3.0)
        return 1;
    return a >= 5.0 * kPi / 3.0 ? 1 : 0;
}

double ReadableAngle(double a)
{
    if (!IsReadableAngle(a))
        a += kPi;
    return NormalizeAngle(a);
}

int AngleQuadrant(double a)
{
    const double b = NormalizeAngle(a);
    if (b < kPi / 2.0)
        return 0;
    if (b < kPi)
        return 1;
    if (b < 1.5 * kPi)
        return 2;
    return 3;
}

int CircleSectorIndex(double a, int n)
{
    if (n <= 0)
        return n == INT_MIN ? INT_MAX : -n;
    if (!std::isfinite(a))
        return 0;
    const double parts = std::trunc(a * n / kTwoPi);
    if (parts >= static_cast<double>(INT_MAX) || parts <= static_cast<double>(INT_MIN))
        return parts > 0 ? INT_MAX : INT_MIN;
    int k = static_cast<int>(parts);
    if (std::fabs(a - k * kTwoPi / n) > kTol && k < INT_MAX)
        ++k;
    return k;
}

void SwapDoubles(double& a, double& b) { std::swap(a, b); }
void SwapInts(int32_t& a, int32_t& b) { std::swap(a, b); }
void SwapBytes(unsigned char& a, unsigned char& b) { std::swap(a, b); }
void OrderAscending(double& a, double& b) { if (a > b) std::swap(a, b); }
void OrderAscending(int32_t& a, int32_t& b) { if (a > b) std::swap(a, b); }
void OrderDescending(double& a, double& b) { if (a < b) std::swap(a, b); }
void OrderDescending(int32_t& a, int32_t& b) { if (a < b) std::swap(a, b); }

void ShellSortInts(int32_t* values, int n, int ascending) { ShellSort(values, n, ascending); }
void ShellSortIntsDescending(int32_t* values, int n) { ShellSort(values, n, 0); }
void ShellSortDoubles(double* values, int n, int ascending) { ShellSort(values, n, ascending); }
void ShellSortDoublesDescending(double* values, int n) { ShellSort(values, n, 0); }

int SolveCubic(double a, double b, double c, double d, double roots[3])
{
    if (!roots || !std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d))
        return 0;
    // Discriminants that rounding pushes just across zero: tolerance of a
    // few dozen units of the last place of the terms they are made of.
    constexpr double kRel = 64.0 * DBL_EPSILON;

    if (IsZero(a)) {
        if (IsZero(b)) {
            if (IsZero(c))
                return 0;
            roots[0] = -d / c;
            return 1;
        }
        const double p = c / b;
        const double q = d / b;
        double D = p * p / 4.0 - q;
        if (D < 0.0) {
            if (-D > kRel * (p * p / 4.0 + std::fabs(q)))
                return 0;
            D = 0.0;  // a double root
        }
        // The root of the larger magnitude first-hand, the other through the
        // product of the roots (q), so that neither is lost to cancellation.
        const double h = -p / 2.0;
        const double w = std::sqrt(D);
        double r1, r2;
        if (h >= 0.0) {
            r1 = h + w;
            r2 = r1 != 0.0 ? q / r1 : h - w;
        } else {
            r2 = h - w;
            r1 = r2 != 0.0 ? q / r2 : h + w;
        }
        roots[0] = r1;
        roots[1] = r2;
        return 2;
    }

    const double r = c / a;
    const double s = b / a;
    const double P = r - s * s / 3.0;
    const double Q = 2.0 * s * s * s / 27.0 - s * r / 3.0 + d / a;
    const double D = Q * Q / 4.0 + P * P * P / 27.0;
    // Error bound of D from the rounding of P and Q.
    const double scaleP = std::fabs(r) + s * s / 3.0;
    const double scaleQ = 2.0 * std::fabs(s * s * s) / 27.0 + std::fabs(s * r) / 3.0 + std::fabs(d / a);
    const double tolD = kRel * (std::fabs(Q) / 2.0 * scaleQ + P * P / 9.0 * scaleP) + DBL_MIN;

    if (D < -tolD) {
        const double m = std::sqrt(std::fabs(P) / 3.0);
        double cosArg = (-Q / 2.0) / std::sqrt(std::fabs(P * P * P) / 27.0);
        cosArg = std::fmax(-1.0, std::fmin(1.0, cosArg));
        const double t = std::acos(cosArg);
        roots[0] = 2.0 * m * std::cos(t / 3.0) - s / 3.0;
        roots[1] = -2.0 * m * std::cos(t / 3.0 - kPi / 3.0) - s / 3.0;
        roots[2] = -2.0 * m * std::cos(t / 3.0 + kPi / 3.0) - s / 3.0;
        return 3;
    }
    if (D <= tolD) {
        const double u = -Q / 2.0;
        const double sigma = u >= 0.0 ? 1.0 : -1.0;
        const double cu = CubeRoot(std::fabs(u));
        roots[0] = 2.0 * sigma * cu - s / 3.0;
        roots[1] = -sigma * cu - s / 3.0;
        roots[2] = roots[1];
        return 3;
    }
    // One real root: y = w1^(1/3) + w2^(1/3) with w1 w2 = -P^3/27; the cube
    // root of larger magnitude is formed directly and the other from the
    // product, which keeps it free of cancellation.
    const double half = -Q / 2.0;
    const double big = half + (half >= 0.0 ? 1.0 : -1.0) * std::sqrt(D);
    const double y1 = CubeRoot(big);
    const double y = y1 != 0.0 ? y1 - P / (3.0 * y1) : 0.0;
    roots[0] = y - s / 3.0;
    return 1;
}
