#include "nights/RecordedNights.h"

#include <memory>

#include "nights/NightFinder.h"

namespace lum::nights {

namespace {
// How a bad job threshold is named: the job file's field.
constexpr char kJobThresholds[] = "nights";
}  // namespace

std::map<std::string, ControllerNights> NightsOfRecordings(store::Recordings& recordings,
                                                           const store::RecordingFilter& filter,
                                                           const NightRules& rules) {
  std::map<std::string, std::unique_ptr<NightFinder>> finders;
  std::map<std::string, ControllerNights> result;
  // The controller of the poll before is looked up again only when the serial changes.
  const std::string* current = nullptr;
  NightFinder* finder = nullptr;
  ControllerNights* controller = nullptr;
  recordings.Export(filter, [&](const std::string& serial, const PollSample& sample) {
    if (current == nullptr || *current != serial) {
      const auto [made, fresh] = finders.try_emplace(serial);
      if (fresh) made->second = std::make_unique<NightFinder>(rules);
      finder = made->second.get();
      controller = &result[serial];
      current = &made->first;
    }
    finder->Add(sample);
    controller->lastPollMs = sample.timeMs;
  });
  for (auto& [serial, found] : finders) result[serial].nights = found->Finish();
  return result;
}

Thresholds ThresholdsOfSettings(const std::function<SettingEntries(const std::string&)>& section,
                                const std::string& serial, const SettingEntries& job) {
  const Thresholds all = ApplyThresholdEntries(Thresholds{}, section(kThresholdSection), kThresholdSection);
  const Thresholds ofJob = ApplyThresholdEntries(all, job, kJobThresholds);
  const std::string own = ControllerThresholdSection(serial);
  return ApplyThresholdEntries(ofJob, section(own), own);
}

}  // namespace lum::nights
