// The "ClockSetDlg" section of "Velmora.xml" and the one "FanDlg" flag the clock window
// writes: each operation is one access to the file of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tuning/ClockProfile.h"

namespace velmora {

class ConfigFile;

class ClockSettingsFile {
  public:
    // The program's "Velmora.xml".
    ClockSettingsFile() = default;
    // Another file, for tests.
    explicit ClockSettingsFile(std::wstring path) : path_(std::move(path)) {}

    // The slot's profile (1..3 "One".."Three", 4 "Last"); false, with `out` untouched, when
    // the file, the element or the slot is not there.
    bool LoadProfile(int slot, ClockProfile& out) const;
    // Writes the profile's attributes in their order into the slot's element, creating the
    // element as the section's last child when it is missing; never creates the file or the
    // section. Attributes the profile lacks stay in the file as they were.
    bool SaveProfile(int slot, const ClockProfile& profile) const;
    // "FanManual" to "1" or "0", created in the section when missing.
    bool SetFanManual(bool manual) const;
    // "/Velmora/FanDlg/AutoSystem" to "0" when it is there.
    bool ClearFanAutoStart() const;
    // 0 automatic, 1 user-defined, 2 manual; 0 when the file cannot be read.
    int GetFanMode(int32_t fanControlState) const;

  private:
    std::unique_ptr<ConfigFile> Access() const;
    std::wstring path_;
};

}  // namespace velmora
