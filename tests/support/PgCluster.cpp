#include "support/PgCluster.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace lum {

namespace {
constexpr const char* kServerUser = "nobody";
constexpr const char* kSuperUser = "lum";
constexpr const char* kPort = "5432";  // the socket lives in our own folder: no clash
constexpr const char* kVersionsDir = "/usr/lib/postgresql";

std::string ServerBinaries() {
  std::vector<std::filesystem::path> found;
  std::error_code ignored;
  for (const auto& version : std::filesystem::directory_iterator(kVersionsDir, ignored))
    if (std::filesystem::exists(version.path() / "bin" / "initdb")) found.push_back(version.path() / "bin");
  if (found.empty())
    throw std::runtime_error(std::string("no PostgreSQL server under ") + kVersionsDir +
                             " (tools/install-deps installs the package postgresql)");
  std::sort(found.begin(), found.end());
  return found.back().string();
}
}  // namespace

PgCluster::PgCluster() : bin_(ServerBinaries()), dir_(scratch_.path().string()) {
  if (geteuid() == 0) {
    const passwd* user = getpwnam(kServerUser);
    if (!user || chown(dir_.c_str(), user->pw_uid, user->pw_gid) != 0)
      throw std::runtime_error(std::string("cannot hand the cluster folder to ") + kServerUser);
  }
  Run("initdb", "--no-sync -A trust -E UTF8 --locale=C -U " + std::string(kSuperUser) + " -D " + dir_ + "/data");
  Start();
}

PgCluster::~PgCluster() {
  try {
    Stop();
  } catch (const std::exception&) {
    // already stopped
  }
}

void PgCluster::Run(const std::string& program, const std::string& arguments) const {
  std::string command = bin_ + "/" + program + " " + arguments + " >>" + dir_ + "/commands.log 2>&1";
  if (geteuid() == 0) command = "runuser -u " + std::string(kServerUser) + " -- sh -c '" + command + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

void PgCluster::Start() {
  Run("pg_ctl", "-w -D " + dir_ + "/data -l " + dir_ + "/server.log -o \"-F -p " + kPort + " -c listen_addresses= -k " +
                    dir_ + "\" start");
}

void PgCluster::Stop() { Run("pg_ctl", "-w -D " + dir_ + "/data -m immediate stop"); }

std::string PgCluster::Url(const std::string& database) const {
  return "postgresql://" + std::string(kSuperUser) + "@/" + database + "?host=" + dir_ + "&port=" + kPort;
}

std::string PgCluster::NewDatabase() {
  const std::string name = "lumtest" + std::to_string(++databases_);
  Run("createdb", "-h " + dir_ + " -p " + kPort + " -U " + kSuperUser + " " + name);
  return Url(name);
}

}  // namespace lum
