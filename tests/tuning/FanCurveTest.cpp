#include "tuning/FanCurve.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace velmora {
namespace {

using Curve = FanCurvePoint[kFanCurvePointCount];

std::vector<int32_t> Levels(const Curve& curve, bool steps, int32_t t) {
    const FanCurveLevels r = EvaluateFanCurve(curve, steps, t);
    EXPECT_GE(r.count, 0);
    EXPECT_LE(r.count, 2);
    return std::vector<int32_t>(r.levels, r.levels + r.count);
}

// A rising curve in temperature order.
constexpr Curve kRising = {{30, 20},  {50, 40},  {70, 80},  {80, 100},
                           {85, 100}, {90, 100}, {95, 100}, {100, 100}};

struct LineCase {
    int32_t t;
    int32_t level;
};

TEST(FanCurveLines, LevelsOnRisingCurve) {
    const LineCase cases[] = {
        {60, 60},    // segment 2: slope 2.0 from (50, 40)
        {25, 20},    // below X0
        {10, 20},    // far below X0
        {30, 20},    // exactly X0
        {31, 21},    // just into segment 1: slope 1.0
        {50, 40},    // the right end of segment 1
        {51, 42},    // segment 2 starts from (50, 40)
        {75, 90},    // segment 3: slope 2.0 from (70, 80)
        {101, 100},  // above X7
        {std::numeric_limits<int32_t>::max(), 100},
        {std::numeric_limits<int32_t>::min(), 20},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Levels(kRising, false, c.t), std::vector<int32_t>{c.level}) << "T=" << c.t;
    }
}

TEST(FanCurveLines, FallingSegmentIsMeasuredFromItsRightEnd) {
    const Curve curve = {{30, 80},  {50, 80},  {70, 40},  {80, 100},
                         {85, 100}, {90, 100}, {95, 100}, {100, 100}};
    EXPECT_EQ(Levels(curve, false, 55), std::vector<int32_t>{70});  // 2.0 * 15 + 40
    EXPECT_EQ(Levels(curve, false, 70), std::vector<int32_t>{40});
    EXPECT_EQ(Levels(curve, false, 40), std::vector<int32_t>{80});  // flat segment
}

TEST(FanCurveLines, LevelIsTruncatedNotRounded) {
    // Slope 2/3 kept as a float: 2/3 * 2 + 20 = 21.33 -> 21, and 2/3 * 29 + 20 = 39.33 -> 39.
    const Curve curve = {{0, 20},  {30, 40}, {60, 60}, {70, 70},
                         {80, 80}, {90, 90}, {95, 95}, {100, 100}};
    EXPECT_EQ(Levels(curve, false, 2), std::vector<int32_t>{21});
    EXPECT_EQ(Levels(curve, false, 29), std::vector<int32_t>{39});
    // Falling from the right end: 1/3 * (30 - 1) + 0 = 9.67 -> 9.
    const Curve falling = {{0, 10},  {30, 0},  {60, 60}, {70, 70},
                           {80, 80}, {90, 90}, {95, 95}, {100, 100}};
    EXPECT_EQ(Levels(falling, false, 1), std::vector<int32_t>{9});
}

TEST(FanCurveLines, SharedFirstTemperatureWritesTwice) {
    const Curve curve = {{30, 20},  {30, 50},  {70, 80},  {80, 100},
                         {85, 100}, {90, 100}, {95, 100}, {100, 100}};
    EXPECT_EQ(Levels(curve, false, 30), (std::vector<int32_t>{20, 50}));
    EXPECT_EQ(Levels(curve, false, 10), (std::vector<int32_t>{20, 50}));
}

TEST(FanCurveLines, VerticalStepTakesTheNextPointsLevel) {
    // X2 = X3 = 70: anywhere in segment 2 the level is Y3, not the line to (70, 60).
    const Curve curve = {{30, 20}, {50, 40},  {70, 60},  {70, 90},
                         {80, 95}, {90, 100}, {95, 100}, {100, 100}};
    EXPECT_EQ(Levels(curve, false, 55), std::vector<int32_t>{90});
    EXPECT_EQ(Levels(curve, false, 70), std::vector<int32_t>{90});
    // The last segment has no next point: X6 = X7 leaves segment 7 empty, so above X6 is Y7.
    const Curve tail = {{30, 20}, {40, 30}, {50, 40}, {60, 50},
                        {70, 60}, {80, 70}, {90, 80}, {90, 95}};
    EXPECT_EQ(Levels(tail, false, 85), std::vector<int32_t>{95});  // segment 6, X6 = X7
    EXPECT_EQ(Levels(tail, false, 91), std::vector<int32_t>{95});
}

TEST(FanCurveLines, ExtremePointsStayDefined) {
    // Stored points may hold any 32-bit value: differences beyond 32 bits and levels beyond
    // the level type must neither wrap nor be undefined.
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    const Curve steep = {{0, 0}, {1, kMax}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}};
    EXPECT_EQ(Levels(steep, false, 1), std::vector<int32_t>{kMax});
    const Curve wide = {{kMin, kMin}, {kMax, kMax}, {kMin, 0}, {kMin, 0},
                        {kMin, 0},    {kMin, 0},    {kMin, 0}, {kMax, 0}};
    EXPECT_EQ(Levels(wide, false, 0), std::vector<int32_t>{0});
    EXPECT_EQ(Levels(wide, false, kMax), std::vector<int32_t>{kMax});
}

struct StepCase {
    int32_t t;
    int32_t level;
};

TEST(FanCurveSteps, LevelsOnStepCurve) {
    const Curve curve = {{0, 30},  {40, 50}, {60, 70}, {70, 80},
                         {75, 85}, {80, 90}, {85, 95}, {90, 100}};
    const StepCase cases[] = {
        {39, 30},                                    // below X1: Y0
        {40, 50},                                    // exactly X1: Y1
        {41, 50},                                    // between X1 and X2: Y1
        {59, 50}, {60, 70},  {61, 70},  {-100, 30},  // far below X0: Y0 (X0 plays no part)
        {89, 95}, {90, 100}, {91, 100},              // above X7: Y7
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Levels(curve, true, c.t), std::vector<int32_t>{c.level}) << "T=" << c.t;
    }
}

TEST(FanCurveSteps, FirstPointTemperatureIsIgnored) {
    // X0 above X1 changes nothing in the step form.
    const Curve curve = {{99, 30}, {40, 50}, {60, 70}, {70, 80},
                         {75, 85}, {80, 90}, {85, 95}, {90, 100}};
    EXPECT_EQ(Levels(curve, true, 39), std::vector<int32_t>{30});
    EXPECT_EQ(Levels(curve, true, 50), std::vector<int32_t>{50});
}

TEST(FanCurve, OutOfOrderPointsTakeTheFirstMatchingLine) {
    // Temperatures out of order: 55 lies in segment 1 (50..60) and segment 3 (40..70);
    // the first one in order decides.
    const Curve curve = {{50, 20}, {60, 40}, {40, 60},  {70, 80},
                         {80, 90}, {85, 95}, {90, 100}, {95, 100}};
    EXPECT_EQ(Levels(curve, false, 55), std::vector<int32_t>{30});
    // Steps: 45 is below X1 = 60, so Y0 although segment 3 (40..70) also holds it.
    EXPECT_EQ(Levels(curve, true, 45), std::vector<int32_t>{20});
}

TEST(FanCurve, EveryTemperatureMatchesSomeLine) {
    // Whatever the order of the points, the lines cover every temperature: below the first
    // tested point, above the last, or a crossing in between. So a tick always sets a level.
    const Curve shuffled = {{70, 10}, {20, 20}, {90, 30}, {10, 40},
                            {60, 50}, {30, 60}, {80, 70}, {40, 80}};
    for (int32_t t = -5; t <= 105; ++t) {
        EXPECT_FALSE(Levels(shuffled, false, t).empty()) << "lines T=" << t;
        EXPECT_FALSE(Levels(shuffled, true, t).empty()) << "steps T=" << t;
    }
}

}  // namespace
}  // namespace velmora
