#include "language/ProfileFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>

#include "base/AtomicFile.h"
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

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// The first n characters of a UTF-8 text, never cutting a character apart.
std::string FirstCharacters(std::string_view text, size_t n) {
  size_t pos = 0;
  for (size_t seen = 0; pos < text.size(); ++pos) {
    if ((static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80 && seen++ == n) break;
  }
  return std::string(text.substr(0, pos));
}

std::runtime_error UnableToWrite(const std::string& path) {
  return std::runtime_error(FormatText("Unable to write to %s", {path}));
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
  DecodedText decoded = DecodeFileText(bytes);
  file.encoding_ = decoded.encoding;
  std::string_view text = decoded.utf8;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    file.lines_.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return file;
}

ProfileFile ProfileFile::Load(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return ProfileFile();
  try {
    return Parse(ReadWholeFile(path));
  } catch (const std::runtime_error&) {
    return ProfileFile();
  }
}

ProfileFile ProfileFile::LoadForWriting(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return ProfileFile();
  try {
    if (!S_ISREG(info.st_mode)) throw std::runtime_error("not a file");
    return Parse(ReadWholeFile(path));
  } catch (const std::runtime_error&) {
    throw UnableToWrite(path);
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
    const auto name = SectionName(lines_[i]);
    if (name && SameName(*name, section)) return i;
  }
  return std::nullopt;
}

size_t ProfileFile::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && !SectionName(lines_[i])) ++i;
  return i;
}

std::optional<size_t> ProfileFile::FindKey(std::string_view section, std::string_view key) const {
  const auto header = FindSection(section);
  if (!header) return std::nullopt;
  const size_t end = SectionEnd(*header);
  for (size_t i = *header + 1; i < end; ++i) {
    const auto entry = ParseEntry(lines_[i]);
    if (entry && SameName(entry->key, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> ProfileFile::Read(std::string_view section, std::string_view key) const {
  const auto line = FindKey(section, key);
  if (!line) return std::nullopt;
  return FirstCharacters(ParseEntry(lines_[*line])->value, kMaxValueLength);
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
    if (auto entry = ParseEntry(lines_[i]))
      entries.emplace_back(std::move(entry->key), FirstCharacters(entry->value, kMaxValueLength));
  }
  return entries;
}

void ProfileFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  const std::string cleanKey = OneLine(Trim(key));
  const std::string cleanValue = OneLine(value);
  if (const auto line = FindKey(section, cleanKey)) {
    // The entry keeps the spelling of its key.
    lines_[*line] = ParseEntry(lines_[*line])->key + kAssign + cleanValue;
    return;
  }
  const std::string newLine = cleanKey + kAssign + cleanValue;
  const auto header = FindSection(section);
  if (!header) {
    lines_.push_back(kSectionOpen + OneLine(section) + kSectionClose);
    lines_.push_back(newLine);
    return;
  }
  size_t insertAt = *header + 1;
  const size_t end = SectionEnd(*header);
  for (size_t i = *header + 1; i < end; ++i)
    if (ParseEntry(lines_[i])) insertAt = i + 1;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
}

std::string ProfileFile::Serialize() const {
  std::string text;
  for (const auto& line : lines_) text.append(line).append(kLineEnd);
  return EncodeFileText(text, encoding_);
}

void ProfileFile::Save(const std::string& path) const {
  try {
    WriteFileAtomically(path, Serialize());
  } catch (const std::runtime_error&) {
    throw UnableToWrite(path);
  }
}

void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  ProfileFile file = ProfileFile::LoadForWriting(path);
  file.Write(section, key, value);
  file.Save(path);
}

}  // namespace lum
