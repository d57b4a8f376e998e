#pragma once

#include <cstdint>
#include <string>

#include "base/TimeStamp.h"
#include "language/MessageTable.h"

namespace lum {

/// The information-panel lines of the scan and the write. Texts held in the message table
/// are filled through the safe formatter; the stamp defaults to now.
std::string OpenPortLine(const MessageTable& messages, const std::string& portName,
                         const std::string& stamp = NowStamp());
std::string ConnectedLine(const std::string& deviceTypeName, const std::string& portName,
                          const std::string& stamp = NowStamp());
std::string ReadingLine(const std::string& stamp = NowStamp());
std::string CheckingLine(const MessageTable& messages, const std::string& stamp = NowStamp());
std::string WritingLine(uint32_t serialNumber, const std::string& stamp = NowStamp());
std::string NoConfigLine(const std::string& stamp = NowStamp());
/// The line that ends every write attempt: a carriage return alone.
inline constexpr char kEndOfWriteLine[] = "\r";

}  // namespace lum
