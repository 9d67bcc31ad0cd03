// Hydrograph routing through a reach: `muskingum` and travel-time routing by successive averaging.
#pragma once

#include <cstdint>

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

// Both routings work on the working hydrograph in place: the inflow series (qi) and the routed outflow
// (qout) grow as the routing needs, and a failure part way leaves the routed peak reached so far, as
// the run's failure message is shown.

// Routes the inflow qi (cfs) into qout over steps 1..routedUpper (newit), one step of the recurrence
// per time step of stepHours, growing qi and qout to i + 100 whenever index i lies past their end.
// The reach starts in the steady state of the first inflow: qout(0) = qi(0).
// With outflowIsCurrent the inflow is the working hydrograph in qout: the inflow's peak and its index
// start from the routed ones (index rounded half to even), and qi(i) takes qout(i) as the loop goes.
// The routing stops at the first step at or after the inflow's last index whose outflow is below
// the end threshold (0.01 cfs while the routed peak is at most 10 cfs, else 1 cfs), or at newit - 1.
// Leaves the routed peak and its index, and the last index = the step it stopped at.
// Failures: see muskingumCoefficients; an outflow beyond the single range is "Overflow".
void muskingum(float K, float X, float stepHours, std::int16_t routedUpper, WorkingHydrograph& hydrograph);

// Delays and smooths the inflow qi (cfs) by m = Int(2 T / step + 0.5) averaging passes of half a step
// each (T = travelHours, hours); newit = last + 1 + m. Each pass j averages neighbouring ordinates
// 1..last + j + 1 into a work series, which then replaces qout(1..newit). With outflowIsCurrent the
// inflow is the working hydrograph in qout and its peak starts from the routed one as in `muskingum`.
// A scan of qout(1..newit) gives the routed peak and its index and stops at the first zero past the
// inflow's last index k; the last index becomes k + 1 (newit + 2 when the scan found none).
// Failures: a zero time step is "Division by zero"; a negative m is "Invalid procedure call or
// argument"; an m or newit beyond 16 bits is "Overflow"; a newit above 32,000 is "Subscript out of
// range", raised before any pass runs. Returns newit.
std::int16_t travelTimeRouting(float travelHours, float stepHours, WorkingHydrograph& hydrograph);

}  // namespace brelvo::basin
