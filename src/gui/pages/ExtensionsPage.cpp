#include "ExtensionsPage.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QSpinBox>

#include "FormLUM.h"
#include "ui_FormLUM.h"

namespace lum {

void ExtensionsPage::ConnectHandlers() {
  Ui::TFormLUM& u = window_.ui();
  // The check box runs its behaviour on every change of state, by program or by click.
  window_.Bind(u.chkMI, &QCheckBox::toggled, [this] { chkMIClick(); });
  for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{u.rbRainDetect, u.rbPIR, u.chkIRReceiver})
    window_.Bind(box, &QAbstractButton::toggled, [this] { window_.MarkModified(); });
  window_.Bind(u.seAddress, &QSpinBox::valueChanged, [this] { window_.MarkModified(); });
}

void ExtensionsPage::Show(const TCONFIG_BLOCK& block, const PageFlags& flags) {
  Ui::TFormLUM& u = window_.ui();
  u.chkMI->setChecked(flags.mi);
  // MI modes 2 and 3 are not the page's to show.
  if (flags.rainDetect) u.rbRainDetect->setChecked(true);
  if (flags.pir) u.rbPIR->setChecked(true);
  u.chkIRReceiver->setChecked(flags.irReceiver);
  u.seAddress->setValue(block.Address());
}

void ExtensionsPage::Store(TCONFIG_BLOCK& block, PageFlags& flags) const {
  const Ui::TFormLUM& u = window_.ui();
  block.SetAddress(static_cast<uint8_t>(u.seAddress->value()));
  flags.mi = u.chkMI->isChecked();
  flags.rainDetect = u.rbRainDetect->isChecked();
  flags.pir = u.rbPIR->isChecked();
  flags.irReceiver = u.chkIRReceiver->isChecked();
}

void ExtensionsPage::chkMIClick() {
  window_.MarkModified();
  Ui::TFormLUM& u = window_.ui();
  u.rbRainDetect->setEnabled(u.chkMI->isChecked());
  u.rbPIR->setEnabled(u.chkMI->isChecked());
}

}  // namespace lum
