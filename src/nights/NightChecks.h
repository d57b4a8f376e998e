#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/NightProfile.h"
#include "nights/Night.h"

namespace lum::nights {

/// A night in one word, as a calendar cell shows it; the order of the message slots.
enum class NightResult { Lit, Dark, CutShort, NoSun, NotKnown };
NightResult ResultOf(const Night& night);

enum class Severity { Info, Warning, Critical };

enum class AlarmKind { DidNotLight, CutShort, LitLonger, SolarMissing, BatteryFading, NoData };

/// Where an alarm starts to matter; every one can be set per controller.
struct Thresholds {
  int cutShortCriticalRun = 3;        // nights in a row cut short that make it critical
  double litLongerMinutes = 30;       // lit this much beyond the programme
  int fadingNights = 7;               // the end-of-night voltages the trend is taken over
  double fadingVoltsPerNight = 0.03;  // a fall steeper than this is fading
  double noDataHours = 2;             // no poll for this long
};

/// One finding over a run of nights (or over the recording as a whole).
struct Alarm {
  AlarmKind kind = AlarmKind::NoData;
  Severity severity = Severity::Info;
  int64_t firstNightMs = 0;  // dusk of the first night concerned
  int64_t lastNightMs = 0;   // dusk of the last
  int nights = 0;            // nights concerned (in a row where it says so)
  double value = 0;          // the figure behind it: minutes, V per night, hours
  bool open = false;         // still true at the latest night (or now)
};

/// The alarms of the nights against the programme, `nowMs` deciding "no data".
std::vector<Alarm> CheckNights(const std::vector<Night>& nights, const NightProfile& profile,
                               const Thresholds& thresholds, int64_t lastPollMs, int64_t nowMs);

/// The alarm's name and plain-language remedy, for messages and reports.
const char* AlarmKey(AlarmKind kind);
const char* SeverityKey(Severity severity);

}  // namespace lum::nights
