#include "cli/ConsoleObserver.h"

#include <iostream>

#include "device/InfoLines.h"

namespace lum::cli {

void ConsoleObserver::InfoLine(const std::string& line) {
  *info_ << (line == kEndOfWriteLine ? std::string() : line) << std::endl;
}

void ConsoleObserver::TraceLine(const std::string& line) { std::cerr << line << std::endl; }

const Measurement* ConsoleObserver::Last(ValueId id) const {
  const auto it = values_.find(id);
  return it == values_.end() ? nullptr : &it->second;
}

}  // namespace lum::cli
