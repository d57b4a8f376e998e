#include "sim/LoaderMachine.h"

#include <numeric>

#include "base/ByteOrder.h"
#include "upgrade/LoaderProtocol.h"

namespace lum::sim {

namespace {
constexpr char kAnnouncement[] = "LOADER!";
constexpr uint8_t kExtraSyncByte = '?';
constexpr size_t kWordSize = 2;
}  // namespace

LoaderMachine::LoaderMachine(LoaderOptions options) : options_(options) {}

std::vector<uint8_t> LoaderMachine::Announcement() {
  return std::vector<uint8_t>(kAnnouncement, kAnnouncement + sizeof kAnnouncement - 1);
}

std::vector<std::vector<uint8_t>> LoaderMachine::Feed(const uint8_t* data, size_t size) {
  std::vector<std::vector<uint8_t>> replies;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t byte = data[i];
    switch (expect_) {
      case Expect::Command:
        OnCommand(byte, replies);
        break;
      case Expect::BlockIndex:
        block_index_ = byte;
        body_.clear();
        expect_ = Expect::BlockBody;
        break;
      case Expect::BlockBody:
        body_.push_back(byte);
        if (body_.size() == size_t{options_.BlockSize} + 1) {
          expect_ = Expect::Command;
          replies.push_back(FinishBlock());
        }
        break;
      case Expect::SecondImageEnd:
        expect_ = Expect::Command;
        if (byte == loader::kImageEnd) {
          record_.ImageEnded = true;
          phase_ = Phase::Idle;
        } else {
          OnCommand(byte, replies);
        }
        break;
      case Expect::Word:
        word_.push_back(byte);
        if (word_.size() == kWordSize) {
          expect_ = Expect::Command;
          replies.push_back(FinishWord());
        }
        break;
    }
  }
  return replies;
}

void LoaderMachine::OnCommand(uint8_t byte, std::vector<std::vector<uint8_t>>& replies) {
  if (byte == loader::kBlockHeader && phase_ != Phase::Idle) {
    expect_ = Expect::BlockIndex;
  } else if (byte == loader::kImageEnd && phase_ == Phase::Image) {
    expect_ = Expect::SecondImageEnd;
  } else if (byte == loader::kSync) {
    replies.push_back({loader::kSynced});
    if (options_.ExtraSyncByte) replies.back().push_back(kExtraSyncByte);
  } else if (byte == loader::kIdentify) {
    std::vector<uint8_t> identity(loader::kIdentitySize);
    WriteU32Be(identity.data(), options_.DeviceID);
    identity[sizeof(uint32_t)] = options_.IdentityExtra;
    replies.push_back(identity);
  } else if (byte == loader::kImageStart) {
    phase_ = Phase::Image;
    next_image_block_ = 0;
    record_.Image.clear();
    replies.push_back({loader::kImageReady});
  } else if (byte == loader::kDataStart) {
    // Within the data phase "E" only announces the next block, which is answered itself.
    if (phase_ != Phase::Data) {
      phase_ = Phase::Data;
      next_data_block_ = 0;
      record_.Data.clear();
      replies.push_back({loader::kDataReady});
    }
  } else if (byte == loader::kVersion || byte == loader::kBuild) {
    word_command_ = byte;
    word_.clear();
    expect_ = Expect::Word;
  } else if (byte == loader::kQuit) {
    ++record_.Quits;
    phase_ = Phase::Idle;
  }
}

std::vector<uint8_t> LoaderMachine::FinishBlock() {
  const bool image = phase_ == Phase::Image;
  size_t& next = image ? next_image_block_ : next_data_block_;
  const std::optional<size_t>& bad = image ? options_.BadImageBlock : options_.BadDataBlock;
  const uint8_t ready = image ? loader::kImageReady : loader::kDataReady;

  const size_t number = next++;
  const uint8_t check = std::accumulate(body_.begin(), body_.end() - 1, uint8_t{0},
                                        [](uint8_t a, uint8_t b) { return static_cast<uint8_t>(a ^ b); });
  const bool good = block_index_ == static_cast<uint8_t>(number) && check == body_.back() && bad != number;
  if (!good) {
    ++record_.RejectedBlocks;
    return {loader::kCheckError, ready};
  }
  auto& payload = image ? record_.Image : record_.Data;
  payload.insert(payload.end(), body_.begin(), body_.end() - 1);
  return {ready};
}

std::vector<uint8_t> LoaderMachine::FinishWord() {
  const uint16_t value = ReadU16Be(word_.data());
  if (word_command_ == loader::kVersion) {
    record_.Version = value;
    return {loader::kDataReady};
  }
  // Nothing reads an answer to the build: one would stay in the line for the next session.
  record_.Build = value;
  return {};
}

}  // namespace lum::sim
