// Scale labels of a vertical gauge: minimum, quarter marks and maximum of its range.
#pragma once

#include <array>
#include <string>

namespace velmora {

// Label 0 and 4 print the bounds ("%.0f"); labels 1-3 the truncated quarter values ("%d").
std::array<std::wstring, 5> GaugeScaleLabels(float minimum, float maximum);

// Fill height of a gauge of `height` pixels: trunc(height * (value - min) / (max - min)), not
// clamped; 0 for an empty range.
int GaugeFillHeight(int height, float value, float minimum, float maximum);

}  // namespace velmora
