#include "settings/Autostart.h"

#include <windows.h>

#include "win32/Handles.h"
#include "win32/ProgramFolder.h"

namespace velmora {
namespace {

// The value as text; false when it is missing or not a string.
bool ReadRunValue(HKEY key, std::wstring& out) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, kRunValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &got) != ERROR_SUCCESS) {
        return false;
    }
    // The stored data may or may not carry its terminating zero.
    text.resize(got / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    out = std::move(text);
    return true;
}

}  // namespace

std::wstring AutostartValueFor(const std::wstring& programPath) {
    return L"\"" + programPath + L"\"";
}

bool AutostartValueNames(const std::wstring& stored, const std::wstring& programPath) {
    if (programPath.empty()) return false;
    return stored == programPath || stored == AutostartValueFor(programPath);
}

bool AutostartValueNamesFile(const std::wstring& stored, const std::wstring& programPath) {
    if (programPath.empty()) return false;
    auto sameIgnoringCase = [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                    static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
    };
    return sameIgnoringCase(stored, programPath) ||
           sameIgnoringCase(stored, AutostartValueFor(programPath));
}

bool AutostartPointsHere() {
    RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_QUERY_VALUE, key.Out()) !=
        ERROR_SUCCESS) {
        return false;
    }
    std::wstring stored;
    return ReadRunValue(key.Get(), stored) && AutostartValueNames(stored, ProgramFile());
}

void SetAutostart(bool on) {
    RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0,
                      KEY_QUERY_VALUE | KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                      key.Out()) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring path = ProgramFile();
    if (!on) {
        // Another copy's entry (a portable one, another installation) is that copy's business.
        std::wstring stored;
        if (ReadRunValue(key.Get(), stored) && AutostartValueNamesFile(stored, path)) {
            RegDeleteValueW(key.Get(), kRunValueName);
        }
        return;
    }
    if (path.empty()) return;
    const std::wstring value = AutostartValueFor(path);
    RegSetValueExW(key.Get(), kRunValueName, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace velmora
