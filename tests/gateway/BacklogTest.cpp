#include <gtest/gtest.h>

#include "data/TempDir.h"
#include "gateway/Backlog.h"

namespace lum::gateway {
namespace {

std::string Body(int64_t sequence) { return "{\"seq\":" + std::to_string(sequence) + "}"; }

TEST(BacklogTest, KeepsMessagesInOrderUntilRemovedAcrossReopening) {
  ScratchDir dir;
  const std::string file = (dir.path() / "gw.db").string();
  std::vector<int64_t> sequences;
  {
    auto db = store::OpenDatabase(file);
    Backlog backlog(*db, 10);
    for (int i = 0; i < 4; ++i) sequences.push_back(backlog.Push("lum/a/state", Body));
    backlog.Remove(sequences[1]);
  }
  auto db = store::OpenDatabase(file);
  Backlog backlog(*db, 10);
  const auto waiting = backlog.After(0, 10);
  ASSERT_EQ(waiting.size(), 3U);
  EXPECT_EQ(waiting[0], (BacklogEntry{sequences[0], "lum/a/state", Body(sequences[0])}));
  EXPECT_EQ(waiting[1].sequence, sequences[2]);
  EXPECT_EQ(waiting[2].sequence, sequences[3]);
  EXPECT_EQ(backlog.After(sequences[2], 10).size(), 1U);
  EXPECT_EQ(backlog.After(0, 2).size(), 2U);
  // A removed sequence number is never given again, even after the newest was removed.
  backlog.Remove(sequences[3]);
  EXPECT_GT(backlog.Push("lum/a/state", Body), sequences[3]);
}

TEST(BacklogTest, BeyondItsLimitDropsTheOldestAndCountsThem) {
  ScratchDir dir;
  const std::string file = (dir.path() / "gw.db").string();
  {
    auto db = store::OpenDatabase(file);
    Backlog backlog(*db, 3);
    for (int i = 0; i < 5; ++i) backlog.Push("t", Body);
    EXPECT_EQ(backlog.Size(), 3);
    EXPECT_EQ(backlog.Dropped(), 2);
    EXPECT_EQ(backlog.After(0, 10).front().payload, Body(3));
  }
  auto db = store::OpenDatabase(file);
  Backlog backlog(*db, 3);
  backlog.Push("t", Body);
  EXPECT_EQ(backlog.Dropped(), 3);
}

}  // namespace
}  // namespace lum::gateway
