#include "cli/RangeWarnings.h"

#include <iostream>

#include "device/FieldLabels.h"
#include "device/WritePlan.h"

namespace lum::cli {

namespace {
constexpr char kWarning[] = "Warning: ";
}  // namespace

void WarnOfValuesOutOfRange(const CliContext& context, const TCONFIG_BLOCK& block) {
  const FieldLabels labels = context.Labels();
  for (const ValueOutOfRange& outside : ValuesOutOfRange(block))
    std::cerr << kWarning << OutOfRangeText(outside, block, labels, context.Messages()) << '\n';
}

}  // namespace lum::cli
