#include "FormLUM.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QScreen>
#include <QSplitter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "AutoScale.h"
#include "BatteryPage.h"
#include "DevicePage.h"
#include "FixedPitchFields.h"
#include "InputGuards.h"
#include "LoadPage.h"
#include "LumLog.h"
#include "StartLine.h"
#include "WindowNames.h"
#include "base/SafeFormat.h"
#include "base/TimeStamp.h"
#include "data/NewFileBlock.h"
#include "device/SettingsPorts.h"
#include "language/MessageSlots.h"
#include "language/Settings.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
constexpr int kTimerIntervalMs = 1000;

std::string CurrentDirectory() { return std::filesystem::current_path().string(); }

// Gives one part of a two-part splitter this size and the other the rest.
void SetSplitterPart(QSplitter& splitter, int part, int size) {
  const QList<int> sizes = splitter.sizes();
  const int total = sizes.at(0) + sizes.at(1);
  QList<int> parts{0, 0};
  parts[part] = std::min(size, total);
  parts[1 - part] = total - parts[part];
  splitter.setSizes(parts);
}
}  // namespace

TFormLUM::TFormLUM(const FormLUMOptions& options, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::TFormLUM>()),
      dialogs_(options.dialogs),
      work_dir_(options.workDir.empty() ? CurrentDirectory() : options.workDir),
      log_dir_(options.logDir.empty() ? work_dir_ : options.logDir),
      default_data_dir_(options.dataDir.empty() ? work_dir_ : options.dataDir),
      data_dir_(Settings(work_dir_).DataFolder(default_data_dir_)),
      default_language_file_(options.defaultLanguageFile.empty() ? Settings::kDefaultLanguageFile
                                                                 : options.defaultLanguageFile),
      executable_path_(options.executablePath.empty() ? QCoreApplication::applicationFilePath().toStdString()
                                                      : options.executablePath),
      observer_(*this),
      session_(std::make_unique<DeviceSession>(PortMap{}, observer_,
                                               options.clock != nullptr ? *options.clock : SystemClock())) {
  ApplyWindowFont();
  ui_->setupUi(this);
  TakeOutNeverShownPages();
  if (dialogs_ == nullptr) {
    own_dialogs_ = std::make_unique<QtDialogs>(this);
    dialogs_ = own_dialogs_.get();
  }
  ui_->tsPower->Attach(messages_, observer_, *dialogs_);
  ui_->tsLoad->Attach(messages_, observer_, *dialogs_);
  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer"));
  timer_->setInterval(kTimerIntervalMs);
  feed_ = new PollFeed(this);
  observer_.SetValueTap([this](const Measurement& value) { feed_->Add(value); });

  BuildToolBar();
  BuildStatusBar();
  NameMenuSeparators();
  BindActions();
  ApplyLook();
  ConnectPageHandlers();
  ConnectDeviceActions();
  ConnectFileActions();
  monitor_.ConnectHandlers();
  ConnectRestoreActions();
  ConnectBusActions();
  WheelOnlyWithFocus(*this);
  FlatButtonsShowFocus(*this);
  KeepHiddenPagesAway(*ui_->PageControl);
  FormCreate();
}

TFormLUM::~TFormLUM() {
  // The session's thread ends before the window it reports to goes away.
  session_.reset();
}

void TFormLUM::UseDataSettings() {
  data_dir_ = Settings(work_dir_).DataFolder(default_data_dir_);
  emit dataSettingsChanged();
}

QString TFormLUM::Message(int slot) const { return QString::fromStdString(messages_.Text(slot)); }

QString TFormLUM::FileFilter(int kindSlot, const char* patterns) const {
  return QStringLiteral("%1 (%2)").arg(Message(kindSlot), QString::fromLatin1(patterns));
}

void TFormLUM::RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& failure) {
    dialogs_->ShowError(QString::fromStdString(failure.what()));
  }
}

void TFormLUM::InitMainWindow() {
  resize(kStartWidth, kStartHeight);
  remembered_width_ = kStartWidth;
  // A larger window gives its room to the pages; the tree and the panel keep their sizes.
  ui_->splTree->setStretchFactor(1, 1);
  ui_->splInfo->setStretchFactor(0, 1);

  ui_->mmoInfo->clear();
  observer_.InfoLine(StartLine(ApplicationTitle(executable_path_), NowStamp()));

  Device().ListDeviceTypes();

  Load().SizeGrid();
  CreateNewFileEntry();

  messages_.FillBuiltIn();
  Load().WriteGridCaptions();

  ListPorts();
  ui_->PageControl->setCurrentWidget(ui_->tsBase);
}

void TFormLUM::CreateNewFileEntry() {
  auto entry = std::make_unique<TDEVICE_CONFIG>();
  entry->Config = NewFileBaseBlock();
  StorePages(entry->Config);
  entry->Kept = entry->Config;
  Entries().SetCurrentEntry(&Entries().AddFileEntry(std::move(entry)));
}

void TFormLUM::AddNewFileEntry() {
  auto entry = std::make_unique<TDEVICE_CONFIG>();
  entry->Config = NewFileStartBlock();
  entry->Kept = entry->Config;
  Entries().AddFileEntry(std::move(entry));
}

std::vector<std::string> TFormLUM::ListPorts() {
  std::vector<std::string> busErrors;
  ports_ = PortsFromSettings(Settings(work_dir_), busErrors);
  // A bus line that cannot be read leaves its port a single-controller port; say which, once.
  if (busErrors != bus_errors_told_)
    for (const std::string& error : busErrors) observer_.InfoLine(Settings::kFileName + std::string(" ") + error);
  bus_errors_told_ = busErrors;
  session_->SetPorts(ports_);
  std::vector<std::string> names;
  for (const auto& [name, path] : ports_.ListComPorts()) names.push_back(name);
  if (session_->MonitorOpen()) return names;
  monitor_.ShowPorts(names);
  return names;
}

void TFormLUM::FormCreate() {
  RunGuarded([this] {
    InitMainWindow();
    ui_->PageControl->setTabVisible(ui_->PageControl->indexOf(ui_->tsBlackBox), false);
    ui_->tsPower->DisableLightControl();
  });
}

void TFormLUM::FormShow() { RebuildEntryTree(); }

void TFormLUM::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_once_) return;
  shown_once_ = true;
  if (const QScreen* where = screen()) move(where->availableGeometry().center() - rect().center());
  // The splitters start where the tree and the panel stood; the user may move them.
  SetSplitterPart(*ui_->splTree, 0, kTreeWidth);
  SetSplitterPart(*ui_->splInfo, 1, kInfoHeight);
  RunGuarded([this] { FormShow(); });
}

void TFormLUM::actAboutLUMExecute() {
  if (about_dialog_) about_dialog_->exec();
}

void TFormLUM::actExitLUMExecute() { close(); }

void TFormLUM::actFirmwareUpgradeExecute() {
  if (upgrade_dialog_) upgrade_dialog_->exec();
}

void TFormLUM::FormResize() {
  if (width() < kStartWidth) resize(kStartWidth, height());
  if (height() < kStartHeight) resize(width(), kStartHeight);
  // Contents scaled for a wider window would not fit a narrower one: they follow it down.
  if (width() < remembered_width_ && width() >= kStartWidth) ScaleToWidth();
}

void TFormLUM::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void TFormLUM::actAutoScaleExecute() {
  if (width() >= kStartWidth) ScaleToWidth();
  // The cells move, so the in-place editor would no longer lie over its cell.
  Load().LeaveEditor();
  Load().SizeGrid();
}

// The status bar stays: it shows the node, the device type and the monitor's state.
void TFormLUM::ScaleToWidth() {
  fixed_pitch_fields_->ApplyToAll();  // scaled from their own font
  const double factor = static_cast<double>(width()) / remembered_width_;
  scale_ *= factor;
  ScaleContents(*ui_->pnlWindow, scale_);
  // Where the user put the splitters, grown or shrunk with the contents.
  SetSplitterPart(*ui_->splTree, 0, qRound(ui_->splTree->sizes().at(0) * factor));
  SetSplitterPart(*ui_->splInfo, 1, qRound(ui_->splInfo->sizes().at(1) * factor));
  remembered_width_ = width();
}

QStringList TFormLUM::InfoLines() const {
  QStringList lines;
  for (QTextBlock block = ui_->mmoInfo->document()->begin(); block.isValid(); block = block.next())
    lines << block.text();
  return lines;
}

void TFormLUM::FormClose() {
  if (log_written_) return;
  log_written_ = true;
  std::vector<std::string> lines;
  for (const QString& line : InfoLines()) lines.push_back(line.toStdString());
  // The window closes even when the log cannot be written; the user is told why.
  RunGuarded([&] { AppendRunToLog(log_dir_, lines); });
}

bool TFormLUM::MayClose() {
  bool mayClose = false;
  RunGuarded([this, &mayClose] {
    if (ConfirmApply() == ApplyOutcome::Cancelled) return;
    const QStringList unkept = UnkeptEntryNames();
    const std::string names = unkept.join(QStringLiteral(", ")).toStdString();
    mayClose = unkept.isEmpty() ||
               dialogs_->AskYesNo(Message(msg::kApplyTitle),
                                  QString::fromStdString(FormatText(messages_.Text(msg::kUnkeptChanges), {names})));
  });
  return mayClose;
}

void TFormLUM::EndWithoutQuestions() {
  ending_ = true;
  FormClose();
}

void TFormLUM::closeEvent(QCloseEvent* event) {
  if (!ending_ && !MayClose()) {
    event->ignore();
    return;
  }
  FormClose();
  QMainWindow::closeEvent(event);
}

}  // namespace lum
