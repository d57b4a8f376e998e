#include "FixedWaits.h"

#include "QuietObserver.h"
#include "link/MemoryPort.h"
#include "sim/Request.h"
#include "sim/Responder.h"
#include "support/FakeClock.h"

namespace lum::bench {

namespace {

// A controller whose whole reply is waiting by the first status call after the request.
class ImmediatePort : public MemoryPort {
 public:
  explicit ImmediatePort(const sim::ControllerSetup& setup) : MemoryPort("immediate"), responder_(setup) {}
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
  explicit FirstPortOpener(const sim::ControllerSetup& setup) : setup_(setup) {}
  std::unique_ptr<SerialPort> Open(int n) override {
    return n == kFirstComPort ? std::make_unique<ImmediatePort>(setup_) : nullptr;
  }
  bool Exists(int n) const override { return n == kFirstComPort; }

 private:
  const sim::ControllerSetup& setup_;
};

}  // namespace

uint64_t FixedWaitsMs(const sim::ControllerSetup& setup, const std::function<void(DeviceContext&)>& operation) {
  test::FakeClock clock;
  QuietObserver observer;
  Link link(clock, observer);
  EntryStore entries;
  FirstPortOpener opener(setup);
  MessageTable messages;
  messages.FillBuiltIn();
  DeviceContext context{link, entries, opener, messages};
  operation(context);
  return clock.NowMs();
}

}  // namespace lum::bench
