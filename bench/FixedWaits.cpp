#include "FixedWaits.h"

#include <algorithm>
#include <deque>

#include "sim/Responder.h"
#include "sim/Request.h"

namespace lum::bench {

namespace {

class CountingClock : public Clock {
 public:
  void SleepMs(unsigned ms) override { now_ += ms; }
  uint64_t NowMs() override { return now_; }

 private:
  uint64_t now_ = 0;
};

class SilentObserver : public LinkObserver {
 public:
  void InfoLine(const std::string&) override {}
  void TraceLine(const std::string&) override {}
};

// A controller whose whole reply is waiting by the first status call after the request.
class ImmediatePort : public SerialPort {
 public:
  explicit ImmediatePort(const sim::ControllerSpec& spec) : responder_(spec) {}
  bool Status(PortStatus& status) override {
    status = PortStatus{};
    status.inQueue = static_cast<uint32_t>(waiting_.size());
    return true;
  }
  bool Write(const uint8_t* data, size_t length) override {
    for (const auto& frame : scanner_.Feed(data, length))
      if (const auto reply = responder_.Answer(sim::DecodeRequest(frame), sim::Measurements{}))
        waiting_.insert(waiting_.end(), reply->begin(), reply->end());
    return true;
  }
  size_t Read(uint8_t* buffer, size_t length) override {
    const size_t count = std::min(length, waiting_.size());
    std::copy_n(waiting_.begin(), count, buffer);
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
  }
  void PurgeReceive() override { waiting_.clear(); }
  std::string LastError() const override { return {}; }
  const std::string& Path() const override { return path_; }

 private:
  sim::Responder responder_;
  sim::RequestScanner scanner_;
  std::deque<uint8_t> waiting_;
  std::string path_ = "immediate";
};

class FirstPortOpener : public PortOpener {
 public:
  explicit FirstPortOpener(const sim::ControllerSpec& spec) : spec_(spec) {}
  std::unique_ptr<SerialPort> Open(int n) override {
    return n == kFirstComPort ? std::make_unique<ImmediatePort>(spec_) : nullptr;
  }

 private:
  const sim::ControllerSpec& spec_;
};

}  // namespace

uint64_t FixedWaitsMs(const sim::ControllerSpec& spec, const std::function<void(DeviceContext&)>& operation) {
  CountingClock clock;
  SilentObserver observer;
  Link link(clock, observer);
  EntryStore entries;
  FirstPortOpener opener(spec);
  MessageTable messages;
  messages.FillBuiltIn();
  DeviceContext context{link, entries, opener, messages};
  operation(context);
  return clock.NowMs();
}

}  // namespace lum::bench
