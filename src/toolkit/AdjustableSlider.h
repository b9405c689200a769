// Slider of the LED window: track and thumb, an embedded spin value box, optional stops (the
// only values allowed) and an optional gradient track built from a base colour.
#pragma once

#include <array>
#include <memory>

#include "toolkit/SpinButton.h"

namespace Gdiplus {
class Bitmap;
}

namespace velmora {

struct SliderStop {
    float value = 0;
    int fromX = 0;
    int toX = 0;
};

// A slider's pictures, by name in the skin pack.
struct AdjustableSliderPictures {
    std::wstring fill;
    std::wstring thumb;
    // The value box and its arrows.
    std::wstring spinBox;
    std::wstring spinUp;
    std::wstring spinDown;
};

class CAdjustableSlider : public CControls {
  public:
    static constexpr int kMaxStops = 100;
    static constexpr int kSpinId = 100;
    static constexpr int kGradientWidth = 260;
    static constexpr int kGradientHeight = 7;

    CAdjustableSlider();
    ~CAdjustableSlider() override;

    bool CreateSlider(CDialogBase* dialog, const RECT& rect,
                      const AdjustableSliderPictures& pictures, int id, std::wstring_view hint,
                      BYTE flag);
    void SetTrackRect(int left, int top, int right, int bottom);
    void SetRange(float minimum, float maximum);
    void SetPos(float value, bool keepSpin);
    float GetPos() const { return value_; }
    void SetStep(float step);
    void SetStops(const float* values, int count);
    void SetStopIndex(int index) { stopIndex_ = index; }
    int StopIndex() const { return stopIndex_; }
    const SliderStop& Stop(int i) const { return stops_[static_cast<size_t>(i)]; }
    void SetGradientMode(bool on) { gradientMode_ = on; }
    void SetBaseColor(uint32_t argb);
    uint32_t BaseColor() const { return baseColor_; }
    Gdiplus::Bitmap* GradientPicture() const { return gradient_.get(); }
    void ConfigureSpin();
    float GetStep() const { return step_; }
    bool IsDragging() const { return dragging_; }
    const RECT& ThumbRect() const { return thumbAbs_; }
    int TrackWidth() const { return track_.right - track_.left; }
    CSpinButton& Spin() { return spin_; }

    void OnCreate() override;
    void Draw(Gdiplus::Graphics& g) override;
    void OnLButtonDown(UINT flags, int x, int y) override;
    void OnLButtonUp(UINT flags, int x, int y) override;
    void OnMouseMove(UINT flags, int x, int y) override;
    void OnMouseEnter(UINT flags, int x, int y) override { UpdateThumbHover(x, y); }
    void OnMouseLeave(UINT flags, int x, int y) override { UpdateThumbHover(x, y); }
    void OnControlEvent(int childId, WORD code) override;
    void Enable(bool enabled) override;

  private:
    void UpdateThumb();
    void UpdateThumbHover(int x, int y);
    // Value for a track offset d; false when no value applies.
    bool StopValueAt(int d, float& value, int& index) const;
    void ChangeTo(float value);

    CSpinButton spin_;
    AdjustableSliderPictures pictures_;
    std::wstring hint_;
    RECT track_{};
    RECT thumbRel_{};
    RECT thumbAbs_{};
    bool thumbHover_ = false;
    POINT lastThumbPoint_{-1, -1};
    float step_ = 1;
    float maximum_ = 100;
    float minimum_ = 0;
    float value_ = 0;
    std::array<SliderStop, kMaxStops> stops_{};
    int stopCount_ = 0;
    int stopIndex_ = 0;
    bool gradientMode_ = false;
    uint32_t baseColor_ = 0;
    std::unique_ptr<Gdiplus::Bitmap> gradient_;
    bool dragging_ = false;
};

}  // namespace velmora
