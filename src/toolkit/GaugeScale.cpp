#include "toolkit/GaugeScale.h"

#include <cmath>
#include <cstdio>

namespace velmora {
namespace {

std::wstring Format(const wchar_t* format, double v) {
    wchar_t buf[64];
    std::swprintf(buf, 64, format, v);
    return buf;
}

std::wstring FormatInt(int v) {
    wchar_t buf[32];
    std::swprintf(buf, 32, L"%d", v);
    return buf;
}

}  // namespace

std::array<std::wstring, 5> GaugeScaleLabels(float minimum, float maximum) {
    std::array<std::wstring, 5> labels;
    labels[0] = Format(L"%.0f", minimum);
    const float fractions[3] = {0.25f, 0.5f, 0.75f};
    for (int i = 0; i < 3; ++i)
        labels[i + 1] = FormatInt(static_cast<int>(minimum + fractions[i] * (maximum - minimum)));
    labels[4] = Format(L"%.0f", maximum);
    return labels;
}

int GaugeFillHeight(int height, float value, float minimum, float maximum) {
    if (!(maximum != minimum)) return 0;
    const double h = double(height) * (double(value) - minimum) / (double(maximum) - minimum);
    if (!std::isfinite(h) || h > 1e9 || h < -1e9) return 0;
    return static_cast<int>(h);
}

}  // namespace velmora
