// The "ClockSetDlg" section in real files: what a load finds and what a save leaves on disk.
#include "tuning/ClockProfileConfig.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "../config/HostFiles.h"

#include <string>

namespace velmora {
namespace {

using velmora::testing_files::HostPath;
using velmora::testing_files::ReadAll;

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Each test works on its own copy of a fixture.
class ClockSetDlgSection : public testing::Test {
  protected:
    void Use(const char* fixture) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        path_ = std::wstring(temp) + L"velmora-profiles-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + std::to_wstring(++counter) + L".xml";
        const std::wstring source = HostPath(VELMORA_TUNING_FIXTURES) + L"\\" +
                                    std::wstring(fixture, fixture + strlen(fixture));
        ASSERT_TRUE(CopyFileW(source.c_str(), path_.c_str(), FALSE));
        file_ = ClockSettingsFile(path_);
    }
    void TearDown() override {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    std::string Text() const { return ReadAll(path_); }

    std::wstring path_;
    ClockSettingsFile file_;
};

ClockProfile Applied(int32_t gpu) {
    ClockProfile p;
    p.gpuClockOffset = gpu;
    p.memoryClockOffset = 300;
    p.fanSpeed = 55;
    p.fanType = kFanTypeManual;
    p.powerTarget = 105;
    p.temperatureTarget = 84;
    p.link = true;
    p.prioritize = false;
    return p;
}

TEST_F(ClockSetDlgSection, ASavedSlotIsCreatedLastWithItsAttributesInOrderThenReplacedInPlace) {
    Use("profiles.xml");
    ASSERT_TRUE(file_.SaveProfile(2, Applied(120)));
    std::string text = Text();
    const std::string two =
        "<Two GPUClock=\"120\" MemoryClock=\"300\" FanSpeed=\"55\" FanType=\"2\" TDP=\"105\" "
        "GPUTemp=\"84\" Link=\"1\" Prioritize=\"0\"/>";
    ASSERT_NE(text.find(two), std::string::npos) << text;
    EXPECT_LT(text.find("<Last "), text.find("<Two "));
    EXPECT_LT(text.find("<Two "), text.find("</ClockSetDlg>"));

    ASSERT_TRUE(file_.SaveProfile(2, Applied(-50)));
    text = Text();
    EXPECT_EQ(Count(text, "<Two "), 1u);
    EXPECT_NE(text.find("<Two GPUClock=\"-50\" MemoryClock=\"300\""), std::string::npos) << text;
    // Everything else of the file stays where it was.
    EXPECT_NE(text.find("<One GPUClock=\"100\"/>"), std::string::npos);
    EXPECT_NE(text.find("<TMP0 nMin=\"0\" nMax=\"39\" RGB=\"65280\"/>"), std::string::npos);
}

TEST_F(ClockSetDlgSection, VoltagesAreWrittenOnlyWhenTheProfileHoldsThemAndOldOnesStay) {
    Use("profiles.xml");
    ASSERT_TRUE(file_.SaveProfile(kProfileSlotLast, Applied(10)));
    std::string text = Text();
    EXPECT_NE(text.find("<Last GPUClock=\"10\" MemoryClock=\"300\" FanSpeed=\"55\" FanType=\"2\" "
                        "TDP=\"105\" GPUTemp=\"84\" Link=\"1\" Prioritize=\"0\" "
                        "GPUVoltageMax=\"12\" GPUVoltageMin=\"900\" OverVoltage=\"1\"/>"),
              std::string::npos)
        << text;

    ClockProfile withVoltages = Applied(10);
    withVoltages.voltageMax = 0;
    withVoltages.voltageMin = 875;
    withVoltages.overVoltage = false;
    ASSERT_TRUE(file_.SaveProfile(3, withVoltages));
    EXPECT_NE(Text().find("Prioritize=\"0\" GPUVoltageMax=\"0\" GPUVoltageMin=\"875\" "
                          "OverVoltage=\"0\"/>"),
              std::string::npos);
}

TEST_F(ClockSetDlgSection, LoadFindsOnlyTheAttributesPresent) {
    Use("profiles.xml");
    ClockProfile one;
    ASSERT_TRUE(file_.LoadProfile(1, one));
    EXPECT_EQ(one.gpuClockOffset, 100);
    EXPECT_FALSE(one.memoryClockOffset || one.fanSpeed || one.fanType || one.powerTarget ||
                 one.temperatureTarget || one.link || one.prioritize || one.voltageMin);

    ClockProfile last;
    ASSERT_TRUE(file_.LoadProfile(kProfileSlotLast, last));
    ClockControls c;
    c.gpuOffset.SetRange(-200, 1200);
    c.memoryOffset.SetRange(-1000, 1000);
    c.fanSpeed.SetRange(30, 100);
    c.fanMode = FanModeButton::Manual;
    LoadProfileInto(last, c);
    EXPECT_EQ(c.gpuOffset.value, 1200);  // "5000" lands on the slider's maximum
    EXPECT_EQ(c.memoryOffset.value, -250);
    EXPECT_EQ(c.fanMode, FanModeButton::Manual);  // "FanType" "5" changes nothing
    EXPECT_TRUE(c.prioritize);
    EXPECT_FALSE(c.link);
    EXPECT_EQ(c.voltageMin.value, 0);  // voltage window closed

    ClockProfile missing;
    missing.gpuClockOffset = 7;
    EXPECT_FALSE(file_.LoadProfile(2, missing));
    EXPECT_FALSE(file_.LoadProfile(5, missing));
    EXPECT_EQ(missing.gpuClockOffset, 7);
}

TEST_F(ClockSetDlgSection, WithoutTheSectionNothingIsCreatedOrLoaded) {
    Use("no-section.xml");
    const std::string before = Text();
    EXPECT_FALSE(file_.SaveProfile(1, Applied(100)));
    EXPECT_FALSE(file_.SetFanManual(true));
    EXPECT_EQ(Text(), before);
    ClockProfile p;
    EXPECT_FALSE(file_.LoadProfile(kProfileSlotLast, p));

    ClockSettingsFile absent(L"Z:\\nonexistent-folder\\Velmora.xml");
    EXPECT_FALSE(absent.SaveProfile(1, Applied(100)));
    EXPECT_EQ(absent.GetFanMode(-1), 0);
}

TEST_F(ClockSetDlgSection, FanFlagsAndTheModeTheWindowOpensWith) {
    Use("profiles.xml");
    EXPECT_EQ(file_.GetFanMode(-1), 2);  // EnableFan "0", FanManual "1"
    EXPECT_EQ(file_.GetFanMode(1), 1);
    ASSERT_TRUE(file_.SetFanManual(false));
    EXPECT_EQ(file_.GetFanMode(0), 0);
    ASSERT_TRUE(file_.ClearFanAutoStart());
    EXPECT_NE(Text().find("<AutoSystem>0</AutoSystem>"), std::string::npos);

    Use("no-section.xml");
    EXPECT_EQ(file_.GetFanMode(-1), 1);  // EnableFan "1": the curve starts with the program
    EXPECT_EQ(file_.GetFanMode(0), 0);
    EXPECT_FALSE(file_.ClearFanAutoStart());  // no "AutoSystem": not created
    EXPECT_EQ(Text().find("AutoSystem"), std::string::npos);
}

TEST_F(ClockSetDlgSection, FanManualIsCreatedWhenMissing) {
    Use("profiles.xml");
    ASSERT_TRUE(file_.SaveProfile(1, Applied(1)));  // a file whose section lacks it, made below
    std::string text = Text();
    const size_t at = text.find("<FanManual>1</FanManual>");
    ASSERT_NE(at, std::string::npos);
    // Write a copy without the element, then let SetFanManual put it back as the last child.
    text.erase(at, std::string("<FanManual>1</FanManual>").size());
    HANDLE h = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(h);

    ASSERT_TRUE(file_.SetFanManual(true));
    text = Text();
    EXPECT_NE(text.find("<FanManual>1</FanManual>"), std::string::npos) << text;
    EXPECT_LT(text.find("<Last "), text.find("<FanManual>"));
}

// A fresh install carries no profile: the first opening writes the card's own values back.
TEST(DeliveredConfiguration, ClockSetDlgHoldsNoProfiles) {
    ClockSettingsFile delivered(HostPath(VELMORA_DELIVERED_CONFIG));
    for (int slot = 1; slot <= kProfileSlotLast; ++slot) {
        ClockProfile p;
        EXPECT_FALSE(delivered.LoadProfile(slot, p)) << "slot " << slot;
    }
    EXPECT_EQ(delivered.GetFanMode(-1), 0);
    const std::string text = ReadAll(HostPath(VELMORA_DELIVERED_CONFIG));
    EXPECT_NE(text.find("<FanManual>0</FanManual>"), std::string::npos);
}

}  // namespace
}  // namespace velmora
