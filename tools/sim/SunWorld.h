#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "data/NightProfile.h"
#include "data/PollSample.h"
#include "nights/SunTimes.h"

namespace lum::sim {

/// A street light outdoors: the sun over a site, a panel, a battery and a lamp on a
/// controller that switches and cuts as a real one does.
struct SunWorldSetup {
  nights::Site site;
  int64_t startMs = 0;
  NightProfile profile;
  double switchVolts = 5.0;
  int64_t switchDelayMs = 30'000;
  double cutVolts = 10.8;        // the load goes off at or below
  double reconnectVolts = 12.3;  // and comes back above, with the sun
  double capacityAh = 30;
  double charge = 0.9;           // state of charge at the start, 0..1
  double panelVolts = 20;        // open-circuit, in full light
  double panelAmps = 4;          // with the sun overhead
  std::set<int> cloudyDays;      // days since the start (0 first) with little sun
  double cloudyLight = 0.1;      // the share of the current a cloudy day gives
  std::set<int> deadLampNights;  // nights (0 first) the lamp draws nothing
  std::optional<int> brokenPanelFromDay;
  double capacityLossPerDay = 0;  // Ah an ageing battery loses each day
};

/// The values a poll would read.
struct SunWorldValues {
  double batteryV = 0;
  double solarV = 0;
  double loadV = 0;
  double loadA = 0;
};

/// The values as a monitor poll at `timeMs` records them (raw, in the controller's units).
PollSample PollOf(const SunWorldValues& values, int64_t timeMs);

/// The world stepped forward in time; it never goes back.
class SunWorld {
 public:
  explicit SunWorld(SunWorldSetup setup);

  /// Moves on to `timeMs` and gives the values there.
  SunWorldValues At(int64_t timeMs);

  /// When each night began (the controller's dusk), and the nights cut at the limit.
  const std::vector<int64_t>& Dusks() const { return dusks_; }
  const std::set<int>& CutNights() const { return cut_nights_; }

 private:
  void Step(int64_t stepMs);
  double PowerNow() const;
  double OpenVoltage() const;
  int Day() const;

  SunWorldSetup setup_;
  int64_t now_ms_;
  double charge_;
  bool dark_ = false;
  std::optional<int64_t> crossing_since_ms_;
  bool cut_ = false;
  SunWorldValues values_;
  std::vector<int64_t> dusks_;
  std::set<int> cut_nights_;
};

}  // namespace lum::sim
