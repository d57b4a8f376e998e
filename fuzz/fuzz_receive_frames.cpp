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
#include "link/MemoryPort.h"

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
class ChunkPort final : public lum::MemoryPort {
 public:
  ChunkPort(const uint8_t* data, size_t size) : MemoryPort("fuzz"), data_(data), size_(size) {}
  bool Status(lum::PortStatus& status) override {
    if (Waiting() == 0 && at_ < size_) NextChunk();
    return MemoryPort::Status(status);
  }
  bool Write(const uint8_t*, size_t) override { return true; }
  bool Done() const { return at_ >= size_ && Waiting() == 0; }

 private:
  static constexpr uint8_t kFrameChunk = 0x80;
  static constexpr uint8_t kRawCountMask = 0x3F;
  static constexpr uint8_t kFrameCountMask = 0x1F;

  void NextChunk() {
    const uint8_t control = data_[at_++];
    const bool frame = (control & kFrameChunk) != 0;
    const size_t length = std::min<size_t>(control & (frame ? kFrameCountMask : kRawCountMask), size_ - at_);
    std::vector<uint8_t> chunk(data_ + at_, data_ + at_ + length);
    at_ += length;
    if (frame && length > 0) {
      chunk.resize(length + lum::frame::kCrcSize);
      lum::WriteU16Be(&chunk[length], lum::Crc16(chunk.data(), length));
    }
    Arrive(chunk.data(), chunk.size());
  }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
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
