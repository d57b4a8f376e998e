// The block <-> JSON mapping, through lumctl show --json and pack.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/Lumctl.h"
#include "data/ConfigFile.h"

namespace lum {
namespace {

using nlohmann::json;

class ConfigJson : public Lumctl {
 protected:
  json Shown(const TCONFIG_BLOCK& block) {
    SaveConfigFile(Path("in.LUM"), block);
    const Outcome shown = Run("show --json in.LUM");
    EXPECT_EQ(shown.status, 0) << shown.err;
    return json::parse(shown.out);
  }
  // Packs the document; the error text on failure, "" on success.
  std::string PackError(const json& doc) {
    WriteRaw("doc.json", doc.dump());
    const Outcome packed = Run("pack doc.json out.LUM");
    if (packed.status == 0) return "";
    EXPECT_EQ(packed.status, 2);
    const std::string prefix = "doc.json: ";
    EXPECT_EQ(packed.err.rfind(prefix, 0), 0u) << packed.err;
    return packed.err.substr(prefix.size(), packed.err.size() - prefix.size() - 1);
  }
  TCONFIG_BLOCK Packed() { return OpenConfigFile(Path("out.LUM")).block; }
};

TEST_F(ConfigJson, EveryByteSurvivesTheRoundTrip) {
  TCONFIG_BLOCK block;
  for (size_t i = 0; i < block_layout::kSize; ++i) block.bytes()[i] = static_cast<uint8_t>(i * 31 + 7);
  EXPECT_EQ(PackError(Shown(block)), "");
  EXPECT_EQ(Packed(), block);
}

TEST_F(ConfigJson, FieldsAreRawNumbersAtTheirNames) {
  TCONFIG_BLOCK block = NewFileStartBlock();
  block.SetBattReserved(0x1234);
  block.bytes()[19] = 9;
  block.Channel(11, 3).Timing2(4).SetMinutes(4096);
  const json doc = Shown(block);
  EXPECT_EQ(doc["BattOVP"], 14400);
  EXPECT_EQ(doc["SCDelay"], 0x9E);
  EXPECT_EQ(doc["BattReserved"], 0x1234);
  EXPECT_EQ(doc["Reserved18"], json({0, 9, 0, 0, 0, 0}));
  EXPECT_EQ(doc["Reserved27"].size(), 5u);
  EXPECT_EQ(doc["Channels"].size(), 12u);
  EXPECT_EQ(doc["Channels"][0][1]["Mode"], 1);
  EXPECT_EQ(doc["Channels"][11][3]["Timing2"][4]["Minutes"], 4096);
}

TEST_F(ConfigJson, ReservedFieldsMayBeLeftOut) {
  json doc = Shown(NewFileStartBlock());
  doc.erase("BattReserved");
  doc.erase("Reserved18");
  doc.erase("Reserved27");
  for (auto& group : doc["Channels"])
    for (auto& channel : group) {
      channel.erase("Timing2");
      channel.erase("Reserved");
    }
  EXPECT_EQ(PackError(doc), "");
  EXPECT_EQ(Packed(), NewFileStartBlock());
}

TEST_F(ConfigJson, ErrorsNameTheField) {
  const json good = Shown(NewFileStartBlock());

  json missing = good;
  missing.erase("BattOVP");
  EXPECT_EQ(PackError(missing), "BattOVP: is missing");

  json tooBig = good;
  tooBig["Channels"][0][1]["Timing"][4]["Power"] = 300;
  EXPECT_EQ(PackError(tooBig), "Channels[0][1].Timing[4].Power: 300 is out of range (0 to 255)");

  json negative = good;
  negative["BattFCV"] = -1;
  EXPECT_EQ(PackError(negative), "BattFCV: -1 is out of range (0 to 65535)");

  json fraction = good;
  fraction["SCV"] = 5.5;
  EXPECT_EQ(PackError(fraction), "SCV: must be a whole number from 0 to 65535, not 5.5");

  json text = good;
  text["ProductID"] = "0x515620";
  EXPECT_EQ(PackError(text), "ProductID: must be a whole number from 0 to 4294967295, not \"0x515620\"");

  json reserved = good;
  reserved["Reserved18"][2] = 256;
  EXPECT_EQ(PackError(reserved), "Reserved18[2]: 256 is out of range (0 to 255)");

  json shortList = good;
  shortList["Channels"][3].erase(0);
  EXPECT_EQ(PackError(shortList), "Channels[3]: must be a list of 4 items");

  json unknown = good;
  unknown["Channels"][0][0]["Speed"] = 1;
  EXPECT_EQ(PackError(unknown), "Channels[0][0].Speed: is not a field of this record");

  EXPECT_EQ(PackError(json::array()), "document: must be an object");
}

}  // namespace
}  // namespace lum
