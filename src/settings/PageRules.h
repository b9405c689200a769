// The settings pages' rules that need no window: the Monitoring page's graph table and its
// "at least four" correction, the Quick Sight page's sources, the UI page's skin list, the
// About page's addresses and which page each tab shows. Windows-free.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "monitoring/MonitorSlots.h"

namespace velmora {

// ---- Monitoring page ------------------------------------------------------------------------

// The list's rows, in sensor order.
inline constexpr const wchar_t* kGraphRowTexts[kMonitorSensorCount] = {
    L"GPU clock",   L"Memory clock", L"GPU temperature", L"GPU usage",    L"Memory usage",
    L"GPU voltage", L"Fan speed",    L"Fan tachometer",  L"Power Target", L"Shader clock"};

// The monitoring window shows four graphs: fewer checked rows are topped up.
inline constexpr int kMinimumGraphs = 4;
// A scale bound as the file holds it has at most this many characters.
inline constexpr size_t kLimitTextMaxChars = 9;

using GraphChecks = std::array<bool, kMonitorSensorCount>;

// Checks unchecked rows in sensor order until four are checked. True when there were fewer
// than four (the page then tells the user).
bool TopUpToMinimumGraphs(GraphChecks& checked);

// A bound as typed, cut to what the record holds.
std::wstring LimitText(std::wstring_view typed);

// ---- Quick Sight page -----------------------------------------------------------------------

inline constexpr int kGaugeSourceCount = 6;
using SourceChecks = std::array<bool, kGaugeSourceCount>;

// The source a side's checked radio button stands for: memory clock, fan speed, GPU load,
// TDP and GPU voltage in that order of precedence, else the GPU clock (also with none checked).
int GaugeSourceFromChecks(const SourceChecks& checked);

// The source a stored value names, or -1 when it names none (outside 0..5).
int GaugeSourceFromStored(int32_t stored);

// ---- UI page ----------------------------------------------------------------------------------

inline constexpr int kSkinCount = 3;
inline constexpr const wchar_t* kSkinNames[kSkinCount] = {L"Ostrid", L"Norvane", L"Talwyn"};

// The list entry "UiName" selects: "Norvane" 1, "Talwyn" 2, anything else (empty too) 0.
int SkinIndexFromName(std::wstring_view uiName);

// The pack file of a skin name: the name followed by ".dll".
std::wstring SkinPackFileOf(std::wstring_view skinName);

// Whether OK switches the windows to `chosen`: not when nothing is chosen or when the pack in
// use already carries that name.
bool SkinSwitchNeeded(std::wstring_view currentPackFile, std::wstring_view chosen);

// ---- About page -------------------------------------------------------------------------------

// Only web addresses are handed to the browser; anything else (a placeholder the maker has not
// filled in yet) opens nothing.
bool IsWebAddress(std::wstring_view address);

// ---- The settings window -----------------------------------------------------------------------

// Pages in the order they are created and saved; tabs show them in another order.
enum class SettingsPage : int { General, Fan, Monitoring, QuickSight, Bios, Ui, About };
inline constexpr int kSettingsPageCount = 7;
inline constexpr const wchar_t* kTabCaptions[kSettingsPageCount] = {
    L"General", L"Fan", L"BIOS", L"Monitoring", L"Quick Sight Settings", L"UI", L"About"};

// The page a tab shows (tab order General, Fan, BIOS, Monitoring, Quick Sight, UI, About).
SettingsPage PageOfTab(int tabIndex);

}  // namespace velmora
