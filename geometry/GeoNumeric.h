// Numeric helpers of the geometry library: rounding, angles, division of the
// full circle, pair ordering, Shell sorts and real roots of polynomials up to
// the third degree. Angles are in radians.
#pragma once

#include <cstdint>

// x rounded to n decimals; a remainder from 0.49 of a unit on rounds up
// (offset 0.51), for negative x towards zero at the half.
double RoundDecimals(double x, uint16_t n);
// fmod of the rounded values, rounded again.
double RoundedFmod(double x, double y, uint16_t n);
// Rounds x (in and out) to a multiple of 1/n and returns the number of
// decimals used (ceil(log10(n))). n below 1 leaves x alone and returns 0.
int RoundToFraction(int n, double& x);
// rest = distance of a above the multiple of pi/2 below it (in magnitude);
// 1 when rest <= 1e-6.
int IsMultipleOfHalfPi(double a, double& rest);
// a brought into [0, 2pi); multiples of pi/2 map exactly onto 0, pi/2, pi, 3pi/2.
double NormalizeAngle(double a);
// Whether text written along the angle a reads from left to right.
int IsReadableAngle(double a);
// The angle turned by pi when text along it would stand on its head, normalised.
double ReadableAngle(double a);
// Quadrant 0..3 of the normalised angle.
int AngleQuadrant(double a);
// Number of parts of 2pi/n that cover the angle a (n >= 1); |n| for n <= 0.
int CircleSectorIndex(double a, int n);

void SwapDoubles(double& a, double& b);
void SwapInts(int32_t& a, int32_t& b);
void SwapBytes(unsigned char& a, unsigned char& b);
void OrderAscending(double& a, double& b);
void OrderAscending(int32_t& a, int32_t& b);
void OrderDescending(double& a, double& b);
void OrderDescending(int32_t& a, int32_t& b);

// Shell sorts (gap n/2, halved); equal elements are never swapped. The flag
// non-zero sorts ascending, 0 descending.
void ShellSortInts(int32_t* values, int n, int ascending);
void ShellSortIntsDescending(int32_t* values, int n);
void ShellSortDoubles(double* values, int n, int ascending);
void ShellSortDoublesDescending(double* values, int n);

// Real roots of a x^3 + b x^2 + c x + d = 0 into roots[0..count-1]; returns
// the count. A coefficient of magnitude at most 1e-6 counts as zero, so the
// equation may drop to a quadratic or linear one. Double roots are given
// twice (a cubic with a double root gives three roots, a quadratic two).
int SolveCubic(double a, double b, double c, double d, double roots[3]);
