// The chart window: live polls of a simulated controller, the entry's thresholds, the view's
// span, zoom, pan and pause, and the exports.
#include <gtest/gtest.h>

#include <QAbstractAxis>
#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScrollBar>
#include <QValueAxis>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "ActionsTestFixture.h"
#include "FormChart.h"
#include "WindowRecorder.h"
#include "data/NumberFormats.h"
#include "data/PollCsv.h"
#include "language/MessageSlots.h"
#include "store/Recordings.h"
#include "ui_FormChart.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

constexpr int64_t kStartMs = 1796688000000;  // 2026-12-08 00:00 UTC
constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;

class ChartWindowTest : public ActionsTest {
 protected:
  void TearDown() override {
    chart_.reset();
    ActionsTest::TearDown();
  }
  TFormChart& OpenChart() {
    recorder_ = new WindowRecorder(Window());
    chart_ = std::make_unique<TFormChart>(Window(), *recorder_);
    Window().ui().actLiveChart->trigger();
    return *chart_;
  }
  // A poll of the live monitor as the window's observer reports it.
  void Feed(int64_t timeMs, int64_t batteryMv) {
    Window().Feed().Add(MakeMeasurement(ValueId::BatteryVoltage, batteryMv));
    Window().Feed().EndPoll(timeMs);
  }
  static QString AxisTitle(QLineSeries& series) {
    for (QAbstractAxis* axis : series.attachedAxes())
      if (axis->orientation() == Qt::Vertical) return axis->titleText();
    return {};
  }
  static double LastY(const QLineSeries& series) { return series.points().isEmpty() ? -1 : series.points().back().y(); }
  // The number a monitor page field shows: "12.340 V" -> 12.34.
  double FieldNumber(QLineEdit* field) { return field->text().section(QLatin1Char(' '), 0, 0).toDouble(); }

  WindowRecorder* recorder_ = nullptr;  // the window owns it
  std::unique_ptr<TFormChart> chart_;
};

TEST_F(ChartWindowTest, LivePollsArePlottedInTheirUnitsOnTheirAxesAndRecordedUnderTheControllersSerial) {
  const sim::ControllerSetup setup = sim::DefaultSetup(1);
  sim::Controller& controller = simulator.AddController(setup);
  simulator.Start();
  WritePorts({{"COM1", controller.Path()}});
  Create();
  TFormChart& chart = OpenChart();
  EXPECT_TRUE(chart.isVisible());
  Ui::TFormLUM& u = Window().ui();
  u.actConnectDevice->trigger();  // the scan tells which controller is on COM1
  ASSERT_TRUE(WaitForDevice());
  Find<QPushButton>(*u.tsReal, "btnRealPort")->click();
  ASSERT_TRUE(WaitForDevice());
  Window().Timer().stop();
  for (int tick = 0; tick < 2; ++tick) {
    Window().Monitor().TimerTimer();
    ASSERT_TRUE(WaitForDevice());
  }

  ASSERT_EQ(chart.Samples().size(), 2u);
  struct Expected {
    ValueId id;
    QLineEdit* field;  // the monitor page's field of the same poll
    const char* axis;
  };
  for (const Expected& e : {Expected{ValueId::BatteryVoltage, Find<QLineEdit>(*u.tsTest, "lbledtBattV"), "V"},
                            Expected{ValueId::SolarVoltage, Find<QLineEdit>(*u.tsTest, "lbledtSolarV"), "V"},
                            Expected{ValueId::Load1Voltage, Find<QLineEdit>(*u.tsTest, "lbledtLoad1V"), "V"},
                            Expected{ValueId::Load1Current, Find<QLineEdit>(*u.tsTest, "lbledtLoad1A"), "A"},
                            Expected{ValueId::Temperature, Find<QLineEdit>(*u.tsTest, "lbledtTemp"), "°C"}}) {
    QLineSeries& series = chart.Series(e.id);
    EXPECT_EQ(series.count(), 2) << ValueKey(e.id);
    EXPECT_DOUBLE_EQ(LastY(series), FieldNumber(e.field)) << ValueKey(e.id);
    EXPECT_GT(LastY(series), 0) << ValueKey(e.id);
    EXPECT_EQ(AxisTitle(series), QString::fromUtf8(e.axis)) << ValueKey(e.id);
  }
  EXPECT_EQ(chart.Series(ValueId::BatteryVoltage).name(), "蓄电池电压");

  // Both polls are in the working directory's database, as the chart has them.
  const std::vector<store::RecordingInfo> list = recorder_->Recordings()->List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].serial, FormatSerial(setup.serialNumber));
  EXPECT_EQ(recorder_->Recordings()->Load(list[0].id), chart.Samples());
  // The chart lists the recording after the live data.
  ASSERT_EQ(chart.ui().cbbSource->count(), 2);
  EXPECT_EQ(chart.ui().cbbSource->itemText(0), "实时数据");
  EXPECT_TRUE(chart.ui().cbbSource->itemText(1).startsWith(QString::fromStdString(list[0].serial)));
}

// On a bus the monitor polls the controller shown: each one's polls are recorded under its own
// serial number.
TEST_F(ChartWindowTest, OnABusEachControllerShownIsRecordedUnderItsOwnSerial) {
  sim::Controller& bus =
      simulator.AddBus(sim::BusUnit(1, 1, 0x11), {sim::BusUnit(1, 1, 0x11), sim::BusUnit(1, 5, 0x15)});
  simulator.Start();
  std::ofstream(std::filesystem::path(Dir()) / "LUM.INI", std::ios::binary)
      << "[Ports]\r\nCOM3=" << bus.Path() << "\r\n[Bus]\r\nCOM3=1,5\r\n";
  Create();
  OpenChart();
  Ui::TFormLUM& u = Window().ui();
  u.actConnectDevice->trigger();
  ASSERT_TRUE(WaitForDevice());
  ASSERT_EQ(Window().Entries().DeviceEntries().size(), 2u);
  Find<QPushButton>(*u.tsReal, "btnRealPort")->click();
  ASSERT_TRUE(WaitForDevice());
  Window().Timer().stop();
  for (const char* node : {"COM3 #1", "COM3 #5"}) {
    for (int i = 0; i < u.tvDevices->topLevelItemCount(); ++i)
      if (u.tvDevices->topLevelItem(i)->text(0).startsWith(QString::fromLatin1(node)))
        u.tvDevices->setCurrentItem(u.tvDevices->topLevelItem(i));
    ASSERT_EQ(Window().CurrentEntry()->Name, node);
    Window().Monitor().TimerTimer();
    ASSERT_TRUE(WaitForDevice());
  }

  std::vector<std::string> serials;
  for (const store::RecordingInfo& info : recorder_->Recordings()->List()) serials.push_back(info.serial);
  std::sort(serials.begin(), serials.end());
  EXPECT_EQ(serials, (std::vector<std::string>{FormatSerial(0x11), FormatSerial(0x15)}));
}

TEST_F(ChartWindowTest, ARecordedDayOpensWholeDrawnFromTwoPointsPerPixelColumnAndScrolls) {
  Create();
  TCONFIG_BLOCK block = SampleBlock(1);
  AddFileEntry("/data/a.LUM", block);
  {
    const auto db = store::OpenRecordingsDatabase(Dir());
    store::Recordings recordings(*db);
    const int64_t id = recordings.Start("0A00000066");
    std::vector<PollSample> day;
    for (int64_t s = 0; s < 86400; ++s) {
      PollSample poll;
      poll.timeMs = kStartMs + s * kSecond;
      poll.raw = {s, 25, 12000 + s % 1000, 1800, 12000, s == 50000 ? 9000 : 1000};  // one current peak
      day.push_back(poll);
    }
    recordings.Add(id, day);
  }
  TFormChart& chart = OpenChart();
  chart.resize(900, 500);
  Ui::TFormChart& c = chart.ui();
  ASSERT_EQ(c.cbbSource->count(), 2);
  c.cbbSource->setCurrentIndex(1);
  emit c.cbbSource->activated(1);

  EXPECT_FALSE(chart.ShowingLive());
  ASSERT_EQ(chart.Samples().size(), 86400u);
  EXPECT_EQ(chart.ViewStartMs(), kStartMs);
  EXPECT_EQ(chart.ViewEndMs(), kStartMs + 86399 * kSecond);
  QLineSeries& current = chart.Series(ValueId::Load1Current);
  const int columns = static_cast<int>(chart.Chart().plotArea().width());
  EXPECT_LE(current.count(), 2 * std::max(columns, 100) + 2);
  double peak = 0;
  for (const QPointF& p : current.points()) peak = std::max(peak, p.y());
  EXPECT_DOUBLE_EQ(peak, 9.0);  // the one peak survives the reduction

  // A new live poll does not move the recording's view.
  Feed(kStartMs + 2 * 86400 * kSecond, 12000);
  EXPECT_EQ(chart.ViewEndMs(), kStartMs + 86399 * kSecond);
  c.btnZoomIn->click();
  c.sbTime->setValue(c.sbTime->minimum());
  EXPECT_EQ(chart.ViewStartMs(), kStartMs);
  EXPECT_LT(chart.ViewEndMs(), kStartMs + 86399 * kSecond);

  // Back to the live data: following its newest poll for the last ten minutes.
  c.cbbSource->setCurrentIndex(0);
  emit c.cbbSource->activated(0);
  EXPECT_TRUE(chart.ShowingLive());
  EXPECT_EQ(chart.SpanMs(), 10 * kMinute);
  EXPECT_EQ(chart.ViewEndMs(), kStartMs + 2 * 86400 * kSecond);
}

// Polls that brought nothing leave a gap in every line instead of a line drawn across it.
TEST_F(ChartWindowTest, UnansweredPollsBreakTheLines) {
  Create();
  TFormChart& chart = OpenChart();
  Feed(kStartMs, 12500);
  Feed(kStartMs + kSecond, 12400);
  Window().Feed().EndPoll(kStartMs + 2 * kSecond);
  Window().Feed().EndPoll(kStartMs + 3 * kSecond);
  Feed(kStartMs + 4 * kSecond, 12300);
  Feed(kStartMs + 5 * kSecond, 12200);

  const QList<QPointF> first = chart.Series(ValueId::BatteryVoltage).points();
  ASSERT_EQ(first.size(), 2);
  EXPECT_EQ(first.back().x(), static_cast<double>(kStartMs + kSecond));
  const std::vector<QLineSeries*> parts = chart.LineParts(ValueId::BatteryVoltage);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[1]->points().front().x(), static_cast<double>(kStartMs + 4 * kSecond));
  EXPECT_EQ(parts[1]->pen().color(), parts[0]->pen().color());
  // The legend still names each measured line once, as it is laid out.
  QApplication::processEvents();
  int named = 0;
  for (QLegendMarker* marker : chart.Chart().legend()->markers())
    named += marker->isVisible() && marker->label() == Window().Message(msg::kBatteryVoltageLine) ? 1 : 0;
  EXPECT_EQ(named, 1);
  // The view follows the newest poll, answered or not.
  Window().Feed().EndPoll(kStartMs + 6 * kSecond);
  EXPECT_EQ(chart.ViewEndMs(), kStartMs + 6 * kSecond);
}

// A recording keeps only the polls that were answered: where the controller was silent for a
// while, the recorded lines break as the live ones did.
TEST_F(ChartWindowTest, ARecordingBreaksItsLinesWhereThePollsStopped) {
  Create();
  {
    const auto db = store::OpenRecordingsDatabase(Dir());
    store::Recordings recordings(*db);
    const int64_t id = recordings.Start("0A00000067");
    std::vector<PollSample> polls;
    for (const int64_t s : {0, 1, 2, 25, 26, 27}) {
      PollSample poll;
      poll.timeMs = kStartMs + s * kSecond;
      poll.raw = {s, 25, 12500, 1800, 12000, 1000};
      polls.push_back(poll);
    }
    recordings.Add(id, polls);
  }
  TFormChart& chart = OpenChart();
  Ui::TFormChart& c = chart.ui();
  ASSERT_EQ(c.cbbSource->count(), 2);
  c.cbbSource->setCurrentIndex(1);
  emit c.cbbSource->activated(1);
  const std::vector<QLineSeries*> parts = chart.LineParts(ValueId::BatteryVoltage);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0]->points().back().x(), static_cast<double>(kStartMs + 2 * kSecond));
  EXPECT_EQ(parts[1]->points().front().x(), static_cast<double>(kStartMs + 25 * kSecond));
}

TEST_F(ChartWindowTest, TheShownEntrysThresholdsAreDashedLinesNamedByTheirFields) {
  Create();
  FillTypeLists();
  TCONFIG_BLOCK block = SampleBlock(1);
  block.SetBattUVR(0);  // not set: no line
  AddFileEntry("/data/a.LUM", block);
  SelectNode("a.LUM");
  TFormChart& chart = OpenChart();
  Feed(kStartMs, 12500);

  std::map<QString, double> lines;
  for (QLineSeries* line : chart.ThresholdLines()) {
    ASSERT_EQ(line->count(), 2);
    EXPECT_EQ(line->at(0).y(), line->at(1).y());
    EXPECT_EQ(line->pen().style(), Qt::DashLine);
    EXPECT_EQ(AxisTitle(*line), "V");
    lines[line->name()] = line->at(0).y();
  }
  EXPECT_EQ(lines, (std::map<QString, double>{{"过充保护电压 14.60 V", 14.6},
                                              {"浮充转换电压 13.70 V", 13.7},
                                              {"过放保护电压 11.00 V", 11.0},
                                              {"光控点电压 6.20 V", 6.2}}));
}

TEST_F(ChartWindowTest, TheLegendNamesTheMeasuredLinesAndEachThresholdIsNamedOnItsLine) {
  Create();
  FillTypeLists();
  TCONFIG_BLOCK block = SampleBlock(1);
  block.SetBattFCV(block.BattOVP() - 100);  // 0.1 V apart: their names must not stack
  AddFileEntry("/data/a.LUM", block);
  SelectNode("a.LUM");
  TFormChart& chart = OpenChart();
  chart.resize(860, 520);
  Feed(kStartMs, 12500);
  QApplication::processEvents();

  QStringList legend;
  for (QLegendMarker* marker : chart.Chart().legend()->markers())
    if (marker->isVisible()) legend << marker->label();
  EXPECT_EQ(legend, (QStringList{"蓄电池电压", "太阳能电压", "负载电压", "负载电流", "温度"}));

  const std::vector<QLineSeries*> lines = chart.ThresholdLines();
  const std::vector<const QGraphicsSimpleTextItem*> names = chart.ThresholdLabels();
  ASSERT_EQ(names.size(), lines.size());
  ASSERT_EQ(names.size(), 5u);
  const QRectF plot = chart.Chart().plotArea();
  std::vector<QRectF> taken;
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i]->text(), lines[i]->name());
    const QRectF where = names[i]->sceneBoundingRect();
    EXPECT_TRUE(plot.contains(where)) << lines[i]->name().toStdString();
    // Right above or below its own line.
    const double lineY = chart.Chart().mapToPosition(lines[i]->at(0), lines[i]).y();
    EXPECT_LT(std::min(std::abs(where.bottom() - lineY), std::abs(where.top() - lineY)), 3)
        << lines[i]->name().toStdString();
    for (const QRectF& other : taken) EXPECT_FALSE(where.intersects(other)) << lines[i]->name().toStdString();
    taken.push_back(where);
  }
}

TEST_F(ChartWindowTest, TheLastTenMinutesFollowTheNewestPollUntilPausedZoomAndPanMoveTheView) {
  Create();
  TFormChart& chart = OpenChart();
  for (int64_t s = 0; s <= 30 * 60; ++s) Feed(kStartMs + s * kSecond, 12000 + s % 7);
  const int64_t newest = kStartMs + 30 * kMinute;
  EXPECT_EQ(chart.ViewEndMs(), newest);
  EXPECT_EQ(chart.SpanMs(), 10 * kMinute);
  const QLineSeries& battery = chart.Series(ValueId::BatteryVoltage);
  EXPECT_LE(battery.at(1).x(), static_cast<double>(newest - 10 * kMinute + kSecond));  // the line starts at the edge
  EXPECT_EQ(battery.points().back().x(), static_cast<double>(newest));

  Ui::TFormChart& c = chart.ui();
  c.btnZoomIn->click();
  EXPECT_EQ(chart.SpanMs(), 5 * kMinute);
  EXPECT_EQ(chart.ViewEndMs(), newest);
  c.btnZoomOut->click();
  c.btnZoomOut->click();
  EXPECT_EQ(chart.SpanMs(), 20 * kMinute);
  EXPECT_EQ(c.cbbSpan->currentText(), "");  // between the presets
  c.cbbSpan->setCurrentIndex(c.cbbSpan->findText("0:10"));
  emit c.cbbSpan->activated(c.cbbSpan->currentIndex());
  EXPECT_EQ(chart.SpanMs(), 10 * kMinute);

  c.btnPause->click();
  Feed(newest + kSecond, 12000);
  EXPECT_EQ(chart.ViewEndMs(), newest);  // paused: the view stays
  c.sbTime->setValue(c.sbTime->minimum());
  EXPECT_EQ(chart.ViewStartMs(), kStartMs);  // panned to the first poll
  c.btnPause->click();
  EXPECT_EQ(chart.ViewEndMs(), newest + kSecond);  // following again
  Feed(newest + 2 * kSecond, 12000);
  EXPECT_EQ(chart.ViewEndMs(), newest + 2 * kSecond);
}

// A steady temperature is read in whole degrees, not on an axis of hundredths; the time axis
// is read on whole steps of the clock.
TEST_F(ChartWindowTest, AxesAreLabelledOnRoundValuesAndWholeTimes) {
  Create();
  TFormChart& chart = OpenChart();
  const int64_t start = kStartMs + 5 * 60 * kMinute + 59 * kMinute + 13 * kSecond;  // 05:59:13 UTC
  for (int64_t s = 0; s <= 120; ++s) {
    Window().Feed().Add(MakeMeasurement(ValueId::Temperature, 25));
    Feed(start + s * kSecond, 12000);
  }
  ASSERT_EQ(LastY(chart.Series(ValueId::Temperature)), 25);
  for (QAbstractAxis* axis : chart.Series(ValueId::Temperature).attachedAxes()) {
    if (auto* values = qobject_cast<QValueAxis*>(axis)) {
      EXPECT_EQ(values->labelFormat(), QStringLiteral("%.0f"));
      EXPECT_LE(values->min(), 25);
      EXPECT_GE(values->max(), 25);
    }
    if (auto* times = qobject_cast<QDateTimeAxis*>(axis)) {
      const qint64 first = times->min().toMSecsSinceEpoch();
      const qint64 step = (times->max().toMSecsSinceEpoch() - first) / (times->tickCount() - 1);
      const qint64 offset = qint64{times->min().offsetFromUtc()} * kSecond;
      EXPECT_EQ((first + offset) % kMinute, 0) << times->min().toString().toStdString();
      EXPECT_EQ(step % kMinute, 0);
      EXPECT_LE(first, chart.ViewStartMs());
    }
  }
}

TEST_F(ChartWindowTest, ExportsThePictureAndThePollsInView) {
  Create();
  TFormChart& chart = OpenChart();
  for (int64_t s = 0; s < 15 * 60; ++s) Feed(kStartMs + s * kSecond, 12000 + s);

  const QString png = QString::fromStdString(Dir() + "/chart.png");
  dialogs_.AnswerFileName(png);
  chart.ui().btnExportPng->click();
  const QImage image(png);
  EXPECT_EQ(image.size(), chart.View().size());

  const QString csv = QString::fromStdString(Dir() + "/chart.csv");
  dialogs_.AnswerFileName(csv);
  chart.ui().btnExportCsv->click();
  QFile file(csv);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QStringList rows = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(rows.size(), 1 + 10 * 60 + 1);  // header, then the polls from the view's start to its end
  EXPECT_EQ(rows[0].toStdString(), PollCsvHeader());
  EXPECT_EQ(rows[1], ",2026-12-08T00:04:59.000Z,,,12.299,,,");
  EXPECT_EQ(rows.back(), ",2026-12-08T00:14:59.000Z,,,12.899,,,");
  EXPECT_TRUE(dialogs_.Errors().empty());
}

// An export to a place that cannot take it says so and names the file; nothing is made there.
TEST_F(ChartWindowTest, AnExportThatCannotBeWrittenIsToldWithItsFileName) {
  Create();
  TFormChart& chart = OpenChart();
  for (int64_t s = 0; s < 60; ++s) Feed(kStartMs + s * kSecond, 12000 + s);
  const std::string missing = Dir() + "/no such folder";
  dialogs_.AnswerFileName(QString::fromStdString(missing + "/chart.png"));
  chart.ui().btnExportPng->click();
  dialogs_.AnswerFileName(QString::fromStdString(missing + "/chart.csv"));
  chart.ui().btnExportCsv->click();
  ASSERT_EQ(dialogs_.Errors().size(), 2u);
  EXPECT_TRUE(dialogs_.Errors()[0].contains(QStringLiteral("chart.png"))) << dialogs_.Errors()[0].toStdString();
  EXPECT_TRUE(dialogs_.Errors()[1].contains(QStringLiteral("chart.csv"))) << dialogs_.Errors()[1].toStdString();
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_TRUE(chart.isVisible()) << "the chart stays open";
}

}  // namespace
}  // namespace lum::test
