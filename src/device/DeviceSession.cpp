#include "device/DeviceSession.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "device/DeviceContext.h"
#include "device/EntryChanges.h"
#include "device/PortOpener.h"
#include "device/QueuedMemo.h"
#include "upgrade/LoaderDialogue.h"

namespace lum {

struct DeviceSession::Workspace {
  TDEVICE_CONFIG* original = nullptr;  // the owner's entry; it may be gone by delivery
  TDEVICE_CONFIG before;               // the original as it was when the operation was asked for
  TDEVICE_CONFIG after;                // the worker's copy when the operation ended
  TDEVICE_CONFIG* copy = nullptr;      // the worker's copy while the operation runs
};

DeviceSession::DeviceSession(PortMap ports, LinkObserver& observer, Clock& clock)
    : observer_(observer),
      clock_(clock),
      ports_(std::move(ports)),
      // An operation that throws ends without its result; what it threw reaches the owner
      // when it drains, as if the operation had been run on the owner's thread.
      worker_(std::make_unique<JobThread>([this] { events_.Notify(); },
                                          [this](const std::exception_ptr& failure) {
                                            events_.Post([failure] { std::rethrow_exception(failure); });
                                          })) {
  messages_.FillBuiltIn();
}

std::unique_ptr<DeviceSession> DeviceSession::OnPort(const std::string& comName, const std::string& path,
                                                     LinkObserver& observer, Clock& clock) {
  if (!ComNumber(comName)) throw std::invalid_argument("A session's port is named COM1..COM16, not " + comName);
  return std::make_unique<DeviceSession>(PortMap::FromSection({{comName, path}}), observer, clock);
}

DeviceSession::~DeviceSession() {
  events_.SetWake({});
  worker_.reset();
}

void DeviceSession::WaitIdle() {
  for (;;) {
    // A job posts its result before it counts itself out, so once idle every result is waiting.
    const bool idle = !Busy();
    events_.Drain();
    if (idle && !Busy()) return;
    events_.WaitForEventOr([this] { return !Busy(); });
  }
}

void DeviceSession::RunOnWorker(JobThread::Job job) { worker_->Push(std::move(job)); }

std::shared_ptr<DeviceSession::Workspace> DeviceSession::TakeWorkspace() {
  auto workspace = std::make_shared<Workspace>();
  workspace->original = entries_.CurrentEntry();
  if (workspace->original) workspace->before = *workspace->original;
  return workspace;
}

void DeviceSession::AttachOnWorker(Workspace& workspace) {
  worker_entries_ = EntryStore{};
  if (workspace.original) {
    workspace.copy = &worker_entries_.AddFileEntry(std::make_unique<TDEVICE_CONFIG>(workspace.before));
    worker_entries_.SetCurrentEntry(workspace.copy);
  }
  link_.SetEntry(workspace.copy);
}

void DeviceSession::Deliver(const Workspace& workspace) {
  if (workspace.original && entries_.Contains(workspace.original))
    ApplyReplyChanges(workspace.before, workspace.after, *workspace.original);
}

void DeviceSession::Scan(ScanDone done) {
  auto workspace = TakeWorkspace();
  RunOnWorker([this, workspace, ports = ports_, messages = messages_, names = type_names_, done = std::move(done)] {
    AttachOnWorker(*workspace);
    PortMapOpener opener(ports, &worker_observer_);
    auto shared = std::make_shared<std::vector<SharedAddress>>();
    DeviceContext context{link_, worker_entries_, opener, messages, {}, shared.get()};
    const bool found = ScanPorts(context, names);
    auto read = std::make_shared<EntryStore::List>();
    for (const auto& entry : worker_entries_.DeviceEntries()) read->push_back(std::make_unique<TDEVICE_CONFIG>(*entry));
    events_.Post([this, read, shared, found, done] {
      shared_addresses_ = *shared;
      entries_.ClearDeviceEntries();
      for (auto& entry : *read) entries_.SetCurrentEntry(&entries_.AddDeviceEntry(std::move(entry)));
      if (done) done(found);
    });
  });
}

void DeviceSession::AssignAddress(int port, uint8_t from, uint8_t to, AddressDone done) {
  RunOnWorker([this, port, from, to, ports = ports_, done = std::move(done)] {
    PortMapOpener opener(ports, &worker_observer_);
    const std::unique_ptr<SerialPort> line = opener.Open(port);
    const AddressResult result = line ? lum::AssignAddress(link_, line.get(), from, to) : AddressResult::NoPort;
    events_.Post([result, done] { done(result); });
  });
}

void DeviceSession::Write(WriteDone done) {
  auto workspace = TakeWorkspace();
  // The controllers as last read: what the verification compares unsent fields with.
  auto devices = std::make_shared<EntryStore::List>();
  for (const auto& entry : entries_.DeviceEntries()) devices->push_back(std::make_unique<TDEVICE_CONFIG>(*entry));
  RunOnWorker(
      [this, workspace, devices, ports = ports_, messages = messages_, labels = labels_, done = std::move(done)] {
        AttachOnWorker(*workspace);
        for (auto& entry : *devices) worker_entries_.AddDeviceEntry(std::move(entry));
        PortMapOpener opener(ports, &worker_observer_);
        DeviceContext context{link_, worker_entries_, opener, messages, labels};
        const WriteResult result = WriteDevice(context);
        if (workspace->copy) workspace->after = *workspace->copy;
        // What the write left the controllers holding, as far as it is known, for the owner's
        // device entries (copied above, in the same order).
        auto asRead = std::make_shared<std::vector<std::optional<TCONFIG_BLOCK>>>();
        for (const auto& entry : worker_entries_.DeviceEntries()) asRead->push_back(entry->AsRead);
        events_.Post([this, workspace, asRead, result, done] {
          Deliver(*workspace);
          const EntryStore::List& owned = entries_.DeviceEntries();
          if (owned.size() == asRead->size())
            for (size_t i = 0; i < owned.size(); ++i) {
              // An entry that showed what its controller held goes on showing it.
              const bool showedController = owned[i]->AsRead && owned[i]->Config == *owned[i]->AsRead;
              owned[i]->AsRead = (*asRead)[i];
              if (showedController && owned[i]->AsRead) owned[i]->Config = *owned[i]->AsRead;
            }
          if (done) done(result);
        });
      });
}

void DeviceSession::OpenMonitor(const std::string& path, OpenDone done) {
  RunOnWorker([this, path, ports = ports_, done = std::move(done)] {
    int failure = 0;
    const bool opened = monitor_.Open(path, &failure);
    // A port of the mapping that is a bus is polled controller by controller.
    for (int n = kFirstComPort; opened && n <= kLastComPort; ++n)
      if (ports.PathOf(n) == path && !ports.BusOf(n).empty()) monitor_.SetBus(n, ports.BusOf(n));
    events_.Post([this, opened, failure, done] {
      monitor_open_ = monitor_open_ || opened;
      monitor_failure_ = opened ? 0 : failure;
      if (done) done(opened);
    });
  });
}

void DeviceSession::CloseMonitor(Done done) {
  RunOnWorker([this, done = std::move(done)] {
    monitor_.Close();
    events_.Post([this, done] {
      monitor_open_ = false;
      if (done) done();
    });
  });
}

void DeviceSession::MonitorJob(std::function<void(Monitor&)> exchanges, Done done) {
  auto workspace = TakeWorkspace();
  RunOnWorker([this, workspace, exchanges = std::move(exchanges), done = std::move(done)] {
    AttachOnWorker(*workspace);
    exchanges(monitor_);
    if (workspace->copy) workspace->after = *workspace->copy;
    events_.Post([this, workspace, done] {
      Deliver(*workspace);
      if (done) done();
    });
  });
}

bool DeviceSession::Poll(bool monitoringOn, Done done, uint8_t busAddress) {
  if (Busy() || !monitor_open_) return false;
  MonitorJob([monitoringOn, busAddress](Monitor& monitor) { monitor.Poll(monitoringOn, busAddress); }, std::move(done));
  return true;
}

void DeviceSession::ReadSettingsMemory(Done done) {
  MonitorJob([](Monitor& monitor) { monitor.ReadSettingsMemory(); }, std::move(done));
}

void DeviceSession::TestMemoryRead(Done done) {
  MonitorJob([](Monitor& monitor) { monitor.TestMemoryRead(); }, std::move(done));
}

void DeviceSession::Upgrade(const std::string& portName, const std::string& portPath, const EffContent& content,
                            UpgradeMemo& memo, UpgradeDone done) {
  auto copy = std::make_shared<const EffContent>(content);
  RunOnWorker([this, portName, portPath, copy, &memo, messages = messages_, done = std::move(done)] {
    QueuedMemo queued(events_, memo);
    const bool completed = RunUpgrade(portName, portPath, *copy, queued, messages, clock_);
    events_.Post([completed, done] {
      if (done) done(completed);
    });
  });
}

}  // namespace lum
