#include "tuning/ClockProfile.h"

#include <cmath>

#include "config/ConfigPaths.h"
#include "config/ConfigValues.h"

namespace velmora {
namespace {

// Index into kProfileAttrs.
enum Attr {
    kGpuClock,
    kMemoryClock,
    kFanSpeed,
    kFanType,
    kTdp,
    kGpuTemp,
    kLink,
    kPrioritize,
    kVoltageMax,
    kVoltageMin,
    kOverVoltage
};

int32_t TruncateToInt32(double v) {
    if (!std::isfinite(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int32_t>(v);
}

int32_t FanTypeOf(FanModeButton mode) {
    switch (mode) {
        case FanModeButton::Automatic:
            return kFanTypeAutomatic;
        case FanModeButton::Manual:
            return kFanTypeManual;
        case FanModeButton::UserDefined:
            break;
    }
    return kFanTypeUserDefined;
}

}  // namespace

int32_t SliderState::Whole() const {
    return TruncateToInt32(value);
}

ClockProfile ProfileFromControls(const ClockControls& c) {
    ClockProfile p;
    p.gpuClockOffset = c.gpuOffset.Whole();
    p.memoryClockOffset = c.memoryOffset.Whole();
    p.fanSpeed = c.fanSpeed.Whole();
    p.fanType = FanTypeOf(c.fanMode);
    p.powerTarget = c.powerTarget.Whole();
    p.temperatureTarget = c.temperatureTarget.Whole();
    p.link = c.link;
    p.prioritize = c.prioritize;
    if (c.voltageWindowOpen) {
        p.voltageMax = c.overVoltage.Whole();
        p.voltageMin = c.voltageMin.Whole();
        p.overVoltage = c.overVoltageOn;
    }
    return p;
}

void LoadProfileInto(const ClockProfile& p, ClockControls& c) {
    if (p.gpuClockOffset) c.gpuOffset.SetPos(static_cast<float>(*p.gpuClockOffset));
    if (p.memoryClockOffset) c.memoryOffset.SetPos(static_cast<float>(*p.memoryClockOffset));
    if (p.fanSpeed) c.fanSpeed.SetPos(static_cast<float>(*p.fanSpeed));
    if (p.fanType) {
        switch (*p.fanType) {
            case kFanTypeAutomatic:
                c.fanMode = FanModeButton::Automatic;
                c.fanSpeed.enabled = false;
                break;
            case kFanTypeManual:
                c.fanMode = FanModeButton::Manual;
                c.fanSpeed.enabled = true;
                break;
            case kFanTypeUserDefined:
                c.fanMode = FanModeButton::UserDefined;
                c.fanSpeed.enabled = false;
                break;
            default:
                break;
        }
    }
    if (p.powerTarget) c.powerTarget.SetPos(static_cast<float>(*p.powerTarget));
    if (p.temperatureTarget) c.temperatureTarget.SetPos(static_cast<float>(*p.temperatureTarget));
    if (p.link) c.link = *p.link;
    if (p.prioritize) c.prioritize = *p.prioritize;
    if (!c.voltageWindowOpen) return;
    if (p.voltageMax) c.overVoltage.SetPos(static_cast<float>(*p.voltageMax));
    if (p.voltageMin) c.voltageMin.SetPos(static_cast<float>(*p.voltageMin));
    if (p.overVoltage) {
        // The over-voltage slider is usable exactly while over-voltage is on.
        c.overVoltageOn = *p.overVoltage;
        c.overVoltage.enabled = *p.overVoltage;
    }
}

std::vector<std::pair<std::wstring, std::wstring>> EncodeProfile(const ClockProfile& p) {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    auto add = [&](Attr attr, const auto& field) {
        if (!field) return;
        if constexpr (std::is_same_v<std::decay_t<decltype(*field)>, bool>) {
            out.emplace_back(kProfileAttrs[attr], FormatConfigFlag(*field));
        } else {
            out.emplace_back(kProfileAttrs[attr], FormatConfigInt(*field));
        }
    };
    add(kGpuClock, p.gpuClockOffset);
    add(kMemoryClock, p.memoryClockOffset);
    add(kFanSpeed, p.fanSpeed);
    add(kFanType, p.fanType);
    add(kTdp, p.powerTarget);
    add(kGpuTemp, p.temperatureTarget);
    add(kLink, p.link);
    add(kPrioritize, p.prioritize);
    add(kVoltageMax, p.voltageMax);
    add(kVoltageMin, p.voltageMin);
    add(kOverVoltage, p.overVoltage);
    return out;
}

ClockProfile DecodeProfile(
    const std::function<bool(const wchar_t* name, std::wstring& text)>& readAttribute) {
    ClockProfile p;
    auto number = [&](Attr attr, std::optional<int32_t>& field) {
        std::wstring text;
        if (readAttribute(kProfileAttrs[attr], text)) field = ParseConfigInt(text);
    };
    auto flag = [&](Attr attr, std::optional<bool>& field) {
        std::wstring text;
        if (readAttribute(kProfileAttrs[attr], text)) field = ParseConfigIntFlag(text);
    };
    number(kGpuClock, p.gpuClockOffset);
    number(kMemoryClock, p.memoryClockOffset);
    number(kFanSpeed, p.fanSpeed);
    number(kFanType, p.fanType);
    number(kTdp, p.powerTarget);
    number(kGpuTemp, p.temperatureTarget);
    flag(kLink, p.link);
    flag(kPrioritize, p.prioritize);
    number(kVoltageMax, p.voltageMax);
    number(kVoltageMin, p.voltageMin);
    flag(kOverVoltage, p.overVoltage);
    return p;
}

int FanModeFromConfig(int32_t fanControlState, const std::wstring* enableFan,
                      const std::wstring* fanManual) {
    if (fanControlState == -1) {
        // Not decided in this run yet: the curve runs if the file says it starts.
        if (enableFan && ParseConfigTextFlag(*enableFan)) return 1;
    } else if (fanControlState != 0) {
        return 1;
    }
    if (fanManual && ParseConfigTextFlag(*fanManual)) return 2;
    return 0;
}

}  // namespace velmora
