#include "FormChart.h"

#include <QAbstractAxis>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "Dialogs.h"
#include "FormLUM.h"
#include "PollFeed.h"
#include "WindowRecorder.h"
#include "base/AtomicFile.h"
#include "data/AxisTicks.h"
#include "data/Decimate.h"
#include "data/NightProfile.h"
#include "data/NumberFormats.h"
#include "data/PollCsv.h"
#include "device/Monitor.h"
#include "language/MessageSlots.h"
#include "ui_FormChart.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {

constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr int64_t kMsPerHour = 60 * kMsPerMinute;
constexpr int64_t kMinimumSpanMs = kMsPerMinute;
constexpr int64_t kMaximumSpanMs = int64_t{7} * 24 * 60 * kMsPerMinute;
constexpr unsigned kSpanPresetsMinutes[] = {1, 10, 60, 6 * 60, 24 * 60};
constexpr int64_t kClockFormatLimitMs = int64_t{6} * 60 * kMsPerMinute;  // longer spans show the date
constexpr int kMinimumColumns = 100;
// Polls come a second apart, a slow one a little later: three poll periods without one mean at
// least one poll brought nothing, which a recording does not keep.
constexpr int64_t kLongestPollGapMs = 3 * int64_t{Monitor::kPollIntervalMs};
constexpr double kAxisMargin = 0.05;
constexpr double kLeastAxisMargin = 0.1;
// The narrowest ranges shown: what the controller's readings resolve, a little more.
constexpr double kLeastVolts = 1;
constexpr double kLeastAmperes = 0.1;
constexpr double kLeastCelsius = 5;
constexpr int kValueTicks = 6;
constexpr int kTimeTicks = 8;
constexpr double kLineWidth = 1.5;
constexpr int kNoSelection = -1;
constexpr qlonglong kLiveSource = -1;

enum class Axis { Volts, Amperes, Celsius };

struct Line {
  ValueId id;
  int nameSlot;
  Axis axis;
  QRgb colour;
};
constexpr Line kLines[] = {
    {ValueId::BatteryVoltage, msg::kBatteryVoltageLine, Axis::Volts, 0xFF1F77B4},
    {ValueId::SolarVoltage, msg::kSolarVoltageLine, Axis::Volts, 0xFFFF7F0E},
    {ValueId::Load1Voltage, msg::kLoadVoltageLine, Axis::Volts, 0xFF2CA02C},
    {ValueId::Load1Current, msg::kLoadCurrentLine, Axis::Amperes, 0xFFD62728},
    {ValueId::Temperature, msg::kTemperatureLine, Axis::Celsius, 0xFF9467BD},
};
constexpr QRgb kThresholdColour = 0xFF707070;
// A threshold's name stands just above its line (below it at the top), this far inside the plot; neighbouring lines
// put theirs at opposite ends, so that close values do not stack their names.
constexpr double kThresholdLabelInset = 6;
constexpr double kThresholdLabelLift = 1;
constexpr QRgb kThresholdBackdrop = 0xD0FFFFFF;  // the light chart's white, letting a little through
constexpr qreal kAboveLines = 10;                // z value of the names over the series

// The entry's thresholds, each named by the caption of its field on the pages.
struct Threshold {
  const char* label;
  uint16_t (TCONFIG_BLOCK::*value)() const;
  unsigned scale;  // raw units per volt
};
const Threshold kThresholds[] = {
    {"lblBattOVP", &TCONFIG_BLOCK::BattOVP, kScaleMilli}, {"lblBattFCV", &TCONFIG_BLOCK::BattFCV, kScaleMilli},
    {"lblBattUVP", &TCONFIG_BLOCK::BattUVP, kScaleMilli}, {"lblBattUVR", &TCONFIG_BLOCK::BattUVR, kScaleMilli},
    {"lblSCV", &TCONFIG_BLOCK::SCV, kScaleCenti},
};

QString Caption(const QLabel* label) {
  if (label == nullptr) return {};
  QString text = label->text();
  while (text.endsWith(QChar(u'：')) || text.endsWith(QLatin1Char(':'))) text.chop(1);
  return text.trimmed();
}

struct Range {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  void Add(double v) {
    low = std::min(low, v);
    high = std::max(high, v);
  }
  bool Empty() const { return low > high; }
};

// The range shown is at least `leastSpan` wide (a steady temperature is not drawn on
// hundredths of a degree), on round ticks labelled with the decimals their step needs.
void SetAxisRange(QValueAxis& axis, Range range, double emptyLow, double emptyHigh, double leastSpan) {
  if (range.Empty()) {
    axis.setRange(emptyLow, emptyHigh);
  } else {
    const double margin = std::max((range.high - range.low) * kAxisMargin, kLeastAxisMargin);
    const double widen = std::max(0.0, leastSpan - (range.high - range.low) - 2 * margin) / 2;
    axis.setRange(range.low - margin - widen, range.high + margin + widen);
  }
  axis.setTickCount(kValueTicks);
  axis.applyNiceNumbers();
  const double step = (axis.max() - axis.min()) / std::max(axis.tickCount() - 1, 1);
  axis.setLabelFormat(QStringLiteral("%.%1f").arg(LabelDecimals(step)));
}

// Empty ranges: a 12 V system, an ampere, room temperatures.
constexpr double kVoltsShown = 15;
constexpr double kAmperesShown = 1;
constexpr double kCelsiusShown = 50;

}  // namespace

TFormChart::TFormChart(TFormLUM& mainWindow, WindowRecorder& recorder)
    : QWidget(&mainWindow, Qt::Window),
      ui_(std::make_unique<Ui::TFormChart>()),
      main_(mainWindow),
      recorder_(recorder) {
  ui_->setupUi(this);
  for (unsigned minutes : kSpanPresetsMinutes)
    ui_->cbbSpan->addItem(QString::fromStdString(FormatHoursMinutes(minutes)),
                          QVariant::fromValue<qlonglong>(minutes * kMsPerMinute));
  SetSpan(kDefaultSpanMs);
  ui_->cbbSource->addItem(main_.Message(msg::kLiveData), kLiveSource);

  connect(main_.ui().actLiveChart, &QAction::triggered, this, [this] { actLiveChartExecute(); });
  connect(&main_.Feed(), &PollFeed::sampleTaken, this, &TFormChart::AddLiveSample);
  connect(&main_, &TFormLUM::LanguageApplied, this, [this] { ShowLanguage(); });
  connect(&main_.Feed(), &PollFeed::pollEmpty, this, [this](qint64 timeMs) {
    PollSample nothing;
    nothing.timeMs = timeMs;
    AddLiveSample(nothing);
  });
  connect(&recorder_, &WindowRecorder::recordingStarted, this, [this] {
    if (isVisible()) RefreshSources();
  });
  main_.Bind(
      ui_->cbbSource, &QComboBox::activated, [this] { cbbSourceChange(); }, this);
  connect(ui_->cbbSpan, &QComboBox::activated, this, [this] { cbbSpanChange(); });
  connect(ui_->btnPause, &QPushButton::clicked, this, [this] { btnPauseClick(); });
  connect(ui_->btnZoomIn, &QPushButton::clicked, this, [this] { btnZoomInClick(); });
  connect(ui_->btnZoomOut, &QPushButton::clicked, this, [this] { btnZoomOutClick(); });
  connect(ui_->sbTime, &QScrollBar::valueChanged, this, [this] { sbTimeChange(); });
  main_.Bind(
      ui_->btnExportPng, &QPushButton::clicked, [this] { btnExportPngClick(); }, this);
  main_.Bind(
      ui_->btnExportCsv, &QPushButton::clicked, [this] { btnExportCsvClick(); }, this);
}

TFormChart::~TFormChart() = default;

// Made when first shown or asked for, not with the window: the program starts sooner.
void TFormChart::EnsureChart() {
  if (time_axis_ == nullptr) BuildChart();
}

void TFormChart::BuildChart() {
  auto* chart = new QChart;
  chart->legend()->setAlignment(Qt::AlignBottom);
  time_axis_ = new QDateTimeAxis;
  volt_axis_ = new QValueAxis;
  ampere_axis_ = new QValueAxis;
  celsius_axis_ = new QValueAxis;
  volt_axis_->setTitleText(QStringLiteral("V"));
  ampere_axis_->setTitleText(QStringLiteral("A"));
  celsius_axis_->setTitleText(QStringLiteral("°C"));
  chart->addAxis(time_axis_, Qt::AlignBottom);
  chart->addAxis(volt_axis_, Qt::AlignLeft);
  chart->addAxis(ampere_axis_, Qt::AlignRight);
  chart->addAxis(celsius_axis_, Qt::AlignRight);
  for (const Line& line : kLines) {
    auto* series = new QLineSeries;
    series->setPen(QPen(QColor::fromRgb(line.colour), kLineWidth));
    chart->addSeries(series);
    series->attachAxis(time_axis_);
    series->attachAxis(line.axis == Axis::Volts     ? volt_axis_
                       : line.axis == Axis::Amperes ? ampere_axis_
                                                    : celsius_axis_);
    series_[line.id] = series;
  }
  for (size_t i = 0; i < std::size(kThresholds); ++i) {
    auto* series = new QLineSeries;
    series->setPen(QPen(QColor::fromRgb(kThresholdColour), 1, Qt::DashLine));
    chart->addSeries(series);
    series->attachAxis(time_axis_);
    series->attachAxis(volt_axis_);
    // The legend names the measured lines only.
    for (QLegendMarker* marker : chart->legend()->markers(series)) marker->setVisible(false);
    auto* box = new QGraphicsRectItem(chart);
    box->setBrush(QColor::fromRgba(kThresholdBackdrop));
    box->setPen(Qt::NoPen);
    box->setZValue(kAboveLines);
    auto* name = new QGraphicsSimpleTextItem(box);
    name->setBrush(QColor::fromRgb(kThresholdColour));
    thresholds_.push_back({series, 0.0, box, name});
  }
  connect(chart, &QChart::plotAreaChanged, this, [this] { PlaceThresholdLabels(); });
  // The view is made here too: made with the window, it would make a default chart of its own.
  view_ = new QChartView(chart, ui_->ChartArea);
  view_->setObjectName(QStringLiteral("ChartView"));
  ui_->ChartAreaLayout->addWidget(view_);
  // At once in place, so that the plot area is known to what is drawn next.
  view_->show();
  ui_->ChartAreaLayout->activate();
}

QLineSeries& TFormChart::AddLinePart(ValueId id) {
  QLineSeries& first = *series_.at(id);
  auto* series = new QLineSeries;
  series->setPen(first.pen());
  Chart().addSeries(series);
  for (QAbstractAxis* axis : first.attachedAxes()) series->attachAxis(axis);
  for (QLegendMarker* marker : Chart().legend()->markers(series)) marker->setVisible(false);
  further_parts_[id].push_back(series);
  return *series;
}

QChart& TFormChart::Chart() {
  EnsureChart();
  return *view_->chart();
}

QChartView& TFormChart::View() {
  EnsureChart();
  return *view_;
}

QLineSeries& TFormChart::Series(ValueId id) {
  EnsureChart();
  return *series_.at(id);
}

std::vector<QLineSeries*> TFormChart::LineParts(ValueId id) {
  std::vector<QLineSeries*> parts;
  if (!Series(id).points().isEmpty()) parts.push_back(&Series(id));
  for (QLineSeries* part : further_parts_[id])
    if (!part->points().isEmpty()) parts.push_back(part);
  return parts;
}

std::vector<QLineSeries*> TFormChart::ThresholdLines() {
  EnsureChart();
  std::vector<QLineSeries*> lines;
  for (const ThresholdLine& line : thresholds_)
    if (line.series->isVisible()) lines.push_back(line.series);
  return lines;
}

std::vector<const QGraphicsSimpleTextItem*> TFormChart::ThresholdLabels() {
  EnsureChart();
  std::vector<const QGraphicsSimpleTextItem*> labels;
  for (const ThresholdLine& line : thresholds_)
    if (line.series->isVisible()) labels.push_back(line.name);
  return labels;
}

void TFormChart::actLiveChartExecute() {
  show();
  raise();
}

void TFormChart::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  RefreshSources();
  Redraw();
}

void TFormChart::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isVisible()) Redraw();
}

void TFormChart::AddLiveSample(const PollSample& sample) {
  live_.push_back(sample);
  // Old polls go an hour at a time, not one per poll.
  if (sample.timeMs - live_.front().timeMs > kLiveKeptMs + kMsPerHour) {
    const auto kept = std::lower_bound(live_.begin(), live_.end(), sample.timeMs - kLiveKeptMs,
                                       [](const PollSample& s, int64_t t) { return s.timeMs < t; });
    live_.erase(live_.begin(), kept);
  }
  if (!showing_live_) return;
  if (following_ || end_ms_ == 0) end_ms_ = sample.timeMs;
  // A hidden window draws when it is shown; drawing costs nothing meanwhile.
  if (isVisible()) Redraw();
}

void TFormChart::RefreshSources() {
  QComboBox& sources = *ui_->cbbSource;
  const qlonglong chosen = sources.currentIndex() >= 0 ? sources.currentData().toLongLong() : kLiveSource;
  const QSignalBlocker quiet(sources);
  sources.clear();
  sources.addItem(main_.Message(msg::kLiveData), kLiveSource);
  store::Recordings* recordings = recorder_.Recordings();
  if (recordings == nullptr) return;  // reported by the recorder
  for (const store::RecordingInfo& info : recordings->List())
    sources.addItem(
        QStringLiteral("%1  %2  (%3)")
            .arg(QString::fromStdString(info.serial),
                 QDateTime::fromMSecsSinceEpoch(info.firstMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .arg(info.polls),
        QVariant::fromValue<qlonglong>(info.id));
  const int index = sources.findData(QVariant::fromValue(chosen));
  sources.setCurrentIndex(index >= 0 ? index : 0);
}

void TFormChart::ShowLanguage() {
  QComboBox& sources = *ui_->cbbSource;
  sources.setItemText(sources.findData(kLiveSource), main_.Message(msg::kLiveData));
  // The legend and the thresholds' names are made as the chart is drawn.
  if (time_axis_ != nullptr) Redraw();
}

void TFormChart::cbbSourceChange() {
  const qlonglong source = ui_->cbbSource->currentData().toLongLong();
  showing_live_ = source == kLiveSource;
  recorded_.clear();
  recorded_serial_.clear();
  if (showing_live_) {
    SetSpan(kDefaultSpanMs);
    FollowNewest();
    Redraw();
    return;
  }
  store::Recordings* recordings = recorder_.Recordings();
  if (recordings == nullptr) return;
  recorded_ = recordings->Load(source);
  for (const store::RecordingInfo& info : recordings->List())
    if (info.id == source) recorded_serial_ = info.serial;
  // The whole recording at first; zoom and the scroll bar go through it.
  following_ = false;
  if (!recorded_.empty()) {
    SetSpan(recorded_.back().timeMs - recorded_.front().timeMs);
    end_ms_ = recorded_.front().timeMs + span_ms_;
  }
  Redraw();
}

void TFormChart::SetSpan(int64_t spanMs) {
  span_ms_ = std::clamp(spanMs, kMinimumSpanMs, kMaximumSpanMs);
  const QSignalBlocker quiet(ui_->cbbSpan);
  const int preset = ui_->cbbSpan->findData(QVariant::fromValue<qlonglong>(span_ms_));
  if (preset != kNoSelection) {
    ui_->cbbSpan->setCurrentIndex(preset);
    return;
  }
  // A zoom between the presets shows its own length.
  ui_->cbbSpan->setCurrentIndex(kNoSelection);
  ui_->cbbSpan->setPlaceholderText(
      QString::fromStdString(FormatHoursMinutes(static_cast<unsigned>(span_ms_ / kMsPerMinute))));
}

void TFormChart::FollowNewest() {
  following_ = showing_live_ && !paused_;
  if (following_ && !live_.empty()) end_ms_ = live_.back().timeMs;
}

void TFormChart::cbbSpanChange() {
  SetSpan(ui_->cbbSpan->currentData().toLongLong());
  Redraw();
}

void TFormChart::btnPauseClick() {
  paused_ = ui_->btnPause->isChecked();
  FollowNewest();
  Redraw();
}

void TFormChart::btnZoomInClick() {
  SetSpan(span_ms_ / 2);
  Redraw();
}

void TFormChart::btnZoomOutClick() {
  SetSpan(span_ms_ * 2);
  Redraw();
}

// The scroll bar counts seconds from the first poll to the start of the view; at its end
// the view ends with the newest poll.
void TFormChart::sbTimeChange() {
  const std::vector<PollSample>& samples = Samples();
  if (updating_scroll_ || samples.empty()) return;
  const QScrollBar& bar = *ui_->sbTime;
  const bool atEnd = bar.value() == bar.maximum();
  end_ms_ = atEnd ? samples.back().timeMs : samples.front().timeMs + int64_t{bar.value()} * kMsPerSecond + span_ms_;
  following_ = showing_live_ && !paused_ && atEnd;
  Redraw();
}

void TFormChart::UpdateScrollBar() {
  QScrollBar& bar = *ui_->sbTime;
  const std::vector<PollSample>& samples = Samples();
  updating_scroll_ = true;
  if (samples.empty()) {
    bar.setRange(0, 0);
  } else {
    const int64_t first = samples.front().timeMs;
    const int64_t scrollable = std::max<int64_t>(samples.back().timeMs - first - span_ms_, 0);
    bar.setRange(0, static_cast<int>(scrollable / kMsPerSecond));
    bar.setPageStep(static_cast<int>(span_ms_ / kMsPerSecond));
    bar.setValue(static_cast<int>(std::max<int64_t>(ViewStartMs() - first, 0) / kMsPerSecond));
  }
  updating_scroll_ = false;
}

void TFormChart::UpdateThresholds() {
  const TDEVICE_CONFIG* entry = main_.CurrentEntry();
  for (size_t i = 0; i < thresholds_.size(); ++i) {
    auto& [series, volts, box, name] = thresholds_[i];
    const Threshold& threshold = kThresholds[i];
    const uint16_t value = entry != nullptr ? (entry->Config.*threshold.value)() : 0;
    volts = static_cast<double>(value) / threshold.scale;
    series->setVisible(value > 0);
    // A series shown again gets its legend marker back.
    for (QLegendMarker* marker : Chart().legend()->markers(series)) marker->setVisible(false);
    series->setName(
        QStringLiteral("%1 %2 V").arg(Caption(main_.findChild<QLabel*>(QString::fromLatin1(threshold.label))),
                                      QString::fromStdString(FormatScaled(value, threshold.scale))));
    series->replace(
        QList<QPointF>{{static_cast<double>(ViewStartMs()), volts}, {static_cast<double>(ViewEndMs()), volts}});
    name->setText(series->name());
    box->setRect(name->boundingRect());
    box->setVisible(series->isVisible());
  }
}

void TFormChart::PlaceThresholdLabels() {
  std::vector<const ThresholdLine*> shown;
  for (const ThresholdLine& line : thresholds_)
    if (line.series->isVisible()) shown.push_back(&line);
  std::sort(shown.begin(), shown.end(), [](const auto* a, const auto* b) { return a->volts > b->volts; });
  const QRectF plot = Chart().plotArea();
  for (size_t rank = 0; rank < shown.size(); ++rank) {
    const ThresholdLine& line = *shown[rank];
    const QRectF size = line.box->rect();
    const double y = Chart().mapToPosition(QPointF(static_cast<double>(ViewStartMs()), line.volts), line.series).y();
    const double x =
        rank % 2 == 0 ? plot.left() + kThresholdLabelInset : plot.right() - kThresholdLabelInset - size.width();
    // Below the line when there is no room above it.
    const double above = y - size.height() - kThresholdLabelLift;
    line.box->setPos(x, above >= plot.top() ? above : y + kThresholdLabelLift);
  }
}

void TFormChart::Redraw() {
  EnsureChart();
  const int columns = std::max(kMinimumColumns, static_cast<int>(Chart().plotArea().width()));
  Range volts;
  Range amperes;
  Range celsius;
  for (const Line& line : kLines) {
    series_.at(line.id)->setName(main_.Message(line.nameSlot));
    Range& range = line.axis == Axis::Volts ? volts : line.axis == Axis::Amperes ? amperes : celsius;
    const auto runs = DecimateBrokenLine(Samples(), line.id, ViewStartMs(), ViewEndMs(), columns, kLongestPollGapMs);
    // Every part is filled or emptied: a part the view no longer needs keeps no old points.
    const size_t parts = std::max(runs.size(), further_parts_[line.id].size() + 1);
    for (size_t part = 0; part < parts; ++part) {
      const std::vector<QLineSeries*>& further = further_parts_[line.id];
      QLineSeries& series = part == 0                ? *series_.at(line.id)
                            : part <= further.size() ? *further[part - 1]
                                                     : AddLinePart(line.id);
      QList<QPointF> points;
      if (part < runs.size())
        for (const PlotPoint& p : runs[part]) {
          points.append({p.x, p.y});
          if (p.x >= static_cast<double>(ViewStartMs()) && p.x <= static_cast<double>(ViewEndMs())) range.Add(p.y);
        }
      series.replace(points);
    }
  }
  UpdateThresholds();
  for (const ThresholdLine& line : thresholds_)
    if (line.series->isVisible()) volts.Add(line.volts);

  const int64_t utcOffsetMs = int64_t{QDateTime::fromMSecsSinceEpoch(ViewStartMs()).offsetFromUtc()} * kMsPerSecond;
  const TimeTicks ticks = WholeTimeTicks(ViewStartMs(), ViewEndMs(), utcOffsetMs, kTimeTicks);
  time_axis_->setFormat(span_ms_ > kClockFormatLimitMs ? QStringLiteral("MM-dd HH:mm")
                        : ticks.stepMs >= kMsPerMinute ? QStringLiteral("HH:mm")
                                                       : QStringLiteral("HH:mm:ss"));
  time_axis_->setRange(QDateTime::fromMSecsSinceEpoch(ticks.firstMs), QDateTime::fromMSecsSinceEpoch(ticks.lastMs));
  time_axis_->setTickCount(ticks.count);
  SetAxisRange(*volt_axis_, volts, 0, kVoltsShown, kLeastVolts);
  if (!amperes.Empty()) amperes.Add(0);  // currents are read against zero
  SetAxisRange(*ampere_axis_, amperes, 0, kAmperesShown, kLeastAmperes);
  SetAxisRange(*celsius_axis_, celsius, 0, kCelsiusShown, kLeastCelsius);
  PlaceThresholdLabels();
  UpdateScrollBar();
}

void TFormChart::btnExportPngClick() {
  const auto path = main_.dialogs().SaveFileName(QStringLiteral("PNG (*.png)"), QStringLiteral("png"),
                                                 QString::fromStdString(main_.WorkDir()));
  if (!path) return;
  if (!View().grab().save(*path, "PNG")) throw std::runtime_error("Unable to write to " + path->toStdString());
}

// The polls in view, as the recordings export them.
void TFormChart::btnExportCsvClick() {
  const auto path = main_.dialogs().SaveFileName(QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"),
                                                 QString::fromStdString(main_.WorkDir()));
  if (!path) return;
  std::string csv = PollCsvHeader() + "\n";
  const std::string serial = showing_live_ ? recorder_.Serial() : recorded_serial_;
  for (const PollSample& sample : Samples())
    if (!sample.Empty() && sample.timeMs >= ViewStartMs() && sample.timeMs <= ViewEndMs())
      csv += PollCsvRow(serial, sample) + "\n";
  WriteFileAtomically(path->toStdString(), csv);
}

}  // namespace lum
