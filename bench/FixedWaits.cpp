#include "FixedWaits.h"

#include "QuietObserver.h"
#include "link/MemoryPort.h"
#include "sim/Request.h"
#include "sim/Responder.h"

namespace lum::bench {

namespace {

class CountingClock : public Clock {
 public:
  void SleepMs(unsigned ms) override { now_ += ms; }
  uint64_t NowMs() override { return now_; }

 private:
  uint64_t now_ = 0;
};

// A controller whose whole reply is waiting by the first status call after the request.
class ImmediatePort : public MemoryPort {
 public:
  explicit ImmediatePort(const sim::ControllerSpec& spec) : MemoryPort("immediate"), responder_(spec) {}
  bool Write(const uint8_t* data, size_t length) override {
    for (const auto& frame : scanner_.Feed(data, length))
      if (const auto reply = responder_.Answer(sim::DecodeRequest(frame), sim::Measurements{}))
        Arrive(reply->data(), reply->size());
    return true;
  }

 private:
  sim::Responder responder_;
  sim::RequestScanner scanner_;
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
  QuietObserver observer;
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
