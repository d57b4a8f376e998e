// Recordings of monitor polls on both backends: polls come back as stored (missing values
// too), repeats are left out, lists and exports follow the filters, and a day at 1 Hz stays
// small on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "data/TempDir.h"
#include "store/Recordings.h"
#include "support/PgCluster.h"

namespace lum::store {
namespace {

constexpr int64_t kDayStartMs = 1796688000000;  // 2026-12-08 00:00 UTC
constexpr int64_t kSecondMs = 1000;
constexpr int64_t kDaySeconds = 86400;

// A poll as a controller at rest gives it: slowly changing values, a repeating temperature.
PollSample Poll(int64_t second) {
  PollSample sample;
  sample.timeMs = kDayStartMs + second * kSecondMs;
  sample.raw = {3600 + second,       20 + second % 15,     12000 + second % 900,
                1800 + second % 300, 11900 + second % 900, 1500 + second % 100};
  return sample;
}

void CheckRecordings(Database& db) {
  Recordings recordings(db);
  const int64_t first = recordings.Start("0A00000066");
  PollSample partial = Poll(1);
  partial.raw[*PolledIndex(ValueId::Temperature)].reset();  // its reply did not come
  recordings.Add(first, {Poll(0), partial});
  recordings.Add(first, {partial, Poll(2)});  // the repeat of second 1 is left out
  const int64_t second = recordings.Start("0B00000077");
  recordings.Add(second, {Poll(10), Poll(11)});
  const int64_t empty = recordings.Start("0C00000088");
  EXPECT_NE(first, second);
  EXPECT_NE(second, empty);

  EXPECT_EQ(recordings.Load(first), (std::vector<PollSample>{Poll(0), partial, Poll(2)}));
  EXPECT_TRUE(recordings.Load(empty).empty());

  const std::vector<RecordingInfo> all = recordings.List();
  ASSERT_EQ(all.size(), 2u) << "a recording without polls is not listed";
  EXPECT_EQ(all[0], (RecordingInfo{first, "0A00000066", Poll(0).timeMs, Poll(2).timeMs, 3}));
  EXPECT_EQ(all[1].serial, "0B00000077");
  EXPECT_EQ(recordings.List({.serial = "0B00000077"}).size(), 1u);
  EXPECT_TRUE(recordings.List({.serial = "0A00000066", .sinceMs = Poll(3).timeMs}).empty());
  EXPECT_EQ(recordings.Serials(), (std::vector<std::string>{"0A00000066", "0B00000077"}))
      << "a serial without polls is not listed";

  std::vector<std::pair<std::string, int64_t>> exported;
  recordings.Export({.sinceMs = Poll(2).timeMs},
                    [&](const std::string& serial, const PollSample& s) { exported.emplace_back(serial, s.timeMs); });
  EXPECT_EQ(exported,
            (std::vector<std::pair<std::string, int64_t>>{
                {"0A00000066", Poll(2).timeMs}, {"0B00000077", Poll(10).timeMs}, {"0B00000077", Poll(11).timeMs}}));
}

// Recordings that overlap, interleave and follow each other, some longer than an hour, come out
// as one stream in time order; polls at the same time in the order the recordings began.
void CheckOverlappingRecordingsExportInTimeOrder(Database& db) {
  Recordings recordings(db);
  struct Stored {
    int64_t timeMs;
    int64_t recording;
    std::string serial;
  };
  std::vector<Stored> stored;
  const auto record = [&](const std::string& serial, int64_t from, int64_t to, int64_t step) {
    const int64_t id = recordings.Start(serial);
    std::vector<PollSample> polls;
    for (int64_t s = from; s <= to; s += step) {
      polls.push_back(Poll(s));
      stored.push_back({Poll(s).timeMs, id, serial});
    }
    recordings.Add(id, polls);
  };
  record("0A00000066", 0, 7300, 100);     // two hours, every 100 s
  record("0A00000066", 50, 7350, 100);    // the same controller on a second port, in between
  record("0B00000077", 3000, 3600, 200);  // another controller, at the same times as the first
  record("0A00000066", 9000, 9010, 1);    // after a gap
  record("0A00000066", 9005, 9005, 1);    // one poll at a time the one before holds too

  std::ranges::stable_sort(stored, [](const Stored& a, const Stored& b) {
    return a.timeMs != b.timeMs ? a.timeMs < b.timeMs : a.recording < b.recording;
  });
  const auto exported = [&recordings](const RecordingFilter& filter) {
    std::vector<std::pair<std::string, PollSample>> out;
    recordings.Export(filter, [&](const std::string& serial, const PollSample& s) { out.emplace_back(serial, s); });
    return out;
  };
  const auto all = exported({});
  ASSERT_EQ(all.size(), stored.size());
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i].first, stored[i].serial) << "poll " << i;
    EXPECT_EQ(all[i].second, Poll((stored[i].timeMs - kDayStartMs) / kSecondMs)) << "poll " << i;
  }
  const auto one = exported({.serial = "0A00000066", .sinceMs = Poll(7000).timeMs});
  std::vector<int64_t> times;
  for (const auto& [serial, sample] : one) times.push_back(sample.timeMs);
  std::vector<int64_t> expected;
  for (const Stored& s : stored)
    if (s.serial == "0A00000066" && s.timeMs >= Poll(7000).timeMs) expected.push_back(s.timeMs);
  EXPECT_EQ(times, expected);
  EXPECT_TRUE(exported({.serial = "0C00000088"}).empty());
  const auto night = exported({.serial = "0B00000077", .sinceMs = Poll(3200).timeMs, .untilMs = Poll(3600).timeMs});
  ASSERT_EQ(night.size(), 2u) << "polls before the end only";
  EXPECT_EQ(night[0].second, Poll(3200));
  EXPECT_EQ(night[1].second, Poll(3400));
  EXPECT_EQ(recordings.List({.serial = "0B00000077", .untilMs = Poll(3200).timeMs}).at(0).polls, 1)
      << "3000 s only: the end is not included";
}

class RecordingsTest : public TempDir {};

TEST_F(RecordingsTest, OverlappingRecordingsExportInTimeOrderOnSqlite) {
  const auto db = OpenDatabase(Path("recordings.db"));
  CheckOverlappingRecordingsExportInTimeOrder(*db);
}

TEST(PostgresRecordingsTest, OverlappingRecordingsExportInTimeOrderOnPostgres) {
  const auto db = OpenDatabase(PgCluster::Shared().NewDatabase());
  CheckOverlappingRecordingsExportInTimeOrder(*db);
}

TEST_F(RecordingsTest, PollsComeBackAsStoredAndFiltersHoldOnSqlite) {
  const auto db = OpenDatabase(Path("recordings.db"));
  CheckRecordings(*db);
}

TEST(PostgresRecordingsTest, PollsComeBackAsStoredAndFiltersHoldOnPostgres) {
  const auto db = OpenDatabase(PgCluster::Shared().NewDatabase());
  CheckRecordings(*db);
}

TEST_F(RecordingsTest, ADayAtOneHertzStaysUnderTenMegabytes) {
  const std::string path = Path("day.db");
  {
    const auto db = OpenDatabase(path);
    Recordings recordings(*db);
    const int64_t id = recordings.Start("0A00000066");
    std::vector<PollSample> day;
    for (int64_t s = 0; s < kDaySeconds; ++s) day.push_back(Poll(s));
    recordings.Add(id, day);
    EXPECT_EQ(recordings.Load(id).size(), static_cast<size_t>(kDaySeconds));
  }
  uintmax_t bytes = 0;
  for (const auto& file : std::filesystem::directory_iterator(dir_))
    if (file.path().filename().string().starts_with("day.db")) bytes += file.file_size();  // with its log files
  EXPECT_LT(bytes, uintmax_t{10} * 1000 * 1000);
  RecordProperty("bytes", std::to_string(bytes));
}

}  // namespace
}  // namespace lum::store
