#include "device/Monitor.h"

#include <algorithm>

#include "device/Identify.h"
#include "device/PortOpener.h"

namespace lum {

namespace {
constexpr uint8_t kPollReads[] = {command::kPowerOnTime,  command::kTemperature,  command::kBatteryVoltage,
                                  command::kSolarVoltage, command::kLoad1Voltage, command::kLoad1Current};
}  // namespace

bool Monitor::Open(const std::string& path, int* failure) {
  if (port_) return true;
  port_ = OpenPort(path, kDeviceBaud, &link_.observer(), failure);
  if (!port_) return false;
  link_.SetRxPos(link_layout::kRxRingStart);
  link_.clock().SleepMs(kOpenPauseMs);
  link_.SetDeviceIdentified(true);
  return true;
}

void Monitor::SetBus(int port, BusAddresses addresses) {
  bus_port_ = port;
  bus_ = std::move(addresses);
}

void Monitor::Close() {
  bus_.clear();
  if (!port_) return;
  port_.reset();
  link_.SetDeviceIdentified(false);
}

TCONFIG_BLOCK& Monitor::Block() {
  TDEVICE_CONFIG* entry = entries_.CurrentEntry();
  return entry ? entry->Config : unattached_;
}

TCONFIG_BLOCK& Monitor::BlockOf(uint8_t address) {
  for (const auto& entry : entries_.DeviceEntries())
    if (entry->Port == bus_port_ && entry->BusAddress == address) return entry->Config;
  return unattached_;
}

void Monitor::PollReads(TCONFIG_BLOCK& block) {
  for (uint8_t command : kPollReads) SendRead(link_, port_.get(), block, command);
}

bool Monitor::Poll(bool monitoringOn, uint8_t busAddress) {
  if (!port_) return false;
  if (busAddress != 0 && std::find(bus_.begin(), bus_.end(), busAddress) == bus_.end()) return false;
  link_.ClearReplyLog();  // nothing reads a poll's replies back: the log must not grow tick by tick
  if (!monitoringOn) return true;
  if (bus_.empty()) {
    PollReads(Block());
    return true;
  }
  for (const uint8_t address : bus_) {
    if (busAddress != 0 && address != busAddress) continue;
    link_.SetBusAddress(address);
    PollReads(BlockOf(address));
  }
  link_.SetBusAddress(0);
  return true;
}

bool Monitor::ReadMemory(std::span<const MemoryRead> reads) {
  if (!port_) return false;
  const TDEVICE_CONFIG* entry = entries_.CurrentEntry();
  const uint8_t address = !bus_.empty() && entry && entry->Port == bus_port_ ? entry->BusAddress : 0;
  if (!bus_.empty() && address == 0) return false;
  link_.ClearReplyLog();
  link_.SetBusAddress(address);
  for (const MemoryRead& read : reads)
    link_.SendFrame(Block(), port_.get(), link_.RequestAddress(), command::kMemoryRead, 0, read.count, read.address);
  link_.SetBusAddress(0);
  return true;
}

bool Monitor::ReadSettingsMemory() { return ReadMemory(kSettingsMemoryReads); }

bool Monitor::TestMemoryRead() { return ReadMemory(std::span(&kTestMemoryRead, 1)); }

}  // namespace lum
