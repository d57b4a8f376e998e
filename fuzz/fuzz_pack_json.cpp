// The JSON reader of lumctl pack: no input crashes it or exhausts the stack; a document is
// either refused with a message or describes a block, and an accepted block prints back as
// a document that reads to the same block.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/JsonDocument.h"
#include "data/ConfigJson.h"

namespace {

using lum::TCONFIG_BLOCK;
using namespace lum;
using namespace lum::cli;

enum Shape : uint8_t { kRawText, kEditedDocument, kNesting, kShapes };

constexpr size_t kMaxLevels = 100000;

// The first two bytes as a number from 0 to 0xFFFF.
size_t Word(std::string_view bytes) {
  return size_t{static_cast<uint8_t>(bytes[0])} << 8 | static_cast<uint8_t>(bytes[1]);
}

// A document as show --json prints it, the start of edited inputs.
const std::string& PrintedDocument() {
  static const std::string text = BlockToJson(TCONFIG_BLOCK()).dump(1);
  return text;
}

// The printed document with bytes of the input written over it: (position, byte) pairs.
std::string EditedDocument(std::string_view edits) {
  std::string text = PrintedDocument();
  for (size_t i = 0; i + 2 < edits.size(); i += 3) {
    const size_t position = Word(edits.substr(i)) * 7;
    text[position % text.size()] = edits[i + 2];
  }
  return text;
}

// Up to kMaxLevels levels of arrays or objects opened, then the rest of the input.
std::string Nesting(std::string_view input) {
  if (input.size() < 2) return std::string(input);
  const size_t levels = Word(input) * kMaxLevels / 0xFFFF;
  const std::string_view open = (input[0] & 1) ? std::string_view("{\"a\":") : std::string_view("[");
  std::string text;
  for (size_t i = 0; i < levels; ++i) text += open;
  return text.append(input.substr(2));
}

std::string Input(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (data[0] % kShapes) {
    case kEditedDocument:
      return EditedDocument(rest);
    case kNesting:
      return Nesting(rest);
    default:
      return std::string(rest);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = Input(data, size);
  TCONFIG_BLOCK block;
  try {
    block = BlockFromJson(ParseJsonDocument(text));
  } catch (const JsonDocumentError& e) {
    if (std::string_view(e.what()).empty()) std::abort();
    return 0;
  } catch (const ConfigJsonError& e) {
    if (std::string_view(e.what()).empty()) std::abort();
    return 0;
  }
  if (!(BlockFromJson(ParseJsonDocument(BlockToJson(block).dump())) == block)) std::abort();
  return 0;
}
