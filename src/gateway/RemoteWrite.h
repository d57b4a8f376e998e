#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "data/DeviceConfig.h"
#include "device/WriteChanges.h"
#include "gateway/PortWatch.h"
#include "store/CommissioningRecord.h"

namespace lum::gateway {

/// The texts a remote change's result carries under "result".
inline constexpr char kResultOk[] = "Ok";
inline constexpr char kResultFailure[] = "Failure";
inline constexpr char kResultRefused[] = "Refused";

/// How a remote change that passed its check went.
struct ChangeOutcome {
  bool ok = false;                       // written, verified and read back holding every value
  std::string reason;                    // why not, when not ok
  std::vector<std::string> changes;      // the change set, as lumctl write --dry-run prints it
  std::vector<FieldChange> differ;       // fields read back not holding the value asked for
  std::optional<TDEVICE_CONFIG> before;  // the controller as read (and backed up) first
  std::optional<TDEVICE_CONFIG> after;   // as read back after the write
  int64_t durationMs = 0;
};

/// Writes `wanted` into the controller of serial number `serial` on `port` as lumctl write
/// does: read and back up first (nothing is sent when the backup fails), write with
/// verification, read back (backed up too) and compare. Ok only when the read-back holds
/// every value the write sends.
ChangeOutcome ApplyChange(PortWatch& port, uint32_t serial, const TCONFIG_BLOCK& wanted, const std::string& dataFolder);

/// The result document: {"result": "Ok"|"Failure", "changes": [...], "differ": [...], "reason": ...}.
nlohmann::ordered_json OutcomeDocument(const ChangeOutcome& outcome);
/// The result of a refused command: nothing was sent to the controller.
nlohmann::ordered_json RefusalDocument(const std::string& reason);

/// The commissioning-style record of a remote change: who made it (`bench`: the gateway's
/// prefix), where, the block before and after, how it ended.
store::CommissioningRecord ChangeRecord(const ChangeOutcome& outcome, const std::string& bench,
                                        const std::string& port);

}  // namespace lum::gateway
