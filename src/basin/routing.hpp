// Hydrograph routing through a reach: `muskingum` and travel-time routing by successive averaging.
#pragma once

#include "basin/working_state.hpp"

namespace brelvo::basin {

// Weights of the Muskingum recurrence qout(i) = c1 * qi(i - 1) + c0 * qi(i) + c2 * qout(i - 1);
// for a D that is not 0 they add up to 1.
struct MuskingumCoefficients {
    float c0, c1, c2;
};

// The weights for K (hours), X (dimensionless) and a time step udur (hours), in single precision with
// h = udur / 2 and D = K(1 - X) + h. A zero time step or a D of 0 is "Division by zero"; a weight beyond
// the single range is "Overflow". No bound on K, X or the step is enforced.
[[nodiscard]] MuskingumCoefficients muskingumCoefficients(float K, float X, float udur);

// True when a coefficient is negative: the routing is unstable (oscillates) for that K, X and step.
[[nodiscard]] bool muskingumUnstable(const MuskingumCoefficients& c);

// Routes the inflow qi (cfs) into qout over steps 1..newit (the bound as it stands on entry), one
// step of the recurrence per time step, growing qi and qout to i + 100 whenever index i lies past
// their end. With outflowIsCurrent the inflow is the working hydrograph in qout: maxq and tmax start
// from maxout and tmaxout (rounded half to even), and qi(i) takes qout(i) as the loop goes.
// The routing stops at the first step at or after the inflow's last index `it` whose outflow is below
// the end threshold (0.01 cfs while the routed peak is at most 10 cfs, else 1 cfs), or at newit - 1.
// Leaves maxout and tmaxout (peak and its index), `it` = the step it stopped at, routeMode = 2.
// Failures: see muskingumCoefficients; an outflow beyond the single range is "Overflow".
void muskingum(float K, float X, RunoffState& state);

// Delays and smooths the inflow qi (cfs) by m = Int(2 T / udur + 0.5) averaging passes of half a step
// each (T = travelHours, hours). newit becomes it + 1 + m. Each pass j averages neighbouring ordinates
// 1..it + j + 1 into a work series, which then replaces qout(1..newit). With outflowIsCurrent the
// inflow is the working hydrograph in qout and maxq, tmax start from maxout, tmaxout as in `muskingum`.
// A scan of qout(1..newit) gives maxout and tmaxout and stops at the first zero past the inflow's
// last index k; `it` becomes k + 1 (newit + 2 when the scan found none). routeMode = 4.
// Failures: a zero time step is "Division by zero"; a negative m is "Invalid procedure call or
// argument"; an m or newit beyond 16 bits is "Overflow"; a newit above 32,000 is "Subscript out of
// range", raised before any pass runs.
void travelTimeRouting(float travelHours, RunoffState& state);

}  // namespace brelvo::basin
