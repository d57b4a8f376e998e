#include "device/ReadPlan.h"

#include <fmt/format.h>

#include <algorithm>

#include "data/CommandCodes.h"
#include "device/FieldRequests.h"
#include "link/Frame.h"

namespace lum {

namespace {

// Identity requests whose replies fill the entry rather than the block.
struct EntryRead {
  uint8_t command;
  const char* what;
};
constexpr EntryRead kBeforeIdentityFields[] = {{command::kFirmwareVersion, "FirmwareVersion"},
                                               {command::kSerialNumber, "SerialNumber"},
                                               {command::kBatchCode, "BatchCode"}};
constexpr EntryRead kAfterIdentityFields[] = {{command::kModelText, "Model"}};

std::vector<FieldRequest> ReadRequestsOf(FieldTable fields, ScanRead when) {
  return RequestsOf(fields, [when](const ConfigField& field) { return field.read == when; });
}

bool Holds(const Capabilities& caps, const FieldRequest& request) {
  return std::any_of(request.rows.begin(), request.rows.end(),
                     [&](const ConfigField* row) { return CanHold(caps, *row); });
}

// A request is named by its first row that a write sends, else by its first row.
const char* NameOf(const FieldRequest& request) {
  const auto sent = std::find_if(request.rows.begin(), request.rows.end(),
                                 [](const ConfigField* row) { return row->need != WriteNeed::Never; });
  return (sent != request.rows.end() ? *sent : request.rows.front())->name;
}

}  // namespace

std::vector<ReadRequest> IdentityReads(FieldTable fields) {
  std::vector<ReadRequest> reads;
  for (const EntryRead& read : kBeforeIdentityFields) reads.push_back({read.command, 0, 0, read.what});
  for (const FieldRequest& request : ReadRequestsOf(fields, ScanRead::Identity))
    reads.push_back({request.command, 0, 0, NameOf(request)});
  for (const EntryRead& read : kAfterIdentityFields) reads.push_back({read.command, 0, 0, read.what});
  return reads;
}

std::vector<ReadRequest> SettingsReads(const Capabilities& caps, FieldTable fields) {
  std::vector<ReadRequest> reads;
  for (const FieldRequest& request : ReadRequestsOf(fields, ScanRead::Held))
    if (request.scope == FieldScope::Block && Holds(caps, request))
      reads.push_back({request.command, 0, 0, NameOf(request)});
  return reads;
}

ChannelReads ReadsOfChannel(const Capabilities& caps, int channel, FieldTable fields) {
  ChannelReads reads;
  const uint8_t index = ChannelIndex(channel);
  for (const FieldRequest& request : ReadRequestsOf(fields, ScanRead::Held)) {
    if (request.scope == FieldScope::Block || !Holds(caps, request)) continue;
    if (!PerSegment(request.scope)) {
      reads.fields.push_back({request.command, index, 0, fmt::format("channel {} {}", channel + 1, NameOf(request))});
      continue;
    }
    for (int k = 0; k < block_layout::kSegments; ++k)
      reads.segments.push_back(
          {request.command, index, SegmentWord(k), fmt::format("channel {} segment {}", channel + 1, k + 1)});
  }
  return reads;
}

}  // namespace lum
