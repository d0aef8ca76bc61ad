// Lowest buckling eigenpair of K x = lambda G x: the Rayleigh quotient is
// minimised by conjugate gradients preconditioned with K's own factor.
#include <cmath>

#include "kernel/fe/FeSolver.h"
#include "kernel/fe/Skyline.h"

namespace tovik::fe {

namespace {
constexpr int32_t kStepsPerCycle = 30;
constexpr int32_t kMaxRestarts = 20;
constexpr double kTolerance = 1e-10;
constexpr double kSeed = 2001.0;

// The start-vector generator: x := x 78125 mod 65536, value x / 32768 - 1.
struct StartVector {
    double state;
    double Next() {
        const double t = state * 78125.0;
        state = t - 65536.0 * std::floor(t / 65536.0);
        return state / 32768.0 - 1.0;
    }
};

thread_local StartVector t_generator{0.0};
}  // namespace

double RandomStart(int32_t mode, double seed) {
    if (mode == 1) {
        t_generator.state = seed;
        return 0.0;
    }
    return t_generator.Next();
}

int32_t SolveEigen(std::vector<double>& K, const std::vector<double>& G, const std::vector<int32_t>& maxa,
                   int32_t n, int32_t nwk, std::vector<double>& out, int32_t* steps) {
    const std::vector<double> Kc = K;
    FactorizeSkyline(K, maxa, n, true);
    FeWorkspace ws;
    return SolveEigenFactored(K, Kc, G, maxa, n, nwk, out, steps, ws);
}

int32_t SolveEigenFactored(const std::vector<double>& K, const std::vector<double>& Kc, const std::vector<double>& G,
                           const std::vector<int32_t>& maxa, int32_t n, int32_t nwk, std::vector<double>& out,
                           int32_t* steps, FeWorkspace& ws) {
    const size_t sz = static_cast<size_t>(n) + 1;
    // Every call starts from the same vector, whatever ran before it.
    StartVector generator{kSeed};
    std::vector<double>& x = ws.x;
    std::vector<double>& y1 = ws.y1;
    std::vector<double>& y2 = ws.y2;
    std::vector<double>& g = ws.g;
    std::vector<double>& h = ws.h;
    std::vector<double>& p = ws.dir;
    std::vector<double>& z1 = ws.z1;
    std::vector<double>& z2 = ws.z2;
    x.assign(sz, 0.0);
    g.assign(sz, 0.0);
    p.assign(sz, 0.0);
    for (int32_t i = 1; i <= n; ++i) {
        x[static_cast<size_t>(i)] = generator.Next();
        if (std::fabs(Kc[static_cast<size_t>(maxa[static_cast<size_t>(i)])]) < 1e-10) x[static_cast<size_t>(i)] = 0.0;
    }
    int32_t totalSteps = 0;
    for (int32_t cycle = 0; cycle <= kMaxRestarts; ++cycle) {
        SkylineMultiply2(Kc, G, x, y1, y2, maxa, n, nwk);
        double xy1 = DotProduct(x, y1, n), xy2 = DotProduct(x, y2, n);
        if (xy2 == 0.0 || !std::isfinite(xy1) || !std::isfinite(xy2)) break;
        double q = xy1 / xy2;
        std::fill(p.begin(), p.end(), 0.0);
        double prevHG = 1.0;
        for (int32_t step = 0; step < kStepsPerCycle; ++step) {
            ++totalSteps;
            for (int32_t i = 1; i <= n; ++i)
                g[static_cast<size_t>(i)] = (y1[static_cast<size_t>(i)] - q * y2[static_cast<size_t>(i)]) * 2.0 / xy2;
            h = g;
            ForwardReduce(K, maxa, h, n);
            BackSubstitute(K, maxa, h, n);
            const double hg = DotProduct(h, g, n);
            const double beta = (step == 0 || prevHG == 0.0) ? 0.0 : hg / prevHG;
            prevHG = hg;
            for (int32_t i = 1; i <= n; ++i)
                p[static_cast<size_t>(i)] = beta * p[static_cast<size_t>(i)] - h[static_cast<size_t>(i)];
            SkylineMultiply2(Kc, G, p, z1, z2, maxa, n, nwk);
            const double a1 = DotProduct(x, z1, n), b1 = DotProduct(p, z1, n);
            const double a2 = DotProduct(x, z2, n), b2 = DotProduct(p, z2, n);
            const double qA = a2 * b1 - a1 * b2;
            const double qB = b2 * xy1 - b1 * xy2;
            const double qC = a1 * xy2 - a2 * xy1;
            const double D = qB * qB - 4.0 * qA * qC;
            // A line without a real stationary point (or a degenerate one)
            // ends the cycle; the next one restarts from the current x.
            if (!(D >= 0.0) || qA == 0.0 || !std::isfinite(D)) break;
            const double sq = std::sqrt(D);
            double alpha;
            if (qB >= 0.0) {
                alpha = (qB + sq) / (2.0 * qA);
            } else {
                if (qB - sq == 0.0) break;
                alpha = 2.0 * qC / (qB - sq);
            }
            if (!std::isfinite(alpha)) break;
            for (int32_t i = 1; i <= n; ++i) {
                const size_t s = static_cast<size_t>(i);
                x[s] += alpha * p[s];
                y1[s] += alpha * z1[s];
                y2[s] += alpha * z2[s];
            }
            xy1 = DotProduct(x, y1, n);
            xy2 = DotProduct(x, y2, n);
            if (xy2 == 0.0 || !std::isfinite(xy1) || !std::isfinite(xy2)) break;
            const double qNew = xy1 / xy2;
            const bool converged = std::fabs(1.0 - q / qNew) < kTolerance;
            q = qNew;
            if (converged) {
                out.assign(2 * sz, 0.0);
                for (int32_t i = 1; i <= n; ++i) out[static_cast<size_t>(i - 1)] = x[static_cast<size_t>(i)];
                out[2 * static_cast<size_t>(n)] = q;
                if (steps) *steps = totalSteps;
                return 0;
            }
        }
    }
    if (steps) *steps = totalSteps;
    return -1;
}

}  // namespace tovik::fe
