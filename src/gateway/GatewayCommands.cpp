// The gateway's remote changes: each command checked before anything reaches a controller,
// then written with verification on the gateway's own thread, between two polls.
#include <fmt/format.h>

#include "data/ConfigJson.h"
#include "gateway/Gateway.h"
#include "gateway/RemoteChange.h"
#include "gateway/RemoteWrite.h"

namespace lum::gateway {

void Gateway::HandleCommands() {
  for (;;) {
    std::pair<std::string, std::string> command;
    {
      const std::lock_guard lock(mutex_);
      if (commands_.empty()) return;
      command = std::move(commands_.front());
      commands_.pop_front();
    }
    HandleCommand(command.first, command.second);
  }
}

void Gateway::HandleCommand(const std::string& topic, const std::string& payload) {
  const auto serial = SerialOfCommand(topics_, topic);
  if (!serial || !settings_.remoteChanges) return;
  Port* port = nullptr;
  Controller* controller = nullptr;
  for (Port& candidate : ports_)
    for (Controller& known : candidate.controllers)
      if (known.identity.serial == *serial) {
        port = &candidate;
        controller = &known;
      }
  const ChangeRequest request = CheckChange(payload, controller ? &controller->read.Config : nullptr);
  if (!request.block) {
    log_(fmt::format("{}: remote change refused: {}", *serial, request.refusal));
    Send(topics_.Result(*serial), RefusalDocument(request.refusal));
    return;
  }
  ApplyAndReport(*port, *controller, *request.block);
}

void Gateway::ApplyAndReport(Port& port, Controller& controller, const TCONFIG_BLOCK& wanted) {
  const std::string& serial = controller.identity.serial;
  log_(fmt::format("{}: remote change on {}", serial, port.watch->Name()));
  const ChangeOutcome outcome = ApplyChange(*port.watch, controller.read.SerialNumber, wanted, settings_.dataFolder);
  nlohmann::ordered_json result = OutcomeDocument(outcome);
  try {
    records_.Add(ChangeRecord(outcome, settings_.prefix, port.watch->Name()));
  } catch (const std::exception& e) {
    // The change happened (or not) all the same; the result says the record is missing.
    result["record"] = fmt::format("not kept: {}", e.what());
  }
  if (outcome.after) {
    controller.read = *outcome.after;
    PublishRetained(topics_.Config(serial), BlockToJson(controller.read.Config).dump());
  }
  log_(fmt::format("{}: remote change: {}", serial, result["result"].get<std::string>()));
  Send(topics_.Result(serial), std::move(result));
  if (!port.watch->OpenMonitor()) log_(port.watch->Name() + ": the port does not open for polling");
}

}  // namespace lum::gateway
