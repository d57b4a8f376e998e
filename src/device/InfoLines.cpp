#include "device/InfoLines.h"

#include "base/SafeFormat.h"
#include "data/NumberFormats.h"
#include "language/MessageSlots.h"

namespace lum {

namespace {
constexpr char kConnected[] = "[%s] Connected device is %s @%s";
constexpr char kNoController[] = "[%s] Scan connected device:: No controller answered on %s.";
constexpr char kUnopenedPorts[] = "[%s] Scan connected device:: No port could be opened (tried %s).";
constexpr char kNoPort[] = "[%s] Scan connected device:: No serial port was found.";
constexpr char kReading[] = "[%s] Reading configuration data ...";
constexpr char kMissingReplies[] = "[%s] Reading configuration data:: No reply for %s.";
constexpr char kWriting[] = "[%s] Device[SN:%s]:: Writing configuration data ...";
constexpr char kNoConfig[] = "[%s] Write to device:: No valid configuration data.";
constexpr char kUnknownProduct[] =
    "[%s] Write to device:: Product code 0x%.8X is not a known device type; nothing was sent.";
constexpr char kIncompleteRead[] =
    "[%s] Write to device:: The configuration was not read completely from the controller; read it again.";
constexpr char kIncompleteSave[] =
    "[%s] Save to file:: The configuration was not read completely from the controller; read it again.";
constexpr char kStamped[] = "[%s] %s";
constexpr char kNotHeld[] = "[%s] Write to device:: %s: the entry holds %s, the controller %s.";
constexpr char kStoppedAnswering[] =
    "[%s] Write to device:: The controller stopped answering after %d of %d requests: the settings below may not have "
    "been written.";
constexpr char kMonitorSilent[] =
    "[%s] Live monitor @%s:: The controller stopped answering; its readings are cleared until it answers again.";
constexpr char kMonitorAnswers[] = "[%s] Live monitor @%s:: The controller answers again.";
constexpr char kNoEcho[] = "did not confirm it";
constexpr char kUnknown[] = "was neither written nor read (value unknown)";

std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
  return joined;
}
}  // namespace

std::string OpenPortLine(const MessageTable& messages, const std::string& portName, const std::string& stamp) {
  return FormatText(messages.Text(MessageTable::kScanOpenPort), {stamp, portName});
}

std::string BusGarbledLine(const MessageTable& messages, const std::string& portName, uint8_t address,
                           const std::string& stamp) {
  return FormatText(messages.Text(msg::kBusGarbled), {stamp, portName, int64_t{address}});
}

std::string ConnectedLine(const std::string& deviceTypeName, const std::string& portName, const std::string& stamp) {
  return FormatText(kConnected, {stamp, deviceTypeName, portName});
}

std::string NoControllerLine(const std::vector<std::string>& portNames, const std::string& stamp) {
  return FormatText(kNoController, {stamp, JoinNames(portNames)});
}

std::string UnopenedPortsLine(const std::vector<std::string>& portNames, const std::string& stamp) {
  return FormatText(kUnopenedPorts, {stamp, JoinNames(portNames)});
}

std::string NoPortLine(const std::string& stamp) { return FormatText(kNoPort, {stamp}); }

std::string ReadingLine(const std::string& stamp) { return FormatText(kReading, {stamp}); }

std::string MissingRepliesLine(const std::vector<std::string>& missing, const std::string& stamp) {
  return FormatText(kMissingReplies, {stamp, JoinNames(missing)});
}

std::string CheckingLine(const MessageTable& messages, const std::string& stamp) {
  return FormatText(messages.Text(MessageTable::kWriteChecking), {stamp});
}

std::string WritingLine(uint32_t serialNumber, const std::string& stamp) {
  return FormatText(kWriting, {stamp, FormatSerial(serialNumber)});
}

std::string NoConfigLine(const std::string& stamp) { return FormatText(kNoConfig, {stamp}); }

std::string UnknownProductLine(uint32_t productId, const std::string& stamp) {
  return FormatText(kUnknownProduct, {stamp, static_cast<int64_t>(productId)});
}

}  // namespace lum

namespace lum {

std::string MonitorSilentLine(const std::string& portName, const std::string& stamp) {
  return FormatText(kMonitorSilent, {stamp, portName});
}

std::string MonitorAnswersLine(const std::string& portName, const std::string& stamp) {
  return FormatText(kMonitorAnswers, {stamp, portName});
}

std::string IncompleteReadLine(const std::string& stamp) { return FormatText(kIncompleteRead, {stamp}); }

std::string IncompleteSaveLine(const std::string& stamp) { return FormatText(kIncompleteSave, {stamp}); }

std::string OutOfRangeLine(const std::string& text, const std::string& stamp) {
  return FormatText(kStamped, {stamp, text});
}

std::string WriteRefusedLine(const MessageTable& messages, const std::string& stamp) {
  return FormatText(kStamped, {stamp, messages.Text(msg::kWriteRefused)});
}

std::string NotHeldLine(const std::string& fieldName, bool sent, const std::string& wanted,
                        const std::optional<std::string>& held, const std::string& stamp) {
  const std::string controller = held ? FormatText("holds %s", {*held}) : (sent ? kNoEcho : kUnknown);
  return FormatText(kNotHeld, {stamp, fieldName, wanted, controller});
}

std::string StoppedAnsweringLine(size_t answered, size_t requests, const std::string& stamp) {
  return FormatText(kStoppedAnswering, {stamp, static_cast<int64_t>(answered), static_cast<int64_t>(requests)});
}

}  // namespace lum
