#include <fmt/format.h>
#include <fmt/ranges.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "language/MessageSlots.h"
#include "sim/LoaderMachine.h"
#include "support/FakeClock.h"
#include "support/PortView.h"
#include "support/ScriptedPort.h"
#include "support/UpgradeTestSupport.h"
#include "upgrade/EffFile.h"
#include "upgrade/LoaderDialogue.h"

namespace lum {
namespace {

using test::Bytes;
using test::EffFields;
using test::Pattern;

std::string Hex(const Bytes& bytes) { return fmt::format("{:02X}", fmt::join(bytes, " ")); }

// What RunUpgrade owns: a view of the test's scripted port that notes when it is closed.
class PortHandle : public test::PortView {
 public:
  PortHandle(test::ScriptedPort& port, std::vector<std::string>& events) : PortView(port), events_(events) {}
  ~PortHandle() override { events_.push_back("close"); }

 private:
  std::vector<std::string>& events_;
};

class LoaderDialogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    messages.FillBuiltIn();
    clock.OnSleep([this](unsigned ms) { events.push_back(fmt::format("wait {}", ms)); });
  }

  void Load(const EffFields& eff) {
    const auto bytes = test::EffBytes(eff);
    test::MemoRecorder loadMemo;
    ASSERT_TRUE(LoadEffBytes(bytes.data(), bytes.size(), "t.eff", content, loadMemo, messages, DefaultModelNames()));
  }

  // The simulated loader's state machine answers; `mute` drops the replies to chosen writes.
  void AnswerWith(sim::LoaderOptions options) {
    loader.emplace(options);
    if (!options.Silent) port.Deliver(sim::LoaderMachine::Announcement());
    port.OnWrite([this](int, const Bytes& written) {
      events.push_back("send " + Hex(written));
      auto replies = loader->Feed(written.data(), written.size());
      if (mute && mute(written)) replies.clear();
      return replies;
    });
  }

  bool Run(const std::string& path = "/dev/loader") {
    return RunUpgrade("COM3", path, content, memo, messages, clock,
                      [this](const std::string& opened) -> std::unique_ptr<SerialPort> {
                        openedPath = opened;
                        if (failOpen) return nullptr;
                        return std::make_unique<PortHandle>(port, events);
                      });
  }

  bool Closed() const { return std::count(events.begin(), events.end(), "close") == 1; }
  int WaitsOf(unsigned ms) const {
    return static_cast<int>(std::count(events.begin(), events.end(), fmt::format("wait {}", ms)));
  }
  // Writes of exactly these bytes.
  int Sent(const Bytes& bytes) const {
    return static_cast<int>(std::count(port.Written().begin(), port.Written().end(), bytes));
  }

  MessageTable messages;
  test::FakeClock clock;
  test::ScriptedPort port{"/dev/loader"};
  std::optional<sim::LoaderMachine> loader;
  std::function<bool(const Bytes&)> mute;
  EffContent content;
  test::MemoRecorder memo;
  std::vector<std::string> events;
  std::optional<std::string> openedPath;
  bool failOpen = false;
};

sim::LoaderOptions Loader(uint8_t blockSize, uint32_t deviceId = 0x00515610) {
  sim::LoaderOptions options;
  options.BlockSize = blockSize;
  options.DeviceID = deviceId;
  return options;
}

TEST_F(LoaderDialogueTest, CompleteUpgradeFollowsTheWireSequence) {
  EffFields eff;
  eff.blockSize = 4;
  eff.image = {0x31, 0x32, 0x33, 0x34, 0x35, 0x36};
  eff.data = {0xC1, 0xC2, 0xC4, 0xC8};
  Load(eff);
  AnswerWith(Loader(4));

  EXPECT_TRUE(Run());
  EXPECT_EQ(openedPath, "/dev/loader");
  std::vector<std::string> expected = {"wait 32",
                                       "send 3C",
                                       "wait 500",
                                       "send 49",
                                       "wait 500",
                                       "send 46",
                                       "wait 600",
                                       "send 01 00",
                                       "send 31 32 33 34 04",
                                       "wait 600",
                                       "send 01 01",
                                       "send 35 36 00 00 03",
                                       "wait 600",
                                       "send FF FF",
                                       "send 45",
                                       "wait 400",
                                       "send 45",
                                       "send 01 00",
                                       "send C1 C2 C4 C8 0F",
                                       "wait 200",
                                       "send 56 00 7B",
                                       "wait 200",
                                       "send 42 00 07",
                                       "wait 100",
                                       "send 51",
                                       "send 51"};
  for (int i = 0; i < 10; ++i) expected.push_back("wait 255");
  expected.push_back("close");
  EXPECT_EQ(events, expected);

  EXPECT_EQ(memo.lines, (std::vector<std::string>{"打开COM3通讯端口... Ok!", "设置COM3通讯端口... Ok!",
                                                  "等待硬件响应... Ok!", "核对硬件身份... Ok!", "正在升级固件... Ok!",
                                                  "正在更新数据... Ok!", "恭喜：固件升级完成！"}));
  EXPECT_EQ(memo.progress, (std::vector<int>{0, 40, 80, 88, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99, 100}));
  EXPECT_EQ(memo.processEvents, 13);

  const auto& record = loader->Record();
  EXPECT_EQ(record.Image, (Bytes{0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x00, 0x00}));
  EXPECT_EQ(record.Data, eff.data);
  EXPECT_EQ(record.Version, 123);
  EXPECT_EQ(record.Build, 7);
  EXPECT_TRUE(record.ImageEnded);
  EXPECT_EQ(record.RejectedBlocks, 0);
  EXPECT_EQ(record.Quits, 2);
}

TEST_F(LoaderDialogueTest, PartialLastBlockTakesBytesLeftByAnEarlierLoad) {
  EffFields earlier;
  earlier.image = std::vector<uint8_t>(40, 0xAB);
  Load(earlier);
  EffFields eff;
  eff.image = Pattern(19, 1);
  Load(eff);
  AnswerWith(Loader(8));

  EXPECT_TRUE(Run());
  Bytes image = eff.image;
  image.resize(24, 0xAB);
  EXPECT_EQ(loader->Record().Image, image);
  EXPECT_EQ(memo.progress[1], 26);  // 80 / 3 per image block
}

TEST_F(LoaderDialogueTest, PartialLastDataBlockTakesBytesLeftByAnEarlierLoad) {
  EffFields earlier;
  earlier.data = std::vector<uint8_t>(16, 0xCD);
  Load(earlier);
  EffFields eff;
  eff.data = Pattern(5, 0x40);
  eff.dataBlocks = 2;  // the file ends inside its data section
  Load(eff);
  AnswerWith(Loader(8));

  EXPECT_TRUE(Run());
  Bytes data = eff.data;
  data.resize(8, 0xCD);
  EXPECT_EQ(loader->Record().Data, data);
}

TEST_F(LoaderDialogueTest, FullImageLastBlockIsFilledWith0xFF) {
  EffFields eff;
  eff.blockSize = 100;
  eff.image = Pattern(eff_layout::kImageCapacity, 9);
  Load(eff);
  AnswerWith(Loader(100));

  EXPECT_TRUE(Run());
  const auto& image = loader->Record().Image;
  ASSERT_EQ(image.size(), 16400u);
  EXPECT_TRUE(std::equal(eff.image.begin(), eff.image.end(), image.begin()));
  EXPECT_TRUE(std::all_of(image.begin() + 16384, image.end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST_F(LoaderDialogueTest, BlockIndexWrapsAfter255) {
  EffFields eff;
  eff.blockSize = 1;
  eff.image = Pattern(300, 5);
  Load(eff);
  AnswerWith(Loader(1));

  EXPECT_TRUE(Run());
  EXPECT_EQ(loader->Record().RejectedBlocks, 0);
  EXPECT_EQ(loader->Record().Image, eff.image);
  // Writes: "<", "I", "F", then header and block for each block.
  std::vector<Bytes> headers;
  for (size_t i = 3; i + 1 < port.Written().size() && headers.size() < 300; i += 2)
    headers.push_back(port.Written()[i]);
  ASSERT_EQ(headers.size(), 300u);
  EXPECT_EQ(headers[255], (Bytes{0x01, 0xFF}));
  EXPECT_EQ(headers[256], (Bytes{0x01, 0x00}));
  EXPECT_EQ(headers[299], (Bytes{0x01, 43}));
  EXPECT_EQ(WaitsOf(600), 301);
}

TEST_F(LoaderDialogueTest, EmptyDataSectionNeedsReadyAnswerToE) {
  EffFields eff;
  eff.image = Pattern(8);
  Load(eff);
  AnswerWith(Loader(8));
  EXPECT_TRUE(Run());
  const auto start = std::find(events.begin(), events.end(), "send FF FF");
  ASSERT_NE(start, events.end());
  EXPECT_EQ(std::vector<std::string>(start + 1, start + 8),
            (std::vector<std::string>{"send 45", "wait 200", "send 56 00 7B", "wait 200", "send 42 00 07", "wait 100",
                                      "send 51"}));
  EXPECT_TRUE(loader->Record().Data.empty());
}

TEST_F(LoaderDialogueTest, DataPhaseWithoutReadyFailsAfterSendingQuitOnce) {
  Load(EffFields{});
  AnswerWith(Loader(8));
  mute = [](const Bytes& written) { return written == Bytes{'E'}; };

  EXPECT_FALSE(Run());
  ASSERT_GE(memo.lines.size(), 2u);
  EXPECT_EQ(memo.lines.end()[-2], "正在更新数据... 错误！");
  EXPECT_EQ(memo.lines.back(), messages.Text(msg::kLoaderSilent));  // why, on a line of its own
  EXPECT_EQ(Sent({'V', 0x00, 0x7B}), 0);
  EXPECT_EQ(Sent({'B', 0x00, 0x07}), 0);
  EXPECT_EQ(loader->Record().Quits, 1);
  EXPECT_EQ(memo.progress.back(), 90);
  EXPECT_TRUE(Closed());
}

TEST_F(LoaderDialogueTest, DataBlockWithoutReadyIsSkippedAndTheLoopGoesOn) {
  EffFields eff;
  eff.data = Pattern(16, 0x60);
  Load(eff);
  AnswerWith(Loader(8));
  mute = [](const Bytes& written) { return written.size() == 9 && written[0] == 0x60; };  // data block 0

  EXPECT_FALSE(Run());
  EXPECT_EQ(WaitsOf(400), 2);
  EXPECT_EQ(Sent({0x01, 0x01}), 0);  // block 1 had no ready answer
  EXPECT_EQ(loader->Record().Data, Bytes(eff.data.begin(), eff.data.begin() + 8));
  ASSERT_GE(memo.lines.size(), 2u);
  EXPECT_EQ(memo.lines.end()[-2], "正在更新数据... 错误！");
  EXPECT_EQ(memo.lines.back(), "升级程序在第 2 块（共 2 块）停止应答：固件不完整，请重新升级。");
  EXPECT_EQ(loader->Record().Quits, 1);
}

TEST_F(LoaderDialogueTest, CheckErrorAfterLastDataBlockIsReported) {
  EffFields eff;
  eff.data = Pattern(16);
  Load(eff);
  auto options = Loader(8);
  options.BadDataBlock = 1;
  AnswerWith(options);

  EXPECT_FALSE(Run());
  EXPECT_EQ(memo.lines.back(), "正在更新数据... 数据校验错误！");
  EXPECT_EQ(loader->Record().Quits, 1);
  EXPECT_TRUE(Closed());
}

TEST_F(LoaderDialogueTest, ImageCheckErrorStopsThePhase) {
  EffFields eff;
  eff.image = Pattern(24);
  Load(eff);
  auto options = Loader(8);
  options.BadImageBlock = 1;
  AnswerWith(options);

  EXPECT_FALSE(Run());
  EXPECT_EQ(memo.lines.back(), "正在升级固件... 数据校验错误！");
  EXPECT_EQ(Sent({0x01, 0x02}), 0);
  EXPECT_EQ(Sent({0xFF, 0xFF}), 1);
  EXPECT_EQ(Sent({'E'}), 0);
  EXPECT_EQ(loader->Record().Quits, 0);
  EXPECT_TRUE(Closed());
}

TEST_F(LoaderDialogueTest, ImagePhaseWithoutReadyIsAnError) {
  EffFields eff;
  eff.image = Pattern(24);
  Load(eff);
  AnswerWith(Loader(8));
  mute = [](const Bytes& written) { return written == Bytes{'F'}; };

  EXPECT_FALSE(Run());
  ASSERT_GE(memo.lines.size(), 2u);
  EXPECT_EQ(memo.lines.end()[-2], "正在升级固件... 错误！");
  EXPECT_EQ(memo.lines.back(), "升级程序在第 1 块（共 3 块）停止应答：固件不完整，请重新升级。");
  EXPECT_EQ(Sent({0x01, 0x00}), 0);
  EXPECT_EQ(Sent({0xFF, 0xFF}), 1);
  EXPECT_TRUE(Closed());
}

// A loader that falls silent in the middle of the image (a unit that lost its power): the memo
// names the block where it stopped, nothing after it goes out but the image's end, and the data
// phase never starts.
TEST_F(LoaderDialogueTest, ALoaderFallingSilentMidImageNamesTheBlockWhereItStopped) {
  EffFields eff;
  eff.image = Pattern(24);
  Load(eff);
  AnswerWith(Loader(8));
  bool silent = false;
  mute = [&](const Bytes& written) {
    silent = silent || written.size() == 9;  // from the first block with its check byte on
    return silent;
  };

  EXPECT_FALSE(Run());
  ASSERT_GE(memo.lines.size(), 2u);
  EXPECT_EQ(memo.lines.end()[-2], "正在升级固件... 错误！");
  EXPECT_EQ(memo.lines.back(), "升级程序在第 2 块（共 3 块）停止应答：固件不完整，请重新升级。");
  EXPECT_EQ(Sent({0x01, 0x00}), 1);
  EXPECT_EQ(Sent({0x01, 0x01}), 0);
  EXPECT_EQ(Sent({0xFF, 0xFF}), 1);
  EXPECT_EQ(Sent({'E'}), 0);
  EXPECT_EQ(loader->Record().Image.size(), 8u) << "the loader took the first block only";
  EXPECT_TRUE(Closed());
}

TEST_F(LoaderDialogueTest, SynchronisationNeedsExactlyOneByte) {
  Load(EffFields{});
  auto options = Loader(8);
  options.ExtraSyncByte = true;
  AnswerWith(options);

  EXPECT_FALSE(Run());
  ASSERT_GE(memo.lines.size(), 2u);
  EXPECT_EQ(memo.lines.end()[-2], "等待硬件响应... 错误！");
  EXPECT_EQ(memo.lines.back(), messages.Text(msg::kLoaderSilent));
  EXPECT_EQ(port.Written(), (std::vector<Bytes>{{'<'}}));
  EXPECT_TRUE(Closed());
}

TEST_F(LoaderDialogueTest, SilentLoaderFailsAfter250Rounds) {
  Load(EffFields{});
  auto options = Loader(8);
  options.Silent = true;
  AnswerWith(options);

  EXPECT_FALSE(Run());
  EXPECT_EQ(WaitsOf(32), 250);
  EXPECT_EQ(clock.Sleeps().size(), 250u);
  EXPECT_TRUE(port.Written().empty());
  ASSERT_GE(memo.lines.size(), 2u);
  EXPECT_EQ(memo.lines.end()[-2], "等待硬件响应... 错误！");
  EXPECT_EQ(memo.lines.back(), messages.Text(msg::kLoaderSilent));
  EXPECT_TRUE(Closed());
}

TEST_F(LoaderDialogueTest, FirstTransmissionMustEndInBang) {
  Load(EffFields{});
  port.Deliver({'L', 'O', 'A', 'D'});
  EXPECT_FALSE(Run());
  EXPECT_EQ(WaitsOf(32), 1);
  EXPECT_TRUE(port.Written().empty());
  ASSERT_GE(memo.lines.size(), 2u);
  EXPECT_EQ(memo.lines.end()[-2], "等待硬件响应... 错误！");
  EXPECT_EQ(memo.lines.back(), messages.Text(msg::kLoaderSilent));
}

TEST_F(LoaderDialogueTest, IdentityMustMatchAll32Bits) {
  for (uint32_t id : {0x01515610u, 0x00515611u}) {
    SCOPED_TRACE(id);
    port = test::ScriptedPort("/dev/loader");
    memo = {};
    Load(EffFields{});
    AnswerWith(Loader(8, id));
    EXPECT_FALSE(Run());
    ASSERT_GE(memo.lines.size(), 2u);
    EXPECT_EQ(memo.lines.end()[-2], "核对硬件身份... 错误！");
    EXPECT_EQ(memo.lines.back(), "该控制器不是此文件所对应的型号：没有发送固件。");
    EXPECT_EQ(port.Written(), (std::vector<Bytes>{{'<'}, {'I'}}));
  }
}

TEST_F(LoaderDialogueTest, PortThatCannotBeOpenedFailsTheFirstStep) {
  Load(EffFields{});
  failOpen = true;
  EXPECT_FALSE(Run());
  EXPECT_EQ(memo.lines, (std::vector<std::string>{"打开COM3通讯端口... 错误！"}));
  EXPECT_EQ(memo.progress, (std::vector<int>{0}));

  failOpen = false;
  openedPath.reset();
  EXPECT_FALSE(Run(""));  // an empty port list
  EXPECT_FALSE(openedPath.has_value());
  EXPECT_TRUE(events.empty());
}

TEST_F(LoaderDialogueTest, ContentThatCannotBeSentIsRefused) {
  EXPECT_FALSE(Run());  // nothing loaded
  EXPECT_FALSE(openedPath.has_value());
  EXPECT_EQ(memo.lines, (std::vector<std::string>{"错误！"}));

  Load(EffFields{});
  content.BlockSize = 0;
  EXPECT_FALSE(Run());
  content.BlockSize = 8;
  content.ImageLength = eff_layout::kImageCapacity + 1;
  EXPECT_FALSE(Run());
  EXPECT_FALSE(openedPath.has_value());
}

TEST(ReadLoaderReply, TakesWhatWaitsUpToCapacityAndPurgesMore) {
  test::ScriptedPort port;
  port.Deliver(Bytes(9, 'x'));
  EXPECT_EQ(ReadLoaderReply(port, 9), Bytes(9, 'x'));
  EXPECT_EQ(port.PurgeCount(), 0);

  port.Deliver(Bytes(10, 'y'));
  EXPECT_TRUE(ReadLoaderReply(port, 9).empty());
  EXPECT_EQ(port.PurgeCount(), 1);
  EXPECT_EQ(port.Waiting(), 0u);

  EXPECT_TRUE(ReadLoaderReply(port, 9).empty());  // nothing waiting: no read, no purge
  EXPECT_EQ(port.PurgeCount(), 1);

  port.Deliver({'a'});
  port.FailStatus(true);
  EXPECT_TRUE(ReadLoaderReply(port, 256).empty());
}

TEST(CheckLoaderIdentity, ComparesTheFirstFourBytesBigEndian) {
  EXPECT_TRUE(CheckLoaderIdentity({0x00, 0x51, 0x56, 0x10, 0x77}, 0x00515610));
  EXPECT_FALSE(CheckLoaderIdentity({0x10, 0x56, 0x51, 0x00, 0x00}, 0x00515610));
  EXPECT_FALSE(CheckLoaderIdentity({0x00, 0x51, 0x56}, 0x00515600));
}

}  // namespace
}  // namespace lum
