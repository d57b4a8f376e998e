#pragma once

#include <QStringList>
#include <vector>

#include "data/PollSample.h"

class QChart;

namespace lum {

/// Draws one night's polls into `chart`, replacing what it showed: battery and solar
/// voltage on the left scale, the load's current on the right, over local time. `lines` names
/// the three lines in that order; `axes` the voltage, current and time scales.
void ShowNightPolls(QChart& chart, const std::vector<PollSample>& polls, const QStringList& lines,
                    const QStringList& axes);

}  // namespace lum
