#include "device/InfoLines.h"

#include "base/SafeFormat.h"
#include "data/NumberFormats.h"

namespace lum {

namespace {
constexpr char kConnected[] = "[%s] Connected device is %s @%s";
constexpr char kReading[] = "[%s] Reading configuration data ...";
constexpr char kWriting[] = "[%s] Device[SN:%s]:: Writing configuration data ...";
constexpr char kNoConfig[] = "[%s] Write to device:: No valid configuration data.";
}  // namespace

std::string OpenPortLine(const MessageTable& messages, const std::string& portName, const std::string& stamp) {
  return FormatText(messages.Text(MessageTable::kScanOpenPort), {stamp, portName});
}

std::string ConnectedLine(const std::string& deviceTypeName, const std::string& portName, const std::string& stamp) {
  return FormatText(kConnected, {stamp, deviceTypeName, portName});
}

std::string ReadingLine(const std::string& stamp) { return FormatText(kReading, {stamp}); }

std::string CheckingLine(const MessageTable& messages, const std::string& stamp) {
  return FormatText(messages.Text(MessageTable::kWriteChecking), {stamp});
}

std::string WritingLine(uint32_t serialNumber, const std::string& stamp) {
  return FormatText(kWriting, {stamp, FormatSerial(serialNumber)});
}

std::string NoConfigLine(const std::string& stamp) { return FormatText(kNoConfig, {stamp}); }

}  // namespace lum
