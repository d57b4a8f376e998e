#include "link/Link.h"

#include <fmt/format.h>

#include <algorithm>

#include "base/ByteOrder.h"
#include "base/Crc16.h"
#include "base/TimeStamp.h"
#include "link/ReplyDispatcher.h"

namespace lum {

namespace {

constexpr int kMaxTries = 3;
// Line-error passes do not count as tries; a line that keeps reporting errors would
// otherwise hold the exchange for ever.
constexpr int kMaxLineErrorPasses = 8;
constexpr unsigned kAfterWriteMs = 32;
constexpr unsigned kIdentifiedRetryExtraMs = 32;
constexpr unsigned kBeforeReadMs = 16;
constexpr unsigned kOutQueueDrainMs = 32;
constexpr uint8_t kEmpty = 0xFF;

constexpr const char* kSendStatusFailed = "[{}] Send Data:: ClearCommError: {}";
constexpr const char* kSendLineError = "[{}] Send Data:: dwError: {:08X} ({}), cbIn: {}, cbOut: {}";
constexpr const char* kSendRepaired = "[{}] Send Data:: 系统已尝试修复此错误!";
constexpr const char* kSendLineErrorsPersist = "[{}] Send Data:: Line errors persist, request abandoned.";
constexpr const char* kSendWriteFailed = "[{}] Send Data:: WriteFileError: {}";
constexpr const char* kReceiveOverflow = "[{}] Receive Data:: ClearCommError: {}";
constexpr const char* kBroadcastRefused = "[{}] Send Data:: address 0 is not sent on a bus";
constexpr const char* kForeignReply = "[{}] Receive Data:: reply from address {} while {} was asked, not taken";

uint16_t RingPosition(size_t position) {
  using namespace link_layout;
  return static_cast<uint16_t>(position > kRxRingEnd ? position - kRxRingSize : position);
}

}  // namespace

Link::Link(Clock& clock, LinkObserver& observer) : clock_(clock), observer_(observer) { Reset(); }

void Link::Reset() {
  rx_buffer_.fill(kEmpty);
  rx_pos_ = link_layout::kRxRingStart;
  device_identified_ = false;
}

void Link::Trace(const std::string& line) { observer_.TraceLine(line); }

void Link::SendFrame(TCONFIG_BLOCK& block, SerialPort* port, uint8_t address, uint8_t command, uint8_t index,
                     uint8_t byteArg, uint16_t wordArg) {
  if (!port) return;
  // On a bus every controller would answer address 0 at once.
  if (bus_address_ != 0 && address == 0) {
    Trace(fmt::format(kBroadcastRefused, NowStamp()));
    return;
  }
  tx_frame_ = EncodeFrame(address, command, index, byteArg, wordArg);

  int tries = 0;
  size_t received = 0;
  int errorPasses = 0;
  uint16_t replyStart = rx_pos_;
  size_t framesBefore = frames_taken_;
  size_t foreignBefore = foreign_frames_;
  while (tries < kMaxTries) {
    PortStatus status;
    if (!port->Status(status)) {
      Trace(fmt::format(kSendStatusFailed, NowStamp(), port->LastError()));
      return;
    }
    if (status.errors != 0) {
      if (observer_.ShowErrorDetails())
        Trace(fmt::format(kSendLineError, NowStamp(), status.errors, SystemMessageText(status.errors), status.inQueue,
                          status.outQueue));
      if (status.inQueue > 0) ReceiveFrames(port, block);
      if (status.outQueue > 0) clock_.SleepMs(kOutQueueDrainMs);
      Trace(fmt::format(kSendRepaired, NowStamp()));
      if (++errorPasses == kMaxLineErrorPasses) {
        Trace(fmt::format(kSendLineErrorsPersist, NowStamp()));
        return;
      }
      continue;
    }
    errorPasses = 0;

    if (received == 0) {
      replyStart = rx_pos_;
      framesBefore = frames_taken_;
      foreignBefore = foreign_frames_;
      if (!port->Write(tx_frame_.data(), tx_frame_.size()))
        Trace(fmt::format(kSendWriteFailed, NowStamp(), port->LastError()));
      if (device_identified_ && tries > 0) clock_.SleepMs(kIdentifiedRetryExtraMs);
      clock_.SleepMs(kAfterWriteMs);
    }
    clock_.SleepMs(kBeforeReadMs);
    received += static_cast<size_t>(ReceiveFrames(port, block));
    if (received >= frame::kSize) {
      if (frames_taken_ != framesBefore || LongReplyUnderway(replyStart, received)) return;
      // A whole reply's worth of bytes that holds no frame was damaged on the line: it is
      // asked for again, as if it had not come.
      if (foreign_frames_ == foreignBefore) ++garbled_exchanges_;
      received = 0;
    }
    ++tries;
  }
}

int Link::ReceiveFrames(SerialPort* port, TCONFIG_BLOCK& block) {
  using namespace link_layout;
  if (!port) return 0;

  PortStatus status;
  port->Status(status);
  if (status.inQueue > kMaxRead) {
    port->PurgeReceive();
    Trace(fmt::format(kReceiveOverflow, NowStamp(), port->LastError()));
    return 0;
  }

  std::array<uint8_t, kMaxRead> incoming{};
  const size_t count = std::min(port->Read(incoming.data(), status.inQueue), kMaxRead);
  for (size_t i = 0; i < count; ++i) {
    rx_buffer_[rx_pos_] = incoming[i];
    rx_pos_ = RingPosition(rx_pos_ + 1u);
  }
  ScanRing(block);
  return static_cast<int>(count);
}

// A long reply can be longer than what came in so far: the exchange ends with its head and
// the next one decodes its tail, so such bytes are not taken for damage.
bool Link::LongReplyUnderway(uint16_t start, size_t received) const {
  const size_t length = CandidateLength(rx_buffer_[RingPosition(start + frame::kCode)],
                                        rx_buffer_[RingPosition(start + frame::kLongLength)]);
  return length > received;
}

void Link::CopyToWindow(uint16_t start, size_t length) {
  for (size_t i = 0; i < length; ++i) rx_buffer_[i] = rx_buffer_[RingPosition(start + i)];
}

// Frames are found by their CRC alone, in ring-position order; a taken frame's ring bytes
// are blanked so that it is never taken twice.
void Link::ScanRing(TCONFIG_BLOCK& block) {
  using namespace link_layout;
  for (uint16_t s = kRxRingStart; s <= kRxRingEnd; ++s) {
    const size_t length =
        CandidateLength(rx_buffer_[RingPosition(s + frame::kCode)], rx_buffer_[RingPosition(s + frame::kLongLength)]);
    CopyToWindow(s, length);
    if (Crc16(rx_buffer_.data(), length) != 0) continue;
    for (size_t i = 0; i < length; ++i) rx_buffer_[RingPosition(s + i)] = kEmpty;
    if (bus_address_ != 0 && rx_buffer_[frame::kAddress] != bus_address_) {
      Trace(fmt::format(kForeignReply, NowStamp(), rx_buffer_[frame::kAddress], bus_address_));
      std::fill_n(rx_buffer_.begin(), kFrameSize, kEmpty);
      ++foreign_frames_;
      continue;
    }
    const auto effect = DispatchReply(std::span<const uint8_t>(rx_buffer_.data(), length), block, entry_, observer_);
    reply_log_.push_back(
        length == frame::kSize
            ? ReplyHeader{rx_buffer_[frame::kCode], rx_buffer_[frame::kIndex], ReadU16Be(&rx_buffer_[frame::kWord])}
            : ReplyHeader{rx_buffer_[frame::kCode], rx_buffer_[frame::kLongLength], 0});
    if (effect.identified) device_identified_ = true;
    ++frames_taken_;
    std::fill_n(rx_buffer_.begin(), kFrameSize, kEmpty);
  }
}

}  // namespace lum
