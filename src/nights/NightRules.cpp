#include "nights/NightRules.h"

#include <vector>

namespace lum::nights {

namespace {
constexpr double kVoltsPerSCVUnit = 0.01;
constexpr double kVoltsPerMilli = 0.001;
constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kSecondsPerMinute = 60;
}  // namespace

NightRules RulesOfBlock(const TCONFIG_BLOCK& block) {
  NightRules rules;
  rules.switchVolts = block.SCV() * kVoltsPerSCVUnit;
  rules.cutVolts = block.BattUVP() * kVoltsPerMilli;
  rules.reconnectVolts = block.BattUVR() * kVoltsPerMilli;
  const uint8_t delay = block.SCDelay();
  // The unit flag set counts the delay in seconds, clear in minutes.
  const int64_t seconds =
      (delay & block_bits::kSCDelayValue) * ((delay & block_bits::kSCDelayUnit) != 0 ? 1 : kSecondsPerMinute);
  rules.switchDelayMs = seconds * kMsPerSecond;
  const std::vector<NightProfile> profiles = BlockNightProfiles(block);
  if (!profiles.empty()) rules.profile = profiles.front();
  return rules;
}

}  // namespace lum::nights
