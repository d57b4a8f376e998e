#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace lum::sim {

/// How the simulated loader behaves, faults included.
struct LoaderOptions {
  uint32_t DeviceID = 0x00515610;
  uint8_t IdentityExtra = 0;            // the fifth identity byte
  uint8_t BlockSize = 16;               // the loader's fixed transfer block size
  bool Silent = false;                  // never announces itself
  bool ExtraSyncByte = false;           // answers "<" with ">" and one more byte
  std::optional<size_t> BadImageBlock;  // answers this image block with a check error
  std::optional<size_t> BadDataBlock;   // answers this data block with a check error
};

/// What the loader received in the current session.
struct LoaderRecord {
  std::vector<uint8_t> Image;  // payloads of the accepted image blocks, in order
  std::vector<uint8_t> Data;   // payloads of the accepted data blocks, in order
  std::optional<uint16_t> Version;
  std::optional<uint16_t> Build;
  bool ImageEnded = false;  // 0xFF 0xFF arrived
  int RejectedBlocks = 0;
  int Quits = 0;
};

/// The loader's side of the dialogue as a byte-driven state machine, without any line: bytes
/// from the program go in, replies come out.
class LoaderMachine {
 public:
  explicit LoaderMachine(LoaderOptions options);

  /// The loader's announcement, ending in "!".
  static std::vector<uint8_t> Announcement();

  /// Takes bytes from the program (in any split) and returns the replies they caused, one
  /// element per reply.
  std::vector<std::vector<uint8_t>> Feed(const uint8_t* data, size_t size);

  const LoaderRecord& Record() const { return record_; }
  const LoaderOptions& Options() const { return options_; }

 private:
  enum class Phase { Idle, Image, Data };
  enum class Expect { Command, BlockIndex, BlockBody, SecondImageEnd, Word };

  void OnCommand(uint8_t byte, std::vector<std::vector<uint8_t>>& replies);
  std::vector<uint8_t> FinishBlock();
  std::vector<uint8_t> FinishWord();

  LoaderOptions options_;
  LoaderRecord record_;
  Phase phase_ = Phase::Idle;
  Expect expect_ = Expect::Command;
  uint8_t block_index_ = 0;
  std::vector<uint8_t> body_;
  uint8_t word_command_ = 0;
  std::vector<uint8_t> word_;
  size_t next_image_block_ = 0;
  size_t next_data_block_ = 0;
};

}  // namespace lum::sim
