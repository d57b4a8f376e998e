#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/Clock.h"
#include "data/ConfigBlock.h"
#include "data/DeviceConfig.h"
#include "link/Frame.h"
#include "link/LinkObserver.h"
#include "link/SerialPort.h"

namespace lum {

/// Sizes of the link's shared buffers.
namespace link_layout {
inline constexpr size_t kFrameSize = frame::kSize;
inline constexpr size_t kRxBufferSize = 128;
inline constexpr size_t kRxWindowSize = 32;   // positions 0..31
inline constexpr uint16_t kRxRingStart = 32;  // ring positions 32..127
inline constexpr uint16_t kRxRingEnd = 127;
inline constexpr size_t kRxRingSize = kRxRingEnd - kRxRingStart + 1;
inline constexpr size_t kMaxRead = 32;  // more waiting than this is purged
static_assert(kRxWindowSize >= frame::kLongMaxSize && kRxRingStart == kRxWindowSize && kRxRingEnd + 1 == kRxBufferSize);
}  // namespace link_layout

/// The head of a valid frame the link decoded: reply code, index byte (b2) and word (W);
/// a long reply's index is its length byte and its word 0.
struct ReplyHeader {
  uint8_t code;
  uint8_t index;
  uint16_t word;
};

/// The device link: the 8-byte request / checked reply protocol with its single shared
/// buffers, the receive ring and the reply dispatcher. Not thread-safe: its owner (a device
/// session's job thread) runs one exchange at a time.
class Link {
 public:
  /// Starts in the Reset state.
  Link(Clock& clock, LinkObserver& observer);

  /// Start-up state: RxPos 32, every byte of the receive buffer 0xFF, DeviceIdentified cleared.
  void Reset();

  /// The entry whose identity fields replies decode into (CurrentEntry). May be null.
  void SetEntry(TDEVICE_CONFIG* entry) { entry_ = entry; }
  TDEVICE_CONFIG* Entry() const { return entry_; }

  /// One exchange: sends the request and collects replies, decoding them into `block`.
  /// A null port does nothing.
  void SendFrame(TCONFIG_BLOCK& block, SerialPort* port, uint8_t address, uint8_t command, uint8_t index,
                 uint8_t byteArg, uint16_t wordArg);

  /// Bus mode: requests go to `address` and a frame carrying another address is not taken as
  /// a reply (it is traced and dropped). 0 leaves bus mode: a single-controller port, where
  /// requests go to address 0 and the one controller's frames are taken whatever their address.
  void SetBusAddress(uint8_t address) { bus_address_ = address; }
  uint8_t BusAddress() const { return bus_address_; }
  /// The address byte of this link's requests: the bus address, 0 on a single-controller port.
  uint8_t RequestAddress() const { return bus_address_; }
  /// Exchanges whose bytes came but held no frame (damage, or two controllers answering at
  /// once) since the count was last cleared.
  unsigned GarbledExchanges() const { return garbled_exchanges_; }
  void ClearGarbledExchanges() { garbled_exchanges_ = 0; }

  /// Reads what is waiting and decodes every complete valid frame in the ring.
  /// Returns the number of bytes read (0..32).
  int ReceiveFrames(SerialPort* port, TCONFIG_BLOCK& block);

  /// Every valid frame decoded since the log was last cleared, in order: lets an operation
  /// tell which of its requests were answered.
  const std::vector<ReplyHeader>& ReplyLog() const { return reply_log_; }
  void ClearReplyLog() { reply_log_.clear(); }

  bool DeviceIdentified() const { return device_identified_; }
  void SetDeviceIdentified(bool value) { device_identified_ = value; }
  uint16_t RxPos() const { return rx_pos_; }
  void SetRxPos(uint16_t pos) { rx_pos_ = pos; }
  const std::array<uint8_t, link_layout::kFrameSize>& TxFrame() const { return tx_frame_; }
  const std::array<uint8_t, link_layout::kRxBufferSize>& RxBuffer() const { return rx_buffer_; }

  Clock& clock() { return clock_; }
  LinkObserver& observer() { return observer_; }

 private:
  void Trace(const std::string& line);
  /// Copies the candidate of `length` bytes at ring position `start` into the window.
  void CopyToWindow(uint16_t start, size_t length);
  void ScanRing(TCONFIG_BLOCK& block);
  /// Whether the bytes that came in from ring position `start` begin a long reply still
  /// incomplete after `received` bytes.
  bool LongReplyUnderway(uint16_t start, size_t received) const;

  Clock& clock_;
  LinkObserver& observer_;
  TDEVICE_CONFIG* entry_ = nullptr;
  std::array<uint8_t, link_layout::kFrameSize> tx_frame_{};
  std::array<uint8_t, link_layout::kRxBufferSize> rx_buffer_{};
  uint16_t rx_pos_ = link_layout::kRxRingStart;
  std::vector<ReplyHeader> reply_log_;
  size_t frames_taken_ = 0;  // valid frames decoded since start: tells an exchange whether its reply came
  bool device_identified_ = false;
  uint8_t bus_address_ = 0;
  unsigned garbled_exchanges_ = 0;
  size_t foreign_frames_ = 0;  // valid frames of other bus addresses: not damage
};

}  // namespace lum
