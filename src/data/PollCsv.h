#pragma once

#include <string>

#include "data/PollSample.h"

namespace lum {

/// "serial,time,power_on,temperature,battery_v,solar_v,load1_v,load1_a": the value keys.
std::string PollCsvHeader();
/// One poll: the serial as given (a safe cell, CsvCell), the UTC time (UtcStamp), then each value as a number in its
/// natural unit (volts, amperes, °C; the power-on time as h:mm:ss), empty where its reply did
/// not come.
std::string PollCsvRow(const std::string& serial, const PollSample& sample);

}  // namespace lum
