#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "store/CommissioningRecord.h"

namespace lum {

/// The header line of the records as comma-separated values.
std::string RecordsCsvHeader();
/// One record as a CSV line with every field (serial number, firmware, batch and product as
/// people read them, the blocks and the model's bytes in hex) and whether it still waits in
/// the spool. Each cell is made safe for spreadsheets (CsvCell).
std::string RecordCsvLine(const store::CommissioningRecord& record, bool spooled = false);
/// The header and a line per record.
std::string RecordsCsv(const std::vector<store::CommissioningRecord>& records);

/// The same fields as a JSON object (the duration as a number, `spooled` as true or false).
nlohmann::ordered_json RecordJson(const store::CommissioningRecord& record, bool spooled = false);
/// JSON text that never fails: bytes that are not UTF-8 become U+FFFD.
std::string JsonText(const nlohmann::ordered_json& value, int indent = -1);
/// The records as a JSON array of objects, indented.
std::string RecordsJson(const std::vector<store::CommissioningRecord>& records);

}  // namespace lum
