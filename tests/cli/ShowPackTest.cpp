#include <gtest/gtest.h>

#include <filesystem>

#include "base/RegularFile.h"
#include "cli/Lumctl.h"
#include "data/ConfigFile.h"

namespace lum {
namespace {

namespace fs = std::filesystem;

TEST_F(Lumctl, ShowJsonThenPackGivesBackTheSameBytes) {
  SaveConfigFile(Path("a.LUM"), DualChannelBlock());
  const Outcome shown = Run("show --json a.LUM");
  ASSERT_EQ(shown.status, 0) << shown.err;
  WriteRaw("a.json", shown.out);
  const Outcome packed = Run("pack a.json b.LUM");
  ASSERT_EQ(packed.status, 0) << packed.err;
  EXPECT_TRUE(Contains(packed.out, "文件b.LUM保存成功。")) << packed.out;
  EXPECT_EQ(ReadWholeFile(Path("b.LUM")), ReadWholeFile(Path("a.LUM")));
}

// A file may hold what a write would refuse: show and pack keep it, and say what it is.
TEST_F(Lumctl, ShowAndPackKeepValuesOutsideTheirRangesWithAWarning) {
  TCONFIG_BLOCK block = DualChannelBlock();
  block.Channel(0, 0).Timing(1).SetPower(255);
  block.Channel(0, 1).Timing(0).SetMinutes(1440);
  SaveConfigFile(Path("a.LUM"), block);
  const Outcome shown = Run("show --json a.LUM");
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_TRUE(Contains(shown.err, "Warning: 第 1 路 第二段 功率0-100% 255 % 超出范围 0 % 到 100 %。")) << shown.err;
  EXPECT_TRUE(Contains(shown.err, "Warning: 第 2 路 第一段 时间(分钟) 1440 min 超出范围 0 min 到 1000 min。"))
      << shown.err;
  WriteRaw("a.json", shown.out);
  const Outcome packed = Run("pack a.json b.LUM");
  ASSERT_EQ(packed.status, 0) << packed.err;
  EXPECT_TRUE(Contains(packed.err, "255 % 超出范围")) << packed.err;
  EXPECT_EQ(ReadWholeFile(Path("b.LUM")), ReadWholeFile(Path("a.LUM")));
  EXPECT_EQ(Run("show a.LUM").err, shown.err);
}

TEST_F(Lumctl, ShowRawPrintsTheInternalNames) {
  SaveConfigFile(Path("a.LUM"), DualChannelBlock());
  const Outcome shown = Run("show --raw a.LUM");
  ASSERT_EQ(shown.status, 0) << shown.err;
  for (const char* line :
       {"Device type: 双路普通型太阳能控制器 (product code 0x00515620)",
        "FuncFlags: 0x54: IR receiver, PWM dimming, MI extension; MI mode 0 (rain detection)", "OTP: 50 °C",
        "BattOVP: 14.40 V", "BattUVP: 11.20 V", "BattReserved: 777", "SCV: 5.00 V", "SCDelay: 30, unit bit 1",
        "Channel 1: work mode 1 (夜晚亮灯), loop off, CC 0.00 A, CV 0.00 V",
        "Channel 2: work mode 2 (白天亮灯), loop on, CC 1.50 A", "  Segment 5 (morning light): 90 min, power 40 %"})
    EXPECT_TRUE(Contains(shown.out, line)) << line << "\n" << shown.out;
  EXPECT_FALSE(Contains(shown.out, "Channel 3"));
}

TEST_F(Lumctl, ShowNamesTheFieldsByTheWindowsLabelsInTheLanguageInUse) {
  SaveConfigFile(Path("a.LUM"), DualChannelBlock());
  const Outcome chinese = Run("show a.LUM");
  ASSERT_EQ(chinese.status, 0) << chinese.err;
  for (const char* line :
       {"\n设备类型: 双路普通型太阳能控制器 (product code 0x00515620)\n", "\n过充保护电压: 14.40 V\n",
        "\n光控点延时: 30 秒\n", "\n红外遥控接收器: on\n", "\nPWM调光: on\n",
        "\n启用MI 扩展功能: on (雨控检测，下雨时关闭负载)\n", "\n电池充电启用温度补偿: off\n", "\n第 2 路:\n",
        "\n  工作模式: 白天亮灯\n", "\n  循环工作: on\n", "\n  额定负载电流: 1.50 A\n", "\n  晨亮段: 90 分, 40 %\n"})
    EXPECT_TRUE(Contains(chinese.out, line)) << line << "\n" << chinese.out;
  for (const char* internal : {"BattOVP", "FuncFlags", "SCDelay", "BattReserved", "CapFlags", "777"})
    EXPECT_FALSE(Contains(chinese.out, internal)) << internal << "\n" << chinese.out;

  const Outcome english = Run("--lang " LUM_SOURCE_DIR "/lang/LUM_en.lng show a.LUM");
  ASSERT_EQ(english.status, 0) << english.err;
  for (const char* line : {"\nCharge cut-off: 14.40 V\n", "\nSwitch delay: 30 s\n", "\nOutput 2:\n",
                           "\n  Work mode: On by day\n", "\n  Repeat: on\n", "\n  Morning: 90 min, 40 %\n",
                           "\nEnable MI extension: on (Rain detection: switch the load off when it rains)\n"})
    EXPECT_TRUE(Contains(english.out, line)) << line << "\n" << english.out;
}

TEST_F(Lumctl, NamesAndMessagesComeFromTheRememberedLanguageFileWhichIsOnlyRead) {
  SaveConfigFile(Path("a.LUM"), DualChannelBlock());
  const std::string ini = "[Language]\r\nLanguageFile=en.lng\r\n";
  const std::string lng =
      "[Strings]\r\nFormLUM.grpDeviceTypes.Caption=Type\r\n[Messages]\r\nMsg_32=File %s saved.\r\n"
      "[DeviceDescription]\r\n5330464=Dual output\r\n[WorkMode]\r\n2=By day\r\n";
  WriteRaw("LUM.INI", ini);
  WriteRaw("en.lng", lng);
  const Outcome shown = Run("show a.LUM");
  EXPECT_TRUE(Contains(shown.out, "\nType: Dual output (")) << shown.out;
  EXPECT_TRUE(Contains(shown.out, "  工作模式: By day\n")) << shown.out;
  const Outcome json = Run("show --json a.LUM");
  WriteRaw("a.json", json.out);
  const Outcome packed = Run("pack a.json b.LUM");
  EXPECT_TRUE(Contains(packed.out, "] File b.LUM saved.")) << packed.out;
  EXPECT_EQ(ReadWholeFile(Path("LUM.INI")), ini);
  EXPECT_EQ(ReadWholeFile(Path("en.lng")), lng);
}

TEST_F(Lumctl, FilesFailingTheirChecksAreBadInput) {
  const ConfigImage image = BuildConfigImage(DualChannelBlock());
  std::string bytes(image.begin(), image.end());
  bytes[0] = 'l';
  WriteRaw("tag.LUM", bytes);
  bytes[0] = 'L';
  bytes[100] = static_cast<char>(bytes[100] ^ 1);
  WriteRaw("crc.LUM", bytes);

  const Outcome tag = Run("show tag.LUM");
  EXPECT_EQ(tag.status, 2);
  EXPECT_TRUE(Contains(tag.err, "] tag.LUM is not a LUM1.0 format file.")) << tag.err;
  const Outcome crc = Run("show --json crc.LUM");
  EXPECT_EQ(crc.status, 2);
  EXPECT_TRUE(Contains(crc.err, "] crc.LUM data verify error.")) << crc.err;
  EXPECT_EQ(crc.out, "");
  // The same rule for every command: a junk file is bad input, not a device failure.
  const Outcome written = Run("write crc.LUM");
  EXPECT_EQ(written.status, 2) << written.err;
  WriteRaw("junk.eff", "not an upgrade file");
  EXPECT_EQ(Run("eff-info junk.eff").status, 2);
}

TEST_F(Lumctl, UnreadableFilesAndBadJsonExit2WithAClearMessage) {
  const Outcome missing = Run("show none.LUM");
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(Contains(missing.err, "none.LUM: No such file or directory")) << missing.err;

  WriteRaw("bad.json", "{\"ProductID\": 1,");
  const Outcome bad = Run("pack bad.json out.LUM");
  EXPECT_EQ(bad.status, 2);
  EXPECT_TRUE(Contains(bad.err, "bad.json: not valid JSON")) << bad.err;
  EXPECT_FALSE(fs::exists(Path("out.LUM")));

  SaveConfigFile(Path("a.LUM"), DualChannelBlock());
  WriteRaw("a.json", Run("show --json a.LUM").out);
  std::string text = ReadWholeFile(Path("a.json"));
  text.replace(text.find("\"OTP\": 50"), 9, "\"OTP\": 500");
  WriteRaw("range.json", text);
  const Outcome range = Run("pack range.json out.LUM");
  EXPECT_EQ(range.status, 2);
  EXPECT_TRUE(Contains(range.err, "range.json: OTP: 500 is out of range (0 to 255)")) << range.err;
  EXPECT_FALSE(fs::exists(Path("out.LUM")));

  fs::create_directory(Path("dir.LUM"));
  const Outcome directory = Run("pack a.json dir.LUM");
  EXPECT_EQ(directory.status, 2);
  EXPECT_TRUE(Contains(directory.err, "dir.LUM")) << directory.err;
  EXPECT_TRUE(fs::is_directory(Path("dir.LUM")));

  EXPECT_EQ(Run("pack a.json").status, 2);
  EXPECT_EQ(Run("show").status, 2);
}

TEST_F(Lumctl, EveryCommandExplainsItself) {
  for (const char* command : {"show", "pack"}) {
    const Outcome help = Run(std::string(command) + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "Usage:")) << help.out;
  }
}

}  // namespace
}  // namespace lum
