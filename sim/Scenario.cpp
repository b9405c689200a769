#include "Scenario.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

namespace velmora::sim {
namespace {

constexpr size_t kMaxGpus = 64;  // the driver's handle table
constexpr uint32_t kMaxDisplays = 128;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        size_t start = i;
        while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

// Decimal or 0x-prefixed hexadecimal, optionally negative.
bool ParseInt(std::string_view s, int64_t& out) {
    s = Trim(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) return false;
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc() || end != s.data() + s.size() || value > 0xFFFFFFFFull) return false;
    out = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    return true;
}

bool ParseI32(std::string_view s, int32_t& out) {
    int64_t v = 0;
    if (!ParseInt(s, v) || v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool ParseU32(std::string_view s, uint32_t& out) {
    int64_t v = 0;
    if (!ParseInt(s, v) || v < 0) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

bool ParseDouble(std::string_view s, double& out) {
    std::string text(Trim(s));
    if (text.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool ParseBool(std::string_view s, bool& out) {
    std::string v = Lower(Trim(s));
    if (v == "1" || v == "yes" || v == "true" || v == "on") {
        out = true;
        return true;
    }
    if (v == "0" || v == "no" || v == "false" || v == "off" || v == "none") {
        out = false;
        return true;
    }
    return false;
}

// "a b" or "a b c" lists of integers.
bool ParseI32List(std::string_view s, std::initializer_list<int32_t*> outs) {
    auto words = Words(s);
    if (words.size() != outs.size()) return false;
    size_t i = 0;
    for (int32_t* out : outs) {
        if (!ParseI32(words[i++], *out)) return false;
    }
    return true;
}

// Memory types by their number or by the text the information sheet shows.
bool ParseMemoryType(std::string_view s, uint32_t& out) {
    static const char* const kNames[] = {"unknown", "sdram", "ddr1",  "ddr2",   "gddr2", "gddr3",
                                         "gddr4",   "ddr3",  "gddr5", "lpddr2", "gddr5x"};
    std::string v = Lower(Trim(s));
    for (uint32_t i = 0; i < std::size(kNames); ++i) {
        if (v == kNames[i]) {
            out = i;
            return true;
        }
    }
    return ParseU32(s, out);
}

// The driver number as 41142 or as 411.42.
bool ParseDriverVersion(std::string_view s, uint32_t& out) {
    s = Trim(s);
    size_t dot = s.find('.');
    if (dot == std::string_view::npos) return ParseU32(s, out);
    uint32_t major = 0, minor = 0;
    if (dot + 3 != s.size() || !ParseU32(s.substr(0, dot), major) ||
        !ParseU32(s.substr(dot + 1), minor)) {
        return false;
    }
    out = major * 100 + minor;
    return true;
}

bool ApplyGpuKey(GpuSpec& g, const std::string& key, std::string_view value) {
    static const std::map<std::string, std::function<bool(GpuSpec&, std::string_view)>> kKeys = {
        {"name", [](GpuSpec& g, std::string_view v) { return !(g.name = std::string(v)).empty(); }},
        {"device_id", [](GpuSpec& g, std::string_view v) { return ParseU32(v, g.deviceId); }},
        {"subsystem_id", [](GpuSpec& g, std::string_view v) { return ParseU32(v, g.subSystemId); }},
        {"revision", [](GpuSpec& g, std::string_view v) { return ParseU32(v, g.revisionId); }},
        {"vbios",
         [](GpuSpec& g, std::string_view v) { return !(g.vbios = std::string(v)).empty(); }},
        {"memory_type",
         [](GpuSpec& g, std::string_view v) { return ParseMemoryType(v, g.memoryType); }},
        {"memory_mb", [](GpuSpec& g, std::string_view v) { return ParseU32(v, g.memoryMB); }},
        {"bus_width", [](GpuSpec& g, std::string_view v) { return ParseU32(v, g.busWidthBits); }},
        {"base_clock", [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.baseClockMHz); }},
        {"boost_clock",
         [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.boostClockMHz); }},
        {"idle_clock", [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.idleClockMHz); }},
        {"memory_clock",
         [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.memoryClockMHz); }},
        {"idle_memory_clock",
         [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.idleMemoryClockMHz); }},
        {"gpu_offset_range",
         [](GpuSpec& g, std::string_view v) {
             return ParseI32List(v, {&g.gpuOffsetMinMHz, &g.gpuOffsetMaxMHz});
         }},
        {"memory_offset_range",
         [](GpuSpec& g, std::string_view v) {
             return ParseI32List(v, {&g.memoryOffsetMinMHz, &g.memoryOffsetMaxMHz});
         }},
        {"pstates_editable",
         [](GpuSpec& g, std::string_view v) { return ParseBool(v, g.pstatesEditable); }},
        {"base_voltage_uv",
         [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.baseVoltageUv); }},
        {"voltage_delta_max_uv",
         [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.voltageDeltaMaxUv); }},
        {"top_voltage_uv",
         [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.topVoltageUv); }},
        {"idle_voltage_uv",
         [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.idleVoltageUv); }},
        {"over_voltage_max_uv",
         [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.overVoltageMaxUv); }},
        {"power_limits",
         [](GpuSpec& g, std::string_view v) {
             return ParseI32List(v, {&g.powerMinPct, &g.powerDefaultPct, &g.powerMaxPct});
         }},
        {"power_supported",
         [](GpuSpec& g, std::string_view v) { return ParseBool(v, g.powerSupported); }},
        {"power_topology_channel",
         [](GpuSpec& g, std::string_view v) { return ParseU32(v, g.powerTopologyChannel); }},
        {"power_policy_channel",
         [](GpuSpec& g, std::string_view v) { return ParseU32(v, g.powerPolicyChannel); }},
        {"thermal_limits",
         [](GpuSpec& g, std::string_view v) {
             return ParseI32List(v, {&g.thermalMinC, &g.thermalDefaultC, &g.thermalMaxC});
         }},
        {"thermal_policies_supported",
         [](GpuSpec& g, std::string_view v) { return ParseBool(v, g.thermalPoliciesSupported); }},
        {"fan_range",
         [](GpuSpec& g, std::string_view v) {
             return ParseI32List(v, {&g.fanMinPct, &g.fanMaxPct});
         }},
        {"fan_max_rpm", [](GpuSpec& g, std::string_view v) { return ParseI32(v, g.fanMaxRpm); }},
        {"ambient", [](GpuSpec& g, std::string_view v) { return ParseDouble(v, g.ambientC); }},
        {"thermal_time_constant",
         [](GpuSpec& g, std::string_view v) {
             return ParseDouble(v, g.thermalTimeConstantS) && g.thermalTimeConstantS > 0.0;
         }},
        {"temperature",
         [](GpuSpec& g, std::string_view v) {
             std::string w = Lower(Trim(v));
             if (w == "off" || w == "free" || w == "model") {
                 g.forcedTemperatureC.reset();
                 return true;
             }
             double t = 0;
             if (!ParseDouble(v, t)) return false;
             g.forcedTemperatureC = t;
             return true;
         }},
        {"load",
         [](GpuSpec& g, std::string_view v) {
             std::string w = Lower(Trim(v));
             if (w == "game") {
                 g.load = LoadKind::Game;
                 return true;
             }
             if (w == "idle") {
                 g.load = LoadKind::Idle;
                 return true;
             }
             double pct = 0;
             if (!w.empty() && w.back() == '%') w.pop_back();
             if (!ParseDouble(w, pct) || pct < 0.0 || pct > 100.0) return false;
             g.load = LoadKind::Fixed;
             g.fixedLoadPct = pct;
             return true;
         }},
        {"seed", [](GpuSpec& g, std::string_view v) { return ParseU32(v, g.seed); }},
        {"led", [](GpuSpec& g, std::string_view v) { return ParseBool(v, g.ledController); }},
        {"name_readable",
         [](GpuSpec& g, std::string_view v) { return ParseBool(v, g.nameReadable); }},
    };
    auto it = kKeys.find(key);
    return it != kKeys.end() && it->second(g, value);
}

bool IsGpuKey(const std::string& key) {
    static const char* const kGpuKeys[] = {"name",
                                           "device_id",
                                           "subsystem_id",
                                           "revision",
                                           "vbios",
                                           "memory_type",
                                           "memory_mb",
                                           "bus_width",
                                           "base_clock",
                                           "boost_clock",
                                           "idle_clock",
                                           "memory_clock",
                                           "idle_memory_clock",
                                           "gpu_offset_range",
                                           "memory_offset_range",
                                           "pstates_editable",
                                           "base_voltage_uv",
                                           "voltage_delta_max_uv",
                                           "top_voltage_uv",
                                           "idle_voltage_uv",
                                           "over_voltage_max_uv",
                                           "power_limits",
                                           "power_supported",
                                           "power_topology_channel",
                                           "power_policy_channel",
                                           "thermal_limits",
                                           "thermal_policies_supported",
                                           "fan_range",
                                           "fan_max_rpm",
                                           "ambient",
                                           "thermal_time_constant",
                                           "temperature",
                                           "load",
                                           "seed",
                                           "led",
                                           "name_readable"};
    return std::find(std::begin(kGpuKeys), std::end(kGpuKeys), key) != std::end(kGpuKeys);
}

bool ApplyGlobalKey(Scenario& s, const std::string& key, std::string_view value) {
    if (key == "driver") {
        std::string v = Lower(Trim(value));
        if (v == "none" || v == "absent" || v == "0") {
            s.driverPresent = false;
            return true;
        }
        s.driverPresent = true;
        return ParseDriverVersion(value, s.driverVersion);
    }
    if (key == "driver_generation") {
        std::string v = Lower(Trim(value));
        if (v != "old" && v != "current") return false;
        s.olderDriver = v == "old";
        return true;
    }
    if (key == "driver_restarts") return ParseU32(value, s.driverRestarts);
    if (key == "build_changelist") return ParseU32(value, s.buildChangelist);
    if (key == "branch") return !(s.buildBranch = std::string(value)).empty();
    if (key == "displays") return ParseU32(value, s.displayCount) && s.displayCount <= kMaxDisplays;
    if (key == "chipset_vendor") return !(s.chipsetVendorName = std::string(value)).empty();
    if (key == "chipset_vendor_id") return ParseU32(value, s.chipsetVendorId);
    if (key == "chipset_device_id") return ParseU32(value, s.chipsetDeviceId);
    if (key == "chipset_name") return !(s.chipsetName = std::string(value)).empty();
    return false;
}

}  // namespace

const std::vector<std::string>& EntryNames() {
    static const std::vector<std::string> kNames = {
        "Initialize",
        "Unload",
        "GetErrorMessage",
        "EnumPhysicalGPUs",
        "EnumNvidiaDisplayHandle",
        "GetAssociatedDisplayOutputId",
        "GetDisplayDriverMemoryInfo",
        "GetDisplayDriverVersion",
        "SYS_GetChipSetInfo",
        "GPU_GetFullName",
        "GPU_GetPCIIdentifiers",
        "GPU_GetVbiosVersionString",
        "GPU_GetAllClockFrequencies",
        "GPU_GetDynamicPstatesInfoEx",
        "GPU_GetCurrentPstate",
        "GPU_GetPstates20",
        "GPU_SetPstates20",
        "GPU_GetThermalSettings",
        "GPU_GetTachReading",
        "GPU_ClientThermalPoliciesGetStatus",
        "GPU_ClientThermalPoliciesSetStatus",
        "I2CWrite",
        "GPU_GetMemoryType",
        "GPU_GetMemoryBusWidth",
        "GPU_GetVoltageDomainsStatus",
        "GPU_GetCoolerSettings",
        "GPU_SetCoolerLevels",
        "GPU_PowerTopologyGetInfo",
        "GPU_PowerTopologyGetStatus",
        "GPU_PowerPoliciesGetInfo",
        "GPU_PowerPoliciesGetStatus",
        "GPU_PowerPoliciesSetStatus",
        "GPU_ThermalPoliciesGetInfo",
        "I2CWriteEx",
        "GPU_ResetPrepare",
        "GPU_GetMemoryInfo",
    };
    return kNames;
}

std::string CanonicalEntryName(std::string_view name) {
    std::string wanted = Lower(Trim(name));
    if (wanted.rfind("nvapi_", 0) == 0) wanted.erase(0, 6);
    for (const std::string& candidate : EntryNames()) {
        std::string c = Lower(candidate);
        if (c == wanted || c == "gpu_" + wanted || c == "sys_" + wanted) return candidate;
    }
    return {};
}

Scenario DefaultScenario() {
    return Scenario{};
}

bool ParseScenario(std::string_view text, Scenario& out, std::string* error) {
    Scenario s;
    GpuSpec gpuTemplate;
    // (gpu index, key, value) in file order, applied over the template at the end.
    struct GpuLine {
        size_t gpu;
        std::string key;
        std::string value;
        size_t line;
    };
    std::vector<GpuLine> gpuLines;
    std::optional<size_t> gpuCount;
    std::optional<size_t> section;  // index of the current [gpu N] section
    size_t highestSection = 0;
    bool anySection = false;

    auto fail = [&](size_t line, const std::string& why) {
        if (error) *error = "line " + std::to_string(line) + ": " + why;
        return false;
    };

    size_t lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        // A comment starts at a '#' at the line start or after white space, so "#" inside a
        // value such as a name survives.
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(raw[i - 1])))) {
                raw = raw.substr(0, i);
                break;
            }
        }
        std::string_view line = Trim(raw);
        if (line.empty()) {
            if (end == text.size()) break;
            continue;
        }

        if (line.front() == '[') {
            if (line.back() != ']') return fail(lineNo, "unterminated section");
            auto words = Words(line.substr(1, line.size() - 2));
            if (words.empty() || Lower(words[0]) != "gpu" || words.size() > 2) {
                return fail(lineNo, "unknown section");
            }
            size_t index = anySection ? highestSection + 1 : 0;
            if (words.size() == 2) {
                uint32_t n = 0;
                if (!ParseU32(words[1], n)) return fail(lineNo, "bad gpu index");
                index = n;
            }
            if (index >= kMaxGpus) return fail(lineNo, "gpu index out of range");
            section = index;
            highestSection = anySection ? std::max(highestSection, index) : index;
            anySection = true;
            continue;
        }

        auto words = Words(line);
        if (Lower(words[0]) == "fail" || Lower(words[0]) == "clear") {
            bool clear = Lower(words[0]) == "clear";
            if (words.size() < 2) return fail(lineNo, "fail needs an entry name");
            std::string entry = CanonicalEntryName(words[1]);
            if (entry.empty()) return fail(lineNo, "unknown entry " + std::string(words[1]));
            if (clear) {
                std::erase_if(s.failures,
                              [&](const InjectedFailure& f) { return f.entry == entry; });
                continue;
            }
            InjectedFailure f;
            f.entry = entry;
            if (words.size() >= 3 && !ParseI32(words[2], f.status)) {
                return fail(lineNo, "bad status");
            }
            if (words.size() == 5 && Lower(words[3]) == "version") {
                if (!ParseU32(words[4], f.version)) return fail(lineNo, "bad version");
            } else if (words.size() != 2 && words.size() != 3) {
                return fail(lineNo, "expected: fail <entry> [status] [version <n>]");
            }
            if (f.status == 0) return fail(lineNo, "a failure status must not be 0");
            s.failures.push_back(f);
            continue;
        }

        size_t eq = line.find('=');
        if (eq == std::string_view::npos) return fail(lineNo, "expected key = value");
        std::string key = Lower(Trim(line.substr(0, eq)));
        std::string_view value = Trim(line.substr(eq + 1));

        if (key == "gpus") {
            uint32_t n = 0;
            if (section || !ParseU32(value, n) || n > kMaxGpus) return fail(lineNo, "bad gpus");
            gpuCount = n;
            continue;
        }
        if (IsGpuKey(key)) {
            if (section) {
                gpuLines.push_back({*section, key, std::string(value), lineNo});
            } else if (!ApplyGpuKey(gpuTemplate, key, value)) {
                return fail(lineNo, "bad value for " + key);
            }
            continue;
        }
        if (section) return fail(lineNo, key + " is not a gpu key");
        if (!ApplyGlobalKey(s, key, value)) return fail(lineNo, "bad key or value: " + key);
    }

    size_t count = gpuCount.value_or(anySection ? highestSection + 1 : 1);
    if (anySection && highestSection >= count) {
        return fail(lineNo, "a [gpu] section is beyond gpus = " + std::to_string(count));
    }
    s.gpus.assign(count, gpuTemplate);
    for (const GpuLine& l : gpuLines) {
        if (!ApplyGpuKey(s.gpus[l.gpu], l.key, l.value)) {
            return fail(l.line, "bad value for " + l.key);
        }
    }
    for (size_t i = 0; i < s.gpus.size(); ++i) {
        const GpuSpec& g = s.gpus[i];
        std::string which = "gpu " + std::to_string(i) + ": ";
        if (g.powerMinPct > g.powerDefaultPct || g.powerDefaultPct > g.powerMaxPct ||
            g.powerMinPct < 0) {
            return fail(lineNo, which + "power_limits must be min <= default <= max");
        }
        if (g.thermalMinC > g.thermalDefaultC || g.thermalDefaultC > g.thermalMaxC) {
            return fail(lineNo, which + "thermal_limits must be min <= default <= max");
        }
        if (g.fanMinPct < 0 || g.fanMinPct > g.fanMaxPct || g.fanMaxPct > 100) {
            return fail(lineNo, which + "fan_range must be 0 <= min <= max <= 100");
        }
        if (g.gpuOffsetMinMHz > 0 || g.gpuOffsetMaxMHz < 0 || g.memoryOffsetMinMHz > 0 ||
            g.memoryOffsetMaxMHz < 0) {
            return fail(lineNo, which + "offset ranges must contain 0");
        }
        if (g.idleClockMHz <= 0 || g.baseClockMHz < g.idleClockMHz ||
            g.boostClockMHz < g.baseClockMHz || g.idleMemoryClockMHz <= 0 ||
            g.memoryClockMHz < g.idleMemoryClockMHz) {
            return fail(lineNo, which + "clocks must be idle <= base <= boost");
        }
        if (g.name.size() >= 64 || g.vbios.size() >= 64) {
            return fail(lineNo, which + "name and vbios must be shorter than 64 characters");
        }
    }
    if (s.buildBranch.size() >= 64 || s.chipsetVendorName.size() >= 64 ||
        s.chipsetName.size() >= 64) {
        return fail(lineNo, "strings must be shorter than 64 characters");
    }
    out = std::move(s);
    return true;
}

}  // namespace velmora::sim
