#include "upgrade/EffFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "base/ByteOrder.h"
#include "base/RegularFile.h"
#include "base/SafeFormat.h"
#include "language/MessageSlots.h"

namespace lum {

namespace {

using namespace eff_layout;

class FileSource final : public EffSource {
 public:
  explicit FileSource(const std::string& path) : path_(path), file_(OpenRegularFile(path)) {}
  size_t Read(uint8_t* buffer, size_t length) override {
    return ReadSome(file_, path_, reinterpret_cast<char*>(buffer), length);
  }

 private:
  std::string path_;
  FileDescriptor file_;
};

class MemorySource final : public EffSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Read(uint8_t* buffer, size_t length) override {
    const size_t count = std::min(length, size_ - position_);
    if (count > 0) std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    return count;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

bool MagicMatches(const uint8_t* header, size_t count) {
  if (count < kMagicSize) return false;
  for (size_t i = 0; i < kMagicSize; ++i) {
    const auto c = static_cast<char>(header[i]);
    const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper != kMagic[i]) return false;
  }
  return true;
}

// The file version: the header's characters 4 to 6, cut at the first zero byte of the header.
// Bytes that are not printable ASCII are shown as '?', so that a damaged file cannot put
// control codes or broken UTF-8 into the memo.
std::string FileVersionText(const uint8_t* header) {
  const uint8_t* end = std::find(header, header + kFixedHeaderSize, uint8_t{0});
  std::string text;
  for (const uint8_t* p = header + kFileVersionOffset; p < end && p < header + kFileVersionOffset + kFileVersionSize;
       ++p)
    text += (*p >= 0x20 && *p < 0x7F) ? static_cast<char>(*p) : '?';
  return text;
}

// Reads the next 4-byte header group while at least 4 declared extension bytes remain.
bool ReadGroup(EffSource& source, size_t& remaining, std::array<uint8_t, kGroupSize>& group) {
  if (remaining < kGroupSize) return false;
  if (source.Read(group.data(), kGroupSize) < kGroupSize) return false;
  remaining -= kGroupSize;
  return true;
}

void ResetForLoad(EffContent& content) {
  content.BlockSize = 0;
  content.DataLength = 0;
  content.ImageLength = 0;
  content.Version = 0;
  content.Build = 0;
  content.Accepted = false;
}

}  // namespace

namespace {
// Version 123 with build 7 reads 1.2.3.7.
std::string FormatVersion(std::string_view format, uint16_t version, uint16_t build) {
  return FormatText(format,
                    {int64_t{version / 100}, int64_t{(version % 100) / 10}, int64_t{version % 10}, int64_t{build}});
}
}  // namespace

std::string FirmwareVersionText(uint16_t version, uint16_t build) {
  return FormatVersion("%d.%d.%d.%d", version, build);
}

bool LoadEff(EffSource& source, const std::string& path, EffContent& content, UpgradeMemo& memo,
             const MessageTable& messages, const ModelNames& names) {
  ResetForLoad(content);
  memo.SetText(FormatText(messages.Text(msg::kOpeningFile), {path}));
  memo.SetFileName(std::filesystem::path(path).filename().string());

  std::array<uint8_t, kFixedHeaderSize> header{};
  const size_t headerCount = source.Read(header.data(), header.size());
  if (!MagicMatches(header.data(), headerCount)) {
    memo.EndLine(messages.Text(msg::kError));
    return false;
  }
  memo.EndLine(kStepOk);
  if (headerCount < kFixedHeaderSize) return false;

  memo.AddLine(FormatText(messages.Text(msg::kFileVersion), {FileVersionText(header.data())}));
  content.BlockSize = header[kBlockSizeOffset];
  const size_t declaredDataSize = size_t{header[kBlockSizeOffset]} * header[kDataBlockCountOffset];
  size_t remaining = header[kExtensionLengthOffset];

  std::array<uint8_t, kGroupSize> group{};
  if (!ReadGroup(source, remaining, group)) return false;
  const uint32_t checksum = ReadU24Be(group.data() + kChecksumOffsetInGroup);

  if (!ReadGroup(source, remaining, group)) return false;
  content.DeviceID = ReadU32Be(group.data());
  const std::string name = ModelNameForId(content.DeviceID, names, messages);
  memo.AddLine(FormatText(messages.Text(msg::kDeviceModel), {name}));
  memo.SetDescription(name);
  if (!IsKnownModel(content.DeviceID)) return false;

  if (!ReadGroup(source, remaining, group)) return false;
  content.Version = ReadU16Be(group.data() + kVersionOffsetInGroup);
  content.Build = ReadU16Be(group.data() + kBuildOffsetInGroup);
  memo.SetFirmwareVersion(FirmwareVersionText(content.Version, content.Build));
  memo.AddLine(FormatVersion(messages.Text(msg::kFirmwareVersion), content.Version, content.Build));

  // A data section larger than its buffer, or blocks of no bytes, can never be sent: such a
  // file is refused as a data error instead of being cut.
  if (declaredDataSize > kDataCapacity || content.BlockSize == 0) {
    memo.AddLine(messages.Text(msg::kFileDataError));
    return false;
  }
  content.DataLength = static_cast<uint32_t>(source.Read(content.Data.data(), declaredDataSize));
  content.ImageLength = static_cast<uint32_t>(source.Read(content.Image.data(), content.Image.size()));

  uint32_t sum = checksum;
  for (uint32_t i = 0; i < content.DataLength; ++i) sum -= content.Data[i];
  for (uint32_t i = 0; i < content.ImageLength; ++i) sum -= content.Image[i];
  if (sum != 0) {
    memo.AddLine(messages.Text(msg::kFileDataError));
    return false;
  }
  memo.AddLine(messages.Text(msg::kFileLoaded));
  content.Accepted = true;
  return true;
}

bool LoadEffFile(const std::string& path, EffContent& content, UpgradeMemo& memo, const MessageTable& messages,
                 const ModelNames& names) {
  ResetForLoad(content);
  FileSource source(path);
  return LoadEff(source, path, content, memo, messages, names);
}

bool LoadEffBytes(const uint8_t* data, size_t size, const std::string& path, EffContent& content, UpgradeMemo& memo,
                  const MessageTable& messages, const ModelNames& names) {
  MemorySource source(data, size);
  return LoadEff(source, path, content, memo, messages, names);
}

}  // namespace lum
