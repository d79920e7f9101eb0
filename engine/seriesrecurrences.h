#pragma once

#include "engine/angleunit.h"
#include "engine/seriesnumbers.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

// The recurrences of Taylor arithmetic for one argument's series: u[k], w[k]
// are the coefficients of order k of an operand and a result, over doubles
// or intervals (E).
namespace Series {

// w_k = (1/k) sum_(j=1..k) j u_j v_(k-j): the k-th coefficient of the
// integral of u' v.
template <class E>
E Integral(const E* u, const E* v, int k)
{
    using N = Numbers<E>;
    E sum = N::Constant(1) * u[1] * v[k - 1];
    for (int j = 2; j <= k; ++j)
        sum += N::Constant(j) * u[j] * v[k - j];
    return sum / N::Constant(k);
}

// sum_(j=lo..hi) a_j b_(k-j)
template <class E>
E Convolution(const E* a, const E* b, int k, int lo, int hi)
{
    E sum = a[lo] * b[k - lo];
    for (int j = lo + 1; j <= hi; ++j)
        sum += a[j] * b[k - j];
    return sum;
}

// The series of the inverse trigonometric functions in radians from
// w' = u' / q: w_k = (k u_k - sum_(j=1..k-1) j w_j q_(k-j)) / (k q0).
template <class E>
void QuotientIntegral(const E* u, const E* q, E* w, int terms)
{
    using N = Numbers<E>;
    for (int k = 1; k < terms; ++k) {
        E sum = N::Constant(k) * u[k];
        for (int j = 1; j < k; ++j)
            sum -= N::Constant(j) * w[j] * q[k - j];
        w[k] = sum / (N::Constant(k) * q[0]);
    }
}

template <class E>
void LogSeries(const E* u, E* w, int terms)
{
    using N = Numbers<E>;
    for (int k = 1; k < terms; ++k) {
        E sum = u[k];
        if (k > 1) {
            E inner = N::Constant(1) * w[1] * u[k - 1];
            for (int j = 2; j < k; ++j)
                inner += N::Constant(j) * w[j] * u[k - j];
            sum -= inner / N::Constant(k);
        }
        w[k] = sum / u[0];
    }
}

template <class E>
void SqrtSeries(const E* u, E* w, int terms)
{
    using N = Numbers<E>;
    for (int k = 1; k < terms; ++k) {
        E sum = u[k];
        if (k > 1)
            sum -= Convolution(w, w, k, 1, k - 1);
        w[k] = sum / (N::Constant(2) * w[0]);
    }
}

// sqrt(1 - u^2), for asin and acos.
template <class E>
void Cathetus(const E* u, E* q, int terms, LaneState& state)
{
    using N = Numbers<E>;
    E r[kMaxTerms];
    r[0] = N::Constant(1) - N::Sqr(u[0]);
    for (int k = 1; k < terms; ++k)
        r[k] = -Convolution(u, u, k, 0, k);
    q[0] = N::Sqrt(r[0], state);
    SqrtSeries(r, q, terms);
}

// w = exp(v) given w0: w_k = (1/k) sum j v_j w_(k-j).
template <class E>
void ExpSeries(const E* v, E* w, int terms)
{
    for (int k = 1; k < terms; ++k)
        w[k] = Integral(v, w, k);
}

// The composition w_k = sum_(m=1..k) g_m (a - a0)^m_k of a function
// whose m-th derivative at a0 over m! is g_m (g[1 .. terms)); w0 is the
// caller's. A g_m of 0 adds nothing, even where the power is infinite.
template <class E>
void Compose(const E* a, const E* g, const bool* zero, E* w, int terms)
{
    using N = Numbers<E>;
    E powers[kMaxTerms][kMaxTerms]; // powers[m][k]: (a - a0)^m, order k
    for (int k = 0; k < terms; ++k)
        powers[1][k] = k == 0 ? N::Constant(0) : a[k];
    for (int m = 2; m < terms; ++m) {
        for (int k = 0; k < terms; ++k)
            powers[m][k] = k < m ? N::Constant(0)
                                 : Convolution(powers[m - 1], powers[1], k, m - 1, k - 1);
    }
    for (int k = 1; k < terms; ++k)
        w[k] = N::Constant(0);
    for (int m = 1; m < terms; ++m) {
        if (zero[m])
            continue;
        for (int k = m; k < terms; ++k) {
            if (!N::IsZero(powers[m][k]))
                w[k] += g[m] * powers[m][k];
        }
    }
}

template <class E>
bool ConstantBeyondValue(const E* u, int terms)
{
    using N = Numbers<E>;
    for (int k = 1; k < terms; ++k) {
        if (!N::IsZero(u[k]))
            return false;
    }
    return true;
}

// a^c for a constant exponent, w0 as evaluation computes it. The
// derivatives of a^c are binom(c, m) a0^(c-m) m!; for a whole c they are
// taken by composition, with the powers of a0 made from one power and
// products (so the derivatives of x^2 are 2x and 2 to the last bit), and
// binom(c, m) = 0 beyond m = c; for another c by the recurrence
// a w' = c a' w, which needs a0 != 0.
template <class E>
void PowerSeries(const E* a, double c, E* w, int terms, LaneState& state)
{
    using N = Numbers<E>;
    w[0] = N::Pow(a[0], N::Constant(c), state);
    const bool whole = c == std::trunc(c);
    E g[kMaxTerms];
    bool zero[kMaxTerms] = {};
    if constexpr (std::is_same_v<E, double>) {
        if (whole) {
            // Each g_m is made the same way whatever the number of
            // terms, so a derivative does not depend on how many are
            // taken: for c up to 16 the powers of a0 are products from
            // a0 up, beyond that each is a library power.
            const bool small = c >= 0 && c <= WholePower::kMaxExponent;
            double powers[WholePower::kMaxExponent] = {1};
            if (small) {
                for (int e = 1; e < c; ++e)
                    powers[e] = e == 1 ? a[0] : powers[e - 1] * a[0];
            }
            for (int m = 1; m < terms; ++m) {
                zero[m] = c >= 0 && m > c;
                if (zero[m])
                    continue;
                const double factor = small ? powers[static_cast<int>(c) - m]
                                            : WholePower::Pow(a[0], c - m);
                g[m] = Binomial(c, m) * factor;
            }
            Compose(a, g, zero, w, terms);
            return;
        }
        if (a[0] != 0 && w[0] != 0) {
            // w_k = sum_(j=1..k) (c j - (k - j)) a_j w_(k-j) / (k a0)
            for (int k = 1; k < terms; ++k) {
                double sum = (c - (k - 1)) * a[1] * w[k - 1];
                for (int j = 2; j <= k; ++j)
                    sum += (c * j - (k - j)) * a[j] * w[k - j];
                w[k] = sum / (k * a[0]);
            }
            return;
        }
        // At a base of 0 a power that is not whole (sqrt, x^1.5) has no
        // derivative, unless the base stays 0.
        if (!ConstantBeyondValue(a, terms)) {
            std::fill(w + 1, w + terms, 0.0);
            N::Fail(state, 1, kDomain);
            return;
        }
        std::fill(w + 1, w + terms, 0.0);
    } else {
        if (a[0].Contains(0) && !whole && terms > 1)
            Numbers<Interval>::Mark(state, Enclosure::kMayFail, 1);
        if (!a[0].Contains(0) && (c < 0 || !whole)) {
            // a^c = a0^c (1 + (a - a0) / a0)^c: the terms come from a0^c
            // and the relative change, never from a0^(c - m) alone, which
            // overflows near 0 (x^-0.95 at 1e-300) where the terms of a
            // series scaled by a narrow width are moderate.
            E relative[kMaxTerms];
            for (int k = 1; k < terms; ++k)
                relative[k] = a[k] / a[0];
            for (int m = 1; m < terms; ++m) {
                const double binomial = Binomial(c, m);
                zero[m] = binomial == 0;
                g[m] = N::Constant(binomial) * w[0];
            }
            Compose(relative, g, zero, w, terms);
            return;
        }
        for (int m = 1; m < terms; ++m) {
            const double binomial = Binomial(c, m);
            zero[m] = binomial == 0;
            if (zero[m])
                continue;
            // A power of a0 that may fail spoils the derivatives of
            // order m on, not the value.
            LaneState derivative;
            g[m] = N::Constant(binomial) * N::Pow(a[0], N::Constant(c - m), derivative);
            if (derivative.m_nFail != kNone)
                state.m_nFail = std::min(state.m_nFail, static_cast<uint8_t>(m));
            if (derivative.m_nMustFail != kNone)
                state.m_nMustFail = std::min(state.m_nMustFail, static_cast<uint8_t>(m));
        }
        Compose(a, g, zero, w, terms);
    }
}

// a^b with both series: exp(b ln a), w0 as evaluation computes it.
template <class E>
void GeneralPower(const E* a, const E* b, E* w, int terms, LaneState& state)
{
    using N = Numbers<E>;
    E ln[kMaxTerms];
    E v[kMaxTerms];
    w[0] = N::Pow(a[0], b[0], state);
    LaneState ignored;
    ln[0] = N::Log(a[0], ignored);
    if constexpr (std::is_same_v<E, double>) {
        // A base of at most 0 has no power series in the exponent.
        if (!(a[0] > 0))
            ln[0] = std::numeric_limits<double>::quiet_NaN();
    } else {
        if (!(a[0].lo > 0))
            Numbers<Interval>::Mark(state, Enclosure::kMayFail, 1);
    }
    LogSeries(a, ln, terms);
    for (int k = 1; k < terms; ++k)
        v[k] = Convolution(b, ln, k, 0, k);
    ExpSeries(v, w, terms);
}

// |u|: the series times the sign of u where u0 is not 0. Where it is 0,
// the first coefficient that is not 0 decides: of an even order, |u| is
// smooth (|x^2|); of an odd order, u crosses 0 and |u| has a kink, where
// no derivative exists.
template <class E>
void AbsSeries(const E* u, E* w, int terms, LaneState& state)
{
    using N = Numbers<E>;
    if constexpr (std::is_same_v<E, double>) {
        w[0] = std::fabs(u[0]);
        int first = 0;
        while (first < terms && u[first] == 0)
            ++first;
        if (first == terms) {
            std::fill(w + 1, w + terms, 0.0);
            return;
        }
        if (first % 2 == 1)
            N::Fail(state, 1, kDomain);
        const double sign = u[first] < 0 ? -1 : 1;
        for (int k = 1; k < terms; ++k)
            w[k] = sign * u[k];
    } else {
        w[0] = IntervalMath::Abs(u[0]);
        if (u[0].lo >= 0 || u[0].hi <= 0) {
            const bool negative = u[0].hi <= 0 && u[0].lo < 0;
            for (int k = 1; k < terms; ++k)
                w[k] = negative ? -u[k] : u[k];
            // Touching 0 at an end: a kink there unless u stays on one side.
            if (u[0].Contains(0) && terms > 1)
                Numbers<Interval>::Mark(state, Enclosure::kMayFail | Enclosure::kMayJump, 1);
            return;
        }
        for (int k = 1; k < terms; ++k)
            w[k] = IntervalMath::Hull(u[k], -u[k]);
        if (terms > 1)
            Numbers<Interval>::Mark(state, Enclosure::kMayFail | Enclosure::kMayJump, 1);
    }
}

} // namespace Series
