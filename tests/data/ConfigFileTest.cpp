#include <gtest/gtest.h>

#include <filesystem>

#include "base/ByteOrder.h"
#include "base/Crc16.h"
#include "base/RegularFile.h"
#include "data/ConfigFile.h"
#include "data/NewFileBlock.h"
#include "data/TempDir.h"

namespace lum {
namespace {

namespace fs = std::filesystem;

TCONFIG_BLOCK BusyBlock() {
  TCONFIG_BLOCK block = NewFileStartBlock();
  block.SetProductID(0x515620);
  block.SetBattReserved(0xBEEF);
  for (size_t i = 0; i < block_layout::kSize; i += 7) block.bytes()[i] ^= static_cast<uint8_t>(i);
  block.Channel(11, 3).Timing2(4).SetPower(0x5A);
  return block;
}

std::string ImageText(const TCONFIG_BLOCK& block) {
  const ConfigImage image = BuildConfigImage(block);
  return std::string(image.begin(), image.end());
}

ConfigFileResult ParseText(const std::string& bytes) {
  return ParseConfigImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(ConfigImage, HeaderHoldsTagCrcAndZeroReservedBytes) {
  const TCONFIG_BLOCK block = BusyBlock();
  const ConfigImage image = BuildConfigImage(block);
  EXPECT_EQ(std::string(image.begin(), image.begin() + 6), "LUM1.0");
  EXPECT_EQ(ReadU16Le(image.data() + 6), Crc16(block.data(), block_layout::kSize));
  for (size_t i = 8; i < 16; ++i) EXPECT_EQ(image[i], 0) << i;
  EXPECT_TRUE(std::equal(block.bytes().begin(), block.bytes().end(), image.begin() + 16));
}

TEST(ConfigImage, WrongTagInAnyCharacterOrCaseIsNotLumFormat) {
  const std::string good = ImageText(BusyBlock());
  EXPECT_EQ(ParseText(good).status, ConfigFileStatus::Ok);
  for (const char* tag : {"lum1.0", "LUM1.1", "LUM2.0", "LUM1,0", "XUM1.0", "Lum1.0", "LUM1.\0"}) {
    std::string bytes = good;
    bytes.replace(0, 6, std::string(tag, 6));
    EXPECT_EQ(ParseText(bytes).status, ConfigFileStatus::NotLumFormat) << tag;
  }
  EXPECT_EQ(ParseText("LUM1").status, ConfigFileStatus::NotLumFormat);
  EXPECT_EQ(ParseText("").status, ConfigFileStatus::NotLumFormat);
}

TEST(ConfigImage, ShortLongAndDamagedImages) {
  const TCONFIG_BLOCK block = BusyBlock();
  const std::string good = ImageText(block);

  // A header alone with CRC 0 is the image of a zero block.
  const auto zero = ParseText(std::string("LUM1.0") + std::string(10, '\0'));
  EXPECT_EQ(zero.status, ConfigFileStatus::Ok);
  EXPECT_EQ(zero.block, TCONFIG_BLOCK());

  EXPECT_EQ(ParseText(std::string("LUM1.0\x01") + std::string(9, '\0')).status, ConfigFileStatus::VerifyError);
  EXPECT_EQ(ParseText(good.substr(0, 1000)).status, ConfigFileStatus::VerifyError);

  const auto longer = ParseText(good + "trailing bytes are ignored");
  EXPECT_EQ(longer.status, ConfigFileStatus::Ok);
  EXPECT_EQ(longer.block, block);

  std::string flipped = good;
  flipped[1775] = static_cast<char>(flipped[1775] ^ 1);
  EXPECT_EQ(ParseText(flipped).status, ConfigFileStatus::VerifyError);

  std::string header = good;
  header[10] = 'x';  // reserved header bytes carry no meaning
  EXPECT_EQ(ParseText(header).status, ConfigFileStatus::Ok);
}

TEST(ConfigImage, FailedChecksLeaveAZeroBlock) {
  std::string bytes = ImageText(BusyBlock());
  bytes[20] = static_cast<char>(bytes[20] ^ 0xFF);
  EXPECT_EQ(ParseText(bytes).block, TCONFIG_BLOCK());
}

using ConfigFileOnDisk = TempDir;

TEST_F(ConfigFileOnDisk, SavedFileOpensIdenticalAndCarriesEveryByte) {
  const TCONFIG_BLOCK block = BusyBlock();
  SaveConfigFile(Path("a.LUM"), block);
  EXPECT_EQ(fs::file_size(Path("a.LUM")), 1776u);
  const auto opened = OpenConfigFile(Path("a.LUM"));
  ASSERT_EQ(opened.status, ConfigFileStatus::Ok);
  EXPECT_EQ(opened.block, block);
  EXPECT_EQ(opened.block.BattReserved(), 0xBEEF);

  // Saving what was opened gives back the same bytes.
  SaveConfigFile(Path("b.LUM"), opened.block);
  EXPECT_EQ(ReadWholeFile(Path("a.LUM")), ReadWholeFile(Path("b.LUM")));
}

TEST_F(ConfigFileOnDisk, UnreadableFilesThrowWithTheSystemsDescription) {
  try {
    OpenConfigFile(Path("missing.LUM"));
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("missing.LUM"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos);
  }
  fs::create_directory(Path("dir.LUM"));
  EXPECT_THROW(OpenConfigFile(Path("dir.LUM")), std::runtime_error);
}

TEST(ConfigFileLines, ExactTexts) {
  EXPECT_EQ(OpenFileLine("/d/x.LUM", "T"), "[T] Open file: /d/x.LUM");
  EXPECT_EQ(OpenFailureLine(ConfigFileStatus::NotLumFormat, "/d/x.LUM", "T"),
            "[T] /d/x.LUM is not a LUM1.0 format file.");
  EXPECT_EQ(OpenFailureLine(ConfigFileStatus::VerifyError, "/d/x.LUM", "T"), "[T] /d/x.LUM data verify error.");
  EXPECT_EQ(OpenFailureLine(ConfigFileStatus::Ok, "/d/x.LUM", "T"), "");
  EXPECT_EQ(SavedLine("文件%s保存成功。", "/d/%s.LUM", "T"), "[T] 文件/d/%s.LUM保存成功。");
  EXPECT_EQ(SavedLine("bad %n", "/d/x.LUM", "T"), "[T] bad %n");
}

TEST(ConfigFileEntry, FileEntryHasEmptyIdentity) {
  const auto entry = EntryFromFile("/d/x.LUM", BusyBlock());
  EXPECT_EQ(entry->Name, "/d/x.LUM");
  EXPECT_FALSE(entry->FromDevice);
  EXPECT_FALSE(entry->Modified);
  EXPECT_EQ(entry->Model, "");
  EXPECT_EQ(entry->SerialNumber, 0u);
  EXPECT_EQ(entry->Config, BusyBlock());
}

}  // namespace
}  // namespace lum
