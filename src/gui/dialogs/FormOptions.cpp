#include "FormOptions.h"

#include <QAction>
#include <filesystem>
#include <system_error>

#include "FormLUM.h"
#include "RealTimePage.h"
#include "base/SafeFormat.h"
#include "language/MessageSlots.h"
#include "language/Settings.h"
#include "link/PortNames.h"
#include "store/RecordStore.h"
#include "ui_FormLUM.h"
#include "ui_FormOptions.h"

namespace lum {

namespace {
QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }
std::string Trimmed(const QLineEdit& edit) { return edit.text().trimmed().toStdString(); }
}  // namespace

TFormOptions::TFormOptions(TFormLUM& mainWindow)
    : QDialog(&mainWindow), ui_(std::make_unique<Ui::TFormOptions>()), main_(mainWindow) {
  ui_->setupUi(this);
  ui_->cbbMonitorPort->addItem(QString());  // none: the first port that opens
  for (int n = kFirstComPort; n <= kLastComPort; ++n) ui_->cbbMonitorPort->addItem(FromUtf8(ComName(n)));
  ui_->lbledtDatabase->setPlaceholderText(QString::fromLatin1(store::kDefaultDatabaseFile));
  connect(ui_->btnsOptions, &QDialogButtonBox::accepted, this, &TFormOptions::accept);
  connect(ui_->btnsOptions, &QDialogButtonBox::rejected, this, &TFormOptions::reject);
  main_.Bind(
      main_.ui().actOption, &QAction::triggered,
      [this] {
        ShowSettings();
        exec();
      },
      this);
}

TFormOptions::~TFormOptions() = default;

void TFormOptions::ShowSettings() {
  const Settings settings(main_.WorkDir());
  ui_->lbledtDataFolder->setText(FromUtf8(settings.DataFolderSetting()));
  // An empty field keeps the default folder, which the field shows greyed.
  ui_->lbledtDataFolder->setPlaceholderText(FromUtf8(main_.DefaultDataDir()));
  ui_->lbledtDatabase->setText(FromUtf8(settings.Database()));
  ui_->chkRecording->setChecked(settings.Recording());
  const int port = ui_->cbbMonitorPort->findText(FromUtf8(settings.MonitorPort()));
  ui_->cbbMonitorPort->setCurrentIndex(port >= 0 ? port : 0);
}

void TFormOptions::accept() {
  const std::string folder = Trimmed(*ui_->lbledtDataFolder);
  const Settings settings(main_.WorkDir());
  if (!folder.empty()) {
    const std::filesystem::path resolved = settings.BesideSettings(folder);
    std::error_code error;
    std::filesystem::create_directories(resolved, error);
    if (error || !std::filesystem::is_directory(resolved)) {
      const std::string why = error ? error.message() : "not a folder";
      main_.dialogs().ShowError(
          FromUtf8(FormatText(main_.Messages().Text(msg::kDataFolderRefused), {resolved.string() + ": " + why})));
      ui_->lbledtDataFolder->setFocus();
      return;
    }
  }
  main_.RunGuarded([&] {
    settings.SetDataFolder(folder);
    settings.SetDatabase(Trimmed(*ui_->lbledtDatabase));
    settings.SetRecording(ui_->chkRecording->isChecked());
    settings.SetMonitorPort(ui_->cbbMonitorPort->currentText().toStdString());
    main_.UseDataSettings();
    main_.ListPorts();
    main_.RealTime().ChoosePort(ui_->cbbMonitorPort->currentText().toStdString());
    QDialog::accept();
  });
}

}  // namespace lum
