#include "FixedWaits.h"

#include "QuietObserver.h"
#include "link/MemoryPort.h"
#include "sim/BusLine.h"
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

// A bus whose units' replies are all waiting by the first status call after the request.
class ImmediateBus : public MemoryPort {
 public:
  explicit ImmediateBus(const std::vector<sim::ControllerSetup>& units)
      : MemoryPort("immediate bus"), line_(Units(units)) {}
  bool Write(const uint8_t* data, size_t length) override {
    for (const auto& frame : scanner_.Feed(data, length))
      if (const auto reply = line_.Answer(sim::DecodeRequest(frame), frame, sim::Measurements{}))
        Arrive(reply->data(), reply->size());
    return true;
  }

 private:
  static std::vector<std::optional<sim::Responder>> Units(const std::vector<sim::ControllerSetup>& setups) {
    std::vector<std::optional<sim::Responder>> units;
    for (const auto& setup : setups) units.emplace_back(sim::Responder(setup));
    return units;
  }
  sim::BusLine line_;
  sim::RequestScanner scanner_;
};

class FirstBusOpener : public PortOpener {
 public:
  FirstBusOpener(const std::vector<sim::ControllerSetup>& units, const BusAddresses& addresses)
      : units_(units), addresses_(addresses) {}
  std::unique_ptr<SerialPort> Open(int n) override {
    return n == kFirstComPort ? std::make_unique<ImmediateBus>(units_) : nullptr;
  }
  bool Exists(int n) const override { return n == kFirstComPort; }
  const BusAddresses& BusOf(int n) const override { return n == kFirstComPort ? addresses_ : PortOpener::BusOf(n); }

 private:
  const std::vector<sim::ControllerSetup>& units_;
  const BusAddresses& addresses_;
};

uint64_t CountFixedWaits(PortOpener& opener, const std::function<void(DeviceContext&)>& operation) {
  test::FakeClock clock;
  QuietObserver observer;
  Link link(clock, observer);
  EntryStore entries;
  MessageTable messages;
  messages.FillBuiltIn();
  DeviceContext context{link, entries, opener, messages};
  operation(context);
  return clock.NowMs();
}

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
  FirstPortOpener opener(setup);
  return CountFixedWaits(opener, operation);
}

uint64_t BusFixedWaitsMs(const std::vector<sim::ControllerSetup>& units, const BusAddresses& addresses,
                         const std::function<void(DeviceContext&)>& operation) {
  FirstBusOpener opener(units, addresses);
  return CountFixedWaits(opener, operation);
}

}  // namespace lum::bench
