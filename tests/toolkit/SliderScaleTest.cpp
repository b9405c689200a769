#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "toolkit/SliderScale.h"

namespace velmora {
namespace {

TEST(SliderScale, TruncatesTowardZeroAndSaturates) {
    struct Case {
        double in;
        int out;
    } cases[] = {
        {2.9, 2},
        {-2.9, -2},
        {0.0, 0},
        {3e9, std::numeric_limits<int>::max()},
        {-3e9, std::numeric_limits<int>::min()},
        {std::nan(""), 0},
        {std::numeric_limits<double>::infinity(), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(TruncToInt(c.in), c.out) << c.in;
}

TEST(SliderScale, OffsetOfAValueOnTheTrack) {
    struct Case {
        const char* what;
        float value, minimum, maximum;
        int width, offset;
    } cases[] = {
        {"left end", 0, 0, 100, 241, 0},
        {"right end", 100, 0, 100, 241, 241},
        {"middle", 50, 0, 100, 250, 125},
        {"truncated, not rounded", 70, 0, 100, 241, 168},
        {"empty range", 5, 5, 5, 241, 0},
        {"range across zero", 0, -100, 100, 241, 120},
        {"negative range", -75, -100, -50, 200, 100},
        {"reversed range", 5, 10, 0, 100, 50},
        {"below the range: not clamped", -10, 0, 100, 100, -10},
        {"negative offset truncates toward zero", -1, 0, 3, 100, -33},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SliderOffset(c.value, c.minimum, c.maximum, c.width), c.offset) << c.what;
}

TEST(SliderScale, StopOffsetsCountFromZero) {
    EXPECT_EQ(SliderStopOffset(25, 100, 250), 62);
    EXPECT_EQ(SliderStopOffset(100, 100, 250), 250);
    EXPECT_EQ(SliderStopOffset(50, 0, 250), 0);  // no maximum: no division by zero
}

TEST(SliderScale, UnitStepIsAnyStepThatTruncatesToOne) {
    struct Case {
        float step;
        bool unit;
    } cases[] = {{1, true}, {1.9f, true}, {0.5f, false}, {2, false}, {-1, false}, {0, false}};
    for (const auto& c : cases) EXPECT_EQ(IsUnitStep(c.step), c.unit) << c.step;
}

TEST(SliderScale, PressJumpsToWholeUnitsFromTheMinimum) {
    struct Case {
        const char* what;
        float minimum, maximum;
        int width, d;
        float value;
    } cases[] = {
        {"left end", 0, 100, 241, 0, 0},
        {"right end", 0, 100, 241, 241, 100},
        {"truncated", 0, 100, 241, 120, 49},
        {"range across zero", -100, 100, 200, 50, -50},
        {"left of the track: not clamped", 0, 100, 241, -5, -2},
        {"empty range stays at the minimum", 7, 7, 241, 120, 7},
    };
    for (const auto& c : cases) {
        float v = -999;
        ASSERT_TRUE(SliderPressValue(c.minimum, c.maximum, c.width, c.d, v)) << c.what;
        EXPECT_EQ(v, c.value) << c.what;
    }
    float v = -999;
    EXPECT_FALSE(SliderPressValue(0, 100, 0, 10, v));
    EXPECT_EQ(v, -999);
}

TEST(SliderScale, DragLandsOnWholeUnitsOrWholeSteps) {
    struct Case {
        const char* what;
        float minimum, maximum, step;
        int width, d;
        float value;
    } cases[] = {
        {"unit step", 0, 100, 1, 241, 120, 49},
        {"unit step at the right end", 0, 100, 1, 241, 241, 100},
        {"step 5: whole steps only", 0, 100, 5, 241, 30, 10},
        {"step 5 at the right end", 0, 100, 5, 241, 241, 100},
        {"half step", 0, 10, 0.5f, 100, 25, 2.5f},
        {"steps counted from a negative minimum", -100, 100, 10, 200, 50, -50},
        {"left of the track, unit step", 0, 100, 1, 241, -10, -4},
    };
    for (const auto& c : cases) {
        float v = -999;
        ASSERT_TRUE(SliderDragValue(c.minimum, c.maximum, c.step, c.width, c.d, v)) << c.what;
        EXPECT_EQ(v, c.value) << c.what;
    }
    struct NoValue {
        const char* what;
        float minimum, maximum, step;
        int width;
    } none[] = {
        {"empty range", 5, 5, 1, 241},
        {"no track", 0, 100, 1, 0},
        {"a step of nothing", 0, 100, 0, 241},
    };
    for (const auto& c : none) {
        float v = -999;
        EXPECT_FALSE(SliderDragValue(c.minimum, c.maximum, c.step, c.width, 10, v)) << c.what;
        EXPECT_EQ(v, -999) << c.what;
    }
}

}  // namespace
}  // namespace velmora
