#include "upgrade/LoaderDialogue.h"

#include "base/ByteOrder.h"
#include "base/SafeFormat.h"
#include "language/MessageSlots.h"
#include "upgrade/LoaderProtocol.h"

namespace lum {

namespace {

using namespace loader_pacing;

// Past the end of its buffer a block is filled with this (only an image of the full 16384
// bytes whose length is not a multiple of the block size reaches there).
constexpr uint8_t kFillPastBuffer = 0xFF;

size_t BlockCount(uint32_t length, uint8_t blockSize) { return (length + blockSize - 1u) / blockSize; }

// Block k of a payload buffer followed by the XOR of its bytes; a last partial block takes
// the bytes that follow the payload in the buffer.
std::vector<uint8_t> BlockWithCheck(const uint8_t* buffer, size_t capacity, size_t k, uint8_t blockSize) {
  std::vector<uint8_t> block(size_t{blockSize} + 1);
  uint8_t check = 0;
  for (size_t i = 0; i < blockSize; ++i) {
    const size_t position = k * blockSize + i;
    block[i] = position < capacity ? buffer[position] : kFillPastBuffer;
    check ^= block[i];
  }
  block[blockSize] = check;
  return block;
}

bool EndsWith(const std::vector<uint8_t>& reply, uint8_t last) { return !reply.empty() && reply.back() == last; }
bool IsCheckError(const std::vector<uint8_t>& reply) {
  return reply.size() == loader::kCheckErrorSize && reply.front() == loader::kCheckError;
}

class Dialogue {
 public:
  Dialogue(SerialPort& port, const EffContent& content, UpgradeMemo& memo, const MessageTable& messages, Clock& clock)
      : port_(port), content_(content), memo_(memo), messages_(messages), clock_(clock) {}

  // Steps 3 and 4 share one memo line.
  bool WaitAndSynchronise() {
    memo_.AddLine(messages_.Text(msg::kWaitingHardware));
    std::vector<uint8_t> reply;
    for (int round = 0; round < kLoaderWaitRounds && reply.empty(); ++round) {
      clock_.SleepMs(kLoaderWaitMs);
      reply = ReadLoaderReply(port_, kHandshakeCapacity);
    }
    if (!EndsWith(reply, loader::kListening)) return Fail(msg::kError, Text(msg::kLoaderSilent));
    Send({loader::kSync});
    clock_.SleepMs(kSyncWaitMs);
    reply = ReadLoaderReply(port_, kHandshakeCapacity);
    if (reply != std::vector<uint8_t>{loader::kSynced}) return Fail(msg::kError, Text(msg::kLoaderSilent));
    memo_.EndLine(kStepOk);
    return true;
  }

  bool CheckIdentity() {
    memo_.AddLine(messages_.Text(msg::kCheckingIdentity));
    Send({loader::kIdentify});
    clock_.SleepMs(kIdentityWaitMs);
    const auto reply = ReadLoaderReply(port_, kHandshakeCapacity);
    if (reply.size() != loader::kIdentitySize) return Fail(msg::kError, Text(msg::kLoaderSilent));
    if (!CheckLoaderIdentity(reply, content_.DeviceID)) return Fail(msg::kError, Text(msg::kLoaderOtherModel));
    memo_.EndLine(kStepOk);
    return true;
  }

  bool SendFirmwareImage() {
    memo_.AddLine(messages_.Text(msg::kUpgradingFirmware));
    int outcome = kOutcomeOk;
    std::string reason;
    Send({loader::kImageStart});
    const size_t blocks = BlockCount(content_.ImageLength, content_.BlockSize);
    for (size_t k = 0; k < blocks; ++k) {
      clock_.SleepMs(kImageBlockWaitMs);
      const auto reply = ReadLoaderReply(port_, kTransferCapacity);
      if (!EndsWith(reply, loader::kImageReady)) {
        outcome = msg::kError;
        reason = StoppedAt(k, blocks);
        break;
      }
      if (IsCheckError(reply)) {
        outcome = msg::kDataCheckError;
        break;
      }
      Send({loader::kBlockHeader, static_cast<uint8_t>(k)});
      Send(BlockWithCheck(content_.Image.data(), content_.Image.size(), k, content_.BlockSize));
      memo_.SetProgress(static_cast<int>((k + 1) * kImageProgressEnd / blocks));
      memo_.ProcessEvents();
    }
    clock_.SleepMs(kImageBlockWaitMs);
    if (IsCheckError(ReadLoaderReply(port_, kTransferCapacity))) outcome = msg::kDataCheckError;
    Send(std::vector<uint8_t>(loader::kImageEndCount, loader::kImageEnd));
    return EndPhase(outcome, reason);
  }

  bool SendDataSection() {
    memo_.AddLine(messages_.Text(msg::kUpdatingData));
    int outcome = kOutcomeOk;
    std::string reason;
    Send({loader::kDataStart});
    const size_t blocks = BlockCount(content_.DataLength, content_.BlockSize);
    for (size_t k = 0; k < blocks; ++k) {
      clock_.SleepMs(kDataBlockWaitMs);
      if (!EndsWith(ReadLoaderReply(port_, kTransferCapacity), loader::kDataReady)) {
        outcome = msg::kError;  // this block is skipped, the loop goes on
        if (reason.empty()) reason = StoppedAt(k, blocks);
        continue;
      }
      Send({loader::kDataStart});
      Send({loader::kBlockHeader, static_cast<uint8_t>(k)});
      Send(BlockWithCheck(content_.Data.data(), content_.Data.size(), k, content_.BlockSize));
      memo_.SetProgress(kImageProgressEnd + static_cast<int>((k + 1) * kDataProgressSpan / blocks));
      memo_.ProcessEvents();
    }
    clock_.SleepMs(kDataEndWaitMs);
    const auto reply = ReadLoaderReply(port_, kTransferCapacity);
    if (IsCheckError(reply)) outcome = msg::kDataCheckError;
    if (EndsWith(reply, loader::kDataReady))
      SendWord(loader::kVersion, content_.Version);
    else
      outcome = msg::kError;
    clock_.SleepMs(kDataEndWaitMs);
    if (EndsWith(ReadLoaderReply(port_, kTransferCapacity), loader::kDataReady))
      SendWord(loader::kBuild, content_.Build);
    else
      outcome = msg::kError;
    // The version and build go last: a loader silent there stopped after the last block.
    if (outcome == msg::kError && reason.empty())
      reason = blocks > 0 ? StoppedAt(blocks - 1, blocks) : Text(msg::kLoaderSilent);
    memo_.SetProgress(kProgressAfterBuild);
    clock_.SleepMs(kQuitWaitMs);
    Send({loader::kQuit});
    return EndPhase(outcome, reason);
  }

  void Finish() {
    Send({loader::kQuit});
    for (int i = 1; i <= kFinalRounds; ++i) {
      clock_.SleepMs(kFinalRoundMs);
      memo_.SetProgress(kProgressAfterBuild + i);
      memo_.ProcessEvents();
    }
  }

 private:
  static constexpr int kOutcomeOk = 0;  // not a message slot: the fixed "Ok!"

  void Send(const std::vector<uint8_t>& bytes) { port_.Write(bytes.data(), bytes.size()); }
  void SendWord(uint8_t command, uint16_t value) {
    std::vector<uint8_t> bytes(3);
    bytes[0] = command;
    WriteU16Be(bytes.data() + 1, value);
    Send(bytes);
  }
  const std::string& Text(int message) const { return messages_.Text(message); }
  // Why a transfer broke off: the block the loader did not take, counted from 1.
  std::string StoppedAt(size_t block, size_t blocks) const {
    return FormatText(Text(msg::kLoaderStopped), {static_cast<int64_t>(block + 1), static_cast<int64_t>(blocks)});
  }
  // The step's outcome ends its line; the reason, when known, follows on a line of its own.
  bool Fail(int message, const std::string& reason = {}) {
    memo_.EndLine(Text(message));
    if (!reason.empty()) memo_.AddLine(reason);
    return false;
  }
  bool EndPhase(int outcome, const std::string& reason) {
    if (outcome != kOutcomeOk) return Fail(outcome, reason);
    memo_.EndLine(kStepOk);
    return true;
  }

  SerialPort& port_;
  const EffContent& content_;
  UpgradeMemo& memo_;
  const MessageTable& messages_;
  Clock& clock_;
};

bool Sendable(const EffContent& content) {
  return content.Accepted && content.BlockSize != 0 && content.DataLength <= content.Data.size() &&
         content.ImageLength <= content.Image.size();
}

}  // namespace

std::unique_ptr<SerialPort> OpenLoaderPort(const std::string& path) { return OpenPort(path, loader::kBaud); }

std::vector<uint8_t> ReadLoaderReply(SerialPort& port, size_t capacity) {
  PortStatus status;
  if (!port.Status(status)) return {};
  if (status.inQueue > capacity) {
    port.PurgeReceive();
    return {};
  }
  std::vector<uint8_t> reply(status.inQueue);
  reply.resize(port.Read(reply.data(), reply.size()));
  return reply;
}

bool CheckLoaderIdentity(const std::vector<uint8_t>& reply, uint32_t deviceId) {
  return reply.size() >= sizeof(uint32_t) && ReadU32Be(reply.data()) == deviceId;
}

bool RunUpgrade(const std::string& portName, const std::string& portPath, const EffContent& content, UpgradeMemo& memo,
                const MessageTable& messages, Clock& clock, const LoaderPortOpener& open) {
  memo.SetProgress(0);
  if (!Sendable(content)) {
    memo.AddLine(messages.Text(msg::kError));
    return false;
  }
  memo.AddLine(FormatText(messages.Text(msg::kOpeningPort), {portName}));
  std::unique_ptr<SerialPort> port = portPath.empty() ? nullptr : open(portPath);
  if (!port) {
    memo.EndLine(messages.Text(msg::kError));
    return false;
  }
  memo.EndLine(kStepOk);
  // Opening the port applied its line settings already.
  memo.AddLine(FormatText(messages.Text(msg::kSettingPort), {portName}));
  memo.EndLine(kStepOk);

  Dialogue dialogue(*port, content, memo, messages, clock);
  if (!dialogue.WaitAndSynchronise() || !dialogue.CheckIdentity() || !dialogue.SendFirmwareImage() ||
      !dialogue.SendDataSection())
    return false;
  dialogue.Finish();
  port.reset();
  memo.AddLine(messages.Text(msg::kUpgradeComplete));
  return true;
}

}  // namespace lum
