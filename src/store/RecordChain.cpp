#include "store/RecordChain.h"

#include <fmt/format.h>

#include <array>
#include <vector>

#include "base/ByteOrder.h"
#include "base/Sha256.h"
#include "store/RecordColumns.h"
#include "store/RecordTable.h"

namespace lum::store {

namespace {

constexpr size_t kWordSize = 4;

void AppendWord(std::string& out, uint32_t word) {
  std::array<uint8_t, kWordSize> bytes{};
  WriteU32Le(bytes.data(), word);
  out.append(bytes.begin(), bytes.end());
}

// Each value as its kind, its length and its bytes, so that no two rows hash alike by
// moving bytes from one value to the next.
void AppendValue(std::string& out, const Value& value) {
  std::string payload;
  if (const auto* number = std::get_if<int64_t>(&value)) {
    const auto bits = static_cast<uint64_t>(*number);
    AppendWord(payload, static_cast<uint32_t>(bits));
    AppendWord(payload, static_cast<uint32_t>(bits >> 32));
  } else if (const auto* real = std::get_if<double>(&value)) {
    payload = fmt::format("{}", *real);
  } else if (const auto* text = std::get_if<std::string>(&value)) {
    payload = *text;
  } else if (const auto* bytes = std::get_if<Blob>(&value)) {
    payload.assign(bytes->begin(), bytes->end());
  }
  AppendWord(out, static_cast<uint32_t>(value.index()));
  AppendWord(out, static_cast<uint32_t>(payload.size()));
  out += payload;
}

std::string Hex(const Value& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text ? *text : std::string();
}

// A row as the check needs it.
struct Link {
  std::string previous, stored, computed, attemptId, timeUtc;
  bool Sound() const { return !stored.empty() && stored == computed; }
};

}  // namespace

std::string ChainHash(const std::string& previousHash, std::span<const Value> values) {
  std::string message;
  AppendValue(message, previousHash);
  for (const Value& value : values) AppendValue(message, value);
  return Sha256Hex(reinterpret_cast<const uint8_t*>(message.data()), message.size());
}

ChainCheck VerifyChain(Database& db) {
  const size_t columns = RecordColumns().size();
  ChainCheck check;
  // The last rows seen: a break is judged by the row before it and the row after it.
  std::vector<Link> seen;
  std::optional<Link> suspect;  // a row whose own hash is wrong: changed, or slipped in?
  auto hashBefore = [&](size_t back) { return seen.size() >= back ? seen[seen.size() - back].stored : ""; };
  auto fail = [&](ChainBreak::Kind kind, size_t position, const Link& link) {
    check.firstBreak = ChainBreak{kind, position, link.attemptId, link.timeUtc};
  };
  db.ForEach(fmt::format("SELECT {}, {}, {} FROM {} ORDER BY id", RecordColumnList(), kPreviousHashColumn,
                         kRecordHashColumn, kRecordTable),
             {}, [&](const Row& row) {
               if (check.firstBreak) return;
               Link link;
               link.previous = Hex(row[columns]);
               link.stored = Hex(row[columns + 1]);
               link.computed = ChainHash(link.previous, std::span(row).first(columns));
               link.attemptId = Hex(row[0]);
               link.timeUtc = Hex(row[1]);
               ++check.rows;
               if (suspect) {
                 // The row after it still follows the row before it: the suspect was slipped in.
                 const bool slippedIn = link.previous == hashBefore(1);
                 fail(slippedIn ? ChainBreak::Kind::Inserted : ChainBreak::Kind::Changed, check.rows - 1, *suspect);
                 return;
               }
               if (!link.Sound()) {
                 suspect = link;
                 return;
               }
               if (link.previous != hashBefore(1)) {
                 // Follows the row two before: the row between came from elsewhere.
                 if (!seen.empty() && link.previous == hashBefore(2))
                   fail(ChainBreak::Kind::Inserted, check.rows - 1, seen.back());
                 else
                   fail(ChainBreak::Kind::Removed, check.rows, link);
                 return;
               }
               seen.push_back(std::move(link));
               if (seen.size() > 2) seen.erase(seen.begin());
             });
  if (suspect && !check.firstBreak) fail(ChainBreak::Kind::Changed, check.rows, *suspect);
  return check;
}

}  // namespace lum::store
