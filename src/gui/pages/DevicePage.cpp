#include "DevicePage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "FixedColours.h"
#include "data/NumberFormats.h"
#include "data/TypeTables.h"
#include "language/DeviceText.h"
#include "ui_DevicePage.h"

namespace lum {

namespace {
QString ToQ(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

DevicePage::DevicePage(QWidget* parent) : FormPage(parent), ui_(std::make_unique<Ui::DevicePage>()) {
  ui_->setupUi(this);
  // The design's fixed colours come with fixed texts on them, readable under any theme.
  SetFixedPageColours(*ui_->Panel1, kPanelColour);
  // The list reacts to the user's choice only; showing an entry sets it without the signal.
  connect(ui_->cbbDeviceTypes, &QComboBox::activated, this, &DevicePage::typeTaken);
  connect(ui_->cbbDeviceTypes, &QComboBox::currentIndexChanged, this, &DevicePage::selectedTypeChanged);
}

DevicePage::~DevicePage() = default;

void DevicePage::ListDeviceTypes() {
  QComboBox& list = *ui_->cbbDeviceTypes;
  list.clear();
  for (const TDEVICE_TYPES& type : DeviceTypes()) list.addItem(QString::fromUtf8(type.DefaultName));
  list.setCurrentIndex(-1);
}

void DevicePage::Show(const TDEVICE_CONFIG& entry) {
  Ui::DevicePage& u = *ui_;
  u.edtModel->setText(ToQ(DeviceText(entry.Model)));
  u.edtSerialNumber->setText(ToQ(FormatSerial(entry.SerialNumber)));
  u.edtFirmware->setText(ToQ(FormatFirmware(entry.FirmwareVersion, entry.FirmwareBuild)));
  u.edtDateOfManufacture->setText(ToQ(FormatBatch(entry.BatchCode)));
  u.cbbDeviceTypes->setCurrentIndex(LookupProductID(entry.Config.ProductID()));
}

int DevicePage::SelectedRow() const { return ui_->cbbDeviceTypes->currentIndex(); }

QString DevicePage::SelectedTypeName() const {
  const QComboBox& list = *ui_->cbbDeviceTypes;
  return list.currentIndex() >= 0 ? list.currentText() : QString();
}

DeviceTypeNames DevicePage::ListedTypes() const {
  const QComboBox& list = *ui_->cbbDeviceTypes;
  DeviceTypeNames names;
  for (int i = 0; i < list.count(); ++i) names.push_back(list.itemText(i).toStdString());
  return names;
}

}  // namespace lum
