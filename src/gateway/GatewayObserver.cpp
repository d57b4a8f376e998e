#include "gateway/GatewayObserver.h"

namespace lum::gateway {

void GatewayObserver::InfoLine(const std::string& line) {
  // A write ends with a line holding only "\r": nothing to keep or log.
  if (line.find_first_not_of("\r\n ") == std::string::npos) return;
  lines_.push_back(line);
  if (log_) log_(port_ + ": " + line);
}

void GatewayObserver::TraceLine(const std::string& line) {
  if (log_) log_(port_ + ": " + line);
}

std::vector<std::string> GatewayObserver::TakeLines() {
  std::vector<std::string> lines;
  lines.swap(lines_);
  return lines;
}

}  // namespace lum::gateway
