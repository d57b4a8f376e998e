#pragma once

#include <QDialog>
#include <QTimer>
#include <map>
#include <memory>
#include <string>

#include "provision/Bench.h"
#include "provision/CommissioningReport.h"
#include "provision/Job.h"
#include "store/RecordStore.h"

class QLabel;
class QProgressBar;

namespace Ui {
class TFormProvisioning;
}

namespace lum {

class TFormLUM;

/// Tools → Provisioning: chooses a job, runs a bench on every mapped port (one row per port
/// with its unit, progress and result), counts the results and exports the records. It takes
/// the port mapping, the working directory and the dialogs from the main window, which opens
/// it modally from its Tools menu.
/// Closing is refused while the bench runs.
class TFormProvisioning : public QDialog {
  Q_OBJECT

 public:
  explicit TFormProvisioning(TFormLUM& mainWindow);
  ~TFormProvisioning() override;

  Ui::TFormProvisioning& ui() { return *ui_; }
  /// The bench runs (from Start until every port has ended after Stop or the count).
  bool Running() const { return bench_ != nullptr; }

  void btnOpenJobClick();
  void btnStartClick();
  void btnStopClick();
  void btnExportRecordsClick();
  void btnReportClick();
  void btnLabelsClick();
  /// Loads a job file and shows it; a bad file is told in an error box.
  void OpenJob(const std::string& path);

  void reject() override;

 private:
  /// The records of the job shown (every record without a job).
  std::vector<store::CommissioningRecord> JobRecords();
  ReportTexts ReportTextsShown() const;
  class Reports;
  struct PortRow {
    QLabel* port;
    QLabel* phase;
    QLabel* unit;
    QProgressBar* progress;
    QLabel* result;
  };

  void BuildRows(const std::vector<std::string>& ports);
  void ShowPort(const PortState& state);
  void ShowCounts();
  /// The bench stopped itself (a record it could not keep): it is ended like after Stop.
  void EndAfterFault();
  /// After Stop: once every port has ended, the bench is closed and the window is ready again;
  /// the units not recorded are listed.
  void FinishWhenEnded();
  void EnableControls();
  /// The caption of the counter of an outcome: the word that the result column shows.
  QString OutcomeCaption(store::Outcome outcome) const;
  /// What a port is doing, in the language in use.
  QString PhaseCaption(PortPhase phase) const;
  std::string Directory() const;

  std::unique_ptr<Ui::TFormProvisioning> ui_;
  TFormLUM& main_;
  std::unique_ptr<ProvisioningJob> job_;
  std::unique_ptr<store::RecordStore> records_;
  std::unique_ptr<Reports> reports_;
  std::unique_ptr<Bench> bench_;
  std::map<std::string, PortRow> rows_;
  QTimer ending_;  // looks whether every port has ended after Stop
  QTimer rate_;    // refreshes the per-hour counter while the bench runs
};

}  // namespace lum
