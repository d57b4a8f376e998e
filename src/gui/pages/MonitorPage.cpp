#include "MonitorPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPlainTextEdit>

#include "ui_MonitorPage.h"

namespace lum {

MonitorPage::MonitorPage(QWidget* parent) : FormPage(parent), ui_(std::make_unique<Ui::MonitorPage>()) {
  ui_->setupUi(this);
}

MonitorPage::~MonitorPage() = default;

void MonitorPage::FollowMonitor(bool open) {
  ui_->grpAnalog->setEnabled(open);
  ui_->grpDigital->setEnabled(open);
}

void MonitorPage::ClearTrace() { ui_->Memo->clear(); }

bool MonitorPage::AsksForValues() const { return ui_->chkMonitor->isChecked(); }

bool MonitorPage::ShowsErrorDetails() const { return ui_->CheckBoxError->isChecked(); }

}  // namespace lum
