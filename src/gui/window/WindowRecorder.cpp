#include "WindowRecorder.h"

#include <fmt/format.h>

#include "FormLUM.h"
#include "PollFeed.h"
#include "base/TimeStamp.h"
#include "data/NumberFormats.h"
#include "language/Settings.h"
#include "link/PortNames.h"

namespace lum {

namespace {

// The serial number of the controller the monitor polls on `port`: on a bus, the one shown;
// alone on its port, the one read there.
std::string PolledSerial(TFormLUM& main, const std::string& port) {
  const TDEVICE_CONFIG* shown = main.CurrentEntry();
  if (shown != nullptr && shown->FromDevice && shown->BusAddress != 0 && ComNumber(port) == shown->Port)
    return FormatSerial(shown->SerialNumber);
  for (const auto& entry : main.Entries().DeviceEntries())
    if (entry->FromDevice && entry->Name == port) return FormatSerial(entry->SerialNumber);
  return store::kUnknownSerial;
}

}  // namespace

WindowRecorder::WindowRecorder(TFormLUM& mainWindow) : QObject(&mainWindow), main_(mainWindow) {
  connect(&main_.Feed(), &PollFeed::monitorOpened, this, &WindowRecorder::Opened);
  connect(&main_.Feed(), &PollFeed::monitorClosed, this, [this] {
    port_.clear();
    serial_.clear();
    recording_.reset();
  });
  connect(&main_.Feed(), &PollFeed::sampleTaken, this, &WindowRecorder::Record);
  // Another folder or database: the next poll opens it, in a new recording.
  connect(&main_, &TFormLUM::dataSettingsChanged, this, [this] {
    recording_.reset();
    recordings_.reset();
    db_.reset();
    reported_ = false;
  });
}

WindowRecorder::~WindowRecorder() = default;

store::Recordings* WindowRecorder::Recordings() {
  if (recordings_) return recordings_.get();
  try {
    db_ = store::OpenRecordingsDatabase(main_.DataDir(), Settings(main_.WorkDir()).Database());
    recordings_ = std::make_unique<store::Recordings>(*db_);
  } catch (const std::exception& e) {
    recordings_.reset();
    db_.reset();
    Report(e.what());
  }
  return recordings_.get();
}

void WindowRecorder::Opened(const QString& port) {
  port_ = port.toStdString();
  serial_ = PolledSerial(main_, port_);
  recording_.reset();
  reported_ = false;
  recording_on_ = Settings(main_.WorkDir()).Recording();
}

// Polls outside an opening (none should come) are not recorded.
void WindowRecorder::Record(const PollSample& sample) {
  if (port_.empty() || !recording_on_) return;
  // Another controller of the bus shown: its polls are its own recording.
  if (const std::string serial = PolledSerial(main_, port_); serial != serial_) {
    serial_ = serial;
    recording_.reset();
  }
  store::Recordings* recordings = Recordings();
  if (recordings == nullptr) return;
  try {
    const bool first = !recording_;
    if (first) recording_ = recordings->Start(serial_);
    recordings->Add(*recording_, {sample});
    if (first) emit recordingStarted();
  } catch (const std::exception& e) {
    Report(e.what());
  }
}

void WindowRecorder::Report(const std::string& failure) {
  if (reported_) return;
  reported_ = true;
  main_.Observer().InfoLine(fmt::format("[{}] Recording failed: {}", NowStamp(), failure));
}

}  // namespace lum
