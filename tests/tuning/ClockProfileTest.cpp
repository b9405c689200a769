// A profile's attributes, their texts and what loading them does to the window's controls.
#include "tuning/ClockProfile.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace velmora {
namespace {

// The clock window after reading a card's limits; the voltage window closed.
ClockControls OpenedWindow() {
    ClockControls c;
    c.gpuOffset.SetRange(-200, 1200);
    c.gpuOffset.SetPos(10);
    c.memoryOffset.SetRange(-1000, 1000);
    c.memoryOffset.SetPos(20);
    c.fanSpeed.SetRange(30, 100);
    c.fanSpeed.SetPos(45);
    c.fanSpeed.enabled = false;
    c.powerTarget.SetRange(50, 120);
    c.powerTarget.SetPos(100);
    c.temperatureTarget.SetRange(60, 92);
    c.temperatureTarget.SetPos(83);
    c.voltageMin.SetRange(850, 1000);
    c.voltageMin.SetPos(850);
    c.overVoltage.SetRange(0, 100);
    c.overVoltage.enabled = false;
    return c;
}

ClockProfile Decode(const std::map<std::wstring, std::wstring>& attrs) {
    return DecodeProfile([&](const wchar_t* name, std::wstring& text) {
        auto it = attrs.find(name);
        if (it == attrs.end()) return false;
        text = it->second;
        return true;
    });
}

std::wstring Names(const std::vector<std::pair<std::wstring, std::wstring>>& attrs) {
    std::wstring out;
    for (const auto& [name, value] : attrs) out += name + L"=" + value + L" ";
    return out;
}

TEST(ProfileEncoding, AttributesInTheirOrderAndVoltagesOnlyWithTheVoltageWindow) {
    ClockControls c = OpenedWindow();
    c.gpuOffset.SetPos(150.9f);
    c.memoryOffset.SetPos(-300.7f);  // truncated towards zero
    c.fanMode = FanModeButton::Manual;
    c.temperatureTarget.SetPos(83.9f);
    c.link = false;
    c.prioritize = true;
    EXPECT_EQ(Names(EncodeProfile(ProfileFromControls(c))),
              L"GPUClock=150 MemoryClock=-300 FanSpeed=45 FanType=2 TDP=100 GPUTemp=83 Link=0 "
              L"Prioritize=1 ");

    c.voltageWindowOpen = true;
    c.voltageMin.SetPos(912.5f);
    c.overVoltage.SetPos(37.5f);
    c.overVoltageOn = true;
    c.fanMode = FanModeButton::UserDefined;
    EXPECT_EQ(Names(EncodeProfile(ProfileFromControls(c))),
              L"GPUClock=150 MemoryClock=-300 FanSpeed=45 FanType=3 TDP=100 GPUTemp=83 Link=0 "
              L"Prioritize=1 GPUVoltageMax=37 GPUVoltageMin=912 OverVoltage=1 ");
}

TEST(ProfileEncoding, SavedThenLoadedGivesTheSameControls) {
    ClockControls saved = OpenedWindow();
    saved.voltageWindowOpen = true;
    saved.gpuOffset.SetPos(125);
    saved.memoryOffset.SetPos(-400);
    saved.fanSpeed.SetPos(70);
    saved.fanMode = FanModeButton::Manual;
    saved.powerTarget.SetPos(110);
    saved.temperatureTarget.SetPos(88);
    saved.link = false;
    saved.prioritize = true;
    saved.voltageMin.SetPos(900);
    saved.overVoltage.SetPos(25);
    saved.overVoltageOn = true;
    std::map<std::wstring, std::wstring> file;
    for (const auto& [name, value] : EncodeProfile(ProfileFromControls(saved))) file[name] = value;

    ClockControls loaded = OpenedWindow();
    loaded.voltageWindowOpen = true;
    LoadProfileInto(Decode(file), loaded);
    EXPECT_EQ(loaded.gpuOffset.value, 125);
    EXPECT_EQ(loaded.memoryOffset.value, -400);
    EXPECT_EQ(loaded.fanSpeed.value, 70);
    EXPECT_EQ(loaded.fanMode, FanModeButton::Manual);
    EXPECT_TRUE(loaded.fanSpeed.enabled);
    EXPECT_EQ(loaded.powerTarget.value, 110);
    EXPECT_EQ(loaded.temperatureTarget.value, 88);
    EXPECT_FALSE(loaded.link);
    EXPECT_TRUE(loaded.prioritize);
    EXPECT_EQ(loaded.voltageMin.value, 900);
    EXPECT_EQ(loaded.overVoltage.value, 25);
    EXPECT_TRUE(loaded.overVoltageOn);
    EXPECT_TRUE(loaded.overVoltage.enabled);
}

TEST(ProfileLoading, OnlyTheAttributesPresentChangeTheirControls) {
    ClockControls c = OpenedWindow();
    c.link = true;
    c.prioritize = true;
    LoadProfileInto(Decode({{L"GPUClock", L"100"}}), c);
    const ClockControls before = OpenedWindow();
    EXPECT_EQ(c.gpuOffset.value, 100);
    EXPECT_EQ(c.memoryOffset.value, before.memoryOffset.value);
    EXPECT_EQ(c.fanSpeed.value, before.fanSpeed.value);
    EXPECT_EQ(c.fanMode, before.fanMode);
    EXPECT_FALSE(c.fanSpeed.enabled);
    EXPECT_EQ(c.powerTarget.value, before.powerTarget.value);
    EXPECT_EQ(c.temperatureTarget.value, before.temperatureTarget.value);
    EXPECT_TRUE(c.link);
    EXPECT_TRUE(c.prioritize);
}

TEST(ProfileLoading, ValuesAreClampedAndReadByTheirLeadingInteger) {
    struct Case {
        const wchar_t* name;
        const wchar_t* text;
        float expected;
        SliderState ClockControls::*slider;
    };
    const Case cases[] = {
        {L"GPUClock", L"5000", 1200, &ClockControls::gpuOffset},
        {L"GPUClock", L"-900", -200, &ClockControls::gpuOffset},
        {L"MemoryClock", L"250MHz", 250, &ClockControls::memoryOffset},
        {L"FanSpeed", L"abc", 30, &ClockControls::fanSpeed},  // 0, then the minimum
        {L"TDP", L"  115", 115, &ClockControls::powerTarget},
        {L"GPUTemp", L"99", 92, &ClockControls::temperatureTarget},
    };
    for (const Case& k : cases) {
        ClockControls c = OpenedWindow();
        LoadProfileInto(Decode({{k.name, k.text}}), c);
        EXPECT_EQ((c.*k.slider).value, k.expected) << k.name << "=" << k.text;
    }
}

TEST(ProfileLoading, FanTypeSelectsItsButtonAndAnUnknownOneChangesNothing) {
    struct Case {
        const wchar_t* fanType;
        FanModeButton mode;
        bool sliderEnabled;
    };
    const Case cases[] = {
        {L"1", FanModeButton::Automatic, false},
        {L"2", FanModeButton::Manual, true},
        {L"3", FanModeButton::UserDefined, false},
        {L"5", FanModeButton::UserDefined, true},  // as it was before the load
        {L"0", FanModeButton::UserDefined, true},
    };
    for (const Case& k : cases) {
        ClockControls c = OpenedWindow();
        c.fanMode = FanModeButton::UserDefined;
        c.fanSpeed.enabled = true;
        LoadProfileInto(Decode({{L"FanType", k.fanType}, {L"FanSpeed", L"60"}}), c);
        EXPECT_EQ(c.fanMode, k.mode) << "FanType " << k.fanType;
        EXPECT_EQ(c.fanSpeed.enabled, k.sliderEnabled) << "FanType " << k.fanType;
    }
}

TEST(ProfileLoading, FlagsSelectEitherSideOfTheirGroup) {
    ClockControls c = OpenedWindow();
    c.prioritize = true;
    c.link = true;
    LoadProfileInto(Decode({{L"Prioritize", L"0"}, {L"Link", L"0"}}), c);
    EXPECT_FALSE(c.prioritize);
    EXPECT_FALSE(c.link);
    LoadProfileInto(Decode({{L"Prioritize", L"7"}, {L"Link", L"1"}}), c);
    EXPECT_TRUE(c.prioritize);
    EXPECT_TRUE(c.link);
}

TEST(ProfileLoading, VoltageAttributesAreIgnoredWhileTheVoltageWindowIsClosed) {
    const std::map<std::wstring, std::wstring> file = {
        {L"GPUVoltageMax", L"50"}, {L"GPUVoltageMin", L"950"}, {L"OverVoltage", L"1"}};
    ClockControls closed = OpenedWindow();
    LoadProfileInto(Decode(file), closed);
    EXPECT_EQ(closed.voltageMin.value, 850);
    EXPECT_EQ(closed.overVoltage.value, 0);
    EXPECT_FALSE(closed.overVoltageOn);

    ClockControls open = OpenedWindow();
    open.voltageWindowOpen = true;
    LoadProfileInto(Decode(file), open);
    EXPECT_EQ(open.voltageMin.value, 950);
    EXPECT_EQ(open.overVoltage.value, 50);
    EXPECT_TRUE(open.overVoltageOn);
    EXPECT_TRUE(open.overVoltage.enabled);

    LoadProfileInto(Decode({{L"OverVoltage", L"0"}}), open);
    EXPECT_FALSE(open.overVoltageOn);
    EXPECT_FALSE(open.overVoltage.enabled);
}

// The three encodings of the fan mode: "FanType" 1/2/3, AppliedSettings 0/1/2 and this one,
// 0 automatic, 1 user-defined, 2 manual.
TEST(FanModeAtOpening, CurveStateFileAndManualFlag) {
    const std::wstring one = L"1", zero = L"0", empty;
    struct Case {
        int32_t state;
        const std::wstring* enableFan;
        const std::wstring* fanManual;
        int expected;
    };
    const Case cases[] = {
        {-1, &one, &one, 1},        // the curve starts with the program
        {-1, &empty, nullptr, 1},   // an empty text counts as set
        {-1, &zero, &one, 2},       // no curve: the manual flag decides
        {-1, nullptr, nullptr, 0},  // nothing known: automatic
        {0, &one, &one, 2},         // decided in this run: the file's EnableFan is stale
        {0, nullptr, &zero, 0},    {1, &zero, &one, 1},  // the curve runs now
    };
    for (const Case& k : cases) {
        EXPECT_EQ(FanModeFromConfig(k.state, k.enableFan, k.fanManual), k.expected)
            << "state " << k.state;
    }
}

TEST(SliderState, RangeResetsToTheMinimumAndAnInvertedRangeIsIgnored) {
    SliderState s;
    s.SetRange(30, 90);
    s.SetPos(60);
    s.SetRange(95, 40);
    EXPECT_EQ(s.minimum, 30);
    EXPECT_EQ(s.value, 60);
    s.SetRange(40, 95);
    EXPECT_EQ(s.value, 40);
    s.SetPos(-12.5f);
    EXPECT_EQ(s.value, 40);
}

}  // namespace
}  // namespace velmora
