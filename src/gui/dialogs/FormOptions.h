#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TFormOptions;
}

namespace lum {

class TFormLUM;

/// Options → Options...: where the data go (data folder, records database), whether the live
/// monitor records its polls, and the port the live monitor offers first. Shown with what
/// LUM.INI holds; Ok checks and saves them there and the window takes them at once, Cancel
/// changes nothing.
class TFormOptions : public QDialog {
  Q_OBJECT

 public:
  explicit TFormOptions(TFormLUM& mainWindow);
  ~TFormOptions() override;

  Ui::TFormOptions& ui() { return *ui_; }
  /// Fills the dialog from LUM.INI.
  void ShowSettings();
  /// Ok: a data folder that cannot be made is refused with a message and the dialog stays.
  void accept() override;

 private:
  std::unique_ptr<Ui::TFormOptions> ui_;
  TFormLUM& main_;
};

}  // namespace lum
