#include "device/WritePlan.h"

#include <fmt/format.h>

#include <algorithm>

#include "base/AsciiText.h"
#include "data/TypeTables.h"
#include "device/FieldRequests.h"
#include "link/Frame.h"

namespace lum {

namespace {

constexpr int kGroup = 0;              // only group 0 of the channel table travels
constexpr uint16_t kMarkBit = 0x0001;  // flipping it never leaves a 12- or 7-bit field

bool Travels(const ConfigField& field) { return field.writeSlot != FrameSlot::None && field.need != WriteNeed::Never; }

// Visits every request of the sequence in order with its channel and segment: a block
// request once, a run of channel requests once per channel.
template <typename Visit>
void ForEachRequest(FieldTable fields, int channels, Visit visit) {
  const std::vector<FieldRequest> requests = RequestsOf(fields, Travels);
  for (size_t i = 0; i < requests.size();) {
    if (requests[i].scope == FieldScope::Block) {
      visit(requests[i++], 0, 0);
      continue;
    }
    size_t end = i;
    while (end < requests.size() && requests[end].scope != FieldScope::Block) ++end;
    for (int c = 0; c < channels; ++c)
      for (size_t r = i; r < end; ++r)
        for (int k = 0; k < (PerSegment(requests[r].scope) ? block_layout::kSegments : 1); ++k)
          visit(requests[r], c, k);
    i = end;
  }
}

WriteRequest Build(const TCONFIG_BLOCK& block, const FieldRequest& request, int c, int k) {
  WriteRequest out{request.command,
                   request.scope == FieldScope::Block ? frame::kWriteFlag : ChannelIndex(c, kGroup, true),
                   0,
                   PerSegment(request.scope) ? SegmentWord(k) : uint16_t{0},
                   {}};
  for (const ConfigField* row : request.rows) {
    const FieldRef field{row, c, k};
    const uint16_t value = ReadField(block, field);
    switch (row->writeSlot) {
      case FrameSlot::Word:
        out.word = value;
        break;
      case FrameSlot::ByteArg:
        out.byteArg = static_cast<uint8_t>(value);
        break;
      case FrameSlot::Flags:
        out.index = static_cast<uint8_t>(out.index | value);
        break;
      case FrameSlot::Minutes:
        out.word = static_cast<uint16_t>(out.word | value);
        break;
      case FrameSlot::Address:
      case FrameSlot::None:
        break;
    }
    out.fields.push_back({field, value});
  }
  return out;
}

bool Sends(const TCONFIG_BLOCK& block, const Capabilities& caps, const FieldRequest& request, int c, int k) {
  return std::all_of(request.rows.begin(), request.rows.end(), [&](const ConfigField* row) {
    return CanHold(caps, *row) && (row->sentWhenZero || ReadField(block, {row, c, k}) != 0);
  });
}

}  // namespace

uint16_t ReadField(const TCONFIG_BLOCK& block, const FieldRef& f) {
  return static_cast<uint16_t>(ReadValue(block, *f.field, f.Place()) & SlotMask(f.field->writeSlot));
}

void WriteField(TCONFIG_BLOCK& block, const FieldRef& f, uint16_t value) {
  WriteValue(block, *f.field, f.Place(), value);
}

std::vector<WriteRequest> PlanWrite(const TCONFIG_BLOCK& block, FieldTable fields) {
  const int row = LookupProductID(block.ProductID());
  const Capabilities caps = ResolveCapabilities(block.CapFlags(), row);
  std::vector<WriteRequest> plan;
  ForEachRequest(fields, ChannelsOfRow(row), [&](const FieldRequest& request, int c, int k) {
    if (Sends(block, caps, request, c, k)) plan.push_back(Build(block, request, c, k));
  });
  return plan;
}

void MarkUnechoed(TCONFIG_BLOCK& echo, const std::vector<WriteRequest>& plan) {
  for (const WriteRequest& request : plan)
    for (const SentField& sent : request.fields) WriteField(echo, sent.field, sent.value ^ kMarkBit);
}

std::vector<FieldRef> HeldFields(const Capabilities& caps, int channels, FieldTable fields) {
  std::vector<FieldRef> held;
  ForEachRequest(fields, channels, [&](const FieldRequest& request, int c, int k) {
    for (const ConfigField* row : request.rows)
      if (CanHold(caps, *row)) held.push_back({row, c, k});
  });
  return held;
}

std::string FieldName(const FieldRef& f) {
  const ConfigField& field = *f.field;
  switch (field.scope) {
    case FieldScope::Block:
      return field.name;
    case FieldScope::Channel:
      return fmt::format("channel {} {}", f.channel + 1, field.name);
    case FieldScope::Timing:
      return fmt::format("channel {} segment {} {}", f.channel + 1, f.segment + 1, LowerAscii(field.name));
    case FieldScope::Timing2:
      return fmt::format("channel {} timing2 segment {} {}", f.channel + 1, f.segment + 1, LowerAscii(field.name));
  }
  return field.name;
}

std::vector<ValueOutOfRange> ValuesOutOfRange(const TCONFIG_BLOCK& block, FieldTable fields) {
  std::vector<ValueOutOfRange> outside;
  for (const WriteRequest& request : PlanWrite(block, fields))
    for (const SentField& sent : request.fields) {
      const uint32_t value = ReadValue(block, *sent.field.field, sent.field.Place());
      if (!InRange(*sent.field.field, value)) outside.push_back({sent.field, value});
    }
  return outside;
}

std::vector<FieldMismatch> FieldsNotHeld(const TCONFIG_BLOCK& entry, const TCONFIG_BLOCK& echo,
                                         const std::vector<WriteRequest>& plan, const std::vector<bool>& answered,
                                         const TCONFIG_BLOCK* lastRead, FieldTable fields) {
  std::vector<FieldMismatch> mismatches;
  std::vector<FieldRef> sent;
  for (size_t i = 0; i < plan.size(); ++i)
    for (const SentField& field : plan[i].fields) {
      sent.push_back(field.field);
      const bool echoed = i < answered.size() && answered[i];
      const uint16_t wanted = ReadField(entry, field.field);
      if (!echoed)
        mismatches.push_back({field.field, true, wanted, std::nullopt});
      else if (ReadField(echo, field.field) != wanted)
        mismatches.push_back({field.field, true, wanted, ReadField(echo, field.field)});
    }

  const int row = LookupProductID(echo.ProductID());
  for (const FieldRef& field : HeldFields(ResolveCapabilities(echo.CapFlags(), row), ChannelsOfRow(row), fields)) {
    if (std::find(sent.begin(), sent.end(), field) != sent.end()) continue;
    const uint16_t wanted = ReadField(entry, field);
    const std::optional<uint16_t> held = lastRead ? std::optional<uint16_t>(ReadField(*lastRead, field)) : std::nullopt;
    if (held != wanted) mismatches.push_back({field, false, wanted, held});
  }
  return mismatches;
}

}  // namespace lum
