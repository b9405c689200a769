#include "tuning/FanCurveConfig.h"

#include <gtest/gtest.h>

#include <string>

#include "config/ConfigFile.h"

namespace velmora {
namespace {

std::wstring HostPath(const char* unixPath) {
    std::wstring out = L"Z:";
    for (const char* p = unixPath; *p; ++p) out += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return out;
}

TEST(ReadFanMap, DeliveredCurveIsComplete) {
    ConfigFile config(HostPath(VELMORA_DELIVERED_CONFIG));
    ASSERT_TRUE(config.Open());
    FanMapValues values;
    ASSERT_TRUE(ReadFanMap(config, values));
    for (int i = 0; i < kFanCurvePointCount; ++i) {
        EXPECT_TRUE(values.hasTemperature[i]) << i;
        EXPECT_TRUE(values.hasFanPercent[i]) << i;
        if (i > 0) {
            EXPECT_GE(values.points[i].temperatureC, values.points[i - 1].temperatureC);
        }
    }
    EXPECT_TRUE(values.hasSteps);
    EXPECT_EQ(values.points[0].temperatureC, 30);
    EXPECT_EQ(values.points[7].fanPercent, 100);
}

TEST(ReadFanMap, MissingAttributesAreReportedAndLeftAlone) {
    ConfigFile config(HostPath(VELMORA_PARTIAL_CONFIG));  // FanMap holds OneX, OneY, blLine
    ASSERT_TRUE(config.Open());
    FanMapValues values;
    values.points[1] = {55, 66};
    values.steps = 9;
    ASSERT_TRUE(ReadFanMap(config, values));
    EXPECT_TRUE(values.hasTemperature[0]);
    EXPECT_TRUE(values.hasFanPercent[0]);
    EXPECT_EQ(values.points[0].temperatureC, 30);
    EXPECT_EQ(values.points[0].fanPercent, 20);
    EXPECT_FALSE(values.hasTemperature[1]);
    EXPECT_FALSE(values.hasFanPercent[1]);
    EXPECT_EQ(values.points[1].temperatureC, 55);
    EXPECT_EQ(values.points[1].fanPercent, 66);
    EXPECT_TRUE(values.hasSteps);
    EXPECT_EQ(values.steps, 0);
}

TEST(ReadFanMap, NoFileNoCurve) {
    ConfigFile config(L"Z:\\nonexistent-folder\\Velmora.xml");
    EXPECT_FALSE(config.Open());
    FanMapValues values;
    values.points[0] = {1, 2};
    EXPECT_FALSE(ReadFanMap(config, values));
    EXPECT_EQ(values.points[0].temperatureC, 1);
    EXPECT_FALSE(values.hasSteps);
}

}  // namespace
}  // namespace velmora
