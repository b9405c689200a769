// The LED lighting window's rules, Windows-free: what Apply, Default and Cancel do with the
// controls, the temperature indication and the temperature colour table. The card and the
// indication's timer are reached through two small interfaces, so the whole policy runs natively.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lighting/LedPacket.h"

namespace velmora {

// A colour as the window's record and the settings file keep it: red | green << 8 | blue << 16.
using LedColour = uint32_t;

constexpr LedColour MakeLedColour(uint8_t red, uint8_t green, uint8_t blue) {
    return LedColour{red} | LedColour{green} << 8 | LedColour{blue} << 16;
}
constexpr uint8_t LedRed(LedColour c) {
    return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t LedGreen(LedColour c) {
    return static_cast<uint8_t>(c >> 8 & 0xFF);
}
constexpr uint8_t LedBlue(LedColour c) {
    return static_cast<uint8_t>(c >> 16 & 0xFF);
}
// The palettes hold ARGB (alpha in the top byte, blue in the lowest).
constexpr LedColour LedColourFromArgb(uint32_t argb) {
    return MakeLedColour(static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                         static_cast<uint8_t>(argb));
}
constexpr uint32_t ArgbFromLedColour(LedColour c, uint8_t alpha) {
    return uint32_t{alpha} << 24 | uint32_t{LedRed(c)} << 16 | uint32_t{LedGreen(c)} << 8 |
           LedBlue(c);
}

// What the card was last told to show.
enum class LedShown : int32_t {
    Nothing = 0,
    Hot = 1,         // the indication at or above kLedHotC: red
    PstateZero = 2,  // the indication under load: orange
    Other = 3,       // the indication otherwise: green
    Steady = 4,      // applied from the window
    Breathing = 5,
    Cycle = 6,
    TableColour = 7,  // the indication showing the temperature colour table's colour
};

inline constexpr int32_t kLedHotC = 83;
inline constexpr uint32_t kLedIndicationPeriodMs = 1000;
inline constexpr uint32_t kLedTablePeriodMs = 10000;

inline constexpr size_t kLedSlotCount = 10;
inline constexpr int32_t kLedSlotUsed = 1;
inline constexpr int32_t kLedSlotUnused = -1;

// The last effect applied with the window's Apply button, for Cancel.
struct LedStateRecord {
    LedStateRecord() { slotUsed.fill(kLedSlotUnused); }
    uint8_t effect = kLedEffectSteady;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    // The colours in palette order; colourCount of them are meaningful.
    std::array<LedColour, kLedSlotCount> colours{};
    // Per swatch of the palette the colours came from: kLedSlotUsed or kLedSlotUnused.
    std::array<int32_t, kLedSlotCount> slotUsed{};
    uint8_t colourCount = 0;
};

// ---- the window's controls, as plain values ----------------------------------------------------

struct LedRadioView {
    bool checked = false;
    bool enabled = true;
};

struct LedPaletteView {
    static constexpr int kMaxSwatches = 8;
    int count = 0;
    std::array<bool, kMaxSwatches> selected{};
    std::array<uint32_t, kMaxSwatches> argb{};
};

struct LedControls {
    LedRadioView stateDisplay;
    LedRadioView bright;
    LedRadioView breath;
    LedRadioView cycle;
    float brightness = 0;  // 0..100
    float breathingSpeed = 0;
    float cycleSpeed = 0;
    LedPaletteView steady;
    LedPaletteView breathing;
    LedPaletteView cycling;
};

enum class LedRadio { StateDisplay, Bright, Breath, Cycle };
enum class LedPalette { Steady, Breathing, Cycle };

struct LedSwatchChoice {
    int swatch = 0;
    uint32_t argb = 0;
    bool operator==(const LedSwatchChoice&) const = default;
};

// What Cancel does to the controls: clear `palette`'s selection and select `selections`, set
// that effect's slider (the brightness slider or the speed slider) to `sliderValue`, give the
// brightness slider `brightnessBase` as its base colour when there is one, and check `radio`.
struct LedRestoration {
    LedRadio radio = LedRadio::Bright;
    LedPalette palette = LedPalette::Steady;
    std::vector<LedSwatchChoice> selections;
    float sliderValue = 0;
    std::optional<uint32_t> brightnessBase;
};

// The palettes draw every swatch with this alpha; restored colours carry it.
inline constexpr uint8_t kLedSwatchAlpha = 254;

// ---- the temperature colour table ---------------------------------------------------------------

struct LedTableEntry {
    int32_t minC = 0;
    int32_t maxC = 0;
    LedColour colour = 0;
};

struct LedColourTable {
    static constexpr size_t kMaxEntries = 5;
    std::array<LedTableEntry, kMaxEntries> entries{};
    size_t count = 0;
    // The colour of the first entry with minC <= t <= maxC; none when no entry holds t.
    std::optional<LedColour> Lookup(int32_t temperatureC) const;
};

// Where the table comes from (the settings file on Windows).
class LedTableSource {
  public:
    virtual ~LedTableSource() = default;
    virtual bool HasElement(const std::wstring& path) const = 0;
    virtual bool ReadAttribute(const std::wstring& path, const std::wstring& name,
                               std::wstring& out) const = 0;
};

// Each element found becomes the next entry (a missing one leaves no gap); a missing attribute
// reads as 0.
LedColourTable ReadLedColourTable(const LedTableSource& source);

// ---- the card and the indication's timer --------------------------------------------------------

class LedCard {
  public:
    virtual ~LedCard() = default;
    // n colour bytes, red, green, blue per colour; false when the packet did not go out.
    virtual bool WriteLedPacket(const uint8_t* colours, size_t n, uint8_t effect,
                                uint8_t brightness, uint8_t speed) = 0;
    // false when the card gave no reading (never a temperature).
    virtual bool ReadTemperatureC(int32_t& out) = 0;
    virtual bool ReadPstate(int32_t& out) = 0;
};

class LedTimer {
  public:
    virtual ~LedTimer() = default;
    virtual void Start(uint32_t periodMs) = 0;
    virtual void Stop() = 0;
};

// ---- the rules ------------------------------------------------------------------------------

class LedLighting {
  public:
    LedLighting(LedCard& card, LedTimer& indicationTimer);
    LedLighting(const LedLighting&) = delete;
    LedLighting& operator=(const LedLighting&) = delete;

    void SetColourTable(const LedColourTable& table) { table_ = table; }
    const LedColourTable& ColourTable() const { return table_; }

    // Apply (and Default, once it has checked State display): the checked effect goes to the
    // card and becomes the applied state, or the temperature indication starts (with one table
    // lookup and one step at once, so the card shows it without waiting for the timers).
    void ApplyLed(const LedControls& controls);
    // One tick of the indication's timer.
    void IndicationStep();
    // One tick of the table's timer: a new table colour restarts the indication while State
    // display is checked.
    void TableStep(const LedControls& controls);
    // Cancel: the controls as they were last applied; none when nothing was applied with a
    // colour (right after opening, after the indication, after breathing with no colour).
    std::optional<LedRestoration> CancelRestoration() const;

    bool IndicationRunning() const { return indicationRunning_; }
    LedShown LastShown() const { return lastShown_; }
    const LedStateRecord& AppliedState() const { return applied_; }
    std::optional<LedColour> TableColour() const { return tableColour_; }

  private:
    void Apply(const LedControls& controls, std::optional<int32_t> knownTemperatureC);
    void StartIndication(std::optional<int32_t> knownTemperatureC);
    void ShowIndication(int32_t temperatureC);

    LedCard& card_;
    LedTimer& timer_;
    LedColourTable table_;
    LedStateRecord applied_;
    bool indicationRunning_ = false;
    LedShown lastShown_ = LedShown::Nothing;
    LedColour lastShownColour_ = 0;
    std::optional<LedColour> tableColour_;
    std::optional<LedColour> lastTableColour_;
};

}  // namespace velmora
