// lumctl follows the locale while nothing else chooses its language, and reads its settings
// from the XDG folder when the working directory holds no LUM.INI.
#include <filesystem>

#include "cli/Lumctl.h"
#include "data/ConfigFile.h"

namespace lum {
namespace {

class LumctlLocaleTest : public Lumctl {
 protected:
  void SetUp() override {
    Lumctl::SetUp();
    std::filesystem::copy_file(LUM_SOURCE_DIR "/lang/LUM_en.lng", Path("LUM_en.lng"));
    SaveConfigFile(Path("in.LUM"), DualChannelBlock());
  }
};

constexpr char kEnglishName[] = "Dual-output solar controller";
constexpr char kChineseName[] = "双路普通型太阳能控制器";

TEST_F(LumctlLocaleTest, EnglishUnlessTheLocaleIsChinese) {
  for (const char* locale : {"C.UTF-8", "en_US.UTF-8", "POSIX"}) {
    const Outcome shown = Run("show in.LUM", locale);
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_TRUE(Contains(shown.out, kEnglishName)) << locale << "\n" << shown.out;
  }
  EXPECT_TRUE(Contains(Run("show in.LUM", "zh_CN.UTF-8").out, kChineseName));
  // LC_MESSAGES speaks for the messages whatever LANG says.
  EXPECT_TRUE(Contains(Run("show in.LUM", "zh_CN.UTF-8 LC_MESSAGES=en_GB.UTF-8").out, kEnglishName));
  WriteRaw("doc.json", Run("show --json in.LUM").out);
  const Outcome packed = Run("pack doc.json out.LUM");
  EXPECT_TRUE(Contains(packed.out, "out.LUM saved.")) << packed.out;
}

TEST_F(LumctlLocaleTest, LumIniAndLangOptionChooseOverTheLocale) {
  WriteRaw("LUM.INI", "[Language]\r\nLanguageFile=LUM_chs.lng\r\n");
  EXPECT_TRUE(Contains(Run("show in.LUM").out, kChineseName));
  WriteRaw("LUM.INI", "[Language]\r\nLanguageFile=LUM_en.lng\r\n");
  EXPECT_TRUE(Contains(Run("show in.LUM", "zh_CN.UTF-8").out, kEnglishName));

  WriteRaw("other.lng", "[DeviceDescription]\r\n5330464=Zweikanal\r\n");
  EXPECT_TRUE(Contains(Run("--lang other.lng show in.LUM").out, "Zweikanal"));
  const Outcome missing = Run("--lang nothing.lng show in.LUM");
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(Contains(missing.err, "nothing.lng")) << missing.err;
}

TEST_F(LumctlLocaleTest, WithoutLumIniTheSettingsComeFromTheXdgFolder) {
  std::filesystem::create_directories(Path(".config/lum"));
  WriteRaw(".config/lum/LUM.INI", "[Language]\r\nLanguageFile=LUM_chs.lng\r\n");
  EXPECT_TRUE(Contains(Run("show in.LUM").out, kChineseName));
  EXPECT_FALSE(std::filesystem::exists(Path("LUM.INI")));
  EXPECT_FALSE(std::filesystem::exists(Path("LUM_chs.lng")));
}

}  // namespace
}  // namespace lum
