// The shape-preserving piecewise cubic: slopes from harmonic means of neighbouring secants.
#include "runoff/curve_fit.hpp"

#include <cmath>

#include "common/failure.hpp"

namespace brelvo::runoff {

namespace {

// Harmonic mean of two slopes; 0 when either is 0 or the sum of reciprocals vanishes.
double harmonicMean(double a, double b) {
    if (a == 0 || b == 0) return 0;
    const double sum = 0.5 / a + 0.5 / b;
    if (sum == 0) return 0;
    return 1 / sum;
}

bool sameSign(double a, double b) {
    return (a > 0 && b > 0) || (a < 0 && b < 0);
}

// The end slope from the end secant `near` and its neighbour `far`, limited so that the curve does not
// overshoot where the secants steepen towards the end.
double endSlope(double near, double far, bool signTestPassed) {
    double e = 2 * near - far;
    if (signTestPassed && near != 0 && far != 0 && std::fabs(far) > std::fabs(near)) {
        double denominator = 2 / near - 1 / far;
        if (denominator == 0) denominator = 1e-30;
        e = 1 / denominator;
    }
    return e;
}

double at(const std::vector<float>& v, int i) {
    if (i < 0 || i >= static_cast<int>(v.size())) throw common::subscriptOutOfRange();
    return v[static_cast<std::size_t>(i)];
}

}  // namespace

int CRVFIT(const std::vector<float>& x, const std::vector<float>& y, std::vector<float>& t, int N) {
    if (N >= 0 && static_cast<int>(t.size()) < N + 1) t.resize(static_cast<std::size_t>(N + 1), 0.0f);
    if (N < 3 || at(x, 2) == at(x, 1)) return 2;
    auto secant = [&](int k) { return (at(y, k + 1) - at(y, k)) / (at(x, k + 1) - at(x, k)); };
    auto intervalPositive = [&](int k) { return static_cast<float>(at(x, k + 1) - at(x, k)) > 0; };
    auto setSlope = [&](int i, double value) { t[static_cast<std::size_t>(i)] = static_cast<float>(value); };

    // Point 1 forms the first two secants.
    const double s1 = secant(1);
    if (!intervalPositive(2)) {
        setSlope(1, 0);
        return 2;
    }
    double previous = s1;
    double current = secant(2);
    setSlope(1, harmonicMean(s1, endSlope(s1, current, sameSign(s1, current))));

    bool lastSignTest = false;
    for (int i = 2; i <= N - 1; ++i) {
        if (i >= 3) {
            if (!intervalPositive(i)) {
                setSlope(i, 0);
                return 2;
            }
            previous = current;
            current = secant(i);
        }
        lastSignTest = sameSign(previous, current);
        setSlope(i, lastSignTest ? harmonicMean(previous, current) : 0.0);
    }
    // At point N, `current` is s(N-1) and `previous` s(N-2).
    setSlope(N, harmonicMean(endSlope(current, previous, lastSignTest), current));
    return 0;
}

float curveValueAt(float V, const std::vector<float>& x, const std::vector<float>& y,
                   const std::vector<float>& t, int N, int& w) {
    if (w < 1) w = 1;
    while (w <= N) {
        if (static_cast<float>(at(x, w - 1)) <= V && V <= static_cast<float>(at(x, w))) break;
        ++w;
    }
    const int a = w <= N ? w - 1 : N - 1;
    // Single precision throughout: every operation is rounded to a single, as the hand check does it.
    const auto x0 = static_cast<float>(at(x, a)), x1 = static_cast<float>(at(x, a + 1));
    const auto y0 = static_cast<float>(at(y, a)), y1 = static_cast<float>(at(y, a + 1));
    const auto ta = static_cast<float>(at(t, a)), tb = static_cast<float>(at(t, a + 1));
    const float h = x1 - x0;
    const float delta = (y1 - y0) / h;
    const float d = V - x0;
    const float c2 = (3.0f * delta - 2.0f * ta - tb) / h;
    const float hh = h * h;
    const float c3 = (ta + tb - 2.0f * delta) / hh;
    const float d2 = d * d;
    const float d3 = d2 * d;
    const float value = y0 + ta * d + c2 * d2 + c3 * d3;
    if (!std::isfinite(value)) throw(h == 0 ? common::divisionByZero() : common::overflow());
    return value;
}

}  // namespace brelvo::runoff
