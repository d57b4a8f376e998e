#include "sim/Controller.h"

#include <algorithm>
#include <array>

#include "sim/LineNoise.h"

namespace lum::sim {

namespace {
constexpr size_t kReadChunk = 256;
constexpr size_t kSplitFirstPart = 5;  // bytes of a reply in the first of two writes
constexpr std::chrono::milliseconds kAnnounceInterval{200};
}  // namespace

Controller::Controller(const ControllerSetup& setup)
    : started_(std::chrono::steady_clock::now()),
      measurements_(setup.measurements),
      line_noise_(setup.lineNoise),
      damage_every_(setup.damageEvery),
      split_replies_(setup.splitReplies),
      split_pause_(setup.splitPauseMs),
      reply_delay_(setup.replyDelayMs),
      plugged_(!setup.unplugged),
      vanish_after_writes_(setup.vanishAfterWrites),
      responder_(setup),
      noise_(setup.noiseSeed) {}

namespace {
std::vector<std::optional<Responder>> BusUnits(const std::vector<ControllerSetup>& setups) {
  std::vector<std::optional<Responder>> units;
  units.reserve(setups.size());
  for (const ControllerSetup& setup : setups)
    units.push_back(setup.unplugged ? std::nullopt : std::optional<Responder>(Responder(setup)));
  return units;
}
}  // namespace

Controller::Controller(const ControllerSetup& line, const std::vector<ControllerSetup>& units) : Controller(line) {
  plugged_ = true;
  bus_.emplace(BusUnits(units));
}

size_t Controller::Units() const {
  std::lock_guard lock(mutex_);
  return bus_ ? bus_->Size() : 0;
}

bool Controller::PlugUnit(size_t slot, const ControllerSetup& setup) {
  std::lock_guard lock(mutex_);
  return bus_ && bus_->Plug(slot, Responder(setup));
}

bool Controller::UnplugUnit(size_t slot) {
  std::lock_guard lock(mutex_);
  return bus_ && bus_->Plug(slot, std::nullopt);
}

bool Controller::ReaddressUnit(size_t slot, uint8_t address) {
  std::lock_guard lock(mutex_);
  return bus_ && bus_->Readdress(slot, address);
}

std::optional<TCONFIG_BLOCK> Controller::UnitConfig(size_t slot) const {
  std::lock_guard lock(mutex_);
  return bus_ ? bus_->Config(slot) : std::nullopt;
}

std::vector<RawFrame> Controller::UnitLog(size_t slot) const {
  std::lock_guard lock(mutex_);
  return bus_ ? bus_->Log(slot) : std::vector<RawFrame>{};
}

std::vector<RawFrame> Controller::RequestLog() const {
  std::lock_guard lock(mutex_);
  return log_;
}

void Controller::ClearRequestLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

bool Controller::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return logged_.wait_for(lock, timeout, [&] { return log_.size() >= count; });
}

TCONFIG_BLOCK Controller::Config() const {
  std::lock_guard lock(mutex_);
  return responder_.Config();
}

void Controller::Plug(const ControllerSetup& setup) {
  std::lock_guard lock(mutex_);
  responder_ = Responder(setup);
  vanish_after_writes_ = setup.vanishAfterWrites;
  writes_answered_ = 0;
  plugged_ = true;
}

void Controller::Unplug() {
  plugged_ = false;
  drop_output_ = true;
  std::lock_guard lock(mutex_);
  loader_.reset();
}

void Controller::Restart(const LoaderOptions& loader) {
  {
    std::lock_guard lock(mutex_);
    if (!plugged_) return;
    loader_ = std::make_unique<LoaderMachine>(loader);
    loader_heard_ = false;
    next_announcement_ = std::chrono::steady_clock::now();
  }
  drop_output_ = true;  // a restart loses what the controller was about to say
  if (wake_) wake_();   // the simulator's thread may be waiting with nothing due
}

std::optional<Controller::TimePoint> Controller::AnnouncementDue() const {
  std::lock_guard lock(mutex_);
  if (!loader_ || loader_heard_) return std::nullopt;
  return next_announcement_;
}

bool Controller::InLoader() const {
  std::lock_guard lock(mutex_);
  return loader_ != nullptr;
}

std::vector<Bytes> Controller::FeedLoader(const uint8_t* data, size_t size) {
  std::lock_guard lock(mutex_);
  std::vector<Bytes> replies;
  if (!loader_) return replies;
  loader_heard_ = true;
  for (auto& reply : loader_->Feed(data, size)) replies.emplace_back(reply.begin(), reply.end());
  const LoaderRecord& record = loader_->Record();
  if (record.Quits > 0) {
    // Restarts as a controller with what the upgrade installed.
    if (record.Version && record.Build) responder_.SetFirmware(static_cast<uint8_t>(*record.Version), *record.Build);
    loader_.reset();
  }
  return replies;
}

bool Controller::OnReadable(TimePoint now) {
  std::array<uint8_t, kReadChunk> buffer;
  for (;;) {
    const PtyEndpoint::ReadResult got = pty_.Read(buffer.data(), buffer.size());
    if (got.noClient) return false;
    if (got.count == 0) return true;
    if (InLoader()) {
      for (const Bytes& reply : FeedLoader(buffer.data(), got.count)) Queue(reply, now);
      continue;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - started_);
    const Measurements measured = MeasurementsAt(measurements_, static_cast<uint64_t>(elapsed.count()));
    for (const RawFrame& frame : scanner_.Feed(buffer.data(), got.count)) {
      std::optional<Bytes> reply;
      {
        std::lock_guard lock(mutex_);
        if (!plugged_) continue;  // nobody there to hear it
        log_.push_back(frame);
        const Request request = DecodeRequest(frame);
        reply = bus_ ? bus_->Answer(request, frame, measured) : responder_.Answer(request, measured);
        if (reply && request.IsWrite() && vanish_after_writes_ > 0 && ++writes_answered_ == vanish_after_writes_)
          plugged_ = false;
      }
      logged_.notify_all();
      if (!reply) continue;
      Queue(damage_every_ != 0 && ++replies_sent_ % damage_every_ == 0 ? DamageReply(*reply) : *reply, now);
    }
  }
}

void Controller::Queue(const Bytes& reply, TimePoint now) {
  const NoisyReply out = line_noise_ ? SurroundWithNoise(reply, noise_) : NoisyReply{reply, 0};
  TimePoint due = now + reply_delay_;
  if (!output_.empty()) due = std::max(due, output_.back().due);
  if (!split_replies_) {
    output_.push_back({due, out.bytes});
    return;
  }
  const auto cut = out.bytes.begin() + static_cast<std::ptrdiff_t>(out.replyAt + kSplitFirstPart);
  output_.push_back({due, Bytes(out.bytes.begin(), cut)});
  output_.push_back({due + split_pause_, Bytes(cut, out.bytes.end())});
}

void Controller::WriteDue(TimePoint now) {
  if (drop_output_.exchange(false)) output_.clear();  // taken away before it could answer
  if (const auto due = AnnouncementDue(); due && *due <= now) {
    // Like a real loader, it announces itself again and again until the program answers.
    const std::vector<uint8_t> banner = LoaderMachine::Announcement();
    pty_.Write(banner.data(), banner.size());
    std::lock_guard lock(mutex_);
    next_announcement_ = now + kAnnounceInterval;
  }
  while (!output_.empty() && output_.front().due <= now) {
    pty_.Write(output_.front().bytes.data(), output_.front().bytes.size());
    output_.pop_front();
  }
}

std::optional<Controller::TimePoint> Controller::NextDue() const {
  std::optional<TimePoint> due = AnnouncementDue();
  if (!output_.empty() && (!due || output_.front().due < *due)) due = output_.front().due;
  return due;
}

}  // namespace lum::sim
