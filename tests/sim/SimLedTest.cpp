#include <vector>

#include "SimFixture.h"

namespace velmora::sim::testing {
namespace {
using namespace nvapi;

class SimLed : public SimTest {
  protected:
    NvStatus Write(const std::vector<uint8_t>& bytes, uint8_t address = kLedControllerAddress,
                   bool extended = false) {
        NvI2cInfoV3 info{};
        info.version = kNvI2cInfoVer3;
        info.displayMask = kNvI2cDisplayMask;
        info.isDdcPort = 1;
        info.deviceAddress = address;
        info.data = bytes.data();
        info.size = static_cast<uint32_t>(bytes.size());
        info.legacySpeed = kNvI2cLegacySpeedDefault;
        info.speed = kNvI2cSpeed400kHz;
        info.portId = 1;
        info.isPortIdSet = 1;
        uint32_t unknown = 0;
        return extended ? nv.i2cWriteEx(gpu, &info, &unknown) : nv.i2cWrite(gpu, &info);
    }
};

TEST_F(SimLed, ValidPacketsSetTheLightAndTheLastOneWins) {
    Start();
    ASSERT_EQ(Write({0x08, 0x00, 0x32, 0x02, 0xFF, 0x00, 0x00, 0xC4}), kNvStatusOk);  // steady red
    const LedState& led = sim.Led(0);
    EXPECT_TRUE(led.lit);
    EXPECT_EQ(led.effect, 0);
    EXPECT_EQ(led.brightness, 50);
    EXPECT_EQ(led.speed, 2);
    EXPECT_EQ(led.colours, (std::vector<uint8_t>{0xFF, 0x00, 0x00}));

    // Breathing with two colours, through the extended write.
    std::vector<uint8_t> two = {0x0B, 0x01, 0x32, 0x08, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF};
    uint8_t sum = 0;
    for (uint8_t b : two) sum = static_cast<uint8_t>(sum + b);
    two.push_back(static_cast<uint8_t>(0xFF - sum));
    ASSERT_EQ(Write(two, kLedControllerAddress, true), kNvStatusOk);
    EXPECT_EQ(led.effect, 1);
    EXPECT_EQ(led.speed, 8);
    EXPECT_EQ(led.colours, (std::vector<uint8_t>{0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(led.validPackets, 2u);
    EXPECT_EQ(led.invalidPackets, 0u);
}

TEST_F(SimLed, MalformedPacketsAreIgnoredButCounted) {
    Start();
    ASSERT_EQ(Write({0x08, 0x01, 0x32, 0x04, 0x00, 0xFF, 0x00, 0xC1}),
              kNvStatusOk);  // presence test
    std::vector<std::vector<uint8_t>> bad = {
        {0x08, 0x00, 0x32, 0x02, 0xFF, 0x00, 0x00, 0xC5},  // checksum off by one
        {0x09, 0x00, 0x32, 0x02, 0xFF, 0x00, 0x00, 0xC3},  // length byte says 9, 8 sent
        {0x07, 0x00, 0x32, 0x02, 0xFF, 0x00, 0xC6},        // a colour cut short
        {0x05, 0x00, 0x32, 0x02, 0xC6},                    // no colour at all
        {0x08, 0x03, 0x32, 0x02, 0xFF, 0x00, 0x00, 0xC1},  // no such effect
        {0x08, 0x00, 0x33, 0x02, 0xFF, 0x00, 0x00, 0xC3},  // brighter than full
        {},
    };
    for (const auto& packet : bad)
        EXPECT_EQ(Write(packet), kNvStatusOk);  // the bytes still went out
    const LedState& led = sim.Led(0);
    EXPECT_EQ(led.invalidPackets, bad.size());
    EXPECT_EQ(led.validPackets, 1u);
    EXPECT_EQ(led.effect, 1);  // still the presence test's green breathing
    EXPECT_EQ(led.colours, (std::vector<uint8_t>{0x00, 0xFF, 0x00}));
}

TEST_F(SimLed, AZeroChecksumIsValid) {
    Start();
    // 0x08 + 0x00 + 0x32 + 0x02 + 0xC3 + 0x00 + 0x00 = 0xFF, so the checksum is 0.
    ASSERT_EQ(Write({0x08, 0x00, 0x32, 0x02, 0xC3, 0x00, 0x00, 0x00}), kNvStatusOk);
    EXPECT_EQ(sim.Led(0).validPackets, 1u);
}

TEST_F(SimLed, NobodyAnswersWithoutAControllerOrAtAnotherAddress) {
    Start("led = 0\n");
    std::vector<uint8_t> red = {0x08, 0x00, 0x32, 0x02, 0xFF, 0x00, 0x00, 0xC4};
    EXPECT_NE(Write(red), kNvStatusOk);
    EXPECT_NE(Write(red, kLedControllerAddress, true), kNvStatusOk);
    EXPECT_EQ(sim.Led(0).validPackets + sim.Led(0).invalidPackets, 0u);

    ASSERT_TRUE(sim.LoadScenarioText("led = 1\n"));
    EXPECT_NE(Write(red, 0xA2), kNvStatusOk);
    EXPECT_EQ(Write(red), kNvStatusOk);
    EXPECT_EQ(sim.Led(0).validPackets, 1u);
}

TEST_F(SimLed, RecordsWithBadFieldsAreRefused) {
    Start();
    NvI2cInfoV3 info{};
    info.version = NvVersionWord(44, 3);  // the 32-bit layout in a 64-bit process
    info.deviceAddress = kLedControllerAddress;
    EXPECT_EQ(nv.i2cWrite(gpu, &info), kNvStatusIncompatibleVersion);
    info.version = kNvI2cInfoVer3;
    info.size = 8;
    info.data = nullptr;
    EXPECT_EQ(nv.i2cWrite(gpu, &info), kNvStatusInvalidArgument);
    EXPECT_EQ(nv.i2cWrite(gpu, nullptr), kNvStatusInvalidArgument);
    EXPECT_EQ(nv.i2cWriteEx(gpu, &info, nullptr), kNvStatusInvalidArgument);
}

}  // namespace
}  // namespace velmora::sim::testing
