#include "device/FieldLabels.h"

#include "base/SafeFormat.h"
#include "data/NightProfile.h"
#include "data/PageRules.h"
#include "language/FieldCaptions.h"
#include "language/MessageSlots.h"
#include "language/WindowCaptions.h"

namespace lum {

std::string FieldLabels::Label(const FieldRef& ref, const TCONFIG_BLOCK& block, const MessageTable& messages) const {
  const ConfigField& field = *ref.field;
  std::string label;
  if (field.scope == FieldScope::Timing || field.scope == FieldScope::Timing2) {
    const bool morning =
        ref.segment == block_layout::kSegments - 1 && HasMorningSegment(block.Channel(kPageGroup, ref.channel).Mode());
    const int row = morning ? msg::kMorningSegment : msg::kFirstSegment + ref.segment;
    const bool minutes = field.id == FieldId::Minutes || field.id == FieldId::Minutes2;
    const int column = minutes ? msg::kMinutesColumn : msg::kPowerColumn;
    label = messages.Text(row) + " " + messages.Text(column);
  } else {
    const std::string_view component = ComponentOf(field.id);
    const auto caption = captions_.find(component.empty() ? std::string_view(kFlagsPage) : component);
    label = caption != captions_.end() ? WithoutColon(caption->second) : std::string();
    if (label.empty()) label = field.name;
  }
  if (field.scope == FieldScope::Block) return label;
  return FormatText(messages.Text(msg::kChannelItem), {int64_t{ref.channel + 1}}) + " " + label;
}

std::string OutOfRangeText(const ValueOutOfRange& outside, const TCONFIG_BLOCK& block, const FieldLabels& labels,
                           const MessageTable& messages) {
  const ConfigField& field = *outside.field.field;
  return FormatText(
      messages.Text(msg::kValueOutOfRange),
      {labels.Label(outside.field, block, messages), FormatFieldValue(field, outside.value & ~field.flagBits),
       FormatFieldValue(field, field.minimum), FormatFieldValue(field, field.maximum)});
}

}  // namespace lum
