#include "toolkit/HslColor.h"

#include <algorithm>

namespace velmora {
namespace {

constexpr int kScale = 240;         // full hue circle, full lightness and saturation
constexpr int kUndefinedHue = 160;  // hue of greys, as the colour chooser shows it

int HueToComponent(int m1, int m2, int h) {
    if (h < 0) h += kScale;
    if (h > kScale) h -= kScale;
    if (h < 40) return m1 + ((m2 - m1) * h + 20) / 40;
    if (h < 120) return m2;
    if (h < 160) return m1 + ((m2 - m1) * (160 - h) + 20) / 40;
    return m1;
}

}  // namespace

Hls RgbToHls(Rgb c) {
    const int mx = std::max({c.red, c.green, c.blue});
    const int mn = std::min({c.red, c.green, c.blue});
    Hls out;
    out.lightness = ((mx + mn) * kScale + 255) / 510;
    if (mx == mn) {
        out.saturation = 0;
        out.hue = kUndefinedHue;
        return out;
    }
    const int d = mx - mn;
    if (out.lightness <= 120)
        out.saturation = (d * kScale + (mx + mn) / 2) / (mx + mn);
    else
        out.saturation = (d * kScale + (510 - mx - mn) / 2) / (510 - mx - mn);
    const int rd = ((mx - c.red) * 40 + d / 2) / d;
    const int gd = ((mx - c.green) * 40 + d / 2) / d;
    const int bd = ((mx - c.blue) * 40 + d / 2) / d;
    int h;
    if (c.red == mx)
        h = bd - gd;
    else if (c.green == mx)
        h = 80 + rd - bd;
    else
        h = 160 + gd - rd;
    if (h < 0) h += kScale;
    if (h > kScale) h -= kScale;
    out.hue = h;
    return out;
}

Rgb HlsToRgb(Hls c) {
    const int L = c.lightness, S = c.saturation, H = c.hue;
    if (S == 0) {
        const int v = L * 255 / kScale;
        return {v, v, v};
    }
    const int m2 = L <= 120 ? (L * (kScale + S) + 120) / kScale : L + S - (L * S + 120) / kScale;
    const int m1 = 2 * L - m2;
    return {(HueToComponent(m1, m2, H + 80) * 255 + 120) / kScale,
            (HueToComponent(m1, m2, H) * 255 + 120) / kScale,
            (HueToComponent(m1, m2, H - 80) * 255 + 120) / kScale};
}

LightnessRamp BuildLightnessRamp(Rgb base) {
    const Hls hls = RgbToHls(base);
    LightnessRamp ramp;
    for (int k = 0; k < LightnessRamp::kSteps; ++k)
        ramp.colors[k] = HlsToRgb({hls.hue, LightnessRamp::kHighest - k, hls.saturation});
    return ramp;
}

}  // namespace velmora
