#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/TextEncoding.h"

namespace lum {

/// An INI-style profile file in memory, with the rules of the Windows profile functions:
/// section and key names match without regard to ASCII letter case; a value is the text after
/// the first "=" without surrounding blanks, at most kMaxValueLength characters of it. Texts
/// are UTF-8 for the caller; the file keeps its bytes: a document that is only read serialises
/// to exactly the bytes it was parsed from, and writing a key changes that key's line alone (or
/// adds one), in the file's own encoding and line ends.
class ProfileFile {
 public:
  using Entries = std::vector<std::pair<std::string, std::string>>;

  static constexpr size_t kMaxValueLength = 2047;

  /// An empty document, saved as GBK.
  ProfileFile() = default;

  /// From file bytes (the encoding is recognised).
  static ProfileFile Parse(std::string_view bytes);
  /// From a file. A missing, unreadable, non-regular or too large file (kMaxFileSize) gives an
  /// empty document, as the profile functions give empty values for it.
  static ProfileFile Load(const std::string& path);
  /// From a file that is about to be changed: a missing file gives an empty document, one
  /// that exists but cannot be read whole throws "Unable to write to <path>: <reason>" (so it
  /// is never overwritten with less than it held).
  static ProfileFile LoadForWriting(const std::string& path);

  /// Profile files above this size are refused, never cut.
  static constexpr size_t kMaxFileSize = 16 * 1024 * 1024;

  /// The value of key in section, if the entry exists (an empty value is "").
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  std::string ReadOr(std::string_view section, std::string_view key, std::string_view fallback) const;
  bool Has(std::string_view section, std::string_view key) const;
  /// Every entry of a section in file order (trimmed key, value); nullopt without the section.
  std::optional<Entries> SectionEntries(std::string_view section) const;

  /// Replaces the line of an existing key; a missing key goes after the last entry of its
  /// section, a missing section to the end of the file. Line breaks inside the texts become
  /// blanks, so a value can never add lines. Every other line keeps its bytes.
  void Write(std::string_view section, std::string_view key, std::string_view value);

  TextEncoding encoding() const { return encoding_; }
  /// The file bytes: the lines as they were read, new lines in the document's encoding ended
  /// as its first line is (CR LF in a new document).
  std::string Serialize() const;
  /// Writes the file atomically; throws std::runtime_error "Unable to write to <path>: <reason>".
  void Save(const std::string& path) const;

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  // One line: its bytes without the line end, the line end as it was ("" on a last line
  // without one), and the bytes decoded.
  struct Line {
    std::string bytes;
    std::string end;
    std::string text;
  };
  Line MakeLine(std::string text) const;
  // Inserts a new line before position, giving a last line without an end its end first.
  void InsertLine(size_t position, std::string text);
  std::string NewLineEnd() const;

  static std::optional<std::string> SectionName(std::string_view line);
  static std::optional<Entry> ParseEntry(std::string_view line);
  // Index of the first header line of the section, if any.
  std::optional<size_t> FindSection(std::string_view section) const;
  // End of the section starting at header: the next header line or the end.
  size_t SectionEnd(size_t header) const;
  std::optional<size_t> FindKey(std::string_view section, std::string_view key) const;
  // "section\nkey" in small letters -> the line FindKey gives: the first entry of the key in
  // the first header of the section. Built at the first look-up (a window reads hundreds of
  // keys), dropped when a line is added.
  using KeyIndex = std::unordered_map<std::string, size_t>;
  const KeyIndex& Keys() const;

  std::vector<Line> lines_;
  mutable std::optional<KeyIndex> keys_;
  TextEncoding encoding_ = TextEncoding::Gbk;
};

/// Load, write one entry, save: what one call of the profile writer does.
void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace lum
