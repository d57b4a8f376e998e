#include "device/Write.h"

#include <fmt/format.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "data/TypeTables.h"
#include "device/FieldLabels.h"
#include "device/Identify.h"
#include "device/InfoLines.h"
#include "device/ReplyCheck.h"
#include "device/WriteChanges.h"
#include "device/WritePlan.h"
#include "link/PortNames.h"

namespace lum {

namespace {

// The device entry that holds the last complete read of the controller just identified (its
// serial number and product), when the scan read it.
TDEVICE_CONFIG* LastReadOf(EntryStore& entries, const TDEVICE_CONFIG& written) {
  for (const auto& device : entries.DeviceEntries())
    if (device->FromDevice && device->AsRead && device->SerialNumber == written.SerialNumber &&
        device->AsRead->ProductID() == written.Config.ProductID())
      return device.get();
  return nullptr;
}

// After a write the controller holds what was sent when it was verified; otherwise what it
// holds is no longer known.
void RememberWritten(TDEVICE_CONFIG& target, const TCONFIG_BLOCK& written, const std::vector<WriteRequest>& plan,
                     bool verified) {
  if (!verified) {
    target.AsRead.reset();
    return;
  }
  for (const WriteRequest& request : plan)
    for (const SentField& sent : request.fields) WriteField(*target.AsRead, sent.field, ReadField(written, sent.field));
}

// A field as the lines name it: by the pages' label with its unit when the context has the
// labels, otherwise by its internal name with the raw value.
std::string NameOf(const DeviceContext& context, const TCONFIG_BLOCK& written, const FieldRef& field) {
  return context.labels.Empty() ? FieldName(field) : context.labels.Label(field, written, context.messages);
}
std::string ValueText(const DeviceContext& context, const FieldRef& field, uint16_t value) {
  return context.labels.Empty() ? std::to_string(value) : ChangeValueText(field, value);
}

// What the controller may not hold after the write: where it stopped answering, when its
// last requests went unanswered, then each field.
void ReportNotHeld(const DeviceContext& context, const TCONFIG_BLOCK& written, const std::vector<bool>& answered,
                   const std::vector<FieldMismatch>& mismatches) {
  LinkObserver& observer = context.link.observer();
  if (!answered.empty() && !answered.back()) {
    const auto lastAnswer = std::find(answered.rbegin(), answered.rend(), true);
    observer.InfoLine(StoppedAnsweringLine(static_cast<size_t>(answered.rend() - lastAnswer), answered.size()));
  }
  for (const FieldMismatch& m : mismatches) {
    std::string wanted = ValueText(context, m.field, m.wanted);
    auto held = m.held ? std::optional<std::string>(ValueText(context, m.field, *m.held)) : std::nullopt;
    // Values that differ below the shown precision would read as equal: the raw numbers tell them apart.
    if (held == wanted) {
      wanted += fmt::format(" ({})", m.wanted);
      *held += fmt::format(" ({})", *m.held);
    }
    observer.InfoLine(NotHeldLine(NameOf(context, written, m.field), m.sent, wanted, held));
  }
}

// Step 2 of the write on one open port; nullopt when its controller is not of the product.
std::optional<WriteResult> WriteOnPort(DeviceContext& context, SerialPort* port, TDEVICE_CONFIG& entry) {
  Link& link = context.link;
  LinkObserver& observer = link.observer();
  const MessageTable& messages = context.messages;

  TCONFIG_BLOCK echo;
  link.ClearReplyLog();
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

  const bool serialAnswered = IsAnswered(link.ReplyLog(), command::kSerialNumber);
  TDEVICE_CONFIG* target = serialAnswered ? LastReadOf(context.entries, entry) : nullptr;

  const std::vector<WriteRequest> plan = PlanWrite(entry.Config);
  MarkUnechoed(echo, plan);
  std::vector<bool> answered;
  for (const WriteRequest& request : plan) {
    link.ClearReplyLog();
    link.SendFrame(echo, port, link.RequestAddress(), request.command, request.index, request.byteArg, request.word);
    answered.push_back(IsAnswered(link.ReplyLog(), request.command, request.index, request.word));
  }
  const auto mismatches = FieldsNotHeld(entry.Config, echo, plan, answered, target ? &*target->AsRead : nullptr);
  const bool verified = mismatches.empty();
  observer.InfoLine(messages.Text(verified ? MessageTable::kOk : MessageTable::kFailure));
  ReportNotHeld(context, entry.Config, answered, mismatches);
  if (target) RememberWritten(*target, entry.Config, plan, verified);
  return verified ? WriteResult::Verified : WriteResult::VerifyFailed;
}

// A controller on a bus is written at its port and address, never by product.
WriteResult WriteToBusAddress(DeviceContext& context, TDEVICE_CONFIG& entry) {
  const std::unique_ptr<SerialPort> port = context.ports.Open(entry.Port);
  if (!port) return WriteResult::NoMatchingController;
  context.link.observer().InfoLine(OpenPortLine(context.messages, entry.Name));
  context.link.SetBusAddress(entry.BusAddress);
  const auto result = WriteOnPort(context, port.get(), entry);
  context.link.SetBusAddress(0);
  return result.value_or(WriteResult::NoMatchingController);
}

WriteResult WriteToFirstMatch(DeviceContext& context, TDEVICE_CONFIG& entry) {
  if (entry.BusAddress != 0) return WriteToBusAddress(context, entry);
  for (int n = kFirstComPort; n <= kLastComPort; ++n) {
    // Address 0 would reach every controller of a bus at once.
    if (!context.ports.BusOf(n).empty()) continue;
    const std::unique_ptr<SerialPort> port = context.ports.Open(n);
    if (!port) continue;
    context.link.observer().InfoLine(OpenPortLine(context.messages, ComName(n)));
    if (const auto result = WriteOnPort(context, port.get(), entry)) return *result;
  }
  return WriteResult::NoMatchingController;
}

}  // namespace

WriteResult WriteDevice(DeviceContext& context) {
  LinkObserver& observer = context.link.observer();
  TDEVICE_CONFIG* entry = context.entries.CurrentEntry();

  WriteResult result = WriteResult::NoConfig;
  const std::vector<ValueOutOfRange> outside = entry ? ValuesOutOfRange(entry->Config) : std::vector<ValueOutOfRange>{};
  if (!entry || entry->Config.ProductID() == 0) {
    observer.InfoLine(NoConfigLine());
  } else if (LookupProductID(entry->Config.ProductID()) < 0) {
    observer.InfoLine(UnknownProductLine(entry->Config.ProductID()));
  } else if (entry->ReadIncomplete) {
    observer.InfoLine(IncompleteReadLine());
  } else if (!outside.empty()) {
    for (const ValueOutOfRange& value : outside)
      observer.InfoLine(OutOfRangeLine(OutOfRangeText(value, entry->Config, context.labels, context.messages)));
    observer.InfoLine(WriteRefusedLine(context.messages));
    result = WriteResult::Unwritable;
  } else {
    context.link.SetEntry(entry);  // the serial number reply updates the entry written
    result = WriteToFirstMatch(context, *entry);
  }
  context.link.SetDeviceIdentified(false);
  observer.InfoLine(kEndOfWriteLine);
  return result;
}

}  // namespace lum
