#include "data/Measurement.h"

#include <fmt/format.h>

#include <array>

#include "data/NumberFormats.h"

namespace lum {

namespace {

constexpr int64_t kSecondsPerMinute = 60;
constexpr int64_t kMinutesPerHour = 60;
constexpr int64_t kMilli = 1000;
constexpr int64_t kCenti = 100;
constexpr int64_t kMilliPerCenti = kMilli / kCenti;

struct ValueRow {
  ValueId id;
  Unit unit;
  const char* key;
};

// Rows in the order of ValueId.
constexpr std::array kValues{
    ValueRow{ValueId::PowerOnTime, Unit::Seconds, "power_on"},
    ValueRow{ValueId::Temperature, Unit::Celsius, "temperature"},
    ValueRow{ValueId::BatteryVoltage, Unit::Millivolts, "battery_v"},
    ValueRow{ValueId::SolarVoltage, Unit::TenMillivolts, "solar_v"},
    ValueRow{ValueId::Load1Voltage, Unit::Millivolts, "load1_v"},
    ValueRow{ValueId::Load1Current, Unit::Milliamperes, "load1_a"},
    ValueRow{ValueId::DCInVoltage, Unit::Millivolts, "dc_in_v"},
    ValueRow{ValueId::TempRef, Unit::Count, "temp_ref"},
    ValueRow{ValueId::BattVRef, Unit::Count, "battery_v_ref"},
    ValueRow{ValueId::SolarVRef, Unit::Count, "solar_v_ref"},
    ValueRow{ValueId::Load1VRef, Unit::Count, "load1_v_ref"},
    ValueRow{ValueId::Load1ARefOffset, Unit::Count, "load1_a_ref_offset"},
    ValueRow{ValueId::Load1ARef, Unit::Count, "load1_a_ref"},
    ValueRow{ValueId::DCInVRef, Unit::Count, "dc_in_v_ref"},
    ValueRow{ValueId::ProductID, Unit::Code, "product_id"},
    ValueRow{ValueId::FirmwareVersion, Unit::Count, "firmware_version"},
    ValueRow{ValueId::FirmwareBuild, Unit::Count, "firmware_build"},
    ValueRow{ValueId::SerialNumber, Unit::Code, "serial_number"},
    ValueRow{ValueId::BatchCode, Unit::Code, "batch_code"},
    ValueRow{ValueId::FunctionFlags, Unit::Flags, "function_flags"},
    ValueRow{ValueId::CapabilityFlags, Unit::Flags, "capability_flags"},
};

constexpr bool RowsInOrder() {
  for (size_t i = 0; i < kValues.size(); ++i)
    if (static_cast<size_t>(kValues[i].id) != i) return false;
  return true;
}
static_assert(RowsInOrder() && kValues.back().id == ValueId::CapabilityFlags);

const ValueRow& RowOf(ValueId id) { return kValues[static_cast<size_t>(id)]; }

// A fixed-point number with `decimals` digits after the point; negative values keep their sign.
std::string Fixed(int64_t value, int64_t scale, int decimals) {
  const int64_t magnitude = value < 0 ? -value : value;
  return fmt::format("{}{}.{:0{}d}", value < 0 ? "-" : "", magnitude / scale, magnitude % scale, decimals);
}

// Millivolts or milliamperes as units with three decimals, or two rounded half up.
std::string FromMilli(int64_t value, Decimals decimals) {
  if (decimals == Decimals::OfUnit) return Fixed(value, kMilli, 3);
  return Fixed((value + kMilliPerCenti / 2) / kMilliPerCenti, kCenti, 2);
}

std::string CodeText(const Measurement& value) {
  const auto raw = static_cast<uint32_t>(value.raw);
  switch (value.id) {
    case ValueId::SerialNumber:
      return FormatSerial(raw);
    case ValueId::BatchCode:
      return FormatBatch(raw);
    default:
      return fmt::format("0x{:08X}", raw);
  }
}

// The real-time page shows only voltages and currents with their symbol.
const char* ShownSymbol(Unit unit) {
  return unit == Unit::Millivolts || unit == Unit::TenMillivolts || unit == Unit::Milliamperes ? UnitSymbol(unit) : "";
}

}  // namespace

const char* UnitSymbol(Unit unit) {
  switch (unit) {
    case Unit::Millivolts:
    case Unit::TenMillivolts:
      return "V";
    case Unit::Milliamperes:
      return "A";
    case Unit::Celsius:
      return "°C";
    case Unit::Seconds:
      return "s";
    case Unit::Count:
    case Unit::Code:
    case Unit::Flags:
      break;
  }
  return "";
}

Unit UnitOf(ValueId id) { return RowOf(id).unit; }

const char* ValueKey(ValueId id) { return RowOf(id).key; }

double NaturalValue(const Measurement& value) {
  const auto raw = static_cast<double>(value.raw);
  switch (value.unit) {
    case Unit::Millivolts:
    case Unit::Milliamperes:
      return raw / kMilli;
    case Unit::TenMillivolts:
      return raw / kCenti;
    case Unit::Seconds:
    case Unit::Celsius:
    case Unit::Count:
    case Unit::Code:
    case Unit::Flags:
      break;
  }
  return raw;
}

std::string FormatNumber(const Measurement& value, Decimals decimals) {
  switch (value.unit) {
    case Unit::Seconds: {
      const int64_t minutes = value.raw / kSecondsPerMinute;
      return fmt::format("{}:{:02d}:{:02d}", minutes / kMinutesPerHour, minutes % kMinutesPerHour,
                         value.raw % kSecondsPerMinute);
    }
    case Unit::Millivolts:
    case Unit::Milliamperes:
      return FromMilli(value.raw, decimals);
    case Unit::TenMillivolts:
      return Fixed(value.raw, kCenti, 2);
    case Unit::Code:
      return CodeText(value);
    case Unit::Flags:
      return fmt::format("{:02X}", value.raw);
    case Unit::Celsius:
    case Unit::Count:
      break;
  }
  return fmt::format("{}", value.raw);
}

std::string FormatValue(const Measurement& value, Decimals decimals) {
  const std::string number = FormatNumber(value, decimals);
  const char* symbol = ShownSymbol(value.unit);
  return *symbol ? number + " " + symbol : number;
}

}  // namespace lum
