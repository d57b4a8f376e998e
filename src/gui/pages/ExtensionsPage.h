#pragma once

#include <memory>

#include "FormPage.h"
#include "data/ConfigBlock.h"
#include "data/PageRules.h"

namespace Ui {
class ExtensionsPage;
}

namespace lum {

/// The extensions page: the multipurpose interface (MI) and its mode, the IR receiver and the
/// controller's address. It tells the window of every edit by `modified`.
class ExtensionsPage : public FormPage {
  Q_OBJECT

 public:
  explicit ExtensionsPage(QWidget* parent = nullptr);
  ~ExtensionsPage() override;

  /// Shows the page's flags and the block's address.
  void Show(const TCONFIG_BLOCK& block, const PageFlags& flags);
  /// Stores the address into the block and the page's flags into `flags`.
  void Store(TCONFIG_BLOCK& block, PageFlags& flags) const;

 signals:
  /// The user changed a value the page shows.
  void modified();

 private:
  /// The MI's modes are chosen only while the MI is on.
  void EnableMiModes();

  std::unique_ptr<Ui::ExtensionsPage> ui_;
};

}  // namespace lum
