#pragma once

#include <memory>

#include "FormPage.h"

namespace Ui {
class MonitorPage;
}

namespace lum {

/// The monitor page: every live value with its reference, the load test, the trace of the
/// exchanges and the choices of what the monitor asks and shows. It is never shown; its
/// fields are filled by name like those of the shown pages.
class MonitorPage : public FormPage {
  Q_OBJECT

 public:
  explicit MonitorPage(QWidget* parent = nullptr);
  ~MonitorPage() override;

  /// The live values' groups are usable while the monitor holds a port.
  void FollowMonitor(bool open);
  /// A newly opened port starts an empty trace.
  void ClearTrace();
  /// Whether the monitor's polls ask for the live values.
  bool AsksForValues() const;
  /// Whether failures are told with their details.
  bool ShowsErrorDetails() const;

 private:
  std::unique_ptr<Ui::MonitorPage> ui_;
};

}  // namespace lum
