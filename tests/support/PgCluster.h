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
class PgCluster {
 public:
  PgCluster();
  ~PgCluster();
  PgCluster(const PgCluster&) = delete;
  PgCluster& operator=(const PgCluster&) = delete;

  /// Creates an empty database and returns its connection string.
  std::string NewDatabase();
  std::string Url(const std::string& database) const;
  void Start();
  /// Stops the server at once, dropping every connection.
  void Stop();

 private:
  void Run(const std::string& program, const std::string& arguments) const;

  std::string bin_;
  ScratchDir scratch_;
  std::string dir_;
  int databases_ = 0;
};

}  // namespace lum
