#include "data/PollCsv.h"

#include <fmt/format.h>

#include <chrono>

#include "base/TimeStamp.h"
#include "data/CsvCell.h"

namespace lum {

std::string PollCsvHeader() {
  std::string header = "serial,time";
  for (ValueId id : kPolledValues) header += fmt::format(",{}", ValueKey(id));
  return header;
}

std::string PollCsvRow(const std::string& serial, const PollSample& sample) {
  const std::chrono::system_clock::time_point time{std::chrono::milliseconds(sample.timeMs)};
  std::string row = fmt::format("{},{}", CsvCell(serial), UtcStamp(time));
  for (size_t i = 0; i < kPolledValueCount; ++i) {
    row += ',';
    if (sample.raw[i]) row += FormatNumber(MakeMeasurement(kPolledValues[i], *sample.raw[i]));
  }
  return row;
}

}  // namespace lum
