#pragma once

#include <functional>
#include <map>
#include <string>

#include "data/ConfigBlock.h"
#include "device/WritePlan.h"
#include "language/MessageTable.h"

namespace lum {

/// Names fields for people as the window's pages and its change view do, in the language in
/// use: by the caption of the component that names the field (without its colon), a segment
/// by its row and column of the timing grid, a channel's field after its output ("第 2 路
/// 额定负载电流"). lumctl and the window name fields the same way, also in the core's lines.
class FieldLabels {
 public:
  /// Captions by component name ("lblBattOVP" -> "过充保护电压：") of FieldComponents;
  /// "tsOther", the caption of the extensions page, names the function flags. A field whose
  /// component has no caption here is named as the field table names it.
  using Captions = std::map<std::string, std::string, std::less<>>;

  /// The component that names the function flags, which no label does.
  static constexpr char kFlagsPage[] = "tsOther";

  FieldLabels() = default;
  explicit FieldLabels(Captions captions) : captions_(std::move(captions)) {}

  /// No captions: lines name fields by their internal names.
  bool Empty() const { return captions_.empty(); }

  /// The field's label; the segment rows follow the work mode of the field's channel in `block`
  /// (the fifth segment is the morning segment when the mode has one).
  std::string Label(const FieldRef& field, const TCONFIG_BLOCK& block, const MessageTable& messages) const;

 private:
  Captions captions_;
};

/// A value outside its field's range for people, in the language in use: "第 1 路 第二段 功率0-100%
/// 255 % 超出范围 0 % 到 100 %。" (the value without its flag bits).
std::string OutOfRangeText(const ValueOutOfRange& outside, const TCONFIG_BLOCK& block, const FieldLabels& labels,
                           const MessageTable& messages);

}  // namespace lum
