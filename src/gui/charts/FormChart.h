#pragma once

#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/PollSample.h"

class QChart;
class QChartView;
class QDateTimeAxis;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QValueAxis;

namespace Ui {
class TFormChart;
}

namespace lum {

class TFormLUM;
class WindowRecorder;

/// The chart window (Tools menu): battery, solar and load voltage, load current and
/// temperature of the live monitor, or of a recording, against time, with the open entry's
/// thresholds as dashed lines, each named on the line itself (the legend names the measured
/// lines only). Volts on the left axis, amperes and °C on the right. The last 10 minutes
/// by default; zoom halves or doubles the span, the scroll bar pans, pause stops following
/// the newest poll. Lines are drawn from at most two points per pixel column (the lowest
/// and the highest), so a day of polls draws as fast as ten minutes. The chart is made when
/// first needed, not with the window.
class TFormChart : public QWidget {
  Q_OBJECT

 public:
  static constexpr int64_t kDefaultSpanMs = int64_t{10} * 60 * 1000;
  /// The live polls kept in memory; older ones drop out (the recordings keep them).
  static constexpr int64_t kLiveKeptMs = int64_t{24} * 60 * 60 * 1000;

  TFormChart(TFormLUM& mainWindow, WindowRecorder& recorder);
  ~TFormChart() override;

  Ui::TFormChart& ui() { return *ui_; }
  QChart& Chart();
  QChartView& View();
  /// The line of a polled value (its first part, which the legend names).
  QLineSeries& Series(ValueId id);
  /// The parts of a polled value's line that hold points: one unless polls went unanswered.
  std::vector<QLineSeries*> LineParts(ValueId id);
  /// The threshold lines shown (those of the entry's non-zero thresholds).
  std::vector<QLineSeries*> ThresholdLines();
  /// The names standing on the threshold lines shown, in the order of ThresholdLines.
  std::vector<const QGraphicsSimpleTextItem*> ThresholdLabels();
  /// The time range shown, milliseconds since the epoch.
  int64_t ViewStartMs() const { return end_ms_ - span_ms_; }
  int64_t ViewEndMs() const { return end_ms_; }
  int64_t SpanMs() const { return span_ms_; }
  bool ShowingLive() const { return showing_live_; }
  /// The polls of the source shown: the live monitor's or the recording's.
  const std::vector<PollSample>& Samples() const { return showing_live_ ? live_ : recorded_; }

  void actLiveChartExecute();
  /// A poll of the live monitor: kept, and drawn when the window is shown. A poll that
  /// brought nothing breaks the lines there.
  void AddLiveSample(const PollSample& sample);
  /// The live data, then the recordings of the database, newest last.
  void RefreshSources();
  /// The live source's name, the legend and the thresholds' names in the language now applied.
  void ShowLanguage();
  /// Shows the chosen source: the live data following the newest poll, or a whole recording.
  void cbbSourceChange();
  void cbbSpanChange();
  void btnPauseClick();
  void btnZoomInClick();
  void btnZoomOutClick();
  void sbTimeChange();
  void btnExportPngClick();
  void btnExportCsvClick();
  /// Lines, thresholds, axes and scroll bar from the samples and the view.
  void Redraw();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void EnsureChart();
  void BuildChart();
  void SetSpan(int64_t spanMs);
  void FollowNewest();
  void UpdateScrollBar();
  void UpdateThresholds();
  void PlaceThresholdLabels();
  /// A further part for the line of `id`, drawn like its first and left out of the legend.
  QLineSeries& AddLinePart(ValueId id);

  std::unique_ptr<Ui::TFormChart> ui_;
  TFormLUM& main_;
  WindowRecorder& recorder_;
  QChartView* view_ = nullptr;
  QDateTimeAxis* time_axis_ = nullptr;
  QValueAxis* volt_axis_ = nullptr;
  QValueAxis* ampere_axis_ = nullptr;
  QValueAxis* celsius_axis_ = nullptr;
  std::map<ValueId, QLineSeries*> series_;
  std::map<ValueId, std::vector<QLineSeries*>> further_parts_;  // made as gaps need them, kept for reuse
  struct ThresholdLine {
    QLineSeries* series;
    double volts;
    QGraphicsRectItem* box;  // a backdrop that keeps the name readable over the lines
    QGraphicsSimpleTextItem* name;
  };
  std::vector<ThresholdLine> thresholds_;

  std::vector<PollSample> live_;
  std::vector<PollSample> recorded_;
  std::string recorded_serial_;
  bool showing_live_ = true;
  bool paused_ = false;
  bool following_ = true;
  int64_t span_ms_ = kDefaultSpanMs;
  int64_t end_ms_ = 0;
  bool updating_scroll_ = false;
};

}  // namespace lum
