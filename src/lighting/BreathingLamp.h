// The LED lighting window beside the monitoring window: the temperature indication, a steady
// colour with its brightness, breathing or a colour cycle with their speeds and colours. Owned by
// the monitoring window, which opens it after the controller's presence test and ends it. The
// rules live in LedLighting; this window only copies its controls to and from them.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "gpu/NvidiaGpu.h"
#include "lighting/LedLighting.h"
#include "toolkit/AdjustableSlider.h"
#include "toolkit/ButtonEx.h"
#include "toolkit/ColorRectCtrl.h"
#include "toolkit/DialogBase.h"
#include "toolkit/Radio.h"

namespace velmora {

class ConfigFile;

// The card as the LED rules see it.
class GpuLedCard : public LedCard {
  public:
    explicit GpuLedCard(NvidiaGpu& gpu) : gpu_(gpu) {}
    bool WriteLedPacket(const uint8_t* colours, size_t n, uint8_t effect, uint8_t brightness,
                        uint8_t speed) override {
        return gpu_.WriteLedPacket(colours, n, effect, brightness, speed);
    }
    bool ReadTemperatureC(int32_t& out) override {
        GpuTemperature t;
        // A negative result is a failure code, never a temperature.
        if (gpu_.ReadGpuTemperature(t) < 0) return false;
        out = t.currentC;
        return true;
    }
    bool ReadPstate(int32_t& out) override { return gpu_.GetCurrentPstate(out); }

  private:
    NvidiaGpu& gpu_;
};

// The temperature colour table of an opened settings file.
LedColourTable ReadLedColourTable(const ConfigFile& file);

class CBreathingLamp : public CDialogBase {
  public:
    static constexpr UINT kTemplateId = 153;
    static constexpr int kWidth = 366, kHeight = 413;
    // Posted to the owner (WM_COMMAND, id 1124, code 1) when the skin cannot be loaded; the owner
    // then destroys and deletes the window.
    static constexpr int kCloseRequestCommand = 1124;
    static constexpr WORD kCloseRequestCode = 1;
    // Where it docks against the owner's top-right corner.
    static constexpr int kOffsetX = -15;
    static constexpr int kOffsetY = 52;

    static constexpr int kIdBrightness = 3001;
    static constexpr int kIdBreathingSpeed = 3002;
    static constexpr int kIdCycleSpeed = 3003;
    static constexpr int kIdStateDisplay = 3004;
    static constexpr int kIdBright = 3005;
    static constexpr int kIdBreath = 3006;
    static constexpr int kIdCycle = 3007;
    static constexpr int kIdSteadyPalette = 3008;
    static constexpr int kIdEffectPalette = 2016;
    static constexpr int kIdApply = 3009;
    static constexpr int kIdDefault = 3010;
    static constexpr int kIdCancel = 3018;
    static constexpr UINT_PTR kIndicationTimerId = 500;
    static constexpr UINT_PTR kTableTimerId = 2016;

    // ownerWindow: the monitoring window (parent, receives 1124, the window docks at its right
    // edge).
    CBreathingLamp(std::wstring_view skinPackFile, HWND ownerWindow, NvidiaGpu& gpu);

    // Docks at the owner's right edge: left = owner right - 15, top = owner top + 52, 366 x 413,
    // HWND_TOP, shown (SWP_NOACTIVATE).
    void PlaceWindow();
    // Reloads the pictures from another pack (redraw, reload); keeps the old pack name when that
    // fails.
    void ApplySkin(const std::wstring& packFile);

    // The rules' state (tests).
    const LedLighting& Lighting() const { return lighting_; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  protected:
    BOOL OnInitDialog() override;
    void OnCommand(WORD id, WORD code) override;
    void OnTimer(UINT_PTR timerId) override;

  private:
    // The indication's timer is this window's timer 500.
    class IndicationTimer : public LedTimer {
      public:
        explicit IndicationTimer(CBreathingLamp& window) : window_(window) {}
        void Start(uint32_t periodMs) override;
        void Stop() override;

      private:
        CBreathingLamp& window_;
    };

    LedControls ControlValues() const;
    void Restore(const LedRestoration& restoration);
    void RequestClose() const;

    HWND owner_;
    GpuLedCard card_;
    IndicationTimer timer_{*this};
    LedLighting lighting_{card_, timer_};

    CRadio stateDisplay_;
    CRadio bright_;
    CRadio breath_;
    CRadio cycle_;
    CAdjustableSlider brightness_;
    CAdjustableSlider breathingSpeed_;
    CAdjustableSlider cycleSpeed_;
    CColorRectCtrl steadyPalette_;
    CColorRectCtrl breathingPalette_;
    CColorRectCtrl cyclePalette_;
    CButtonEx apply_;
    CButtonEx default_;
    CButtonEx cancel_;
};

}  // namespace velmora
