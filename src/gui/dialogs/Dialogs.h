#pragma once

#include <QString>
#include <optional>

#include "BackupChoice.h"
#include "BusDialogs.h"
#include "ChangeView.h"

class QWidget;

namespace lum {

/// The user's answer to a question that can also abandon what was going on.
enum class Answer { Yes, No, Cancel };

/// Every message box and file dialog of the windows goes through this, so that tests can
/// answer them without a person clicking.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  /// A modal Yes/No question with a question icon; true for Yes.
  virtual bool AskYesNo(const QString& title, const QString& text) = 0;
  /// A modal Yes/No/Cancel question with a question icon.
  virtual Answer AskYesNoCancel(const QString& title, const QString& text) = 0;
  /// A modal error box with the failure's own text.
  virtual void ShowError(const QString& text) = 0;
  /// A modal warning box: something was done that the user may not have meant.
  virtual void ShowWarning(const QString& text) = 0;
  /// A modal information box: something asked for was done and verified.
  virtual void ShowInformation(const QString& text) = 0;
  /// The open-file dialog; `filter` in Qt form ("LUM File (*.LUM)"); `defaultSuffix`, when
  /// given, is added to a name typed without one. nullopt when cancelled.
  virtual std::optional<QString> OpenFileName(const QString& filter, const QString& directory = {},
                                              const QString& defaultSuffix = {}) = 0;
  /// The save-file dialog; `defaultSuffix` is added to a name typed without one. `directory`
  /// may end with a file name, which the dialog offers.
  virtual std::optional<QString> SaveFileName(const QString& filter, const QString& defaultSuffix,
                                              const QString& directory = {}) = 0;
  /// The change view before a write: the list and Ok / Cancel; true for Ok.
  virtual bool ConfirmChanges(const ChangeList& changes) = 0;
  /// The restore list: the index of the backup chosen, or nullopt.
  virtual std::optional<size_t> ChooseBackup(const BackupChoices& choices) = 0;
  /// The bus dialog: a port and the addresses it is looked at on; nullopt when cancelled.
  virtual std::optional<BusAnswer> AskBus(const BusQuestion& question) = 0;
  /// The assign-address dialog: a controller and its new address; nullopt when cancelled.
  virtual std::optional<AddressAnswer> AskNewAddress(const AddressQuestion& question) = 0;
};

/// The real dialogs: QMessageBox and QFileDialog, modal to `parent`.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}
  bool AskYesNo(const QString& title, const QString& text) override;
  Answer AskYesNoCancel(const QString& title, const QString& text) override;
  void ShowError(const QString& text) override;
  void ShowWarning(const QString& text) override;
  void ShowInformation(const QString& text) override;
  std::optional<QString> OpenFileName(const QString& filter, const QString& directory,
                                      const QString& defaultSuffix) override;
  std::optional<QString> SaveFileName(const QString& filter, const QString& defaultSuffix,
                                      const QString& directory) override;
  bool ConfirmChanges(const ChangeList& changes) override { return ShowChangeDialog(parent_, changes); }
  std::optional<size_t> ChooseBackup(const BackupChoices& choices) override {
    return ShowBackupDialog(parent_, choices);
  }
  std::optional<BusAnswer> AskBus(const BusQuestion& question) override { return ShowBusDialog(parent_, question); }
  std::optional<AddressAnswer> AskNewAddress(const AddressQuestion& question) override {
    return ShowAddressDialog(parent_, question);
  }

 private:
  QWidget* parent_;
};

}  // namespace lum
