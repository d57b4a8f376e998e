#include "support/PgCluster.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "base/RegularFile.h"

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

namespace {
// As root the server's files belong to the user it runs as.
void HandToServerUser(const std::string& path) {
  if (geteuid() != 0) return;
  const passwd* user = getpwnam(kServerUser);
  if (!user || chown(path.c_str(), user->pw_uid, user->pw_gid) != 0)
    throw std::runtime_error("cannot hand " + path + " to " + kServerUser);
}

// Holds an exclusive lock on a file for as long as it lives.
class FileLock {
 public:
  explicit FileLock(const std::string& path) : fd_(::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600)) {
    if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) throw std::runtime_error("cannot lock " + path);
  }
  ~FileLock() { ::close(fd_); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};
}  // namespace

PgCluster::PgCluster() : bin_(ServerBinaries()), dir_(scratch_.path().string()) {
  HandToServerUser(dir_);
  const std::string copy = "cp -a '" + Template() + "' '" + dir_ + "/data'";
  if (std::system(copy.c_str()) != 0) throw std::runtime_error("failed: " + copy);
  Start();
}

std::string PgCluster::Template() const {
  // initdb takes most of a cluster's start: it runs once for the server version and user (also
  // across test processes), and every cluster starts from a copy of what it made.
  const std::string version = std::filesystem::path(bin_).parent_path().filename().string();
  const std::string dir =
      (std::filesystem::temp_directory_path() / ("lum-test-pg-" + version + "-" + std::to_string(geteuid()))).string();
  const std::string data = dir + "/data";
  FileLock lock(dir + ".lock");
  if (std::filesystem::exists(data)) return data;
  // Made aside and renamed whole: an initdb cut short leaves no template behind.
  std::filesystem::remove_all(dir);
  std::filesystem::create_directory(dir);
  HandToServerUser(dir);
  Run("initdb", "--no-sync -A trust -E UTF8 --locale=C -U " + std::string(kSuperUser) + " -D " + dir + "/partial");
  std::filesystem::rename(dir + "/partial", data);
  return data;
}

PgCluster::~PgCluster() {
  try {
    Resume();  // a suspended server does not stop
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

PgCluster& PgCluster::Shared() {
  static PgCluster cluster;
  return cluster;
}

std::string PgCluster::UrlAs(const std::string& database, const std::string& role, const std::string& password) const {
  return "postgresql://" + role + (password.empty() ? "" : ":" + password) + "@/" + database + "?host=" + dir_ +
         "&port=" + kPort;
}

std::string PgCluster::DatabaseOf(const std::string& url) {
  const size_t start = url.find("@/") + 2;
  return url.substr(start, url.find('?') - start);
}

void PgCluster::Sql(const std::string& database, const std::string& sql) const {
  const std::string file = dir_ + "/statement.sql";
  std::ofstream(file) << sql;
  Run("psql",
      "-v ON_ERROR_STOP=1 -q -h " + dir_ + " -p " + kPort + " -U " + kSuperUser + " -d " + database + " -f " + file);
}

void PgCluster::RequirePassword(const std::string& role) {
  const std::string hba = dir_ + "/data/pg_hba.conf";
  const std::string rules = ReadWholeFile(hba);
  std::ofstream(hba) << "local all " << role << " scram-sha-256\n" << rules;
  Run("pg_ctl", "-D " + dir_ + "/data reload");
}

void PgCluster::SignalServer(int signal) const {
  std::ifstream pidFile(dir_ + "/data/postmaster.pid");
  pid_t server = 0;
  pidFile >> server;
  if (server <= 0) throw std::runtime_error("the server runs no more");
  std::vector<pid_t> processes = {server};
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // pid (name) state ppid ...: the name may hold spaces, so read after its closing parenthesis.
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    std::string state;
    pid_t parent = 0;
    rest >> state >> parent;
    if (parent == server) processes.push_back(static_cast<pid_t>(std::stol(entry.path().filename().string())));
  }
  for (pid_t process : processes) kill(process, signal);
}

void PgCluster::Suspend() { SignalServer(SIGSTOP); }
void PgCluster::Resume() { SignalServer(SIGCONT); }

std::string PgCluster::NewDatabase() {
  const std::string name = "lumtest" + std::to_string(++databases_);
  Run("createdb", "-h " + dir_ + " -p " + kPort + " -U " + kSuperUser + " " + name);
  return Url(name);
}

}  // namespace lum
