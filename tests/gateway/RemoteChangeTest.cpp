#include <gtest/gtest.h>

#include "data/ConfigJson.h"
#include "gateway/RemoteChange.h"
#include "support/BenchSupport.h"

namespace lum::gateway {
namespace {

TEST(RemoteChangeTest, CommandTopicsNameOneSerialOfThisGateway) {
  const Topics topics("site/lum");
  EXPECT_EQ(SerialOfCommand(topics, "site/lum/0A12345678/set"), "0A12345678");
  for (const char* other : {"site/lum/0A12345678/state", "site/lum//set", "site/lum/a/b/set", "other/lum/0A1/set",
                            "site/lum/set", "site/lumx/0A1/set"})
    EXPECT_EQ(SerialOfCommand(topics, other), std::nullopt) << other;
}

TEST(RemoteChangeTest, AWholeDocumentOrSingleFieldsGiveTheBlockToWrite) {
  const TCONFIG_BLOCK current = JobBlock();
  TCONFIG_BLOCK wanted = current;
  wanted.SetBattOVP(14700);
  const auto whole = CheckChange(BlockToJson(wanted).dump(), &current);
  ASSERT_TRUE(whole.block) << whole.refusal;
  EXPECT_EQ(*whole.block, wanted);
  const auto single = CheckChange(R"({"Fields": {"BattOVP": 14700}})", &current);
  ASSERT_TRUE(single.block) << single.refusal;
  EXPECT_EQ(*single.block, wanted);
}

// Hostile payloads are refused with a reason, before anything could be sent.
TEST(RemoteChangeTest, RefusesHostilePayloadsWithAReason) {
  const TCONFIG_BLOCK current = JobBlock();
  auto newer = BlockToJson(current);
  newer[json_format::kVersionKey] = json_format::kVersion + 1;
  auto otherProduct = current;
  otherProduct.SetProductID(current.ProductID() + 1);
  const std::pair<std::string, std::string> cases[] = {
      {std::string(kMaxCommandBytes + 1, ' '), "larger than"},
      {"{\"Fields\": {", "not JSON"},
      {"[1, 2]", "not a JSON object"},
      {newer.dump(), "FormatVersion"},
      {R"({"Fields": {"NoSuchField": 1}})", "NoSuchField"},
      {R"({"Fields": {"BattOVP": "high"}})", "BattOVP"},
      {R"({"Fields": {"BattOVP": 70000}})", "BattOVP"},
      {R"({"Fields": {"SCDelay": 5}})", "SCDelay"},
      {R"({"Fields": []})", "Fields"},
      {BlockToJson(otherProduct).dump(), "product"},
  };
  for (const auto& [payload, reason] : cases) {
    const auto checked = CheckChange(payload, &current);
    EXPECT_FALSE(checked.block) << payload.substr(0, 60);
    EXPECT_NE(checked.refusal.find(reason), std::string::npos) << checked.refusal;
  }
  const auto unknown = CheckChange(R"({"Fields": {"BattOVP": 14700}})", nullptr);
  EXPECT_FALSE(unknown.block);
  EXPECT_NE(unknown.refusal.find("serial"), std::string::npos);
}

}  // namespace
}  // namespace lum::gateway
