#include "RealTimePage.h"

#include <QLineEdit>
#include <QPushButton>

#include "FixedColours.h"
#include "PortList.h"
#include "ui_RealTimePage.h"

namespace lum {

RealTimePage::RealTimePage(QWidget* parent) : FormPage(parent), ui_(std::make_unique<Ui::RealTimePage>()) {
  ui_->setupUi(this);
  Ui::RealTimePage& u = *ui_;
  // The design's fixed colours come with fixed texts on them, readable under any theme.
  SetFixedPageColours(*u.Panel7, kPanelColour);
  // Their group stays disabled, yet the live values must stay readable.
  for (QLineEdit* edit : {u.lbledtRealTimer, u.lbledtRealBattV, u.lbledtRealSolarV, u.lbledtRealLoad1A})
    SetFixedFieldColours(*edit, kSkyBlue, kFixedText);
  u.cbbRealComPort->SetOpenHandler([this] { emit portListOpening(); });
  connect(u.btnRealPort, &QPushButton::clicked, this, &RealTimePage::portButtonClicked);
}

RealTimePage::~RealTimePage() = default;

void RealTimePage::ShowPorts(const std::vector<std::string>& names, const std::string& preferred) {
  ui_->cbbRealComPort->SetPorts(names, preferred);
  if (ui_->cbbRealComPort->count() > 0) ui_->btnRealPort->setEnabled(true);
}

void RealTimePage::ChoosePort(const std::string& name) {
  PortList& list = *ui_->cbbRealComPort;
  const int position = list.findText(QString::fromStdString(name));
  if (position >= 0 && list.isEnabled()) list.setCurrentIndex(position);
}

std::string RealTimePage::ChosenPort() const { return ui_->cbbRealComPort->currentText().toStdString(); }

void RealTimePage::ShowMonitorOpen(bool open) { ui_->cbbRealComPort->setEnabled(!open); }

void RealTimePage::SetPortButtonCaption(const QString& caption) { ui_->btnRealPort->setText(caption); }

}  // namespace lum
