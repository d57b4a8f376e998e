// Opening and saving configuration files from the main window, through the scripted dialogs.
#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <string>

#include "ActionsTestFixture.h"
#include "data/ConfigFile.h"

namespace lum::test {
namespace {

class FileActionsTest : public ActionsTest {
 protected:
  void SetUp() override {
    ActionsTest::SetUp();
    Create().RebuildEntryTree();
  }
  void Open(const std::string& path) {
    dialogs_.AnswerFileName(QString::fromStdString(path));
    Window().ui().actOpenConfigFile->trigger();
  }
  void SaveAs(const std::string& path) {
    dialogs_.AnswerFileName(QString::fromStdString(path));
    Window().ui().actSaveConfigToFile->trigger();
  }
  void WriteBytes(const std::string& path, const ConfigImage& image) {
    std::ofstream(path, std::ios::binary) << std::string(image.begin(), image.end());
  }
  size_t FileCount() { return Window().Entries().FileEntries().size(); }
};

TEST_F(FileActionsTest, SavedFileOpensAgainAsANewEntryWithTheSameBlock) {
  const std::string original = PathIn("white.LUM");
  SaveConfigFile(original, SampleBlock(1));
  Open(original);
  EXPECT_EQ(dialogs_.Filters().back(), "LUM 配置文件 (*.LUM *.lum)");
  ASSERT_EQ(FileCount(), 2u);
  TDEVICE_CONFIG& opened = *Window().Entries().FileEntries().back();
  EXPECT_EQ(opened.Name, original);
  EXPECT_FALSE(opened.FromDevice);
  EXPECT_TRUE(opened.Config.bytes() == SampleBlock(1).bytes());
  EXPECT_EQ(CountInfo(QString::fromStdString("] Open file: " + original)), 1);
  EXPECT_TRUE(Window().ui().actWriteToDevice->isEnabled());
  EXPECT_EQ(TreeTexts(), (QStringList{"New File", "white.LUM"}));

  // An edit on the pages goes into the saved file, and the entry takes the new name.
  SelectNode("white.LUM");
  Find<QLineEdit>(*Window().ui().PageControl, "lbledtBattOVP")->setText("14.80");
  const std::string copy = PathIn("xray.LUM");
  SaveAs(copy);
  EXPECT_EQ(dialogs_.Suffixes().back(), "LUM");
  EXPECT_TRUE(dialogs_.Errors().empty());
  EXPECT_EQ(opened.Name, copy);
  EXPECT_EQ(opened.Config.BattOVP(), 14800);
  EXPECT_EQ(CountInfo(QString::fromStdString("] 文件" + copy + "保存成功。")), 1);
  EXPECT_EQ(TreeTexts(), (QStringList{"New File", "xray.LUM"}));

  Open(copy);
  ASSERT_EQ(FileCount(), 3u);
  EXPECT_TRUE(Window().Entries().FileEntries().back()->Config.bytes() == opened.Config.bytes());
  // The same file may be opened again: one more entry each time.
  Open(copy);
  EXPECT_EQ(FileCount(), 4u);
}

TEST_F(FileActionsTest, CancelledSaveStillStoresThePagesAndAsksNothingAfterwards) {
  TDEVICE_CONFIG& entry = AddFileEntry(PathIn("wolf.LUM"), SampleBlock(1));
  SelectNode("wolf.LUM");
  Find<QLineEdit>(*Window().ui().PageControl, "lbledtBattOVP")->setText("14.90");
  const int selections = CountInfo("Currently selected object");
  SaveAs("");
  EXPECT_EQ(entry.Config.BattOVP(), 14900);
  EXPECT_EQ(entry.Name, PathIn("wolf.LUM"));
  EXPECT_FALSE(entry.Modified) << "the pages were stored: nothing is left to apply";
  EXPECT_TRUE(dialogs_.Questions().empty());
  EXPECT_EQ(CountInfo("Currently selected object"), selections) << "the selection stays";
  EXPECT_EQ(CountInfo("保存成功"), 0);
}

TEST_F(FileActionsTest, SavingADeviceEntryKeepsItsPortName) {
  auto device = std::make_unique<TDEVICE_CONFIG>();
  device->Name = "COM3";
  device->FromDevice = true;
  device->Config = SampleBlock(0);
  TDEVICE_CONFIG& entry = Window().Entries().AddDeviceEntry(std::move(device));
  Window().RebuildEntryTree();
  SelectNode("COM3");
  const std::string path = PathIn("yard.LUM");
  SaveAs(path);
  EXPECT_EQ(entry.Name, "COM3");
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(TreeTexts(), (QStringList{"COM3", "New File"}));
}

// Save As offers a name: the entry's own file, a controller's model and serial number (made
// fit for a file name), "New File" for the new configuration.
TEST_F(FileActionsTest, SaveAsOffersANameForEveryEntry) {
  SelectNode("New File");
  Window().MarkModified();  // a fresh "New File" has nothing to save yet
  SaveAs("");
  AddFileEntry(PathIn("wolf.LUM"), SampleBlock(1));
  SelectNode("wolf.LUM");
  SaveAs("");
  auto device = std::make_unique<TDEVICE_CONFIG>();
  device->Name = "COM3";
  device->FromDevice = true;
  device->Model = "LS/2420 D";
  device->SerialNumber = 0x0100002A;
  device->Config = SampleBlock(0);
  Window().Entries().AddDeviceEntry(std::move(device));
  Window().RebuildEntryTree();
  SelectNode("COM3,LS/2420 D");
  SaveAs("");
  std::vector<std::string> offered;
  for (const QString& offer : dialogs_.SaveOffers()) offered.push_back(offer.toStdString());
  EXPECT_EQ(offered,
            (std::vector<std::string>{PathIn("New File.LUM"), PathIn("wolf.LUM"), PathIn("LS_2420_D_0100000042.LUM")}));
}

TEST_F(FileActionsTest, AnIncompletelyReadDeviceEntryIsNotSaved) {
  auto device = std::make_unique<TDEVICE_CONFIG>();
  device->Name = "COM4";
  device->ReadIncomplete = true;
  device->Config = SampleBlock(0);
  Window().Entries().AddDeviceEntry(std::move(device));
  Window().RebuildEntryTree();
  SelectNode("COM4");
  const std::string path = PathIn("partial.LUM");

  SaveAs(path);

  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(CountInfo("] Save to file:: The configuration was not read completely"), 1);
}

TEST_F(FileActionsTest, FilesFailingTheirChecksAreReportedAndAddNothing) {
  ConfigImage wrongTag = BuildConfigImage(SampleBlock(1));
  wrongTag[5] = '1';  // "LUM1.1"
  const std::string wrongTagPath = PathIn("tag.LUM");
  WriteBytes(wrongTagPath, wrongTag);
  ConfigImage badCrc = BuildConfigImage(SampleBlock(1));
  badCrc[config_file::kBlockOffset + 40] ^= 0x01;
  const std::string badCrcPath = PathIn("crc.LUM");
  WriteBytes(badCrcPath, badCrc);
  const int selections = CountInfo("Currently selected object");

  Open(wrongTagPath);
  Open(badCrcPath);

  EXPECT_EQ(FileCount(), 1u);
  EXPECT_EQ(CountInfo(QString::fromStdString("] " + wrongTagPath + " is not a LUM1.0 format file.")), 1);
  EXPECT_EQ(CountInfo(QString::fromStdString("] " + badCrcPath + " data verify error.")), 1);
  EXPECT_EQ(CountInfo("Currently selected object"), selections) << "the tree is not rebuilt";
  EXPECT_TRUE(dialogs_.Errors().empty());
  EXPECT_FALSE(Window().ui().actWriteToDevice->isEnabled());
}

TEST_F(FileActionsTest, FilesThatCannotBeReadOrWrittenShowTheSystemsReason) {
  Open(PathIn("missing.LUM"));
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_TRUE(dialogs_.Errors().front().contains("No such file")) << dialogs_.Errors().front().toStdString();
  EXPECT_EQ(FileCount(), 1u);

  TDEVICE_CONFIG& entry = AddFileEntry(PathIn("wolf.LUM"), SampleBlock(1));
  SelectNode("wolf.LUM");
  const int selections = CountInfo("Currently selected object");
  SaveAs(PathIn("no-such-folder/zulu.LUM"));
  ASSERT_EQ(dialogs_.Errors().size(), 2u);
  EXPECT_TRUE(dialogs_.Errors().back().contains("No such file")) << dialogs_.Errors().back().toStdString();
  EXPECT_EQ(entry.Name, PathIn("wolf.LUM"));
  EXPECT_EQ(CountInfo("保存成功"), 0);
  EXPECT_EQ(CountInfo("Currently selected object"), selections);
}

}  // namespace
}  // namespace lum::test
