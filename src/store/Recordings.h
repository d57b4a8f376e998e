#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/PollSample.h"
#include "store/Database.h"

namespace lum::store {

/// The serial a recording is kept under when no read told which controller it was.
inline constexpr char kUnknownSerial[] = "unknown";

/// One continuous recording: the polls of one controller from the opening of a monitor port
/// to its closing.
struct RecordingInfo {
  int64_t id = 0;
  std::string serial;  // FormatSerial of the controller's serial number, or kUnknownSerial
  int64_t firstMs = 0;
  int64_t lastMs = 0;
  int64_t polls = 0;
  bool operator==(const RecordingInfo&) const = default;
};

/// Where a recording's polls begin and end (within a filter).
struct RecordingSpan {
  int64_t id = 0;
  std::string serial;
  int64_t firstMs = 0;
  int64_t lastMs = 0;
};

/// What is listed and exported: every given criterion must hold.
struct RecordingFilter {
  std::optional<std::string> serial = std::nullopt;
  std::optional<int64_t> sinceMs = std::nullopt;  // polls at or after this time
  std::optional<int64_t> untilMs = std::nullopt;  // polls before this time
};

/// The recordings on any database of the store layer: one row per recording, one per poll
/// (its time and the raw values, NULL where a reply did not come). The tables are created
/// when missing.
class Recordings {
 public:
  explicit Recordings(Database& db);

  /// A new, empty recording of the controller; returns its id.
  int64_t Start(const std::string& serial);
  /// Adds polls to a recording in one transaction; a poll at a time the recording already
  /// holds is left out.
  void Add(int64_t recording, const std::vector<PollSample>& samples);

  /// The recordings holding polls that match, oldest first.
  std::vector<RecordingInfo> List(const RecordingFilter& filter = {});
  /// The serials of the recordings that hold polls, in order; read through the keys, so it is
  /// quick however many polls there are.
  std::vector<std::string> Serials();
  /// Every poll of a recording, in time order.
  std::vector<PollSample> Load(int64_t recording);
  /// Every poll that matches, in time order, to `each` with its controller's serial.
  void Export(const RecordingFilter& filter, const std::function<void(const std::string&, const PollSample&)>& each);

 private:
  /// The recordings holding polls that match, by id.
  std::vector<RecordingSpan> Spans(const RecordingFilter& filter);
  /// The polls of a recording from `fromMs` up to `toMs`, in time order.
  void Range(const RecordingSpan& span, int64_t fromMs, int64_t toMs,
             const std::function<void(const PollSample&)>& each);

  Database& db_;
};

/// The database of the recordings: `target` when given (an SQLite file or a postgresql://
/// URL), otherwise the commissioning records' file in `directory`. Throws DatabaseError.
std::unique_ptr<Database> OpenRecordingsDatabase(const std::string& directory, const std::string& target = {});

}  // namespace lum::store
