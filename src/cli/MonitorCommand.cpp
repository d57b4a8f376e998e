// lumctl monitor: the live monitor on one port, one line per poll until a count or Ctrl+C;
// on a bus, each controller found there in turn, every line naming it. With --db each poll
// is also recorded, as the window records its monitor.
#include <fmt/format.h>
#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/TimeStamp.h"
#include "cli/CliSession.h"
#include "cli/Command.h"
#include "cli/WriteTarget.h"
#include "data/NumberFormats.h"
#include "data/PollSample.h"
#include "device/Monitor.h"
#include "link/BusAddresses.h"
#include "link/PortTrouble.h"
#include "store/RecordStore.h"
#include "store/Recordings.h"

namespace lum::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
extern "C" void OnInterrupt(int) { g_interrupted = 1; }

constexpr unsigned kStopCheckMs = 50;  // how soon Ctrl+C ends a wait between polls

// Ctrl+C and a service manager's stop (SIGTERM) both end the run after the poll under way,
// which is then shown and recorded like every other.
void StopOnInterruptAndTerminate() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
}

// The measurements as the real-time page shows them, the monitor page where it has none.
// A value without a reply in the poll is missing: never the window's initial text, never
// the value of an earlier poll.
struct Column {
  ValueId id;
  Decimals decimals;
  const char* label;
};
const Column kColumns[] = {
    {ValueId::PowerOnTime, Decimals::OfUnit, "Power-on"}, {ValueId::BatteryVoltage, Decimals::Two, "Battery"},
    {ValueId::SolarVoltage, Decimals::OfUnit, "Solar"},   {ValueId::Load1Voltage, Decimals::OfUnit, "Load 1"},
    {ValueId::Load1Current, Decimals::Two, "Load 1"},     {ValueId::Temperature, Decimals::OfUnit, "Temperature"},
};
constexpr char kNotShown[] = "-";

using Formatter = std::string (*)(const Measurement&, Decimals);

std::vector<std::string> Values(const ConsoleObserver& observer, Formatter format) {
  std::vector<std::string> values;
  for (const Column& column : kColumns) {
    const Measurement* value = observer.Last(column.id);
    values.push_back(value ? format(*value, column.decimals) : std::string());
  }
  return values;
}

bool AnyValue(const std::vector<std::string>& values) {
  return std::any_of(values.begin(), values.end(), [](const std::string& value) { return !value.empty(); });
}

// The controller of a bus a line is about; none on a single-controller port.
struct Watched {
  std::string port;
  uint8_t address;
};

std::string PeopleLine(const std::vector<std::string>& values, const std::optional<Watched>& watched) {
  std::string line = watched ? BusEntryName(watched->port, watched->address) + ":" : "";
  for (size_t i = 0; i < values.size(); ++i) {
    if (!line.empty()) line += "  ";
    line += fmt::format("{} {}", kColumns[i].label, values[i].empty() ? kNotShown : values[i]);
  }
  return line;
}

// For scripts: each column's unit in the header, the time in ISO 8601 with its UTC offset,
// the power-on time also in seconds.
constexpr char kSecondsKey[] = "power_on_s";
constexpr char kClockFormat[] = "h:mm:ss";

constexpr char kPortKey[] = "port";
constexpr char kAddressKey[] = "address";

std::string CsvHeader(bool bus) {
  std::string header = bus ? fmt::format("time,{},{},{} (s)", kPortKey, kAddressKey, kSecondsKey)
                           : fmt::format("time,{} (s)", kSecondsKey);
  for (const Column& column : kColumns) {
    const Unit unit = UnitOf(column.id);
    const char* symbol = unit == Unit::Seconds ? kClockFormat : UnitSymbol(unit);
    header += *symbol ? fmt::format(",{} ({})", ValueKey(column.id), symbol) : fmt::format(",{}", ValueKey(column.id));
  }
  return header;
}

const Measurement* PowerOnTime(const ConsoleObserver& observer) { return observer.Last(ValueId::PowerOnTime); }

std::string CsvRow(const ConsoleObserver& observer, const std::optional<Watched>& watched) {
  const Measurement* seconds = PowerOnTime(observer);
  std::string row = IsoStamp() + ",";
  if (watched) row += fmt::format("{},{},", watched->port, watched->address);
  row += seconds ? std::to_string(seconds->raw) : "";
  for (const std::string& value : Values(observer, FormatNumber)) row += "," + value;
  return row;
}

// One object per poll: numbers in the unit the key names (volts, amperes, °C, seconds), null
// for a value not received.
std::string JsonLine(const ConsoleObserver& observer, const std::optional<Watched>& watched) {
  nlohmann::ordered_json line;
  line["time"] = IsoStamp();
  if (watched) {
    line[kPortKey] = watched->port;
    line[kAddressKey] = watched->address;
  }
  const Measurement* seconds = PowerOnTime(observer);
  line[kSecondsKey] = seconds ? nlohmann::ordered_json(seconds->raw) : nlohmann::ordered_json();
  for (const Column& column : kColumns) {
    const Measurement* value = observer.Last(column.id);
    if (column.id == ValueId::PowerOnTime)
      line[ValueKey(column.id)] = value ? nlohmann::ordered_json(FormatNumber(*value)) : nlohmann::ordered_json();
    else
      line[ValueKey(column.id)] =
          value ? nlohmann::ordered_json(std::stod(FormatNumber(*value))) : nlohmann::ordered_json();
  }
  return line.dump();
}

void WaitUntil(Clock& clock, uint64_t deadline) {
  while (!g_interrupted) {
    const uint64_t now = clock.NowMs();
    if (now >= deadline) return;
    clock.SleepMs(static_cast<unsigned>(std::min<uint64_t>(deadline - now, kStopCheckMs)));
  }
}

enum class Output { People, Csv, Json };

std::string Line(const ConsoleObserver& observer, Output output, const std::optional<Watched>& watched) {
  switch (output) {
    case Output::Csv:
      return CsvRow(observer, watched);
    case Output::Json:
      return JsonLine(observer, watched);
    case Output::People:
      break;
  }
  return PeopleLine(Values(observer, FormatValue), watched);
}

// The polls of one run as one recording, under the serial number of the controller read on
// the port before the first poll. The recording starts with its first poll, so a run that
// got no answer leaves none.
class PollRecorder {
 public:
  explicit PollRecorder(const std::string& target) : db_(store::OpenDatabase(target)), recordings_(*db_) {}

  void SetSerial(std::string serial) { serial_ = std::move(serial); }
  void Add(const PollSample& sample) {
    if (!recording_) recording_ = recordings_.Start(serial_);
    recordings_.Add(*recording_, {sample});
  }

 private:
  std::unique_ptr<store::Database> db_;
  store::Recordings recordings_;
  std::string serial_ = store::kUnknownSerial;
  std::optional<int64_t> recording_;
};

std::unique_ptr<PollRecorder> OpenRecorder(const std::string& directory, const std::string& db) {
  const std::string target = store::DatabaseTarget(directory, db);
  try {
    return std::make_unique<PollRecorder>(target);
  } catch (const store::DatabaseError& e) {
    std::cerr << e.what() << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
}

// Whether two paths lead to the same device. std::filesystem::equivalent refuses devices.
bool SameDevice(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

// The COMn of a port given by name or device path, for reading the controller there. A path
// names the port when it leads to the same device, so that a stable link such as
// /dev/serial/by-id/... finds the port that the machine numbered by its ttyUSB name.
std::optional<int> ComPortOf(const PortMap& ports, const std::string& port, const std::string& path) {
  if (const auto n = ComNumber(port)) return n;
  for (int n = kFirstComPort; n <= kLastComPort; ++n) {
    const auto mapped = ports.PathOf(n);
    if (mapped && (*mapped == path || SameDevice(*mapped, path))) return n;
  }
  return std::nullopt;
}

// The serial number of the controller on the port, as a scan reads it (and backs it up);
// "unknown", as in the window, when it cannot be read completely.
std::string ReadSerial(CliSession& session, const std::string& port, const std::string& path) {
  const auto n = ComPortOf(session.context.Ports(), port, path);
  if (!n) {
    std::cerr << port << ": --db records under the serial number read on a port of LUM.INI (COMn); this path is none"
              << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  auto device = DeviceSession::OnPort(ComName(*n), path, session.observer);
  device->SetPorts(session.context.Ports().Only(*n));  // a bus keeps its (one) address
  device->SetMessages(session.context.Messages());
  const TDEVICE_CONFIG* read = ReadAndBackUp(session, *device, 0);
  if (read == nullptr) {
    std::cerr << "The controller was not read: its polls are recorded under \"" << store::kUnknownSerial << "\"."
              << std::endl;
    return store::kUnknownSerial;
  }
  return FormatSerial(read->SerialNumber);
}

// The values the poll brought; nothing when none came, so that a poll without answer is
// never recorded as if it had been read.
std::optional<PollSample> PollOf(const ConsoleObserver& observer) {
  PollAssembler poll;
  for (ValueId id : kPolledValues)
    if (const Measurement* value = observer.Last(id)) poll.Add(*value);
  return poll.Finish(NowMsSinceEpoch());
}

// The controllers that answer a scan of bus COMn, for watching each in turn. A scan of
// that port alone: the other ports of LUM.INI are none of the monitor's business.
BusAddresses FoundOnBus(CliSession& session, int n, const std::string& path) {
  auto scanner = DeviceSession::OnPort(ComName(n), path, session.observer);
  scanner->SetPorts(session.context.Ports().Only(n));
  scanner->SetMessages(session.context.Messages());
  scanner->Scan();
  scanner->WaitIdle();
  BusAddresses found;
  for (const auto& entry : scanner->Entries().DeviceEntries())
    if (entry->Port == n && entry->BusAddress != 0) found.push_back(entry->BusAddress);
  // A port closed to the scan says why, as the monitor's own open would.
  int failure = 0;
  if (found.empty() && !session.context.Ports().Open(n, kDeviceBaud, nullptr, &failure)) {
    std::cerr << "Cannot open " << path << ": " << PortOpenReason(path, failure) << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
  if (found.empty()) {
    std::cerr << "No controller answered on the bus " << ComName(n) << ": nothing to watch." << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
  return found;
}

// On a bus the monitor watches the controller at `address` (the session looks at that address
// alone), or, without one, every controller found there in turn. An address on a
// single-controller port is refused; so is recording a whole bus, as --db records one controller.
BusAddresses ChooseBusControllers(CliSession& session, const std::string& port, const std::string& path,
                                  unsigned address, bool recording) {
  const auto n = ComPortOf(session.context.Ports(), port, path);
  const bool bus = n && !session.context.Ports().BusOf(*n).empty();
  if (bus && address == 0 && recording) {
    std::cerr << port << " is a bus: --db records one controller, name it with --address" << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  if (!bus && address != 0) {
    std::cerr << port << " is not a bus (see LUM.INI [Bus] and --bus): --address has nothing to choose" << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  if (!bus) return {};
  if (address == 0) return FoundOnBus(session, *n, path);
  session.context.NarrowBus(*n, static_cast<uint8_t>(address));
  session.device.SetPorts(session.context.Ports());
  return {};
}

// One poll of one controller (`address` 0: the port's own, or the one the session was
// narrowed to), shown and recorded. False when recording it failed.
bool PollOnce(CliSession& session, Output output, const std::optional<Watched>& watched, PollRecorder* recorder,
              bool& anyAnswered) {
  session.observer.ForgetValues();
  session.device.Poll(true, {}, watched ? watched->address : 0);
  session.device.WaitIdle();
  anyAnswered = anyAnswered || AnyValue(Values(session.observer, FormatNumber));
  std::cout << Line(session.observer, output, watched) << std::endl;
  if (!recorder) return true;
  try {
    if (const auto sample = PollOf(session.observer)) recorder->Add(*sample);
  } catch (const store::DatabaseError& e) {
    std::cerr << "Recording failed: " << e.what() << std::endl;
    return false;
  }
  return true;
}

// Each round polls every watched controller (the port's one when `bus` is empty), a round a second.
bool PollRounds(CliSession& session, unsigned count, Output output, const std::string& port, const BusAddresses& bus,
                PollRecorder* recorder) {
  std::vector<std::optional<Watched>> watched;
  for (const uint8_t address : bus) watched.emplace_back(Watched{port, address});
  if (watched.empty()) watched.emplace_back();
  Clock& clock = SystemClock();
  uint64_t next = clock.NowMs();
  bool anyAnswered = false;
  for (unsigned rounds = 0; !g_interrupted && (count == 0 || rounds < count); ++rounds) {
    WaitUntil(clock, next);
    if (g_interrupted) break;
    next = clock.NowMs() + Monitor::kPollIntervalMs;
    for (const auto& controller : watched)
      if (!PollOnce(session, output, controller, recorder, anyAnswered)) return false;
  }
  if (!anyAnswered) std::cerr << "No poll was answered." << std::endl;
  return anyAnswered;
}

void RunMonitor(const std::string& port, unsigned count, Output output, const std::string& db, unsigned address) {
  StopOnInterruptAndTerminate();
  CliSession session;
  const auto path = session.context.Ports().Resolve(port);
  if (!path) {
    std::cerr << port << ": no such port (see LUM.INI [Ports] and lumctl ports)" << std::endl;
    throw CLI::RuntimeError(kExitBadInput);
  }
  // Scripts read only the polls on stdout.
  if (output != Output::People) session.observer.SendInfoTo(std::cerr);
  const BusAddresses bus = ChooseBusControllers(session, port, *path, address, !db.empty());
  std::unique_ptr<PollRecorder> recorder;
  if (!db.empty()) {
    recorder = OpenRecorder(session.context.DataDir(), db);
    recorder->SetSerial(ReadSerial(session, port, *path));
  }
  DeviceSession& device = session.device;
  device.OpenMonitor(*path);
  device.WaitIdle();
  if (!device.MonitorOpen()) {
    std::cerr << "Cannot open " << *path << ": " << PortOpenReason(*path, device.MonitorOpenFailure()) << std::endl;
    throw CLI::RuntimeError(kExitFailed);
  }
  if (output == Output::Csv) std::cout << CsvHeader(!bus.empty()) << std::endl;
  const auto n = ComPortOf(session.context.Ports(), port, *path);
  const bool polled = PollRounds(session, count, output, n ? ComName(*n) : port, bus, recorder.get());
  device.CloseMonitor();
  device.WaitIdle();
  if (!polled) throw CLI::RuntimeError(kExitFailed);
}

const CommandRegistration kRegistration([](CLI::App& app) {
  auto* command =
      app.add_subcommand("monitor", "Poll a controller's measurements once a second (Ctrl+C or SIGTERM stops)");
  auto port = std::make_shared<std::string>();
  auto count = std::make_shared<unsigned>(0);
  auto csv = std::make_shared<bool>(false);
  auto json = std::make_shared<bool>(false);
  auto db = std::make_shared<std::string>();
  auto address = std::make_shared<unsigned>(0);
  command->add_option("port", *port, "COMn of LUM.INI, or a device path")->required();
  command
      ->add_option("--address", *address,
                   "On a bus: the address of the controller to watch (none: each one found, in turn)")
      ->check(CLI::Range(kFirstBusAddress, kLastBusAddress));
  command->add_option("--db", *db,
                      "Record every poll, under the serial number of the controller read first, in this SQLite "
                      "file or postgresql:// URL (the window's recordings: commissioning.db in the data folder)");
  command->add_option("--count", *count, "Stop after N polls (on a bus: N rounds of its controllers; 0: until Ctrl+C)")
      ->check(CLI::NonNegativeNumber);
  auto* csvFlag = command->add_flag(
      "--csv", *csv, "Comma-separated values: a header row with units, then one row per poll (ISO 8601 time)");
  command->add_flag("--json", *json, "One JSON object per poll and line")->excludes(csvFlag);
  command->callback([port, count, csv, json, db, address] {
    RunMonitor(*port, *count, *json ? Output::Json : *csv ? Output::Csv : Output::People, *db, *address);
  });
});

}  // namespace

}  // namespace lum::cli
