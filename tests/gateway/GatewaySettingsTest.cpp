#include <gtest/gtest.h>

#include "gateway/GatewaySettings.h"

namespace lum::gateway {
namespace {

GatewaySettings Parse(const std::string& text, std::vector<std::string>& errors) {
  return ParseGatewaySettings(ProfileFile::Parse(text), errors);
}

TEST(GatewaySettingsTest, ReadsEveryKeyOfBothSections) {
  std::vector<std::string> errors;
  const auto s = Parse(
      "[Broker]\nHost=broker.example\nPort=8883\nUsername=gw\nPassword=pw\nCaFile=/etc/ca.crt\n"
      "CertFile=/etc/c.crt\nKeyFile=/etc/c.key\nKeepAlive=10\n"
      "[Gateway]\nPrefix=site/north\nDiscoveryPrefix=ha\nIntervalMs=250\nRemoteChanges=1\nBacklogLimit=42\n"
      "Database=/var/lib/lum/gw.db\nRetryMs=700\nRecords=postgresql://db/lum\nDataFolder=/var/lib/lum\n",
      errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(s.broker.host, "broker.example");
  EXPECT_EQ(s.broker.port, 8883);
  EXPECT_EQ(s.broker.username, "gw");
  EXPECT_EQ(s.broker.password, "pw");
  EXPECT_TRUE(s.broker.Tls());
  EXPECT_EQ(s.broker.certFile, "/etc/c.crt");
  EXPECT_EQ(s.broker.keyFile, "/etc/c.key");
  EXPECT_EQ(s.broker.keepAliveSeconds, 10);
  EXPECT_EQ(s.broker.clientId, "lum-gateway-site/north");
  EXPECT_EQ(s.prefix, "site/north");
  EXPECT_EQ(s.discoveryPrefix, "ha");
  EXPECT_EQ(s.intervalMs, 250);
  EXPECT_TRUE(s.remoteChanges);
  EXPECT_EQ(s.backlogLimit, 42);
  EXPECT_EQ(s.database, "/var/lib/lum/gw.db");
  EXPECT_EQ(s.retryMs, 700);
  EXPECT_EQ(s.records, "postgresql://db/lum");
  EXPECT_EQ(s.dataFolder, "/var/lib/lum");
}

TEST(GatewaySettingsTest, DefaultsAreSafeWithoutAFile) {
  std::vector<std::string> errors;
  const auto s = Parse("", errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(s.remoteChanges);
  EXPECT_FALSE(s.broker.Tls());
  EXPECT_EQ(s.broker.port, BrokerSettings::kDefaultPort);
  EXPECT_EQ(s.backlogLimit, GatewaySettings::kDefaultBacklogLimit);
}

TEST(GatewaySettingsTest, NamesEachValueItCannotTakeAndKeepsTheDefault) {
  std::vector<std::string> errors;
  const auto s = Parse(
      "[Broker]\nPort=70000\nCertFile=/c.crt\n[Gateway]\nPrefix=lum/#\nIntervalMs=5\nRemoteChanges=yes\n"
      "BacklogLimit=0\nDiscoveryPrefix=a//b\n",
      errors);
  ASSERT_EQ(errors.size(), 7U);
  EXPECT_NE(errors[0].find("Port=70000"), std::string::npos);
  EXPECT_NE(errors.back().find("CertFile and KeyFile"), std::string::npos);
  EXPECT_EQ(s.broker.port, BrokerSettings::kDefaultPort);
  EXPECT_TRUE(s.broker.certFile.empty());
  EXPECT_EQ(s.prefix, "lum");
  EXPECT_EQ(s.discoveryPrefix, "homeassistant");
  EXPECT_EQ(s.intervalMs, GatewaySettings::kDefaultIntervalMs);
  EXPECT_FALSE(s.remoteChanges);
  EXPECT_EQ(s.backlogLimit, GatewaySettings::kDefaultBacklogLimit);
}

TEST(GatewaySettingsTest, AlarmThresholdsPerControllerAndTheirPace) {
  std::vector<std::string> errors;
  const auto s = Parse(
      "[Gateway]\nAlarmCheckSeconds=60\n[Nights]\nNoDataHours=6\n[Nights 0A00000066]\nNoDataHours=1\n"
      "[Nights 0B00000001]\nNoDataHours=many\n",
      errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(s.alarmCheckSeconds, 60);
  EXPECT_DOUBLE_EQ(ThresholdsOf(s, "0A00000066").noDataHours, 1);
  EXPECT_DOUBLE_EQ(ThresholdsOf(s, "0C00000000").noDataHours, 6);
  // A controller's own section is named when that controller is met.
  EXPECT_THROW(ThresholdsOf(s, "0B00000001"), std::invalid_argument);

  const auto bad = Parse("[Gateway]\nAlarmCheckSeconds=0\n[Nights]\nFadingNights=-3\n", errors);
  ASSERT_EQ(errors.size(), 2U);
  EXPECT_NE(errors[0].find("AlarmCheckSeconds=0"), std::string::npos);
  EXPECT_NE(errors[1].find("FadingNights"), std::string::npos);
  EXPECT_EQ(bad.alarmCheckSeconds, GatewaySettings::kDefaultAlarmCheckSeconds);
  EXPECT_EQ(ThresholdsOf(bad, "0A00000066").fadingNights, nights::Thresholds{}.fadingNights) << "the defaults stay";
}

TEST(GatewaySettingsTest, PlainTopicsHaveNoWildcardsOrEmptyLevels) {
  EXPECT_TRUE(IsPlainTopic("lum"));
  EXPECT_TRUE(IsPlainTopic("site-1/lum"));
  for (const char* bad : {"", "/lum", "lum/", "a//b", "lum/+", "#"}) EXPECT_FALSE(IsPlainTopic(bad)) << bad;
}

}  // namespace
}  // namespace lum::gateway
