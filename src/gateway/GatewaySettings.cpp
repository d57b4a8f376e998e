#include "gateway/GatewaySettings.h"

#include <fmt/format.h>

#include <charconv>
#include <optional>
#include <stdexcept>

#include "nights/RecordedNights.h"

namespace lum::gateway {

namespace {

constexpr int kMaxPort = 65535;
constexpr int kMaxIntervalMs = 24 * 60 * 60 * 1000;
constexpr int kMaxKeepAliveSeconds = 65535;
constexpr int kMsPerSecond = 1000;

std::optional<int64_t> ParseInteger(const std::string& text) {
  int64_t value = 0;
  const auto* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

class Reader {
 public:
  Reader(const ProfileFile& profile, std::vector<std::string>& errors) : profile_(profile), errors_(errors) {}

  void Text(const char* section, const char* key, std::string& target) const {
    if (auto value = profile_.Read(section, key)) target = *value;
  }

  template <typename Int>
  void Number(const char* section, const char* key, Int& target, int64_t low, int64_t high) const {
    const auto text = profile_.Read(section, key);
    if (!text) return;
    const auto value = ParseInteger(*text);
    if (value && *value >= low && *value <= high) {
      target = static_cast<Int>(*value);
      return;
    }
    errors_.push_back(fmt::format("[{}] {}={}: not a whole number from {} to {}", section, key, *text, low, high));
  }

  void Flag(const char* section, const char* key, bool& target) const {
    int value = target ? 1 : 0;
    Number(section, key, value, 0, 1);
    target = value != 0;
  }

  void Topic(const char* section, const char* key, std::string& target) const {
    const auto text = profile_.Read(section, key);
    if (!text) return;
    if (IsPlainTopic(*text)) {
      target = *text;
      return;
    }
    errors_.push_back(fmt::format("[{}] {}={}: not a topic without wildcards or empty levels", section, key, *text));
  }

 private:
  const ProfileFile& profile_;
  std::vector<std::string>& errors_;
};

}  // namespace

nights::SettingEntries NightsSection(const ProfileFile& profile, const std::string& section) {
  return profile.SectionEntries(section).value_or(nights::SettingEntries{});
}

nights::Thresholds ThresholdsOf(const GatewaySettings& settings, const std::string& serial) {
  return nights::ThresholdsOfSettings(
      [&settings](const std::string& section) { return NightsSection(settings.file, section); }, serial);
}

bool IsPlainTopic(const std::string& topic) {
  if (topic.empty() || topic.front() == '/' || topic.back() == '/') return false;
  if (topic.find("//") != std::string::npos) return false;
  return topic.find_first_of("#+") == std::string::npos && topic.find('\0') == std::string::npos;
}

GatewaySettings ParseGatewaySettings(const ProfileFile& profile, std::vector<std::string>& errors) {
  GatewaySettings settings;
  const Reader read(profile, errors);
  const char* broker = GatewaySettings::kBrokerSection;
  auto& b = settings.broker;
  read.Text(broker, "Host", b.host);
  read.Number(broker, "Port", b.port, 1, kMaxPort);
  read.Text(broker, "ClientId", b.clientId);
  read.Text(broker, "Username", b.username);
  read.Text(broker, "Password", b.password);
  read.Text(broker, "CaFile", b.caFile);
  read.Text(broker, "CertFile", b.certFile);
  read.Text(broker, "KeyFile", b.keyFile);
  read.Number(broker, "KeepAlive", b.keepAliveSeconds, 1, kMaxKeepAliveSeconds);
  const char* gateway = GatewaySettings::kGatewaySection;
  read.Topic(gateway, "Prefix", settings.prefix);
  read.Topic(gateway, "DiscoveryPrefix", settings.discoveryPrefix);
  read.Number(gateway, "IntervalMs", settings.intervalMs, GatewaySettings::kMinIntervalMs, kMaxIntervalMs);
  read.Flag(gateway, "RemoteChanges", settings.remoteChanges);
  read.Number(gateway, "BacklogLimit", settings.backlogLimit, 1, INT64_MAX);
  read.Text(gateway, "Database", settings.database);
  read.Number(gateway, "RetryMs", settings.retryMs, GatewaySettings::kMinIntervalMs, kMaxIntervalMs);
  read.Text(gateway, "Records", settings.records);
  read.Text(gateway, "DataFolder", settings.dataFolder);
  read.Number(gateway, "AlarmCheckSeconds", settings.alarmCheckSeconds, 1, kMaxIntervalMs / kMsPerSecond);
  settings.file = profile;
  try {
    nights::ApplyThresholdEntries({}, NightsSection(profile, nights::kThresholdSection), nights::kThresholdSection);
  } catch (const std::invalid_argument& e) {
    errors.emplace_back(e.what());
    settings.file = ProfileFile();
  }
  if (b.clientId.empty()) b.clientId = "lum-gateway-" + settings.prefix;
  if (b.certFile.empty() != b.keyFile.empty()) {
    errors.emplace_back("[Broker] CertFile and KeyFile go together: the client certificate is not used");
    b.certFile.clear();
    b.keyFile.clear();
  }
  return settings;
}

}  // namespace lum::gateway
