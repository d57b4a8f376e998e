// Tools → Fleet: a listener to a real throw-away broker that two gateways publish to.
#include <gtest/gtest.h>

#include <QAction>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <fstream>
#include <thread>

#include "FormFleet.h"
#include "WindowFixture.h"
#include "base/SafeFormat.h"
#include "gateway/Discovery.h"
#include "gateway/MqttClient.h"
#include "language/MessageSlots.h"
#include "support/MosquittoBroker.h"
#include "ui_FormFleet.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

using gateway::Topics;

constexpr int kWaitMs = 20000;
constexpr int kStateColumn = 3;
constexpr int kLastPollColumn = 4;
constexpr int kFaultsColumn = 5;
constexpr int kValuesColumn = 6;
const gateway::ControllerIdentity kNorth{"0A00000001", "SL-20", "1.2.3.4", "Lumaris"};
const gateway::ControllerIdentity kSouth{"0B00000002", "LS-2420D", "2.0.0.1", "Lumaris"};

MosquittoBroker& Broker() {
  static MosquittoBroker broker;
  return broker;
}

/// A gateway as the broker sees it: its retained documents and its polls.
class PublishingGateway {
 public:
  explicit PublishingGateway(const std::string& prefix) : topics_(prefix) {
    gateway::BrokerSettings settings;
    settings.port = Broker().Port();
    settings.clientId = "gateway-" + prefix;
    client_ = std::make_unique<gateway::MqttClient>(settings, gateway::LastWill{topics_.Status(), Topics::kOffline},
                                                    gateway::MqttHandlers{});
    client_->Start();
  }
  void Announce(const gateway::ControllerIdentity& identity) {
    for (const gateway::DiscoveryDocument& document : gateway::DiscoveryDocuments("homeassistant", topics_, identity))
      Publish(document.topic, document.payload.dump(), true);
    Publish(topics_.Availability(identity.serial), Topics::kOnline, true);
    Publish(topics_.Status(), Topics::kOnline, true);
  }
  // What a gateway's last will, or the gateway at its stop, says.
  void Leave() { Publish(topics_.Status(), Topics::kOffline, true); }
  void Poll(const std::string& serial, int64_t sequence, int64_t timeMs, int64_t batteryMillivolts) {
    PollSample sample;
    sample.timeMs = timeMs;
    sample.raw[*PolledIndex(ValueId::BatteryVoltage)] = batteryMillivolts;
    Publish(topics_.State(serial), gateway::PollDocument(sequence, sample).dump(), false);
  }

 private:
  void Publish(const std::string& topic, const std::string& payload, bool retain) {
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return client_->Publish(topic, payload, gateway::MqttClient::kAtLeastOnce, retain).has_value(); },
        kWaitMs))
        << topic;
  }
  Topics topics_;
  std::unique_ptr<gateway::MqttClient> client_;
};

class FleetWindowTest : public WindowFixture {
 protected:
  void TearDown() override {
    fleet_.reset();
    WindowFixture::TearDown();
  }
  // LUM.INI with its ports and the broker to listen to.
  void WriteSettings(int port) {
    WritePorts({});
    std::ofstream(Dir() + "/LUM.INI", std::ios::app) << "[Broker]\r\nHost=127.0.0.1\r\nPort=" << port << "\r\n";
  }
  TFormFleet& OpenFleet() {
    fleet_ = std::make_unique<TFormFleet>(Window());
    Window().ui().actFleet->trigger();
    return *fleet_;
  }
  QString Cell(int row, int column) {
    const QTableWidgetItem* item = fleet_->ui().tblFleet->item(row, column);
    return item == nullptr ? QString() : item->text();
  }
  QString Text(int slot, const QString& argument) {
    return Window().Message(slot).replace(QStringLiteral("%s"), argument);
  }

  std::unique_ptr<TFormFleet> fleet_;
};

TEST_F(FleetWindowTest, ListsTheControllersOfTwoGatewaysAndChartsTheChosenOnesPolls) {
  // A prefix of its own per run: the broker keeps retained documents between tests.
  PublishingGateway siteA("fleet-a/lum");
  PublishingGateway siteB("fleet-b");
  siteA.Announce(kNorth);
  siteB.Announce(kSouth);

  WriteSettings(Broker().Port());
  Create();
  TFormFleet& fleet = OpenFleet();
  EXPECT_TRUE(fleet.isVisible());
  Ui::TFormFleet& u = fleet.ui();
  EXPECT_EQ(u.edtPort->text(), QString::number(Broker().Port())) << "the broker LUM.INI names";
  u.btnConnect->click();
  const QString broker = QStringLiteral("127.0.0.1:%1").arg(Broker().Port());
  ASSERT_TRUE(QTest::qWaitFor([&] { return u.lblFleetState->text() == Text(msg::kFleetConnected, broker); }, kWaitMs))
      << u.lblFleetState->text().toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return u.tblFleet->rowCount() == 2 && Cell(1, 1) == "0B00000002"; }, kWaitMs));
  EXPECT_EQ(Cell(0, 0), "fleet-a/lum");
  EXPECT_EQ(Cell(0, 1), "0A00000001");
  EXPECT_EQ(Cell(0, 2), "SL-20");
  EXPECT_EQ(Cell(1, 0), "fleet-b");
  EXPECT_EQ(Cell(1, 2), "LS-2420D");
  EXPECT_EQ(u.tblFleet->horizontalHeaderItem(0)->text(), Window().Message(msg::kFleetColumn));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Cell(0, kStateColumn) == Window().Message(msg::kFleetOnline); }, kWaitMs));

  const int64_t now = QDateTime::currentMSecsSinceEpoch();
  siteA.Poll(kNorth.serial, 1, now - 2000, 12500);
  siteA.Poll(kNorth.serial, 2, now - 1000, 12600);
  siteB.Poll(kSouth.serial, 1, now - 1000, 25100);
  const QString battery = Window().Message(msg::kBatteryVoltageLine);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Cell(0, kValuesColumn) == battery + " 12.60 V"; }, kWaitMs))
      << Cell(0, kValuesColumn).toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Cell(1, kValuesColumn) == battery + " 25.10 V"; }, kWaitMs));
  EXPECT_FALSE(Cell(0, kLastPollColumn).isEmpty()) << "the age of the last poll";
  EXPECT_EQ(Cell(0, kFaultsColumn), "-");

  u.tblFleet->selectRow(0);
  EXPECT_EQ(u.cbbValue->currentText(), battery) << "the battery first";
  EXPECT_EQ(u.cbbValue->count(), static_cast<int>(kPolledValueCount));
  const auto& series = *static_cast<QLineSeries*>(
      fleet.findChild<QChartView*>(QStringLiteral("FleetChartView"))->chart()->series().front());
  ASSERT_EQ(series.count(), 2);
  EXPECT_DOUBLE_EQ(series.at(0).y(), 12.5);
  EXPECT_DOUBLE_EQ(series.at(1).y(), 12.6);
  u.cbbValue->setCurrentIndex(u.cbbValue->findData(QStringLiteral("power_on")));
  emit u.cbbValue->activated(u.cbbValue->currentIndex());
  EXPECT_EQ(u.cbbValue->currentText(), Window().Message(msg::kFleetPowerOnLine));
  EXPECT_EQ(series.count(), 0) << "the polls held no power-on time";
  // The refresh each second leaves the list alone while its controller's values stay the same:
  // a list the user has open would close.
  int removals = 0;
  QObject::connect(u.cbbValue->model(), &QAbstractItemModel::rowsRemoved, [&removals] { ++removals; });
  QTest::qWait(1500);
  EXPECT_EQ(removals, 0);
  EXPECT_EQ(u.cbbValue->currentText(), Window().Message(msg::kFleetPowerOnLine));

  // The second gateway says it goes: its controller is out of reach, the first one is not.
  siteB.Leave();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Cell(1, kStateColumn) == Window().Message(msg::kFleetOffline); }, kWaitMs));
  EXPECT_EQ(Cell(0, kStateColumn), Window().Message(msg::kFleetOnline));
}

TEST_F(FleetWindowTest, APortThatIsNoPortAndARefusedLoginAreSaid) {
  WriteSettings(Broker().Port());
  Create();
  TFormFleet& fleet = OpenFleet();
  Ui::TFormFleet& u = fleet.ui();
  for (const char* typed : {"70000", "0", "12ab", ""}) {
    u.edtPort->setText(QString::fromLatin1(typed));
    u.btnConnect->click();
    EXPECT_EQ(u.lblFleetState->text(), Window().Message(msg::kFleetBadPort)) << typed;
  }

  u.edtPort->setText(QString::number(Broker().TlsPort()));
  u.edtCaFile->setText(QString::fromStdString(Broker().CaFile()));
  u.edtUser->setText(QString::fromLatin1(MosquittoBroker::kUser));
  u.edtPassword->setText(QStringLiteral("wrong"));
  u.btnConnect->click();
  // The broker's own reason follows the window's words.
  const QString refused = QString::fromStdString(
      FormatText(Window().Message(msg::kFleetRefused).toStdString(),
                 {QStringLiteral("127.0.0.1:%1").arg(Broker().TlsPort()).toStdString(), std::string("<reason>")}));
  const QString before = refused.left(refused.indexOf(QStringLiteral("<reason>")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return u.lblFleetState->text().startsWith(before); }, kWaitMs))
      << u.lblFleetState->text().toStdString();
  EXPECT_GT(u.lblFleetState->text().size(), before.size());
  EXPECT_EQ(u.tblFleet->rowCount(), 0);

  u.edtCaFile->setText(QStringLiteral("/nonexistent/ca.crt"));
  u.btnConnect->click();
  const QString cannot = Window().Message(msg::kFleetCannotConnect);
  EXPECT_TRUE(u.lblFleetState->text().startsWith(cannot.left(cannot.indexOf(QStringLiteral("%s")))))
      << u.lblFleetState->text().toStdString();
}

}  // namespace
}  // namespace lum::test
