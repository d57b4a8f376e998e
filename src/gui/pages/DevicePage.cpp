#include "DevicePage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "FormLUM.h"
#include "WindowNames.h"
#include "data/NumberFormats.h"
#include "data/TypeTables.h"
#include "language/DeviceText.h"
#include "ui_FormLUM.h"

namespace lum {

namespace {
QString ToQ(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

void DevicePage::ConnectHandlers() {
  // The list reacts to the user's choice only; showing an entry sets it without the handler.
  window_.Bind(window_.ui().cbbDeviceTypes, &QComboBox::activated, [this] { window_.cbbDeviceTypesChange(); });
}

void DevicePage::ListDeviceTypes() {
  QComboBox& list = *window_.ui().cbbDeviceTypes;
  list.clear();
  for (const TDEVICE_TYPES& type : DeviceTypes()) list.addItem(QString::fromUtf8(type.DefaultName));
  list.setCurrentIndex(-1);
}

void DevicePage::Show(const TDEVICE_CONFIG& entry) {
  Ui::TFormLUM& u = window_.ui();
  u.edtModel->setText(ToQ(DeviceText(entry.Model)));
  u.edtSerialNumber->setText(ToQ(FormatSerial(entry.SerialNumber)));
  u.edtFirmware->setText(ToQ(FormatFirmware(entry.FirmwareVersion, entry.FirmwareBuild)));
  u.edtDateOfManufacture->setText(ToQ(FormatBatch(entry.BatchCode)));
  u.cbbDeviceTypes->setCurrentIndex(LookupProductID(entry.Config.ProductID()));
}

int DevicePage::SelectedRow() const { return window_.ui().cbbDeviceTypes->currentIndex(); }

DeviceTypeNames DevicePage::ListedTypes() const {
  const QComboBox& list = *window_.ui().cbbDeviceTypes;
  DeviceTypeNames names;
  for (int i = 0; i < list.count(); ++i) names.push_back(list.itemText(i).toStdString());
  return names;
}

void DevicePage::ShowTypeInStatusBar() {
  const QComboBox& list = *window_.ui().cbbDeviceTypes;
  window_.StatusPanel(names::kDevicePanel).setText(list.currentIndex() >= 0 ? list.currentText() : QString());
}

}  // namespace lum
