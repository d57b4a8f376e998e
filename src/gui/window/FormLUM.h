#pragma once

#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "MonitorControl.h"
#include "PollFeed.h"
#include "WindowLinkObserver.h"
#include "base/Clock.h"
#include "data/ConfigFields.h"
#include "data/DeviceConfig.h"
#include "device/DeviceSession.h"
#include "language/MessageTable.h"
#include "link/PortNames.h"
#include "link/SerialPort.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPoint;
class QTimer;
class QTreeWidgetItem;

namespace Ui {
class TFormLUM;
}

namespace lum {

class BatteryPage;
class DevicePage;
class LoadPage;
class RealTimePage;
class FixedPitchFields;

/// A controller's node in the device tree: "COM3 #5,LS-2420D" (port, bus address, model).
std::string DeviceNodeText(const TDEVICE_CONFIG& entry);

/// What the user made of the apply question: the operation that asked goes on, or, on Cancel,
/// is abandoned silently.
enum class ApplyOutcome { Proceed, Cancelled };

/// What the main window takes from its surroundings; tests replace all of it.
struct FormLUMOptions {
  /// Where LUM.INI and the language files are; empty: the process's current directory.
  std::string workDir;
  /// Where LUM.LOG is; empty: workDir.
  std::string logDir;
  /// Where backups and the records database are while LUM.INI names no data folder; empty:
  /// workDir.
  std::string dataDir;
  /// The language file used while LUM.INI remembers none; empty: the built-in default.
  std::string defaultLanguageFile;
  /// Gives the application title; empty: the running executable.
  std::string executablePath;
  /// Null: real message boxes and file dialogs.
  Dialogs* dialogs = nullptr;
  /// Null: the system clock.
  Clock* clock = nullptr;
};

/// The main window: tool bar, device tree, editor pages, information panel, status bar.
/// It holds the message table and a device session, which owns the entry lists, the link and
/// the live-monitor port and runs the device operations on its own thread; the window asks it
/// for operations and shows what it reports. The device operations, the files and the
/// language are wired to it from their own files.
class TFormLUM : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kStartWidth = 640;
  static constexpr int kStartHeight = 544;
  static constexpr int kTreeWidth = 161;   // the device tree at start
  static constexpr int kInfoHeight = 118;  // the information panel at start

  explicit TFormLUM(const FormLUMOptions& options = {}, QWidget* parent = nullptr);
  ~TFormLUM() override;

  // --- The form and the state that the window's operations share.
  Ui::TFormLUM& ui() { return *ui_; }
  QTimer& Timer() { return *timer_; }
  QLabel& StatusPanel(int index) const;
  /// The label attached to a labelled edit (its caption), or null.
  QLabel* EditLabel(const QLineEdit* edit) const;

  EntryStore& Entries() { return session_->Entries(); }
  TDEVICE_CONFIG* CurrentEntry() const { return session_->Entries().CurrentEntry(); }
  MessageTable& Messages() { return messages_; }
  QString Message(int slot) const;
  /// A file dialog's filter in the language in use: the message naming the kind of file, then
  /// its patterns ("*.LUM *.lum").
  QString FileFilter(int kindSlot, const char* patterns) const;
  WindowLinkObserver& Observer() { return observer_; }
  /// The live monitor's polls, for the chart and the recordings.
  PollFeed& Feed() { return *feed_; }
  Dialogs& dialogs() { return *dialogs_; }
  const PortMap& Ports() const { return ports_; }
  /// Reads the port mapping again and lists the openable ports into the real-time page's list
  /// (left alone while the live monitor holds its port); returns the names listed.
  std::vector<std::string> ListPorts();
  /// The device session: entry lists, link, live-monitor port and the device operations.
  DeviceSession& Session() { return *session_; }
  /// The session with the window's current texts, device type names and error-details
  /// choice, ready for an operation to be asked for.
  DeviceSession& PreparedSession();
  RealTimePage& RealTime();
  MonitorControl& Monitor() { return monitor_; }
  DevicePage& Device();
  BatteryPage& Battery();
  LoadPage& Load();
  const std::string& WorkDir() const { return work_dir_; }
  const std::string& LogDir() const { return log_dir_; }
  /// The data folder: LUM.INI's, else the default one.
  const std::string& DataDir() const { return data_dir_; }
  const std::string& DefaultDataDir() const { return default_data_dir_; }
  /// Takes the data settings of LUM.INI again, after the options changed them.
  void UseDataSettings();
  const std::string& DefaultLanguageFile() const { return default_language_file_; }
  int RememberedWidth() const { return remembered_width_; }

  /// Windows built elsewhere that actions show modally.
  void SetUpgradeDialog(QDialog* dialog) { upgrade_dialog_ = dialog; }
  void SetAboutDialog(QDialog* dialog) { about_dialog_ = dialog; }

  /// Runs a handler; a failure it raises ends it and is shown in an error box with its text.
  void RunGuarded(const std::function<void()>& handler);
  /// Runs `handler` guarded whenever `sender` emits `signal`, for as long as `context` lives
  /// (this window when none is given).
  template <typename Sender, typename Signal, typename Handler>
  void Bind(Sender* sender, Signal signal, Handler handler, QObject* context = nullptr) {
    connect(sender, signal, context != nullptr ? context : this, [this, handler] { RunGuarded(handler); });
  }

  // --- Start-up.
  void InitMainWindow();
  void FormCreate();
  void FormShow();

  // --- Record and editor pages. Storing throws ConversionError at the first field that is
  // not a number; fields stored before it keep their new values.
  void ShowEntry();
  /// The pages of an entry whose product code has no device type: empty and disabled until a
  /// device type is chosen; storing them leaves a block as it is.
  void ShowNoDeviceType();
  /// Decodes a block into the pages under the device type selected in cbbDeviceTypes.
  void ShowPages(const TCONFIG_BLOCK& block);
  void ApplyCapabilities();
  void StorePages(TCONFIG_BLOCK& block);
  /// Asks to apply pending edits. Yes stores them; No shows the stored values again, so that
  /// what the pages show is what the entry holds; Cancel changes nothing and says so.
  [[nodiscard]] ApplyOutcome ConfirmApply();

  // --- Editor page behaviour.
  void MarkModified();
  /// Rebuilds the tree and selects the node of `select`, or the first node when it has none.
  void RebuildEntryTree(const TDEVICE_CONFIG* select = nullptr);
  /// Texts that depend on what the pages show: the delay unit's caption, the grid's row-5
  /// caption for the work mode shown, the output choices and the device type in the status
  /// bar. Run after every change of those and after a language switch.
  void RefreshShownTexts();
  /// The status bar's device panel names the device type selected, or is empty.
  void ShowDeviceTypeInStatusBar();

  void tvDevicesChange(QTreeWidgetItem* node);
  void cbbDeviceTypesChange();

  // --- Device operations (DeviceActions.cpp).
  void actConnectDeviceExecute();
  void actWriteToDeviceExecute();
  /// The change view, then the write when it is confirmed.
  void ReviewAndWrite();
  /// File → Restore from backup: the backups of the shown (or first read) controller.
  void actRestoreBackupExecute();
  BackupChoices RestoreChoices();

  // --- Buses and bus addresses (BusActions.cpp).
  /// The device tree's menu at `pos` (the tree's viewport): the bus dialog and the
  /// assign-address dialog, offering first the port and controller of the node there.
  void tvDevicesContextMenu(const QPoint& pos);
  QMenu& TreeMenu() { return *tree_menu_; }
  /// Asks for a port and its bus addresses, keeps them in LUM.INI and scans.
  void actBusLookExecute();
  /// Asks for a controller and its new address and gives it, verified, on the session's thread.
  void actAssignAddressExecute();

  // --- Configuration files (FileActions.cpp).
  void actOpenConfigFileExecute();
  void actSaveConfigToFileExecute();
  /// Opens a configuration file as a new entry and selects it; a failure is told in the
  /// information panel.
  void OpenConfigFileAt(const std::string& path);

  // --- Simple actions and window size.
  void actAboutLUMExecute();
  void actExitLUMExecute();
  void actFirmwareUpgradeExecute();
  void actHelpOnHelpExecute() {}
  void actAutoScaleExecute();
  /// Scales the contents by the width against the width they were last scaled for.
  void ScaleToWidth();
  void FormResize();
  /// Appends the information panel to LUM.LOG, once per run.
  void FormClose();
  /// Edits not yet applied are asked about (Cancel keeps the window), then entries whose
  /// changes were neither saved nor written; false when the user keeps the window.
  bool MayClose();
  /// Ends the run as a termination signal does: the log is written, nothing is asked, and a
  /// later close of the window asks nothing either.
  void EndWithoutQuestions();

 signals:
  /// A language file was applied: windows showing texts made from the messages make them again.
  void LanguageApplied();

 signals:
  /// The data folder, the records database or recording were changed in the options.
  void dataSettingsChanged();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Set-up of the parts of the window that the form file cannot express (WindowSetup.cpp).
  void BuildToolBar();
  void BuildStatusBar();
  void NameMenuSeparators();
  void BindActions();
  void ApplyWindowFont();
  void TakeOutNeverShownPages();
  void ApplyLook();
  void ConnectPageHandlers();
  void ConnectDeviceActions();
  void ConnectFileActions();
  void ConnectRestoreActions();
  void ConnectBusActions();
  /// The bus addresses the last scan found garbled, in the status bar.
  void TellSharedAddresses();
  void TellAddressResult(int port, uint8_t from, uint8_t to, const std::string& name, AddressResult result);
  void CreateNewFileEntry();
  void RestoreTreeSelection();
  void AddNewFileEntry();
  QStringList InfoLines() const;
  /// The tree's names of the entries holding changes that were neither saved nor written.
  QStringList UnkeptEntryNames() const;
  bool MonitorKeepsWriteFromTarget(const TDEVICE_CONFIG& entry) const;
  /// The pages that show and store the entry's values (battery, load, extensions).
  std::array<QWidget*, 3> EditorPages() const;

  std::unique_ptr<Ui::TFormLUM> ui_;
  MonitorControl monitor_{*this};
  QTimer* timer_ = nullptr;
  PollFeed* feed_ = nullptr;
  std::unique_ptr<QtDialogs> own_dialogs_;
  Dialogs* dialogs_;
  std::string work_dir_;
  std::string log_dir_;
  std::string default_data_dir_;
  std::string data_dir_;
  std::string default_language_file_;
  std::string executable_path_;
  WindowLinkObserver observer_;
  MessageTable messages_;
  PortMap ports_;
  std::vector<std::string> bus_errors_told_;
  std::unique_ptr<DeviceSession> session_;
  QPointer<QDialog> upgrade_dialog_;
  QPointer<QDialog> about_dialog_;
  int remembered_width_ = kStartWidth;
  double scale_ = 1.0;
  FixedPitchFields* fixed_pitch_fields_ = nullptr;
  bool pages_empty_ = false;
  bool rebuilding_tree_ = false;
  std::map<const QTreeWidgetItem*, TDEVICE_CONFIG*> node_entries_;
  QMenu* tree_menu_ = nullptr;
  // The port and address of the node the tree's menu was opened on (port 0: none).
  int menu_port_ = 0;
  uint8_t menu_address_ = 0;
  bool shown_once_ = false;
  bool in_resize_ = false;
  bool log_written_ = false;
  bool ending_ = false;
};

}  // namespace lum
