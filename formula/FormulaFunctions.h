// The functions of the formula language, the random numbers behind "rand",
// "roll" and "percent", and the angle unit of the trigonometric functions.
#pragma once

#include <cstdint>
#include <map>
#include <string>

using FormulaFunction1 = double (*)(double);
using FormulaFunction2 = double (*)(double, double);
using FormulaFunction3 = double (*)(double, double, double);

// The function tables by number of arguments; names compare with exact case.
// Built on first use and kept for the life of the process.
const std::map<std::string, FormulaFunction1>& FormulaFunctions1();
const std::map<std::string, FormulaFunction2>& FormulaFunctions2();
const std::map<std::string, FormulaFunction3>& FormulaFunctions3();

// Angle units of the trigonometric functions.
enum FormulaAngleUnit : int { kAngleRadians = 0, kAngleDegrees = 1, kAngleGon = 2 };

// The angle unit: read once per process from the user's registry value
// "angleUnit" under "Software\VKT\velor2005" (a decimal text; missing or
// unreadable counts as 0), then cached. Numbers other than 1 and 2 act as
// radians.
int GetAngleUnit();
// Drops the cached unit, so that the next call of GetAngleUnit reads the
// registry again (tests that change the setting).
void ResetAngleUnit();

// Largest number of throws that "roll" performs in one call.
constexpr int32_t kMaxDiceCount = 1000000;

// 0 when n < 1, else a whole number from 0 to n-1.
int RandomBelow(int n);
// 0 when count < 1, else the sum of count throws of a die with the given
// number of sides (each throw RandomBelow(sides) + 1). More than
// kMaxDiceCount throws raise a std::runtime_error.
int64_t RollDice(int count, int sides);
// false when p < 1, true when p >= 100, else true with a chance of p percent.
bool PercentChance(int p);

// Truncates toward zero to a 32-bit integer; values beyond the range
// (infinities included) saturate. Not-a-number raises a std::runtime_error
// "Fehler in <function>".
int32_t TruncateToInt32(double x, const char* function);
