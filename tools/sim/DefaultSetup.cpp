#include <array>
#include <stdexcept>
#include <string>

#include "base/ByteOrder.h"
#include "data/TypeTables.h"
#include "sim/ControllerSetup.h"

namespace lum::sim {

namespace {
constexpr int kLeadAcid12V = 2;  // battery type row
constexpr uint8_t kNightWorkMode = 1;
constexpr uint8_t kOTP = 50;
constexpr uint8_t kSCDelay = 30 | block_bits::kSCDelayUnit;
constexpr uint8_t kFuncFlags = block_bits::kPWMDimming;
constexpr uint16_t kCC = 1500;   // mA
constexpr uint16_t kCV = 12000;  // mV
constexpr uint8_t kFirmwareVersion = 123;
constexpr uint16_t kFirmwareBuild = 7;
constexpr uint32_t kSerialBase = 0x51000000 + 10240001;            // shown as 5110240001
constexpr uint32_t kBatchCode = (15u << 24) | (6u << 16) | 2024u;  // 15-06-2024
constexpr uint32_t kPowerOnSeconds = 2 * 3600 + 5 * 60 + 7;

// The controller's factory data area: model text, product code, serial and batch.
constexpr uint16_t kMemoryBase = 0x4000;
constexpr size_t kMemorySize = 0x30;
constexpr size_t kMemoryModelAt = 0x00;
constexpr size_t kMemoryModelSize = 8;
constexpr size_t kMemoryProductAt = 0x08;
constexpr size_t kMemorySerialAt = 0x18;
constexpr size_t kMemoryBatchAt = 0x24;

struct Segment {
  uint16_t minutes;
  uint8_t power;
};
constexpr std::array<Segment, 4> kSegments = {{{240, 100}, {180, 70}, {300, 40}, {60, 80}}};

const std::array<const char*, kDeviceTypeCount> kModels = {"LS1024-A", "LS2024-B", "LC1530-C", "IR-R660"};

}  // namespace

Bytes FactoryMemory(const ControllerSetup& setup) {
  Bytes memory(kMemorySize, 0);
  for (size_t i = 0; i < kMemoryModelSize && i < setup.model.size(); ++i)
    memory[kMemoryModelAt + i] = static_cast<uint8_t>(setup.model[i]);
  WriteU32Be(memory.data() + kMemoryProductAt, setup.config.ProductID());
  WriteU32Be(memory.data() + kMemorySerialAt, setup.serialNumber);
  WriteU32Be(memory.data() + kMemoryBatchAt, setup.batchCode);
  return memory;
}

namespace {
void FillConfig(TCONFIG_BLOCK& block, const TDEVICE_TYPES& type) {
  const TBATTERY_TYPES& battery = BatteryTypes()[kLeadAcid12V];
  block.SetProductID(type.ProductCode);
  block.SetFuncFlags(kFuncFlags);
  block.SetOTP(kOTP);
  if (type.Caps.HasBattery) {
    block.SetBattOVP(battery.OVP);
    block.SetBattFCV(battery.FCV);
    block.SetBattUVP(battery.UVP);
    block.SetBattUVR(battery.UVR);
  }
  if (type.Caps.HasLightControl) {
    block.SetSCV(battery.SCV);
    block.SetSCDelay(kSCDelay);
  }
  for (int c = 0; c < type.Channels; ++c) {
    TCHANNEL_CONFIG channel = block.Channel(0, c);
    channel.SetMode(kNightWorkMode);
    if (type.Caps.HasRatedCurrent) channel.SetCC(kCC);
    if (type.Caps.HasVoltageLimit) channel.SetCV(kCV);
    for (size_t k = 0; k < kSegments.size(); ++k) {
      channel.Timing(static_cast<int>(k)).SetMinutes(kSegments[k].minutes);
      channel.Timing(static_cast<int>(k)).SetPower(kSegments[k].power);
    }
  }
}
}  // namespace

int DefaultSetupRows() { return kDeviceTypeCount; }

ControllerSetup DefaultSetup(int row) {
  if (row < 0 || row >= kDeviceTypeCount) throw std::out_of_range("device type row " + std::to_string(row));
  const TDEVICE_TYPES& type = DeviceTypes()[static_cast<size_t>(row)];
  ControllerSetup setup;
  setup.model = kModels[static_cast<size_t>(row)];
  setup.serialNumber = kSerialBase + static_cast<uint32_t>(row);
  setup.firmwareVersion = kFirmwareVersion;
  setup.firmwareBuild = kFirmwareBuild;
  setup.batchCode = kBatchCode;
  FillConfig(setup.config, type);
  setup.measurements.powerOnSeconds = kPowerOnSeconds;
  setup.memoryBase = kMemoryBase;
  setup.memory = FactoryMemory(setup);
  return setup;
}

}  // namespace lum::sim
