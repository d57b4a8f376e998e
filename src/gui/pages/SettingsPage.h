#pragma once

namespace lum {

class TFormLUM;

/// The settings page: reading the controller's settings memory and the test read. Its "Write"
/// has no operation: nothing is connected to it.
class SettingsPage {
 public:
  explicit SettingsPage(TFormLUM& window) : window_(window) {}

  void ConnectHandlers();
  void btnReadSettingClick();
  void btnTestClick();

 private:
  TFormLUM& window_;
};

}  // namespace lum
