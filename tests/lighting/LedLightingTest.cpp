// The LED window's rules on a recording card: the packets Apply, Default and the timers send,
// what Cancel brings back, and the temperature colour table.
#include "lighting/LedLighting.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/ConfigPaths.h"
#include "lighting/LedPacket.h"
#include "win32/Color.h"

namespace velmora {
namespace {

using Bytes = std::vector<uint8_t>;

// Keeps every packet as the controller would receive it.
struct RecordingCard : LedCard {
    bool WriteLedPacket(const uint8_t* colours, size_t n, uint8_t effect, uint8_t brightness,
                        uint8_t speed) override {
        ++writes;
        if (writeFails) return false;
        packets.push_back(BuildLedPacket(colours, n, effect, brightness, speed));
        return true;
    }
    bool ReadTemperatureC(int32_t& out) override {
        ++temperatureReads;
        if (!temperatureC) return false;
        out = *temperatureC;
        return true;
    }
    bool ReadPstate(int32_t& out) override {
        if (!pstate) return false;
        out = *pstate;
        return true;
    }
    std::vector<Bytes> packets;
    int writes = 0;
    int temperatureReads = 0;
    bool writeFails = false;
    std::optional<int32_t> temperatureC = 50;
    std::optional<int32_t> pstate = 8;
};

struct RecordingTimer : LedTimer {
    void Start(uint32_t periodMs) override {
        running = true;
        period = periodMs;
    }
    void Stop() override { running = false; }
    bool running = false;
    uint32_t period = 0;
};

// A packet's fields, for comparisons that name what is wrong.
struct Packet {
    uint8_t length, effect, brightness, speed;
    Bytes colours;
    bool operator==(const Packet&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Packet& p) {
    os << "{len " << int(p.length) << " effect " << int(p.effect) << " brightness "
       << int(p.brightness) << " speed " << int(p.speed) << " colours";
    for (uint8_t b : p.colours) os << ' ' << int(b);
    return os << '}';
}
Packet Fields(const Bytes& b) {
    if (b.size() < kLedPacketOverhead) return {};
    return {b[0], b[1], b[2], b[3], Bytes(b.begin() + 4, b.end() - 1)};
}
Packet Expected(uint8_t effect, uint8_t brightness, uint8_t speed, Bytes colours) {
    return {static_cast<uint8_t>(colours.size() + kLedPacketOverhead), effect, brightness, speed,
            colours};
}

const Bytes kRed{255, 0, 0}, kOrange{255, 60, 0}, kGreen{0, 255, 0};

// The palettes' seven standard colours.
constexpr uint32_t kStandard[7] = {
    Argb(254, 255, 0, 0),   Argb(254, 255, 127, 0), Argb(254, 255, 255, 0), Argb(254, 0, 255, 0),
    Argb(254, 0, 255, 255), Argb(254, 0, 0, 255),   Argb(254, 139, 0, 255),
};

LedPaletteView Palette(int count, std::initializer_list<int> selected) {
    LedPaletteView p;
    p.count = count;
    for (int i = 0; i < 7; ++i) p.argb[static_cast<size_t>(i)] = kStandard[i];
    if (count == 8) p.argb[7] = Argb(255, 10, 20, 30);
    for (int i : selected) p.selected[static_cast<size_t>(i)] = true;
    return p;
}

// The controls as the window sets them up when it opens.
LedControls Opened() {
    LedControls c;
    c.stateDisplay.checked = true;
    c.brightness = 50;
    c.breathingSpeed = 2;
    c.cycleSpeed = 2;
    c.steady = Palette(8, {3});
    c.breathing = Palette(7, {3});
    c.cycling = Palette(7, {3});
    return c;
}

void Check(LedControls& c, LedRadio radio) {
    c.stateDisplay.checked = radio == LedRadio::StateDisplay;
    c.bright.checked = radio == LedRadio::Bright;
    c.breath.checked = radio == LedRadio::Breath;
    c.cycle.checked = radio == LedRadio::Cycle;
}

class LedRules : public testing::Test {
  protected:
    Packet Last() const { return card.packets.empty() ? Packet{} : Fields(card.packets.back()); }
    void Apply(LedRadio radio) {
        Check(controls, radio);
        lighting.ApplyLed(controls);
    }
    // Default: State display checked, then applied.
    void Default() { Apply(LedRadio::StateDisplay); }

    RecordingCard card;
    RecordingTimer timer;
    LedLighting lighting{card, timer};
    LedControls controls = Opened();
};

// ---- the temperature indication ---------------------------------------------------------------

struct IndicationCase {
    const char* name;
    int32_t temperatureC;
    int32_t pstate;
    LedShown shown;
    Packet packet;
};

class Indication : public LedRules, public testing::WithParamInterface<IndicationCase> {};

TEST_P(Indication, ShowsTheTemperatureAndLoad) {
    const IndicationCase& c = GetParam();
    card.temperatureC = c.temperatureC;
    card.pstate = c.pstate;
    Default();
    ASSERT_EQ(card.packets.size(), 1u) << "Default shows the indication at once";
    EXPECT_EQ(Last(), c.packet);
    EXPECT_EQ(lighting.LastShown(), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    States, Indication,
    testing::Values(
        IndicationCase{"HotAtExactly83", 83, 0, LedShown::Hot, Expected(1, 50, 2, kRed)},
        IndicationCase{"HotWhateverThePstate", 95, 8, LedShown::Hot, Expected(1, 50, 2, kRed)},
        IndicationCase{"LoadAt82", 82, 0, LedShown::PstateZero, Expected(1, 50, 4, kOrange)},
        IndicationCase{"IdleAt82", 82, 8, LedShown::Other, Expected(1, 50, 4, kGreen)},
        IndicationCase{"OtherPstate", 40, 2, LedShown::Other, Expected(1, 50, 4, kGreen)}),
    [](const testing::TestParamInfo<IndicationCase>& info) {
        return std::string(info.param.name);
    });

TEST_F(LedRules, IndicationWritesTheCardOncePerChange) {
    card.temperatureC = 60;
    card.pstate = 0;
    Default();
    EXPECT_TRUE(timer.running);
    EXPECT_EQ(timer.period, 1000u);
    lighting.IndicationStep();
    lighting.IndicationStep();
    EXPECT_EQ(card.writes, 1) << "equal seconds write the card once";
    card.pstate = 8;
    lighting.IndicationStep();
    EXPECT_EQ(Last(), Expected(1, 50, 4, kGreen));
    card.temperatureC = 83;
    lighting.IndicationStep();
    lighting.IndicationStep();
    EXPECT_EQ(Last(), Expected(1, 50, 2, kRed));
    card.temperatureC = 82;
    lighting.IndicationStep();
    EXPECT_EQ(Last(), Expected(1, 50, 4, kGreen));
    EXPECT_EQ(card.writes, 4);
}

TEST_F(LedRules, FailedReadingsSendNothing) {
    card.temperatureC = 90;
    Default();
    ASSERT_EQ(card.writes, 1);
    // No reading is no temperature: it must not turn the warning into "cool".
    card.temperatureC.reset();
    lighting.IndicationStep();
    EXPECT_EQ(card.writes, 1);
    card.temperatureC = 50;
    card.pstate.reset();
    lighting.IndicationStep();
    EXPECT_EQ(card.writes, 1) << "no P-state, no guess at one";
    EXPECT_EQ(lighting.LastShown(), LedShown::Hot);

    // Default while the card gives no temperature: the indication runs and shows nothing yet.
    card.packets.clear();
    card.temperatureC.reset();
    Default();
    EXPECT_TRUE(lighting.IndicationRunning());
    EXPECT_TRUE(card.packets.empty());
}

TEST_F(LedRules, AWriteThatFailedIsTriedAgainAtTheNextTick) {
    card.temperatureC = 50;
    card.writeFails = true;
    Default();
    EXPECT_EQ(lighting.LastShown(), LedShown::Nothing);
    card.writeFails = false;
    lighting.IndicationStep();
    EXPECT_EQ(Last(), Expected(1, 50, 4, kGreen));
}

TEST_F(LedRules, BrightStopsTheIndicationAndDefaultStartsItAgain) {
    card.temperatureC = 50;
    Default();
    ASSERT_TRUE(timer.running);
    Apply(LedRadio::Bright);
    EXPECT_FALSE(timer.running);
    EXPECT_FALSE(lighting.IndicationRunning());
    EXPECT_EQ(lighting.LastShown(), LedShown::Steady);
    // A tick that was already queued changes nothing.
    const int writes = card.writes;
    card.temperatureC = 90;
    lighting.IndicationStep();
    EXPECT_EQ(card.writes, writes);

    Default();
    EXPECT_TRUE(timer.running);
    EXPECT_EQ(Last(), Expected(1, 50, 2, kRed))
        << "shown at once, though the state was seen before";

    for (LedRadio other : {LedRadio::Breath, LedRadio::Cycle}) {
        Default();
        Apply(other);
        EXPECT_FALSE(timer.running);
    }
}

// ---- applying an effect -----------------------------------------------------------------------

struct BrightnessCase {
    float slider;
    uint8_t sent;
};

class SteadyBrightness : public LedRules, public testing::WithParamInterface<BrightnessCase> {};

TEST_P(SteadyBrightness, IsTheSliderScaledToFiftyAndTruncated) {
    controls.brightness = GetParam().slider;
    Apply(LedRadio::Bright);
    EXPECT_EQ(Last(), Expected(0, GetParam().sent, 2, kGreen));
}

INSTANTIATE_TEST_SUITE_P(Slider, SteadyBrightness,
                         testing::Values(BrightnessCase{35, 17}, BrightnessCase{100, 50},
                                         BrightnessCase{0, 0}, BrightnessCase{1, 0},
                                         BrightnessCase{99, 49}));

TEST_F(LedRules, SteadySendsTheSelectedSwatch) {
    controls.steady = Palette(8, {0});
    controls.brightness = 100;
    Apply(LedRadio::Bright);
    ASSERT_EQ(card.packets.size(), 1u);
    EXPECT_EQ(card.packets[0], (Bytes{0x08, 0x00, 0x32, 0x02, 0xFF, 0x00, 0x00, 0xC4}));

    controls.steady = Palette(8, {7});  // the custom colour
    Apply(LedRadio::Bright);
    EXPECT_EQ(Last().colours, (Bytes{10, 20, 30}));
    EXPECT_EQ(lighting.AppliedState().slotUsed[7], kLedSlotUsed);
}

TEST_F(LedRules, BreathingAndCycleSendTheSelectedSwatchesInPaletteOrder) {
    controls.breathing = Palette(7, {5, 1});
    controls.breathingSpeed = 7.9f;
    Apply(LedRadio::Breath);
    ASSERT_EQ(card.packets.size(), 1u);
    EXPECT_EQ(card.packets[0][0], 0x0B) << "two colours: an 11-byte packet";
    EXPECT_EQ(Last(), Expected(1, 50, 7, (Bytes{255, 127, 0, 0, 0, 255})));
    EXPECT_EQ(lighting.LastShown(), LedShown::Breathing);

    controls.cycling = Palette(7, {0, 2, 6});
    controls.cycleSpeed = 16;
    Apply(LedRadio::Cycle);
    EXPECT_EQ(Last(), Expected(2, 50, 16, (Bytes{255, 0, 0, 255, 255, 0, 139, 0, 255})));
    EXPECT_EQ(lighting.LastShown(), LedShown::Cycle);
}

TEST_F(LedRules, BreathingWithNoSwatchSendsAPacketWithoutColour) {
    controls.breathing = Palette(7, {});
    controls.breathingSpeed = 3;
    Apply(LedRadio::Breath);
    ASSERT_EQ(card.packets.size(), 1u);
    EXPECT_EQ(card.packets[0].size(), 5u);
    EXPECT_EQ(card.packets[0][0], 5);
    EXPECT_EQ(Last(), Expected(1, 50, 3, {}));
}

// ---- Cancel -----------------------------------------------------------------------------------

TEST_F(LedRules, CancelHasNothingToRestoreUntilAnEffectWithColoursWasApplied) {
    EXPECT_FALSE(lighting.CancelRestoration()) << "right after opening";
    Default();
    EXPECT_FALSE(lighting.CancelRestoration()) << "the indication";
    controls.breathing = Palette(7, {});
    Apply(LedRadio::Breath);
    EXPECT_FALSE(lighting.CancelRestoration()) << "breathing without colours";
    controls.breathing = Palette(7, {2});
    Apply(LedRadio::Breath);
    ASSERT_TRUE(lighting.CancelRestoration());
    Default();
    EXPECT_FALSE(lighting.CancelRestoration()) << "the indication replaced it";
}

TEST_F(LedRules, CancelAfterBreathingRestoresItsSelectionAndSpeed) {
    controls.breathing = Palette(7, {1, 4, 6});
    controls.breathingSpeed = 9;
    Apply(LedRadio::Breath);
    const std::optional<LedRestoration> r = lighting.CancelRestoration();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->radio, LedRadio::Breath);
    EXPECT_EQ(r->palette, LedPalette::Breathing);
    EXPECT_EQ(r->selections, (std::vector<LedSwatchChoice>{
                                 {1, kStandard[1]}, {4, kStandard[4]}, {6, kStandard[6]}}));
    EXPECT_EQ(r->sliderValue, 9);
    EXPECT_FALSE(r->brightnessBase);

    controls.cycling = Palette(7, {0});
    controls.cycleSpeed = 12;
    Apply(LedRadio::Cycle);
    const std::optional<LedRestoration> cycle = lighting.CancelRestoration();
    ASSERT_TRUE(cycle);
    EXPECT_EQ(cycle->radio, LedRadio::Cycle);
    EXPECT_EQ(cycle->palette, LedPalette::Cycle);
    EXPECT_EQ(cycle->selections, (std::vector<LedSwatchChoice>{{0, kStandard[0]}}));
    EXPECT_EQ(cycle->sliderValue, 12);
}

TEST_F(LedRules, CancelAfterSteadyRestoresSwatchBrightnessAndBaseColour) {
    controls.steady = Palette(8, {5});
    controls.brightness = 35;
    Apply(LedRadio::Bright);
    const std::optional<LedRestoration> r = lighting.CancelRestoration();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->radio, LedRadio::Bright);
    EXPECT_EQ(r->palette, LedPalette::Steady);
    EXPECT_EQ(r->selections, (std::vector<LedSwatchChoice>{{5, kStandard[5]}}));
    EXPECT_EQ(r->sliderValue, 34) << "17 of 50 sent, back on the 0..100 slider";
    EXPECT_EQ(r->brightnessBase, kStandard[5]);
}

TEST_F(LedRules, AFailedApplyLeavesTheAppliedStateAsItWas) {
    controls.breathing = Palette(7, {2});
    controls.breathingSpeed = 5;
    Apply(LedRadio::Breath);
    card.writeFails = true;
    controls.cycling = Palette(7, {0, 1});
    Apply(LedRadio::Cycle);
    EXPECT_EQ(lighting.LastShown(), LedShown::Breathing);
    const std::optional<LedRestoration> r = lighting.CancelRestoration();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->radio, LedRadio::Breath);
    EXPECT_EQ(r->selections, (std::vector<LedSwatchChoice>{{2, kStandard[2]}}));
}

// ---- the temperature colour table ---------------------------------------------------------------

struct MapSource : LedTableSource {
    using Attributes = std::map<std::wstring, std::wstring>;
    bool HasElement(const std::wstring& path) const override { return elements.count(path) > 0; }
    bool ReadAttribute(const std::wstring& path, const std::wstring& name,
                       std::wstring& out) const override {
        const auto e = elements.find(path);
        if (e == elements.end()) return false;
        const auto a = e->second.find(name);
        if (a == e->second.end()) return false;
        out = a->second;
        return true;
    }
    std::map<std::wstring, Attributes> elements;
};

TEST(LedColourTableFile, MissingElementsLeaveNoGapAndMissingAttributesReadZero) {
    MapSource source;
    source.elements[kPathLedTmp[0]] = {{L"nMin", L"0"}, {L"nMax", L"39"}, {L"RGB", L"65280"}};
    source.elements[kPathLedTmp[2]] = {{L"nMax", L"69"}, {L"RGB", L"33023"}};
    source.elements[kPathLedTmp[4]] = {{L"nMin", L"80x"}, {L"nMax", L"150"}};
    source.elements[L"/Velmora/LedSetDlg/TMP5"] = {{L"nMin", L"1"}};  // beyond the table
    const LedColourTable table = ReadLedColourTable(source);
    ASSERT_EQ(table.count, 3u);
    EXPECT_EQ(table.entries[0].minC, 0);
    EXPECT_EQ(table.entries[0].maxC, 39);
    EXPECT_EQ(table.entries[0].colour, MakeLedColour(0, 255, 0));
    EXPECT_EQ(table.entries[1].minC, 0);
    EXPECT_EQ(table.entries[1].maxC, 69);
    EXPECT_EQ(table.entries[1].colour, MakeLedColour(255, 128, 0));
    EXPECT_EQ(table.entries[2].minC, 80);
    EXPECT_EQ(table.entries[2].maxC, 150);
    EXPECT_EQ(table.entries[2].colour, 0u);
    EXPECT_EQ(ReadLedColourTable(MapSource{}).count, 0u);
}

TEST(LedColourTableLookup, FirstEntryHoldingTheTemperatureWins) {
    LedColourTable t;
    t.entries[0] = {40, 59, 1};
    t.entries[1] = {50, 70, 2};
    t.entries[2] = {0, 100, 3};  // beyond count: not part of the table
    t.count = 2;
    EXPECT_EQ(t.Lookup(40), 1u);
    EXPECT_EQ(t.Lookup(59), 1u);
    EXPECT_EQ(t.Lookup(60), 2u);
    EXPECT_EQ(t.Lookup(70), 2u);
    EXPECT_FALSE(t.Lookup(39));
    EXPECT_FALSE(t.Lookup(71));
}

class TableRules : public LedRules {
  protected:
    void SetUp() override {
        LedColourTable t;
        t.entries[0] = {40, 59, 255};        // red, as the delivered file spells it
        t.entries[1] = {60, 79, 33023};      // orange
        t.entries[2] = {80, 150, 0xFF0000};  // blue
        t.count = 3;
        lighting.SetColourTable(t);
    }
};

TEST_F(TableRules, TheTableColourIsShownSteady) {
    card.temperatureC = 50;
    card.pstate = 0;
    Default();
    EXPECT_EQ(Last(), Expected(0, 50, 2, kRed));
    EXPECT_EQ(lighting.LastShown(), LedShown::TableColour);
    lighting.IndicationStep();
    EXPECT_EQ(card.writes, 1);
    // The ten-second lookup finds another colour: the card follows.
    card.temperatureC = 65;
    lighting.TableStep(controls);
    EXPECT_EQ(Last(), Expected(0, 50, 2, (Bytes{255, 128, 0})));
    EXPECT_TRUE(timer.running);
}

TEST_F(TableRules, ATemperatureOutsideTheTableClearsItsColour) {
    card.temperatureC = 50;
    card.pstate = 8;
    Default();
    ASSERT_EQ(Last(), Expected(0, 50, 2, kRed));
    card.temperatureC = 30;
    lighting.TableStep(controls);
    EXPECT_FALSE(lighting.TableColour());
    EXPECT_EQ(Last(), Expected(1, 50, 4, kGreen)) << "back to the P-state colours";
    EXPECT_TRUE(timer.running);
}

TEST_F(TableRules, TheWarningOverridesTheTable) {
    card.temperatureC = 90;
    Default();
    EXPECT_EQ(lighting.TableColour(), 0xFF0000u);
    EXPECT_EQ(Last(), Expected(1, 50, 2, kRed));
    // Still within the same entry: the lookup changes nothing, the next second shows it.
    card.temperatureC = 82;
    lighting.TableStep(controls);
    EXPECT_EQ(Last(), Expected(1, 50, 2, kRed));
    lighting.IndicationStep();
    EXPECT_EQ(Last(), Expected(0, 50, 2, (Bytes{0, 0, 255})));
    card.temperatureC = 83;
    lighting.IndicationStep();
    EXPECT_EQ(Last(), Expected(1, 50, 2, kRed));
}

TEST_F(TableRules, TheTableTimerStartsTheIndicationWhileStateDisplayIsChecked) {
    // The window opens with State display checked and nothing applied.
    card.temperatureC = 45;
    lighting.TableStep(controls);
    EXPECT_TRUE(timer.running);
    EXPECT_EQ(Last(), Expected(0, 50, 2, kRed));
    // The same colour again: no restart, no write.
    timer.running = false;
    lighting.TableStep(controls);
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(card.writes, 1);
}

TEST_F(TableRules, WithAnotherEffectCheckedTheTableTimerLeavesTheCardAlone) {
    controls.breathing = Palette(7, {0});
    Apply(LedRadio::Breath);
    const int reads = card.temperatureReads;
    card.temperatureC = 65;
    lighting.TableStep(controls);
    EXPECT_EQ(card.writes, 1);
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(card.temperatureReads, reads) << "nothing would use the lookup";
    // State display checked but not applied: a new colour applies it, as Default would.
    Check(controls, LedRadio::StateDisplay);
    lighting.TableStep(controls);
    EXPECT_TRUE(timer.running);
    EXPECT_EQ(Last(), Expected(0, 50, 2, (Bytes{255, 128, 0})));
}

TEST_F(TableRules, FailedReadingInTheTableStepChangesNothing) {
    card.temperatureC = 50;
    Default();
    card.temperatureC.reset();
    lighting.TableStep(controls);
    EXPECT_EQ(lighting.TableColour(), 255u) << "no reading is not 'outside the table'";
    EXPECT_EQ(card.writes, 1);
}

}  // namespace
}  // namespace velmora
