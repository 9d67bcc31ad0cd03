// `muskingum` and travel-time routing of the working hydrograph, in single precision.
#include "basin/routing.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "common/failure.hpp"
#include "common/numbers.hpp"

namespace brelvo::basin {

namespace {

// The series grow in chunks of this many elements past the index that needed them.
constexpr int kChunk = 100;
// The highest index a routing may reach.
constexpr int kMaxRoutedIndex = 32000;

// A routed flow (cfs) that left the single range is the run's overflow, never an infinity carried on.
bool outOfSingleRange(float value) {
    return !(std::fabs(value) <= std::numeric_limits<float>::max());
}

float checkedQuotient(float numerator, float denominator) {
    const float quotient = numerator / denominator;
    if (outOfSingleRange(quotient)) throw common::overflow();
    return quotient;
}

// Grows a series, keeping its values, to `needed` + 100 when `needed` lies past its end.
void growToReach(Series& series, int needed) {
    if (series.upper() < needed) {
        // Index arithmetic is 16-bit: a chunk end past 32,767 is an overflow.
        series.redimPreserve(common::checkedAdd(common::toInt16(needed), kChunk));
    }
}

void growTo(Series& series, int upper) {
    if (series.upper() < upper) series.redimPreserve(upper);
}

// The upper bound a series reaches when, for i = 1..count in turn, it grows to offset + i + 100
// whenever offset + i lies past its end: the first such i is upper - offset + 1, the next 101 later.
int chunkedUpper(int upper, int offset, int count) {
    for (int i = std::max(1, upper - offset + 1); i <= count; i = upper - offset + 1) {
        upper = common::checkedAdd(common::toInt16(offset + i), kChunk);
    }
    return upper;
}

bool isPositiveZero(float value) {
    return std::bit_cast<std::uint32_t>(value) == 0;
}

// One pass from q(top) down to q(bottom): q(i) = (q(i - 1) + q(i)) / 2, each q(i - 1) read before it
// is overwritten. Eight ordinates go at a time in a vector register where the compiler offers them, and
// in the wider registers when the processor has them: each lane does the same single-precision sum and
// halving, so the bits are those of the plain loop.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
#define BRELVO_WIDE_PASSES __attribute__((target_clones("avx2", "default")))
#else
#define BRELVO_WIDE_PASSES
#endif
#if defined(__GNUC__)
BRELVO_WIDE_PASSES void averageDown(float* q, int bottom, int top) {
    typedef float Eight __attribute__((vector_size(32)));
    int i = top;
    for (; i - 7 >= bottom; i -= 8) {
        Eight before;
        Eight at;
        std::memcpy(&before, q + i - 8, sizeof before);
        std::memcpy(&at, q + i - 7, sizeof at);
        const Eight average = (before + at) / 2.0f;
        std::memcpy(q + i - 7, &average, sizeof average);
    }
    for (; i >= bottom; --i) q[i] = (q[i - 1] + q[i]) / 2.0f;
}
#else
void averageDown(float* q, int bottom, int top) {
    for (int i = top; i >= bottom; --i) q[i] = (q[i - 1] + q[i]) / 2.0f;
}
#endif

// The m half-step passes over q(1..newit), in place. Pass j averages each ordinate with the one before
// over 2..it + j + 1 and sets q(1) to 0, after q(it + j) and q(it + j + 1) were set to 0; q past it + j + 1
// is 0 from the first pass on. Two +0 ordinates average to +0, so a pass changes only what lies between
// the first and the last ordinate that is not +0, plus one beyond: the front that has fallen to 0 and
// the tail not yet reached stay as they are, and every pass touches just the hydrograph that moves.
void averagingPasses(float* q, int lastInflow, int m, int newit) {
    std::fill(q + std::max(lastInflow + 1, 1), q + newit + 1, 0.0f);
    int lo = 1;           // q(1..newit) is +0 outside lo..hi
    int hi = lastInflow;  // grows by at most one a pass, so hi + 1 <= it + j <= newit
    for (int j = 1; j <= m; ++j) {
        const int top = hi + 1;
        averageDown(q, std::max(lo, 2), top);
        q[1] = 0.0f;
        hi = top;
        while (hi >= lo && isPositiveZero(q[hi])) --hi;
        while (lo <= hi && isPositiveZero(q[lo])) ++lo;
    }
}

// Both routings start from the routed peak when the inflow is the working hydrograph's outflow.
void takePeakFromOutflow(WorkingHydrograph& h) {
    if (!h.outflowIsCurrent) return;
    h.inflow.peakCfs = h.routed.peakCfs;
    h.inflow.peakIndex = common::toInt16(static_cast<double>(h.routed.peakIndex));
}

}  // namespace

MuskingumCoefficients muskingumCoefficients(float K, float X, float udur) {
    if (udur == 0.0f) throw common::divisionByZero();
    const float h = udur / 2.0f;         // half a step, hours
    const float kx = K * X;              // hours
    const float kRest = K * (1.0f - X);  // hours
    const float d = kRest + h;
    if (d == 0.0f) throw common::divisionByZero();
    return {checkedQuotient(h - kx, d), checkedQuotient(kx + h, d), checkedQuotient(kRest - h, d)};
}

bool muskingumUnstable(const MuskingumCoefficients& c) {
    return c.c0 < 0.0f || c.c1 < 0.0f || c.c2 < 0.0f;
}

void muskingum(float K, float X, float stepHours, std::int16_t routedUpper, WorkingHydrograph& h) {
    takePeakFromOutflow(h);
    const MuskingumCoefficients c = muskingumCoefficients(K, X, stepHours);

    const int newit = routedUpper;
    const int lastInflow = h.inflow.last;
    const bool cascade = h.outflowIsCurrent;
    // The reach starts in the steady state of the first inflow: outflow equal to inflow. A computed
    // hydrograph starts at 0, a gauged one at its base flow. The inflow of a cascade is in qout.
    if (cascade) h.inflow.flowCfs[0] = h.routed.outflowCfs[0];
    h.routed.outflowCfs[0] = h.inflow.flowCfs[0];
    float maxout = 0.0f;     // cfs
    float tmaxout = 0.0f;    // index of the peak
    float threshold = 0.0f;  // end threshold E, cfs

    const auto keepPeak = [&] {
        h.routed.peakCfs = maxout;
        h.routed.peakIndex = tmaxout;
    };

    // The series grow 100 elements at a time as the loop passes their ends: room for the farthest
    // they can reach is made once, so no growth moves them.
    const int farthest = std::min<int>(newit, INT16_MAX - kChunk) + kChunk;
    h.inflow.flowCfs.reserve(farthest);
    h.routed.outflowCfs.reserve(farthest);

    int i = 1;
    bool stopped = false;
    while (!stopped && i <= newit) {
        // Growth happens only at the index past a series' end, so the steps up to the nearer end run
        // over the raw values with every index proven in range.
        growToReach(h.inflow.flowCfs, i);
        growToReach(h.routed.outflowCfs, i);
        const int chunkEnd = std::min({newit, h.inflow.flowCfs.upper(), h.routed.outflowCfs.upper()});
        float* const qi = &h.inflow.flowCfs[0];
        float* const qout = &h.routed.outflowCfs[0];
        // The step before is carried in registers: the cascade's write into qi may not be taken to
        // touch it, so nothing is read back from memory on the recurrence's critical path.
        float inBefore = qi[i - 1];
        float outBefore = qout[i - 1];
        for (; i <= chunkEnd; ++i) {
            float in = 0.0f;
            if (cascade) {
                in = qout[i];
                qi[i] = in;
            } else {
                in = qi[i];
            }
            const float q = c.c1 * inBefore + c.c0 * in + c.c2 * outBefore;
            if (outOfSingleRange(q)) {
                keepPeak();
                throw common::overflow();
            }
            qout[i] = q;
            inBefore = in;
            outBefore = q;
            if (q > maxout) {
                tmaxout = static_cast<float>(i);
                maxout = q;
                threshold = maxout > 10.0f ? 1.0f : 0.01f;
            }
            if ((q < threshold && i >= lastInflow) || i == newit - 1) {
                stopped = true;
                break;
            }
        }
    }

    keepPeak();
    // A loop that ran through ends one past its bound, as a counted loop does.
    h.inflow.last = common::toInt16(static_cast<double>(i));
}

std::int16_t travelTimeRouting(float travelHours, float stepHours, WorkingHydrograph& h) {
    takePeakFromOutflow(h);
    h.routed.outflowCfs[0] = 0.0f;
    h.routed.peakCfs = 0.0f;
    h.routed.peakIndex = 0.0f;

    if (stepHours == 0.0f) throw common::divisionByZero();
    // Half-step shifts: Int() rounds down, so a travel time of one step gives 2.
    const float shifts = 2.0f * travelHours / stepHours + 0.5f;
    if (outOfSingleRange(shifts)) throw common::overflow();
    const std::int16_t m = common::toInt16(std::floor(static_cast<double>(shifts)));
    if (m < 0) throw common::invalidProcedureCall();
    const std::int16_t newit = common::checkedAdd(common::checkedAdd(h.inflow.last, 1), m);
    // Checked before any series grows, so an overlong travel time costs neither memory nor time.
    if (newit > kMaxRoutedIndex) throw common::subscriptOutOfRange();

    const int lastInflow = h.inflow.last;
    // For i = 1..it each series grows to m + i + 100 whenever m + i lies past its end; the bound that
    // leaves is reached in one step, and then the inflow is copied over raw values in range.
    if (lastInflow >= 1) {
        growTo(h.inflow.flowCfs, chunkedUpper(h.inflow.flowCfs.upper(), m, lastInflow));
        growTo(h.routed.outflowCfs, chunkedUpper(h.routed.outflowCfs.upper(), m, lastInflow));
        float* const qi = &h.inflow.flowCfs[0];
        float* const qout = &h.routed.outflowCfs[0];
        if (h.outflowIsCurrent) {
            std::copy(qout + 1, qout + lastInflow + 1, qi + 1);
        } else {
            std::copy(qi + 1, qi + lastInflow + 1, qout + 1);
        }
    }

    // The passes write qout(1..newit) and the scan reads as far: qout reaches newit before the passes
    // start, so they run over raw values in range.
    growToReach(h.routed.outflowCfs, newit);
    float* const qout = &h.routed.outflowCfs[0];
    if (m >= 1) averagingPasses(qout, lastInflow, m, newit);

    float maxout = 0.0f;   // cfs
    float tmaxout = 0.0f;  // index of the peak
    int k = 1;
    for (; k <= newit; ++k) {
        const float q = qout[k];
        if (outOfSingleRange(q)) {
            h.routed.peakCfs = maxout;
            h.routed.peakIndex = tmaxout;
            throw common::overflow();
        }
        if (q > maxout) {
            maxout = q;
            tmaxout = static_cast<float>(k);
        }
        // The routed hydrograph ends at its first zero after the inflow's last index, once its flow has
        // begun: a delay longer than the inflow leaves zeros there before the flow arrives.
        if (k > lastInflow && q == 0.0f && maxout > 0) break;
    }
    h.routed.peakCfs = maxout;
    h.routed.peakIndex = tmaxout;
    h.inflow.last = common::toInt16(static_cast<double>(k + 1));
    return newit;
}

}  // namespace brelvo::basin
