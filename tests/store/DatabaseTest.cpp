// The database layer on both backends: values of every kind come back as stored,
// transactions commit or roll back as a whole, and failures carry the database's message.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <limits>
#include <thread>
#include <vector>

#include "data/TempDir.h"
#include "store/Database.h"
#include "store/PostgresDatabase.h"
#include "support/PgCluster.h"

namespace lum::store {
namespace {

void CheckBackend(Database& db) {
  db.Exec("CREATE TABLE t (id " + db.TypeOf(ColumnType::AutoId) + ", n " + db.TypeOf(ColumnType::Integer) +
          ", x DOUBLE PRECISION, s " + db.TypeOf(ColumnType::Text) + ", b " + db.TypeOf(ColumnType::Bytes) + ")");

  const Blob bytes = {0x00, 0xFF, 0x5C, 0x78, 0x00, 0x27};  // NUL, high byte, "\x", quote
  const std::string text = "it's ? \"quoted\" 光控点电压";
  const int64_t big = std::numeric_limits<int64_t>::min() + 1;
  db.Query("INSERT INTO t (n, x, s, b) VALUES (?, ?, ?, ?)", {big, 2.5, text, bytes});
  db.Query("INSERT INTO t (n, x, s, b) VALUES (?, ?, ?, ?)", {nullptr, nullptr, std::string(), Blob{}});

  const Rows rows = db.Query("SELECT n, x, s, b FROM t WHERE s = ? OR n IS NULL ORDER BY id", {text});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], Value(big));
  EXPECT_EQ(rows[0][1], Value(2.5));
  EXPECT_EQ(rows[0][2], Value(text));
  EXPECT_EQ(rows[0][3], Value(bytes));
  EXPECT_EQ(rows[1][0], Value(nullptr));
  EXPECT_EQ(rows[1][2], Value(std::string()));
  EXPECT_EQ(rows[1][3], Value(Blob{})) << "an empty blob is not NULL";

  // A transaction that throws leaves nothing behind; one that returns keeps everything.
  EXPECT_THROW(db.Transaction([&] {
    db.Query("INSERT INTO t (n) VALUES (?)", {int64_t{7}});
    db.Query("INSERT INTO no_such_table (n) VALUES (1)");
  }),
               DatabaseError);
  db.Transaction([&] {
    db.Query("INSERT INTO t (n) VALUES (?)", {int64_t{8}});
    db.Query("INSERT INTO t (n) VALUES (?)", {int64_t{9}});
  });
  const Rows numbers = db.Query("SELECT n FROM t WHERE n > ? ORDER BY n", {int64_t{0}});
  ASSERT_EQ(numbers.size(), 2u);
  EXPECT_EQ(numbers[0][0], Value(int64_t{8}));

  try {
    db.Query("SELEC nonsense");
    ADD_FAILURE() << "a bad statement was accepted";
  } catch (const DatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("SELEC"), std::string::npos) << e.what();
    EXPECT_FALSE(e.ConnectionLost());
  }
}

class SqliteDatabaseTest : public TempDir {};

TEST_F(SqliteDatabaseTest, StoresEveryKindOfValueAndHonoursTransactions) {
  const auto db = OpenDatabase(Path("records.db"));
  EXPECT_EQ(db->Kind(), Dialect::SQLite);
  CheckBackend(*db);
}

TEST_F(SqliteDatabaseTest, UnopenableFileIsNamedInTheError) {
  try {
    OpenDatabase(Path("missing-folder/records.db"));
    FAIL() << "opened a file in a folder that does not exist";
  } catch (const DatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("missing-folder/records.db"), std::string::npos) << e.what();
  }
}

TEST_F(SqliteDatabaseTest, AFileDamagedInTheMiddleIsRefusedAtOpening) {
  const std::string path = Path("records.db");
  {
    const auto db = OpenDatabase(path);
    db->Exec("CREATE TABLE t (n " + db->TypeOf(ColumnType::Integer) + ", s " + db->TypeOf(ColumnType::Text) + ")");
    db->Transaction([&] {
      for (int64_t n = 0; n < 2000; ++n) db->Query("INSERT INTO t (n, s) VALUES (?, ?)", {n, std::string(200, 'x')});
    });
  }
  // Pages in the middle overwritten; the file's header (its first page) stays whole.
  const auto size = std::filesystem::file_size(path);
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(size / 2));
    const std::string junk(8192, '\x55');
    file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  try {
    OpenDatabase(path);
    FAIL() << "a damaged file was opened";
  } catch (const DatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("records.db: the database is damaged"), std::string::npos) << e.what();
  }
  // A file that is only listed is not read twice: the damage is an error once the rows are read.
  const auto listed = OpenDatabase(path, OpenCheck::None);
  EXPECT_THROW(listed->Query("SELECT count(*), sum(length(s)) FROM t"), DatabaseError);
}

TEST_F(SqliteDatabaseTest, AFileInWriteAheadLogModeIsTakenOverWithItsRows) {
  // Files made by earlier versions kept a write-ahead log; they are used with a rollback
  // journal from now on.
  const std::string path = Path("records.db");
  {
    const auto old = OpenDatabase(path);
    old->Exec("PRAGMA journal_mode=WAL");
    old->Exec("CREATE TABLE t (n " + old->TypeOf(ColumnType::Integer) + ")");
    old->Query("INSERT INTO t (n) VALUES (?)", {int64_t{7}});
    old->Query("INSERT INTO t (n) VALUES (?)", {int64_t{8}});
    EXPECT_EQ(old->Query("PRAGMA journal_mode")[0][0], Value(std::string("wal")));
  }

  const auto db = OpenDatabase(path);
  EXPECT_EQ(db->Query("PRAGMA journal_mode")[0][0], Value(std::string("delete")));
  EXPECT_EQ(db->Query("SELECT COUNT(*) FROM t")[0][0], Value(int64_t{2}));
  EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
}

TEST_F(SqliteDatabaseTest, BenchesOpeningANewFileAtOnceAllGetIt) {
  // Each round a new file, opened by several connections in the same instant (two benches
  // starting together): every one must open it and create the table, none may give up.
  constexpr int kRounds = 20;
  constexpr int kConnections = 6;
  for (int round = 0; round < kRounds; ++round) {
    const std::string path = Path("shared-" + std::to_string(round) + ".db");
    std::atomic<int> ready{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> openers;
    for (int c = 0; c < kConnections; ++c)
      openers.emplace_back([&] {
        ++ready;
        while (ready < kConnections) std::this_thread::yield();
        try {
          const auto db = OpenDatabase(path);
          db->EnsureSchema("CREATE TABLE IF NOT EXISTS t (n " + db->TypeOf(ColumnType::Integer) + ")");
          db->Query("INSERT INTO t (n) VALUES (?)", {int64_t{1}});
        } catch (const DatabaseError& e) {
          ++failures;
          ADD_FAILURE() << e.what();
        }
      });
    for (std::thread& t : openers) t.join();
    ASSERT_EQ(failures, 0) << "round " << round;
    EXPECT_EQ(OpenDatabase(path)->Query("SELECT COUNT(*) FROM t")[0][0], Value(int64_t{kConnections}));
  }
}

TEST(PostgresDatabaseTest, StoresEveryKindOfValueAndNoticesALostServer) {
  PgCluster cluster;
  const std::string url = cluster.NewDatabase();
  ASSERT_TRUE(IsPostgresUrl(url));
  const auto db = OpenDatabase(url);
  EXPECT_EQ(db->Kind(), Dialect::PostgreSQL);
  CheckBackend(*db);

  cluster.Stop();
  try {
    db->Query("SELECT 1");
    FAIL() << "a stopped server answered";
  } catch (const DatabaseError& e) {
    EXPECT_TRUE(e.ConnectionLost()) << e.what();
  }
  EXPECT_FALSE(db->Connected());
  cluster.Start();
  EXPECT_TRUE(db->Reconnect());
  EXPECT_EQ(db->Query("SELECT COUNT(*) FROM t")[0][0], Value(int64_t{4}));
}

TEST(PostgresDatabaseTest, UnreachableServerIsAConnectionLoss) {
  try {
    OpenDatabase("postgresql://lum@/none?host=/nonexistent-socket-dir&port=5432");
    FAIL() << "connected to nothing";
  } catch (const DatabaseError& e) {
    EXPECT_TRUE(e.ConnectionLost());
  }
}

TEST(PlaceholderTest, QuestionMarksInsideQuotesStay) {
  EXPECT_EQ(NumberPlaceholders("SELECT '?', \"a?\" FROM t WHERE a = ? AND b = ?"),
            "SELECT '?', \"a?\" FROM t WHERE a = $1 AND b = $2");
}

}  // namespace
}  // namespace lum::store
