#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "language/TextEncoding.h"

namespace lum {

/// An INI-style profile file in memory, with the rules of the Windows profile functions:
/// section and key names match without regard to ASCII letter case; a value is the text after
/// the first "=" without surrounding blanks, at most kMaxValueLength characters of it; comment
/// lines (";") and any other lines are kept as they stand. Texts in memory are UTF-8; the file
/// keeps the encoding it was read in (GBK, or UTF-8 with a byte-order mark).
class ProfileFile {
 public:
  using Entries = std::vector<std::pair<std::string, std::string>>;

  static constexpr size_t kMaxValueLength = 2047;

  /// An empty document, saved as GBK.
  ProfileFile() = default;

  /// From file bytes (the encoding is recognised).
  static ProfileFile Parse(std::string_view bytes);
  /// From a file. A missing, unreadable or non-regular file gives an empty document, as the
  /// profile functions give empty values for it.
  static ProfileFile Load(const std::string& path);
  /// From a file that is about to be changed: a missing file gives an empty document, one
  /// that exists but cannot be read throws "Unable to write to <path>" (never overwrite it).
  static ProfileFile LoadForWriting(const std::string& path);

  /// The value of key in section, if the entry exists (an empty value is "").
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  std::string ReadOr(std::string_view section, std::string_view key, std::string_view fallback) const;
  bool Has(std::string_view section, std::string_view key) const;
  /// Every entry of a section in file order (trimmed key, value); nullopt without the section.
  std::optional<Entries> SectionEntries(std::string_view section) const;

  /// Replaces the value of an existing key in place; a missing key goes after the last entry
  /// of its section, a missing section to the end of the file. Line breaks inside the texts
  /// become blanks, so a value can never add lines.
  void Write(std::string_view section, std::string_view key, std::string_view value);

  TextEncoding encoding() const { return encoding_; }
  /// The file bytes: every line ended by CR LF, in the document's encoding.
  std::string Serialize() const;
  /// Writes the file atomically; throws std::runtime_error "Unable to write to <path>".
  void Save(const std::string& path) const;

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  static std::optional<std::string> SectionName(std::string_view line);
  static std::optional<Entry> ParseEntry(std::string_view line);
  // Index of the first header line of the section, if any.
  std::optional<size_t> FindSection(std::string_view section) const;
  // End of the section starting at header: the next header line or the end.
  size_t SectionEnd(size_t header) const;
  std::optional<size_t> FindKey(std::string_view section, std::string_view key) const;

  std::vector<std::string> lines_;
  TextEncoding encoding_ = TextEncoding::Gbk;
};

/// Load, write one entry, save: what one call of the profile writer does.
void WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace lum
