#include "BatteryPage.h"

#include <QGroupBox>
#include <QLineEdit>

#include "data/ConfigFields.h"
#include "data/PageRules.h"
#include "data/TypeTables.h"
#include "ui_FormLUM.h"

namespace lum {

void BatteryPage::ShowMatchingType(const TCONFIG_BLOCK& block) {
  ui_.cbbBatteryType->setCurrentIndex(MatchingBatteryType(block));
  LockVoltages();
}

void BatteryPage::LockVoltages() {
  Ui::TFormLUM& u = ui_;
  const bool custom = u.cbbBatteryType->currentIndex() == 0;
  // The group's own flag, whatever its parents' state.
  const bool group = !u.grpBatteryType->testAttribute(Qt::WA_ForceDisabled);
  for (QLineEdit* field : {u.lbledtBattOVP, u.lbledtBattFCV, u.lbledtBattUVP, u.lbledtBattUVR})
    field->setEnabled(custom && group);
}

void BatteryPage::ShowPresets() {
  Ui::TFormLUM& u = ui_;
  const int row = u.cbbBatteryType->currentIndex();
  if (row < 0 || row >= kBatteryTypeCount) return;
  const TBATTERY_TYPES& type = BatteryTypes()[static_cast<size_t>(row)];
  const auto show = [](QLineEdit* edit, const char* name, uint16_t value) {
    edit->setText(QString::fromStdString(FormatFieldNumber(*FindField(ConfigFields(), name), value)));
  };
  show(u.lbledtBattOVP, "BattOVP", type.OVP);
  show(u.lbledtBattFCV, "BattFCV", type.FCV);
  show(u.lbledtBattUVP, "BattUVP", type.UVP);
  show(u.lbledtBattUVR, "BattUVR", type.UVR);
  show(u.lbledtSCV, "SCV", type.SCV);
}

}  // namespace lum
