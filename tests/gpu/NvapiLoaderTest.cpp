// The loader takes the driver library from the system directory only.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "gpu/NvapiLoader.h"

namespace {

constexpr nvapi::NvStatus kPlantedMarker = 12345;  // see PlantedNvapi.cpp

std::wstring Folder(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) {
        c = static_cast<wchar_t>(towlower(c));
    }
    return s;
}

TEST(NvapiLoader, NeverTakesTheCopyBesideTheProgramOrInTheCurrentFolder) {
    wchar_t exe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    const std::wstring exeFolder = Folder(exe);
    ASSERT_NE(GetFileAttributesW((exeFolder + L"\\nvapi64.dll").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the planted copy must sit beside the test";
    ASSERT_TRUE(SetCurrentDirectoryW(exeFolder.c_str()));

    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    const bool driverInstalled =
        GetFileAttributesW((std::wstring(system) + L"\\nvapi64.dll").c_str()) !=
        INVALID_FILE_ATTRIBUTES;

    nvapi::NvapiEntries entries;
    const bool loaded = LoadNvapiEntries(entries);
    EXPECT_EQ(loaded, driverInstalled);
    if (!loaded) {
        EXPECT_FALSE(entries.initialize.present());
        EXPECT_EQ(GetModuleHandleW(L"nvapi64.dll"), nullptr);
        return;
    }
    HMODULE module = GetModuleHandleW(L"nvapi64.dll");
    ASSERT_NE(module, nullptr);
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(module, path, MAX_PATH), 0u);
    EXPECT_EQ(Lower(Folder(path)), Lower(system));
    ASSERT_TRUE(entries.initialize.present());
    EXPECT_NE(entries.initialize(), kPlantedMarker);
}

}  // namespace
