// The GPU picker's items: numbered by the GPU's place in the table, nameless GPUs left out,
// and each item standing for its own GPU.
#include "info/GpuPicker.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(GpuPicker, ItemsStandForTheirOwnGpuWhenANamelessOneIsLeftOut) {
    const GpuPickerItems items = MakeGpuPickerItems({L"", L"GeForce A", L"GeForce B"});
    EXPECT_EQ(items.texts, (std::vector<std::wstring>{L"2.GeForce A", L"3.GeForce B"}));
    EXPECT_EQ(items.gpus, (std::vector<int32_t>{1, 2}));
    // The last item is the third GPU, not the second.
    EXPECT_EQ(items.gpus.back(), 2);
    EXPECT_EQ(items.ItemOf(2), 1);
    EXPECT_EQ(items.ItemOf(0), -1);
}

TEST(GpuPicker, OneGpuShowsItsBareNameAndNoneShowsNothing) {
    const struct {
        std::vector<std::wstring> names;
        std::vector<std::wstring> texts;
    } cases[] = {
        {{L"GeForce GTX 1060 6GB"}, {L"GeForce GTX 1060 6GB"}},
        {{L""}, {}},
        {{}, {}},
        {{L"A", L"B"}, {L"1.A", L"2.B"}},
        {{L"A", L""}, {L"1.A"}},
    };
    for (const auto& c : cases) {
        const GpuPickerItems items = MakeGpuPickerItems(c.names);
        EXPECT_EQ(items.texts, c.texts);
        EXPECT_EQ(items.gpus.size(), items.texts.size());
    }
}

}  // namespace
}  // namespace velmora
