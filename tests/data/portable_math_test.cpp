// The generators' own elementary functions against the C library's, over
// the ranges the generators use: a wrong constant or a lost step in a
// reduction shows as an error far above a few units in the last place.
// Their exact doubles are pinned too.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>

#include "portable_math.h"

namespace {

// The largest error over `count` points from `from` in steps of `step`, in
// units of DBL_EPSILON relative to max(|expected|, floor).
double worst_error(const std::function<double(double)>& ours, const std::function<double(double)>& theirs,
                   double from, double step, int count, double floor = 0) {
    double worst = 0;
    for (int i = 0; i < count; ++i) {
        const double x = from + i * step;
        const double expected = theirs(x);
        const double scale = std::max(std::fabs(expected), floor);
        worst = std::max(worst, std::fabs(ours(x) - expected) / (scale * DBL_EPSILON));
    }
    return worst;
}

TEST(PortableMath, AgreesWithTheCLibraryWithinAFewUnitsInTheLastPlace) {
    // sin near its zeros is held to an absolute error: the reduction's.
    EXPECT_LE(worst_error(portable::sin, [](double x) { return std::sin(x); }, -8000, 0.0731, 220000, 1), 2);
    EXPECT_LE(worst_error(portable::exp, [](double x) { return std::exp(x); }, -40, 0.00031, 200000), 2);
    EXPECT_LE(worst_error(portable::log, [](double x) { return std::log(x); }, 1e-3, 0.00017, 200000), 2);
    EXPECT_LE(worst_error(portable::tanh, [](double x) { return std::tanh(x); }, -4, 0.00004, 200000, 1), 4);
    const auto pow_13 = [](double x) { return portable::pow(x, 1.3); };
    EXPECT_LE(worst_error(pow_13, [](double x) { return std::pow(x, 1.3); }, 1e-3, 0.00041, 100000), 16);
    EXPECT_EQ(portable::pow(0, 1.5), 0);
}

TEST(PortableMath, Atan2FindsEveryQuadrant) {
    double worst = 0;
    for (int i = 0; i < 100000; ++i) {
        const double y = std::sin(i * 0.37) * (i % 300 + 1), x = std::cos(i * 0.53) * (i % 211 + 1);
        worst = std::max(worst, std::fabs(portable::atan2(y, x) - std::atan2(y, x)) / DBL_EPSILON);
    }
    EXPECT_LE(worst, 8);
    EXPECT_DOUBLE_EQ(portable::atan2(0, -1), std::atan2(0, -1));
    EXPECT_DOUBLE_EQ(portable::atan2(-1, 0), std::atan2(-1, 0));
    EXPECT_EQ(portable::atan2(0, 0), 0);
}

// The generators' bytes follow from these doubles, not only from their
// accuracy: a build that fuses a multiply and an add, or reorders steps,
// changes last bits here that rounding to 8 or 16 bits mostly hides.
TEST(PortableMath, GivesTheSameDoublesBitForBit) {
    uint64_t hash = 14695981039346656037u;  // FNV-1a, over each result's bytes
    const auto mix = [&hash](double value) {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (int byte = 0; byte < 8; ++byte) hash = (hash ^ ((bits >> 8 * byte) & 0xFF)) * 1099511628211u;
    };
    for (int i = 0; i < 100000; ++i) {
        mix(portable::sin(-8000 + i * 0.1731));
        mix(portable::exp(-40 + i * 0.00077));
        mix(portable::log(1e-3 + i * 0.00043));
        mix(portable::tanh(-4 + i * 0.00008));
        mix(portable::pow(1e-3 + i * 0.00041, 1.3));
        mix(portable::atan2(i % 613 - 306.5, i % 419 - 209.25));
    }
    EXPECT_EQ(hash, 0x6d7bb4c2661f9523u);
}

}  // namespace
