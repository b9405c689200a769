// Hue/lightness/saturation on the 0-240 scale of the system colour chooser, in integers.
#pragma once

#include <cstdint>

namespace velmora {

struct Hls {
    int hue = 0, lightness = 0, saturation = 0;
};
struct Rgb {
    int red = 0, green = 0, blue = 0;
};

Hls RgbToHls(Rgb c);
Rgb HlsToRgb(Hls c);

// The 52 colours of a base colour's lightness ramp: lightness 170 down to 119, keeping its hue
// and saturation; index k is drawn at x = 5 * k (lightest on the left).
struct LightnessRamp {
    static constexpr int kHighest = 170;
    static constexpr int kLowest = 119;
    static constexpr int kSteps = kHighest - kLowest + 1;
    Rgb colors[kSteps];
};
LightnessRamp BuildLightnessRamp(Rgb base);

}  // namespace velmora
