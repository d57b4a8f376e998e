#include "device/SettingsPorts.h"

namespace lum {

PortMap PortsFromSettings(const Settings& settings, std::vector<std::string>& errors) {
  const auto section = settings.PortsSection();
  PortMap map = section ? PortMap::FromSection(*section) : PortMap::FromSystem();
  errors = map.SetBuses(settings.BusSection());
  return map;
}

}  // namespace lum
