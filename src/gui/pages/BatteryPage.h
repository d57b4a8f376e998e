#pragma once

#include <memory>

#include "FormPage.h"
#include "data/ConfigBlock.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"

class QLineEdit;

namespace Ui {
class BatteryPage;
}

namespace lum {

class Dialogs;
class LinkObserver;
class MessageTable;

/// The battery page: the battery type list and its four voltage fields, the light control
/// (voltage, delay and the delay's unit) and the temperature compensation and limit. It tells
/// the window of every edit by `modified`.
class BatteryPage : public FormPage {
  Q_OBJECT

 public:
  explicit BatteryPage(QWidget* parent = nullptr);
  ~BatteryPage() override;

  /// What storing needs beside the page: the texts of the language in use, where a value not
  /// taken is told and where a doubtful voltage is warned of. They outlive the page.
  void Attach(const MessageTable& messages, LinkObserver& observer, Dialogs& dialogs);

  /// Enables what the capabilities give; the battery type goes back to custom parameters.
  void ApplyCapabilities(const Capabilities& caps);
  /// The light control stays disabled until a device type gives it.
  void DisableLightControl();
  /// Shows the block's values, the page's flags and the battery type that matches them.
  void Show(const TCONFIG_BLOCK& block, const PageFlags& flags);
  /// The page's flag, as its check box says.
  void StoreFlags(PageFlags& flags) const;
  /// Stores what is enabled into the block. Throws ConversionError at the first text that is
  /// not a number; fields stored before it keep their new values.
  void Store(TCONFIG_BLOCK& block);

  /// The delay unit flag (0 or 1) that seSCDelay carries in its tag; 1 counts seconds.
  int DelayUnitFlag() const;
  /// The delay unit button names the unit the flag counts.
  void RefreshShownTexts();

  void cbbBatteryTypeChange();
  void btnSCDelayUnitClick();

 signals:
  /// The user changed a value the page shows.
  void modified();

 private:
  void ConnectHandlers();
  /// Selects the battery type whose presets are the block's voltages, else custom, and locks
  /// the voltage fields unless custom.
  void ShowMatchingType(const TCONFIG_BLOCK& block);
  /// A type's presets are fixed; custom parameters are typed by the user.
  void LockVoltages();
  /// Shows the chosen type's presets in the voltage fields and its SCV on the solar page.
  void ShowPresets();
  void SetDelayUnitFlag(int flag);
  QString Message(int slot) const;
  /// Warns of each battery voltage just stored that makes no sense for the battery type its
  /// voltages are nearest to.
  void WarnOfDoubtfulVoltages(const TCONFIG_BLOCK& before, const TCONFIG_BLOCK& after);

  std::unique_ptr<Ui::BatteryPage> ui_;
  const MessageTable* messages_ = nullptr;
  LinkObserver* observer_ = nullptr;
  Dialogs* dialogs_ = nullptr;
};

}  // namespace lum
