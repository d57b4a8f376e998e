#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/RegularFile.h"
#include "data/TempDir.h"
#include "data/TypeTables.h"
#include "language/LanguageKeys.h"
#include "language/MessageTable.h"
#include "language/Settings.h"

namespace lum {
namespace {

namespace fs = std::filesystem;

TEST(LanguageKeys, KeysFollowTheComponentNames) {
  EXPECT_EQ(CaptionKey("FormLUM", "grpBatteryType"), "FormLUM.grpBatteryType.Caption");
  EXPECT_EQ(HintKey("FormLUM", "chkMI"), "FormLUM.chkMI.Hint");
  EXPECT_EQ(WindowCaptionKey("FormAboutLUM"), "FormAboutLUM.Caption");
  EXPECT_EQ(WindowHintKey("FormAboutLUM"), "FormAboutLUM.Hint");
  EXPECT_EQ(WorkModeKey(2), "2");
  EXPECT_EQ(BatteryDescriptionKey(BatteryTypes()[5].Code), "261");
}

TEST(LanguageKeys, DeviceDescriptionKeysAreTheMaskedDecimalCodes) {
  const char* expected[] = {"5330448", "5330464", "5330480", "5330528"};
  for (int row = 0; row < kDeviceTypeCount; ++row)
    EXPECT_EQ(DeviceDescriptionKey(DeviceTypes()[static_cast<size_t>(row)].ProductCode), expected[row]);
  EXPECT_EQ(DeviceDescriptionKey(0xAB51562F), "5330464");
}

TEST(LanguageMessages, FileEntriesOverrideAndMissingKeysKeepTheirText) {
  MessageTable table;
  table.FillBuiltIn();
  const auto file = ProfileFile::Parse(
      "[Messages]\nMsg_3=\nMsg_32=Saved %s.\nMsg_64=nope\nMsg_70=free\nMsg_150=second range\nMsg_400=beyond\n");
  ReadMessages(file, table);
  EXPECT_EQ(table.Text(3), "");
  EXPECT_EQ(table.Text(32), "Saved %s.");
  EXPECT_EQ(table.Text(150), "second range");
  EXPECT_EQ(table.Text(70), "");
  EXPECT_EQ(table.Text(400), "");
  EXPECT_EQ(table.Text(2), "未知");
  EXPECT_EQ(table.Text(MessageTable::kScanOpenPort), "[%s] Scan connected device:: Open port @%s.");
}

using LanguageFiles = TempDir;

TEST_F(LanguageFiles, EnsureCreatesTheDefaultFileInAnEmptyDirectory) {
  EnsureLanguageFile(dir_.string());
  EXPECT_EQ(ReadWholeFile(Path("LUM_chs.lng")),
            ";LUM Language File\r\n;Author: orrin\r\n;\r\n\r\n"
            "[FileInfo]\r\nLanguage=Chinese Simplified(\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4)\r\nApplication=LUM\r\n");
  EXPECT_FALSE(fs::exists(Path("LUM.INI")));
  EXPECT_EQ(IsOfferedLanguageFile(Path("LUM_chs.lng")), "Chinese Simplified(简体中文)");
}

TEST_F(LanguageFiles, EnsureUsesTheRememberedNameAndLeavesAnExistingFileAlone) {
  WriteRaw("LUM.INI", "[Language]\r\nLanguageFile=mine.lng\r\n");
  WriteRaw("LUM_chs.lng", "untouched");
  EnsureLanguageFile(dir_.string());
  EXPECT_TRUE(fs::exists(Path("mine.lng")));
  EXPECT_EQ(ReadWholeFile(Path("LUM_chs.lng")), "untouched");
  WriteRaw("mine.lng", "edited");
  EnsureLanguageFile(dir_.string());
  EXPECT_EQ(ReadWholeFile(Path("mine.lng")), "edited");
}

TEST_F(LanguageFiles, EnsureFindsTheRememberedFileWhateverItsLetterCase) {
  WriteRaw("LUM.INI", "[Language]\r\nLanguageFile=lum_EN.LNG\r\n");
  WriteRaw("LUM_en.lng", "english");
  EnsureLanguageFile(dir_.string());
  EXPECT_FALSE(fs::exists(Path("lum_EN.LNG")));
  EXPECT_EQ(ReadWholeFile(Path("LUM_en.lng")), "english");
}

TEST_F(LanguageFiles, EnsureFailsClearlyWhenTheFileCannotBeCreated) {
  const std::string name = std::string(300, 'x') + ".lng";  // longer than a file name may be
  WriteRaw("LUM.INI", "[Language]\r\nLanguageFile=" + name + "\r\n");
  try {
    EnsureLanguageFile(dir_.string());
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(name + ": File name too long"), std::string::npos) << e.what();
  }
}

// A remembered name with a folder part is no language file of this directory: nothing is
// created anywhere, and the built-in texts stay.
TEST_F(LanguageFiles, EnsureCreatesNothingForANameWithAFolderPart) {
  fs::create_directory(Path("work"));
  fs::create_directory(Path("sub"));
  const std::string work = Path("work");
  for (const std::string& name :
       {std::string("../outside.lng"), std::string("../sub/inside.lng"), std::string("sub\\x.lng"),
        Path("absolute.lng"), std::string(".."), std::string(".")}) {
    std::ofstream(Path("work/LUM.INI"), std::ios::binary) << "[Language]\r\nLanguageFile=" << name << "\r\n";
    EXPECT_NO_THROW(EnsureLanguageFile(work)) << name;
  }
  EXPECT_FALSE(fs::exists(Path("outside.lng")));
  EXPECT_FALSE(fs::exists(Path("sub/inside.lng")));
  EXPECT_FALSE(fs::exists(Path("absolute.lng")));
  EXPECT_EQ(std::distance(fs::directory_iterator(Path("work")), fs::directory_iterator()), 1);  // LUM.INI alone
  EXPECT_TRUE(IsPlainFileName("Français.lng"));
  EXPECT_FALSE(IsPlainFileName(""));
}

TEST_F(LanguageFiles, OfferedOnlyWithApplicationExactlyLumAndALanguageName) {
  WriteRaw("a.lng", "[FileInfo]\r\nLanguage=English\r\nApplication=LUM \r\n");
  WriteRaw("b.lng", "[FileInfo]\r\nLanguage=English\r\nApplication=lum\r\n");
  WriteRaw("c.lng", "[FileInfo]\r\nApplication=LUM\r\n");
  WriteRaw("d.lng", "[FileInfo]\r\nLanguage=\r\nApplication=LUM\r\n");
  WriteRaw("e.lng", "\x01\x02 not a profile file \xFF");
  fs::create_directory(Path("f.lng"));
  EXPECT_EQ(IsOfferedLanguageFile(Path("a.lng")), "English");
  for (const char* name : {"b.lng", "c.lng", "d.lng", "e.lng", "f.lng", "missing.lng"})
    EXPECT_EQ(IsOfferedLanguageFile(Path(name)), std::nullopt) << name;
}

using SettingsFile = TempDir;

TEST_F(SettingsFile, LanguageFileDefaultsAndIsRemembered) {
  Settings settings(dir_.string());
  EXPECT_EQ(settings.LanguageFile(), "LUM_chs.lng");
  EXPECT_FALSE(fs::exists(Path("LUM.INI")));
  settings.SetLanguageFile("LUM_en.lng");
  EXPECT_EQ(settings.LanguageFile(), "LUM_en.lng");
  EXPECT_EQ(ReadWholeFile(Path("LUM.INI")), "[Language]\r\nLanguageFile=LUM_en.lng\r\n");
}

TEST_F(SettingsFile, OtherContentIsKeptAndAMarkedFileStaysUtf8) {
  WriteRaw("LUM.INI", "\xEF\xBB\xBF; mine\r\n[Ports]\r\nCOM3=/dev/pts/7\r\n");
  Settings settings(dir_.string());
  settings.SetLanguageFile("中文.lng");
  EXPECT_EQ(ReadWholeFile(Path("LUM.INI")),
            "\xEF\xBB\xBF; mine\r\n[Ports]\r\nCOM3=/dev/pts/7\r\n[Language]\r\nLanguageFile=中文.lng\r\n");
  const auto ports = settings.PortsSection();
  ASSERT_TRUE(ports);
  EXPECT_EQ(*ports, (ProfileFile::Entries{{"COM3", "/dev/pts/7"}}));
}

// The settings file keeps its bytes, its link and its mode: only the key's line changes.
TEST_F(SettingsFile, ChoiceWithAnyNameIsStoredThroughALinkAndAReadOnlyFileIsRefused) {
  fs::create_directory(Path("conf"));
  const std::string before =
      "; \xC9\xE8\xB1\xB8\xFF\r\n[Ports]\r\nCOM3=/dev/pts/7\r\n[Language]\r\nLanguageFile=a.lng\r\n";
  WriteRaw("conf/lum.ini", before);
  fs::create_symlink("conf/lum.ini", Path("LUM.INI"));
  Settings settings(dir_.string());
  settings.SetLanguageFile("Français.lng");
  EXPECT_EQ(settings.LanguageFile(), "Français.lng");
  EXPECT_TRUE(fs::is_symlink(Path("LUM.INI")));
  EXPECT_EQ(ReadWholeFile(Path("conf/lum.ini")),
            "; \xC9\xE8\xB1\xB8\xFF\r\n[Ports]\r\nCOM3=/dev/pts/7\r\n[Language]\r\nLanguageFile=Fran\x81\x30\x8A\x34"
            "ais.lng\r\n");

  fs::permissions(Path("conf/lum.ini"), fs::perms::owner_read | fs::perms::group_read);
  try {
    settings.SetLanguageFile("b.lng");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + Path("LUM.INI") + ": the file is read-only");
  }
  EXPECT_EQ(settings.LanguageFile(), "Français.lng");
}

TEST_F(SettingsFile, PortsSectionIsAbsentWithoutTheSection) {
  EXPECT_EQ(Settings(dir_.string()).PortsSection(), std::nullopt);
  WriteRaw("LUM.INI", "[Language]\r\nLanguageFile=x.lng\r\n");
  EXPECT_EQ(Settings(dir_.string()).PortsSection(), std::nullopt);
}

TEST_F(SettingsFile, UnwritableSettingsReportUnableToWrite) {
  fs::create_directory(Path("LUM.INI"));
  try {
    Settings(dir_.string()).SetLanguageFile("x.lng");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Unable to write to " + Path("LUM.INI") + ": it is a directory, not a regular file");
  }
}

}  // namespace
}  // namespace lum
