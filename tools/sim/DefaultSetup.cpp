#include <array>
#include <stdexcept>
#include <string>

#include "base/ByteOrder.h"
#include "data/TypeTables.h"
#include "sim/ControllerSetup.h"

namespace lum::sim {

namespace {
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
// The controller holds the sample of every field its type can hold, its night profile in
// the segments, and a limit temperature, which every controller reports with its temperature
// whether or not it takes a new one.
void FillConfig(TCONFIG_BLOCK& block, const TDEVICE_TYPES& type, FieldTable fields) {
  block.SetProductID(type.ProductCode);
  for (const ConfigField& field : fields) {
    if (field.sample == 0 || !CanHold(type.Caps, field)) continue;
    const int segments = field.scope == FieldScope::Channel ? 1 : block_layout::kSegments;
    if (field.scope == FieldScope::Block)
      WriteValue(block, field, {}, field.sample);
    else
      for (int c = 0; c < type.Channels; ++c)
        for (int k = 0; k < segments; ++k) WriteValue(block, field, {0, c, k}, field.sample);
  }
  const ConfigField& otp = Field(FieldId::OTP);
  WriteValue(block, otp, {}, otp.sample);
  for (int c = 0; c < type.Channels; ++c)
    for (size_t k = 0; k < kSegments.size(); ++k) {
      block.Channel(0, c).Timing(static_cast<int>(k)).SetMinutes(kSegments[k].minutes);
      block.Channel(0, c).Timing(static_cast<int>(k)).SetPower(kSegments[k].power);
    }
}
}  // namespace

int DefaultSetupRows() { return kDeviceTypeCount; }

ControllerSetup DefaultSetup(int row, FieldTable fields) {
  if (row < 0 || row >= kDeviceTypeCount) throw std::out_of_range("device type row " + std::to_string(row));
  const TDEVICE_TYPES& type = DeviceTypes()[static_cast<size_t>(row)];
  ControllerSetup setup;
  setup.model = kModels[static_cast<size_t>(row)];
  setup.serialNumber = kSerialBase + static_cast<uint32_t>(row);
  setup.firmwareVersion = kFirmwareVersion;
  setup.firmwareBuild = kFirmwareBuild;
  setup.batchCode = kBatchCode;
  FillConfig(setup.config, type, fields);
  setup.measurements.powerOnSeconds = kPowerOnSeconds;
  setup.memoryBase = kMemoryBase;
  setup.memory = FactoryMemory(setup);
  return setup;
}

ControllerSetup BusUnit(int row, uint8_t address, uint32_t serial) {
  ControllerSetup setup = DefaultSetup(row);
  setup.config.SetAddress(address);
  setup.serialNumber = serial;
  setup.memory = FactoryMemory(setup);
  return setup;
}

}  // namespace lum::sim
