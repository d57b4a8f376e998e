#include "nights/SimulatedNights.h"

#include <array>
#include <cstdlib>

#include "data/NewFileBlock.h"
#include "data/NightProfile.h"
#include "store/Recordings.h"
#include "store/SqliteDatabase.h"

namespace lum::nights {

sim::SunWorldSetup ParisLamp() {
  sim::SunWorldSetup setup;
  setup.site = {48.85, 2.35};
  setup.startMs = kStartMs;
  ChannelSchedule schedule;
  schedule.mode = 1;  // with morning light
  schedule.ratedCurrentMa = 1500;
  schedule.segments = {{{240, 100}, {120, 50}, {120, 30}, {0, 0}, {60, 100}}};
  setup.profile = ComputeNightProfile(schedule);
  return setup;
}

TCONFIG_BLOCK ParisLampBlock() {
  constexpr uint32_t kSolarProduct = 0x515620;  // a known two-output type
  TCONFIG_BLOCK block = NewFileStartBlock();
  block.SetProductID(kSolarProduct);
  block.SetSCV(500);
  block.SetSCDelay(30 | block_bits::kSCDelayUnit);
  block.SetBattUVP(10800);
  block.SetBattUVR(12300);
  auto channel = block.Channel(0, 0);
  channel.SetMode(1);
  channel.SetCC(1500);
  const std::array<SegmentSetting, 5> segments{{{240, 100}, {120, 50}, {120, 30}, {0, 0}, {60, 100}}};
  for (int k = 0; k < 5; ++k) {
    channel.Timing(k).SetMinutes(segments[static_cast<size_t>(k)].minutes);
    channel.Timing(k).SetPower(segments[static_cast<size_t>(k)].power);
  }
  return block;
}

NightRules RulesOf(const sim::SunWorldSetup& setup) {
  NightRules rules;
  rules.switchVolts = setup.switchVolts;
  rules.switchDelayMs = setup.switchDelayMs;
  rules.cutVolts = setup.cutVolts;
  rules.reconnectVolts = setup.reconnectVolts;
  rules.profile = setup.profile;
  return rules;
}

Simulated Simulate(const sim::SunWorldSetup& setup, int days, int64_t gapFromMs, int64_t gapToMs) {
  sim::SunWorld world(setup);
  Simulated out;
  for (int64_t t = setup.startMs; t <= setup.startMs + days * kDayMs; t += kMinuteMs) {
    const sim::SunWorldValues values = world.At(t);
    if (t >= gapFromMs && t < gapToMs) continue;
    out.polls.push_back(sim::PollOf(values, t));
  }
  out.dusks = world.Dusks();
  out.cutNights.assign(world.CutNights().begin(), world.CutNights().end());
  return out;
}

std::vector<PollSample> ThroughDatabase(const std::string& path, const std::vector<PollSample>& polls) {
  store::SqliteDatabase db(path);
  store::Recordings recordings(db);
  const int64_t id = recordings.Start(kSerial);
  recordings.Add(id, polls);
  return recordings.Load(id);
}

int NightNear(const std::vector<Night>& nights, int64_t duskMs) {
  for (size_t k = 0; k < nights.size(); ++k)
    if (std::llabs(nights[k].duskMs - duskMs) <= 2 * kMinuteMs) return static_cast<int>(k);
  return -1;
}

}  // namespace lum::nights
