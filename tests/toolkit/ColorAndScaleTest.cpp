#include <gtest/gtest.h>

#include "toolkit/GaugeScale.h"
#include "toolkit/HslColor.h"

namespace velmora {
namespace {

TEST(HslColor, ConvertsToTheColourChooserScale) {
    struct Case {
        Rgb rgb;
        Hls hls;
    } cases[] = {
        {{255, 0, 0}, {0, 120, 240}},     {{0, 255, 0}, {80, 120, 240}},
        {{0, 0, 255}, {160, 120, 240}},   {{255, 255, 255}, {160, 240, 0}},
        {{0, 0, 0}, {160, 0, 0}},         {{128, 128, 128}, {160, 120, 0}},
        {{255, 127, 0}, {20, 120, 240}},  {{139, 0, 255}, {182, 120, 240}},
        {{255, 128, 128}, {0, 180, 240}}, {{100, 50, 25}, {13, 59, 144}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rgb.red << "," << c.rgb.green << "," << c.rgb.blue);
        const Hls h = RgbToHls(c.rgb);
        EXPECT_EQ(h.hue, c.hls.hue);
        EXPECT_EQ(h.lightness, c.hls.lightness);
        EXPECT_EQ(h.saturation, c.hls.saturation);
    }
}

TEST(HslColor, ConvertsBackToRgb) {
    struct Case {
        Hls hls;
        Rgb rgb;
    } cases[] = {
        {{0, 120, 240}, {255, 0, 0}},     {{80, 120, 240}, {0, 255, 0}},
        {{160, 120, 240}, {0, 0, 255}},   {{160, 240, 0}, {255, 255, 255}},
        {{0, 170, 240}, {255, 106, 106}}, {{0, 119, 240}, {253, 0, 0}},
        {{40, 60, 120}, {96, 96, 32}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.hls.hue << "," << c.hls.lightness << "," << c.hls.saturation);
        const Rgb r = HlsToRgb(c.hls);
        EXPECT_EQ(r.red, c.rgb.red);
        EXPECT_EQ(r.green, c.rgb.green);
        EXPECT_EQ(r.blue, c.rgb.blue);
    }
}

TEST(HslColor, LightnessRampRunsFromLightToDarkKeepingTheHue) {
    const LightnessRamp ramp = BuildLightnessRamp({255, 0, 0});
    ASSERT_EQ(LightnessRamp::kSteps, 52);
    EXPECT_EQ(ramp.colors[0].red, 255);
    EXPECT_EQ(ramp.colors[0].green, 106);
    EXPECT_EQ(ramp.colors[51].red, 253);
    EXPECT_EQ(ramp.colors[51].green, 0);
    for (int k = 1; k < LightnessRamp::kSteps; ++k) {
        EXPECT_LE(ramp.colors[k].green, ramp.colors[k - 1].green);
        EXPECT_EQ(ramp.colors[k].green, ramp.colors[k].blue);
    }
    // A grey keeps no hue: every step is a grey.
    const LightnessRamp grey = BuildLightnessRamp({90, 90, 90});
    for (const Rgb& c : grey.colors) {
        EXPECT_EQ(c.red, c.green);
        EXPECT_EQ(c.green, c.blue);
    }
    EXPECT_EQ(grey.colors[0].red, 170 * 255 / 240);
}

TEST(GaugeScale, LabelsAreTheBoundsAndTruncatedQuarters) {
    struct Case {
        float lo, hi;
        const wchar_t* labels[5];
    } cases[] = {
        {0, 2500, {L"0", L"625", L"1250", L"1875", L"2500"}},
        {0, 6500, {L"0", L"1625", L"3250", L"4875", L"6500"}},
        {0, 100, {L"0", L"25", L"50", L"75", L"100"}},
        {0, 3, {L"0", L"0", L"1", L"2", L"3"}},
        {800, 1800, {L"800", L"1050", L"1300", L"1550", L"1800"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hi);
        const auto labels = GaugeScaleLabels(c.lo, c.hi);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(labels[i], c.labels[i]) << i;
    }
}

TEST(GaugeScale, FillIsProportionalAndNotClamped) {
    EXPECT_EQ(GaugeFillHeight(200, 1250, 0, 2500), 100);
    EXPECT_EQ(GaugeFillHeight(200, 0, 0, 2500), 0);
    EXPECT_EQ(GaugeFillHeight(200, 3750, 0, 2500), 300);  // above the maximum: taller
    EXPECT_EQ(GaugeFillHeight(199, 1, 0, 2), 99);         // truncated
    EXPECT_EQ(GaugeFillHeight(200, 5, 5, 5), 0);          // empty range
}

}  // namespace
}  // namespace velmora
