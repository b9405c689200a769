// The memo of drawn pixels: a copy only where drawing again would give the very same pixels.
#include <gtest/gtest.h>

#include <random>

#include "toolkit/PixelMemo.h"

namespace velmora {
namespace {

struct Canvas {
    Canvas(int w, int h, uint32_t fill) : pixels(size_t(w) * h, fill), width(w), height(h) {}
    FrameView View() { return FrameView{pixels.data(), width, height}; }
    uint32_t& At(int x, int y) { return pixels[size_t(y) * width + x]; }
    std::vector<uint32_t> pixels;
    int width, height;
};

// A drawing whose result depends on its key and on the pixels under it, like a blend.
void Blend(Canvas& c, const MemoBox& box, uint32_t key) {
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            c.At(x, y) = c.At(x, y) / 2 + key * 2654435761u + uint32_t(x * 31 + y);
}

MemoKey KeyOf(uint32_t k) {
    MemoKey key;
    key.Add('B').Add(k);
    return key;
}

TEST(PixelMemo, CopiesOnlyTheSameDrawingOntoTheSamePixels) {
    const MemoBox box{2, 3, 9, 7};
    struct Case {
        const char* what;
        uint32_t secondKey;
        MemoBox secondBox;
        bool changePixelsBetween;
        bool copied;
    };
    const Case cases[] = {
        {"same key, same box, same pixels", 7, box, false, true},
        {"another key", 8, box, false, false},
        {"another box", 7, MemoBox{3, 3, 10, 7}, false, false},
        {"a pixel under the box changed", 7, box, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas memoCanvas(16, 12, 0x11223344), plainCanvas(16, 12, 0x11223344);
        PixelMemo memo(1 << 20);
        int draws = 0;
        memo.Run(memoCanvas.View(), box, KeyOf(7).Bytes(), [&] {
            ++draws;
            Blend(memoCanvas, box, 7);
        });
        Blend(plainCanvas, box, 7);
        // The next composition starts from the same background again, or from a changed one.
        memoCanvas.pixels.assign(memoCanvas.pixels.size(), 0x11223344);
        plainCanvas.pixels.assign(plainCanvas.pixels.size(), 0x11223344);
        if (c.changePixelsBetween) memoCanvas.At(4, 5) = plainCanvas.At(4, 5) = 0xDEADBEEF;
        memo.Run(memoCanvas.View(), c.secondBox, KeyOf(c.secondKey).Bytes(), [&] {
            ++draws;
            Blend(memoCanvas, c.secondBox, c.secondKey);
        });
        Blend(plainCanvas, c.secondBox, c.secondKey);
        EXPECT_EQ(draws, c.copied ? 1 : 2);
        EXPECT_EQ(memo.Hits(), c.copied ? 1u : 0u);
        EXPECT_EQ(memoCanvas.pixels, plainCanvas.pixels);
    }
}

TEST(PixelMemo, ABoxOutsideTheFrameIsAlwaysDrawnAndNeverHeld) {
    const MemoBox outside[] = {{-1, 0, 4, 4}, {0, -1, 4, 4}, {10, 0, 17, 4},
                               {0, 8, 4, 13}, {3, 3, 3, 6},  {5, 5, 4, 6}};
    for (const MemoBox& box : outside) {
        Canvas canvas(16, 12, 0);
        PixelMemo memo(1 << 20);
        int draws = 0;
        for (int i = 0; i < 2; ++i) memo.Run(canvas.View(), box, "k", [&] { ++draws; });
        EXPECT_EQ(draws, 2);
        EXPECT_EQ(memo.Entries(), 0u);
    }
}

TEST(PixelMemo, StaysWithinItsBudgetDroppingTheLeastRecentlyUsed) {
    Canvas canvas(64, 64, 0x01020304);
    const MemoBox a{0, 0, 10, 10}, b{10, 0, 20, 10}, c{20, 0, 30, 10};
    PixelMemo memo(2 * 2 * 100);  // two entries of 10 x 10, before and after
    int draws = 0;
    auto run = [&](const MemoBox& box) { memo.Run(canvas.View(), box, "k", [&] { ++draws; }); };
    run(a);
    run(b);
    run(a);  // a is now the more recent
    EXPECT_EQ(draws, 2);
    run(c);  // b goes
    EXPECT_EQ(memo.Entries(), 2u);
    EXPECT_LE(memo.HeldPixels(), 400u);
    run(a);
    EXPECT_EQ(draws, 3);
    run(b);
    EXPECT_EQ(draws, 4);
    // An entry larger than the whole budget is still kept while it is the only one.
    PixelMemo tiny(10);
    tiny.Run(canvas.View(), a, "k", [] {});
    EXPECT_EQ(tiny.Entries(), 1u);
    memo.Clear();
    EXPECT_EQ(memo.HeldPixels(), 0u);
}

// Any sequence of drawings, backgrounds and evictions: the frame through the memo is the frame
// drawn every time.
TEST(PixelMemo, RandomCompositionsMatchDrawingEveryTime) {
    std::mt19937 rng(12345);
    Canvas memoCanvas(40, 30, 0), plainCanvas(40, 30, 0);
    PixelMemo memo(3 * 2 * 64);
    const MemoBox boxes[] = {{0, 0, 8, 8}, {4, 4, 12, 12}, {30, 20, 38, 28}, {10, 0, 18, 8}};
    for (int step = 0; step < 2000; ++step) {
        if (rng() % 2 == 0) {  // a new composition: the background, sometimes a changed one
            const uint32_t fill = rng() % 2;
            memoCanvas.pixels.assign(memoCanvas.pixels.size(), fill);
            plainCanvas.pixels.assign(plainCanvas.pixels.size(), fill);
        }
        const MemoBox& box = boxes[rng() % 4];
        const uint32_t key = rng() % 3;
        memo.Run(memoCanvas.View(), box, KeyOf(key).Bytes(), [&] { Blend(memoCanvas, box, key); });
        Blend(plainCanvas, box, key);
        ASSERT_EQ(memoCanvas.pixels, plainCanvas.pixels) << "step " << step;
    }
    EXPECT_GT(memo.Hits(), 50u);  // the copies were exercised, not only the draws
}

TEST(MemoKey, TextsOfEqualBytesButDifferentLengthsDiffer) {
    MemoKey a, b;
    a.Add(std::wstring_view(L"ab")).Add(std::wstring_view(L"c"));
    b.Add(std::wstring_view(L"a")).Add(std::wstring_view(L"bc"));
    EXPECT_NE(a.Bytes(), b.Bytes());
    a.Clear();
    EXPECT_TRUE(a.Bytes().empty());
}

}  // namespace
}  // namespace velmora
