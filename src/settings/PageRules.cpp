#include "settings/PageRules.h"

namespace velmora {

bool TopUpToMinimumGraphs(GraphChecks& checked) {
    int count = 0;
    for (bool c : checked) count += c ? 1 : 0;
    if (count >= kMinimumGraphs) return false;
    for (bool& c : checked) {
        if (count >= kMinimumGraphs) break;
        if (!c) {
            c = true;
            ++count;
        }
    }
    return true;
}

std::wstring LimitText(std::wstring_view typed) {
    return std::wstring(typed.substr(0, kLimitTextMaxChars));
}

int GaugeSourceFromChecks(const SourceChecks& checked) {
    for (int source = 1; source < kGaugeSourceCount; ++source) {
        if (checked[static_cast<size_t>(source)]) return source;
    }
    return 0;
}

int GaugeSourceFromStored(int32_t stored) {
    return stored >= 0 && stored < kGaugeSourceCount ? stored : -1;
}

int SkinIndexFromName(std::wstring_view uiName) {
    for (int i = 1; i < kSkinCount; ++i) {
        if (uiName == kSkinNames[i]) return i;
    }
    return 0;
}

std::wstring SkinPackFileOf(std::wstring_view skinName) {
    return std::wstring(skinName) + L".dll";
}

bool SkinSwitchNeeded(std::wstring_view currentPackFile, std::wstring_view chosen) {
    return !chosen.empty() && currentPackFile.find(chosen) == std::wstring_view::npos;
}

bool IsWebAddress(std::wstring_view address) {
    const auto startsWith = [&](std::wstring_view prefix) {
        if (address.size() <= prefix.size()) return false;
        for (size_t i = 0; i < prefix.size(); ++i) {
            wchar_t c = address[i];
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
            if (c != prefix[i]) return false;
        }
        return true;
    };
    if (!startsWith(L"http://") && !startsWith(L"https://")) return false;
    // A placeholder in angle brackets, or blanks, never make an address.
    return address.find_first_of(L"<> \t\"") == std::wstring_view::npos;
}

SettingsPage PageOfTab(int tabIndex) {
    static constexpr SettingsPage kByTab[kSettingsPageCount] = {
        SettingsPage::General,    SettingsPage::Fan, SettingsPage::Bios, SettingsPage::Monitoring,
        SettingsPage::QuickSight, SettingsPage::Ui,  SettingsPage::About};
    if (tabIndex < 0 || tabIndex >= kSettingsPageCount) return SettingsPage::General;
    return kByTab[tabIndex];
}

}  // namespace velmora
