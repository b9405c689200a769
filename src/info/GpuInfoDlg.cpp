#include "info/GpuInfoDlg.h"

#include "gpu/NvidiaGpu.h"

namespace velmora {
namespace {

constexpr uint32_t kValueColor = 0xFFB4B4B4;  // (255, 180, 180, 180)
constexpr int kValuePoints = 8;
// A sheet shorter than this has no values to show.
constexpr size_t kSheetMinimum = 14;

struct ValuePlace {
    int row;
    RECT rect;
};
// Sheet rows 0, 1, 7 and 8 (the name, two blanks, the chipset) are not shown; the name is in
// the picker.
constexpr ValuePlace kValues[CGpuInfoDlg::kValueRowCount] = {
    {2, {90, 76, 216, 95}},     {3, {90, 95, 216, 114}},    {4, {90, 114, 216, 133}},
    {5, {90, 133, 216, 152}},   {6, {90, 152, 216, 172}},   {9, {234, 76, 340, 95}},
    {10, {234, 95, 340, 114}},  {11, {234, 114, 340, 133}}, {12, {234, 133, 340, 152}},
    {13, {234, 152, 340, 172}},
};
// Labels whose rows the clock strings refresh: GPU clock, memory clock, bandwidth.
constexpr int kGpuClockLabel = 2;
constexpr int kMemoryClockLabel = 7;
constexpr int kBandwidthLabel = 6;

}  // namespace

CGpuInfoDlg::CGpuInfoDlg(std::wstring_view skinPackFile, HWND mainWindow, ToolWindowOwner& owner,
                         NvidiaGpu& gpu, GpuChoiceHost& choice)
    : CToolWindow(kTemplateId, skinPackFile, L"gpuinfo_main.png", mainWindow, owner),
      gpu_(gpu),
      choice_(choice) {}

BOOL CGpuInfoDlg::OnInitDialog() {
    std::vector<std::wstring> names(gpu_.gpuCount());
    for (size_t i = 0; i < names.size(); ++i) gpu_.GetGpuNameOf(static_cast<int32_t>(i), names[i]);
    items_ = MakeGpuPickerItems(names);

    std::vector<std::wstring> sheet;
    gpu_.GetInfoStrings(sheet);
    valuesShown_ = sheet.size() >= kSheetMinimum;
    if (valuesShown_) {
        for (int i = 0; i < kValueRowCount; ++i) {
            values_[i].CreateText(this, kValues[i].rect, sheet[kValues[i].row], kIdValue,
                                  kValueColor, CStaticText::kNear, kValuePoints);
        }
    }

    SetTimer(Hwnd(), kClockTimerId, kClockPeriodMs, nullptr);
    back_.Create(this, RECT{168, 205, 270, 226}, L"gpuinfo_back.png", L"", kIdBack);
    picker_.CreateList(this, RECT{113, 18, 330, 40}, L"", L"gpuinfo_tessarin.png", items_.texts,
                       kIdPicker);
    // The GPU the program works on now heads the picker (it may be another than the first).
    picker_.SetSelectedIndex(items_.ItemOf(gpu_.selectedIndex()));

    if (!LoadSkinOrClose()) return FALSE;
    RequestDock();
    return CDialogBase::OnInitDialog();
}

void CGpuInfoDlg::PlaceBeside(const RECT& main) {
    if (!Hwnd()) return;
    SetWindowPos(Hwnd(), HWND_TOP, main.left + kOffsetX, main.bottom + kOffsetY,
                 main.right - main.left, kHeight, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void CGpuInfoDlg::ApplySkin(const std::wstring& packFile) {
    if (LoadSkin(packFile, true, true)) SetSkinPackFile(packFile);
}

void CGpuInfoDlg::RefreshClocks() {
    if (!valuesShown_) return;
    std::vector<std::wstring> clocks;
    gpu_.GetClockStrings(clocks);
    if (clocks.size() < 3) return;
    values_[kGpuClockLabel].SetCaptionQuietly(clocks[0]);
    values_[kMemoryClockLabel].SetCaptionQuietly(clocks[1]);
    values_[kBandwidthLabel].SetCaptionQuietly(clocks[2]);
    // The three together in one composition; none when nothing changed.
    RepaintChanged();
}

void CGpuInfoDlg::ShowSheet() {
    if (!valuesShown_) return;
    std::vector<std::wstring> sheet;
    gpu_.GetInfoStrings(sheet);
    if (sheet.size() < kSheetMinimum) return;
    for (int i = 0; i < kValueRowCount; ++i) values_[i].SetCaptionQuietly(sheet[kValues[i].row]);
    RepaintChanged();
}

void CGpuInfoDlg::ChooseFromPicker() {
    if (gpu_.gpuCount() <= 1) return;
    const int item = picker_.GetSelectedIndex();
    if (item < 0 || item >= static_cast<int>(items_.gpus.size())) return;
    // The item stands for its own GPU, whichever nameless GPUs were left out before it.
    const int32_t index = items_.gpus[static_cast<size_t>(item)];
    if (index == gpu_.selectedIndex()) return;
    choice_.ChooseGpu(index);
    ShowSheet();
}

void CGpuInfoDlg::OnCommand(WORD id, WORD code) {
    switch (id) {
        case kIdBack:
            if (code == CControls::kCodeClick) Owner().ToolWindowClosed(*this);
            break;
        case kIdPicker:
            ChooseFromPicker();
            break;
        default:
            break;
    }
}

void CGpuInfoDlg::OnTimer(UINT_PTR timerId) {
    if (timerId == kClockTimerId) RefreshClocks();
}

}  // namespace velmora
