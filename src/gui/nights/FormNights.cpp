#include "FormNights.h"

#include <fmt/format.h>

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QThread>
#include <array>
#include <chrono>
#include <exception>

#include "FormLUM.h"
#include "NightChart.h"
#include "NightStrip.h"
#include "PlanView.h"
#include "WindowRecorder.h"
#include "base/SafeFormat.h"
#include "base/TimeStamp.h"
#include "data/NewFileBlock.h"
#include "data/NumberFormats.h"
#include "language/MessageSlots.h"
#include "language/Settings.h"
#include "nights/EnergyPlan.h"
#include "nights/RecordedNights.h"
#include "ui_FormLUM.h"
#include "ui_FormNights.h"

namespace lum {

namespace {
constexpr int64_t kNightChartMarginMs = 30LL * 60 * 1000;  // before dusk and after dawn
constexpr double kLeastCapacityAh = 0.1;
constexpr double kMostCapacityAh = 100000;
constexpr double kMostLatitude = 90;
constexpr double kMostLongitude = 180;
constexpr int kResults = 5;  // NightResult's values
constexpr int kLatitudeField = 0;
constexpr int kLongitudeField = 1;
constexpr int kCapacityField = 2;
constexpr char16_t kFirstPrintable = 0x20;
enum AlarmColumn { kSeverityColumn, kAlarmColumn, kFirstColumn, kLastColumn, kValueColumn, kRemedyColumn, kColumns };

std::string UtcText(int64_t ms) {
  return UtcStamp(std::chrono::system_clock::time_point{std::chrono::milliseconds(ms)});
}

// A serial as the database gave it, without the control characters a garbled reply may hold.
QString Printable(const std::string& serial) {
  QString text = QString::fromUtf8(serial);
  for (QChar& c : text)
    if (c.unicode() < kFirstPrintable) c = QLatin1Char('?');
  return text;
}

QLineEdit& PlanField(Ui::TFormNights& ui, int field) {
  const std::array<QLineEdit*, 3> fields{ui.edtLatitude, ui.edtLongitude, ui.edtCapacity};
  return *fields.at(static_cast<size_t>(field));
}
}  // namespace

TFormNights::TFormNights(TFormLUM& mainWindow, WindowRecorder& recorder)
    : QWidget(&mainWindow, Qt::Window),
      ui_(std::make_unique<Ui::TFormNights>()),
      main_(mainWindow),
      recorder_(recorder) {
  ui_->setupUi(this);
  chart_view_ = new QChartView(new QChart, ui_->NightChartArea);
  chart_view_->setRenderHint(QPainter::Antialiasing);
  ui_->NightChartLayout->addWidget(chart_view_);
  ui_->tblAlarms->setColumnCount(kColumns);
  ui_->tblAlarms->horizontalHeader()->setStretchLastSection(true);
  ui_->tblAlarms->verticalHeader()->hide();
  open_alarms_ = new QLabel(main_.ui().StatusBar);
  open_alarms_->setObjectName(QStringLiteral("lblOpenAlarms"));
  open_alarms_->setTextFormat(Qt::PlainText);
  open_alarms_->hide();  // until an analysis counted them
  main_.ui().StatusBar->addPermanentWidget(open_alarms_);

  connect(main_.ui().actNights, &QAction::triggered, this, [this] { actNightsExecute(); });
  connect(ui_->btnAnalyse, &QPushButton::clicked, this, [this] { Analyse(); });
  connect(ui_->btnPlan, &QPushButton::clicked, this, [this] { ComputePlan(); });
  connect(ui_->stripNights, &NightStrip::nightClicked, this, [this](int index) { ShowNight(index); });
  connect(&main_, &TFormLUM::LanguageApplied, this, [this] { ApplyTexts(); });
  ApplyTexts();
}

TFormNights::~TFormNights() {
  if (worker_ != nullptr) worker_->wait();  // it writes into this window's report
}

QComboBox& TFormNights::Controllers() { return *ui_->cbbController; }
NightStrip& TFormNights::Strip() { return *ui_->stripNights; }
QTableWidget& TFormNights::Alarms() { return *ui_->tblAlarms; }
PlanView& TFormNights::Plan() { return *ui_->planView; }
QChart& TFormNights::NightChart() { return *chart_view_->chart(); }
QLabel& TFormNights::StatusText() { return *ui_->lblStatus; }
QLabel& TFormNights::PlanProblem() { return *ui_->lblPlanProblem; }

QString TFormNights::Text(int slot) const { return main_.Message(slot); }

void TFormNights::actNightsExecute() {
  show();
  raise();
  FindControllers();
}

void TFormNights::FindControllers() {
  QComboBox& list = *ui_->cbbController;
  const QString chosen = list.currentData().toString();
  list.clear();
  store::Recordings* recordings = recorder_.Recordings();
  if (recordings == nullptr) return;  // the recorder reported why
  try {
    for (const std::string& serial : recordings->Serials())
      list.addItem(Printable(serial), QString::fromStdString(serial));
  } catch (const std::exception& e) {
    ui_->lblStatus->setText(QString::fromStdString(FormatText(Text(msg::kNightsFailed).toStdString(), {e.what()})));
    return;
  }
  if (list.count() == 0) ui_->lblStatus->setText(Text(msg::kNightsNone));
  // The controller the main window shows first, else the one chosen before.
  std::string shown = recorder_.Serial();
  if (const TDEVICE_CONFIG* entry = main_.CurrentEntry(); shown.empty() && entry != nullptr && entry->FromDevice)
    shown = FormatSerial(entry->SerialNumber);
  int index = list.findData(QString::fromStdString(shown));
  if (index < 0) index = list.findData(chosen);
  if (index >= 0) list.setCurrentIndex(index);
}

void TFormNights::Analyse() {
  if (Busy() || ui_->cbbController->currentIndex() < 0) return;
  NightsRequest request;
  request.serial = ui_->cbbController->currentData().toString().toStdString();
  request.dataDir = main_.DataDir();
  const Settings settings(main_.WorkDir());
  request.database = settings.Database();
  const TDEVICE_CONFIG* entry = main_.CurrentEntry();
  request.rules = nights::RulesOfBlock(entry != nullptr ? entry->Config : NewFileStartBlock());
  try {
    request.thresholds = nights::ThresholdsOfSettings(
        [&settings](const std::string& section) { return settings.SectionEntries(section); }, request.serial);
  } catch (const std::invalid_argument& e) {
    ui_->lblStatus->setText(QString::fromStdString(
        FormatText(Text(msg::kNightsFailed).toStdString(), {settings.Path() + ": " + e.what()})));
    return;
  }
  request.nowMs = NowMsSinceEpoch();
  rules_ = request.rules;
  ui_->lblStatus->setText(QString::fromStdString(
      FormatText(Text(msg::kNightsAnalysing).toStdString(), {Printable(request.serial).toStdString()})));
  ui_->btnAnalyse->setEnabled(false);
  auto result = std::make_shared<NightsReport>();
  worker_ = QThread::create([request, result] { *result = AnalyseNights(request); });
  connect(worker_, &QThread::finished, this, [this, result, serial = request.serial] {
    worker_->deleteLater();
    worker_ = nullptr;
    ui_->btnAnalyse->setEnabled(true);
    shown_serial_ = serial;
    analysed_once_ = true;
    Show(std::move(*result));
  });
  worker_->start();
}

QString TFormNights::NightTip(const nights::Night& night) const {
  const int result = static_cast<int>(nights::ResultOf(night));
  return QString::fromStdString(
      FormatText(Text(msg::kNightTip).toStdString(),
                 {UtcText(night.duskMs), UtcText(night.dawnMs), Text(msg::kNightResult + result).toStdString(),
                  fmt::format("{:.0f}", night.litMinutes), fmt::format("{:.2f}", night.ampereHours)}));
}

void TFormNights::Show(NightsReport report) {
  report_ = std::move(report);
  Render();
  emit analysed(!report_.failure);
}

void TFormNights::Render() {
  if (report_.failure) {
    ui_->lblStatus->setText(
        QString::fromStdString(FormatText(Text(msg::kNightsFailed).toStdString(), {*report_.failure})));
    return;
  }
  QStringList tips;
  for (const nights::Night& night : report_.nights) tips << NightTip(night);
  ui_->stripNights->SetNights(report_.nights, tips);
  ui_->lblNight->setText(Text(msg::kNightsClickHint));
  NightChart().removeAllSeries();
  ShowAlarms();
  if (ui_->planView->HasPlan()) ComputePlan();  // with what was recorded now
}

void TFormNights::ShowAlarms() {
  QTableWidget& table = *ui_->tblAlarms;
  table.setRowCount(static_cast<int>(report_.alarms.size()));
  int open = 0;
  for (int row = 0; row < table.rowCount(); ++row) {
    const nights::Alarm& a = report_.alarms.at(static_cast<size_t>(row));
    open += a.open ? 1 : 0;
    const auto kind = static_cast<int>(a.kind);
    const std::array<std::string, kColumns> cells{
        Text(msg::kSeverityName + static_cast<int>(a.severity)).toStdString(),
        FormatText(Text(msg::kAlarmName + kind).toStdString(), {int64_t{a.nights}}),
        UtcText(a.firstNightMs),
        UtcText(a.lastNightMs),
        fmt::format("{:.3g}", a.value),
        Text(msg::kAlarmRemedy + kind).toStdString()};
    for (int c = 0; c < kColumns; ++c)
      table.setItem(row, c, new QTableWidgetItem(QString::fromStdString(cells.at(static_cast<size_t>(c)))));
  }
  table.resizeColumnsToContents();
  ui_->lblStatus->setText(QString::fromStdString(FormatText(
      Text(msg::kNightsSummary).toStdString(),
      {static_cast<int64_t>(report_.nights.size()), static_cast<int64_t>(report_.alarms.size()), int64_t{open}})));
  open_alarms_->setText(QString::fromStdString(FormatText(Text(msg::kOpenAlarms).toStdString(), {int64_t{open}})));
  open_alarms_->show();
}

void TFormNights::ShowNight(int index) {
  const auto& shown = ui_->stripNights->Nights();
  if (index < 0 || index >= static_cast<int>(shown.size())) return;
  const nights::Night& night = shown.at(static_cast<size_t>(index));
  std::vector<PollSample> polls;
  store::Recordings* recordings = recorder_.Recordings();
  if (recordings == nullptr) return;
  try {
    recordings->Export({.serial = shown_serial_,
                        .sinceMs = night.duskMs - kNightChartMarginMs,
                        .untilMs = night.dawnMs + kNightChartMarginMs},
                       [&polls](const std::string& /*serial*/, const PollSample& poll) { polls.push_back(poll); });
  } catch (const std::exception& e) {
    ui_->lblStatus->setText(QString::fromStdString(FormatText(Text(msg::kNightsFailed).toStdString(), {e.what()})));
  }
  ShowNightPolls(NightChart(), polls,
                 {Text(msg::kBatteryVoltageLine), Text(msg::kSolarVoltageLine), Text(msg::kLoadCurrentLine)},
                 Text(msg::kNightAxes).split(QLatin1Char('|')) << Text(msg::kNightsWindowLast));
  ui_->lblNight->setText(polls.empty() ? Text(msg::kNightsNoNight) : NightTip(night));
}

std::optional<double> TFormNights::TypedNumber(int field, double low, double high) {
  QLineEdit& edit = PlanField(*ui_, field);
  bool ok = false;
  const double value = edit.text().trimmed().toDouble(&ok);
  if (ok && value >= low && value <= high) return value;
  const QStringList names = Text(msg::kPlanInputs).split(QLatin1Char('|'));
  ui_->lblPlanProblem->setText(QString::fromStdString(FormatText(
      Text(msg::kPlanOutOfRange).toStdString(),
      {names.value(field).toStdString(), edit.text().toStdString(), fmt::format("{}", low), fmt::format("{}", high)})));
  edit.setFocus();
  return std::nullopt;
}

bool TFormNights::ComputePlan() {
  const auto latitude = TypedNumber(kLatitudeField, -kMostLatitude, kMostLatitude);
  if (!latitude) return false;
  const auto longitude = TypedNumber(kLongitudeField, -kMostLongitude, kMostLongitude);
  if (!longitude) return false;
  const auto capacity = TypedNumber(kCapacityField, kLeastCapacityAh, kMostCapacityAh);
  if (!capacity) return false;
  ui_->lblPlanProblem->clear();
  const TDEVICE_CONFIG* entry = main_.CurrentEntry();
  const nights::NightRules rules =
      report_.nights.empty() ? nights::RulesOfBlock(entry != nullptr ? entry->Config : NewFileStartBlock()) : rules_;
  nights::PlanInput input{{*latitude, *longitude}, rules.profile, *capacity};
  input.year = QDate::currentDate().year();
  ui_->planView->SetPlan(nights::PlanYear(input, report_.nights), input.capacityAh * input.usableFraction);
  return true;
}

void TFormNights::ApplyTexts() {
  setWindowTitle(Text(msg::kNightsTitle));
  ui_->lblController->setText(Text(msg::kNightsController));
  ui_->btnAnalyse->setText(Text(msg::kNightsAnalyse));
  const QStringList tabs = Text(msg::kNightsTabs).split(QLatin1Char('|'));
  for (int t = 0; t < ui_->tabsNights->count(); ++t) ui_->tabsNights->setTabText(t, tabs.value(t));
  ui_->tblAlarms->setHorizontalHeaderLabels(Text(msg::kAlarmColumns).split(QLatin1Char('|')));
  QStringList results;
  for (int r = 0; r < kResults; ++r) results << Text(msg::kNightResult + r);
  ui_->stripNights->SetResultNames(results);
  const QStringList fields = Text(msg::kPlanInputs).split(QLatin1Char('|'));
  ui_->lblLatitude->setText(fields.value(kLatitudeField));
  ui_->lblLongitude->setText(fields.value(kLongitudeField));
  ui_->lblCapacity->setText(fields.value(kCapacityField));
  ui_->btnPlan->setText(Text(msg::kPlanCompute));
  ui_->planView->SetTexts(Text(msg::kPlanSeries).split(QLatin1Char('|')), Text(msg::kPlanMonths));
  ui_->lblNight->setText(Text(msg::kNightsClickHint));
  if (analysed_once_) Render();
}

}  // namespace lum
