#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "language/MessageTable.h"
#include "link/SerialPort.h"
#include "upgrade/EffContent.h"
#include "upgrade/UpgradeMemo.h"

namespace lum {

/// Reply capacities, fixed waits and progress marks of the loader dialogue.
namespace loader_pacing {
inline constexpr size_t kHandshakeCapacity = 9;
inline constexpr size_t kTransferCapacity = 256;
inline constexpr int kLoaderWaitRounds = 250;
inline constexpr unsigned kLoaderWaitMs = 32;
inline constexpr unsigned kSyncWaitMs = 500;
inline constexpr unsigned kIdentityWaitMs = 500;
inline constexpr unsigned kImageBlockWaitMs = 600;
inline constexpr unsigned kDataBlockWaitMs = 400;
inline constexpr unsigned kDataEndWaitMs = 200;
inline constexpr unsigned kQuitWaitMs = 100;
inline constexpr int kFinalRounds = 10;
inline constexpr unsigned kFinalRoundMs = 255;
inline constexpr int kImageProgressEnd = 80;
inline constexpr int kDataProgressSpan = 8;
inline constexpr int kProgressAfterBuild = 90;
}  // namespace loader_pacing

/// Opens the loader's port by device path; null when it cannot be opened or set up.
using LoaderPortOpener = std::function<std::unique_ptr<SerialPort>(const std::string& path)>;

/// OpenPort at the loader's 9600 baud, 8N1.
std::unique_ptr<SerialPort> OpenLoaderPort(const std::string& path);

/// The bytes waiting in the receive queue when there are no more than `capacity` of them;
/// more are purged and count as no reply. Never waits.
std::vector<uint8_t> ReadLoaderReply(SerialPort& port, size_t capacity);

/// The first 4 reply bytes, big-endian, equal the device ID in all 32 bits.
bool CheckLoaderIdentity(const std::vector<uint8_t>& reply, uint32_t deviceId);

/// The whole upgrade dialogue with the controller's loader on the port `portName` (shown in
/// the memo) at `portPath`. Reports every step in the memo and the progress bar; returns true
/// when the upgrade completed. Refuses, sending nothing, content that was not accepted.
/// The port is closed on every way out.
bool RunUpgrade(const std::string& portName, const std::string& portPath, const EffContent& content, UpgradeMemo& memo,
                const MessageTable& messages, Clock& clock, const LoaderPortOpener& open = OpenLoaderPort);

}  // namespace lum
