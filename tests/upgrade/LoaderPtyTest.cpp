// Whole upgrades against the simulated loader over real pseudo-terminals, in process and
// through lumctl. Each image block costs 600 ms of real time, so the payloads are tiny.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "cli/Lumctl.h"
#include "sim/Loader.h"
#include "support/UpgradeTestSupport.h"
#include "upgrade/EffFile.h"
#include "upgrade/LoaderDialogue.h"

namespace lum {
namespace {

using test::EffFields;
using test::Pattern;

constexpr unsigned kRecordTimeoutMs = 20000;  // safety net only; the loader is far quicker

TEST(LoaderOverPty, ImageAndDataArriveIntact) {
  MessageTable messages;
  messages.FillBuiltIn();
  EffFields eff;
  eff.blockSize = 8;
  eff.image = Pattern(24, 0x30);  // 3 blocks
  eff.data = Pattern(8, 0x90);
  eff.version = 321;
  eff.build = 4;
  const auto bytes = test::EffBytes(eff);
  auto content = std::make_unique<EffContent>();
  test::MemoRecorder memo;
  ASSERT_TRUE(LoadEffBytes(bytes.data(), bytes.size(), "t.eff", *content, memo, messages, DefaultModelNames()));

  sim::LoaderOptions options;
  options.BlockSize = 8;
  sim::SimLoader loader(options);
  EXPECT_TRUE(RunUpgrade("COM7", loader.Path(), *content, memo, messages, SystemClock()));
  EXPECT_EQ(memo.lines.back(), "恭喜：固件升级完成！");
  ASSERT_TRUE(loader.WaitForQuits(2, kRecordTimeoutMs));
  const auto record = loader.Record();
  EXPECT_EQ(record.Image, eff.image);
  EXPECT_EQ(record.Data, eff.data);
  EXPECT_EQ(record.Version, 321);
  EXPECT_EQ(record.Build, 4);
  EXPECT_TRUE(record.ImageEnded);
  EXPECT_EQ(record.RejectedBlocks, 0);
}

class LumctlUpgrade : public Lumctl {
 protected:
  void WriteEff(const EffFields& eff) {
    const auto bytes = test::EffBytes(eff);
    WriteRaw("fw.eff", std::string(bytes.begin(), bytes.end()));
  }
};

TEST_F(LumctlUpgrade, EffInfoPrintsTheReportAndTellsTheOutcome) {
  WriteEff(EffFields{});
  auto outcome = Run("eff-info fw.eff");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "打开文件 " + Path("fw.eff") +
                             " ...Ok!\n文件版本：1.0\n设备型号：单路普通型太阳能控制器\n固件版本：1.2.3.7\n"
                             "文件已加载，准备升级。\n");

  EffFields bad;
  bad.checksum = 1;
  WriteEff(bad);
  outcome = Run("eff-info fw.eff");
  EXPECT_EQ(outcome.status, 2);  // a rejected file is bad input
  EXPECT_TRUE(Contains(outcome.out, "文件数据错误！\n"));

  outcome = Run("eff-info missing.eff");
  EXPECT_EQ(outcome.status, 2);
  EXPECT_TRUE(Contains(outcome.err, "missing.eff"));
}

TEST_F(LumctlUpgrade, PortIsFoundThroughThePortsSection) {
  WriteEff(EffFields{});
  sim::LoaderOptions options;
  options.DeviceID = 0x80515610;  // same model, another variant: the identity check fails
  sim::SimLoader loader(options);
  WriteRaw("LUM.INI", "[Ports]\nCOM5=" + loader.Path() + "\n");

  auto outcome = Run("upgrade fw.eff --port COM5");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(Contains(outcome.out,
                       "打开COM5通讯端口... Ok!\n设置COM5通讯端口... Ok!\n等待硬件响应... Ok!\n"
                       "核对硬件身份... 错误！\n"))
      << outcome.out;

  outcome = Run("upgrade fw.eff --port COM6");  // not in the section
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(Contains(outcome.out, "打开COM6通讯端口... 错误！\n")) << outcome.out;
}

// An upgrade that stops after it began writing the image leaves the unit without firmware: lumctl
// says where it stopped and exits with status 1, and says nothing of success.
TEST_F(LumctlUpgrade, AnUpgradeStoppedMidImageExitsWithStatusOne) {
  EffFields eff;
  eff.blockSize = sim::LoaderOptions{}.BlockSize;
  eff.image = test::Pattern(3u * eff.blockSize);
  WriteEff(eff);
  sim::LoaderOptions options;
  options.BadImageBlock = 1;
  sim::SimLoader loader(options);
  MapPorts({{"COM1", loader.Path()}});

  const auto outcome = Run("upgrade fw.eff --port COM1");
  EXPECT_EQ(outcome.status, 1) << outcome.out << outcome.err;
  EXPECT_TRUE(Contains(outcome.out, "核对硬件身份... Ok!\n正在升级固件... 数据校验错误！")) << outcome.out;
  EXPECT_FALSE(Contains(outcome.out, "恭喜")) << outcome.out;
  EXPECT_EQ(loader.Record().Image.size(), eff.blockSize) << "only the block before the bad one was taken";
}

// What the README's upgrade try-out does: a file made for the simulated loader, the loader mapped
// like a controller, and lumctl upgrading it.
TEST_F(LumctlUpgrade, MadeFileUpgradesTheLoaderMappedThroughItsPortsFile) {
  const std::string sim = "'" LUM_SIM_PATH "'";
  ASSERT_EQ(std::system(
                ("cd '" + dir_.string() + "' && " + sim + " make-eff fw.eff --image-bytes 16 --data-bytes 16 >made.txt")
                    .c_str()),
            0);
  EXPECT_EQ(Run("eff-info fw.eff").status, 0);
  FILE* loader = popen(
      ("cd '" + dir_.string() + "' && echo $$ >loader.pid && exec " + sim + " loader --ports-ini LUM.INI").c_str(),
      "r");
  ASSERT_NE(loader, nullptr);
  // The loader names its port once LUM.INI maps it.
  std::array<char, 256> port{};
  const bool ready = fgets(port.data(), static_cast<int>(port.size()), loader) != nullptr;

  const auto outcome = ready ? Run("upgrade fw.eff --port COM1") : Outcome{};

  EXPECT_EQ(std::system(("kill $(cat '" + Path("loader.pid") + "')").c_str()), 0) << "the loader ended";
  pclose(loader);
  ASSERT_TRUE(ready) << "the loader did not start";
  EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  EXPECT_TRUE(Contains(outcome.out, "恭喜：固件升级完成！")) << outcome.out;
  // stderr is a file here: a log gets no progress bar redrawn over itself.
  EXPECT_FALSE(Contains(outcome.err, "\r")) << outcome.err;
}

}  // namespace
}  // namespace lum
