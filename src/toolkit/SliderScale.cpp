#include "toolkit/SliderScale.h"

#include <cmath>

namespace velmora {

int TruncToInt(double v) {
    if (!std::isfinite(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

int SliderOffset(float value, float minimum, float maximum, int trackWidth) {
    if (maximum == minimum) return 0;
    return TruncToInt(double(trackWidth) * (value - minimum) / (double(maximum) - minimum));
}

int SliderStopOffset(float value, float maximum, int trackWidth) {
    if (maximum == 0) return 0;
    return TruncToInt(double(trackWidth) * value / maximum);
}

bool IsUnitStep(float step) {
    return TruncToInt(step) == 1;
}

bool SliderPressValue(float minimum, float maximum, int trackWidth, int d, float& value) {
    if (trackWidth == 0) return false;
    value = minimum + TruncToInt(double(maximum - minimum) * d / trackWidth);
    return true;
}

bool SliderDragValue(float minimum, float maximum, float step, int trackWidth, int d,
                     float& value) {
    if (maximum == minimum || trackWidth == 0) return false;
    if (IsUnitStep(step)) {
        value = float(TruncToInt(minimum + TruncToInt(double(maximum - minimum) * d / trackWidth)));
        return true;
    }
    const double perStep = double(trackWidth) * step / (double(maximum) - minimum);
    if (perStep == 0) return false;
    value = float(TruncToInt(d / perStep) * double(step) + minimum);
    return true;
}

}  // namespace velmora
