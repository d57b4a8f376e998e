// Feeds arbitrary line traffic through the receive ring and the reply dispatcher.
// Input: chunks, each a control byte followed by its bytes. Control bit 7 clear: bits 0-5
// give the count of raw bytes (above 32 exercises the purge of an overfull queue). Bit 7 set:
// bits 0-4 give the count of frame bytes that get their CRC appended, so that the dispatcher
// sees valid frames of every code and length, not only the rare random ones.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "base/Crc16.h"
#include "link/Link.h"

namespace {

class NoClock final : public lum::Clock {
 public:
  void SleepMs(unsigned) override {}
  uint64_t NowMs() override { return 0; }
};

class NullObserver final : public lum::LinkObserver {
 public:
  void InfoLine(const std::string&) override {}
  void TraceLine(const std::string&) override {}
};

// Shows one chunk per status call, as if it had just come in.
class ChunkPort final : public lum::SerialPort {
 public:
  ChunkPort(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Status(lum::PortStatus& status) override {
    status = lum::PortStatus{};
    if (waiting_.empty() && at_ < size_) NextChunk();
    status.inQueue = static_cast<uint32_t>(waiting_.size());
    return true;
  }
  bool Write(const uint8_t*, size_t) override { return true; }
  size_t Read(uint8_t* buffer, size_t length) override {
    const size_t count = std::min(length, waiting_.size());
    std::copy_n(waiting_.begin(), count, buffer);
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
  }
  void PurgeReceive() override { waiting_.clear(); }
  std::string LastError() const override { return {}; }
  const std::string& Path() const override { return path_; }
  bool Done() const { return at_ >= size_ && waiting_.empty(); }

 private:
  static constexpr uint8_t kFrameChunk = 0x80;
  static constexpr uint8_t kRawCountMask = 0x3F;
  static constexpr uint8_t kFrameCountMask = 0x1F;
  static constexpr size_t kCrcSize = 2;

  void NextChunk() {
    const uint8_t control = data_[at_++];
    const bool frame = (control & kFrameChunk) != 0;
    const size_t length = std::min<size_t>(control & (frame ? kFrameCountMask : kRawCountMask), size_ - at_);
    waiting_.assign(data_ + at_, data_ + at_ + length);
    at_ += length;
    if (frame && length > 0) {
      waiting_.resize(length + kCrcSize);
      lum::WriteU16Be(&waiting_[length], lum::Crc16(waiting_.data(), length));
    }
  }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  std::vector<uint8_t> waiting_;
  std::string path_ = "fuzz";
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  NoClock clock;
  NullObserver observer;
  lum::Link link(clock, observer);
  lum::TDEVICE_CONFIG entry;
  if (size > 0 && (data[0] & 1)) link.SetEntry(&entry);
  lum::TCONFIG_BLOCK block;
  ChunkPort port(data, size);
  // Enough reads to wrap the 96-byte ring several times; more only slows the run down.
  constexpr int kMaxReads = 48;
  for (int reads = 0; reads < kMaxReads && !port.Done(); ++reads) {
    const int count = link.ReceiveFrames(&port, block);
    if (count < 0 || count > 32 || link.RxPos() < 32 || link.RxPos() > 127) __builtin_trap();
  }
  return 0;
}
