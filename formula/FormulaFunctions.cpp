#include "formula/FormulaFunctions.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <stdexcept>

#include "platform/winsys/winsys.h"

namespace {

// The random generator is seeded once when the library is loaded.
const bool s_randomSeeded = (std::srand(static_cast<unsigned>(std::time(nullptr))), true);

constexpr int kAngleNotRead = -1;
int s_angleUnit = kAngleNotRead;

constexpr double kPi = 3.141592653589793;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kGonToRad = 0.015707963267948967;
constexpr double kRadToDeg = 57.29577951308232;
constexpr double kRadToGon = 63.66197723675813;

[[noreturn]] void DomainError(const char* function)
{
    throw std::runtime_error(std::string("Fehler in ") + function);
}

// Argument of a trigonometric function: from the angle unit to radians.
double ToRadians(double x)
{
    switch (GetAngleUnit()) {
    case kAngleDegrees: return x * kDegToRad;
    case kAngleGon: return x * kGonToRad;
    default: return x;
    }
}

// Result of an inverse trigonometric function: from radians to the angle unit.
double FromRadians(double x)
{
    switch (GetAngleUnit()) {
    case kAngleDegrees: return x * kRadToDeg;
    case kAngleGon: return x * kRadToGon;
    default: return x;
    }
}

double FnAbs(double x) { return std::fabs(x); }
double FnSqrt(double x)
{
    if (x < 0) DomainError("sqrt");
    return std::sqrt(x);
}
double FnExp(double x) { return std::exp(x); }
double FnLog(double x)
{
    if (x < 0) DomainError("log");
    return std::log(x);
}
double FnLog10(double x)
{
    if (x < 0) DomainError("log10");
    return std::log10(x);
}
double FnCeil(double x) { return std::ceil(x); }
double FnFloor(double x) { return std::floor(x); }
double FnInt(double x) { return TruncateToInt32(x, "int"); }
double FnSin(double x) { return std::sin(ToRadians(x)); }
double FnCos(double x) { return std::cos(ToRadians(x)); }
double FnTan(double x) { return std::tan(ToRadians(x)); }
double FnCot(double x) { return 1.0 / std::tan(ToRadians(x)); }
double FnAsin(double x)
{
    if (std::fabs(x) > 1) DomainError("asin");
    return FromRadians(std::asin(x));
}
double FnAcos(double x)
{
    if (std::fabs(x) > 1) DomainError("acos");
    return FromRadians(std::acos(x));
}
double FnAtan(double x) { return FromRadians(std::atan(x)); }
double FnAcot(double x) { return FromRadians(kPi / 2 - std::atan(x)); }
double FnSinh(double x) { return std::sinh(x); }
double FnCosh(double x) { return std::cosh(x); }
double FnTanh(double x) { return std::tanh(x); }
double FnCoth(double x) { return 1.0 / std::tanh(x); }
double FnArsinh(double x) { return std::log(x + std::sqrt(x * x + 1)); }
double FnArcosh(double x) { return std::log(x + std::sqrt(x * x - 1)); }
double FnArtanh(double x) { return 0.5 * std::log((1 + x) / (1 - x)); }
double FnArcoth(double x) { return 0.5 * std::log((x + 1) / (x - 1)); }
double FnRad(double x) { return x * kDegToRad; }
double FnGrad(double x) { return x * kRadToDeg; }
double FnRand(double x) { return RandomBelow(TruncateToInt32(x, "rand")); }
double FnPercent(double x) { return PercentChance(TruncateToInt32(x, "percent")) ? 1.0 : 0.0; }

double FnMin(double a, double b)
{
    if (a < b) return a;
    if (b < a) return b;
    return a;
}
double FnMax(double a, double b)
{
    if (a > b) return a;
    if (b > a) return b;
    return a;
}
double FnMod(double a, double b)
{
    if (b == 0) throw std::runtime_error("Divide by zero in mod");
    return std::fmod(a, b);
}
double FnPow(double a, double b) { return std::pow(a, b); }
double FnRoll(double n, double s)
{
    int32_t count = TruncateToInt32(n, "roll");
    int32_t sides = TruncateToInt32(s, "roll");
    return static_cast<double>(RollDice(count, sides));
}

double FnIf(double c, double a, double b) { return c != 0 ? a : b; }
double FnNdate(double d, double m, double y)
{
    double year = y;
    double month = m + 1;
    if (m <= 2) {
        year = y - 1;
        month = m + 13;
    }
    return d + std::trunc(365.25 * year) + std::trunc(30.6 * month) - 621049;
}

}  // namespace

const std::map<std::string, FormulaFunction1>& FormulaFunctions1()
{
    static const std::map<std::string, FormulaFunction1> table = {
        {"abs", FnAbs},       {"sqrt", FnSqrt},     {"exp", FnExp},       {"log", FnLog},
        {"log10", FnLog10},   {"ceil", FnCeil},     {"floor", FnFloor},   {"int", FnInt},
        {"sin", FnSin},       {"cos", FnCos},       {"tan", FnTan},       {"cot", FnCot},
        {"asin", FnAsin},     {"acos", FnAcos},     {"atan", FnAtan},     {"acot", FnAcot},
        {"sinh", FnSinh},     {"cosh", FnCosh},     {"tanh", FnTanh},     {"coth", FnCoth},
        {"arsinh", FnArsinh}, {"arcosh", FnArcosh}, {"artanh", FnArtanh}, {"arcoth", FnArcoth},
        {"rad", FnRad},       {"grad", FnGrad},     {"rand", FnRand},     {"percent", FnPercent},
    };
    return table;
}

const std::map<std::string, FormulaFunction2>& FormulaFunctions2()
{
    static const std::map<std::string, FormulaFunction2> table = {
        {"min", FnMin}, {"max", FnMax}, {"mod", FnMod}, {"pow", FnPow}, {"roll", FnRoll},
    };
    return table;
}

const std::map<std::string, FormulaFunction3>& FormulaFunctions3()
{
    static const std::map<std::string, FormulaFunction3> table = {
        {"if", FnIf},
        {"ndate", FnNdate},
    };
    return table;
}

int GetAngleUnit()
{
    if (s_angleUnit == kAngleNotRead) {
        int unit = 0;
        std::optional<std::string> text =
            winsys::RegGetString(winsys::Hive::CurrentUser, "Software\\VKT\\velor2005", "angleUnit");
        if (text) {
            // Read like atoi: leading blanks, sign and digits; anything else is 0.
            if (std::optional<long long> n = winsys::ParseInt(*text)) {
                long long v = *n;
                if (v > std::numeric_limits<int>::max()) v = std::numeric_limits<int>::max();
                if (v < std::numeric_limits<int>::min()) v = std::numeric_limits<int>::min();
                unit = static_cast<int>(v);
            }
        }
        s_angleUnit = unit;
    }
    return s_angleUnit;
}

void ResetAngleUnit()
{
    s_angleUnit = kAngleNotRead;
}

int RandomBelow(int n)
{
    (void)s_randomSeeded;
    if (n < 1) return 0;
    return std::rand() % n;
}

int64_t RollDice(int count, int sides)
{
    if (count < 1) return 0;
    if (count > kMaxDiceCount)
        throw std::runtime_error("Fehler in roll (höchstens 1000000 Würfe)");
    int64_t sum = 0;
    for (int i = 0; i < count; ++i) sum += static_cast<int64_t>(RandomBelow(sides)) + 1;
    return sum;
}

bool PercentChance(int p)
{
    if (p < 1) return false;
    if (p >= 100) return true;
    return RandomBelow(100) < p;
}

int32_t TruncateToInt32(double x, const char* function)
{
    if (std::isnan(x)) DomainError(function);
    if (!(x < 2147483648.0)) return std::numeric_limits<int32_t>::max();
    if (!(x > -2147483649.0)) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(x);
}
