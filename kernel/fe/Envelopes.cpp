// Envelopes over the load cases of one kind, and the extreme superposition
// of load-case rows by action type.
#include <algorithm>
#include <cmath>
#include <map>

#include "kernel/KernelUtil.h"
#include "kernel/fe/FeSolver.h"

namespace tovik::fe {

void MinMaxOverCases(std::vector<double>& mx, std::vector<double>& mn, const std::vector<double>& rows,
                     int32_t nRows, int32_t width) {
    if (nRows <= 0 || width <= 0) return;
    mx.assign(rows.begin(), rows.begin() + width);
    mn = mx;
    for (int32_t r = 1; r < nRows; ++r)
        for (int32_t j = 0; j < width; ++j) {
            const double v = rows[Z(r * width + j)];
            mx[Z(j)] = std::max(mx[Z(j)], v);
            mn[Z(j)] = std::min(mn[Z(j)], v);
        }
}

void SuperposeExtremes(const std::vector<double>& rowsIn, int32_t width, int32_t count,
                       const std::vector<int32_t>& types, const std::vector<double>& factors,
                       std::vector<double>& result) {
    if (count <= 0 || width <= 0) return;
    std::vector<double> rows(rowsIn.begin(), rowsIn.begin() + count * width);
    for (int32_t r = 0; r < count; ++r)
        if (factors[Z(r)] != 0.0)
            for (int32_t j = 0; j < width; ++j) rows[Z(r * width + j)] *= factors[Z(r)];
    result.assign(Z(2 * width * width), 0.0);
    auto maxVec = [&](int32_t j) { return result.data() + 2 * width * j; };
    auto minVec = [&](int32_t j) { return result.data() + 2 * width * j + width; };
    auto row = [&](int32_t r) { return rows.data() + r * width; };
    auto add = [&](double* to, const double* from) {
        for (int32_t i = 0; i < width; ++i) to[i] += from[i];
    };
    std::map<int32_t, std::vector<int32_t>> groups, alternatives;
    for (int32_t r = 0; r < count; ++r) {
        const int32_t t = types[Z(r)];
        if (t == 1) {
            for (int32_t j = 0; j < width; ++j) {
                add(maxVec(j), row(r));
                add(minVec(j), row(r));
            }
        } else if (t == 2) {
            for (int32_t j = 0; j < width; ++j) {
                const double v = row(r)[j];
                if (std::fabs(v) < 1e-7) continue;
                add(v >= 0 ? maxVec(j) : minVec(j), row(r));
            }
        } else if (t >= 20 && t <= 29) {
            groups[t].push_back(r);
        } else if (t >= 30 && t <= 39) {
            alternatives[t].push_back(r);
        }
    }
    // Groups of variable actions act as one action.
    for (int32_t j = 0; j < width; ++j) {
        std::vector<double> bestMax, bestMin;
        double bestMaxV = 0.0, bestMinV = 0.0;
        for (const auto& [t, members] : groups) {
            std::vector<double> gmax(Z(width), 0.0), gmin(Z(width), 0.0);
            for (int32_t r : members) {
                const double v = row(r)[j];
                if (v > 0) add(gmax.data(), row(r));
                else if (v < 0) add(gmin.data(), row(r));
            }
            if (gmax[Z(j)] > bestMaxV) {
                bestMaxV = gmax[Z(j)];
                bestMax = gmax;
            }
            if (gmin[Z(j)] < bestMinV) {
                bestMinV = gmin[Z(j)];
                bestMin = gmin;
            }
        }
        if (!bestMax.empty()) add(maxVec(j), bestMax.data());
        if (!bestMin.empty()) add(minVec(j), bestMin.data());
    }
    // Alternatives: at most one load case of a group acts.
    for (const auto& [t, members] : alternatives) {
        for (int32_t j = 0; j < width; ++j) {
            int32_t rMax = members.front(), rMin = members.front();
            for (int32_t r : members) {
                if (row(r)[j] > row(rMax)[j]) rMax = r;
                if (row(r)[j] < row(rMin)[j]) rMin = r;
            }
            if (row(rMax)[j] >= 1e-8) add(maxVec(j), row(rMax));
            if (row(rMin)[j] <= -1e-8) add(minVec(j), row(rMin));
        }
    }
}

int32_t BuildEnvelopes(RunState& run, int32_t kind) {
    FeState& st = State(run);
    const ModelRecord& m = run.cdltr;
    std::vector<FeCaseResult>& cases = kind == 1 ? st.results.service : st.results.ultimate;
    FeEnvelope& env = kind == 1 ? st.results.serviceEnvelope : st.results.ultimateEnvelope;
    env = FeEnvelope{};
    const int32_t nLC = static_cast<int32_t>(cases.size());
    if (nLC == 0) return 0;  // an empty range writes nothing
    const int32_t nn = m.fe.nKnoten, ne = m.fe.nStab;
    auto value = [](const std::vector<double>& v, int32_t i) { return Z(i) < v.size() ? v[Z(i)] : 0.0; };

    // Support reactions: all load cases as one group of alternatives.
    for (int32_t i = 0; i <= m.nFeld; ++i) {
        if (m.Kn_Lager[Z(i)] == 0) continue;
        const int32_t node = FindNodeAtX(run, m.KnotenPos[Z(i)]);
        if (node < 0) continue;
        std::vector<double> rows(Z(7 * nLC));
        for (int32_t c = 0; c < nLC; ++c)
            for (int32_t j = 0; j < 7; ++j) rows[Z(7 * c + j)] = value(cases[Z(c)].reactions, 7 * node + j);
        std::vector<double> out;
        SuperposeExtremes(rows, 7, nLC, std::vector<int32_t>(Z(nLC), 30), std::vector<double>(Z(nLC), 1.0), out);
        env.supportNodes.push_back(node);
        env.reactions.insert(env.reactions.end(), out.begin(), out.end());
    }
    // End forces per element end, stresses per element end.
    for (int32_t end = 0; end < 2 * ne; ++end) {
        std::vector<double> rows(Z(7 * nLC)), srows(Z(5 * nLC)), mx, mn;
        for (int32_t c = 0; c < nLC; ++c) {
            for (int32_t j = 0; j < 7; ++j) rows[Z(7 * c + j)] = value(cases[Z(c)].endForces, 7 * end + j);
            for (int32_t j = 0; j < 5; ++j) srows[Z(5 * c + j)] = value(cases[Z(c)].stresses, 5 * end + j);
        }
        MinMaxOverCases(mx, mn, rows, nLC, 7);
        env.endMax.insert(env.endMax.end(), mx.begin(), mx.end());
        env.endMin.insert(env.endMin.end(), mn.begin(), mn.end());
        MinMaxOverCases(mx, mn, srows, nLC, 5);
        env.stressMax.insert(env.stressMax.end(), mx.begin(), mx.end());
        env.stressMin.insert(env.stressMin.end(), mn.begin(), mn.end());
    }
    (void)nn;
    env.present = true;
    return 0;
}

}  // namespace tovik::fe
