#include "WindowFixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "data/TypeTables.h"
#include "ui_FormLUM.h"

namespace lum::test {

void WindowFixture::SetUp() { WritePorts({}); }

// The window goes before its working directory.
void WindowFixture::TearDown() { window_.reset(); }

void WindowFixture::WritePorts(const std::vector<std::pair<std::string, std::string>>& ports) {
  std::ofstream ini(std::filesystem::path(dir_) / "LUM.INI", std::ios::binary);
  ini << "[Ports]\r\n";
  for (const auto& [name, path] : ports) ini << name << '=' << path << "\r\n";
}

TFormLUM& WindowFixture::Create(const std::string& executablePath) {
  FormLUMOptions options;
  options.workDir = dir_;
  options.executablePath = executablePath;
  options.dialogs = &dialogs_;
  window_ = std::make_unique<TFormLUM>(options);
  return *window_;
}

TFormLUM& WindowFixture::CreateShown() {
  TFormLUM& window = Create();
  window.show();
  window.activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  return window;
}

void WindowFixture::FillTypeLists() {
  Ui::TFormLUM& u = window_->ui();
  for (const TBATTERY_TYPES& type : BatteryTypes())
    Find<QComboBox>(*u.PageControl, "cbbBatteryType")->addItem(QString::fromUtf8(type.DefaultName));
  for (const char* name : WorkModeNames()) Find<QComboBox>(*u.tsLoad, "cbbWorkMode")->addItem(QString::fromUtf8(name));
  Find<QComboBox>(*u.PageControl, "cbbBatteryType")->setCurrentIndex(-1);
  Find<QComboBox>(*u.tsLoad, "cbbWorkMode")->setCurrentIndex(-1);
}

TDEVICE_CONFIG& WindowFixture::AddFileEntry(const std::string& name, const TCONFIG_BLOCK& block) {
  auto entry = std::make_unique<TDEVICE_CONFIG>();
  entry->Name = name;
  entry->Config = block;
  TDEVICE_CONFIG& added = window_->Entries().AddFileEntry(std::move(entry));
  window_->RebuildEntryTree();
  return added;
}

void WindowFixture::SelectNode(const QString& text) {
  const auto found = window_->ui().tvDevices->findItems(text, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << text.toStdString();
  window_->ui().tvDevices->setCurrentItem(found.front());
}

TCONFIG_BLOCK SampleBlock(int row) {
  TCONFIG_BLOCK block;
  block.SetProductID(DeviceTypes()[static_cast<size_t>(row)].ProductCode);
  block.SetFuncFlags(block_bits::kMiEnabled | 1 /* PIR */ | block_bits::kIRReceiver);
  block.SetOTP(60);
  block.SetBattOVP(14600);
  block.SetBattFCV(13700);
  block.SetBattUVP(11000);
  block.SetBattUVR(12400);
  block.SetSCV(620);
  block.SetSCDelay(45);
  for (int c = 0; c < 2; ++c) {
    TCHANNEL_CONFIG channel = block.Channel(0, c);
    channel.SetMode(static_cast<uint8_t>(c == 0 ? 2 | block_bits::kLoopMode : 1));
    channel.SetCC(static_cast<uint16_t>(1500 + 100 * c));
    channel.SetCV(static_cast<uint16_t>(12000 + 1000 * c));
    for (int k = 0; k < block_layout::kSegments; ++k) {
      channel.Timing(k).SetMinutes(static_cast<uint16_t>(60 * (k + 1) + c));
      channel.Timing(k).SetPower(static_cast<uint8_t>(10 * (k + 1) + c));
    }
  }
  return block;
}

bool WindowFixture::WaitForSession(DeviceSession& session) {
  constexpr int kLongestOperationMs = 60000;
  const bool ended = QTest::qWaitFor([&session] { return !session.Busy(); }, kLongestOperationMs);
  // The last results were posted before the session counted itself idle; show them.
  QCoreApplication::processEvents();
  return ended;
}

}  // namespace lum::test
