#include "FormProvisioning.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QSysInfo>
#include <optional>
#include <stdexcept>
#include <vector>

#include "FixedColours.h"
#include "FormLUM.h"
#include "InputGuards.h"
#include "base/AtomicFile.h"
#include "base/SafeFormat.h"
#include "language/MessageSlots.h"
#include "language/Settings.h"
#include "provision/JobError.h"
#include "provision/RecordExport.h"
#include "provision/ReportPdf.h"
#include "ui_FormLUM.h"
#include "ui_FormProvisioning.h"

namespace lum {

namespace {
using store::Outcome;

constexpr char kJobPatterns[] = "*.json *.JSON";
const QString kJobSuffix = QStringLiteral("json");
const QString kCsvFilter = QStringLiteral("CSV (*.csv *.CSV)");
const QString kCsvSuffix = QStringLiteral("csv");
const QString kPdfFilter = QStringLiteral("PDF (*.pdf *.PDF)");
const QString kPdfSuffix = QStringLiteral("pdf");
constexpr int kEndingLookMs = 100;
constexpr int kRateRefreshMs = 5000;
// Columns of a port row, under the header labels of the form's first row.
enum Column { kPortColumn, kPhaseColumn, kUnitColumn, kProgressColumn, kResultColumn };

// Results that need nothing more from the operator read green, those that need a look red,
// refusals and interruptions amber.
QColor OutcomeColour(Outcome outcome) {
  switch (outcome) {
    case Outcome::Done:
    case Outcome::AlreadyDone:
      return {160, 232, 160};
    case Outcome::Failed:
    case Outcome::Unreadable:
      return {255, 150, 150};
    case Outcome::Refused:
    case Outcome::Interrupted:
      return {255, 214, 120};
  }
  return {};
}

void Paint(QLabel& label, const std::optional<QColor>& background) {
  label.setAutoFillBackground(background.has_value());
  QPalette palette = label.palette();
  if (background) {
    palette.setColor(QPalette::Window, *background);
    palette.setColor(QPalette::WindowText, kFixedText);
  } else {
    palette = QPalette();
  }
  label.setPalette(palette);
}

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

// What the bench reports from its ports' threads, shown on the window's thread.
class TFormProvisioning::Reports : public BenchObserver {
 public:
  explicit Reports(TFormProvisioning& window) : window_(window) {}
  void PortChanged(const PortState& state) override {
    QMetaObject::invokeMethod(
        &window_, [w = &window_, state] { w->ShowPort(state); }, Qt::QueuedConnection);
  }
  void Recorded(const store::CommissioningRecord&) override {
    QMetaObject::invokeMethod(
        &window_, [w = &window_] { w->ShowCounts(); }, Qt::QueuedConnection);
  }
  void Faulted(const BenchFault&) override {
    QMetaObject::invokeMethod(
        &window_, [w = &window_] { w->EndAfterFault(); }, Qt::QueuedConnection);
  }

 private:
  TFormProvisioning& window_;
};

TFormProvisioning::TFormProvisioning(TFormLUM& mainWindow)
    : QDialog(&mainWindow),
      ui_(std::make_unique<Ui::TFormProvisioning>()),
      main_(mainWindow),
      reports_(std::make_unique<Reports>(*this)) {
  // A window does not inherit its parent's font; set before the form's widgets are made, so that
  // they are made with it rather than all changed after.
  setFont(main_.font());
  ui_->setupUi(this);
  WheelOnlyWithFocus(*this);
  Ui::TFormProvisioning& u = *ui_;
  // As lumctl provision: the host names the bench, the login the operator, until typed otherwise.
  u.lbledtBench->setText(QSysInfo::machineHostName());
  u.lbledtOperator->setText(qEnvironmentVariable("USER"));
  u.lbledtDatabase->setPlaceholderText(QStringLiteral("commissioning.db"));
  // Modal: while the bench owns the ports, no scan or monitor of the main window reaches for them.
  connect(main_.ui().actProvisioning, &QAction::triggered, this, [this] { exec(); });
  main_.Bind(
      u.btnOpenJob, &QPushButton::clicked, [this] { btnOpenJobClick(); }, this);
  main_.Bind(
      u.btnStart, &QPushButton::clicked, [this] { btnStartClick(); }, this);
  main_.Bind(
      u.btnStop, &QPushButton::clicked, [this] { btnStopClick(); }, this);
  main_.Bind(
      u.btnExportRecords, &QPushButton::clicked, [this] { btnExportRecordsClick(); }, this);
  main_.Bind(
      u.btnReport, &QPushButton::clicked, [this] { btnReportClick(); }, this);
  main_.Bind(
      u.btnLabels, &QPushButton::clicked, [this] { btnLabelsClick(); }, this);
  ending_.setInterval(kEndingLookMs);
  connect(&ending_, &QTimer::timeout, this, [this] { FinishWhenEnded(); });
  rate_.setInterval(kRateRefreshMs);
  connect(&rate_, &QTimer::timeout, this, [this] { ShowCounts(); });
  BuildRows({});  // the column captions at the top until a job names its ports
}

TFormProvisioning::~TFormProvisioning() {
  // The ports' threads end before the window they report to goes away.
  bench_.reset();
}

void TFormProvisioning::reject() {
  if (!Running()) QDialog::reject();
}

std::string TFormProvisioning::Directory() const { return main_.DataDir(); }

void TFormProvisioning::btnOpenJobClick() {
  const auto path = main_.dialogs().OpenFileName(main_.FileFilter(msg::kJobFileKind, kJobPatterns),
                                                 FromUtf8(main_.WorkDir()), kJobSuffix);
  if (path) OpenJob(QFileInfo(*path).absoluteFilePath().toStdString());
}

void TFormProvisioning::OpenJob(const std::string& path) {
  try {
    job_ = std::make_unique<ProvisioningJob>(LoadJob(path));
  } catch (const JobError& e) {
    job_.reset();
    ui_->lbledtJobFile->clear();
    ui_->lbledtJobName->clear();
    EnableControls();
    main_.dialogs().ShowError(FromUtf8(e.what()));
    return;
  }
  ui_->lbledtJobFile->setText(FromUtf8(path));
  ui_->lbledtJobName->setText(FromUtf8(job_->name));
  EnableControls();
}

void TFormProvisioning::EnableControls() {
  Ui::TFormProvisioning& u = *ui_;
  const bool idle = !Running();
  u.btnOpenJob->setEnabled(idle);
  u.btnStart->setEnabled(idle && job_ != nullptr);
  u.btnStop->setEnabled(!idle && !ending_.isActive());
  for (QWidget* setting :
       std::initializer_list<QWidget*>{u.lbledtDatabase, u.lbledtBench, u.lbledtOperator, u.chkForce})
    setting->setEnabled(idle);
}

void TFormProvisioning::btnStartClick() {
  if (!job_ || Running()) return;
  main_.ListPorts();  // the mapping as LUM.INI holds it now
  BenchSettings settings;
  settings.bench = ui_->lbledtBench->text().toStdString();
  settings.operatorName = ui_->lbledtOperator->text().toStdString();
  settings.force = ui_->chkForce->isChecked();
  records_ = store::OpenRecordStore(Directory(), ui_->lbledtDatabase->text().trimmed().toStdString());
  auto bench = std::make_unique<Bench>(*job_, *records_, main_.Ports(), settings, *reports_);
  if (bench->Ports().empty()) {
    records_.reset();
    throw std::runtime_error("No port is mapped: the bench has nothing to watch");
  }
  bench_ = std::move(bench);
  BuildRows(bench_->Ports());
  ShowCounts();
  bench_->Start();
  rate_.start();
  EnableControls();
}

void TFormProvisioning::btnStopClick() {
  if (!Running()) return;
  bench_->RequestStop();
  ending_.start();
  EnableControls();
}

void TFormProvisioning::EndAfterFault() {
  if (!Running() || ending_.isActive()) return;
  ending_.start();
  EnableControls();
}

void TFormProvisioning::FinishWhenEnded() {
  if (!bench_ || !bench_->Ended()) return;
  ending_.stop();
  rate_.stop();
  bench_->Stop();  // every port has ended: nothing to wait for but the records' last send
  ShowCounts();
  const std::vector<BenchFault> faults = bench_->Faults();
  bench_.reset();
  records_.reset();
  EnableControls();
  if (faults.empty()) return;
  QString text = main_.Message(msg::kBenchStopped);
  for (const BenchFault& fault : faults) text += QStringLiteral("\n") + FromUtf8(FaultText(fault));
  main_.dialogs().ShowError(text);
}

std::vector<store::CommissioningRecord> TFormProvisioning::JobRecords() {
  store::RecordFilter filter;
  if (job_) filter.job = job_->name;
  if (records_) return records_->Records(filter);
  return store::OpenRecordStore(Directory(), ui_->lbledtDatabase->text().trimmed().toStdString(),
                                store::RecordStore::Use::Reader)
      ->Records(filter);
}

void TFormProvisioning::btnExportRecordsClick() {
  const auto path = main_.dialogs().SaveFileName(kCsvFilter, kCsvSuffix, FromUtf8(main_.WorkDir()));
  if (path) WriteFileAtomically(path->toStdString(), RecordsCsv(JobRecords()));
}

// The report's texts in the window's language: its messages, and the type names of the
// language file LUM.INI remembers (the built-in ones when there is none).
ReportTexts TFormProvisioning::ReportTextsShown() const {
  const std::string remembered = Settings(main_.WorkDir()).LanguageFile(main_.DefaultLanguageFile());
  const QFileInfo file(QDir(FromUtf8(main_.WorkDir())).filePath(FromUtf8(remembered)));
  return ReportTextsFrom(main_.Messages(),
                         file.isFile() ? ProfileFile::Load(file.filePath().toStdString()) : ProfileFile());
}

void TFormProvisioning::btnReportClick() {
  const auto path = main_.dialogs().SaveFileName(kPdfFilter, kPdfSuffix, FromUtf8(main_.WorkDir()));
  if (!path) return;
  const ReportTexts texts = ReportTextsShown();
  const std::string printed = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
  WriteFileAtomically(path->toStdString(), ReportPdf(ReportLines(JobRecords(), texts), texts, printed));
}

void TFormProvisioning::btnLabelsClick() {
  const auto path = main_.dialogs().SaveFileName(kPdfFilter, kPdfSuffix, FromUtf8(main_.WorkDir()));
  if (!path) return;
  const ReportTexts texts = ReportTextsShown();
  WriteFileAtomically(path->toStdString(), LabelsPdf(ReportLines(JobRecords(), texts), texts));
}

void TFormProvisioning::BuildRows(const std::vector<std::string>& ports) {
  for (auto& [name, row] : rows_)
    for (QWidget* cell : std::initializer_list<QWidget*>{row.port, row.phase, row.unit, row.progress, row.result})
      delete cell;
  rows_.clear();
  auto* grid = qobject_cast<QGridLayout*>(ui_->pnlPorts->layout());
  int line = 1;  // under the header labels
  for (const std::string& port : ports) {
    QWidget* panel = ui_->pnlPorts;
    PortRow row{new QLabel(FromUtf8(port), panel), new QLabel(panel), new QLabel(panel), new QProgressBar(panel),
                new QLabel(panel)};
    row.progress->setRange(0, 100);
    row.progress->setValue(0);
    row.result->setMargin(2);
    // A long reason is cut at the window's edge (the tip holds all of it) instead of widening the rows.
    row.result->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid->addWidget(row.port, line, kPortColumn);
    grid->addWidget(row.phase, line, kPhaseColumn);
    grid->addWidget(row.unit, line, kUnitColumn);
    grid->addWidget(row.progress, line, kProgressColumn);
    grid->addWidget(row.result, line, kResultColumn);
    rows_[port] = row;
    ++line;
  }
  grid->setColumnStretch(kResultColumn, 1);
  // The space below the last row takes what is left, whichever list came before.
  for (int r = 0; r < grid->rowCount(); ++r) grid->setRowStretch(r, r == line ? 1 : 0);
  grid->setRowStretch(line, 1);
}

QString TFormProvisioning::OutcomeCaption(Outcome outcome) const {
  const Ui::TFormProvisioning& u = *ui_;
  switch (outcome) {
    case Outcome::Done:
      return u.lblDoneCaption->text();
    case Outcome::Failed:
      return u.lblFailedCaption->text();
    case Outcome::Refused:
      return u.lblRefusedCaption->text();
    case Outcome::Interrupted:
      return u.lblInterruptedCaption->text();
    case Outcome::AlreadyDone:
      return u.lblAlreadyDoneCaption->text();
    case Outcome::Unreadable:
      return u.lblUnreadableCaption->text();
  }
  return {};
}

QString TFormProvisioning::PhaseCaption(PortPhase phase) const {
  // The captions of hidden labels, so that the language files reach them.
  const Ui::TFormProvisioning& u = *ui_;
  switch (phase) {
    case PortPhase::Waiting:
      return u.lblPhaseWaiting->text();
    case PortPhase::Reading:
      return u.lblPhaseReading->text();
    case PortPhase::Upgrading:
      return u.lblPhaseUpgrading->text();
    case PortPhase::Writing:
      return u.lblPhaseWriting->text();
    case PortPhase::Verifying:
      return u.lblPhaseVerifying->text();
    case PortPhase::Unplug:
      return u.lblPhaseUnplug->text();
  }
  return {};
}

void TFormProvisioning::ShowPort(const PortState& state) {
  const auto found = rows_.find(state.port);
  if (found == rows_.end()) return;
  const PortRow& row = found->second;
  if (state.heldBy)
    row.phase->setText(
        FromUtf8(FormatText(main_.Messages().Text(msg::kHeldBy),
                            {state.heldBy->empty() ? main_.Messages().Text(msg::kAnotherProgram) : *state.heldBy})));
  else
    row.phase->setText(PhaseCaption(state.phase));
  row.unit->setText(FromUtf8(state.unit));
  row.progress->setValue(state.progress);
  if (!state.result) {
    row.result->clear();
    row.result->setToolTip({});
    Paint(*row.result, std::nullopt);
    return;
  }
  QString text = OutcomeCaption(*state.result);
  if (!state.reason.empty()) text += QStringLiteral(": ") + FromUtf8(state.reason);
  QString tip = FromUtf8(state.reason);
  const bool kept = state.recordError.empty();
  if (!kept) {
    const QString notRecorded = main_.Message(msg::kNotRecorded) + QStringLiteral(": ") + FromUtf8(state.recordError);
    text += QStringLiteral(", ") + notRecorded;
    tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + notRecorded;
  }
  row.result->setText(text);
  row.result->setToolTip(tip);
  // A unit without its record needs the operator whatever its result.
  Paint(*row.result, OutcomeColour(kept ? *state.result : Outcome::Failed));
}

void TFormProvisioning::ShowCounts() {
  if (!bench_) return;
  // Rows that wait for the server are shown always, with why it is away.
  const size_t spooled = records_->SpooledCount();
  ui_->lblSpooled->setNum(static_cast<int>(spooled));
  ui_->lblSpooled->setToolTip(spooled > 0 ? FromUtf8(records_->ServerProblem()) : QString());
  const BenchCounts counts = bench_->Counts();
  Ui::TFormProvisioning& u = *ui_;
  u.lblDone->setNum(counts.done);
  u.lblFailed->setNum(counts.failed);
  u.lblRefused->setNum(counts.refused);
  u.lblInterrupted->setNum(counts.interrupted);
  u.lblAlreadyDone->setNum(counts.alreadyDone);
  u.lblUnreadable->setNum(counts.unreadable);
  u.lblPerHour->setText(QString::number(counts.donePerHour, 'f', 0));
}

}  // namespace lum
