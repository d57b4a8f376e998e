#pragma once

#include <cstdint>
#include <string>

namespace lum {

/// A value that a reply reports beyond the configuration block: a measurement of the
/// controller, a calibration reference, an identity field or a status byte.
enum class ValueId {
  PowerOnTime,
  Temperature,
  BatteryVoltage,
  SolarVoltage,
  Load1Voltage,
  Load1Current,
  DCInVoltage,
  TempRef,
  BattVRef,
  SolarVRef,
  Load1VRef,
  Load1ARefOffset,  // signed
  Load1ARef,
  DCInVRef,
  ProductID,
  FirmwareVersion,
  FirmwareBuild,
  SerialNumber,
  BatchCode,
  FunctionFlags,    // the block's FuncFlags as the controller reported them
  CapabilityFlags,  // the block's CapFlags
};

/// The unit of a raw value as the controller reports it.
enum class Unit {
  Seconds,
  Celsius,
  Millivolts,
  TenMillivolts,
  Milliamperes,
  Count,  // a plain number: calibration references, firmware numbers
  Code,   // an identity code with its own text form
  Flags,  // a byte of bits, shown as two hexadecimal digits
};

/// One reported value: what it is, the number as it came and its unit.
struct Measurement {
  ValueId id;
  int64_t raw;
  Unit unit;
  bool operator==(const Measurement&) const = default;
};

/// The unit each value is reported in.
Unit UnitOf(ValueId id);
inline Measurement MakeMeasurement(ValueId id, int64_t raw) { return {id, raw, UnitOf(id)}; }

/// Decimals of a voltage or current: all those of its unit (12.340 V from millivolts), or
/// two, rounded half up (12.34 V), as the real-time page shows them.
enum class Decimals { OfUnit, Two };

/// The text people read: "2:05:07" (hours:minutes:seconds), "31" (°C), "12.340 V",
/// "18.05 V", "1.500 A", plain counts, and the identity codes in their own forms (serial
/// "12345678901" style, batch "28-07-2016"), flag bytes as two hexadecimal digits ("5A").
std::string FormatValue(const Measurement& value, Decimals decimals = Decimals::OfUnit);

/// FormatValue without the unit symbol ("12.34" for "12.34 V"), for columns of numbers.
std::string FormatNumber(const Measurement& value, Decimals decimals = Decimals::OfUnit);

/// The value in its natural unit: volts, amperes, °C, seconds; counts, codes and flags as they came.
double NaturalValue(const Measurement& value);

/// The unit's symbol for column headers and JSON: "V", "A", "°C", "s"; empty for counts, codes and flags.
const char* UnitSymbol(Unit unit);

/// A stable lower-case name for files, columns and charts ("battery_v", "power_on").
const char* ValueKey(ValueId id);

}  // namespace lum
