#include "app/SkinStyle.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(SkinStyle, StartupFallsBackToOstridForAnyOtherName) {
    const struct {
        const wchar_t* configured;
        const wchar_t* used;
        SkinKind kind;
    } cases[] = {
        {L"Norvane.dll", L"Norvane.dll", SkinKind::Norvane},
        {L"Talwyn.dll", L"Talwyn.dll", SkinKind::Talwyn},
        {L"Ostrid.dll", L"Ostrid.dll", SkinKind::Ostrid},
        {L"", L"Ostrid.dll", SkinKind::Ostrid},
        {L".dll", L"Ostrid.dll", SkinKind::Ostrid},  // an empty "UiName"
        {L"norvane.dll", L"Ostrid.dll", SkinKind::Ostrid},
        {L"Chrome.dll", L"Ostrid.dll", SkinKind::Ostrid},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PackFileAtStartup(c.configured), c.used);
        EXPECT_EQ(SkinKindAtStartup(c.configured), c.kind);
    }
}

TEST(SkinStyle, EachSkinHasItsOwnGaugeAndGraphColours) {
    EXPECT_EQ(ColorsOf(SkinKind::Norvane).gaugeBar, Argb(254, 4, 155, 242));
    EXPECT_EQ(ColorsOf(SkinKind::Talwyn).gaugeBar, Argb(254, 255, 191, 0));
    EXPECT_EQ(ColorsOf(SkinKind::Ostrid).gaugeBar, Argb(254, 255, 0, 0));
    EXPECT_EQ(ColorsOf(SkinKind::Ostrid).graphFill, Argb(204, 200, 0, 0));
    EXPECT_EQ(SkinKindOfPack(L"Norvane"), SkinKind::Ostrid);  // a switch needs the file name
    EXPECT_EQ(SkinKindOfPack(L"Talwyn.dll"), SkinKind::Talwyn);
}

}  // namespace
}  // namespace velmora
