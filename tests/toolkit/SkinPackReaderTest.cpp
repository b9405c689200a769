#include "toolkit/SkinPackReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "PackWriter.h"

namespace velmora {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
    std::vector<uint8_t> out;
    for (int b : v) out.push_back(static_cast<uint8_t>(b));
    return out;
}

std::vector<uint8_t> TwoPicturePack() {
    PackWriter w;
    w.Add(u"main_close.png", Bytes({1, 2, 3}));
    w.Add(u"main.png", Bytes({9, 8, 7, 6}));
    return w.Build();
}

// Position of entry i's 80 bytes in a built pack.
size_t EntryPos(const std::vector<uint8_t>& pack, size_t i) {
    return pack.size() - skinpack::kFooterBytes - skinpack::kEntryBytes * (i + 1);
}

void Put64(std::vector<uint8_t>& pack, size_t at, int64_t v) {
    for (int k = 0; k < 8; ++k)
        pack[at + k] = static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * k));
}

void PutCount(std::vector<uint8_t>& pack, int32_t n) {
    const size_t at = pack.size() - skinpack::kFooterBytes;
    for (int k = 0; k < 4; ++k)
        pack[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(n) >> (8 * k));
}

TEST(SkinPackReader, FindsEntriesByExactNameAndReadsTheirBytes) {
    const auto pack = TwoPicturePack();
    SkinPackReader r;
    ASSERT_TRUE(r.OpenBytes(pack.data(), pack.size()));
    ASSERT_EQ(r.Directory().size(), 2u);
    EXPECT_EQ(r.Directory()[0].Name(), u"main_close.png");
    std::vector<uint8_t> out;
    ASSERT_TRUE(r.GetImageBytes(u"main.png", out));
    EXPECT_EQ(out, Bytes({9, 8, 7, 6}));
    ASSERT_TRUE(r.GetImageBytes(u"main_close.png", out));
    EXPECT_EQ(out, Bytes({1, 2, 3}));

    struct Miss {
        const char16_t* name;
    } misses[] = {{u"Main.png"}, {u"MAIN_CLOSE.PNG"}, {u"main"}, {u"main.png "}, {u""}};
    for (const auto& m : misses) {
        EXPECT_FALSE(r.GetImageBytes(m.name, out));
        EXPECT_TRUE(out.empty());
    }
}

TEST(SkinPackReader, DirectoryIsStoredBackToFront) {
    // Entry 0 sits right before the count: its name is at the known position.
    const auto pack = TwoPicturePack();
    const size_t at = EntryPos(pack, 0);
    EXPECT_EQ(pack[at], 'm');
    EXPECT_EQ(pack[at + 2 * 4], '_');                 // "main_close.png"
    EXPECT_EQ(pack[EntryPos(pack, 1) + 2 * 4], '.');  // "main.png"
}

TEST(SkinPackReader, OpensAPackFileFromDisk) {
    const auto pack = TwoPicturePack();
    const auto path = std::filesystem::temp_directory_path() / "velmora_reader_test.dll";
    {
        std::ofstream f(path, std::ios::binary);
        f.write(reinterpret_cast<const char*>(pack.data()),
                static_cast<std::streamsize>(pack.size()));
    }
    SkinPackReader r;
    ASSERT_TRUE(r.Open(path));
    std::vector<uint8_t> out;
    EXPECT_TRUE(r.GetImageBytes(u"main.png", out));
    r.Close();
    EXPECT_FALSE(r.IsOpen());
    EXPECT_FALSE(r.GetImageBytes(u"main.png", out));
    std::filesystem::remove(path);
    EXPECT_FALSE(r.Open(path));
}

TEST(SkinPackReader, RejectsWrongTrailers) {
    const auto good = TwoPicturePack();
    struct Case {
        const char* what;
        size_t fromEnd;  // byte counted from the end
        uint8_t value;
    } cases[] = {
        {"final zero replaced", 1, 'x'},
        {"first letter", 9, 'T'},
        {"last letter", 2, 'N'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto pack = good;
        pack[pack.size() - c.fromEnd] = c.value;
        SkinPackReader r;
        EXPECT_FALSE(r.OpenBytes(pack.data(), pack.size()));
        EXPECT_TRUE(r.Directory().empty());
    }
    // "tessarin" as the last 8 bytes with no zero after it.
    auto noZero = good;
    noZero.pop_back();
    SkinPackReader r;
    EXPECT_FALSE(r.OpenBytes(noZero.data(), noZero.size()));
}

TEST(SkinPackReader, EmptyPackOpensAndFindsNothing) {
    const auto pack = PackWriter().Build();
    ASSERT_EQ(pack.size(), 13u);
    SkinPackReader r;
    ASSERT_TRUE(r.OpenBytes(pack.data(), pack.size()));
    std::vector<uint8_t> out;
    EXPECT_FALSE(r.GetImageBytes(u"main.png", out));
}

TEST(SkinPackReader, DuplicateNamesLowerIndexWins) {
    PackWriter w;
    w.Add(u"eye.png", Bytes({1}));
    w.Add(u"eye.png", Bytes({2, 2}));
    const auto pack = w.Build();
    SkinPackReader r;
    ASSERT_TRUE(r.OpenBytes(pack.data(), pack.size()));
    std::vector<uint8_t> out;
    ASSERT_TRUE(r.GetImageBytes(u"eye.png", out));
    EXPECT_EQ(out, Bytes({1}));
}

TEST(SkinPackReader, SizeZeroIsMissingEvenWhenTheNameMatches) {
    PackWriter w;
    w.Add(u"empty.png", {});
    w.Add(u"empty.png", Bytes({5}));  // a later entry is not consulted
    const auto pack = w.Build();
    SkinPackReader r;
    ASSERT_TRUE(r.OpenBytes(pack.data(), pack.size()));
    std::vector<uint8_t> out;
    EXPECT_FALSE(r.GetImageBytes(u"empty.png", out));
}

TEST(SkinPackReader, RejectsPacksTooShortOrWithImpossibleCounts) {
    const auto good = TwoPicturePack();
    for (size_t len : {0u, 1u, 9u, 12u}) {
        SCOPED_TRACE(len);
        std::vector<uint8_t> tiny(good.end() - static_cast<long>(std::min(len, good.size())),
                                  good.end());
        SkinPackReader r;
        EXPECT_FALSE(r.OpenBytes(tiny.data(), tiny.size()));
    }
    for (int32_t n : {-1, -2147483647 - 1, 3, 1000, 2147483647}) {
        SCOPED_TRACE(n);
        auto pack = good;
        PutCount(pack, n);
        SkinPackReader r;
        EXPECT_FALSE(r.OpenBytes(pack.data(), pack.size()));
    }
}

TEST(SkinPackReader, EntriesOutsideTheFileAreLeftOut) {
    const auto good = TwoPicturePack();
    struct Case {
        const char* what;
        int64_t offset, size;
    } cases[] = {
        {"negative offset", -1, 3},
        {"negative size", 0, -3},
        {"past the end", static_cast<int64_t>(good.size()), 1},
        {"runs off the end", static_cast<int64_t>(good.size()) - 2, 3},
        {"huge size", 0, INT64_MAX},
        {"huge offset", INT64_MAX, 1},
        {"size over 4 GiB", 0, int64_t(1) << 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto pack = good;
        Put64(pack, EntryPos(pack, 0) + skinpack::kOffsetField, c.offset);
        Put64(pack, EntryPos(pack, 0) + skinpack::kSizeField, c.size);
        SkinPackReader r;
        ASSERT_TRUE(r.OpenBytes(pack.data(), pack.size()));
        std::vector<uint8_t> out;
        EXPECT_FALSE(r.GetImageBytes(u"main_close.png", out));
        EXPECT_TRUE(r.GetImageBytes(u"main.png", out));  // the sound entry still reads
    }
}

TEST(SkinPackReader, NameWithoutTerminatingZeroUsesAll32Units) {
    const std::u16string full(32, u'a');
    const auto pack = [] {
        PackWriter w;
        w.Add(u"x", Bytes({4, 4}));
        return w.Build();
    }();
    auto patched = pack;
    const size_t at = EntryPos(patched, 0);
    for (size_t u = 0; u < 32; ++u) {
        patched[at + 2 * u] = 'a';
        patched[at + 2 * u + 1] = 0;
    }
    SkinPackReader r;
    ASSERT_TRUE(r.OpenBytes(patched.data(), patched.size()));
    EXPECT_EQ(r.Directory()[0].Name(), full);
    std::vector<uint8_t> out;
    EXPECT_TRUE(r.GetImageBytes(full, out));
    EXPECT_FALSE(r.GetImageBytes(full + u"a", out));
    EXPECT_FALSE(r.GetImageBytes(full.substr(0, 31), out));
}

TEST(PackWriter, RefusesNamesThatCannotKeepTheirZero) {
    PackWriter w;
    EXPECT_TRUE(w.Add(std::u16string(31, u'n'), {}));
    EXPECT_FALSE(w.Add(std::u16string(32, u'n'), {}));
    EXPECT_FALSE(w.Add(u"", {}));
}

}  // namespace
}  // namespace velmora
