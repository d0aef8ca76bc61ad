// Skyline equation system: storage, factorisation and solution.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "kernel/fe/Skyline.h"

using namespace tovik::fe;

namespace {

// Dense solution by Gaussian elimination (1-based vectors).
std::vector<double> DenseSolve(std::vector<std::vector<double>> A, std::vector<double> b) {
    const size_t n = b.size();
    for (size_t k = 0; k < n; ++k)
        for (size_t i = k + 1; i < n; ++i) {
            const double f = A[i][k] / A[k][k];
            for (size_t j = k; j < n; ++j) A[i][j] -= f * A[k][j];
            b[i] -= f * b[k];
        }
    std::vector<double> x(n);
    for (size_t i = n; i-- > 0;) {
        double s = b[i];
        for (size_t j = i + 1; j < n; ++j) s -= A[i][j] * x[j];
        x[i] = s / A[i][i];
    }
    return x;
}

// A symmetric banded matrix stored both dense and as skyline (heights from
// the band).
struct Banded {
    int32_t n;
    std::vector<std::vector<double>> dense;
    std::vector<int32_t> maxa, mht;
    std::vector<double> a;
    int32_t nband = 0, nwk = 0;
    Banded(int32_t n_, int32_t band) : n(n_), dense(static_cast<size_t>(n_), std::vector<double>(static_cast<size_t>(n_), 0.0)) {
        mht.assign(static_cast<size_t>(n) + 1, 0);
        for (int32_t i = 0; i < n; ++i)
            for (int32_t j = std::max(0, i - band); j <= i; ++j) {
                const double v = (i == j) ? 10.0 + i : 1.0 / (1.0 + i + 2.0 * j);
                dense[static_cast<size_t>(i)][static_cast<size_t>(j)] = dense[static_cast<size_t>(j)][static_cast<size_t>(i)] = v;
            }
        for (int32_t c = 1; c <= n; ++c) mht[static_cast<size_t>(c)] = std::min(band, c - 1);
        SkylineAddresses(maxa, mht, n, nband, nwk);
        a.assign(static_cast<size_t>(nwk) + 1, 0.0);
        for (int32_t c = 1; c <= n; ++c)
            for (int32_t r = c; r >= 1 && c - r <= mht[static_cast<size_t>(c)]; --r)
                a[static_cast<size_t>(maxa[static_cast<size_t>(c)] + c - r)] = dense[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)];
    }
};

}  // namespace

TEST(FeSkyline, BandedSystemSolvesToDenseSolution) {
    for (int32_t band : {1, 3, 13}) {
        Banded m(40, band);
        std::vector<double> b(41, 0.0), bd(40);
        for (int32_t i = 1; i <= 40; ++i) b[static_cast<size_t>(i)] = bd[static_cast<size_t>(i - 1)] = std::sin(i * 0.7);
        const auto x = DenseSolve(m.dense, bd);
        ASSERT_EQ(SolveSkyline(m.a, m.maxa, b, 40, 1), 0);
        for (int32_t i = 1; i <= 40; ++i)
            EXPECT_NEAR(b[static_cast<size_t>(i)], x[static_cast<size_t>(i - 1)], 1e-12 * std::max(1.0, std::fabs(x[static_cast<size_t>(i - 1)])))
                << "band " << band << " eq " << i;
        EXPECT_EQ(m.nband, band + 1);
    }
}

TEST(FeSkyline, MultiplyMatchesDense) {
    Banded m(12, 4);
    std::vector<double> x(13), y;
    for (int32_t i = 1; i <= 12; ++i) x[static_cast<size_t>(i)] = i * 0.5 - 2;
    SkylineMultiply(m.a, x, y, m.maxa, 12, m.nwk);
    for (int32_t i = 0; i < 12; ++i) {
        double s = 0;
        for (int32_t j = 0; j < 12; ++j) s += m.dense[static_cast<size_t>(i)][static_cast<size_t>(j)] * x[static_cast<size_t>(j + 1)];
        EXPECT_NEAR(y[static_cast<size_t>(i + 1)], s, 1e-13);
    }
}

TEST(FeSkyline, TwoProductsInOneSweepAreTheSingleProducts) {
    Banded m(12, 4), g(12, 4);
    for (double& v : g.a) v = -0.5 * v + 0.25;
    std::vector<double> x(13), y1, y2, z1, z2;
    for (int32_t i = 1; i <= 12; ++i) x[static_cast<size_t>(i)] = std::sin(i * 1.3);
    SkylineMultiply2(m.a, g.a, x, y1, y2, m.maxa, 12, m.nwk);
    SkylineMultiply(m.a, x, z1, m.maxa, 12, m.nwk);
    SkylineMultiply(g.a, x, z2, m.maxa, 12, m.nwk);
    EXPECT_EQ(y1, z1);
    EXPECT_EQ(y2, z2);
}

TEST(FeSkyline, ElementAddedAtItsPositionsAsByItsEquationNumbers) {
    // Two elements of a three-node chain; the first node's equations are
    // given as 0 (not stored), which both ways skip.
    std::vector<int32_t> mht(22, 0), maxa;
    LmVector a = ElementDofNumbers(0, 1), b = ElementDofNumbers(1, 2);
    for (int32_t& v : a) v = v <= 7 ? 0 : v;
    ColumnHeights(mht, a);
    ColumnHeights(mht, b);
    int32_t nband, nwk;
    SkylineAddresses(maxa, mht, 21, nband, nwk);
    std::array<double, 196> full{};
    for (size_t i = 0; i < full.size(); ++i) full[i] = std::cos(0.37 * static_cast<double>(i));
    std::vector<double> byNumbers(static_cast<size_t>(nwk) + 1, 0.5), atPositions = byNumbers;
    for (const LmVector& lm : {a, b}) {
        AddElementToSkyline(byNumbers, maxa, PackUpperTriangle(full.data(), 14), lm);
        AddElementAt(atPositions, SkylinePositions(maxa, lm), full.data(), 1.0);
    }
    EXPECT_EQ(atPositions, byNumbers);
    AddElementAt(atPositions, SkylinePositions(maxa, b), full.data(), -1.0);
    AddElementToSkyline(byNumbers, maxa, full.data(), -1.0, b);
    EXPECT_EQ(atPositions, byNumbers);
}

TEST(FeSkyline, RigidSupportGivesZeroDisplacement) {
    Banded m(10, 2);
    std::vector<double> lager(11, 0.0);
    lager[4] = -1.0;
    lager[7] = 5.0;  // a spring on the diagonal
    const double d7 = SkylineEntry(m.a, m.maxa, 7, 7);
    ApplySupports(m.a, lager, m.maxa, 10);
    EXPECT_EQ(SkylineEntry(m.a, m.maxa, 4, 4), 0.0);
    EXPECT_EQ(SkylineEntry(m.a, m.maxa, 4, 5), 0.0);
    EXPECT_EQ(SkylineEntry(m.a, m.maxa, 3, 4), 0.0);
    EXPECT_DOUBLE_EQ(SkylineEntry(m.a, m.maxa, 7, 7), d7 + 5.0);
    std::vector<double> b(11, 1.0);
    b[0] = 0;
    ASSERT_EQ(SolveSkyline(m.a, m.maxa, b, 10, 1), 0);
    EXPECT_EQ(b[4], 0.0);
    EXPECT_NE(b[5], 0.0);
}

TEST(FeSkyline, TwoNonPositivePivotsReportTheLaterEquation) {
    // Diagonal system with non-positive pivots in equations 2 and 4.
    std::vector<int32_t> mht(6, 0), maxa;
    int32_t nband, nwk;
    SkylineAddresses(maxa, mht, 5, nband, nwk);
    std::vector<double> a(static_cast<size_t>(nwk) + 1, 0.0);
    const double diag[5] = {2.0, -1.0, 3.0, -4.0, 1.0};
    for (int32_t i = 1; i <= 5; ++i) a[static_cast<size_t>(maxa[static_cast<size_t>(i)])] = diag[i - 1];
    std::vector<double> b(6, 1.0);
    EXPECT_EQ(SolveSkyline(a, maxa, b, 5, 1), 4);
}

TEST(FeSkyline, ColumnHeightsAndAddresses) {
    struct Row {
        int32_t n;
        std::vector<int32_t> heights;  // index 1..n
        std::vector<int32_t> maxa;     // 1..n+1
        int32_t nwk;
    };
    const std::vector<Row> rows = {
        {1, {0}, {1, 2}, 1},
        // a height-0 column other than the first is stored with height 1
        {3, {0, 0, 2}, {1, 2, 4, 7}, 6},
        {4, {0, 1, 0, 3}, {1, 2, 4, 6, 10}, 9},
    };
    for (const Row& r : rows) {
        std::vector<int32_t> mht(1, 0), maxa;
        mht.insert(mht.end(), r.heights.begin(), r.heights.end());
        int32_t nband, nwk;
        SkylineAddresses(maxa, mht, r.n, nband, nwk);
        EXPECT_EQ(nwk, r.nwk);
        for (int32_t i = 1; i <= r.n + 1; ++i) EXPECT_EQ(maxa[static_cast<size_t>(i)], r.maxa[static_cast<size_t>(i - 1)]);
    }
    // Element connectivity: two nodes of seven dofs give heights up to 13.
    std::vector<int32_t> mht(22, 0);
    ColumnHeights(mht, ElementDofNumbers(0, 1));
    ColumnHeights(mht, ElementDofNumbers(1, 2));
    EXPECT_EQ(mht[14], 13);
    EXPECT_EQ(mht[21], 13);
    EXPECT_EQ(mht[8], 7);
    EXPECT_EQ(ElementDofNumbers(2, 3)[0], 15);
    EXPECT_EQ(ElementDofNumbers(2, 3)[13], 28);
}

TEST(FeSkyline, ZeroDiagonalColumnIsSuppressed) {
    Banded m(6, 2);
    std::vector<double> lager(7, 0.0);
    lager[3] = -1.0;
    ApplySupports(m.a, lager, m.maxa, 6);
    EXPECT_EQ(FactorizeSkyline(m.a, m.maxa, 6, false), 0);
}

TEST(FeSkyline, FindExtremeTies) {
    const double v[] = {1, -3, 3, 0.5, -0.5, 2};
    EXPECT_EQ(FindExtreme(v, 1, 6, 0), 1);  // largest |v|: first of the tie
    EXPECT_EQ(FindExtreme(v, 1, 6, 1), 4);  // smallest |v|: last of the tie
    EXPECT_EQ(FindExtreme(v, 1, 6, 2), 2);
    EXPECT_EQ(FindExtreme(v, 1, 6, 4), 1);
    EXPECT_EQ(FindExtreme(v, 2, 3, 0), 2);  // offset of v[2]
}
