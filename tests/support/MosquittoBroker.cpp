#include "support/MosquittoBroker.h"

#include <arpa/inet.h>
#include <fmt/format.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace lum {

namespace {

constexpr char kBroker[] = "/usr/sbin/mosquitto";
constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kRetry = std::chrono::milliseconds(20);

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A port nobody listens on now (the kernel's choice for port 0).
int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof(address);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("no free port");
  }
  close(fd);
  return ntohs(address.sin_port);
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = Loopback(port);
  const bool ok = fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  if (fd >= 0) close(fd);
  return ok;
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

}  // namespace

MosquittoBroker::MosquittoBroker() : dir_(scratch_.path().string()), port_(FreePort()), tlsPort_(FreePort()) {
  WriteFiles();
  Start();
}

MosquittoBroker::~MosquittoBroker() { Stop(); }

void MosquittoBroker::WriteFiles() const {
  Run(fmt::format(
      "cd '{}' && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=lum-test-ca -keyout ca.key -out ca.crt "
      ">/dev/null 2>&1 && openssl req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout server.key -out server.csr "
      ">/dev/null 2>&1 && printf 'subjectAltName=IP:127.0.0.1\\n' > san.ext && openssl x509 -req -in server.csr "
      "-CA ca.crt -CAkey ca.key -CAcreateserial -days 2 -extfile san.ext -out server.crt >/dev/null 2>&1 && "
      "mosquitto_passwd -b -c passwords '{}' '{}' >/dev/null 2>&1 && chmod 0600 passwords",
      dir_, kUser, kPassword));
  std::ofstream config(dir_ + "/mosquitto.conf");
  if (geteuid() == 0) config << "user root\n";
  config << "per_listener_settings true\npersistence false\nlog_dest none\n"
         << fmt::format("listener {} 127.0.0.1\nallow_anonymous true\n", port_)
         << fmt::format("listener {} 127.0.0.1\nallow_anonymous false\npassword_file {}/passwords\n", tlsPort_, dir_)
         << fmt::format("cafile {0}/ca.crt\ncertfile {0}/server.crt\nkeyfile {0}/server.key\n", dir_);
  if (!config) throw std::runtime_error("cannot write the broker's configuration");
}

void MosquittoBroker::Start() {
  if (pid_ > 0) return;
  const std::string config = dir_ + "/mosquitto.conf";
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("cannot start mosquitto");
  if (pid_ == 0) {
    execl(kBroker, kBroker, "-c", config.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const auto limit = std::chrono::steady_clock::now() + kStartLimit;
  while (!Accepts(port_) || !Accepts(tlsPort_)) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_ || std::chrono::steady_clock::now() > limit) {
      pid_ = -1;
      throw std::runtime_error("mosquitto did not start; see " + config);
    }
    std::this_thread::sleep_for(kRetry);
  }
}

void MosquittoBroker::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace lum
