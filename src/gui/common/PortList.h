#pragma once

#include <QComboBox>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lum {

/// A drop-down list of serial port names that lists the ports again each time it is opened,
/// so that a port plugged in after start-up can be chosen.
class PortList : public QComboBox {
 public:
  using QComboBox::QComboBox;
  /// Runs just before the list opens; it refills the list (SetPorts).
  void SetOpenHandler(std::function<void()> handler) { open_handler_ = std::move(handler); }
  /// Lists these port names, keeping the chosen one chosen while it is still listed; else
  /// `preferred` when listed; else the first.
  void SetPorts(const std::vector<std::string>& names, const std::string& preferred = {});
  void showPopup() override;

 private:
  std::function<void()> open_handler_;
};

}  // namespace lum
