#include "tuning/ClockProfileConfig.h"

#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"

namespace velmora {

std::unique_ptr<ConfigFile> ClockSettingsFile::Access() const {
    return path_.empty() ? std::make_unique<ConfigFile>() : std::make_unique<ConfigFile>(path_);
}

bool ClockSettingsFile::LoadProfile(int slot, ClockProfile& out) const {
    if (!IsProfileSlot(slot)) return false;
    const auto file = Access();
    const wchar_t* path = kPathProfiles[slot - 1];
    if (!file->Open() || !file->HasElement(path)) return false;
    out = DecodeProfile([&](const wchar_t* name, std::wstring& text) {
        return file->ReadAttribute(path, name, text);
    });
    return true;
}

bool ClockSettingsFile::SaveProfile(int slot, const ClockProfile& profile) const {
    if (!IsProfileSlot(slot)) return false;
    const auto file = Access();
    if (!file->Open()) return false;
    const wchar_t* path = kPathProfiles[slot - 1];
    if (!file->HasElement(path) &&
        !file->AppendElement(kPathClockSetDlg, kProfileElements[slot - 1])) {
        return false;
    }
    for (const auto& [name, value] : EncodeProfile(profile)) {
        file->WriteAttribute(path, name, value);  // one that fails is skipped alone
    }
    return file->Save();
}

bool ClockSettingsFile::SetFanManual(bool manual) const {
    const auto file = Access();
    if (!file->Open()) return false;
    if (!file->HasElement(kPathFanManual) &&
        !file->AppendElement(kPathClockSetDlg, kElemFanManual)) {
        return false;
    }
    return file->WriteText(kPathFanManual, manual ? L"1" : L"0") && file->Save();
}

bool ClockSettingsFile::ClearFanAutoStart() const {
    const auto file = Access();
    if (!file->Open()) return false;
    return file->WriteText(kPathAutoSystem, L"0") && file->Save();
}

int ClockSettingsFile::GetFanMode(int32_t fanControlState) const {
    const auto file = Access();
    if (!file->Open()) return 0;
    std::wstring enableFan, fanManual;
    const bool haveEnableFan = file->ReadText(kPathEnableFan, enableFan);
    const bool haveFanManual = file->ReadText(kPathFanManual, fanManual);
    return FanModeFromConfig(fanControlState, haveEnableFan ? &enableFan : nullptr,
                             haveFanManual ? &fanManual : nullptr);
}

}  // namespace velmora
