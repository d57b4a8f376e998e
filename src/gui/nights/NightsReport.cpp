#include "NightsReport.h"

#include <exception>

#include "nights/RecordedNights.h"
#include "store/Recordings.h"

namespace lum {

NightsReport AnalyseNights(const NightsRequest& request) {
  NightsReport report;
  try {
    const auto db = store::OpenRecordingsDatabase(request.dataDir, request.database);
    store::Recordings recordings(*db);
    const auto found = nights::NightsOfRecordings(recordings, {.serial = request.serial}, request.rules);
    const auto controller = found.find(request.serial);
    if (controller == found.end()) return report;
    report.nights = controller->second.nights;
    report.alarms = nights::CheckNights(report.nights, request.rules.profile, request.thresholds,
                                        controller->second.lastPollMs, request.nowMs);
  } catch (const std::exception& e) {
    report.failure = e.what();
  }
  return report;
}

}  // namespace lum
