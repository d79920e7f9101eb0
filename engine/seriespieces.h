#pragma once

// The Taylor arithmetic of conditions, pieces, functions with jumps and
// roots: members of Series::Block, included at the end of seriesblock.h.
//
// A condition is a level of one column. With doubles it holds 1 where the
// condition holds, else 0, plus 2 where the argument lies on a piece
// boundary: a comparison of two sides that are equal there, one of them
// varying with x. With intervals it is [1, 1], [0, 0] or [0, 1] (undecided).
//
// At a boundary the value is the chosen branch's, and a derivative exists
// only up to the order where the branches still agree (a jump has none, a
// kink no first one), as at a jump of floor or sgn. Over an interval where a
// condition is undecided the enclosure is the hull of both branches, and
// the value may jump.

namespace Series {

template <class E, std::size_t Lanes>
void Block<E, Lanes>::CompareLevels(Elementary::Relation relation, bool chained)
{
    Check(Top(0));
    Check(Top(1));
    Level& b = Top(0);
    Level& a = Top(1);
    const bool varies = a.terms > 1 || b.terms > 1;
    E* out = TakeBlock();
    E* c = Column(out, 0);
    for (std::size_t i = 0; i < m_n; ++i)
        c[i] = N::Compare(relation, a.col[0][i], b.col[0][i], varies);
    // In a chain the right operand stays on top for the next comparison.
    if (chained) {
        Replace(a, out, 1);
        a.checked = true;
        return;
    }
    Pop();
    Replace(Top(), out, 1);
    Top().checked = true;
}

template <class E, std::size_t Lanes>
void Block<E, Lanes>::CombineConditions(bool either)
{
    Level& b = Top(0);
    Level& a = Top(1);
    E* out = TakeBlock();
    E* c = Column(out, 0);
    for (std::size_t i = 0; i < m_n; ++i)
        c[i] = either ? N::Or(a.col[0][i], b.col[0][i]) : N::And(a.col[0][i], b.col[0][i]);
    Pop();
    Replace(Top(), out, 1);
    Top().checked = true;
}

// Each branch starts with no failures of its own; x is tested again where a
// branch reads it, as evaluation tests it only where it reads it.
template <class E, std::size_t Lanes>
bool Block<E, Lanes>::StartPiece()
{
    LaneState* before = PieceStates(m_nPiece++);
    std::copy(m_state, m_state + m_n, before);
    std::fill(m_state, m_state + m_n, LaneState{});
    m_bXChecked = false;
    const E* condition = Top().col[0];
    bool needed = false;
    for (std::size_t i = 0; i < m_n; ++i)
        needed = needed || (N::Live(before[i]) && N::NeedsFirst(condition[i]));
    if (!needed)
        PushConstant(0);
    return needed;
}

template <class E, std::size_t Lanes>
bool Block<E, Lanes>::StartSecondBranch()
{
    Check(Top());
    LaneState* before = PieceStates(m_nPiece - 1);
    LaneState* first = before + Lanes;
    std::copy(m_state, m_state + m_n, first);
    std::fill(m_state, m_state + m_n, LaneState{});
    m_bXChecked = false;
    const E* condition = Top(1).col[0];
    bool needed = false;
    for (std::size_t i = 0; i < m_n; ++i)
        needed = needed || (N::Live(before[i]) && N::NeedsSecond(condition[i]));
    if (!needed)
        PushConstant(0);
    return needed;
}

// The lowest order at which the other branch differs from the chosen one or
// fails, or m_nTerms where they agree throughout (doubles).
template <class E, std::size_t Lanes>
int Block<E, Lanes>::FirstDifference(const E* w, const E* other, const LaneState& otherState) const
{
    for (int k = 0; k < m_nTerms; ++k) {
        if (otherState.m_nFail <= k || !(w[k] == other[k]))
            return k;
    }
    return m_nTerms;
}

template <class E, std::size_t Lanes>
void Block<E, Lanes>::SelectBranch()
{
    Check(Top());
    LaneState* before = PieceStates(--m_nPiece);
    const LaneState* first = before + Lanes;
    Level& b = Top(0);
    Level& a = Top(1);
    const E* condition = Top(2).col[0];
    const int terms = std::max(a.terms, b.terms);
    E* out = TakeBlock();
    E u[kMaxTerms];
    E v[kMaxTerms];
    for (std::size_t i = 0; i < m_n; ++i) {
        for (int k = 0; k < m_nTerms; ++k) {
            u[k] = k < a.terms ? a.col[k][i] : N::Constant(0);
            v[k] = k < b.terms ? b.col[k][i] : N::Constant(0);
        }
        LaneState lane = before[i];
        const E c = condition[i];
        if constexpr (std::is_same_v<E, double>) {
            const bool holds = N::Holds(c);
            const E* w = holds ? u : v;
            N::Merge(lane, holds ? first[i] : m_state[i]);
            if (N::AtBoundary(c)) {
                const int differs = FirstDifference(w, holds ? v : u, holds ? m_state[i] : first[i]);
                if (differs < m_nTerms)
                    N::Fail(lane, std::max(differs, 1), kDomain);
            }
            for (int k = 0; k < terms; ++k)
                Column(out, k)[i] = w[k];
        } else {
            if (c.lo == 1 || c.hi == 0) {
                const bool holds = c.lo == 1;
                N::Merge(lane, holds ? first[i] : m_state[i]);
                for (int k = 0; k < terms; ++k)
                    Column(out, k)[i] = holds ? u[k] : v[k];
            } else {
                // Either branch: the hull of what each has where it does not
                // fail everywhere; fails everywhere only where both do.
                for (int k = 0; k < terms; ++k) {
                    Interval w = Interval::Empty();
                    if (first[i].m_nMustFail > k)
                        w = IntervalMath::Hull(w, u[k]);
                    if (m_state[i].m_nMustFail > k)
                        w = IntervalMath::Hull(w, v[k]);
                    Column(out, k)[i] = w;
                }
                LaneState either = first[i];
                N::Merge(either, m_state[i]);
                either.m_nMustFail = std::max(first[i].m_nMustFail, m_state[i].m_nMustFail);
                N::Merge(lane, either);
                N::Mark(lane, Enclosure::kMayJump, 0);
                N::Mark(lane, Enclosure::kMayFail, 1);
            }
        }
        m_state[i] = lane;
    }
    Pop();
    Pop();
    Replace(Top(), out, terms);
    Top().checked = true;
    m_bXChecked = false;
}

template <class E, std::size_t Lanes>
void Block<E, Lanes>::RestrictToCondition()
{
    Check(Top());
    LaneState* before = PieceStates(--m_nPiece);
    Level& a = Top(0);
    const E* condition = Top(1).col[0];
    const int terms = a.terms;
    E* out = TakeBlock();
    for (std::size_t i = 0; i < m_n; ++i) {
        LaneState lane = before[i];
        const E c = condition[i];
        bool holds = false;
        if constexpr (std::is_same_v<E, double>) {
            holds = N::Holds(c);
            if (holds) {
                N::Merge(lane, m_state[i]);
                // The other side of a boundary has no value: no derivative.
                if (N::AtBoundary(c))
                    N::FailDerivatives(lane);
            } else {
                N::Fail(lane, 0, kDomain);
            }
        } else {
            holds = c.hi != 0;
            if (c.lo == 1) {
                N::Merge(lane, m_state[i]);
            } else if (c.hi == 0) {
                N::Mark(lane, Enclosure::kMayFail | Enclosure::kMustFail, 0);
            } else {
                N::Merge(lane, m_state[i]);
                N::Mark(lane, Enclosure::kMayFail | Enclosure::kMayJump, 0);
            }
        }
        for (int k = 0; k < terms; ++k)
            Column(out, k)[i] = holds ? a.col[k][i] : N::Constant(0);
        m_state[i] = lane;
    }
    Pop();
    Replace(Top(), out, terms);
    Top().checked = true;
    m_bXChecked = false;
}

// sgn, floor, ceil, round: the value, derivatives 0, and none at a jump.
template <class E, std::size_t Lanes>
void Block<E, Lanes>::StepFunction(int32_t op)
{
    Level& u = Top();
    Check(u);
    const bool varies = u.terms > 1;
    E* out = TakeBlock();
    E* w = Column(out, 0);
    for (std::size_t i = 0; i < m_n; ++i) {
        const E v = u.col[0][i];
        LaneState& lane = m_state[i];
        switch (op) {
        case Op::kSgn: w[i] = N::Sign(v, lane); break;
        case Op::kFloor: w[i] = N::Floor(v, lane); break;
        case Op::kCeil: w[i] = N::Ceil(v, lane); break;
        default: w[i] = N::Round(v, lane); break;
        }
        if (varies && N::AtJump(op, v))
            N::FailDerivatives(lane);
    }
    Replace(u, out, 1);
    u.checked = false;
    Check(u);
}

// frac(u) = u - floor(u): the derivatives are u's.
template <class E, std::size_t Lanes>
void Block<E, Lanes>::FracLevel()
{
    Level& u = Top();
    Check(u);
    const bool varies = u.terms > 1;
    E* out = TakeBlock();
    E* w = Column(out, 0);
    for (std::size_t i = 0; i < m_n; ++i) {
        const E v = u.col[0][i];
        w[i] = N::Frac(v, m_state[i]);
        if (varies && N::AtJump(Op::kFrac, v))
            N::FailDerivatives(m_state[i]);
    }
    for (int k = 1; k < u.terms; ++k)
        std::copy(u.col[k], u.col[k] + m_n, Column(out, k));
    Replace(u, out, u.terms);
    u.checked = false;
    Check(u);
}

// The series of the argument min or max picks; where both are equal, a
// derivative exists up to the order where they still agree.
template <class E, std::size_t Lanes>
void Block<E, Lanes>::MinMaxLevels(bool maximum)
{
    Check(Top(0));
    Check(Top(1));
    Level& b = Top(0);
    Level& a = Top(1);
    const int terms = std::max(a.terms, b.terms);
    E* out = TakeBlock();
    E u[kMaxTerms];
    E v[kMaxTerms];
    for (std::size_t i = 0; i < m_n; ++i) {
        for (int k = 0; k < m_nTerms; ++k) {
            u[k] = k < a.terms ? a.col[k][i] : N::Constant(0);
            v[k] = k < b.terms ? b.col[k][i] : N::Constant(0);
        }
        LaneState& lane = m_state[i];
        if constexpr (std::is_same_v<E, double>) {
            // As Elementary::Min and Max pick: the first unless the second
            // is strictly beyond it.
            const bool first = maximum ? !(u[0] < v[0]) : !(v[0] < u[0]);
            const E* w = first ? u : v;
            if (terms > 1 && u[0] == v[0]) {
                const int differs = FirstDifference(w, first ? v : u, LaneState{});
                if (differs < m_nTerms)
                    N::Fail(lane, std::max(differs, 1), kDomain);
            }
            for (int k = 0; k < terms; ++k)
                Column(out, k)[i] = w[k];
        } else {
            const bool first = maximum ? v[0].hi < u[0].lo : u[0].hi < v[0].lo;
            const bool second = maximum ? u[0].hi < v[0].lo : v[0].hi < u[0].lo;
            if (first || second) {
                for (int k = 0; k < terms; ++k)
                    Column(out, k)[i] = first ? u[k] : v[k];
                continue;
            }
            Column(out, 0)[i] = maximum ? N::Max(u[0], v[0]) : N::Min(u[0], v[0]);
            for (int k = 1; k < terms; ++k)
                Column(out, k)[i] = IntervalMath::Hull(u[k], v[k]);
            if (terms > 1)
                N::Mark(lane, Enclosure::kMayFail | Enclosure::kMayJump, 1);
        }
    }
    Pop();
    Replace(Top(), out, terms);
    Top().checked = false;
    Check(Top());
}

// mod(a, b) = a - b k with k = floor(a / b) constant between the jumps, so
// its derivatives are a's less k times b's.
template <class E, std::size_t Lanes>
void Block<E, Lanes>::ModLevels()
{
    Check(Top(0));
    Check(Top(1));
    Level& b = Top(0);
    Level& a = Top(1);
    const int terms = std::max(a.terms, b.terms);
    E* out = TakeBlock();
    for (std::size_t i = 0; i < m_n; ++i) {
        const E a0 = a.col[0][i];
        const E b0 = b.col[0][i];
        LaneState& lane = m_state[i];
        const E w0 = N::Mod(a0, b0, lane);
        Column(out, 0)[i] = w0;
        if (terms == 1)
            continue;
        E k = N::Constant(0);
        if constexpr (std::is_same_v<E, double>) {
            // The whole quotient back from the remainder, exact below 2^50.
            if (std::isfinite(w0))
                k = std::nearbyint((a0 - w0) / b0);
            if (w0 == 0)
                N::FailDerivatives(lane);
        } else {
            uint8_t ignored = 0;
            const Interval quotient = IntervalMath::Divide(a0, b0, ignored);
            k = IntervalMath::FloorRange(quotient);
            if (!k.IsFinite() || IntervalMath::HoldsWhole(quotient)) {
                N::FailDerivatives(lane);
                if (!k.IsFinite())
                    k = Interval::Whole();
            }
        }
        for (int j = 1; j < terms; ++j) {
            const E aj = j < a.terms ? a.col[j][i] : N::Constant(0);
            const E bj = j < b.terms ? b.col[j][i] : N::Constant(0);
            Column(out, j)[i] = aj - k * bj;
        }
    }
    Pop();
    Replace(Top(), out, terms);
    Top().checked = false;
    Check(Top());
}

// root(a, b): a^(1/b) with 1 / b as evaluation divides, and for a negative a
// and an odd whole b the negated root of -a.
template <class E, std::size_t Lanes>
void Block<E, Lanes>::RootLevels()
{
    Check(Top(0));
    Check(Top(1));
    E degree[Lanes];
    std::copy(Top(0).col[0], Top(0).col[0] + m_n, degree);
    // 1 / 0 is infinite, and pow decides.
    ConstantOverUnchecked(1);
    Level& b = Top(0);
    Level& a = Top(1);
    const int terms = (a.terms > 1 || b.terms > 1) ? m_nTerms : 1;
    E* out = TakeBlock();
    E u[kMaxTerms];
    E v[kMaxTerms];
    E w[kMaxTerms];
    for (std::size_t i = 0; i < m_n; ++i) {
        for (int k = 0; k < terms; ++k) {
            u[k] = k < a.terms ? a.col[k][i] : N::Constant(0);
            v[k] = k < b.terms ? b.col[k][i] : N::Constant(0);
        }
        RootSeries(u, v, degree[i], w, terms, m_state[i]);
        for (int k = 0; k < terms; ++k)
            Column(out, k)[i] = w[k];
    }
    Pop();
    Replace(Top(), out, terms);
    Top().checked = false;
    Check(Top());
}

// One argument's root: u the radicand, v = 1 / degree.
template <class E, std::size_t Lanes>
void Block<E, Lanes>::RootSeries(const E* u, const E* v, E degree, E* w, int terms,
                                 LaneState& state) const
{
    E negated[kMaxTerms];
    for (int k = 0; k < terms; ++k)
        negated[k] = -u[k];
    const bool constant = ConstantBeyondValue(v, terms);
    if constexpr (std::is_same_v<E, double>) {
        if (!(u[0] < 0 && Elementary::IsOddWhole(degree))) {
            if (constant)
                PowerSeries(u, v[0], w, terms, state);
            else
                GeneralPower(u, v, w, terms, state);
            return;
        }
        if (constant) {
            PowerSeries(negated, v[0], w, terms, state);
            for (int k = 0; k < terms; ++k)
                w[k] = -w[k];
            return;
        }
        // A degree that varies is odd only at single points.
        w[0] = -WholePower::Pow(-u[0], v[0]);
        std::fill(w + 1, w + terms, 0.0);
        N::FailDerivatives(state);
    } else {
        const bool pointOdd = degree.IsPoint() && Elementary::IsOddWhole(degree.lo);
        if (pointOdd && constant) {
            // The exponent evaluation uses: 1 / degree in doubles.
            const double c = 1 / degree.lo;
            if (u[0].lo >= 0) {
                PowerSeries(u, c, w, terms, state);
                return;
            }
            if (u[0].hi <= 0) {
                PowerSeries(negated, c, w, terms, state);
                for (int k = 0; k < terms; ++k)
                    w[k] = -w[k];
                return;
            }
            // Both signs: the hull of the root of each part.
            E positive[kMaxTerms];
            std::copy(u, u + terms, positive);
            positive[0] = {0, u[0].hi};
            negated[0] = {0, -u[0].lo};
            E high[kMaxTerms];
            LaneState highState;
            LaneState lowState;
            PowerSeries(positive, c, high, terms, highState);
            PowerSeries(negated, c, w, terms, lowState);
            for (int k = 0; k < terms; ++k)
                w[k] = IntervalMath::Hull(high[k], -w[k]);
            LaneState both = highState;
            N::Merge(both, lowState);
            both.m_nMustFail = std::max(highState.m_nMustFail, lowState.m_nMustFail);
            N::Merge(state, both);
            return;
        }
        double odd = std::ceil(degree.lo);
        if (std::fmod(odd, 2.0) == 0)
            odd += 1;
        const bool oddInside = !degree.IsEmpty() && odd <= degree.hi;
        if (!(u[0].lo < 0 && oddInside)) {
            if (constant && v[0].IsPoint())
                PowerSeries(u, v[0].lo, w, terms, state);
            else
                GeneralPower(u, v, w, terms, state);
            return;
        }
        // Negative radicands with odd degrees among others: the value's
        // enclosure, derivatives unbounded.
        w[0] = N::Flagged(state, [&](uint8_t& f) { return IntervalMath::Root(u[0], degree, f); });
        std::fill(w + 1, w + terms, Interval::Whole());
        N::FailDerivatives(state);
    }
}

} // namespace Series
