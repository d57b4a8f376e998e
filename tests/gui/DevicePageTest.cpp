// The device page on its own: an entry shown selects its device type and shows its identity
// in the right fields, and only the user's choice of a type is announced as one.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>

#include "DevicePage.h"
#include "FindControl.h"
#include "data/NumberFormats.h"
#include "data/TypeTables.h"

namespace lum::test {
namespace {

class DevicePageTest : public ::testing::Test {
 protected:
  void SetUp() override { page_.ListDeviceTypes(); }

  // An entry of the device type in `row`, each identity value unlike the others.
  static TDEVICE_CONFIG EntryOfRow(int row) {
    TDEVICE_CONFIG entry;
    entry.Model = "SL-2040";
    entry.SerialNumber = 0x1200BC61;
    entry.FirmwareVersion = 0x0203;
    entry.FirmwareBuild = 17;
    entry.BatchCode = 0x00141107;
    entry.Config.SetProductID(ProductCodeOfRow(row));
    return entry;
  }

  QString Text(const char* name) const { return Find<QLineEdit>(page_, name)->text(); }

  DevicePage page_;
};

TEST_F(DevicePageTest, AnEntryShownSelectsItsTypeAndShowsItsIdentity) {
  EXPECT_EQ(page_.SelectedRow(), -1) << "the list starts with no type selected";
  EXPECT_TRUE(page_.SelectedTypeName().isEmpty());

  for (int row = 0; row < kDeviceTypeCount; ++row) {
    const TDEVICE_CONFIG entry = EntryOfRow(row);
    page_.Show(entry);
    ASSERT_EQ(page_.SelectedRow(), row);
    EXPECT_EQ(ProductCodeOfRow(page_.SelectedRow()), entry.Config.ProductID()) << "the type stores its code again";
    EXPECT_EQ(page_.SelectedTypeName(), QString::fromUtf8(DeviceTypes()[static_cast<size_t>(row)].DefaultName));
  }

  const TDEVICE_CONFIG entry = EntryOfRow(1);
  page_.Show(entry);
  EXPECT_EQ(Text("edtModel"), QStringLiteral("SL-2040"));
  EXPECT_EQ(Text("edtSerialNumber").toStdString(), FormatSerial(entry.SerialNumber));
  EXPECT_EQ(Text("edtFirmware").toStdString(), FormatFirmware(entry.FirmwareVersion, entry.FirmwareBuild));
  EXPECT_EQ(Text("edtDateOfManufacture").toStdString(), FormatBatch(entry.BatchCode));

  TDEVICE_CONFIG unknown = entry;
  unknown.Config.SetProductID(0xFFFFFFFF);
  page_.Show(unknown);
  EXPECT_EQ(page_.SelectedRow(), -1) << "a code of no device type selects none";
  EXPECT_TRUE(page_.SelectedTypeName().isEmpty());
}

TEST_F(DevicePageTest, OnlyTheUsersChoiceIsAnnouncedAsOne) {
  QSignalSpy chosen(&page_, &DevicePage::typeTaken);
  QSignalSpy changed(&page_, &DevicePage::selectedTypeChanged);

  page_.Show(EntryOfRow(2));
  EXPECT_EQ(chosen.count(), 0) << "showing an entry is no edit";
  EXPECT_EQ(changed.count(), 1);

  QComboBox& list = *Find<QComboBox>(page_, "cbbDeviceTypes");
  list.setCurrentIndex(0);
  emit list.activated(0);
  EXPECT_EQ(chosen.count(), 1);
  EXPECT_EQ(changed.count(), 2);
}

TEST_F(DevicePageTest, TheListedNamesAreTheListsOwn) {
  Find<QComboBox>(page_, "cbbDeviceTypes")->setItemText(1, QStringLiteral("Lamp B"));
  const DeviceTypeNames names = page_.ListedTypes();
  ASSERT_EQ(names.size(), static_cast<size_t>(kDeviceTypeCount));
  EXPECT_EQ(names[0], DeviceTypes()[0].DefaultName);
  EXPECT_EQ(names[1], "Lamp B");
}

}  // namespace
}  // namespace lum::test
