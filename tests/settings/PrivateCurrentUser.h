// The current user's registry for this process only: a fresh key of its own stands in for
// HKEY_CURRENT_USER, so the tests never touch the shared prefix's Run key.
#pragma once

#include <windows.h>

#include <string>

#include "settings/Autostart.h"

namespace velmora::testing {

// This test program's own file: what the start-with-Windows entry names.
inline std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

class PrivateCurrentUser {
  public:
    PrivateCurrentUser() {
        name_ = L"Software\\VelmoraTests\\CurrentUser-" + std::to_wstring(GetCurrentProcessId());
        RegCreateKeyExW(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &root_, nullptr);
        overridden_ = root_ && RegOverridePredefKey(HKEY_CURRENT_USER, root_) == ERROR_SUCCESS;
    }
    ~PrivateCurrentUser() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (root_) RegCloseKey(root_);
        RegDeleteTreeW(HKEY_CURRENT_USER, name_.c_str());
    }
    bool Ready() const { return overridden_; }
    bool CreateRunKey() {
        HKEY key = nullptr;
        const bool ok = RegCreateKeyExW(root_, kRunKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                        &key, nullptr) == ERROR_SUCCESS;
        if (key) RegCloseKey(key);
        return ok;
    }
    bool RunKeyExists() const {
        HKEY key = nullptr;
        const bool ok = RegOpenKeyExW(root_, kRunKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (key) RegCloseKey(key);
        return ok;
    }
    void SetValue(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        RegSetKeyValueW(root_, kRunKeyPath, name, type, data, bytes);
    }
    void SetText(const wchar_t* name, const std::wstring& text) {
        SetValue(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    }
    // "<missing>" when there is no such value; the type is kept in `type`.
    std::wstring Text(const wchar_t* name, DWORD* type = nullptr) const {
        wchar_t data[1024] = {};
        DWORD bytes = sizeof data - sizeof(wchar_t);
        DWORD t = 0;
        if (RegGetValueW(root_, kRunKeyPath, name, RRF_RT_ANY | RRF_NOEXPAND, &t, data, &bytes) !=
            ERROR_SUCCESS) {
            return L"<missing>";
        }
        if (type) *type = t;
        return data;
    }

  private:
    std::wstring name_;
    HKEY root_ = nullptr;
    bool overridden_ = false;
};

}  // namespace velmora::testing
