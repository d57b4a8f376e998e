#include "device/Scan.h"

#include <fmt/format.h>

#include <memory>

#include "data/TypeTables.h"
#include "device/Identify.h"
#include "device/InfoLines.h"
#include "device/ReadPlan.h"
#include "device/ReplyCheck.h"
#include "link/BusAddresses.h"
#include "link/PortNames.h"

namespace lum {

namespace {

std::string DeviceTypeName(const DeviceTypeNames& names, int row) {
  const auto index = static_cast<size_t>(row);
  return index < names.size() ? names[index] : DeviceTypes()[index].DefaultName;
}

// The read requests of one controller, each remembered so that a reply that never came is
// known by name when the read ends.
class ReadSequence {
 public:
  ReadSequence(Link& link, SerialPort* port, TCONFIG_BLOCK& block) : link_(link), port_(port), block_(block) {}

  void Read(const std::vector<ReadRequest>& reads) {
    for (const ReadRequest& read : reads) {
      expected_.Expect(read.command, read.index, read.word, read.what);
      SendRead(link_, port_, block_, read.command, read.index, read.word);
    }
  }

  std::vector<std::string> Missing() const { return expected_.Missing(link_.ReplyLog()); }

 private:
  Link& link_;
  SerialPort* port_;
  TCONFIG_BLOCK& block_;
  ExpectedReplies expected_;
};

// Each address of a bus is identified on its own; one that answers becomes its own entry.
// Returns whether a controller was read completely; `answered` tells whether any answered.
bool ScanBus(DeviceContext& context, int n, SerialPort* port, const DeviceTypeNames& names, bool& answered) {
  Link& link = context.link;
  bool anyRead = false;
  for (const uint8_t address : context.ports.BusOf(n)) {
    auto entry = std::make_unique<TDEVICE_CONFIG>();
    entry->Name = BusEntryName(ComName(n), address);
    entry->Port = n;
    entry->BusAddress = address;
    TDEVICE_CONFIG& added = context.entries.AddDeviceEntry(std::move(entry));
    context.entries.SetCurrentEntry(&added);
    link.SetBusAddress(address);
    link.ClearGarbledExchanges();
    if (IdentifyAndRead(context, port, names)) anyRead = true;
    if (added.Config.ProductID() != 0) {
      answered = true;
      continue;
    }
    // Bytes that never made a frame, while nobody answered cleanly: two controllers talking at once.
    if (link.GarbledExchanges() > 0) {
      link.observer().InfoLine(BusGarbledLine(context.messages, ComName(n), address));
      if (context.shared != nullptr) context.shared->push_back({n, address});
    }
    context.entries.RemoveDeviceEntry(&added);
  }
  link.SetBusAddress(0);
  return anyRead;
}

}  // namespace

bool IdentifyAndRead(DeviceContext& context, SerialPort* port, const DeviceTypeNames& names) {
  TDEVICE_CONFIG* entry = context.entries.CurrentEntry();
  if (!port || !entry) return false;
  Link& link = context.link;
  LinkObserver& observer = link.observer();
  TCONFIG_BLOCK& block = entry->Config;
  link.SetEntry(entry);  // identity replies land in the entry being read
  link.ClearReplyLog();  // only this controller's replies count for its read

  const int row = Identify(link, port, block, kScanIdentifyTries);
  if (row < 0) {
    link.SetDeviceIdentified(false);
    return false;
  }
  observer.InfoLine(ConnectedLine(DeviceTypeName(names, row), entry->Name));

  ReadSequence read(link, port, block);
  read.Read(IdentityReads());
  const Capabilities caps = ResolveCapabilities(block.CapFlags(), row);
  read.Read(SettingsReads(caps));

  observer.InfoLine(ReadingLine());
  const int channels = ChannelsOfRow(row);
  for (int c = 0; c < channels; ++c) {
    const ChannelReads reads = ReadsOfChannel(caps, c);
    read.Read(reads.fields);
    link.clock().SleepMs(kChannelReadPauseMs);
    read.Read(reads.segments);
  }

  link.SetDeviceIdentified(false);
  const std::vector<std::string> missing = read.Missing();
  if (!missing.empty()) {
    // Fields whose reply never came still hold the new entry's zeros: this is not the
    // controller's configuration, and must not be written or saved as if it were.
    entry->ReadIncomplete = true;
    observer.InfoLine(context.messages.Text(MessageTable::kFailure));
    observer.InfoLine(MissingRepliesLine(missing));
    return false;
  }
  observer.InfoLine(context.messages.Text(MessageTable::kOk));
  entry->FromDevice = true;
  entry->AsRead = block;
  return true;
}

bool ScanPorts(DeviceContext& context, const DeviceTypeNames& names, const ConfirmApply& confirmApply) {
  if (TDEVICE_CONFIG* current = context.entries.CurrentEntry(); current && !current->FromDevice && confirmApply)
    confirmApply(*current);

  context.entries.ClearDeviceEntries();
  context.link.SetEntry(context.entries.CurrentEntry());
  LinkObserver& observer = context.link.observer();
  bool anyRead = false;
  std::vector<std::string> unopened;
  std::vector<std::string> unanswered;
  for (int n = kFirstComPort; n <= kLastComPort; ++n) {
    const std::string name = ComName(n);
    const std::unique_ptr<SerialPort> port = context.ports.Open(n);
    if (!port) {
      // A missing or busy port is passed over; one the user may not open is said, with the fix.
      if (const auto refused = context.ports.PermissionRefusal(n)) observer.InfoLine(*refused);
      if (context.ports.Exists(n)) unopened.push_back(name);
      continue;
    }
    observer.InfoLine(OpenPortLine(context.messages, name));
    if (!context.ports.BusOf(n).empty()) {
      bool answered = false;
      if (ScanBus(context, n, port.get(), names, answered)) anyRead = true;
      if (!answered) unanswered.push_back(name);
      continue;
    }
    auto entry = std::make_unique<TDEVICE_CONFIG>();
    entry->Name = name;
    entry->Port = n;
    TDEVICE_CONFIG& added = context.entries.AddDeviceEntry(std::move(entry));
    context.entries.SetCurrentEntry(&added);
    if (IdentifyAndRead(context, port.get(), names)) anyRead = true;
    // A port where no controller answered holds nothing to show or write. One of an unknown
    // type keeps its entry: it answered, and the bench records it as refused.
    if (added.Config.ProductID() == 0) {
      unanswered.push_back(name);
      context.entries.RemoveDeviceEntry(&added);
    }
  }
  if (!unanswered.empty()) observer.InfoLine(NoControllerLine(unanswered));
  if (context.entries.DeviceEntries().empty() && unanswered.empty())
    observer.InfoLine(unopened.empty() ? NoPortLine() : UnopenedPortsLine(unopened));
  context.link.SetEntry(context.entries.CurrentEntry());
  return anyRead;
}

}  // namespace lum
