// The GPU information sheet: display-ready strings about the selected GPU.
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <string>

#include "gpu/AnsiText.h"
#include "gpu/NvidiaGpu.h"

using namespace nvapi;

namespace {

const wchar_t kUnknown[] = L"Unknown";
constexpr uint32_t kKBPerMB = 1024;
constexpr int32_t kMemoryTypeCount = 11;

struct MemoryType {
    const wchar_t* text;
    int32_t rateFactor;  // data transfers per memory clock, as the bandwidth row counts them
};

// Indexed by the memory-type query's value.
const MemoryType kMemoryTypes[kMemoryTypeCount] = {
    {L"Unknown", 2}, {L"SDRAM", 1}, {L"DDR1", 2},  {L"DDR2", 2},   {L"GDDR2", 2},  {L"GDDR3", 2},
    {L"GDDR4", 4},   {L"DDR3", 2},  {L"GDDR5", 2}, {L"LPDDR2", 2}, {L"GDDR5X", 2},
};

std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[64];
    va_list args;
    va_start(args, format);
    const int n = std::vswprintf(buffer, std::size(buffer), format, args);
    va_end(args);
    return n < 0 ? std::wstring() : std::wstring(buffer, static_cast<size_t>(n));
}

std::wstring MHz(int32_t value) {
    return Format(L"%dMHz", value);
}

std::wstring Bandwidth(int32_t memoryMHz, int32_t rateFactor, uint32_t busWidthBits) {
    const double gbPerSecond =
        static_cast<double>(memoryMHz) * rateFactor * busWidthBits / 8.0 / 1000.0;
    return Format(L"%.1fGB/s", gbPerSecond);
}

}  // namespace

uint32_t NvidiaGpu::GetDeviceId() {
    uint32_t deviceId = 0, subSystemId = 0, revisionId = 0, extDeviceId = 0;
    if (nv_.gpuGetPciIdentifiers(SelectedGpu(), &deviceId, &subSystemId, &revisionId,
                                 &extDeviceId) != kNvStatusOk) {
        return 0;
    }
    return extDeviceId;
}

void NvidiaGpu::GetGpuName(std::wstring& out, NvPhysicalGpu gpuHandle) {
    NvShortString name = {};
    if (nv_.gpuGetFullName(gpuHandle, name) != kNvStatusOk) {
        out.clear();
        return;
    }
    out = AnsiToWide(name, kNvShortStringSize);
}

NvStatus NvidiaGpu::ReadMemoryInfo(NvMemoryInfoV3& info) {
    const NvPhysicalGpu gpu = SelectedGpuLazy();
    for (const bool perGpu : {true, false}) {
        for (const uint32_t version : {kNvMemoryInfoVer3, kNvMemoryInfoVer1}) {
            info = {};
            info.version = version;
            const NvStatus status = perGpu ? nv_.gpuGetMemoryInfo(gpu, &info)
                                           : nv_.getDisplayDriverMemoryInfo(nullptr, &info);
            if (status == kNvStatusIncompatibleVersion) continue;
            // Only a driver without the per-GPU query falls back: any other answer is the
            // chosen GPU's own.
            if (perGpu && status == kNvStatusNoImplementation) break;
            return status;
        }
        if (!perGpu) break;
    }
    return kNvStatusIncompatibleVersion;
}

void NvidiaGpu::GetGpuNameOf(int32_t index, std::wstring& out) {
    out.clear();
    if (index < 0 || static_cast<uint32_t>(index) >= gpuCount_ || !gpuHandles_[index]) return;
    GetGpuName(out, gpuHandles_[index]);
}

bool NvidiaGpu::ReadBaseClockWithoutOffset(uint32_t domainId, int32_t offsetMHz, bool memory,
                                           int32_t& baseMHz) {
    // These cards report base clocks with the offset in them: measure at a zero offset, then
    // give the user's offset back whatever the measurement did.
    if (!SetClockOffset(domainId, 0)) {
        return false;
    }
    ClockReading base;
    const bool read = ReadClocks(base, kNvClockTypeBase);
    SetClockOffset(domainId, offsetMHz);
    if (read) {
        baseMHz = memory ? base.memoryMHz : base.graphicsMHz;
    }
    return read;
}

void NvidiaGpu::GetInfoStrings(std::vector<std::wstring>& list) {
    // 0: name, 1: blank
    std::wstring name;
    GetGpuName(name, SelectedGpu());
    list.push_back(name.empty() ? kUnknown : name);
    list.push_back(L"");

    // 2: memory size (version 3, then 1)
    {
        NvMemoryInfoV3 info = {};
        const NvStatus status = ReadMemoryInfo(info);
        list.push_back(
            status == kNvStatusOk
                ? Format(L"%dMB", static_cast<int>(info.dedicatedVideoMemoryKB / kKBPerMB))
                : kUnknown);
    }

    // 3: memory type; an unknown value leaves the rate factor as it was
    {
        uint32_t type = 0;
        if (nv_.gpuGetMemoryType(SelectedGpu(), &type) == kNvStatusOk &&
            type < static_cast<uint32_t>(kMemoryTypeCount)) {
            list.push_back(kMemoryTypes[type].text);
            memoryRateFactor_ = kMemoryTypes[type].rateFactor;
        } else {
            list.push_back(kUnknown);
        }
    }

    const uint32_t deviceId = GetDeviceId();
    int32_t pstateClocks[2] = {0, 0};
    ReadPstateClocks(pstateClocks, false);
    int32_t gpuOffset = 0;
    const bool gpuOffsetKnown = ReadClockOffsetChecked(0, gpuOffset);
    ClockReading base;
    if (!ReadClocks(base, kNvClockTypeBase)) {
        int32_t range[2] = {0, 0};
        ReadPstateClocks(range, true);
        base.graphicsMHz = range[0];
        base.memoryMHz = range[1];
    }

    // 4, 5: GPU clock and GPU base clock. The zero-offset measurement needs the user's offset
    // first: without it, putting it back would erase it.
    if (deviceId == kDeviceIdOffsetInBaseGpuAndMemory && gpuOffsetKnown) {
        gpuBaseClockMHz_ = base.graphicsMHz;
        ReadBaseClockWithoutOffset(kNvClockDomainGraphics, gpuOffset, false, gpuBaseClockMHz_);
        list.push_back(MHz(gpuBaseClockMHz_ + gpuOffset));
        list.push_back(MHz(gpuBaseClockMHz_));
    } else {
        if (deviceId == kDeviceIdOffsetInBaseGpuAndMemory) {
            gpuBaseClockMHz_ = base.graphicsMHz;  // best known value for the clock refresh
        }
        list.push_back(MHz(base.graphicsMHz + gpuOffset));
        list.push_back(MHz(base.graphicsMHz));
    }

    // 6: driver version, 41142 -> 411.42
    {
        NvDisplayDriverVersion info = {};
        info.version = kNvDisplayDriverVersionVer1;
        if (nv_.getDisplayDriverVersion(nullptr, &info) == kNvStatusOk) {
            list.push_back(Format(L"%u.%02u", info.driverVersion / 100, info.driverVersion % 100));
        } else {
            list.push_back(kUnknown);
        }
    }

    // 7: chipset (version 4, then 3, then 2)
    {
        const uint32_t versions[] = {kNvChipsetInfoVer4, kNvChipsetInfoVer3, kNvChipsetInfoVer2};
        NvChipsetInfoV4 info = {};
        NvStatus status = kNvStatusError;
        for (uint32_t version : versions) {
            info = {};
            info.version = version;
            status = nv_.sysGetChipSetInfo(&info);
            if (status != kNvStatusIncompatibleVersion) {
                break;
            }
        }
        if (status == kNvStatusOk) {
            list.push_back(AnsiToWide(info.vendorName, kNvShortStringSize) +
                           Format(L"   %X", info.vendorId));
        } else {
            list.push_back(kUnknown);
        }
    }

    // 8: blank, 9: bus width, 10: bandwidth from the P-state memory clock
    list.push_back(L"");
    uint32_t busWidth = 0;
    if (nv_.gpuGetMemoryBusWidth(SelectedGpu(), &busWidth) == kNvStatusOk) {
        list.push_back(Format(L"%dBit", static_cast<int>(busWidth)));
    } else {
        busWidth = 0;  // no width, no bandwidth
        list.push_back(kUnknown);
    }
    list.push_back(Bandwidth(pstateClocks[1], memoryRateFactor_, busWidth));

    // 11, 12: memory clock and memory base clock
    ClockReading base2 = base;
    ReadClocks(base2, kNvClockTypeBase);
    int32_t memOffset = 0;
    const bool memOffsetKnown = ReadClockOffsetChecked(1, memOffset);
    if ((deviceId == kDeviceIdOffsetInBaseGpuAndMemory ||
         deviceId == kDeviceIdOffsetInBaseMemory) &&
        memOffsetKnown) {
        memoryBaseClockMHz_ = base2.memoryMHz;
        ReadBaseClockWithoutOffset(kNvClockDomainMemory, memOffset, true, memoryBaseClockMHz_);
        list.push_back(MHz(memoryBaseClockMHz_ + memOffset));
        list.push_back(MHz(memoryBaseClockMHz_));
    } else {
        if (deviceId == kDeviceIdOffsetInBaseGpuAndMemory ||
            deviceId == kDeviceIdOffsetInBaseMemory) {
            memoryBaseClockMHz_ = base.memoryMHz;
        }
        list.push_back(MHz(base2.memoryMHz + memOffset));
        list.push_back(MHz(base.memoryMHz));
    }

    // 13: video BIOS version
    NvShortString vbios = {};
    if (nv_.gpuGetVbiosVersionString(SelectedGpu(), vbios) == kNvStatusOk) {
        list.push_back(AnsiToWide(vbios, kNvShortStringSize));
    } else {
        list.push_back(kUnknown);
    }
}

void NvidiaGpu::GetClockStrings(std::vector<std::wstring>& list) {
    uint32_t busWidth = 0;
    if (nv_.gpuGetMemoryBusWidth(SelectedGpu(), &busWidth) != kNvStatusOk) {
        busWidth = 0;
    }
    const uint32_t deviceId = GetDeviceId();
    ClockReading base;
    ReadClocks(base, kNvClockTypeBase);
    const int32_t gpuOffset = ReadClockOffset(0);
    const int32_t memOffset = ReadClockOffset(1);

    list.push_back(MHz(deviceId == kDeviceIdOffsetInBaseGpuAndMemory
                           ? gpuBaseClockMHz_ + gpuOffset
                           : base.graphicsMHz + gpuOffset));
    const bool memoryFromField =
        deviceId == kDeviceIdOffsetInBaseGpuAndMemory || deviceId == kDeviceIdOffsetInBaseMemory;
    list.push_back(
        MHz(memoryFromField ? memoryBaseClockMHz_ + memOffset : base.memoryMHz + memOffset));
    list.push_back(Bandwidth(base.memoryMHz, memoryRateFactor_, busWidth));
}
