#include "sim/BusLine.h"

#include <algorithm>

namespace lum::sim {

namespace {
constexpr uint8_t kWholeLine = 0;
}  // namespace

Bytes MixReplies(const Bytes& first, const Bytes& second) {
  Bytes mixed;
  mixed.reserve(first.size() + second.size());
  for (size_t i = 0; i < std::max(first.size(), second.size()); ++i) {
    if (i < first.size()) mixed.push_back(first[i]);
    if (i < second.size()) mixed.push_back(second[i]);
  }
  return mixed;
}

std::optional<Bytes> BusLine::Answer(const Request& request, const RawFrame& frame, const Measurements& now) {
  std::optional<Bytes> line;
  for (size_t slot = 0; slot < units_.size(); ++slot) {
    std::optional<Responder>& unit = units_[slot];
    if (!unit || (request.address != kWholeLine && request.address != unit->Config().Address())) continue;
    logs_[slot].push_back(frame);
    const std::optional<Bytes> reply = unit->Answer(request, now);
    if (!reply) continue;
    line = line ? MixReplies(*line, *reply) : *reply;
  }
  return line;
}

bool BusLine::Plug(size_t slot, std::optional<Responder> unit) {
  if (slot >= units_.size()) return false;
  units_[slot] = std::move(unit);
  logs_[slot].clear();
  return true;
}

bool BusLine::Readdress(size_t slot, uint8_t address) {
  if (slot >= units_.size() || !units_[slot]) return false;
  units_[slot]->SetAddress(address);
  return true;
}

std::optional<TCONFIG_BLOCK> BusLine::Config(size_t slot) const {
  if (slot >= units_.size() || !units_[slot]) return std::nullopt;
  return units_[slot]->Config();
}

std::vector<RawFrame> BusLine::Log(size_t slot) const {
  return slot < logs_.size() ? logs_[slot] : std::vector<RawFrame>{};
}

}  // namespace lum::sim
