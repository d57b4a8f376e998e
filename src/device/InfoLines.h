#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/TimeStamp.h"
#include "language/MessageTable.h"

namespace lum {

/// The information-panel lines of the scan, the write and the live monitor. Texts held in the message table
/// are filled through the safe formatter; the stamp defaults to now.
std::string OpenPortLine(const MessageTable& messages, const std::string& portName,
                         const std::string& stamp = NowStamp());
std::string ConnectedLine(const std::string& deviceTypeName, const std::string& portName,
                          const std::string& stamp = NowStamp());
std::string ReadingLine(const std::string& stamp = NowStamp());
/// The ports of a scan where no controller of a known type answered.
std::string NoControllerLine(const std::vector<std::string>& portNames, const std::string& stamp = NowStamp());
/// A scan that opened no port: the ports that exist but would not open, or that none exists.
std::string UnopenedPortsLine(const std::vector<std::string>& portNames, const std::string& stamp = NowStamp());
std::string NoPortLine(const std::string& stamp = NowStamp());
/// Names what a read missed: the fields whose reply never came.
std::string MissingRepliesLine(const std::vector<std::string>& missing, const std::string& stamp = NowStamp());
std::string CheckingLine(const MessageTable& messages, const std::string& stamp = NowStamp());
std::string WritingLine(uint32_t serialNumber, const std::string& stamp = NowStamp());
std::string NoConfigLine(const std::string& stamp = NowStamp());
/// The entry's product code has no device type, so which values the controller holds is not
/// known: it is not written.
std::string UnknownProductLine(uint32_t productId, const std::string& stamp = NowStamp());
/// The entry came from a read that missed replies: it is not written.
std::string IncompleteReadLine(const std::string& stamp = NowStamp());
/// The same entry is not saved to a file either.
std::string IncompleteSaveLine(const std::string& stamp = NowStamp());
/// A value outside its field's range, as OutOfRangeText words it: the write is refused.
std::string OutOfRangeLine(const std::string& text, const std::string& stamp = NowStamp());
/// The line after them: nothing was sent.
std::string WriteRefusedLine(const MessageTable& messages, const std::string& stamp = NowStamp());
/// A field the controller does not hold after a write, its values as text. `held` is its
/// value there, or empty when no echo came (`sent`) or it was neither sent nor read.
std::string NotHeldLine(const std::string& fieldName, bool sent, const std::string& wanted,
                        const std::optional<std::string>& held, const std::string& stamp = NowStamp());
/// A write whose last requests went unanswered: the controller stopped answering after
/// `answered` of `requests`, so the fields named after this line may not have been written.
std::string StoppedAnsweringLine(size_t answered, size_t requests, const std::string& stamp = NowStamp());
/// The live monitor's controller on `portName` left a poll unanswered: its readings are
/// cleared; and the first answer after that.
std::string MonitorSilentLine(const std::string& portName, const std::string& stamp = NowStamp());
std::string MonitorAnswersLine(const std::string& portName, const std::string& stamp = NowStamp());
/// Two controllers on one bus address answered at once: their replies were mixed.
std::string BusGarbledLine(const MessageTable& messages, const std::string& portName, uint8_t address,
                           const std::string& stamp = NowStamp());
/// The line that ends every write attempt: a carriage return alone.
inline constexpr char kEndOfWriteLine[] = "\r";

}  // namespace lum
