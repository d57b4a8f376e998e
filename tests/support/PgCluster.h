#pragma once

#include <string>

#include "data/TempDir.h"

namespace lum {

/// A throw-away PostgreSQL cluster of the test's own: initdb in a fresh temporary folder,
/// a server listening only on a socket in that folder, removed on destruction. As root the
/// server runs as the unprivileged user "nobody" (the server refuses to run as root).
///
///   PgCluster cluster;                       // throws std::runtime_error when it cannot start
///   std::string url = cluster.NewDatabase(); // postgresql://...: an empty database
///   cluster.Stop(); cluster.Start();         // the server goes away and comes back
///   cluster.Suspend(); cluster.Resume();     // the server stops answering and goes on
///
/// A cluster starts from a copy of a data folder that initdb made once (kept in the temporary
/// folder), then in well under a second; tests that leave the server running still share one per
/// test program (Shared()); a test that stops or suspends the server starts its own.
class PgCluster {
 public:
  PgCluster();
  /// The test program's shared cluster, started when first asked for.
  static PgCluster& Shared();
  ~PgCluster();
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  /// Creates an empty database and returns its connection string.
  std::string NewDatabase();
  std::string Url(const std::string& database) const;
  /// The URL of a database as another role sees it (with a password when given).
  std::string UrlAs(const std::string& database, const std::string& role, const std::string& password = "") const;
  /// The name of a URL's database.
  static std::string DatabaseOf(const std::string& url);
  /// Runs SQL as the superuser in the database.
  void Sql(const std::string& database, const std::string& sql) const;
  /// From now on the role logs in with its password only.
  void RequirePassword(const std::string& role);
  /// SIGSTOP / SIGCONT to every process of the server: connections stay open, nothing answers.
  void Suspend();
  void Resume();
  void Start();
  /// Stops the server at once, dropping every connection.
  void Stop();

 private:
  void Run(const std::string& program, const std::string& arguments) const;
  /// A data folder made by initdb, shared by every cluster of this user and server version.
  std::string Template() const;
  void SignalServer(int signal) const;

  std::string bin_;
  ScratchDir scratch_;
  std::string dir_;
  int databases_ = 0;
};

}  // namespace lum
