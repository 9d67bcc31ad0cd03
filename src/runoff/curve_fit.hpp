// A shape-preserving piecewise cubic through points (x(i), y(i)), i = 1..N: CRVFIT computes its
// slopes, curveValueAt evaluates it. Index 0 of the arrays is a left end point with slope 0 that only
// the first interval of curveValueAt uses (the duration-0 point of a depth-duration curve, time 0 of a
// dimensionless graph).
#pragma once

#include <vector>

namespace brelvo::runoff {

// Slopes t(1..N). Returns IER: 0 on success, 2 when it stopped early (N < 3, x(2) = x(1), or an
// interval that is not positive); slopes not reached stay as they were (0 for a fresh array).
// The arrays must hold indices 0..N; t is grown when it is shorter.
int CRVFIT(const std::vector<float>& x, const std::vector<float>& y, std::vector<float>& t, int N);

// Value of the cubic at V. `w` is the caller's search index (start it at 1 and keep it between calls
// of increasing V); past x(N) the last interval extrapolates.
float curveValueAt(float V, const std::vector<float>& x, const std::vector<float>& y,
                   const std::vector<float>& t, int N, int& w);

}  // namespace brelvo::runoff
