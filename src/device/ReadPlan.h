#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/ConfigFields.h"
#include "data/TypeTables.h"

namespace lum {

/// One read request of a scan (address 0, every argument 0 but these) and what it reads,
/// named for the line that lists the replies that never came.
struct ReadRequest {
  uint8_t command;
  uint8_t index = 0;
  uint16_t word = 0;
  std::string what;
  bool operator==(const ReadRequest&) const = default;
};

/// The reads after identification that tell what the controller is, before its capabilities
/// are known: firmware, serial number and batch code, the requests of the fields the table
/// reads with the identity (the capability byte among them), then the model text.
std::vector<ReadRequest> IdentityReads(FieldTable fields = ConfigFields());

/// The requests of the block fields the table reads once the capabilities are known, of
/// those a controller with these capabilities holds, in the order of the table.
std::vector<ReadRequest> SettingsReads(const Capabilities& caps, FieldTable fields = ConfigFields());

/// The reads of one channel of group 0: its channel requests, then its segment requests,
/// which follow a pause.
struct ChannelReads {
  std::vector<ReadRequest> fields;
  std::vector<ReadRequest> segments;
  bool operator==(const ChannelReads&) const = default;
};
ChannelReads ReadsOfChannel(const Capabilities& caps, int channel, FieldTable fields = ConfigFields());

}  // namespace lum
