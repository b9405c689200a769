#include "lighting/LedLighting.h"

#include <algorithm>

#include "config/ConfigPaths.h"
#include "config/ConfigValues.h"

namespace velmora {
namespace {

constexpr size_t kBytesPerColour = 3;
// The steady effect always runs at the controller's slowest speed.
constexpr uint8_t kSteadySpeed = 2;
constexpr uint8_t kHotSpeed = 2;
constexpr uint8_t kIndicationSpeed = 4;
constexpr uint8_t kTableColourSpeed = 2;
constexpr int32_t kLoadPstate = 0;
constexpr LedColour kHotColour = MakeLedColour(255, 0, 0);
constexpr LedColour kLoadColour = MakeLedColour(255, 60, 0);
constexpr LedColour kIdleColour = MakeLedColour(0, 255, 0);
// The brightness slider runs 0..100; the controller takes 0..kLedBrightnessFull.
constexpr int kBrightnessSliderFull = 100;
constexpr uint8_t kSpeedMax = 255;

static_assert(LedColourTable::kMaxEntries == kLedTableSize);
static_assert(LedPaletteView::kMaxSwatches <= static_cast<int>(kLedSlotCount));

// Truncated towards zero, kept within 0..maximum.
uint8_t TruncToByte(double value, uint8_t maximum) {
    if (!(value > 0)) return 0;  // also NaN
    if (value >= maximum) return maximum;
    return static_cast<uint8_t>(value);
}

bool Send(LedCard& card, const LedColour* colours, size_t count, uint8_t effect, uint8_t brightness,
          uint8_t speed) {
    std::array<uint8_t, kLedSlotCount * kBytesPerColour> bytes{};
    count = std::min(count, kLedSlotCount);
    for (size_t k = 0; k < count; ++k) {
        bytes[kBytesPerColour * k] = LedRed(colours[k]);
        bytes[kBytesPerColour * k + 1] = LedGreen(colours[k]);
        bytes[kBytesPerColour * k + 2] = LedBlue(colours[k]);
    }
    return card.WriteLedPacket(bytes.data(), kBytesPerColour * count, effect, brightness, speed);
}

bool Checked(const LedRadioView& radio) {
    return radio.checked && radio.enabled;
}

int SwatchCount(const LedPaletteView& palette) {
    return std::clamp(palette.count, 0, LedPaletteView::kMaxSwatches);
}

// Every selected swatch, in swatch order.
LedStateRecord RecordFromPalette(const LedPaletteView& palette, uint8_t effect, uint8_t speed) {
    LedStateRecord r;
    r.effect = effect;
    r.brightness = kLedBrightnessFull;
    r.speed = speed;
    for (int i = 0; i < SwatchCount(palette); ++i) {
        const size_t s = static_cast<size_t>(i);
        if (!palette.selected[s]) continue;
        r.colours[r.colourCount++] = LedColourFromArgb(palette.argb[s]);
        r.slotUsed[s] = kLedSlotUsed;
    }
    return r;
}

// The first selected swatch; swatch 0's colour, and no slot, when none is selected.
LedStateRecord SteadyRecord(const LedPaletteView& palette, float brightnessSlider) {
    LedStateRecord r;
    r.effect = kLedEffectSteady;
    r.brightness = TruncToByte(
        double(brightnessSlider) * kLedBrightnessFull / kBrightnessSliderFull, kLedBrightnessFull);
    r.speed = kSteadySpeed;
    r.colourCount = 1;
    r.colours[0] = LedColourFromArgb(palette.argb[0]);
    for (int i = 0; i < SwatchCount(palette); ++i) {
        const size_t s = static_cast<size_t>(i);
        if (!palette.selected[s]) continue;
        r.colours[0] = LedColourFromArgb(palette.argb[s]);
        r.slotUsed[s] = kLedSlotUsed;
        break;
    }
    return r;
}

}  // namespace

std::optional<LedColour> LedColourTable::Lookup(int32_t temperatureC) const {
    for (size_t i = 0; i < std::min(count, kMaxEntries); ++i) {
        if (entries[i].minC <= temperatureC && temperatureC <= entries[i].maxC) {
            return entries[i].colour;
        }
    }
    return std::nullopt;
}

LedColourTable ReadLedColourTable(const LedTableSource& source) {
    LedColourTable table;
    for (const wchar_t* path : kPathLedTmp) {
        if (!source.HasElement(path)) continue;
        LedTableEntry& e = table.entries[table.count++];
        std::wstring text;
        if (source.ReadAttribute(path, kAttrNMin, text)) e.minC = ParseConfigInt(text);
        if (source.ReadAttribute(path, kAttrNMax, text)) e.maxC = ParseConfigInt(text);
        if (source.ReadAttribute(path, kAttrRgb, text)) {
            e.colour = static_cast<LedColour>(ParseConfigInt(text));
        }
    }
    return table;
}

LedLighting::LedLighting(LedCard& card, LedTimer& indicationTimer)
    : card_(card), timer_(indicationTimer) {}

void LedLighting::ApplyLed(const LedControls& controls) {
    Apply(controls, std::nullopt);
}

void LedLighting::Apply(const LedControls& c, std::optional<int32_t> knownTemperatureC) {
    timer_.Stop();
    indicationRunning_ = false;
    if (Checked(c.stateDisplay)) {
        // The indication has no colours of its own for Cancel to bring back.
        applied_.slotUsed.fill(kLedSlotUnused);
        StartIndication(knownTemperatureC);
        return;
    }
    LedStateRecord next;
    LedShown shown;
    if (Checked(c.bright)) {
        next = SteadyRecord(c.steady, c.brightness);
        shown = LedShown::Steady;
    } else if (Checked(c.breath)) {
        next = RecordFromPalette(c.breathing, kLedEffectBreathing,
                                 TruncToByte(c.breathingSpeed, kSpeedMax));
        shown = LedShown::Breathing;
    } else if (Checked(c.cycle)) {
        next = RecordFromPalette(c.cycling, kLedEffectColourCycle,
                                 TruncToByte(c.cycleSpeed, kSpeedMax));
        shown = LedShown::Cycle;
    } else {
        applied_.slotUsed.fill(kLedSlotUnused);
        return;
    }
    // A packet that did not go out changes nothing: the card still shows what it showed, and
    // Cancel still brings back what was applied before.
    if (!Send(card_, next.colours.data(), next.colourCount, next.effect, next.brightness,
              next.speed)) {
        return;
    }
    applied_ = next;
    lastShown_ = shown;
    lastShownColour_ = next.colourCount > 0 ? next.colours[0] : 0;
}

void LedLighting::StartIndication(std::optional<int32_t> knownTemperatureC) {
    timer_.Start(kLedIndicationPeriodMs);
    indicationRunning_ = true;
    int32_t t = 0;
    if (knownTemperatureC) {
        t = *knownTemperatureC;
    } else {
        if (!card_.ReadTemperatureC(t)) return;
        // The table's colour at once, not at its next tick up to ten seconds later.
        tableColour_ = table_.Lookup(t);
        lastTableColour_ = tableColour_;
    }
    ShowIndication(t);
}

void LedLighting::IndicationStep() {
    // A tick already queued when the timer stopped finds the indication over.
    if (!indicationRunning_) return;
    int32_t t = 0;
    if (!card_.ReadTemperatureC(t)) return;  // no reading is no temperature, not 0 degrees
    ShowIndication(t);
}

void LedLighting::ShowIndication(int32_t t) {
    LedShown state;
    LedColour colour;
    uint8_t effect = kLedEffectBreathing;
    uint8_t speed = kIndicationSpeed;
    if (t >= kLedHotC) {
        // The warning wins over every table colour.
        state = LedShown::Hot;
        colour = kHotColour;
        speed = kHotSpeed;
    } else if (tableColour_) {
        state = LedShown::TableColour;
        colour = *tableColour_;
        effect = kLedEffectSteady;
        speed = kTableColourSpeed;
    } else {
        int32_t pstate = 0;
        if (!card_.ReadPstate(pstate)) return;
        state = pstate == kLoadPstate ? LedShown::PstateZero : LedShown::Other;
        colour = pstate == kLoadPstate ? kLoadColour : kIdleColour;
    }
    // The card is written once per change, not every second.
    if (state == lastShown_ && colour == lastShownColour_) return;
    // A write that failed is tried again at the next tick.
    if (!Send(card_, &colour, 1, effect, kLedBrightnessFull, speed)) return;
    lastShown_ = state;
    lastShownColour_ = colour;
}

void LedLighting::TableStep(const LedControls& c) {
    // Only the State display choice or a running indication use the lookup.
    if (!c.stateDisplay.checked && !indicationRunning_) return;
    int32_t t = 0;
    if (!card_.ReadTemperatureC(t)) return;
    tableColour_ = table_.Lookup(t);
    if (c.stateDisplay.checked && tableColour_ != lastTableColour_) {
        lastTableColour_ = tableColour_;
        Apply(c, t);
    }
}

std::optional<LedRestoration> LedLighting::CancelRestoration() const {
    const auto& used = applied_.slotUsed;
    const auto first = std::find(used.begin(), used.end(), kLedSlotUsed);
    if (first == used.end()) return std::nullopt;

    LedRestoration r;
    if (applied_.effect == kLedEffectSteady) {
        const uint32_t argb = ArgbFromLedColour(applied_.colours[0], kLedSwatchAlpha);
        r.radio = LedRadio::Bright;
        r.palette = LedPalette::Steady;
        r.selections.push_back({static_cast<int>(first - used.begin()), argb});
        r.sliderValue =
            static_cast<float>(applied_.brightness * kBrightnessSliderFull / kLedBrightnessFull);
        r.brightnessBase = argb;
        return r;
    }
    const bool breathing = applied_.effect == kLedEffectBreathing;
    r.radio = breathing ? LedRadio::Breath : LedRadio::Cycle;
    r.palette = breathing ? LedPalette::Breathing : LedPalette::Cycle;
    r.sliderValue = applied_.speed;
    // Each stored colour goes back to the next used slot's swatch.
    size_t slot = 0;
    for (size_t k = 0; k < applied_.colourCount; ++k, ++slot) {
        while (slot < kLedSlotCount && used[slot] != kLedSlotUsed) ++slot;
        if (slot == kLedSlotCount) break;
        r.selections.push_back(
            {static_cast<int>(slot), ArgbFromLedColour(applied_.colours[k], kLedSwatchAlpha)});
    }
    return r;
}

}  // namespace velmora
