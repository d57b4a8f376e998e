#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QMenu>
#include <filesystem>

#include "LanguageTestFixture.h"
#include "language/Settings.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

namespace fs = std::filesystem;

using LanguageMenuTest = LanguageFixture;

std::vector<std::string> FileInfo(const std::string& application, const std::string& language) {
  return {"[FileInfo]", "Language=" + language, "Application=" + application};
}

QStringList MenuCaptions(TFormLUM& window) {
  QStringList captions;
  for (QAction* entry : window.ui().MenuLanguage->actions()) captions << entry->text();
  return captions;
}

TEST_F(LanguageMenuTest, OffersOnlyProfilesOfThisApplicationWithADisplayName) {
  WriteLanguageFile("lower.lng", FileInfo("lum", "Lower"));
  WriteLanguageFile("nameless.lng", {"[FileInfo]", "Application=LUM"});
  WriteLanguageFile("emptyname.lng", FileInfo("LUM", ""));
  WriteLanguageFile("blank.lng", FileInfo("LUM ", "Blank"));
  WriteLanguageFile("upper.LNG", FileInfo("LUM", "Upper"));
  WriteLanguageFile("other.txt", FileInfo("LUM", "Text"));
  WriteBytes("binary.lng", std::string("\x00\xff\x13[FileInfo\x00]\xfe", 15));
  fs::create_directory(FilePath("folder.lng"));
  WriteLanguageFile("twin1.lng", FileInfo("LUM", "Twin"));
  WriteLanguageFile("twin2.lng", FileInfo("LUM", "Twin"));
  CreateWindows();

  // Sorted by display name; the created default file is among them.
  EXPECT_EQ(MenuCaptions(Window()), (QStringList{"Blank", "Chinese Simplified(简体中文)", "Twin", "Twin", "Upper"}));
  EXPECT_EQ(Languages().LanguageFiles(),
            (std::vector<std::string>{"blank.lng", "LUM_chs.lng", "twin1.lng", "twin2.lng", "upper.LNG"}));
  // The placeholder entry of the form is gone; the entries are one exclusive radio group.
  EXPECT_FALSE(Window().ui().MenuLanguage->actions().contains(Window().ui().SubMenuLngChn));
  for (QAction* entry : Languages().Entries()) {
    EXPECT_TRUE(entry->isCheckable());
    ASSERT_NE(entry->actionGroup(), nullptr);
    EXPECT_TRUE(entry->actionGroup()->isExclusive());
  }
  EXPECT_EQ(CheckedEntry(), 1);
}

TEST_F(LanguageMenuTest, TwinsAreToldApartByPosition) {
  WriteLanguageFile("twin1.lng",
                    {"[FileInfo]", "Language=Twin", "Application=LUM", "[Strings]", "FormLUM.tsBase.Caption=First"});
  WriteLanguageFile("twin2.lng",
                    {"[FileInfo]", "Language=Twin", "Application=LUM", "[Strings]", "FormLUM.tsBase.Caption=Second"});
  CreateWindows();
  Languages().Entries()[2]->trigger();
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("Second"));
  EXPECT_EQ(Settings(Dir()).LanguageFile(), "twin2.lng");
  EXPECT_EQ(CheckedEntry(), 2);
  Languages().Entries()[1]->trigger();
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("First"));
  EXPECT_EQ(Settings(Dir()).LanguageFile(), "twin1.lng");
  EXPECT_EQ(CheckedEntry(), 1);
}

TEST_F(LanguageMenuTest, ChoiceIsWrittenToTheSettingsAndAppliedAtTheNextStart) {
  CopyEnglishFile();
  CreateWindows();
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("设备"));
  const std::string settingsBefore = ReadBytes("LUM.INI");

  Choose(QStringLiteral("English"));
  EXPECT_TRUE(dialogs_.Errors().empty());
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("Device"));
  EXPECT_EQ(Settings(Dir()).LanguageFile(), "LUM_en.lng");
  EXPECT_TRUE(Settings(Dir()).PortsSection().has_value());  // the rest of the file stays

  DestroyWindows();
  CreateWindows();
  EXPECT_EQ(Languages().Entries()[static_cast<size_t>(CheckedEntry())]->text(), QStringLiteral("English"));
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("Device"));
  EXPECT_EQ(Window().ui().actConnectDevice->text(), QStringLiteral("Connect device"));
  EXPECT_EQ(Find<QComboBox>(*Window().ui().tsLoad, "cbbWorkMode")->itemText(1), QStringLiteral("On at night"));

  // Back to the default, which is remembered too.
  Choose(QStringLiteral("Chinese Simplified(简体中文)"));
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("设备"));
  EXPECT_EQ(Settings(Dir()).LanguageFile(), "LUM_chs.lng");
  EXPECT_NE(ReadBytes("LUM.INI"), settingsBefore);
}

// A file name beyond ASCII (and beyond code page 936) is stored as it is and found again.
TEST_F(LanguageMenuTest, ChoiceOfAFileWithANonAsciiNameIsFoundAtTheNextStart) {
  WriteLanguageFile("Français.lng", {"[FileInfo]", "Language=Français", "Application=LUM", "[Strings]",
                                     "FormLUM.tsBase.Caption=Appareil"});
  CreateWindows();
  Choose(QStringLiteral("Français"));
  EXPECT_EQ(Settings(Dir()).LanguageFile(), "Français.lng");
  DestroyWindows();
  CreateWindows();
  ASSERT_GE(CheckedEntry(), 0);
  EXPECT_EQ(Languages().Entries()[static_cast<size_t>(CheckedEntry())]->text(), QStringLiteral("Français"));
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("Appareil"));
}

// A remembered name with a folder part: nothing is created outside the working directory
// (nor inside it), and the built-in texts stay.
TEST_F(LanguageMenuTest, RememberedNameWithAFolderPartCreatesNothing) {
  const std::string outside = "lum-outside-" + fs::path(Dir()).filename().string() + ".lng";
  Settings(Dir()).SetLanguageFile("../" + outside);
  CreateWindows();
  EXPECT_TRUE(dialogs_.Errors().empty());
  EXPECT_FALSE(fs::exists(fs::path(Dir()).parent_path() / outside));
  EXPECT_EQ(CheckedEntry(), -1);
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("设备"));
}

TEST(FindRememberedFileTest, MatchesWithoutRegardToCasePreferringTheExactName) {
  const std::vector<std::string> files = {"LUM_en.lng", "lum_chs.lng", "LUM_chs.lng"};
  EXPECT_EQ(FindRememberedFile(files, "lum_EN.LNG"), 0);
  EXPECT_EQ(FindRememberedFile(files, "LUM_chs.lng"), 2);
  EXPECT_EQ(FindRememberedFile(files, "LUM_CHS.LNG"), 1);
  EXPECT_EQ(FindRememberedFile(files, "sub/LUM_en.lng"), -1);
  EXPECT_EQ(FindRememberedFile(files, ""), -1);
  EXPECT_EQ(FindRememberedFile({}, "LUM_chs.lng"), -1);
}

TEST_F(LanguageMenuTest, RememberedFileThatIsNotOfferedKeepsTheBuiltInTexts) {
  WriteLanguageFile("other.lng",
                    {"[FileInfo]", "Language=Other", "Application=lum", "[Strings]", "FormLUM.tsBase.Caption=Other"});
  Settings(Dir()).SetLanguageFile("other.lng");
  CreateWindows();
  EXPECT_TRUE(dialogs_.Errors().empty());
  // Only the built-in language is offered (its file is made for that), and none is checked.
  EXPECT_EQ(Languages().LanguageFiles(), std::vector<std::string>{"LUM_chs.lng"});
  EXPECT_EQ(CheckedEntry(), -1);
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("设备"));
  EXPECT_EQ(Find<QComboBox>(*Window().ui().tsLoad, "cbbWorkMode")->count(), 0);  // nothing was applied
  // The start-up itself went through.
  EXPECT_TRUE(Window().windowTitle().endsWith(QStringLiteral(" 1.1.0.111")));
}

TEST_F(LanguageMenuTest, UnwritableSettingsStillApplyTheChoiceButForgetIt) {
  CopyEnglishFile();
  CreateWindows();
  // The ports were read at creation; now the settings cannot be written.
  fs::remove(FilePath("LUM.INI"));
  fs::create_directory(FilePath("LUM.INI"));
  Choose(QStringLiteral("English"));
  ASSERT_EQ(dialogs_.Errors().size(), 1u);
  EXPECT_EQ(dialogs_.Errors().front(), QString::fromStdString("Unable to write to " + FilePath("LUM.INI") +
                                                              ": it is a directory, not a regular file"));
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("Device"));
  EXPECT_EQ(Languages().Entries()[static_cast<size_t>(CheckedEntry())]->text(), QStringLiteral("English"));
}

}  // namespace
}  // namespace lum::test
