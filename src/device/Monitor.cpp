#include "device/Monitor.h"

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

void Monitor::Close() {
  if (!port_) return;
  port_.reset();
  link_.SetDeviceIdentified(false);
}

TCONFIG_BLOCK& Monitor::Block() {
  TDEVICE_CONFIG* entry = entries_.CurrentEntry();
  return entry ? entry->Config : unattached_;
}

bool Monitor::Poll(bool monitoringOn) {
  if (!port_) return false;
  link_.ClearReplyLog();  // nothing reads a poll's replies back: the log must not grow tick by tick
  if (monitoringOn)
    for (uint8_t command : kPollReads) SendRead(link_, port_.get(), Block(), command);
  return true;
}

bool Monitor::ReadMemory(std::span<const MemoryRead> reads) {
  if (!port_) return false;
  link_.ClearReplyLog();
  for (const MemoryRead& read : reads)
    link_.SendFrame(Block(), port_.get(), kRequestAddress, command::kMemoryRead, 0, read.count, read.address);
  return true;
}

bool Monitor::ReadSettingsMemory() { return ReadMemory(kSettingsMemoryReads); }

bool Monitor::TestMemoryRead() { return ReadMemory(std::span(&kTestMemoryRead, 1)); }

}  // namespace lum
