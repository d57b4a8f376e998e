#include "sim/Simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace lum::sim {

namespace {
// While a line has no client, poll() reports a hang-up at once; look again after this.
constexpr std::chrono::milliseconds kNoClientRest{10};
constexpr int kForever = -1;

int TimeoutMs(std::optional<Controller::TimePoint> wakeAt, Controller::TimePoint now) {
  if (!wakeAt) return kForever;
  if (*wakeAt <= now) return 0;
  // Round up, so the thread never wakes just before the due time and spins.
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(*wakeAt - now).count());
}

void Earliest(std::optional<Controller::TimePoint>& wakeAt, Controller::TimePoint t) {
  if (!wakeAt || t < *wakeAt) wakeAt = t;
}
}  // namespace

Simulator::Simulator() {
  if (pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe2");
}

Simulator::~Simulator() {
  Stop();
  close(wake_[0]);
  close(wake_[1]);
}

Controller& Simulator::AddController(const ControllerSetup& setup) { return Add(std::make_unique<Controller>(setup)); }

Controller& Simulator::AddBus(const ControllerSetup& line, const std::vector<ControllerSetup>& units) {
  return Add(std::make_unique<Controller>(line, units));
}

Controller& Simulator::Add(std::unique_ptr<Controller> controller) {
  Controller& added = *controller;
  added.SetWake([this] { Wake(); });
  {
    std::lock_guard lock(mutex_);
    slots_.push_back({std::move(controller), {}});
  }
  Wake();
  return added;
}

void Simulator::Start() {
  if (running_.exchange(true)) return;
  thread_ = std::thread([this] { Run(); });
}

void Simulator::Stop() {
  if (!running_.exchange(false)) return;
  Wake();
  thread_.join();
}

void Simulator::Wake() {
  const uint8_t poke = 1;
  // A full pipe already holds a wake-up.
  [[maybe_unused]] const ssize_t ignored = write(wake_[1], &poke, sizeof poke);
}

void Simulator::Run() {
  std::vector<pollfd> fds;
  std::vector<Slot*> polled;
  while (running_) {
    std::optional<Controller::TimePoint> wakeAt;
    fds.assign(1, pollfd{wake_[0], POLLIN, 0});
    polled.clear();
    {
      std::lock_guard lock(mutex_);
      const auto now = std::chrono::steady_clock::now();
      for (Slot& slot : slots_) {
        slot.controller->WriteDue(now);
        if (const auto due = slot.controller->NextDue()) Earliest(wakeAt, *due);
        if (slot.restUntil > now) {
          Earliest(wakeAt, slot.restUntil);
          continue;
        }
        fds.push_back(pollfd{slot.controller->Fd(), POLLIN, 0});
        polled.push_back(&slot);
      }
    }
    if (poll(fds.data(), fds.size(), TimeoutMs(wakeAt, std::chrono::steady_clock::now())) < 0) continue;  // EINTR

    uint8_t drained[64];
    while (read(wake_[0], drained, sizeof drained) > 0) {
    }
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    for (size_t i = 0; i < polled.size(); ++i) {
      if (fds[i + 1].revents == 0) continue;
      if (!polled[i]->controller->OnReadable(now)) polled[i]->restUntil = now + kNoClientRest;
    }
  }
}

}  // namespace lum::sim
