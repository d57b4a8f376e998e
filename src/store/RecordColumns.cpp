#include "store/RecordColumns.h"

#include <array>
#include <type_traits>

#include "base/TextEncoding.h"

namespace lum::store {

namespace {

constexpr int kFirstVersion = 1;
constexpr int kBytesVersion = 2;  // a controller's texts kept as sent

std::string TextOf(const Value& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text ? *text : std::string();
}
int64_t NumberOf(const Value& value) {
  const auto* number = std::get_if<int64_t>(&value);
  return number ? *number : 0;
}
Blob BytesOf(const Value& value) {
  const auto* bytes = std::get_if<Blob>(&value);
  return bytes ? *bytes : Blob();
}
Value ValidText(const std::string& text) { return DecodeText(text, TextEncoding::Utf8); }

// A text field, an integer field of any width, a bytes field of the record.
template <auto Field>
RecordColumn TextColumn(const char* name, const char* constraint, int since) {
  return {name,
          ColumnType::Text,
          constraint,
          since,
          [](const CommissioningRecord& r) { return ValidText(r.*Field); },
          [](CommissioningRecord& r, const Value& v) { r.*Field = TextOf(v); }};
}
template <auto Field>
RecordColumn NumberColumn(const char* name, int since) {
  return {name,
          ColumnType::Integer,
          "",
          since,
          [](const CommissioningRecord& r) { return Value(static_cast<int64_t>(r.*Field)); },
          [](CommissioningRecord& r, const Value& v) {
            r.*Field = static_cast<std::remove_reference_t<decltype(r.*Field)>>(NumberOf(v));
          }};
}
template <auto Field>
RecordColumn BytesColumn(const char* name, int since) {
  return {name,
          ColumnType::Bytes,
          "",
          since,
          [](const CommissioningRecord& r) { return Value(r.*Field); },
          [](CommissioningRecord& r, const Value& v) { r.*Field = BytesOf(v); }};
}

using R = CommissioningRecord;
const std::array kColumns{
    TextColumn<&R::attemptId>("attempt_id", "NOT NULL UNIQUE", kFirstVersion),
    TextColumn<&R::timeUtc>("time_utc", "NOT NULL", kFirstVersion),
    TextColumn<&R::bench>("bench", "", kFirstVersion),
    TextColumn<&R::operatorName>("operator", "", kFirstVersion),
    TextColumn<&R::port>("port", "", kFirstVersion),
    TextColumn<&R::job>("job", "", kFirstVersion),
    TextColumn<&R::configHash>("config_hash", "", kFirstVersion),
    TextColumn<&R::model>("model", "", kFirstVersion),
    NumberColumn<&R::serialNumber>("serial_number", kFirstVersion),
    NumberColumn<&R::firmwareVersion>("firmware_version", kFirstVersion),
    NumberColumn<&R::firmwareBuild>("firmware_build", kFirstVersion),
    NumberColumn<&R::batchCode>("batch_code", kFirstVersion),
    NumberColumn<&R::productCode>("product_code", kFirstVersion),
    BytesColumn<&R::before>("config_before", kFirstVersion),
    BytesColumn<&R::after>("config_after", kFirstVersion),
    RecordColumn{"result", ColumnType::Text, "NOT NULL", kFirstVersion,
                 [](const CommissioningRecord& r) { return Value(std::string(OutcomeText(r.result))); },
                 [](CommissioningRecord& r, const Value& v) {
                   r.result = OutcomeFromText(TextOf(v)).value_or(Outcome::Failed);
                 }},
    TextColumn<&R::reason>("reason", "", kFirstVersion),
    NumberColumn<&R::durationMs>("duration_ms", kFirstVersion),
    BytesColumn<&R::modelBytes>("model_bytes", kBytesVersion),
};

}  // namespace

std::span<const RecordColumn> RecordColumns() { return kColumns; }

std::string RecordColumnList(const std::string& prefix) {
  std::string list;
  for (const RecordColumn& column : kColumns) list += (list.empty() ? "" : ", ") + prefix + column.name;
  return list;
}

std::vector<Value> RecordValues(const CommissioningRecord& record) {
  std::vector<Value> values;
  values.reserve(kColumns.size());
  for (const RecordColumn& column : kColumns) values.push_back(column.write(record));
  return values;
}

CommissioningRecord RecordFromValues(std::span<const Value> values) {
  CommissioningRecord record;
  for (size_t i = 0; i < kColumns.size() && i < values.size(); ++i) kColumns[i].read(record, values[i]);
  return record;
}

}  // namespace lum::store
