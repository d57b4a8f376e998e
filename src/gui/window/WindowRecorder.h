#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "data/PollSample.h"
#include "store/Database.h"
#include "store/Recordings.h"

namespace lum {

class TFormLUM;

/// Records every poll of the window's live monitor into the records database (LUM.INI's, else
/// the data folder's file) unless the options turned recording off, one recording per opening
/// of the monitor port, under
/// the serial number of the controller that the last scan read on that port ("unknown" when
/// it read none there). A database that cannot be opened or written is reported once per
/// opening in the information panel; the monitor goes on.
class WindowRecorder : public QObject {
  Q_OBJECT

 public:
  explicit WindowRecorder(TFormLUM& mainWindow);
  ~WindowRecorder() override;

  /// The recordings, with the database opened when first needed; null when it cannot be.
  store::Recordings* Recordings();
  /// The serial the current opening records under (empty while the monitor is closed); on a
  /// bus, the shown controller's, which the monitor polls: another one shown starts another
  /// recording.
  const std::string& Serial() const { return serial_; }

 signals:
  /// A recording got its first poll (the chart lists it).
  void recordingStarted();

 private:
  void Opened(const QString& port);
  void Record(const PollSample& sample);
  void Report(const std::string& failure);

  TFormLUM& main_;
  std::unique_ptr<store::Database> db_;
  std::unique_ptr<store::Recordings> recordings_;
  std::string port_;  // the monitor's, while it is open
  std::string serial_;
  std::optional<int64_t> recording_;
  bool reported_ = false;
  bool recording_on_ = true;  // LUM.INI's choice, read when the port opens
};

}  // namespace lum
