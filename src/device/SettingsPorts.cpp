#include "device/SettingsPorts.h"

namespace lum {

namespace {

PortMap PortsFromSections(const std::optional<ProfileFile::Entries>& ports, const ProfileFile::Entries& bus,
                          std::vector<std::string>& errors) {
  PortMap map = ports ? PortMap::FromSection(*ports) : PortMap::FromSystem();
  errors = map.SetBuses(bus);
  return map;
}

}  // namespace

PortMap PortsFromSettings(const Settings& settings, std::vector<std::string>& errors) {
  return PortsFromSections(settings.PortsSection(), settings.BusSection(), errors);
}

PortMap PortsFromProfile(const ProfileFile& profile, std::vector<std::string>& errors) {
  return PortsFromSections(profile.SectionEntries(Settings::kPortsSection),
                           profile.SectionEntries(Settings::kBusSection).value_or(ProfileFile::Entries{}), errors);
}

}  // namespace lum
