#include "cli/ConsoleObserver.h"

#include <iostream>

#include "device/InfoLines.h"

namespace lum::cli {

void ConsoleObserver::InfoLine(const std::string& line) {
  std::cout << (line == kEndOfWriteLine ? std::string() : line) << std::endl;
}

void ConsoleObserver::TraceLine(const std::string& line) { std::cerr << line << std::endl; }

std::string ConsoleObserver::Field(const std::string& objectName, const std::string& initial) const {
  const auto it = fields_.find(objectName);
  return it == fields_.end() ? initial : it->second;
}

}  // namespace lum::cli
