#include "sim/SetupText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <limits>
#include <sstream>
#include <utility>
#include <vector>

namespace lum::sim {

const char* const kSetupTextHelp =
    "A controller is described by key=value pairs separated by commas:\n"
    "  row=N          device type row 0..3 (default 1); sets every default below\n"
    "  model=TEXT     model text (0x70), at most 25 characters\n"
    "  serial=N       serial number (0x03)\n"
    "  firmware=N     firmware version 0..255 (0x02), e.g. 123 shows as 1.2.3\n"
    "  build=N        firmware build (0x02)\n"
    "  batch=N        batch code (0x05)\n"
    "  product=N      product code answered by identification, instead of the row's\n"
    "  capflags=N     capability byte (0x07); 0 means \"as the device type row says\"\n"
    "  funcflags=N    function flags (0x07)\n"
    "  address=N      device address (0x07, and byte 0 of every reply)\n"
    "  uptime=N       power-on time in seconds at start (0x04)\n"
    "  silent         never answer\n"
    "  fromtry=N      answer identification only from try number N on\n"
    "  answers=N      answer only the first N requests, then fall silent\n"
    "  split[=MS]     send each reply in two writes: 5 bytes, then the rest MS (default 5) ms later\n"
    "  noise[=SEED]   random bytes before and after each reply (never inside one)\n"
    "  damage=N       every N-th reply is damaged on the line (one bit flipped: its check fails)\n"
    "  delay=MS       wait MS milliseconds before each reply\n"
    "  unplugged      the port starts empty (lum-sim's plug command puts a controller there)\n"
    "  vanish=N       taken away right after answering N write requests (lost mid-write)\n"
    "  alter=CODE:keep | alter=CODE:xor:MASK | alter=CODE:inc\n"
    "                 for writes with command CODE: keep the old value, store value XOR MASK,\n"
    "                 or store value + 1 (so that a write's verification fails); repeatable\n";

namespace {
constexpr int kDefaultRow = 1;
constexpr uint32_t kByteMax = std::numeric_limits<uint8_t>::max();
constexpr uint32_t kWordMax = std::numeric_limits<uint16_t>::max();
constexpr uint32_t kLongMax = std::numeric_limits<uint32_t>::max();

struct Pair {
  std::string key;
  std::string value;
  bool hasValue = false;
};

std::vector<std::string> SplitOn(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, separator)) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

uint32_t Number(const std::string& key, const std::string& text, uint32_t max) {
  const auto fail = [&] {
    return SetupTextError("'" + key + "': '" + text + "' is not a number from 0 to " + std::to_string(max));
  };
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) throw fail();
  size_t used = 0;
  unsigned long long value = 0;
  try {
    value = std::stoull(text, &used, 0);
  } catch (const std::exception&) {
    throw fail();
  }
  if (used != text.size() || value > max) throw fail();
  return static_cast<uint32_t>(value);
}

Alteration ParseAlteration(const std::vector<std::string>& parts, const std::string& text) {
  const auto fail = [&] {
    return SetupTextError("'alter': '" + text + "' is not CODE:keep, CODE:xor:MASK or CODE:inc");
  };
  if (parts.size() == 2 && parts[1] == "keep") return {AlterKind::Keep, 0};
  if (parts.size() == 2 && parts[1] == "inc") return {AlterKind::Increment, 0};
  if (parts.size() == 3 && parts[1] == "xor") {
    const uint32_t mask = Number("alter", parts[2], kWordMax);
    return {AlterKind::Xor, static_cast<uint16_t>(mask)};
  }
  throw fail();
}

using Apply = void (*)(ControllerSetup&, const Pair&);
enum class Value { None, Required, Optional };
struct Key {
  const char* name;
  Value value;
  Apply apply;
};

const std::array<Key, 20> kKeys = {{
    {"model", Value::Required,
     [](ControllerSetup& s, const Pair& p) {
       if (p.value.size() >= frame::kLongDataLimit) throw SetupTextError("'model': longer than 25 characters");
       s.model = p.value;
     }},
    {"serial", Value::Required,
     [](ControllerSetup& s, const Pair& p) { s.serialNumber = Number(p.key, p.value, kLongMax); }},
    {"firmware", Value::Required,
     [](ControllerSetup& s, const Pair& p) {
       s.firmwareVersion = static_cast<uint8_t>(Number(p.key, p.value, kByteMax));
     }},
    {"build", Value::Required,
     [](ControllerSetup& s, const Pair& p) {
       s.firmwareBuild = static_cast<uint16_t>(Number(p.key, p.value, kWordMax));
     }},
    {"batch", Value::Required,
     [](ControllerSetup& s, const Pair& p) { s.batchCode = Number(p.key, p.value, kLongMax); }},
    {"product", Value::Required,
     [](ControllerSetup& s, const Pair& p) { s.config.SetProductID(Number(p.key, p.value, kLongMax)); }},
    {"capflags", Value::Required,
     [](ControllerSetup& s, const Pair& p) {
       s.config.SetCapFlags(static_cast<uint8_t>(Number(p.key, p.value, kByteMax)));
     }},
    {"funcflags", Value::Required,
     [](ControllerSetup& s, const Pair& p) {
       s.config.SetFuncFlags(static_cast<uint8_t>(Number(p.key, p.value, kByteMax)));
     }},
    {"address", Value::Required,
     [](ControllerSetup& s, const Pair& p) {
       s.config.SetAddress(static_cast<uint8_t>(Number(p.key, p.value, kByteMax)));
     }},
    {"uptime", Value::Required,
     [](ControllerSetup& s, const Pair& p) { s.measurements.powerOnSeconds = Number(p.key, p.value, kLongMax); }},
    {"silent", Value::None, [](ControllerSetup& s, const Pair&) { s.silent = true; }},
    {"unplugged", Value::None, [](ControllerSetup& s, const Pair&) { s.unplugged = true; }},
    {"vanish", Value::Required,
     [](ControllerSetup& s, const Pair& p) { s.vanishAfterWrites = Number(p.key, p.value, kWordMax); }},
    {"fromtry", Value::Required,
     [](ControllerSetup& s, const Pair& p) {
       s.answerFromTry = static_cast<uint8_t>(Number(p.key, p.value, kByteMax));
     }},
    {"answers", Value::Required,
     [](ControllerSetup& s, const Pair& p) { s.answerLimit = Number(p.key, p.value, kLongMax); }},
    {"split", Value::Optional,
     [](ControllerSetup& s, const Pair& p) {
       s.splitReplies = true;
       if (p.hasValue) s.splitPauseMs = Number(p.key, p.value, kWordMax);
     }},
    {"noise", Value::Optional,
     [](ControllerSetup& s, const Pair& p) {
       s.lineNoise = true;
       if (p.hasValue) s.noiseSeed = Number(p.key, p.value, kLongMax);
     }},
    {"damage", Value::Required,
     [](ControllerSetup& s, const Pair& p) { s.damageEvery = Number(p.key, p.value, kWordMax); }},
    {"delay", Value::Required,
     [](ControllerSetup& s, const Pair& p) { s.replyDelayMs = Number(p.key, p.value, kWordMax); }},
    {"alter", Value::Required,
     [](ControllerSetup& s, const Pair& p) {
       const std::vector<std::string> parts = SplitOn(p.value, ':');
       if (parts.empty()) throw SetupTextError("'alter': needs CODE:keep, CODE:xor:MASK or CODE:inc");
       const auto code = static_cast<uint8_t>(Number(p.key, parts[0], kByteMax));
       s.alterations[code] = ParseAlteration(parts, p.value);
     }},
}};

Pair ParsePair(const std::string& item) {
  const size_t equals = item.find('=');
  if (equals == std::string::npos) return {item, "", false};
  return {item.substr(0, equals), item.substr(equals + 1), true};
}
}  // namespace

ControllerSetup ParseControllerSetup(const std::string& text) {
  std::vector<Pair> pairs;
  int row = kDefaultRow;
  for (const std::string& item : SplitOn(text, ',')) {
    if (item.empty()) continue;
    const Pair pair = ParsePair(item);
    if (pair.key == "row") {
      if (!pair.hasValue) throw SetupTextError("'row' needs a value");
      row = static_cast<int>(Number(pair.key, pair.value, static_cast<uint32_t>(DefaultSetupRows() - 1)));
      continue;
    }
    const auto key = std::find_if(kKeys.begin(), kKeys.end(), [&](const Key& k) { return pair.key == k.name; });
    if (key == kKeys.end()) throw SetupTextError("unknown key '" + pair.key + "'");
    if (key->value == Value::Required && !pair.hasValue) throw SetupTextError("'" + pair.key + "' needs a value");
    if (key->value == Value::None && pair.hasValue) throw SetupTextError("'" + pair.key + "' takes no value");
    pairs.push_back(pair);
  }
  ControllerSetup setup = DefaultSetup(row);
  for (const Pair& pair : pairs)
    std::find_if(kKeys.begin(), kKeys.end(), [&](const Key& k) { return pair.key == k.name; })->apply(setup, pair);
  setup.memory = FactoryMemory(setup);
  return setup;
}

}  // namespace lum::sim
