#include "SettingsPage.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "FormLUM.h"
#include "ui_FormLUM.h"

namespace lum {

void SettingsPage::ConnectHandlers() {
  Ui::TFormLUM& u = window_.ui();
  window_.Bind(u.btnReadSetting, &QPushButton::clicked, [this] { btnReadSettingClick(); });
  window_.Bind(u.btnTest, &QPushButton::clicked, [this] { btnTestClick(); });
}

void SettingsPage::btnReadSettingClick() {
  Ui::TFormLUM& u = window_.ui();
  for (QLineEdit* field : {u.lbledtPIDSet, u.lbledtModelSet, u.lbledtManuDateSet, u.lbledtInV}) field->clear();
  u.lblFuncSetHex->clear();
  window_.PreparedSession().ReadSettingsMemory();
}

void SettingsPage::btnTestClick() { window_.PreparedSession().TestMemoryRead(); }

}  // namespace lum
