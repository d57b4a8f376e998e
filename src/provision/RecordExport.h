#pragma once

#include <string>
#include <vector>

#include "store/CommissioningRecord.h"

namespace lum {

/// The commissioning records as comma-separated values: a header line, then one line per
/// record with every field (serial number, firmware, batch and product as people read them,
/// the blocks in hex), each cell made safe for spreadsheets (CsvCell).
std::string RecordsCsv(const std::vector<store::CommissioningRecord>& records);

/// The same fields as a JSON array of objects (the duration as a number), indented.
std::string RecordsJson(const std::vector<store::CommissioningRecord>& records);

}  // namespace lum
