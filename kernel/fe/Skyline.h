// Symmetric equation systems in skyline (variable band) storage and the few
// vector helpers the finite-element solver needs.
//
// Equation numbers are 1-based: node k (0-based) owns equations 7k+1 .. 7k+7.
// All vectors indexed by equation number carry an unused slot 0, so that
// v[i] is the value of equation i. A skyline matrix stores column i at
// positions maxa[i] .. maxa[i+1]-1 of its value array (1-based as well):
// the diagonal first, then the entries above it upward.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tovik::fe {

inline constexpr int32_t kDofPerNode = 7;
inline constexpr int32_t kElementDofs = 14;

using LmVector = std::array<int32_t, kElementDofs>;

// The 14 equation numbers of the element joining nodes a and b. A node
// number below 0 gives numbers below 1, which the assembly skips.
LmVector ElementDofNumbers(int32_t nodeA, int32_t nodeB);

// Column heights ("mht", 1-based, size n+1): with ls the smallest positive
// equation number of the element, each of its equations ii gets
// mht[ii] = max(mht[ii], ii - ls).
void ColumnHeights(std::vector<int32_t>& mht, const LmVector& lm);

// Diagonal addresses ("maxa", size n+2, maxa[1..n+1]). Column heights of 0
// other than the first column's are raised to 1 first. Gives the half
// bandwidth nband (largest height + 1) and the stored entry count nwk.
void SkylineAddresses(std::vector<int32_t>& maxa, std::vector<int32_t>& mht, int32_t n,
                      int32_t& nband, int32_t& nwk);

// Packed upper triangle, row by row, of a full order x order matrix.
std::vector<double> PackUpperTriangle(const double* full, int32_t order);

// Adds a packed 14 x 14 element matrix into the skyline matrix a (1-based,
// size nwk+1) at the equations lm; entries with a number below 1 are skipped.
void AddElementToSkyline(std::vector<double>& a, const std::vector<int32_t>& maxa,
                         const std::vector<double>& packed, const LmVector& lm);

// The same for a full row-major 14 x 14 matrix times a factor (the entries
// of its upper triangle are added in the packed order).
void AddElementToSkyline(std::vector<double>& a, const std::vector<int32_t>& maxa, const double* full,
                         double factor, const LmVector& lm);

// Supports: for every equation with a negative entry, clears its column and
// its row; a positive entry is added to the diagonal (only when n >= 0; a
// negative n applies only the clearing, with |n| equations).
void ApplySupports(std::vector<double>& a, const std::vector<double>& lager,
                   const std::vector<int32_t>& maxa, int32_t n);

// In-place LDL^T factorisation. A column whose diagonal is exactly 0 is a
// suppressed equation and is skipped. Returns the last equation whose pivot
// was not positive (0 when all were), unless noCheck is set.
int32_t FactorizeSkyline(std::vector<double>& a, const std::vector<int32_t>& maxa, int32_t n,
                         bool noCheck);

// v := L^-1 v
void ForwardReduce(const std::vector<double>& a, const std::vector<int32_t>& maxa,
                   std::vector<double>& v, int32_t n);
// v := D^-1 v (0 where D = 0), then v := L^-T v
void BackSubstitute(const std::vector<double>& a, const std::vector<int32_t>& maxa,
                    std::vector<double>& v, int32_t n);

// mode >= 0: factorise a first; a failed factorisation (or mode 0) returns
// the error equation (> 0) or 0 without solving. mode < 0: a holds a factor.
// On success v holds the solution and the result is 0.
int32_t SolveSkyline(std::vector<double>& a, const std::vector<int32_t>& maxa,
                     std::vector<double>& v, int32_t n, int32_t mode);

// y = A x for a skyline A; when nwk == n the matrix is taken as diagonal.
void SkylineMultiply(const std::vector<double>& a, const std::vector<double>& x,
                     std::vector<double>& y, const std::vector<int32_t>& maxa, int32_t n,
                     int32_t nwk);

// y1 = A1 x and y2 = A2 x for two skyline matrices of the same layout, in
// one sweep (each product as SkylineMultiply forms it).
void SkylineMultiply2(const std::vector<double>& a1, const std::vector<double>& a2, const std::vector<double>& x,
                      std::vector<double>& y1, std::vector<double>& y2, const std::vector<int32_t>& maxa,
                      int32_t n, int32_t nwk);

// Skyline positions of the 105 upper-triangle entries (i <= j, row by row)
// of an element at the equations lm; -1 where an entry is not stored.
using ElementPositions = std::array<int32_t, kElementDofs * (kElementDofs + 1) / 2>;
ElementPositions SkylinePositions(const std::vector<int32_t>& maxa, const LmVector& lm);
// Adds factor times a full row-major 14 x 14 element matrix at the
// positions (the same additions as AddElementToSkyline).
void AddElementAt(std::vector<double>& a, const ElementPositions& pos, const double* full, double factor);

// Entry (row, col) of a skyline matrix, 0 outside the profile (1-based).
double SkylineEntry(const std::vector<double>& a, const std::vector<int32_t>& maxa, int32_t row,
                    int32_t col);

// Sum over i = 1..n of x[i]*y[i] (1-based vectors).
double DotProduct(const std::vector<double>& x, const std::vector<double>& y, int32_t n);

// Offset (0-based) of an extreme among n entries starting at first with the
// given stride: mode 0 largest |value|, 1 smallest |value|, 2 and 3 largest
// value, 4 smallest value. Ties: the first for a largest, the last for a
// smallest.
int32_t FindExtreme(const double* first, int32_t stride, int32_t n, int32_t mode);

inline double CopySign(double a, double b) { return b < 0 ? -(a < 0 ? -a : a) : (a < 0 ? -a : a); }
inline int32_t SignOf(int32_t v) { return (v > 0) - (v < 0); }

}  // namespace tovik::fe
