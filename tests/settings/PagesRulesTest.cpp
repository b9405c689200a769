// The settings pages' rules: topping the graphs up to four, the gauge source a side's buttons
// stand for, the skin list, which addresses the About page opens, which page a tab shows.
#include <gtest/gtest.h>

#include <string>

#include "settings/PageRules.h"

namespace velmora {
namespace {

GraphChecks Checks(std::initializer_list<int> on) {
    GraphChecks c{};
    for (int i : on) c[static_cast<size_t>(i)] = true;
    return c;
}

TEST(MinimumGraphs, FewerThanFourAreToppedUpInSensorOrder) {
    const struct {
        GraphChecks before;
        bool told;
        GraphChecks after;
    } cases[] = {
        // Unchecking the third of four rows: the first unchecked row in sensor order comes
        // back, which is not the row just unchecked.
        {Checks({0, 1, 3}), true, Checks({0, 1, 2, 3})},
        {Checks({6, 7, 9}), true, Checks({0, 6, 7, 9})},
        {Checks({}), true, Checks({0, 1, 2, 3})},
        {Checks({9}), true, Checks({0, 1, 2, 9})},
        {Checks({0, 2, 4, 6}), false, Checks({0, 2, 4, 6})},
        // More than four is never refused.
        {Checks({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), false, Checks({0, 1, 2, 3, 4, 5, 6, 7, 8, 9})},
    };
    for (const auto& c : cases) {
        GraphChecks checks = c.before;
        EXPECT_EQ(TopUpToMinimumGraphs(checks), c.told);
        EXPECT_EQ(checks, c.after);
    }
}

TEST(MinimumGraphs, BoundsKeepAtMostNineCharacters) {
    EXPECT_EQ(LimitText(L"123456789"), L"123456789");
    EXPECT_EQ(LimitText(L"1234567890123"), L"123456789");
    EXPECT_EQ(LimitText(L""), L"");
}

TEST(QuickSight, ASidesButtonsGiveOneSource) {
    const struct {
        SourceChecks checks;
        int source;
    } cases[] = {
        {{}, 0},  // nothing checked: the GPU clock
        {{true, false, false, false, false, false}, 0},
        {{false, true, false, false, false, false}, 1},
        {{false, false, false, false, false, true}, 5},
        {{false, false, false, true, true, false}, 3},  // the earlier source wins
    };
    for (const auto& c : cases) EXPECT_EQ(GaugeSourceFromChecks(c.checks), c.source);
    EXPECT_EQ(GaugeSourceFromStored(0), 0);
    EXPECT_EQ(GaugeSourceFromStored(5), 5);
    EXPECT_EQ(GaugeSourceFromStored(6), -1);
    EXPECT_EQ(GaugeSourceFromStored(-1), -1);
}

TEST(SkinList, NamesEntriesAndWhenToSwitch) {
    EXPECT_EQ(SkinIndexFromName(L""), 0);
    EXPECT_EQ(SkinIndexFromName(L"Ostrid"), 0);
    EXPECT_EQ(SkinIndexFromName(L"Norvane"), 1);
    EXPECT_EQ(SkinIndexFromName(L"Talwyn"), 2);
    EXPECT_EQ(SkinIndexFromName(L"talwyn"), 0);
    EXPECT_EQ(SkinIndexFromName(L"Purple"), 0);
    EXPECT_EQ(SkinPackFileOf(L"Talwyn"), L"Talwyn.dll");
    // The pack in use may be named by a full path.
    EXPECT_FALSE(SkinSwitchNeeded(L"Z:\\app\\Norvane.dll", L"Norvane"));
    EXPECT_FALSE(SkinSwitchNeeded(L"Norvane.dll", L""));
    EXPECT_TRUE(SkinSwitchNeeded(L"Norvane.dll", L"Talwyn"));
    EXPECT_TRUE(SkinSwitchNeeded(L"", L"Ostrid"));
}

TEST(AboutLinks, OnlyWebAddressesOpen) {
    EXPECT_TRUE(IsWebAddress(L"https://www.tessarin.example/"));
    EXPECT_TRUE(IsWebAddress(L"HTTP://bbs.tessarin.example/forum?id=1"));
    EXPECT_FALSE(IsWebAddress(L"[maker's website address]"));
    EXPECT_FALSE(IsWebAddress(L"<maker's forum address>"));
    EXPECT_FALSE(IsWebAddress(L"https://"));
    EXPECT_FALSE(IsWebAddress(L"file:///C:/Windows/system32/calc.exe"));
    EXPECT_FALSE(IsWebAddress(L"https://a.example/ \"calc\""));
    EXPECT_FALSE(IsWebAddress(L""));
}

TEST(Tabs, EachTabShowsItsOwnPage) {
    const SettingsPage byTab[] = {
        SettingsPage::General,    SettingsPage::Fan, SettingsPage::Bios, SettingsPage::Monitoring,
        SettingsPage::QuickSight, SettingsPage::Ui,  SettingsPage::About};
    for (int tab = 0; tab < kSettingsPageCount; ++tab) {
        EXPECT_EQ(PageOfTab(tab), byTab[tab]) << kTabCaptions[tab];
    }
    EXPECT_EQ(PageOfTab(-1), SettingsPage::General);
    EXPECT_EQ(PageOfTab(7), SettingsPage::General);
}

}  // namespace
}  // namespace velmora
