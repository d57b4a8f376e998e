#include "DeviceTestSupport.h"

#include <algorithm>

#include "support/PortView.h"

namespace lum::test {

namespace {

sim::RawFrame ToRaw(const Bytes& bytes) {
  sim::RawFrame raw{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), raw.size()), raw.begin());
  return raw;
}

}  // namespace

ScriptedController::ScriptedController(const sim::ControllerSetup& setup) : responder_(setup) {
  port_.OnWrite([this](int, const Bytes& written) -> std::vector<Bytes> {
    if (written.size() != frame::kSize || !sim::CrcChecks(written.data(), written.size())) return {};
    const auto reply = responder_.Answer(sim::DecodeRequest(ToRaw(written)), sim::Measurements{});
    if (!reply) return {};
    return {*reply};
  });
}

TDEVICE_CONFIG& ScriptedDeviceTest::CurrentFileEntry(const TCONFIG_BLOCK& block, const std::string& name) {
  auto entry = std::make_unique<TDEVICE_CONFIG>();
  entry->Name = name;
  entry->Config = block;
  TDEVICE_CONFIG& added = entries.AddFileEntry(std::move(entry));
  entries.SetCurrentEntry(&added);
  link.SetEntry(&added);
  return added;
}

std::vector<sim::Request> ScriptedDeviceTest::Sent(const ScriptedPort& port) {
  std::vector<sim::Request> requests;
  for (const Bytes& written : port.Written()) requests.push_back(sim::DecodeRequest(ToRaw(written)));
  return requests;
}

std::vector<sim::Request> Decode(const std::vector<sim::RawFrame>& log) {
  std::vector<sim::Request> requests;
  for (const auto& frame : log) requests.push_back(sim::DecodeRequest(frame));
  return requests;
}

std::vector<uint8_t> Commands(const std::vector<sim::Request>& requests) {
  std::vector<uint8_t> codes;
  for (const auto& request : requests) codes.push_back(request.code);
  return codes;
}

std::unique_ptr<SerialPort> ScriptedOpener::Open(int n) {
  asked_.push_back(n);
  const auto it = ports_.find(n);
  if (it == ports_.end()) return nullptr;
  return std::make_unique<PortView>(*it->second);
}

}  // namespace lum::test
