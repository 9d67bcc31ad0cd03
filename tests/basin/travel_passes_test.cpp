// Travel-time routing's half-step passes against the straightforward form of the same passes (average
// into a second series, copy back), bit for bit, on long and awkward hydrographs.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

#include "basin/routing.hpp"

namespace brelvo::basin {
namespace {

// The passes written out plainly over q(0..newit + 1): for j = 1..m, with c = it + j, q(c) and q(c + 1)
// set to 0, A(k + 1) = (q(k) + q(k + 1)) / 2 for k = 1..c into a fresh series, and q(1..newit) taken
// from A, whose first element is never written.
std::vector<float> plainPasses(std::vector<float> q, int lastInflow, int m) {
    const int newit = lastInflow + 1 + m;
    std::vector<float> average(q.size());
    float* const p = q.data();
    float* const a = average.data();
    for (int j = 1; j <= m; ++j) {
        const int c = lastInflow + j;
        for (int k = 0; k <= newit + 1; ++k) a[k] = 0.0f;
        p[c] = 0.0f;
        p[c + 1] = 0.0f;
        for (int k = 1; k <= c; ++k) a[k + 1] = (p[k] + p[k + 1]) / 2.0f;
        for (int k = 1; k <= newit; ++k) p[k] = a[k];
    }
    return q;
}

std::vector<std::uint32_t> bits(const std::vector<float>& values, int from, int to) {
    std::vector<std::uint32_t> out;
    for (int i = from; i <= to; ++i)
        out.push_back(std::bit_cast<std::uint32_t>(values[static_cast<std::size_t>(i)]));
    return out;
}

struct Routed {
    std::vector<float> outflow;   // qout(0..newit) as the routing left it
    std::vector<float> expected;  // the plain passes over the same start
    int newit = 0;
};

// Routes `ordinates` (qi(1..it)) over a travel time in steps of `udur` hours; qout holds `leftOver` from
// an earlier routing at 0.. before the run.
Routed route(const std::vector<float>& ordinates, float udur, float travelHours,
             const std::vector<float>& leftOver = {}) {
    WorkingHydrograph h;
    const int it = static_cast<int>(ordinates.size());
    h.inflow.flowCfs.redim(std::max(it, 1));
    for (int k = 1; k <= it; ++k) h.inflow.flowCfs[k] = ordinates[static_cast<std::size_t>(k - 1)];
    h.inflow.last = static_cast<std::int16_t>(it);
    h.routed.outflowCfs.redim(std::max(static_cast<int>(leftOver.size()) - 1, 1));
    for (std::size_t k = 0; k < leftOver.size(); ++k) h.routed.outflowCfs[static_cast<int>(k)] = leftOver[k];

    Routed r;
    r.newit = travelTimeRouting(travelHours, udur, h);
    const int m = r.newit - it - 1;
    std::vector<float> start(static_cast<std::size_t>(r.newit) + 2, 0.0f);
    std::copy(leftOver.begin(), leftOver.begin() + std::min(leftOver.size(), start.size()), start.begin());
    start[0] = 0.0f;
    std::copy(ordinates.begin(), ordinates.end(), start.begin() + 1);
    r.expected = plainPasses(start, it, m);
    r.outflow.assign(h.routed.outflowCfs.values().begin(),
                     h.routed.outflowCfs.values().begin() + r.newit + 1);
    return r;
}

TEST(TravelTimePasses, LongRoutingIsBitForBitThePlainPasses) {
    // A 6,400-step rise and recession, 1-hour steps, 12,774 hours of travel: m = Int(25548 + 0.5) =
    // 25,548 passes. The front and the tail fall through the subnormals to 0 on the way.
    std::vector<float> inflow(6400);
    for (int i = 1; i <= 6400; ++i) {
        inflow[static_cast<std::size_t>(i - 1)] =
            i <= 800 ? 5000.0f * static_cast<float>(i) / 800
                     : 1.0f + 4999.0f * static_cast<float>(6400 - i) / static_cast<float>(5600);
    }
    const Routed r = route(inflow, 1.0f, 12774.0f);
    ASSERT_EQ(r.newit, 6400 + 1 + 25548);
    EXPECT_EQ(bits(r.outflow, 1, r.newit), bits(r.expected, 1, r.newit));
    // The flow has moved on by m / 2 = 12,774 steps: nothing is left at the start. The passes smooth it
    // binomially, nearly a normal spread of sigma = sqrt(25548) / 2 = 79.9 steps. Around the corner at
    // step 800 + 12,774 = 13,574 (rise 6.25 cfs a step, recession 4999 / 5600 = 0.893), the smoothed
    // peak lies where 6.25 Phi(-z) = 0.893 Phi(z): Phi(-z) = 0.125, z = 1.15, 92 steps later at 13,666,
    // and is 5000 - 6.25 (sigma phi(z) - 92 Phi(-z)) - 0.893 (sigma phi(z) + 92 Phi(z)) = 4,882.6 cfs.
    EXPECT_EQ(r.outflow[100], 0.0f);
    const auto peak = std::max_element(r.outflow.begin(), r.outflow.end());
    EXPECT_NEAR(*peak, 4882.6f, 0.5f);
    EXPECT_NEAR(static_cast<double>(peak - r.outflow.begin()), 13666.0, 2.0);
}

TEST(TravelTimePasses, AwkwardInflowsAreBitForBitThePlainPasses) {
    // Leading and inner zeros, negative zeros, negative flows, subnormals, a lone spike and flows near
    // the top of the single range: every ordinate the passes may meet, over 1 to 700 passes.
    const float tiny = std::numeric_limits<float>::denorm_min();
    const float big = 1.5e38f;  // two of them still add up within the single range
    // A -0 that follows a +0 averages to +0, but two -0 average to -0: the runs of -0 at both ends
    // leave a -0 next to a +0 at the edge of what moves after the first pass.
    const std::vector<float> awkward{-0.0f, -0.0f,    3,   0,      0, -0.0f, -0.0f, 7.25f,     -2,
                                     tiny,  5 * tiny, 0,   1e-38f, 0, 0,     0,     123456.7f, -0.0f,
                                     0,     big,      big, 0,      1, 0,     -0.0f, -0.0f};
    for (const float travel : {0.5f, 1.0f, 2.5f, 10.0f, 350.0f}) {
        const Routed r = route(awkward, 1.0f, travel);
        EXPECT_EQ(bits(r.outflow, 1, r.newit), bits(r.expected, 1, r.newit)) << travel << " hours";
    }

    // A pseudo-random storm with dry spells, routed 3,000 passes.
    std::vector<float> storm(2000);
    std::uint32_t seed = 12345;
    for (float& v : storm) {
        seed = seed * 1664525u + 1013904223u;
        v = (seed >> 28) < 5 ? 0.0f : static_cast<float>(seed >> 8) / 65536.0f;
    }
    const Routed r = route(storm, 0.5f, 750.0f);
    ASSERT_EQ(r.newit, 2000 + 1 + 3000);
    EXPECT_EQ(bits(r.outflow, 1, r.newit), bits(r.expected, 1, r.newit));
}

TEST(TravelTimePasses, LeftOverOutflowUpToNewitIsClearedAsThePlainPassesClearIt) {
    // An earlier routing left flows at 0..40 (and -0 at 6); three ordinates are routed 20 passes, so
    // newit = 24 and everything from 4 on is either averaged or cleared.
    std::vector<float> leftOver(41);
    for (std::size_t k = 0; k < leftOver.size(); ++k) leftOver[k] = static_cast<float>(k) + 0.5f;
    leftOver[6] = -0.0f;
    const Routed r = route({10, 20, 10}, 0.25f, 2.5f, leftOver);
    ASSERT_EQ(r.newit, 24);
    EXPECT_EQ(bits(r.outflow, 1, r.newit), bits(r.expected, 1, r.newit));
    // The flow and nothing of the earlier routing: the first pass drops half of q(1) (5 of the 40 cfs
    // that came in) and the later ones find q(1) at 0, so 35 cfs are left, to rounding.
    double total = 0;
    for (int i = 1; i <= r.newit; ++i) total += r.outflow[static_cast<std::size_t>(i)];
    EXPECT_NEAR(total, 35.0, 1e-4);
}

}  // namespace
}  // namespace brelvo::basin
