#include "device/Scan.h"

#include <memory>

#include "data/TypeTables.h"
#include "device/Identify.h"
#include "device/InfoLines.h"
#include "link/PortNames.h"

namespace lum {

namespace {

constexpr uint8_t kIdentityReads[] = {command::kFirmwareVersion, command::kSerialNumber, command::kBatchCode,
                                      command::kFuncFlags, command::kModelText};
constexpr uint8_t kBatteryReads[] = {command::kBattOVP, command::kBattFCV, command::kBattUVP, command::kBattUVR};

std::string DeviceTypeName(const DeviceTypeNames& names, int row) {
  const auto index = static_cast<size_t>(row);
  return index < names.size() ? names[index] : DeviceTypes()[index].DefaultName;
}

void ReadChannel(Link& link, SerialPort* port, TCONFIG_BLOCK& block, const Capabilities& caps, int channel) {
  const uint8_t index = ChannelIndex(channel);
  if (caps.HasVoltageLimit) SendRead(link, port, block, command::kChannelCV, index);
  if (caps.HasRatedCurrent || caps.HasPWMDimming) SendRead(link, port, block, command::kChannelCC, index);
  SendRead(link, port, block, command::kChannelMode, index);
  link.clock().SleepMs(kChannelReadPauseMs);
  for (int k = 0; k < block_layout::kSegments; ++k)
    SendRead(link, port, block, command::kChannelTiming, index, SegmentWord(k));
}

}  // namespace

bool IdentifyAndRead(DeviceContext& context, SerialPort* port, const DeviceTypeNames& names) {
  TDEVICE_CONFIG* entry = context.entries.CurrentEntry();
  if (!port || !entry) return false;
  Link& link = context.link;
  LinkObserver& observer = link.observer();
  TCONFIG_BLOCK& block = entry->Config;
  link.SetEntry(entry);  // identity replies land in the entry being read

  const int row = Identify(link, port, block, kScanIdentifyTries);
  if (row < 0) {
    link.SetDeviceIdentified(false);
    return false;
  }
  observer.ProcessMessages();
  observer.InfoLine(ConnectedLine(DeviceTypeName(names, row), entry->Name));

  for (uint8_t command : kIdentityReads) SendRead(link, port, block, command);
  const Capabilities caps = ResolveCapabilities(block.CapFlags(), row);
  if (caps.HasLightControl) SendRead(link, port, block, command::kLightControl);
  if (caps.HasBattery)
    for (uint8_t command : kBatteryReads) SendRead(link, port, block, command);

  observer.InfoLine(ReadingLine());
  observer.ProcessMessages();
  const int channels = DeviceTypes()[static_cast<size_t>(row)].Channels;
  for (int c = 0; c < channels; ++c) ReadChannel(link, port, block, caps, c);

  observer.InfoLine(context.messages.Text(MessageTable::kOk));
  entry->FromDevice = true;
  link.SetDeviceIdentified(false);
  return true;
}

bool ScanPorts(DeviceContext& context, const DeviceTypeNames& names, const ConfirmApply& confirmApply) {
  Link::Operation operation(context.link);
  if (!operation) return false;
  if (TDEVICE_CONFIG* current = context.entries.CurrentEntry(); current && !current->FromDevice && confirmApply)
    confirmApply(*current);

  context.entries.ClearDeviceEntries();
  context.link.SetEntry(context.entries.CurrentEntry());
  bool anyRead = false;
  for (int n = kFirstComPort; n <= kLastComPort; ++n) {
    const std::unique_ptr<SerialPort> port = context.ports.Open(n);
    if (!port) continue;
    const std::string name = ComName(n);
    context.link.observer().InfoLine(OpenPortLine(context.messages, name));
    auto entry = std::make_unique<TDEVICE_CONFIG>();
    entry->Name = name;
    context.entries.SetCurrentEntry(&context.entries.AddDeviceEntry(std::move(entry)));
    if (IdentifyAndRead(context, port.get(), names)) anyRead = true;
  }
  context.link.SetEntry(context.entries.CurrentEntry());
  return anyRead;
}

}  // namespace lum
