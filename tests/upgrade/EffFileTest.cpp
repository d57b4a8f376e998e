#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "data/TempDir.h"
#include "support/UpgradeTestSupport.h"
#include "upgrade/EffFile.h"

namespace lum {
namespace {

using test::EffBytes;
using test::EffFields;
using test::Pattern;

const char* const kOneChannel = "单路普通型太阳能控制器";

class EffFileTest : public TempDir {
 protected:
  void SetUp() override {
    TempDir::SetUp();
    messages.FillBuiltIn();
  }
  bool Load(const EffFields& eff) { return LoadRaw(EffBytes(eff)); }
  bool LoadRaw(const std::vector<uint8_t>& bytes) {
    WriteRaw("f.eff", std::string(bytes.begin(), bytes.end()));
    return LoadEffFile(Path("f.eff"), content, memo, messages, names);
  }
  std::string FirstLine() const { return "打开文件 " + Path("f.eff") + " ...Ok!"; }

  MessageTable messages;
  ModelNames names = DefaultModelNames();
  EffContent content;
  test::MemoRecorder memo;
};

TEST_F(EffFileTest, HeaderOnlyFileIsAcceptedWithEmptyPayloads) {
  EffFields eff;
  eff.checksum = 0;
  ASSERT_EQ(EffBytes(eff).size(), 22u);
  EXPECT_TRUE(Load(eff));
  EXPECT_TRUE(content.Accepted);
  EXPECT_EQ(memo.lines, (std::vector<std::string>{FirstLine(), "文件版本：1.0", std::string("设备型号：") + kOneChannel,
                                                  "固件版本：1.2.3.7", "文件已加载，准备升级。"}));
  EXPECT_EQ(content.DataLength, 0u);
  EXPECT_EQ(content.ImageLength, 0u);
  EXPECT_EQ(content.DeviceID, 0x00515610u);
  EXPECT_EQ(content.BlockSize, 8);
  EXPECT_EQ(memo.fileName, "f.eff");
  EXPECT_EQ(memo.description, kOneChannel);
  EXPECT_EQ(memo.firmwareVersion, "1.2.3.7");
}

TEST_F(EffFileTest, MagicIgnoresLetterCaseOnly) {
  for (const char* magic : {"eff", "Eff", "eFf"}) {
    EffFields eff;
    eff.magic = magic;
    EXPECT_TRUE(Load(eff)) << magic;
  }
  for (const std::string& magic : {std::string("EFG"), std::string("EF\0", 3), std::string("FFE")}) {
    EffFields eff;
    eff.magic = magic;
    EXPECT_FALSE(Load(eff));
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"打开文件 " + Path("f.eff") + " ...错误！"}));
  }
}

TEST_F(EffFileTest, ShortFilesStopWithoutFurtherLines) {
  EXPECT_FALSE(LoadRaw({'E', 'F'}));
  EXPECT_EQ(memo.lines, (std::vector<std::string>{"打开文件 " + Path("f.eff") + " ...错误！"}));

  EXPECT_FALSE(LoadRaw({'E', 'F', 'F', '1', '.', '0', 12}));
  EXPECT_EQ(memo.lines, (std::vector<std::string>{FirstLine()}));

  // The header ends inside the device ID group.
  auto bytes = EffBytes(EffFields{});
  bytes.resize(16);
  EXPECT_FALSE(LoadRaw(bytes));
  EXPECT_EQ(memo.lines, (std::vector<std::string>{FirstLine(), "文件版本：1.0"}));
}

TEST_F(EffFileTest, ExtensionLengthFrom12UpBehavesAlike) {
  EffFields eff;
  eff.data = Pattern(16);
  eff.image = Pattern(40, 7);
  eff.extensionLength = 12;
  ASSERT_TRUE(Load(eff));
  const auto lines = memo.lines;
  const auto image = content.Image;
  eff.extensionLength = 200;
  ASSERT_TRUE(Load(eff));
  EXPECT_EQ(memo.lines, lines);
  EXPECT_EQ(content.DataLength, 16u);
  EXPECT_EQ(content.ImageLength, 40u);
  EXPECT_EQ(content.Image, image);
}

TEST_F(EffFileTest, ExtensionLengthBelow12StopsSilently) {
  for (uint8_t length : {uint8_t{8}, uint8_t{9}, uint8_t{11}}) {
    EffFields eff;
    eff.extensionLength = length;
    EXPECT_FALSE(Load(eff));
    EXPECT_EQ(memo.lines.size(), 3u) << int{length};
    EXPECT_EQ(memo.lines.back(), std::string("设备型号：") + kOneChannel);
    EXPECT_EQ(content.Version, 0);
  }
  for (uint8_t length : {uint8_t{0}, uint8_t{4}, uint8_t{7}}) {
    EffFields eff;
    eff.extensionLength = length;
    EXPECT_FALSE(Load(eff));
    EXPECT_EQ(memo.lines, (std::vector<std::string>{FirstLine(), "文件版本：1.0"})) << int{length};
  }
}

TEST_F(EffFileTest, ImageIsCutAt16384BytesAndOnlyThoseCount) {
  EffFields eff;
  eff.image = Pattern(eff_layout::kImageCapacity + 10, 1);
  const std::vector<uint8_t> counted(eff.image.begin(), eff.image.begin() + eff_layout::kImageCapacity);
  uint32_t sum = 0;
  for (uint8_t b : counted) sum += b;
  eff.checksum = sum;
  EXPECT_TRUE(Load(eff));
  EXPECT_EQ(content.ImageLength, eff_layout::kImageCapacity);
  EXPECT_TRUE(std::equal(counted.begin(), counted.end(), content.Image.begin()));

  eff.checksum = std::nullopt;  // now over all bytes, the ignored tail included
  EXPECT_FALSE(Load(eff));
  EXPECT_EQ(memo.lines.back(), "文件数据错误！");
}

TEST_F(EffFileTest, FileEndingInsideDataSectionGivesShorterData) {
  EffFields eff;
  eff.dataBlocks = 4;  // declares 32 bytes
  eff.data = Pattern(10, 3);
  EXPECT_TRUE(Load(eff));
  EXPECT_EQ(content.DataLength, 10u);
  EXPECT_EQ(content.ImageLength, 0u);
}

TEST_F(EffFileTest, ZeroByteCutsFileVersionText) {
  EffFields eff;
  eff.fileVersion = std::string(
      "2\0"
      "9",
      3);
  EXPECT_TRUE(Load(eff));
  EXPECT_EQ(memo.lines[1], "文件版本：2");
  eff.fileVersion =
      "\x01\xFE"
      "A";  // unprintable bytes never reach the memo as they are
  EXPECT_TRUE(Load(eff));
  EXPECT_EQ(memo.lines[1], "文件版本：??A");
}

TEST_F(EffFileTest, ModelIgnoresTopByteAndLowestFourBits) {
  EffFields eff;
  eff.deviceId = 0xAB51561F;
  EXPECT_TRUE(Load(eff));
  EXPECT_EQ(memo.description, kOneChannel);
  EXPECT_EQ(content.DeviceID, 0xAB51561Fu);

  names[1] = "Two outputs";  // the device type list as a language renamed it
  eff.deviceId = 0x01515622;
  EXPECT_TRUE(Load(eff));
  EXPECT_EQ(memo.lines[2], "设备型号：Two outputs");
}

TEST_F(EffFileTest, UnknownModelStopsAfterModelLine) {
  EffFields eff;
  eff.deviceId = 0x00515640;
  EXPECT_FALSE(Load(eff));
  EXPECT_EQ(memo.lines, (std::vector<std::string>{FirstLine(), "文件版本：1.0", "设备型号：未知"}));
  EXPECT_EQ(memo.description, "未知");
  EXPECT_FALSE(memo.firmwareVersion.has_value());
}

TEST_F(EffFileTest, VersionDigitsAndBuild) {
  EffFields eff;
  eff.version = 0;
  eff.build = 0;
  EXPECT_TRUE(Load(eff));
  EXPECT_EQ(memo.firmwareVersion, "0.0.0.0");
  EXPECT_EQ(memo.lines[3], "固件版本：0.0.0.0");
  eff.version = 1234;
  eff.build = 65535;
  EXPECT_TRUE(Load(eff));
  EXPECT_EQ(memo.firmwareVersion, "12.3.4.65535");
  EXPECT_EQ(content.Version, 1234);
  EXPECT_EQ(content.Build, 65535);
}

TEST_F(EffFileTest, ChecksumIsTheSumOfDataAndImage) {
  EffFields eff;
  eff.blockSize = 2;
  eff.data = {0x01, 0x02};
  eff.image = {0x03};
  eff.checksum = 0x000006;
  EXPECT_TRUE(Load(eff));
  eff.checksum = 0x000007;
  EXPECT_FALSE(Load(eff));
  EXPECT_EQ(memo.lines.back(), "文件数据错误！");
  EXPECT_FALSE(content.Accepted);
  eff.checksum = 0x010006;  // all three bytes count
  EXPECT_FALSE(Load(eff));
}

TEST_F(EffFileTest, DataSectionBeyondBufferOrZeroBlockSizeIsDataError) {
  EffFields eff;
  eff.blockSize = 255;
  eff.dataBlocks = 17;  // 4335 bytes declared
  eff.data = Pattern(4335);
  EXPECT_FALSE(Load(eff));
  EXPECT_EQ(memo.lines.back(), "文件数据错误！");
  EXPECT_EQ(memo.lines.size(), 5u);
  EXPECT_EQ(content.DataLength, 0u);

  eff.blockSize = 128;
  eff.dataBlocks = 32;  // exactly the buffer
  eff.data = Pattern(4096);
  EXPECT_TRUE(Load(eff));
  EXPECT_EQ(content.DataLength, 4096u);

  EffFields zero;
  zero.blockSize = 0;
  zero.image = Pattern(5);
  EXPECT_FALSE(Load(zero));
  EXPECT_EQ(memo.lines.back(), "文件数据错误！");
}

TEST_F(EffFileTest, BuffersKeepEarlierBytesWhileNumbersAreReset) {
  EffFields big;
  big.image = std::vector<uint8_t>(64, 0xAA);
  ASSERT_TRUE(Load(big));
  EffFields small;
  small.image = Pattern(10);
  small.deviceId = 0x00515630;
  ASSERT_TRUE(Load(small));
  EXPECT_EQ(content.ImageLength, 10u);
  EXPECT_EQ(content.Image[10], 0xAA);
  EXPECT_EQ(content.Image[63], 0xAA);

  EffFields shortHeader;
  shortHeader.extensionLength = 4;  // stops before the device ID is read
  EXPECT_FALSE(Load(shortHeader));
  EXPECT_EQ(content.ImageLength, 0u);
  EXPECT_EQ(content.BlockSize, 8);
  EXPECT_EQ(content.Version, 0);
  EXPECT_EQ(content.DeviceID, 0x00515630u);
  EXPECT_FALSE(content.Accepted);
  // The information boxes show the previous file's values when their fields were not read.
  EXPECT_EQ(memo.description, "单路恒流型太阳能控制器");
  EXPECT_EQ(memo.firmwareVersion, "1.2.3.7");
}

TEST_F(EffFileTest, UnreadableFileThrowsAndCountsAsRejected) {
  ASSERT_TRUE(Load(EffFields{}));
  EXPECT_THROW(LoadEffFile(Path("missing.eff"), content, memo, messages, names), std::runtime_error);
  EXPECT_FALSE(content.Accepted);
  std::filesystem::create_directory(Path("folder.eff"));
  EXPECT_THROW(LoadEffFile(Path("folder.eff"), content, memo, messages, names), std::runtime_error);
  EXPECT_FALSE(content.Accepted);
}

TEST_F(EffFileTest, TranslatedMessagesAreUsed) {
  messages.SetText(4, "Opening %s: ");
  messages.SetText(8, "fw %d-%d-%d-%d");
  messages.SetText(9, "ready");
  EXPECT_TRUE(Load(EffFields{}));
  EXPECT_EQ(memo.lines.front(), "Opening " + Path("f.eff") + ": Ok!");
  EXPECT_EQ(memo.lines[3], "fw 1-2-3-7");
  EXPECT_EQ(memo.lines.back(), "ready");
}

}  // namespace
}  // namespace lum
