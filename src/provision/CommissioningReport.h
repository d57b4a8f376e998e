#pragma once

#include <array>
#include <string>
#include <vector>

#include "language/MessageTable.h"
#include "language/ProfileFile.h"
#include "store/CommissioningRecord.h"

namespace lum {

/// The texts of a commissioning report and its labels, in the language in use.
struct ReportTexts {
  std::string title;                      // "Commissioning report"
  std::string job;                        // "Job: %s"
  std::string printed;                    // "Printed %s"
  std::string page;                       // "Page %d of %d"
  std::array<std::string, 5> columns;     // serial number, model, firmware, result, time
  std::array<std::string, 4> keyColumns;  // battery, low-voltage cut, light control, output 1
  std::string replug;                     // "To re-plug (%d): ..."
  std::string nothingToReplug;
  std::array<std::string, 6> outcomes;  // in the order of store::Outcome
  std::vector<std::string> batteryTypes;
  std::vector<std::string> workModes;
};

/// The report's texts from the message table and the language file's type names.
ReportTexts ReportTextsFrom(const MessageTable& messages, const ProfileFile& language);

/// One unit of a report: its latest attempt among the records, the values it was given.
struct ReportLine {
  std::string serial, model, firmware, result, time, job;
  std::array<std::string, 4> keyValues;
  store::Outcome outcome = store::Outcome::Failed;

  /// It failed, was interrupted or could not be read: plugging it again writes it again.
  bool ToReplug() const {
    return outcome == store::Outcome::Failed || outcome == store::Outcome::Interrupted ||
           outcome == store::Outcome::Unreadable;
  }
  /// It holds the job's configuration: it gets a label.
  bool Commissioned() const { return outcome == store::Outcome::Done || outcome == store::Outcome::AlreadyDone; }
};

/// One line per unit (by serial number), in the order of each unit's latest attempt; the key
/// values come from what the unit held after the write (before it when nothing was written).
std::vector<ReportLine> ReportLines(const std::vector<store::CommissioningRecord>& records, const ReportTexts& texts);

}  // namespace lum
