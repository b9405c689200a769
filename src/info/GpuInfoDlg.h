// The GPU information window: the card's information sheet under the main window, its clocks
// refreshed every second, and the picker that points the whole program at another GPU.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "info/GpuPicker.h"
#include "toolkit/ButtonEx.h"
#include "toolkit/MenuList.h"
#include "toolkit/StaticText.h"
#include "toolkit/ToolWindow.h"

class NvidiaGpu;

namespace velmora {

// The main window's side of a GPU choice: every window and the fan control follow it.
class GpuChoiceHost {
  public:
    virtual void ChooseGpu(int32_t index) = 0;

  protected:
    ~GpuChoiceHost() = default;
};

class CGpuInfoDlg : public CToolWindow {
  public:
    static constexpr UINT kTemplateId = 107;
    static constexpr int kHeight = 238;
    // Against the main window: this far right of its left edge, this far below its bottom.
    static constexpr int kOffsetX = 15;
    static constexpr int kOffsetY = -5;

    static constexpr int kIdBack = 3009;
    static constexpr int kIdPicker = 3010;
    static constexpr int kIdValue = 2000;
    static constexpr UINT_PTR kClockTimerId = 500;
    static constexpr UINT kClockPeriodMs = 1000;
    // The rows of the information sheet the ten labels show, in label order.
    static constexpr int kValueRowCount = 10;

    CGpuInfoDlg(std::wstring_view skinPackFile, HWND mainWindow, ToolWindowOwner& owner,
                NvidiaGpu& gpu, GpuChoiceHost& choice);

    // Under the main window, as wide as it.
    void PlaceBeside(const RECT& mainRect) override;
    void ApplySkin(const std::wstring& packFile);
    const GpuPickerItems& Picker() const { return items_; }
    const CStaticText& Value(int label) const { return values_[label]; }

  protected:
    BOOL OnInitDialog() override;
    void OnCommand(WORD id, WORD code) override;
    void OnTimer(UINT_PTR timerId) override;

  private:
    void RefreshClocks();
    void ShowSheet();
    void ChooseFromPicker();

    NvidiaGpu& gpu_;
    GpuChoiceHost& choice_;
    GpuPickerItems items_;
    bool valuesShown_ = false;
    CMenuList picker_;
    CStaticText values_[kValueRowCount];
    CButtonEx back_;
};

}  // namespace velmora
