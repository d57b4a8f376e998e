#include "sim/Loader.h"

#include <poll.h>

#include <array>
#include <chrono>

#include "upgrade/LoaderProtocol.h"

namespace lum::sim {

namespace {
using Steady = std::chrono::steady_clock;
constexpr int kPollMs = 10;
constexpr size_t kReadChunk = 512;
}  // namespace

SimLoader::SimLoader(LoaderOptions options)
    : pty_(loader::kBaud), options_(options), machine_(std::make_unique<LoaderMachine>(options)) {
  thread_ = std::thread([this] { Run(); });
}

SimLoader::~SimLoader() {
  stop_ = true;
  thread_.join();
}

LoaderRecord SimLoader::Record() const {
  std::lock_guard lock(mutex_);
  return machine_->Record();
}

bool SimLoader::WaitForQuits(int quits, unsigned timeoutMs) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return machine_->Record().Quits >= quits; });
}

void SimLoader::Run() {
  bool connected = false;
  bool heardClient = false;
  Steady::time_point nextAnnouncement;
  std::array<uint8_t, kReadChunk> buffer{};
  while (!stop_) {
    pollfd fd{pty_.Fd(), POLLIN, 0};
    poll(&fd, 1, kPollMs);
    const auto read = pty_.Read(buffer.data(), buffer.size());
    if (read.noClient) {
      // Without a client the master reports a hang-up at once; don't spin.
      connected = false;
      poll(nullptr, 0, kPollMs);
      continue;
    }
    if (!connected) {
      connected = true;
      heardClient = false;
      nextAnnouncement = Steady::now() + std::chrono::milliseconds(kSettleMs);
      std::lock_guard lock(mutex_);
      machine_ = std::make_unique<LoaderMachine>(options_);
    }
    if (read.count > 0) {
      heardClient = true;
      std::vector<std::vector<uint8_t>> replies;
      {
        std::lock_guard lock(mutex_);
        replies = machine_->Feed(buffer.data(), read.count);
      }
      changed_.notify_all();
      for (const auto& reply : replies) pty_.Write(reply.data(), reply.size());
    }
    if (!heardClient && !options_.Silent && Steady::now() >= nextAnnouncement) {
      const auto announcement = LoaderMachine::Announcement();
      pty_.Write(announcement.data(), announcement.size());
      nextAnnouncement = Steady::now() + std::chrono::milliseconds(kAnnounceIntervalMs);
    }
  }
}

}  // namespace lum::sim
