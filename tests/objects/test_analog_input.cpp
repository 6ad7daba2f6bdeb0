// A reading in single precision rounds as the C library's conversion does,
// at the top of the float range above all.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "cObjectAInput.h"

namespace {

// strtof of the reading's exact (hexadecimal) spelling.
float libraryConversion(double reading) {
    char text[64];
    std::snprintf(text, sizeof text, "%a", reading);
    return std::strtof(text, nullptr);
}

TEST(AnalogInput, ReadingRoundsToNearestLikeStrtof) {
    const double edge = cObjectAInput::ROUNDS_TO_INFINITY;
    const double infinity = std::numeric_limits<double>::infinity();
    const float floatInfinity = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        double reading;
        float expected;
    } cases[] = {
        {"largest float", FLT_MAX, FLT_MAX},
        {"its usual spelling", 3.4028235e38, FLT_MAX},
        {"next double above it", std::nextafter(static_cast<double>(FLT_MAX), infinity), FLT_MAX},
        {"next double short of half an ulp", std::nextafter(edge, 0.0), FLT_MAX},
        {"half an ulp: the tie goes to even", edge, floatInfinity},
        {"next double past it", std::nextafter(edge, infinity), floatInfinity},
        {"1e39", 1e39, floatInfinity},
        {"largest double", DBL_MAX, floatInfinity},
        {"infinity", infinity, floatInfinity},
        {"within range", 21.5, 21.5F},
        {"below the smallest float", 1e-300, 0.0F},
    };
    for (const auto& c : cases) {
        for (const double sign : {1.0, -1.0}) {
            const double reading = sign * c.reading;
            const float got = cObjectAInput::toSinglePrecision(reading);
            EXPECT_EQ(got, static_cast<float>(sign) * c.expected) << c.name << ", sign " << sign;
            EXPECT_EQ(std::signbit(got), std::signbit(reading)) << c.name << ", sign " << sign;
            EXPECT_EQ(got, libraryConversion(reading)) << c.name << ", sign " << sign;
        }
    }
    EXPECT_TRUE(std::isnan(cObjectAInput::toSinglePrecision(std::nan(""))));
}

}  // namespace
