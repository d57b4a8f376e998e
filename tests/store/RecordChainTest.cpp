// Records are chained by their hashes: a row changed, removed or slipped in afterwards is
// named, the first one of them.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include "data/TempDir.h"
#include "store/RecordChain.h"
#include "store/RecordColumns.h"
#include "store/RecordStore.h"

namespace lum::store {
namespace {

class RecordChainTest : public TempDir {
 protected:
  // Five rows written by a bench into a file of their own.
  std::unique_ptr<Database> FiveRows(const std::string& name) {
    RecordStore store(Path(name), Path("spool.db"));
    for (uint32_t n = 1; n <= 5; ++n) {
      CommissioningRecord r;
      r.attemptId = "r" + std::to_string(n);
      r.timeUtc = fmt::format("2026-12-0{}T08:00:00.000Z", n);
      r.model = "LS2024";
      r.serialNumber = n;
      r.before = Blob(16, static_cast<uint8_t>(n));
      r.result = Outcome::Done;
      store.Add(r);
    }
    return OpenDatabase(Path(name));
  }
  static ChainBreak BreakOf(Database& db) {
    const ChainCheck check = VerifyChain(db);
    EXPECT_TRUE(check.firstBreak.has_value());
    return check.firstBreak.value_or(ChainBreak{});
  }
};

TEST_F(RecordChainTest, AnUntouchedChainIsWhole) {
  const auto db = FiveRows("whole.db");
  const ChainCheck check = VerifyChain(*db);
  EXPECT_EQ(check.rows, 5u);
  EXPECT_FALSE(check.firstBreak.has_value());
}

TEST_F(RecordChainTest, TheFirstRowChangedRemovedOrInsertedIsNamed) {
  auto changed = FiveRows("changed.db");
  changed->Exec("UPDATE commissioning SET result = 'done', reason = 'fine' WHERE attempt_id = 'r4'");
  changed->Exec("UPDATE commissioning SET serial_number = 99 WHERE attempt_id = 'r2'");
  ChainBreak found = BreakOf(*changed);
  EXPECT_EQ(found.kind, ChainBreak::Kind::Changed);
  EXPECT_EQ(found.attemptId, "r2");
  EXPECT_EQ(found.position, 2u);

  auto blocks = FiveRows("blocks.db");
  blocks->Query("UPDATE commissioning SET config_before = ? WHERE attempt_id = 'r5'", {Blob(16, 0)});
  EXPECT_EQ(BreakOf(*blocks).attemptId, "r5") << "the last row too, and its blocks";

  auto removed = FiveRows("removed.db");
  removed->Exec("DELETE FROM commissioning WHERE attempt_id = 'r3'");
  found = BreakOf(*removed);
  EXPECT_EQ(found.kind, ChainBreak::Kind::Removed);
  EXPECT_EQ(found.attemptId, "r4") << "the row after the one removed";

  // Slipped in between r2 and r3: with a made-up hash, or chained to r2 as a bench would.
  for (const bool chained : {false, true}) {
    auto inserted = FiveRows(chained ? "chained.db" : "inserted.db");
    inserted->Exec("UPDATE commissioning SET id = id + 10 WHERE id >= 3");
    const Rows r2 = inserted->Query(
        fmt::format("SELECT {}, record_hash FROM commissioning WHERE attempt_id = 'r2'", RecordColumnList()));
    ASSERT_EQ(r2.size(), 1u);
    std::vector<Value> values(r2[0].begin(), r2[0].end() - 1);
    values[0] = std::string("forged");
    const std::string previous = std::get<std::string>(r2[0].back());
    std::vector<Value> row = values;
    row.emplace_back(previous);
    row.emplace_back(chained ? ChainHash(previous, values) : std::string(64, 'a'));
    std::string placeholders = "?";
    for (size_t i = 1; i < row.size(); ++i) placeholders += ", ?";
    inserted->Query(fmt::format("INSERT INTO commissioning (id, {}, previous_hash, record_hash) VALUES (3, {})",
                                RecordColumnList(), placeholders),
                    row);
    found = BreakOf(*inserted);
    EXPECT_EQ(found.kind, ChainBreak::Kind::Inserted) << chained;
    EXPECT_EQ(found.attemptId, "forged");
    EXPECT_EQ(found.position, 3u);
  }
}

}  // namespace
}  // namespace lum::store
