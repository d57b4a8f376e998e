// Profile file bytes: parsing, reading, writing and serialising never crash, a written value
// reads back, and a serialised document parses to the same values.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "language/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  lum::ProfileFile file = lum::ProfileFile::Parse(bytes);
  const auto before = file.Read("FileInfo", "Language");
  static_cast<void>(file.SectionEntries("Ports"));

  // Section and key names taken from the input itself exercise the matching rules.
  const std::string_view name = bytes.substr(0, std::min<size_t>(size, 8));
  file.Write("Messages", "Msg_1", name);
  file.Write(name, "k", "v");
  if (file.Read("Messages", "Msg_1") == std::nullopt) std::abort();

  const lum::ProfileFile again = lum::ProfileFile::Parse(file.Serialize());
  // A GBK file whose bytes would read as UTF-8 is written as UTF-8 with a byte order mark.
  const bool sameEncoding = again.encoding() == file.encoding() || (file.encoding() == lum::TextEncoding::Gbk &&
                                                                    again.encoding() == lum::TextEncoding::Utf8Bom);
  if (!sameEncoding) std::abort();
  if (again.Read("FileInfo", "Language").has_value() != before.has_value() &&
      name.find_first_of("[]=;") == std::string_view::npos)
    std::abort();
  return 0;
}
