#include "store/CommissioningRecord.h"

#include <fmt/core.h>

#include <array>
#include <random>

namespace lum::store {

namespace {
constexpr std::array<const char*, 6> kOutcomeTexts = {"done",        "failed",       "refused",
                                                      "interrupted", "already done", "could not be read"};
}  // namespace

const char* OutcomeText(Outcome outcome) { return kOutcomeTexts[static_cast<size_t>(outcome)]; }

std::optional<Outcome> OutcomeFromText(const std::string& text) {
  for (size_t i = 0; i < kOutcomeTexts.size(); ++i)
    if (text == kOutcomeTexts[i]) return static_cast<Outcome>(i);
  return std::nullopt;
}

Blob BlockBytes(const TCONFIG_BLOCK& block) { return Blob(block.bytes().begin(), block.bytes().end()); }

std::string NewAttemptId() {
  static thread_local std::mt19937_64 random{std::random_device{}() ^ static_cast<uint64_t>(std::random_device{}())
                                                                          << 32};
  return fmt::format("{:016x}{:016x}", random(), random());
}

}  // namespace lum::store
