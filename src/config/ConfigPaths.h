// Every element path and attribute name of "Velmora.xml". The names are spelled exactly as the
// files in the field carry them ("StartMinized", "UpadteCheck", "SeverX"): do not correct them.
#pragma once

#include <vector>

namespace velmora {

inline constexpr wchar_t kConfigFileName[] = L"Velmora.xml";

inline constexpr wchar_t kPathRoot[] = L"/Velmora";
inline constexpr wchar_t kPathVersion[] = L"/Velmora/Version";

// General page and the update check.
inline constexpr wchar_t kPathGeneralDlg[] = L"/Velmora/GeneralDlg";
inline constexpr wchar_t kPathStartMinized[] = L"/Velmora/GeneralDlg/StartMinized";
inline constexpr wchar_t kPathUpadteCheck[] = L"/Velmora/GeneralDlg/UpadteCheck";
inline constexpr wchar_t kPathUpadteDay[] = L"/Velmora/GeneralDlg/UpadteDay";
inline constexpr wchar_t kPathUpdateWeek[] = L"/Velmora/GeneralDlg/UpdateWeek";
inline constexpr wchar_t kPathUpadteMonth[] = L"/Velmora/GeneralDlg/UpadteMonth";
// Optional and read only: another update server than the built-in one. The delivered file
// does not carry it, so it is not one of AllConfigKeys().
inline constexpr wchar_t kPathUpdateServer[] = L"/Velmora/GeneralDlg/UpdateServer";

// Monitoring window and page.
inline constexpr wchar_t kPathMonitoringDlg[] = L"/Velmora/MonitoringDlg";
inline constexpr wchar_t kPathRefreshRate[] = L"/Velmora/MonitoringDlg/RefreshRate";
inline constexpr wchar_t kPathBlLogToFile[] = L"/Velmora/MonitoringDlg/blLogToFile";
inline constexpr wchar_t kPathLogToFilePath[] = L"/Velmora/MonitoringDlg/LogToFilePath";
inline constexpr int kSensorCount = 10;
// In sensor index order 0..9.
inline constexpr const wchar_t* kPathSensors[kSensorCount] = {
    L"/Velmora/MonitoringDlg/GPUClock",       L"/Velmora/MonitoringDlg/MemoryClock",
    L"/Velmora/MonitoringDlg/GPUTemperature", L"/Velmora/MonitoringDlg/GPUUsage",
    L"/Velmora/MonitoringDlg/MemoryUsage",    L"/Velmora/MonitoringDlg/GPUVoltage",
    L"/Velmora/MonitoringDlg/FanSpeed",       L"/Velmora/MonitoringDlg/FanTachometer",
    L"/Velmora/MonitoringDlg/PowerTarget",    L"/Velmora/MonitoringDlg/ShaderClock",
};
inline constexpr wchar_t kAttrMax[] = L"Max";
inline constexpr wchar_t kAttrMin[] = L"Min";

// Quick sight page: gauge sources 0..5.
inline constexpr wchar_t kPathQuickSightSettingsDlg[] = L"/Velmora/QuickSightSettingsDlg";
inline constexpr wchar_t kPathQuickSightLeft[] = L"/Velmora/QuickSightSettingsDlg/Left";
inline constexpr wchar_t kPathQuickSightRight[] = L"/Velmora/QuickSightSettingsDlg/Right";

// UI page.
inline constexpr wchar_t kPathUIDlg[] = L"/Velmora/UIDlg";
inline constexpr wchar_t kPathSaveToFilePath[] = L"/Velmora/UIDlg/SaveToFilePath";
inline constexpr wchar_t kElemUiName[] = L"UiName";
inline constexpr wchar_t kPathUiName[] = L"/Velmora/UIDlg/UiName";
inline constexpr wchar_t kPathHotKey[] = L"/Velmora/UIDlg/HotKey";
inline constexpr wchar_t kAttrVirtualKeyCode[] = L"VirtualKeyCode";
inline constexpr wchar_t kAttrModifiers[] = L"Modifiers";

// Fan control.
inline constexpr wchar_t kPathFanDlg[] = L"/Velmora/FanDlg";
inline constexpr wchar_t kPathEnableFan[] = L"/Velmora/FanDlg/EnableFan";
inline constexpr wchar_t kPathAutoSystem[] = L"/Velmora/FanDlg/AutoSystem";
inline constexpr wchar_t kPathUpdateTime[] = L"/Velmora/FanDlg/UpdateTime";
inline constexpr wchar_t kPathFanMap[] = L"/Velmora/FanDlg/FanMap";
inline constexpr int kFanMapPointCount = 8;
// Name stems of the eight points; "Sever" is the seventh.
inline constexpr const wchar_t* kFanMapStems[kFanMapPointCount] = {
    L"One", L"Two", L"Three", L"Four", L"Five", L"Six", L"Sever", L"Eight"};
inline constexpr const wchar_t* kFanMapAttrX[kFanMapPointCount] = {
    L"OneX", L"TwoX", L"ThreeX", L"FourX", L"FiveX", L"SixX", L"SeverX", L"EightX"};
inline constexpr const wchar_t* kFanMapAttrY[kFanMapPointCount] = {
    L"OneY", L"TwoY", L"ThreeY", L"FourY", L"FiveY", L"SixY", L"SeverY", L"EightY"};
inline constexpr wchar_t kAttrBlLine[] = L"blLine";

// Clock settings window: profiles and the manual fan choice.
inline constexpr wchar_t kPathClockSetDlg[] = L"/Velmora/ClockSetDlg";
inline constexpr wchar_t kElemFanManual[] = L"FanManual";
inline constexpr wchar_t kPathFanManual[] = L"/Velmora/ClockSetDlg/FanManual";
inline constexpr int kProfileCount = 4;
// Slots 1..4 at index 0..3.
inline constexpr const wchar_t* kProfileElements[kProfileCount] = {L"One", L"Two", L"Three",
                                                                   L"Last"};
inline constexpr const wchar_t* kPathProfiles[kProfileCount] = {
    L"/Velmora/ClockSetDlg/One", L"/Velmora/ClockSetDlg/Two", L"/Velmora/ClockSetDlg/Three",
    L"/Velmora/ClockSetDlg/Last"};
inline constexpr int kProfileAttrCount = 11;
// In the order a profile is written; the last three only while the voltage window is open.
inline constexpr const wchar_t* kProfileAttrs[kProfileAttrCount] = {
    L"GPUClock", L"MemoryClock", L"FanSpeed",      L"FanType",       L"TDP",        L"GPUTemp",
    L"Link",     L"Prioritize",  L"GPUVoltageMax", L"GPUVoltageMin", L"OverVoltage"};

// LED window: the temperature colour table.
inline constexpr wchar_t kPathLedSetDlg[] = L"/Velmora/LedSetDlg";
inline constexpr int kLedTableSize = 5;
inline constexpr const wchar_t* kPathLedTmp[kLedTableSize] = {
    L"/Velmora/LedSetDlg/TMP0", L"/Velmora/LedSetDlg/TMP1", L"/Velmora/LedSetDlg/TMP2",
    L"/Velmora/LedSetDlg/TMP3", L"/Velmora/LedSetDlg/TMP4"};
inline constexpr wchar_t kAttrNMin[] = L"nMin";
inline constexpr wchar_t kAttrNMax[] = L"nMax";
inline constexpr wchar_t kAttrRgb[] = L"RGB";

// One key of the tree: an element's text (attribute null) or one of its attributes.
struct ConfigKey {
    const wchar_t* path;
    const wchar_t* attribute;
};

// Every key of the tree, sections and keys in file order.
std::vector<ConfigKey> AllConfigKeys();

}  // namespace velmora
