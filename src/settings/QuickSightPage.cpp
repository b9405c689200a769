#include "settings/QuickSightPage.h"

#include "config/ConfigFile.h"
#include "config/ConfigPaths.h"
#include "settings_ids.h"

namespace velmora {
namespace {

// Each side's buttons by source 0..5.
constexpr int kLeftIds[kGaugeSourceCount] = {IDC_QS_LEFT_GPU_CLOCK, IDC_QS_LEFT_MEMORY_CLOCK,
                                             IDC_QS_LEFT_FAN_SPEED, IDC_QS_LEFT_GPU_LOAD,
                                             IDC_QS_LEFT_TDP,       IDC_QS_LEFT_GPU_VOLTAGE};
constexpr int kRightIds[kGaugeSourceCount] = {IDC_QS_RIGHT_GPU_CLOCK, IDC_QS_RIGHT_MEMORY_CLOCK,
                                              IDC_QS_RIGHT_FAN_SPEED, IDC_QS_RIGHT_GPU_LOAD,
                                              IDC_QS_RIGHT_TDP,       IDC_QS_RIGHT_GPU_VOLTAGE};

}  // namespace

CQuickSightSettingsDlg::CQuickSightSettingsDlg(SettingsHost& host)
    : CSettingsPage(IDD_PAGE_QUICKSIGHT), host_(host) {}

void CQuickSightSettingsDlg::OnInit() {
    TakeOverCaptions({IDC_QS_CAPTION_LEFT, IDC_QS_CAPTION_RIGHT});
    ConfigFile file;
    if (!file.Open()) return;
    const struct {
        const wchar_t* path;
        const int (&ids)[kGaugeSourceCount];
    } sides[] = {{kPathQuickSightRight, kRightIds}, {kPathQuickSightLeft, kLeftIds}};
    for (const auto& side : sides) {
        int32_t stored = 0;
        if (!file.ReadInt(side.path, stored)) continue;
        const int source = GaugeSourceFromStored(stored);
        if (source >= 0) SetChecked(side.ids[source], true);
    }
}

int CQuickSightSettingsDlg::SourceOf(const int (&ids)[kGaugeSourceCount]) const {
    SourceChecks checks{};
    for (int i = 0; i < kGaugeSourceCount; ++i) checks[static_cast<size_t>(i)] = IsChecked(ids[i]);
    return GaugeSourceFromChecks(checks);
}

int CQuickSightSettingsDlg::LeftSource() const {
    return SourceOf(kLeftIds);
}

int CQuickSightSettingsDlg::RightSource() const {
    return SourceOf(kRightIds);
}

void CQuickSightSettingsDlg::SaveQuickSightPage() {
    const int left = LeftSource();
    const int right = RightSource();
    host_.SetGaugeSources(left, right);
    ConfigFile file;
    if (!file.Open()) return;
    file.WriteInt(kPathQuickSightLeft, left);
    file.WriteInt(kPathQuickSightRight, right);
    file.Save();
}

}  // namespace velmora
