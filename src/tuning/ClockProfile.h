// The tuning values of the clock settings window and its voltage window as plain data, and
// their form in the "ClockSetDlg" section of "Velmora.xml": the profiles "One", "Two", "Three"
// and "Last". Windows-free: the windows copy their controls into ClockControls and back, and
// the file access only moves the attribute texts made here.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// A value slider as the windows hold it: SetRange puts the value at the new minimum (a range
// with max < min is ignored), SetPos clamps into the range.
struct SliderState {
    float minimum = 0;
    float maximum = 100;
    float value = 0;
    bool enabled = true;

    void SetRange(float lo, float hi) {
        if (hi < lo) return;
        minimum = lo;
        maximum = hi;
        value = lo;
    }
    void SetPos(float v) { value = v <= minimum ? minimum : v >= maximum ? maximum : v; }
    // The value as the label shows it and the file stores it: truncated towards zero.
    int32_t Whole() const;
};

// The fan-mode buttons of the clock window (one group).
enum class FanModeButton { Automatic, Manual, UserDefined };

// Everything the clock window's controls (and, while it is open, the voltage window's) hold.
struct ClockControls {
    SliderState gpuOffset;
    SliderState memoryOffset;
    SliderState fanSpeed;
    SliderState powerTarget;
    SliderState temperatureTarget;
    FanModeButton fanMode = FanModeButton::Automatic;
    bool link = true;
    bool prioritize = false;

    bool voltageWindowOpen = false;
    SliderState voltageMin;   // absolute minimum core voltage, mV
    SliderState overVoltage;  // over-voltage delta, mV
    bool overVoltageOn = false;
};

// What the clock window last wrote to the card; cancel puts these back into the controls.
struct AppliedSettings {
    int32_t gpuClockOffset = 0;
    int32_t memoryClockOffset = 0;
    int32_t fanSpeed = 0;
    int32_t fanMode = 0;  // 0 automatic, 1 manual, 2 user-defined
    int32_t powerTarget = 0;
    int32_t temperatureTarget = 0;
    float voltageMin = 0;
    float voltageMax = 0;
};

// "FanType" of a profile.
inline constexpr int32_t kFanTypeAutomatic = 1;
inline constexpr int32_t kFanTypeManual = 2;
inline constexpr int32_t kFanTypeUserDefined = 3;

// One profile as stored; a field the element lacks is empty.
struct ClockProfile {
    std::optional<int32_t> gpuClockOffset;
    std::optional<int32_t> memoryClockOffset;
    std::optional<int32_t> fanSpeed;
    std::optional<int32_t> fanType;
    std::optional<int32_t> powerTarget;
    std::optional<int32_t> temperatureTarget;
    std::optional<bool> link;
    std::optional<bool> prioritize;
    std::optional<int32_t> voltageMax;
    std::optional<int32_t> voltageMin;
    std::optional<bool> overVoltage;
};

// Slots 1..3 are the user's profiles, 4 the last applied settings.
inline constexpr int kProfileSlotLast = 4;
inline bool IsProfileSlot(int slot) {
    return slot >= 1 && slot <= kProfileSlotLast;
}

// The profile the controls hold now; the voltage fields only while the voltage window is open.
ClockProfile ProfileFromControls(const ClockControls& controls);

// Puts the fields present into the controls: sliders through their clamping setter, a
// "FanType" other than 1..3 changes nothing, the voltage fields only while the voltage window
// is open. Nothing else changes.
void LoadProfileInto(const ClockProfile& profile, ClockControls& controls);

// The attributes of a profile in the order they are written, as text; absent fields are left
// out.
std::vector<std::pair<std::wstring, std::wstring>> EncodeProfile(const ClockProfile& profile);

// Reads a profile by attribute name; readAttribute returns false when the attribute is
// missing.
ClockProfile DecodeProfile(
    const std::function<bool(const wchar_t* name, std::wstring& text)>& readAttribute);

// Which fan-mode button the window selects when it opens: 0 automatic, 1 user-defined (the
// fan curve), 2 manual. enableFan and fanManual are the texts of "/Velmora/FanDlg/EnableFan"
// and "/Velmora/ClockSetDlg/FanManual", null when missing.
int FanModeFromConfig(int32_t fanControlState, const std::wstring* enableFan,
                      const std::wstring* fanManual);

}  // namespace velmora
