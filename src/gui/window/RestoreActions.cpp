// File → Restore from backup: a controller's backups with their time and what writing each
// back would change; the chosen one is opened and written with the same change view.
#include <QAction>
#include <QString>

#include "BackupChoice.h"
#include "FormLUM.h"
#include "WriteReview.h"
#include "base/SafeFormat.h"
#include "data/Backups.h"
#include "data/ConfigFile.h"
#include "data/NumberFormats.h"
#include "language/MessageSlots.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {

// The controller whose backups are offered: the shown entry's when it came from a
// controller, otherwise the first controller read.
const TDEVICE_CONFIG* RestoredController(TFormLUM& window) {
  const TDEVICE_CONFIG* current = window.CurrentEntry();
  if (current != nullptr && current->FromDevice && current->AsRead) return current;
  for (const auto& entry : window.Entries().DeviceEntries())
    if (entry->FromDevice && entry->AsRead) return entry.get();
  return nullptr;
}

}  // namespace

void TFormLUM::ConnectRestoreActions() {
  Bind(ui_->actRestoreBackup, &QAction::triggered, [this] { actRestoreBackupExecute(); });
}

BackupChoices TFormLUM::RestoreChoices() {
  BackupChoices choices;
  choices.title = Message(msg::kRestoreTitle);
  choices.columns = {Message(msg::kBackupTime), Message(msg::kBackupChanges)};
  const TDEVICE_CONFIG* controller = RestoredController(*this);
  if (controller == nullptr) return choices;
  choices.controller = QString::fromStdString(FormatText(
      messages_.Text(msg::kBackupsOf), {controller->Name, controller->Model, FormatSerial(controller->SerialNumber)}));
  for (const BackupFile& file : ListBackups(data_dir_, FormatSerial(controller->SerialNumber))) {
    const ConfigFileResult backup = OpenConfigFile(file.path);
    if (backup.status != ConfigFileStatus::Ok) continue;  // not written by this program: not offered
    // The backup is written as the file entry it is opened as.
    TDEVICE_CONFIG opened;
    opened.Config = backup.block;
    choices.rows.push_back(
        {QString::fromStdString(FormatBackupTime(file.time)), file.path, WriteChangeList(*this, opened)});
  }
  return choices;
}

void TFormLUM::actRestoreBackupExecute() {
  // Opening the backup switches entries: pending edits are asked for first.
  if (ConfirmApply() == ApplyOutcome::Cancelled) return;
  const BackupChoices choices = RestoreChoices();
  if (choices.rows.empty()) {
    dialogs().ShowError(Message(msg::kNoBackups));
    return;
  }
  const std::optional<size_t> chosen = dialogs().ChooseBackup(choices);
  if (!chosen) return;
  OpenConfigFileAt(choices.rows[*chosen].path);
  actWriteToDeviceExecute();
}

}  // namespace lum
