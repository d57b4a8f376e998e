#include "ExtensionsPage.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QSpinBox>

#include "FixedColours.h"
#include "ui_ExtensionsPage.h"

namespace lum {

ExtensionsPage::ExtensionsPage(QWidget* parent) : FormPage(parent), ui_(std::make_unique<Ui::ExtensionsPage>()) {
  ui_->setupUi(this);
  // The design's fixed colours come with fixed texts on them, readable under any theme.
  SetFixedPageColours(*ui_->Panel6, kPanelColour);
  Ui::ExtensionsPage& u = *ui_;
  // The check box runs its behaviour on every change of state, by program or by click.
  connect(u.chkMI, &QCheckBox::toggled, this, [this] {
    EnableMiModes();
    emit modified();
  });
  for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{u.rbRainDetect, u.rbPIR, u.chkIRReceiver})
    connect(box, &QAbstractButton::toggled, this, &ExtensionsPage::modified);
  connect(u.seAddress, &QSpinBox::valueChanged, this, &ExtensionsPage::modified);
}

ExtensionsPage::~ExtensionsPage() = default;

void ExtensionsPage::Show(const TCONFIG_BLOCK& block, const PageFlags& flags) {
  Ui::ExtensionsPage& u = *ui_;
  u.chkMI->setChecked(flags.mi);
  // MI modes 2 and 3 are not the page's to show.
  if (flags.rainDetect) u.rbRainDetect->setChecked(true);
  if (flags.pir) u.rbPIR->setChecked(true);
  u.chkIRReceiver->setChecked(flags.irReceiver);
  u.seAddress->setValue(block.Address());
}

void ExtensionsPage::Store(TCONFIG_BLOCK& block, PageFlags& flags) const {
  const Ui::ExtensionsPage& u = *ui_;
  block.SetAddress(static_cast<uint8_t>(u.seAddress->value()));
  flags.mi = u.chkMI->isChecked();
  flags.rainDetect = u.rbRainDetect->isChecked();
  flags.pir = u.rbPIR->isChecked();
  flags.irReceiver = u.chkIRReceiver->isChecked();
}

void ExtensionsPage::EnableMiModes() {
  ui_->rbRainDetect->setEnabled(ui_->chkMI->isChecked());
  ui_->rbPIR->setEnabled(ui_->chkMI->isChecked());
}

}  // namespace lum
