#include "Probe.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const kInfoRowNames[] = {
    "Name",
    "(blank)",
    "Memory size",
    "Memory type",
    "GPU clock",
    "GPU base clock",
    "Driver version",
    "Chipset",
    "(blank)",
    "Memory bus width",
    "Memory bandwidth",
    "Memory clock",
    "Memory base clock",
    "Video BIOS version",
};
const char* const kClockStringNames[] = {"GPU clock", "Memory clock", "Memory bandwidth"};

std::string Utf8(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        // UTF-16 surrogate pairs (wchar_t is 16 bits on Windows).
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// One result line, printed after its reading (the driver layer's own diagnostic lines come
// before it): callers read first, then format, as argument order is unspecified.
void Result(const char* what, bool ok, const std::string& values) {
    std::fflush(stdout);
    std::printf("  %-24s %s%s%s\n", what, ok ? "ok" : "FAILED", values.empty() ? "" : "  ",
                ok ? values.c_str() : "");
    std::fflush(stdout);
}

std::string Fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

void ProbeReadings(NvidiaGpu& gpu) {
    GpuTemperature t;
    const int32_t temperature = gpu.ReadGpuTemperature(t);
    if (temperature >= 0) {
        Result("GPU temperature", true,
               Fmt("%d C (sensor range %d..%d C)", t.currentC, t.defaultMinC, t.defaultMaxC));
    } else {
        Result("GPU temperature", false, "");
        std::printf("  %-24s status %d\n", "", temperature);
    }

    const char* const clockTypes[] = {"Clocks (current)", "Clocks (base)", "Clocks (boost)"};
    for (int32_t type = 0; type < 3; ++type) {
        ClockReading c;
        const bool ok = gpu.ReadClocks(c, type);
        Result(clockTypes[type], ok,
               Fmt("graphics %d MHz, memory %d MHz, processor %d MHz", c.graphicsMHz, c.memoryMHz,
                   c.processorMHz));
    }

    int32_t use[2] = {-1, -1};
    const bool useOk = gpu.ReadUtilization(use);
    Result(
        "Utilization", useOk,
        Fmt("GPU %s, frame buffer %s", use[0] < 0 ? "not reported" : Fmt("%d %%", use[0]).c_str(),
            use[1] < 0 ? "not reported" : Fmt("%d %%", use[1]).c_str()));

    VoltageReading v;
    v.currentUv = -1;
    const bool vOk = gpu.ReadVoltage(v);
    Result("Voltage", vOk,
           Fmt("current %s, base %.3f mV, range %.3f..%.3f mV",
               v.currentUv < 0 ? "not reported" : Fmt("%.3f mV", v.currentUv / 1000.0).c_str(),
               v.baseUv / 1000.0, v.minUv / 1000.0, v.maxUv / 1000.0));

    MemoryUsage m;
    const bool answered1 = gpu.ReadMemoryUsage(m);
    Result("Memory usage", answered1,
           Fmt("used %d KB, free %d KB, available %d KB", m.usedKB, m.freeKB, m.availableKB));

    PowerReading p;
    p.powerNowPct = -1;
    const bool pOk = gpu.ReadPower(p);
    Result("Power", pOk,
           Fmt("now %s, target %d %% (min %d, default %d, max %d %%)",
               p.powerNowPct < 0 ? "no matching channel" : Fmt("%d %%", p.powerNowPct).c_str(),
               p.limitCurrentPct, p.limitMinPct, p.limitDefaultPct, p.limitMaxPct));

    CoolerReading f;
    const bool fOk = gpu.ReadCooler(f);
    Result("Cooler", fOk,
           Fmt("level %d %% (range %d..%d %%), tachometer %d RPM", f.currentLevelPct, f.minLevelPct,
               f.maxLevelPct, f.tachRpm));

    int32_t pstate = -1;
    const bool answered2 = gpu.GetCurrentPstate(pstate);
    Result("Current P-state", answered2, Fmt("P%d", pstate));

    ThermalLimits tl;
    const bool answered3 = gpu.ReadTemperatureTarget(tl);
    Result("Temperature target", answered3,
           Fmt("%d C (min %d, default %d, max %d C), priority %s", tl.currentTargetC, tl.minC,
               tl.defaultC, tl.maxC, tl.priorityFlag ? "on" : "off"));

    int32_t pv[2] = {0, 0};
    gpu.ReadPstateClocks(pv, false);
    Result("P-state clocks", true, Fmt("GPU %d MHz, memory %d MHz", pv[0], pv[1]));
    int32_t range[2] = {0, 0};
    gpu.ReadPstateClocks(range, true);
    Result("Largest offsets", true, Fmt("GPU +%d MHz, memory +%d MHz", range[0], range[1]));
    const int32_t gpuOffset = gpu.ReadClockOffset(0);
    const int32_t memoryOffset = gpu.ReadClockOffset(1);
    Result("Clock offsets", true, Fmt("GPU %+d MHz, memory %+d MHz", gpuOffset, memoryOffset));

    OverVoltage ov;
    const bool answered4 = gpu.ReadOverVoltage(ov);
    Result(
        "Over-voltage", answered4,
        Fmt("current %+d uV, range %+d..%+d uV", ov.deltaCurrentUv, ov.deltaMinUv, ov.deltaMaxUv));
    VoltageRange vr;
    vr.currentUv = -1;
    const bool answered5 = gpu.ReadVoltageRange(vr);
    Result("Voltage range", answered5,
           Fmt("%d..%d uV, base %d uV, |delta min| %d uV", vr.minUv, vr.maxUv, vr.baseUv,
               vr.absDeltaMinUv));
}

}  // namespace

int RunProbe(NvidiaGpu& gpu, bool started) {
    gpu.SetUserMessageSink([](const std::wstring& text, const std::wstring& caption, unsigned) {
        std::printf("  [message box \"%s\"] %s\n", Utf8(caption).c_str(), Utf8(text).c_str());
    });
    std::printf("Velmora GPU probe\n");
    std::printf("NVAPI start: %s\n", started ? "ok" : "FAILED (no NVIDIA driver answered)");
    std::printf("GPUs: %u, displays: %u, output id 0x%X\n", gpu.gpuCount(), gpu.displayCount(),
                gpu.outputId());
    std::fflush(stdout);

    for (uint32_t i = 0; i < gpu.gpuCount(); ++i) {
        gpu.SelectGpu(static_cast<int32_t>(i));
        std::wstring name;
        gpu.GetGpuName(name, gpu.gpuHandle(i));
        std::printf("\n== GPU %u: %s (device id 0x%04X) ==\n", i,
                    name.empty() ? "(no name)" : Utf8(name).c_str(), gpu.GetDeviceId());
        std::printf("-- readings --\n");
        std::fflush(stdout);
        ProbeReadings(gpu);

        std::printf("-- information sheet --\n");
        std::fflush(stdout);
        std::vector<std::wstring> rows;
        gpu.GetInfoStrings(rows);
        std::fflush(stdout);
        for (size_t r = 0; r < rows.size(); ++r) {
            const char* label = r < std::size(kInfoRowNames) ? kInfoRowNames[r] : "(extra)";
            std::printf("  %2zu %-20s %s\n", r, label, Utf8(rows[r]).c_str());
        }
        std::printf("-- clock strings --\n");
        std::fflush(stdout);
        std::vector<std::wstring> clocks;
        gpu.GetClockStrings(clocks);
        std::fflush(stdout);
        for (size_t r = 0; r < clocks.size(); ++r) {
            const char* label = r < std::size(kClockStringNames) ? kClockStringNames[r] : "(extra)";
            std::printf("  %2zu %-20s %s\n", r, label, Utf8(clocks[r]).c_str());
        }
        std::fflush(stdout);
    }
    if (gpu.gpuCount() > 0) {
        gpu.SelectGpu(0);
    }
    std::printf("\nend of report\n");
    std::fflush(stdout);
    return gpu.gpuCount() > 0 ? 0 : 1;
}
