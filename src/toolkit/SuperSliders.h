// Horizontal value slider of the clock and voltage windows: a fill up to the value, a draggable
// thumb, arrow buttons, a red value label and a title label.
#pragma once

#include "toolkit/ButtonEx.h"
#include "toolkit/StaticText.h"

namespace velmora {

// A slider's pictures, by name in the skin pack.
struct SuperSliderPictures {
    std::wstring fill;
    std::wstring thumb;
    std::wstring leftArrow;
    std::wstring rightArrow;
    // The stepping slider's buttons (the plain slider has none).
    std::wstring subFive;
    std::wstring subTen;
    std::wstring addFive;
    std::wstring addTen;
};

class CSuperSliders : public CControls {
  public:
    static constexpr int kLeftArrowId = 3500;
    static constexpr int kRightArrowId = 3501;
    static constexpr int kAddOneId = 3502;
    static constexpr int kAddFiveId = 3503;
    static constexpr int kAddTenId = 3504;
    static constexpr int kSubOneId = 3505;
    static constexpr int kSubFiveId = 3506;
    static constexpr int kSubTenId = 3507;
    static constexpr int kLabelId = 2000;

    bool CreateSlider(CDialogBase* dialog, const RECT& rect, const SuperSliderPictures& pictures,
                      int id, BYTE flag);
    void SetTitle(std::wstring_view title) { title_.SetCaption(title); }
    // Ignored when max < min; otherwise resets the value to min (the label keeps its text).
    void SetRange(float minimum, float maximum);
    // Clamps, stores and shows "%d" of the value truncated toward zero (repaints).
    void SetPos(float value);
    float GetPos() const { return value_; }
    void SetStep(float step) { step_ = step; }
    float GetStep() const { return step_; }
    float Minimum() const { return minimum_; }
    float Maximum() const { return maximum_; }
    bool IsDragging() const { return dragging_; }
    int TrackWidth() const { return kTrackRight - kTrackLeft; }
    const RECT& ThumbRect() const { return thumbAbs_; }
    CStaticText& ValueLabel() { return valueLabel_; }

    void OnCreate() override;
    void Draw(Gdiplus::Graphics& g) override;
    void OnLButtonDown(UINT flags, int x, int y) override;
    void OnLButtonUp(UINT flags, int x, int y) override;
    void OnControlEvent(int childId, WORD code) override;
    void OnMouseMove(UINT flags, int x, int y) override;
    void Enable(bool enabled) override;

  protected:
    // Track and thumb, relative to the slider's top-left corner.
    static constexpr int kTrackLeft = 13, kTrackTop = 15, kTrackRight = 254, kTrackBottom = 24;
    static constexpr int kThumbTop = 11, kThumbWidth = 9, kThumbHeight = 15;

    void CreateCommonChildren();
    int FillWidth() const;
    // Where the thumb is drawn for the current value.
    void UpdateThumb();
    void ChangeTo(float value);
    const SuperSliderPictures& Pictures() const { return pictures_; }

  private:
    SuperSliderPictures pictures_;
    CButtonEx leftArrow_;
    CButtonEx rightArrow_;
    CStaticText valueLabel_;
    CStaticText title_;
    RECT thumbAbs_{};
    float step_ = 1;
    float maximum_ = 100;
    float minimum_ = 0;
    float value_ = 0;
    bool dragging_ = false;
};

class CSuperSlidersStepping : public CSuperSliders {
  public:
    void OnCreate() override;
    void Enable(bool enabled) override;

  private:
    CButtonEx subFive_;
    CButtonEx subTen_;
    CButtonEx addFive_;
    CButtonEx addTen_;
};

}  // namespace velmora
