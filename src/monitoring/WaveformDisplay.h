// One monitoring graph: a sensor's recent history as a filled curve scrolling left over a
// grid, with its title, the scale's bounds, the lowest and highest values seen, the latest
// value, and a readout of the sample under the pointer. Its timer paces the owner's sampling:
// every tick reaches the window as a tick notification with the graph's id.
#pragma once

#include <string>
#include <vector>

#include "monitoring/WaveformHistory.h"
#include "toolkit/StaticText.h"

namespace Gdiplus {
class PointF;
}

namespace velmora {

class CWaveformDisplay : public CControls {
  public:
    static constexpr UINT_PTR kTimerId = 500;
    static constexpr UINT kDefaultPeriodMs = 1000;
    // Each label's id on the window.
    static constexpr int kLabelId = 2000;

    CWaveformDisplay();
    ~CWaveformDisplay() override;

    // Appends one sample. The graph and the labels it changed are marked; the owner's next
    // composition shows them, so a window that appends to several graphs composes them once.
    void AddSample(int value, std::wstring_view timeText);
    // New bounds and their labels; the value label empties until the next sample; the history
    // stays. No repaint of its own.
    void SetScale(int minimum, int maximum);
    // Restarts the timer with this period.
    void SetPeriod(UINT milliseconds);
    // No repaint of its own.
    void SetTitle(std::wstring_view title);
    void SetFillColor(uint32_t argb) { fillColor_ = argb; }
    void SetGridColor(uint32_t argb) { gridColor_ = argb; }
    void ClearHistory();
    // The owner may colour these two itself.
    CStaticText& MinLabel() { return minLabel_; }
    CStaticText& MaxLabel() { return maxLabel_; }
    const CStaticText& MinLabel() const { return minLabel_; }
    const CStaticText& MaxLabel() const { return maxLabel_; }
    const CStaticText& ValueLabel() const { return valueLabel_; }
    const CStaticText& TitleLabel() const { return titleLabel_; }
    const WaveformHistory& History() const { return history_; }
    // The pointer as the owner saw it: the readout line follows it across every graph, shown
    // while `hover` holds. Marks the graph; the owner composes.
    void FollowPointer(int x, int y, bool hover);

    void OnCreate() override;
    void Draw(Gdiplus::Graphics& g) override;
    void OnMouseMove(UINT flags, int x, int y) override { pointer_ = {x, y}; }
    void OnMouseEnter(UINT flags, int x, int y) override { pointer_ = {x, y}; }
    // The readout's texts reach 50 pixels either side of the pointer.
    RECT PaintBounds() const override;

  private:
    void DrawGrid(Gdiplus::Graphics& g) const;
    void DrawCurve(Gdiplus::Graphics& g);
    void DrawReadout(Gdiplus::Graphics& g) const;

    CStaticText titleLabel_;
    CStaticText scaleMinLabel_;
    CStaticText scaleMaxLabel_;
    CStaticText minLabel_;
    CStaticText maxLabel_;
    CStaticText valueLabel_;
    uint32_t fillColor_ = 0xFF000000;
    uint32_t gridColor_ = 0xFF000000;
    POINT pointer_{0, 0};
    WaveformHistory history_;
    // The curve's points, kept between paints so drawing allocates nothing.
    std::vector<Gdiplus::PointF> polygon_;
};

}  // namespace velmora
