#pragma once

#include <QObject>
#include <QString>

#include "data/PollSample.h"

namespace lum {

/// The live monitor's polls as samples, for whoever charts or records them: the window adds
/// each value its observer receives and ends the poll when the session has answered a tick.
class PollFeed : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  void Add(const Measurement& value) { assembler_.Add(value); }
  /// Ends the poll and returns what it brought: announces its sample when any value came,
  /// and a poll that brought nothing otherwise.
  PollSample EndPoll(int64_t timeMs = NowMsSinceEpoch());
  void MonitorOpened(const QString& port) { emit monitorOpened(port); }
  void MonitorClosed() { emit monitorClosed(); }

 signals:
  void sampleTaken(const lum::PollSample& sample);
  /// A poll that brought no value at all (the controller did not answer), at this time.
  void pollEmpty(qint64 timeMs);
  /// The monitor port opened (its COMn name); the polls until monitorClosed belong to it.
  void monitorOpened(const QString& port);
  void monitorClosed();

 private:
  PollAssembler assembler_;
};

}  // namespace lum
