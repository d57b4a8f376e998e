#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "device/DeviceSession.h"
#include "upgrade/EffContent.h"
#include "upgrade/UpgradeMemo.h"

namespace Ui {
class TFormFirmwareUpgrade;
}

namespace lum {

class TFormLUM;

/// The upgrade window: picks a port, loads an upgrade file and runs the loader dialogue.
/// Created once after the main window and never destroyed, so the loaded file, the memo and
/// the fields stay from one opening to the next. It takes the port list, the message table,
/// the model names, the dialogs and its title from the main window. The dialogue runs on a
/// device session of its own, so the window stays responsive and the main window's session
/// goes on meanwhile.
class TFormFirmwareUpgrade : public QDialog, private UpgradeMemo {
  Q_OBJECT

 public:
  explicit TFormFirmwareUpgrade(TFormLUM& mainWindow);
  ~TFormFirmwareUpgrade() override;

  Ui::TFormFirmwareUpgrade& ui() { return *ui_; }
  const EffContent& Content() const { return *content_; }

  void FormCreate();
  void FormActivate();
  void btnOpenEffFileClick();
  void btnUpgradeClick();
  /// An upgrade was started and has not ended yet.
  bool Upgrading() const { return upgrading_; }

  /// Closing is refused while an upgrade runs: its steps still report into this window.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void ApplyLook();

  // UpgradeMemo: the memo, the three fields and the gauge.
  void SetText(const std::string& text) override;
  void AddLine(const std::string& text) override;
  void EndLine(const std::string& text) override;
  void SetFileName(const std::string& name) override;
  void SetFirmwareVersion(const std::string& text) override;
  void SetDescription(const std::string& text) override;
  void SetProgress(int percent) override;

  std::unique_ptr<Ui::TFormFirmwareUpgrade> ui_;
  TFormLUM& main_;
  std::unique_ptr<EffContent> content_;
  bool upgrading_ = false;
  std::unique_ptr<DeviceSession> session_;  // last: its thread ends before the rest goes away
};

}  // namespace lum
