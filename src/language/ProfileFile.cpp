#include "language/ProfileFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <unordered_set>

#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "base/RegularFile.h"
#include "base/SafeFormat.h"

namespace lum {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kLineEnd = "\r\n";
constexpr char kCommentMark = ';';
constexpr char kSectionOpen = '[';
constexpr char kSectionClose = ']';
constexpr char kAssign = '=';

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// Section and key in small letters, as the key index holds them.
std::string IndexKey(std::string_view section, std::string_view key) {
  return LowerAscii(std::string(section)) + '\n' + LowerAscii(std::string(key));
}

// The first n characters of a UTF-8 text, never cutting a character apart.
std::string FirstCharacters(std::string_view text, size_t n) {
  size_t pos = 0;
  for (size_t seen = 0; pos < text.size(); ++pos) {
    if ((static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80 && seen++ == n) break;
  }
  return std::string(text.substr(0, pos));
}

std::runtime_error UnableToWrite(const std::string& path, const std::string& reason) {
  return std::runtime_error(FormatText("Unable to write to %s", {path}) + ": " + reason);
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The lines of a text, each with its line feed (the last one may lack it).
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

std::string OneLine(std::string_view text) {
  std::string line(text);
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return line;
}

}  // namespace

ProfileFile ProfileFile::Parse(std::string_view bytes) {
  ProfileFile file;
  file.encoding_ = DetectEncoding(bytes);
  bytes.remove_prefix(ByteOrderMark(file.encoding_).size());
  const std::vector<std::string_view> raw = SplitLines(bytes);
  // Decoded at once: a line feed byte is never part of a character in these encodings, so
  // the decoded text has the same lines; should it not, each line is decoded on its own.
  const std::string decoded = DecodeText(bytes, file.encoding_);
  const std::vector<std::string_view> texts = SplitLines(decoded);
  const bool sameLines = texts.size() == raw.size();
  for (size_t i = 0; i < raw.size(); ++i) {
    std::string_view line = raw[i];
    std::string_view end;
    if (!line.empty() && line.back() == '\n') end = line.substr(line.size() - (EndsWith(line, kLineEnd) ? 2 : 1));
    line.remove_suffix(end.size());
    std::string text = sameLines ? std::string(texts[i]) : DecodeText(line, file.encoding_);
    if (sameLines) text.resize(text.size() - std::min(text.size(), end.size()));
    file.lines_.push_back({std::string(line), std::string(end), std::move(text)});
  }
  return file;
}

ProfileFile ProfileFile::Load(const std::string& path) {
  try {
    return Parse(ReadWholeFile(path, kMaxFileSize));
  } catch (const std::runtime_error&) {
    return ProfileFile();
  }
}

ProfileFile ProfileFile::LoadForWriting(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 && errno == ENOENT) return ProfileFile();
  try {
    return Parse(ReadWholeFile(path, kMaxFileSize));
  } catch (const FileError& e) {
    throw UnableToWrite(path, e.reason());
  }
}

std::optional<std::string> ProfileFile::SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != kSectionOpen) return std::nullopt;
  line.remove_prefix(1);
  return std::string(Trim(line.substr(0, line.find(kSectionClose))));
}

std::optional<ProfileFile::Entry> ProfileFile::ParseEntry(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == kCommentMark || trimmed.front() == kSectionOpen) return std::nullopt;
  const size_t assign = line.find(kAssign);
  if (assign == std::string_view::npos) return std::nullopt;
  return Entry{std::string(Trim(line.substr(0, assign))), std::string(Trim(line.substr(assign + 1)))};
}

std::optional<size_t> ProfileFile::FindSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const auto name = SectionName(lines_[i].text);
    if (name && EqualsIgnoringCase(*name, section)) return i;
  }
  return std::nullopt;
}

size_t ProfileFile::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && !SectionName(lines_[i].text)) ++i;
  return i;
}

const ProfileFile::KeyIndex& ProfileFile::Keys() const {
  if (keys_) return *keys_;
  keys_.emplace();
  std::unordered_set<std::string> sections;
  std::string section;
  bool firstHeader = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (const auto name = SectionName(lines_[i].text)) {
      section = LowerAscii(*name);
      firstHeader = sections.insert(section).second;
    } else if (const auto entry = firstHeader ? ParseEntry(lines_[i].text) : std::nullopt) {
      keys_->emplace(IndexKey(section, entry->key), i);  // the first entry of a key wins
    }
  }
  return *keys_;
}

std::optional<size_t> ProfileFile::FindKey(std::string_view section, std::string_view key) const {
  const KeyIndex& keys = Keys();
  const auto found = keys.find(IndexKey(section, key));
  if (found == keys.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> ProfileFile::Read(std::string_view section, std::string_view key) const {
  const auto line = FindKey(section, key);
  if (!line) return std::nullopt;
  return FirstCharacters(ParseEntry(lines_[*line].text)->value, kMaxValueLength);
}

std::string ProfileFile::ReadOr(std::string_view section, std::string_view key, std::string_view fallback) const {
  return Read(section, key).value_or(std::string(fallback));
}

bool ProfileFile::Has(std::string_view section, std::string_view key) const {
  return FindKey(section, key).has_value();
}

std::optional<ProfileFile::Entries> ProfileFile::SectionEntries(std::string_view section) const {
  const auto header = FindSection(section);
  if (!header) return std::nullopt;
  Entries entries;
  const size_t end = SectionEnd(*header);
  for (size_t i = *header + 1; i < end; ++i) {
    if (auto entry = ParseEntry(lines_[i].text))
      entries.emplace_back(std::move(entry->key), FirstCharacters(entry->value, kMaxValueLength));
  }
  return entries;
}

ProfileFile::Line ProfileFile::MakeLine(std::string text) const {
  return {EncodeText(text, encoding_), NewLineEnd(), std::move(text)};
}

std::string ProfileFile::NewLineEnd() const {
  for (const Line& line : lines_)
    if (!line.end.empty()) return line.end;
  return std::string(kLineEnd);
}

void ProfileFile::InsertLine(size_t position, std::string text) {
  if (position > 0 && lines_[position - 1].end.empty()) lines_[position - 1].end = NewLineEnd();
  Line line = MakeLine(std::move(text));
  keys_.reset();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position), std::move(line));
}

void ProfileFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  const std::string cleanKey = OneLine(Trim(key));
  const std::string cleanValue = OneLine(value);
  if (const auto line = FindKey(section, cleanKey)) {
    // The entry keeps the spelling of its key and its line end.
    Line& old = lines_[*line];
    std::string end = std::move(old.end);
    old = MakeLine(ParseEntry(old.text)->key + kAssign + cleanValue);
    old.end = std::move(end);
    return;
  }
  const std::string newLine = cleanKey + kAssign + cleanValue;
  const auto header = FindSection(section);
  if (!header) {
    InsertLine(lines_.size(), kSectionOpen + OneLine(section) + kSectionClose);
    InsertLine(lines_.size(), newLine);
    return;
  }
  size_t insertAt = *header + 1;
  const size_t end = SectionEnd(*header);
  for (size_t i = *header + 1; i < end; ++i)
    if (ParseEntry(lines_[i].text)) insertAt = i + 1;
  InsertLine(insertAt, newLine);
}

std::string ProfileFile::Serialize() const {
  std::string bytes(ByteOrderMark(encoding_));
  for (const Line& line : lines_) bytes.append(line.bytes).append(line.end);
  if (encoding_ != TextEncoding::Gbk || DetectEncoding(bytes) == TextEncoding::Gbk) return bytes;
  // GBK bytes that all happen to read as UTF-8 would be taken for UTF-8 when read again and
  // every text would change: such a file is written as UTF-8 with a byte order mark instead.
  std::string utf8(ByteOrderMark(TextEncoding::Utf8Bom));
  for (const Line& line : lines_) utf8.append(line.text).append(line.end);
  return utf8;
}

void ProfileFile::Save(const std::string& path) const {
  try {
    WriteFileAtomically(path, Serialize());
  } catch (const FileError& e) {
    throw UnableToWrite(path, e.reason());
  }
}

void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  ProfileFile file = ProfileFile::LoadForWriting(path);
  file.Write(section, key, value);
  file.Save(path);
}

}  // namespace lum
