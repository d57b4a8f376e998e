#include "FormFleet.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHeaderView>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <charconv>

#include "FormLUM.h"
#include "base/SafeFormat.h"
#include "data/Measurement.h"
#include "data/PollSample.h"
#include "gateway/AlarmSensors.h"
#include "gateway/MqttClient.h"
#include "language/MessageSlots.h"
#include "language/ProfileFile.h"
#include "language/Settings.h"
#include "ui_FormFleet.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {

// The last values take what room is left, after the short columns.
enum Column { kSite, kSerial, kModel, kState, kLastPoll, kFaults, kValues, kColumns };
constexpr int kRefreshMs = 1000;
constexpr int kMsPerSecond = 1000;
constexpr int kMaxPort = 65535;
constexpr char kNoFault[] = "-";

// The names the chart gives the polled values, so that the fleet reads like the window.
struct ValueName {
  ValueId id;
  int slot;
};
constexpr ValueName kValueNames[] = {
    {ValueId::BatteryVoltage, msg::kBatteryVoltageLine}, {ValueId::SolarVoltage, msg::kSolarVoltageLine},
    {ValueId::Load1Voltage, msg::kLoadVoltageLine},      {ValueId::Load1Current, msg::kLoadCurrentLine},
    {ValueId::Temperature, msg::kTemperatureLine},       {ValueId::PowerOnTime, msg::kFleetPowerOnLine},
};

std::optional<int> ParsePort(const QString& text) {
  const std::string digits = text.trimmed().toStdString();
  int port = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (error != std::errc() || end != digits.data() + digits.size() || port < 1 || port > kMaxPort) return std::nullopt;
  return port;
}

}  // namespace

TFormFleet::TFormFleet(TFormLUM& mainWindow)
    : QWidget(&mainWindow, Qt::Window), ui_(std::make_unique<Ui::TFormFleet>()), main_(mainWindow) {
  ui_->setupUi(this);
  ui_->tblFleet->setColumnCount(kColumns);
  ui_->tblFleet->horizontalHeader()->setStretchLastSection(true);
  ui_->tblFleet->verticalHeader()->hide();
  auto* chart = new QChart;
  chart->legend()->hide();
  auto* series = new QLineSeries;
  chart->addSeries(series);
  auto* timeAxis = new QDateTimeAxis;
  timeAxis->setFormat(QStringLiteral("HH:mm:ss"));
  chart->addAxis(timeAxis, Qt::AlignBottom);
  chart->addAxis(new QValueAxis, Qt::AlignLeft);
  series->attachAxis(timeAxis);
  series->attachAxis(chart->axes(Qt::Vertical).front());
  view_ = new QChartView(chart, ui_->FleetChartArea);
  view_->setObjectName(QStringLiteral("FleetChartView"));
  ui_->FleetChartLayout->addWidget(view_);

  connect(main_.ui().actFleet, &QAction::triggered, this, [this] { actFleetExecute(); });
  connect(ui_->btnConnect, &QPushButton::clicked, this, [this] { btnConnectClick(); });
  connect(ui_->tblFleet, &QTableWidget::itemSelectionChanged, this, [this] { RefreshChart(); });
  connect(ui_->cbbValue, &QComboBox::activated, this, [this] { RefreshChart(); });
  connect(&main_, &TFormLUM::LanguageApplied, this, [this] { ShowLanguage(); });
  // The table follows the broker once a second: a busy fleet sends many polls a second.
  connect(&ages_, &QTimer::timeout, this, [this] {
    RefreshTable();
    RefreshChart();
  });
  ages_.setInterval(kRefreshMs);
  FillFromSettings();
  ShowLanguage();
}

TFormFleet::~TFormFleet() = default;

void TFormFleet::actFleetExecute() {
  FillFromSettings();
  show();
  raise();
}

void TFormFleet::FillFromSettings() {
  if (client_ != nullptr) return;
  std::vector<std::string> errors;
  const gateway::GatewaySettings settings =
      gateway::ParseGatewaySettings(ProfileFile::Load(Settings(main_.WorkDir()).Path()), errors);
  ui_->edtHost->setText(QString::fromStdString(settings.broker.host));
  ui_->edtPort->setText(QString::number(settings.broker.port));
  ui_->edtUser->setText(QString::fromStdString(settings.broker.username));
  ui_->edtPassword->setText(QString::fromStdString(settings.broker.password));
  ui_->edtCaFile->setText(QString::fromStdString(settings.broker.caFile));
  discovery_prefix_ = settings.discoveryPrefix;
  roster_ = std::make_unique<gateway::FleetRoster>(discovery_prefix_);
}

void TFormFleet::btnConnectClick() {
  const std::optional<int> port = ParsePort(ui_->edtPort->text());
  if (!port) {
    ShowState(msg::kFleetBadPort);
    ui_->edtPort->setFocus();
    return;
  }
  gateway::BrokerSettings broker;
  broker.host = ui_->edtHost->text().trimmed().toStdString();
  broker.port = *port;
  broker.username = ui_->edtUser->text().toStdString();
  broker.password = ui_->edtPassword->text().toStdString();
  broker.caFile = ui_->edtCaFile->text().trimmed().toStdString();
  Listen(broker);
}

void TFormFleet::Listen(const gateway::BrokerSettings& broker) {
  client_.reset();
  const int generation = ++generation_;
  roster_ = std::make_unique<gateway::FleetRoster>(discovery_prefix_);
  ui_->tblFleet->setRowCount(0);
  broker_name_ = QStringLiteral("%1:%2").arg(QString::fromStdString(broker.host)).arg(broker.port);
  // The client's thread hands everything to the window's thread; an earlier connection's
  // messages still queued are passed over.
  auto onWindow = [this, generation](auto work) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, work] {
          if (generation == generation_) work();
        },
        Qt::QueuedConnection);
  };
  gateway::MqttHandlers handlers{
      [onWindow, this](bool up) {
        onWindow([this, up] {
          // A refused login stays said while the client tries again.
          if (!up && state_slot_ == msg::kFleetRefused) return;
          ShowState(up ? msg::kFleetConnected : msg::kFleetReconnecting, broker_name_);
        });
      },
      [onWindow, this](const std::string& reason) {
        onWindow([this, reason] { ShowState(msg::kFleetRefused, broker_name_, QString::fromStdString(reason)); });
      },
      nullptr,
      [onWindow, this](const std::string& topic, const std::string& payload) {
        onWindow([this, topic, payload] { Heard(topic, payload); });
      }};
  gateway::BrokerSettings listener = broker;
  listener.clientId = "lum-fleet-" + std::to_string(QDateTime::currentMSecsSinceEpoch());
  try {
    client_ = std::make_unique<gateway::MqttClient>(listener, gateway::LastWill{}, std::move(handlers));
    client_->Subscribe("#");
    client_->Start();
  } catch (const gateway::MqttError& error) {
    client_.reset();
    ShowState(msg::kFleetCannotConnect, QString::fromStdString(error.what()));
    return;
  }
  ShowState(msg::kFleetConnecting, broker_name_);
  ages_.start();
}

void TFormFleet::Heard(const std::string& topic, const std::string& payload) {
  roster_->Take(topic, payload, QDateTime::currentMSecsSinceEpoch());
  emit rosterChanged();
}

void TFormFleet::ShowState(int slot, const QString& detail, const QString& second) {
  state_slot_ = slot;
  state_detail_ = detail;
  state_second_ = second;
  const std::string text = FormatText(main_.Message(slot).toStdString(), {detail.toStdString(), second.toStdString()});
  ui_->lblFleetState->setText(QString::fromStdString(text));
}

void TFormFleet::ShowLanguage() {
  QStringList headers;
  for (int column = 0; column < kColumns; ++column) headers << main_.Message(msg::kFleetColumn + column);
  ui_->tblFleet->setHorizontalHeaderLabels(headers);
  if (state_slot_ != 0) ShowState(state_slot_, state_detail_, state_second_);
  RefreshTable();
  RefreshChart();
}

QString TFormFleet::ValueName(const std::string& key) const {
  for (const auto& [id, slot] : kValueNames)
    if (key == ValueKey(id)) return main_.Message(slot);
  return QString::fromStdString(key);
}

QString TFormFleet::FaultName(const std::string& key) const {
  // The gateways' faults are the alarms of the recorded nights, named as the Nights window names them.
  for (int kind = 0; kind <= static_cast<int>(nights::AlarmKind::NoData); ++kind)
    if (key == gateway::AlarmStateKey(static_cast<nights::AlarmKind>(kind)))
      return main_.Message(msg::kAlarmName + kind);
  return QString::fromStdString(key);
}

QString TFormFleet::ValuesText(const gateway::FleetController& controller) const {
  if (controller.history.empty()) return {};
  QStringList parts;
  for (const gateway::FleetSensor& sensor : controller.sensors) {
    const auto value = controller.history.back().values.find(sensor.key);
    if (value == controller.history.back().values.end()) continue;
    // Whole seconds and degrees, volts and amperes to the hundredth.
    const bool whole = sensor.unit == UnitSymbol(Unit::Seconds) || sensor.unit == UnitSymbol(Unit::Celsius);
    parts << QStringLiteral("%1 %2 %3")
                 .arg(ValueName(sensor.key))
                 .arg(value->second, 0, 'f', whole ? 0 : 2)
                 .arg(QString::fromStdString(sensor.unit));
  }
  return parts.join(QStringLiteral("  "));
}

const gateway::FleetController* TFormFleet::Selected() const {
  const QList<QTableWidgetItem*> chosen = ui_->tblFleet->selectedItems();
  if (chosen.isEmpty()) return nullptr;
  const QTableWidget& table = *ui_->tblFleet;
  const int row = chosen.front()->row();
  const std::string site = table.item(row, kSite)->text().toStdString();
  const std::string serial = table.item(row, kSerial)->text().toStdString();
  for (const gateway::FleetController* controller : roster_->Controllers())
    if (controller->site == site && controller->serial == serial) return controller;
  return nullptr;
}

void TFormFleet::RefreshTable() {
  QTableWidget& table = *ui_->tblFleet;
  const std::vector<const gateway::FleetController*> controllers = roster_->Controllers();
  const int64_t now = QDateTime::currentMSecsSinceEpoch();
  table.setRowCount(static_cast<int>(controllers.size()));
  auto set = [&table](int row, int column, const QString& text) {
    QTableWidgetItem* item = table.item(row, column);
    if (item == nullptr) table.setItem(row, column, item = new QTableWidgetItem);
    if (item->text() != text) item->setText(text);
  };
  for (int row = 0; row < static_cast<int>(controllers.size()); ++row) {
    const gateway::FleetController& controller = *controllers[static_cast<size_t>(row)];
    QStringList faults;
    for (const auto& [fault, on] : controller.faults)
      if (on) faults << FaultName(fault);
    set(row, kSite, QString::fromStdString(controller.site));
    set(row, kSerial, QString::fromStdString(controller.serial));
    set(row, kModel, QString::fromStdString(controller.model));
    set(row, kValues, ValuesText(controller));
    set(row, kFaults, faults.isEmpty() ? QString::fromLatin1(kNoFault) : faults.join(QStringLiteral(", ")));
    set(row, kLastPoll,
        controller.lastHeardMs
            ? QString::fromStdString(FormatText(main_.Message(msg::kFleetAge).toStdString(),
                                                {std::max<int64_t>(0, (now - *controller.lastHeardMs) / kMsPerSecond)}))
            : QString());
    set(row, kState, main_.Message(roster_->Reachable(controller) ? msg::kFleetOnline : msg::kFleetOffline));
  }
  table.resizeColumnsToContents();
  ui_->lblFleetSummary->setText(QString::fromStdString(
      FormatText(main_.Message(msg::kFleetSummary).toStdString(),
                 {static_cast<int64_t>(controllers.size()), static_cast<int64_t>(roster_->NotUnderstood())})));
}

void TFormFleet::RefreshChart() {
  const gateway::FleetController* controller = Selected();
  QComboBox& values = *ui_->cbbValue;
  QStringList names;
  QStringList keys;
  if (controller != nullptr) {
    for (const gateway::FleetSensor& sensor : controller->sensors) {
      names << ValueName(sensor.key);
      keys << QString::fromStdString(sensor.key);
    }
  }
  // Refilled only when it changes: the table's refresh each second would close an open list.
  bool same = values.count() == names.size();
  for (int i = 0; same && i < names.size(); ++i)
    same = values.itemText(i) == names[i] && values.itemData(i).toString() == keys[i];
  if (!same) {
    const QString chosen = values.currentData().toString();
    values.clear();
    for (int i = 0; i < names.size(); ++i) values.addItem(names[i], keys[i]);
    // The battery's voltage tells most of a controller at first sight.
    const int keep = values.findData(chosen);
    const int battery = values.findData(QString::fromLatin1(ValueKey(ValueId::BatteryVoltage)));
    values.setCurrentIndex(keep >= 0 ? keep : std::max(battery, 0));
  }

  QChart& chart = *view_->chart();
  auto& series = *static_cast<QLineSeries*>(chart.series().front());
  QList<QPointF> points;
  double low = 0;
  double high = 0;
  const std::string key = values.currentData().toString().toStdString();
  if (controller != nullptr) {
    for (const gateway::FleetPoint& point : controller->history) {
      const auto value = point.values.find(key);
      if (value == point.values.end()) continue;
      low = points.isEmpty() ? value->second : std::min(low, value->second);
      high = points.isEmpty() ? value->second : std::max(high, value->second);
      points.append(QPointF(static_cast<double>(point.timeMs), value->second));
    }
  }
  series.replace(points);
  if (points.isEmpty()) return;
  chart.axes(Qt::Horizontal)
      .front()
      ->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(points.front().x())),
                 QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(points.back().x())));
  const double margin = std::max((high - low) * 0.1, 0.1);
  chart.axes(Qt::Vertical).front()->setRange(low - margin, high + margin);
}

}  // namespace lum
