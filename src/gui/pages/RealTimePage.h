#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "FormPage.h"

namespace Ui {
class RealTimePage;
}

namespace lum {

/// The real-time page: the live values of the controller monitored and the monitor's port,
/// opened and closed by its button. The window's monitor does what the page asks for.
class RealTimePage : public FormPage {
  Q_OBJECT

 public:
  explicit RealTimePage(QWidget* parent = nullptr);
  ~RealTimePage() override;

  /// Lists the ports the monitor can open, keeping the chosen one, else `preferred`; the button
  /// is usable once one is listed.
  void ShowPorts(const std::vector<std::string>& names, const std::string& preferred);
  /// Chooses this port when it is listed and the list may be changed.
  void ChoosePort(const std::string& name);
  /// The port chosen in the list (COMn), empty for none.
  std::string ChosenPort() const;
  /// While the monitor holds a port, its list is locked.
  void ShowMonitorOpen(bool open);
  /// The button's caption names what it does next.
  void SetPortButtonCaption(const QString& caption);

 signals:
  /// The user pressed the port button.
  void portButtonClicked();
  /// The port list is about to open: the ports are listed again.
  void portListOpening();

 private:
  std::unique_ptr<Ui::RealTimePage> ui_;
};

}  // namespace lum
