#include "lighting/LedPacket.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct PacketCase {
    const char* name;
    Bytes colours;
    uint8_t effect;
    uint8_t brightness;
    uint8_t speed;
    Bytes expected;
};

class LedPacketBytes : public testing::TestWithParam<PacketCase> {};

TEST_P(LedPacketBytes, FramesAndChecksums) {
    const PacketCase& c = GetParam();
    const Bytes packet =
        BuildLedPacket(c.colours.data(), c.colours.size(), c.effect, c.brightness, c.speed);
    EXPECT_EQ(packet, c.expected);
    // The controller checks that the whole packet sums to 0xFF.
    EXPECT_EQ(std::accumulate(packet.begin(), packet.end(), 0u) % 256u, 0xFFu);
}

INSTANTIATE_TEST_SUITE_P(
    Packets, LedPacketBytes,
    testing::Values(PacketCase{"SteadyRedFull",
                               {0xFF, 0, 0},
                               0,
                               50,
                               2,
                               {0x08, 0x00, 0x32, 0x02, 0xFF, 0x00, 0x00, 0xC4}},
                    PacketCase{"PresenceTest",
                               {0, 0xFF, 0},
                               1,
                               50,
                               4,
                               {0x08, 0x01, 0x32, 0x04, 0x00, 0xFF, 0x00, 0xC1}},
                    // 8 + 0 + 0 + 0 + 0xF7 = 0xFF before the checksum.
                    PacketCase{"ZeroChecksum",
                               {0xF7, 0, 0},
                               0,
                               0,
                               0,
                               {0x08, 0x00, 0x00, 0x00, 0xF7, 0x00, 0x00, 0x00}},
                    PacketCase{"BreathingTwoColours",
                               {0xFF, 0x3C, 0x00, 0x00, 0xFF, 0x00},
                               1,
                               50,
                               4,
                               {0x0B, 0x01, 0x32, 0x04, 0xFF, 0x3C, 0x00, 0x00, 0xFF, 0x00, 0x83}}),
    [](const testing::TestParamInfo<PacketCase>& info) { return std::string(info.param.name); });

TEST(LedPacket, RefusesWhatCannotBeFramed) {
    const Bytes four(4, 1);
    EXPECT_TRUE(BuildLedPacket(four.data(), 4, 0, 50, 2).empty()) << "not whole colours";
    const Bytes many(252, 1);
    EXPECT_TRUE(BuildLedPacket(many.data(), many.size(), 0, 50, 2).empty())
        << "length byte would overflow";
    EXPECT_TRUE(BuildLedPacket(nullptr, 3, 0, 50, 2).empty());
}

TEST(LedPacket, LongestPacketStillFitsItsLengthByte) {
    const Bytes colours(kLedMaxColourBytes, 0x10);
    const Bytes packet = BuildLedPacket(colours.data(), colours.size(), 2, 50, 16);
    ASSERT_EQ(packet.size(), 254u);
    EXPECT_EQ(packet[0], 254);
}

}  // namespace
