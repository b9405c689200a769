// Writes on the GPU's I2C bus: raw transactions and the LED controller's packets.
#include "gpu/NvidiaGpu.h"
#include "lighting/LedPacket.h"

using namespace nvapi;

namespace {
constexpr uint8_t kI2cDdcPort = 1;
constexpr uint8_t kI2cPortId = 1;
}  // namespace

bool NvidiaGpu::I2cWrite(uint8_t deviceAddress, const uint8_t* data, uint32_t size) {
    const NvPhysicalGpu gpu = SelectedGpuLazy();
    if (data == nullptr && size > 0) {
        return false;
    }
    NvI2cInfoV3 info = {};
    info.version = kNvI2cInfoVer3;
    info.displayMask = kNvI2cDisplayMask;
    info.isDdcPort = kI2cDdcPort;
    info.deviceAddress = deviceAddress;
    info.registerAddress = nullptr;
    info.registerAddressSize = 0;
    info.data = data;
    info.size = size;
    info.legacySpeed = kNvI2cLegacySpeedDefault;
    info.speed = kNvI2cSpeed400kHz;
    info.portId = kI2cPortId;
    info.isPortIdSet = 1;
    if (nv_.i2cWrite(gpu, &info) == kNvStatusOk) {
        return true;
    }
    // Some drivers take the write only through the extended entry.
    uint32_t unknown = 0;
    return nv_.i2cWriteEx(gpu, &info, &unknown) == kNvStatusOk;
}

bool NvidiaGpu::WriteLedPacket(const uint8_t* colours, size_t n, uint8_t effect, uint8_t brightness,
                               uint8_t speed) {
    const std::vector<uint8_t> packet = BuildLedPacket(colours, n, effect, brightness, speed);
    if (packet.empty()) {
        return false;
    }
    return I2cWrite(kLedControllerAddress, packet.data(), static_cast<uint32_t>(packet.size()));
}
