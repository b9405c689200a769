// The graph's history: how many samples it keeps, clamping, the extremes it shows, and where
// samples land on the pixels.
#include "monitoring/WaveformHistory.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

// The monitoring window's graphs are 248 pixels wide.
constexpr int kWidth = 248;

TEST(WaveformHistory, KeepsWidthLessTwoSamplesAndDropsTheOldestOnThe247th) {
    WaveformHistory h(kWidth);
    EXPECT_EQ(h.Capacity(), 246u);
    for (int i = 0; i < 246; ++i) h.Add(i % 100, std::to_wstring(i));
    EXPECT_EQ(h.Count(), 246u);
    EXPECT_EQ(h.Value(0), 0);
    EXPECT_EQ(h.Time(0), L"0");

    h.Add(42, L"9:5:3");
    EXPECT_EQ(h.Count(), 246u);
    EXPECT_EQ(h.Value(0), 1);  // sample 0 went
    EXPECT_EQ(h.Time(0), L"1");
    EXPECT_EQ(h.Value(245), 42);
    EXPECT_EQ(h.Time(245), L"9:5:3");
    for (int i = 0; i < 1000; ++i) h.Add(i % 100, L"23:59:59");
    EXPECT_EQ(h.Count(), 246u);
    EXPECT_EQ(h.Value(245), 999 % 100);
    EXPECT_EQ(h.Value(0), (1000 - 246) % 100);
}

TEST(WaveformHistory, ClampsToTheScaleSoMaxNeverExceedsIt) {
    WaveformHistory h(kWidth);
    h.SetScale(10, 90);
    const struct {
        int32_t in, stored;
    } cases[] = {{150, 90}, {90, 90}, {-5, 10}, {10, 10}, {55, 55}};
    for (const auto& c : cases) EXPECT_EQ(h.Add(c.in, L"").stored, c.stored) << c.in;
    EXPECT_EQ(h.Highest(), 90);
    EXPECT_EQ(h.Value(0), 90);
}

TEST(WaveformHistory, FirstSampleSetsTheLowestThenOnlyLowerOnesAndHighestOnlyRises) {
    WaveformHistory h(kWidth);
    EXPECT_EQ(h.Lowest(), 0);
    auto r = h.Add(60, L"");
    EXPECT_EQ(h.Lowest(), 60);  // above the initial 0, still the first of the history
    EXPECT_TRUE(r.lowestChanged);
    EXPECT_TRUE(r.highestChanged);
    r = h.Add(70, L"");
    EXPECT_EQ(h.Lowest(), 60);
    EXPECT_FALSE(r.lowestChanged);
    EXPECT_EQ(h.Highest(), 70);
    r = h.Add(40, L"");
    EXPECT_EQ(h.Lowest(), 40);
    EXPECT_TRUE(r.lowestChanged);
    EXPECT_FALSE(r.highestChanged);
    EXPECT_EQ(h.Highest(), 70);

    // A cleared history starts its lowest again from its first sample; the highest stays.
    h.Clear();
    EXPECT_EQ(h.Count(), 0u);
    h.Add(50, L"");
    EXPECT_EQ(h.Lowest(), 50);
    EXPECT_EQ(h.Highest(), 70);
}

TEST(WaveformHistory, NewScaleKeepsTheSamplesWithTheirOldClamping) {
    WaveformHistory h(kWidth);
    h.Add(100, L"");
    h.Add(30, L"");
    h.SetScale(0, 50);
    ASSERT_EQ(h.Count(), 2u);
    EXPECT_EQ(h.Value(0), 100);  // stored under the old bounds, kept as it was
    EXPECT_EQ(h.Value(1), 30);
    // Drawn against the new bounds, and kept inside the frame.
    EXPECT_FLOAT_EQ(h.CurveY(100, 73, 154), 73.0f);
    EXPECT_FLOAT_EQ(h.CurveY(25, 73, 154), 154.0f - 81.0f * 25.0f / 50.0f);
    h.SetScale(40, 50);
    EXPECT_FLOAT_EQ(h.CurveY(30, 73, 154), 154.0f);
    EXPECT_EQ(h.Add(30, L"").stored, 40);
}

TEST(WaveformHistory, AScaleWithoutHeightDrawsOnTheBottomEdge) {
    WaveformHistory h(kWidth);
    h.SetScale(0, 0);
    EXPECT_EQ(h.Add(1800, L"").stored, 0);
    EXPECT_FLOAT_EQ(h.CurveY(0, 73, 154), 154.0f);
    h.SetScale(60, 20);  // reversed bounds: no height either
    EXPECT_FLOAT_EQ(h.CurveY(40, 73, 154), 154.0f);
}

TEST(WaveformHistory, GridPhaseAdvancesOnePerSampleAndWrapsAfter17) {
    WaveformHistory h(kWidth);
    for (int i = 1; i <= 17; ++i) {
        h.Add(0, L"");
        EXPECT_EQ(h.ScrollPhase(), i);
    }
    h.Add(0, L"");
    EXPECT_EQ(h.ScrollPhase(), 0);
    h.Clear();
    EXPECT_EQ(h.ScrollPhase(), 0);
    h.Add(0, L"");
    EXPECT_EQ(h.ScrollPhase(), 1);
}

TEST(WaveformHistory, ReadoutFindsTheSampleUnderThePointerOnlyInsideTheHistory) {
    WaveformHistory h(kWidth);
    const int right = 303;
    for (int v : {10, 20, 30}) h.Add(v, L"t" + std::to_wstring(v));
    size_t i = 99;
    EXPECT_FALSE(h.SampleAt(right, right, i));  // on the edge: d = 0
    ASSERT_TRUE(h.SampleAt(right, right - 1, i));
    EXPECT_EQ(h.Value(i), 30);  // the newest sits one pixel left of the edge
    ASSERT_TRUE(h.SampleAt(right, right - 3, i));
    EXPECT_EQ(h.Value(i), 10);
    EXPECT_EQ(h.Time(i), L"t10");
    EXPECT_FALSE(h.SampleAt(right, right - 4, i));  // left of the oldest
    EXPECT_FALSE(h.SampleAt(right, right + 5, i));
}

TEST(WaveformHistory, LongTimeTextsAreCutNotOverrun) {
    WaveformHistory h(10);
    h.Add(1, std::wstring(100, L'x'));
    EXPECT_EQ(h.Time(0).size(), WaveformHistory::kTimeTextMax);
    WaveformHistory none(2);  // no column inside the frame: nothing kept, nothing breaks
    none.Add(5, L"");
    EXPECT_EQ(none.Count(), 0u);
    EXPECT_EQ(none.Highest(), 5);
}

}  // namespace
}  // namespace velmora
