#pragma once

#include <memory>

#include "FormPage.h"

namespace Ui {
class SettingsPage;
}

namespace lum {

/// The settings page: reading the controller's settings memory and the test read. Its "Write"
/// has no operation: nothing is connected to it. The page asks, the window's session reads.
class SettingsPage : public FormPage {
  Q_OBJECT

 public:
  explicit SettingsPage(QWidget* parent = nullptr);
  ~SettingsPage() override;

  /// Reading and writing the settings need the live monitor's port.
  void FollowMonitor(bool open);

 signals:
  /// The user asked to read the settings memory; the fields of the last reading are cleared.
  void readRequested();
  /// The user asked for the test read.
  void testRequested();

 private:
  std::unique_ptr<Ui::SettingsPage> ui_;
};

}  // namespace lum
