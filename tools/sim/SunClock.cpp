#include "sim/SunClock.h"

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "nights/NightRules.h"

namespace lum::sim {

namespace {
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);)
    if (!part.empty()) parts.push_back(part);
  return parts;
}

int Day(const std::string& text, const std::string& what) {
  size_t used = 0;
  int day = -1;
  try {
    day = std::stoi(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || day < 0) throw std::invalid_argument(what + ": '" + text + "' is not a day number");
  return day;
}

void ApplyFault(SunWorldSetup& setup, const std::string& fault) {
  const size_t eq = fault.find('=');
  const std::string name = fault.substr(0, eq);
  const std::string value = eq == std::string::npos ? std::string() : fault.substr(eq + 1);
  if (name == "dead-lamp") {
    for (const std::string& night : Split(value, ';')) setup.deadLampNights.insert(Day(night, "dead-lamp"));
  } else if (name == "broken-panel") {
    setup.brokenPanelFromDay = Day(value, "broken-panel");
  } else if (name == "ageing") {
    char* end = nullptr;
    setup.capacityLossPerDay = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !std::isfinite(setup.capacityLossPerDay) || setup.capacityLossPerDay < 0)
      throw std::invalid_argument("ageing: '" + value + "' is not Ah lost per day");
  } else {
    throw std::invalid_argument("unknown fault '" + name + "' (dead-lamp, broken-panel, ageing)");
  }
}
}  // namespace

AcceleratedSun::AcceleratedSun(const SunWorldSetup& setup, double speed)
    : world_(setup), start_ms_(setup.startMs), speed_(speed) {}

SunWorldValues AcceleratedSun::At(uint64_t elapsedMs) {
  std::lock_guard lock(mutex_);
  return world_.At(start_ms_ + std::llround(static_cast<double>(elapsedMs) * speed_));
}

SunWorldSetup SunSetupFor(const TCONFIG_BLOCK& block, const SunOptions& options, int64_t nowMs) {
  const std::optional<nights::Site> site = nights::ParseSite(options.site);
  if (!site) throw std::invalid_argument("--sun: '" + options.site + "' is not LAT,LON in degrees");
  const nights::NightRules rules = nights::RulesOfBlock(block);
  SunWorldSetup setup;
  setup.site = *site;
  setup.startMs = nowMs;
  setup.profile = rules.profile;
  setup.switchVolts = rules.switchVolts;
  setup.switchDelayMs = rules.switchDelayMs;
  setup.cutVolts = rules.cutVolts;
  setup.reconnectVolts = rules.reconnectVolts;
  for (const std::string& day : Split(options.cloudy, ',')) setup.cloudyDays.insert(Day(day, "--cloudy"));
  for (const std::string& fault : Split(options.faults, ',')) ApplyFault(setup, fault);
  return setup;
}

}  // namespace lum::sim
