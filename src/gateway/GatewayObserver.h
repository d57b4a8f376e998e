#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/PollSample.h"
#include "link/LinkObserver.h"

namespace lum::gateway {

/// Where the gateway's lines go: the journal for the program, a test's list.
using GatewayLog = std::function<void(const std::string& line)>;

/// Hears one port's session: the values of a poll are gathered into a sample, the
/// operations' information lines are kept for the reply of a remote change and, with the
/// trace lines, logged.
class GatewayObserver : public LinkObserver {
 public:
  explicit GatewayObserver(std::string port, GatewayLog log) : port_(std::move(port)), log_(std::move(log)) {}

  void InfoLine(const std::string& line) override;
  void TraceLine(const std::string& line) override;
  void ValueReceived(const Measurement& value) override { poll_.Add(value); }

  /// The values heard since the last call, as one poll that ended now; nullopt when none came.
  std::optional<PollSample> FinishPoll() { return poll_.Finish(NowMsSinceEpoch()); }
  /// The information lines since the last call.
  std::vector<std::string> TakeLines();

 private:
  std::string port_;
  GatewayLog log_;
  PollAssembler poll_;
  std::vector<std::string> lines_;
};

}  // namespace lum::gateway
