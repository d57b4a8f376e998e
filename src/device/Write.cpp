#include "device/Write.h"

#include <memory>
#include <optional>

#include "device/Identify.h"
#include "device/InfoLines.h"
#include "device/WritePlan.h"
#include "link/PortNames.h"

namespace lum {

namespace {

// Step 2 of the write on one open port; nullopt when its controller is not of the product.
std::optional<WriteResult> WriteOnPort(DeviceContext& context, SerialPort* port, TDEVICE_CONFIG& entry) {
  Link& link = context.link;
  LinkObserver& observer = link.observer();
  const MessageTable& messages = context.messages;

  TCONFIG_BLOCK echo;
  observer.InfoLine(CheckingLine(messages));
  Identify(link, port, echo, kWriteIdentifyTries);
  if (echo.ProductID() != entry.Config.ProductID()) {
    observer.InfoLine(messages.Text(MessageTable::kFailure));
    return std::nullopt;
  }

  link.clock().SleepMs(kAfterMatchPauseMs);
  SendRead(link, port, echo, command::kSerialNumber);
  observer.InfoLine(messages.Text(MessageTable::kOk));
  observer.InfoLine(WritingLine(entry.SerialNumber));

  const std::vector<WriteRequest> plan = PlanWrite(entry.Config);
  MarkUnechoed(echo, plan);
  for (const WriteRequest& request : plan)
    link.SendFrame(echo, port, kRequestAddress, request.command, request.index, request.byteArg, request.word);
  const bool verified = EchoMatches(echo, plan);
  observer.InfoLine(messages.Text(verified ? MessageTable::kOk : MessageTable::kFailure));
  return verified ? WriteResult::Verified : WriteResult::VerifyFailed;
}

WriteResult WriteToFirstMatch(DeviceContext& context, TDEVICE_CONFIG& entry) {
  for (int n = kFirstComPort; n <= kLastComPort; ++n) {
    const std::unique_ptr<SerialPort> port = context.ports.Open(n);
    if (!port) continue;
    context.link.observer().ProcessMessages();
    context.link.observer().InfoLine(OpenPortLine(context.messages, ComName(n)));
    if (const auto result = WriteOnPort(context, port.get(), entry)) return *result;
  }
  return WriteResult::NoMatchingController;
}

}  // namespace

WriteResult WriteDevice(DeviceContext& context) {
  Link::Operation operation(context.link);
  if (!operation) return WriteResult::Busy;
  LinkObserver& observer = context.link.observer();
  TDEVICE_CONFIG* entry = context.entries.CurrentEntry();

  WriteResult result = WriteResult::NoConfig;
  if (!entry || entry->Config.ProductID() == 0) {
    observer.InfoLine(NoConfigLine());
  } else {
    context.link.SetEntry(entry);  // the serial number reply updates the entry written
    result = WriteToFirstMatch(context, *entry);
  }
  context.link.SetDeviceIdentified(false);
  observer.InfoLine(kEndOfWriteLine);
  return result;
}

}  // namespace lum
