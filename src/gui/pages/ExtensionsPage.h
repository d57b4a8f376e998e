#pragma once

#include "data/ConfigBlock.h"
#include "data/PageRules.h"

namespace lum {

class TFormLUM;

/// The extensions page: the multipurpose interface (MI) and its mode, the IR receiver and the
/// controller's address.
class ExtensionsPage {
 public:
  explicit ExtensionsPage(TFormLUM& window) : window_(window) {}

  void ConnectHandlers();
  /// Shows the page's flags and the block's address.
  void Show(const TCONFIG_BLOCK& block, const PageFlags& flags);
  /// Stores the address into the block and the page's flags into `flags`.
  void Store(TCONFIG_BLOCK& block, PageFlags& flags) const;

  void chkMIClick();

 private:
  TFormLUM& window_;
};

}  // namespace lum
