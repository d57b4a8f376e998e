#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

#include "gateway/FleetRoster.h"
#include "gateway/GatewaySettings.h"

class QChartView;

namespace Ui {
class TFormFleet;
}

namespace lum {

class TFormLUM;

namespace gateway {
class MqttClient;
}

/// Tools → Fleet: every controller the LUM gateways on a broker publish, with its last values,
/// faults and the age of its last poll, and the chart of the chosen one from what the broker
/// brought since connecting. It only listens. The broker's settings come from LUM.INI's
/// [Broker] section, as a gateway reads them from its own settings file.
class TFormFleet : public QWidget {
  Q_OBJECT

 public:
  explicit TFormFleet(TFormLUM& mainWindow);
  ~TFormFleet() override;

  Ui::TFormFleet& ui() { return *ui_; }
  const gateway::FleetRoster& Roster() const { return *roster_; }
  void actFleetExecute();
  /// Listens to the typed broker; a port that is no port is refused with a message.
  void btnConnectClick();

 signals:
  /// The roster changed after a message from the broker.
  void rosterChanged();

 private:
  void FillFromSettings();
  void Listen(const gateway::BrokerSettings& broker);
  void Heard(const std::string& topic, const std::string& payload);
  void ShowState(int slot, const QString& detail = {}, const QString& second = {});
  void ShowLanguage();
  void RefreshTable();
  void RefreshChart();
  const gateway::FleetController* Selected() const;
  QString ValueName(const std::string& key) const;
  QString FaultName(const std::string& key) const;
  QString ValuesText(const gateway::FleetController& controller) const;

  std::unique_ptr<Ui::TFormFleet> ui_;
  TFormLUM& main_;
  std::unique_ptr<gateway::FleetRoster> roster_;
  QChartView* view_ = nullptr;
  QTimer ages_;
  int state_slot_ = 0;
  QString state_detail_;
  QString state_second_;
  QString broker_name_;
  std::string discovery_prefix_;
  int generation_ = 0;                           // a message of an earlier connection is passed over
  std::unique_ptr<gateway::MqttClient> client_;  // last: it stops before the rest goes
};

}  // namespace lum
