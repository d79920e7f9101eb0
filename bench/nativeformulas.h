#pragma once

#include <cmath>
#include <string>

/// Calls visit(f) with the formula of the benchmark set written as plain C++
/// (the native limit), as a lambda of its own type so that the caller's loop
/// inlines it. Returns false for a formula that has no such lambda.
template <typename Visitor>
bool VisitNativeFormula(const std::string& formula, Visitor&& visit)
{
    using std::cos, std::exp, std::log, std::pow, std::sin, std::sqrt;
    constexpr double pi = 3.141592653589793;
    if (formula == "2*x+1")
        return visit([](double x) { return 2 * x + 1; }), true;
    if (formula == "(2*x+1)*3")
        return visit([](double x) { return (2 * x + 1) * 3; }), true;
    if (formula == "x^2+1")
        return visit([](double x) { return pow(x, 2) + 1; }), true;
    if (formula == "1.1*x^2.01")
        return visit([](double x) { return 1.1 * pow(x, 2.01); }), true;
    if (formula == "(((((((7*x+6)*x+5)*x+4)*x+3)*x+2)*x+1)*x+0.1)")
        return visit([](double x) {
            return (((((((7 * x + 6) * x + 5) * x + 4) * x + 3) * x + 2) * x + 1) * x + 0.1);
        }), true;
    if (formula == "7*x^7+6*x^6+5*x^5+4*x^4+3*x^3+2*x^2+1*x^1+0.1")
        return visit([](double x) {
            return 7 * pow(x, 7) + 6 * pow(x, 6) + 5 * pow(x, 5) + 4 * pow(x, 4) + 3 * pow(x, 3) +
                   2 * pow(x, 2) + 1 * pow(x, 1) + 0.1;
        }), true;
    if (formula == "sin(x)")
        return visit([](double x) { return sin(x); }), true;
    if (formula == "sqrt(x)")
        return visit([](double x) { return sqrt(x); }), true;
    if (formula == "(0.1*x+1)*x+1.1-sin(x)-ln(x)/x*3/4")
        return visit([](double x) { return (0.1 * x + 1) * x + 1.1 - sin(x) - log(x) / x * 3 / 4; }), true;
    if (formula == "exp(ln(7*x))")
        return visit([](double x) { return exp(log(7 * x)); }), true;
    if (formula == "-(sin(pi+x)+1)")
        return visit([](double x) { return -(sin(pi + x) + 1); }), true;
    if (formula == "sin(2*x)+cos(pi/x)")
        return visit([](double x) { return sin(2 * x) + cos(pi / x); }), true;
    if (formula == "sqrt(1-sin(2*x)+cos(pi/x)/3)")
        return visit([](double x) { return sqrt(1 - sin(2 * x) + cos(pi / x) / 3); }), true;
    if (formula == "(x^2/sin(2*pi/x))-x/2")
        return visit([](double x) { return (pow(x, 2) / sin(2 * pi / x)) - x / 2; }), true;
    if (formula == "x+(cos(x-sin(2/x*pi))-sin(x-cos(2*x/pi)))-x")
        return visit([](double x) {
            return x + (cos(x - sin(2 / x * pi)) - sin(x - cos(2 * x / pi))) - x;
        }), true;
    return false;
}
