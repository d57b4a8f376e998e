#include "SettingsPage.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui_SettingsPage.h"

namespace lum {

SettingsPage::SettingsPage(QWidget* parent) : FormPage(parent), ui_(std::make_unique<Ui::SettingsPage>()) {
  ui_->setupUi(this);
  connect(ui_->btnReadSetting, &QPushButton::clicked, this, [this] {
    Ui::SettingsPage& u = *ui_;
    for (QLineEdit* field : {u.lbledtPIDSet, u.lbledtModelSet, u.lbledtManuDateSet, u.lbledtInV}) field->clear();
    u.lblFuncSetHex->clear();
    emit readRequested();
  });
  connect(ui_->btnTest, &QPushButton::clicked, this, &SettingsPage::testRequested);
}

SettingsPage::~SettingsPage() = default;

void SettingsPage::FollowMonitor(bool open) {
  ui_->btnReadSetting->setEnabled(open);
  ui_->btnWriteSetting->setEnabled(open);
}

}  // namespace lum
