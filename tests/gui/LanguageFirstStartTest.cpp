#include <gtest/gtest.h>

#include <QComboBox>
#include <QRegularExpression>
#include <filesystem>

#include "LanguageTestFixture.h"
#include "base/TextEncoding.h"
#include "language/LanguageKeys.h"
#include "language/MessageTable.h"
#include "ui_FormLUM.h"

namespace lum::test {
namespace {

namespace fs = std::filesystem;
namespace keys = language_keys;

using LanguageFirstStartTest = LanguageFixture;

std::string UiFile(const char* name) { return (fs::path(LUM_SOURCE_DIR) / "src/gui/forms" / name).string(); }

// Section names in file order.
std::vector<std::string> Sections(const std::string& text) {
  std::vector<std::string> sections;
  static const QRegularExpression header(QStringLiteral("^\\[(.*)\\]\\r?$"), QRegularExpression::MultilineOption);
  for (auto match = header.globalMatch(QString::fromStdString(text)); match.hasNext();)
    sections.push_back(match.next().captured(1).toStdString());
  return sections;
}

TEST_F(LanguageFirstStartTest, EmptyDirectoryGetsTheCompleteDefaultFileButNoSettings) {
  CreateWindows([this] { fs::remove(FilePath("LUM.INI")); });
  EXPECT_TRUE(dialogs_.Errors().empty());
  EXPECT_FALSE(fs::exists(FilePath("LUM.INI")));

  const std::string bytes = ReadBytes("LUM_chs.lng");
  const DecodedText decoded = DecodeFileText(bytes);
  EXPECT_EQ(decoded.encoding, TextEncoding::Gbk);
  EXPECT_EQ(decoded.utf8.rfind(";LUM Language File\r\n;Author: orrin\r\n;\r\n\r\n[FileInfo]\r\n", 0), 0u);
  EXPECT_EQ(Sections(decoded.utf8), (std::vector<std::string>{"FileInfo", "Strings", "Messages", "DeviceDescription",
                                                              "WorkMode", "BatteryDescription"}));

  const ProfileFile file = ProfileFile::Parse(bytes);
  EXPECT_EQ(file.ReadOr(keys::kFileInfo, keys::kLanguage, ""), "Chinese Simplified(简体中文)");
  EXPECT_EQ(file.ReadOr(keys::kFileInfo, keys::kApplication, ""), "LUM");

  // One Caption entry per tagged component, main window then upgrade window, in form order,
  // then the captions of the tool windows (the provisioning window's with its components).
  std::vector<std::string> expected = TaggedCaptionKeys(UiFile("FormLUM.ui"));
  const std::vector<std::string> upgrade = TaggedCaptionKeys(UiFile("FormFirmwareUpgrade.ui"));
  const std::vector<std::string> provisioning = TaggedCaptionKeys(UiFile("FormProvisioning.ui"));
  ASSERT_EQ(expected.size(), 67u);
  ASSERT_EQ(upgrade.size(), 7u);
  expected.insert(expected.end(), upgrade.begin(), upgrade.end());
  expected.push_back("FormNightProfile.Caption");
  expected.push_back("FormProvisioning.Caption");
  expected.insert(expected.end(), provisioning.begin(), provisioning.end());
  const std::vector<std::string> chart = TaggedCaptionKeys(UiFile("FormChart.ui"));
  expected.push_back("FormChart.Caption");
  expected.insert(expected.end(), chart.begin(), chart.end());
  const std::vector<std::string> fleet = TaggedCaptionKeys(UiFile("FormFleet.ui"));
  expected.push_back("FormFleet.Caption");
  expected.insert(expected.end(), fleet.begin(), fleet.end());
  const std::vector<std::string> options = TaggedCaptionKeys(UiFile("FormOptions.ui"));
  expected.push_back("FormOptions.Caption");
  expected.insert(expected.end(), options.begin(), options.end());
  EXPECT_EQ(SectionKeys(file, keys::kStrings), expected);
  EXPECT_EQ(file.ReadOr(keys::kStrings, "FormLUM.tsBase.Caption", ""), "设备");
  EXPECT_EQ(file.ReadOr(keys::kStrings, "FormLUM.lbledtRealBattV.Caption", ""), "蓄电池电压");
  EXPECT_EQ(file.ReadOr(keys::kStrings, "FormLUM.MenuOpenConfigFile.Caption", ""), "打开配置文件...");
  EXPECT_EQ(file.ReadOr(keys::kStrings, "FormFirmwareUpgrade.btnUpgrade.Caption", ""), "开始升级");

  std::vector<std::string> messageKeys;
  for (int n = MessageTable::kFirstKeyed; n <= MessageTable::kLastKeyed; ++n) {
    const std::string builtIn = MessageTable::BuiltIn(n);
    if (builtIn.empty() || !MessageTable::IsKeyed(n)) continue;
    messageKeys.push_back(MessageTable::Key(n));
    // Trailing blanks of a value do not survive the file.
    EXPECT_EQ(file.ReadOr(keys::kMessages, MessageTable::Key(n), ""),
              builtIn.substr(0, builtIn.find_last_not_of(' ') + 1));
  }
  EXPECT_EQ(messageKeys.front(), "Msg_2");
  EXPECT_EQ(messageKeys.back(), "Msg_398");
  EXPECT_EQ(SectionKeys(file, keys::kMessages), messageKeys);

  EXPECT_EQ(SectionKeys(file, keys::kDeviceDescription),
            (std::vector<std::string>{"5330448", "5330464", "5330480", "5330528"}));
  EXPECT_EQ(file.ReadOr(keys::kDeviceDescription, "5330464", ""), "双路普通型太阳能控制器");
  EXPECT_EQ(SectionKeys(file, keys::kWorkMode), (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(SectionKeys(file, keys::kBatteryDescription),
            (std::vector<std::string>{"256", "257", "258", "259", "260", "261"}));
  EXPECT_EQ(file.ReadOr(keys::kBatteryDescription, "261", ""), "3.2V磷酸铁锂电池");

  ASSERT_EQ(Languages().Entries().size(), 1u);
  EXPECT_EQ(Languages().Entries().front()->text(), QStringLiteral("Chinese Simplified(简体中文)"));
  EXPECT_EQ(CheckedEntry(), 0);
  // The first application fills the two lists the window starts without.
  EXPECT_EQ(Find<QComboBox>(*Window().ui().tsLoad, "cbbWorkMode")->count(), 3);
  EXPECT_EQ(Find<QComboBox>(*Window().ui().PageControl, "cbbBatteryType")->count(), 6);
}

TEST_F(LanguageFirstStartTest, SecondStartLeavesTheCompleteFileAlone) {
  CreateWindows();
  const std::string first = ReadBytes("LUM_chs.lng");
  DestroyWindows();
  CreateWindows();
  EXPECT_EQ(ReadBytes("LUM_chs.lng"), first);
}

// The placeholders of a message in order ("%s", "%d", "%.2d", ...).
std::vector<std::string> Placeholders(const std::string& text) {
  std::vector<std::string> found;
  static const QRegularExpression placeholder(QStringLiteral("%[-.0-9]*[sdxXu]"));
  for (auto match = placeholder.globalMatch(QString::fromStdString(text)); match.hasNext();)
    found.push_back(match.next().captured().toStdString());
  return found;
}

TEST_F(LanguageFirstStartTest, EnglishFileTranslatesEveryKeyWithTheSamePlaceholders) {
  CopyEnglishFile();
  CreateWindows();
  const std::string english = ReadBytes("LUM_en.lng");
  const ProfileFile chinese = LoadFile("LUM_chs.lng");
  const ProfileFile file = ProfileFile::Parse(english);
  EXPECT_EQ(file.encoding(), TextEncoding::Utf8Bom);
  EXPECT_EQ(file.ReadOr(keys::kFileInfo, keys::kLanguage, ""), "English");
  for (const char* section :
       {keys::kStrings, keys::kMessages, keys::kDeviceDescription, keys::kWorkMode, keys::kBatteryDescription}) {
    EXPECT_EQ(SectionKeys(file, section), SectionKeys(chinese, section)) << section;
    for (const std::string& key : SectionKeys(chinese, section)) {
      const std::string translated = file.ReadOr(section, key, "");
      EXPECT_FALSE(translated.empty()) << key;
      EXPECT_NE(translated, chinese.ReadOr(section, key, "")) << key;
      EXPECT_EQ(Placeholders(translated), Placeholders(chinese.ReadOr(section, key, ""))) << key;
    }
  }

  // Complete, so choosing it writes nothing into it.
  Choose(QStringLiteral("English"));
  EXPECT_TRUE(dialogs_.Errors().empty());
  EXPECT_EQ(ReadBytes("LUM_en.lng"), english);
  EXPECT_EQ(Window().ui().PageControl->tabText(0), QStringLiteral("Device"));
}

}  // namespace
}  // namespace lum::test
