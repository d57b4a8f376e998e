#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "NightsReport.h"

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QTableWidget;
class QThread;

namespace Ui {
class TFormNights;
}

namespace lum {

class NightStrip;
class PlanView;
class TFormLUM;
class WindowRecorder;

/// The nights of one controller found in the window's recordings (Tools menu): a calendar
/// strip of its nights, the chart of the night clicked, its alarms, and the energy plan of a
/// site with its programme. The analysis runs on a thread of its own; the main window's
/// status bar shows how many alarms it left open.
class TFormNights : public QWidget {
  Q_OBJECT

 public:
  TFormNights(TFormLUM& mainWindow, WindowRecorder& recorder);
  ~TFormNights() override;

  void actNightsExecute();
  /// Lists the controllers of the recordings, the one the main window shows first.
  void FindControllers();
  /// Analyses the chosen controller's nights; `analysed` tells when it is done and whether
  /// the nights could be read.
  void Analyse();
  bool Busy() const { return worker_ != nullptr; }
  /// Computes the plan from the typed site and capacity; false (and the reason shown) when
  /// a value is out of range.
  bool ComputePlan();

  QComboBox& Controllers();
  NightStrip& Strip();
  QTableWidget& Alarms();
  PlanView& Plan();
  QChart& NightChart();
  QLabel& StatusText();
  QLabel& PlanProblem();
  /// The label in the main window's status bar.
  QLabel& OpenAlarmsLabel() { return *open_alarms_; }
  const NightsReport& Report() const { return report_; }

 signals:
  void analysed(bool read);

 private:
  void ApplyTexts();
  void Show(NightsReport report);
  void Render();
  void ShowAlarms();
  void ShowNight(int index);
  QString Text(int slot) const;
  QString NightTip(const nights::Night& night) const;
  std::optional<double> TypedNumber(int field, double low, double high);

  std::unique_ptr<Ui::TFormNights> ui_;
  TFormLUM& main_;
  WindowRecorder& recorder_;
  QChartView* chart_view_ = nullptr;
  QLabel* open_alarms_ = nullptr;
  QThread* worker_ = nullptr;
  NightsReport report_;
  std::string shown_serial_;
  bool analysed_once_ = false;
  nights::NightRules rules_;
};

}  // namespace lum
