#pragma once

#include <string>
#include <vector>

#include "provision/CommissioningReport.h"

namespace lum {

/// The commissioning report as PDF: A4 landscape, one line per unit, then the units to plug
/// again. `printed` is the time shown as the report's print time.
std::string ReportPdf(const std::vector<ReportLine>& lines, const ReportTexts& texts, const std::string& printed);

/// One label per commissioned unit (done or already done), each a page of 62 x 29 mm (a
/// common label printer roll): a QR code of the serial number, the serial number, model,
/// job and date. Throws std::runtime_error when no unit is commissioned or a QR code cannot
/// be made.
std::string LabelsPdf(const std::vector<ReportLine>& lines, const ReportTexts& texts);

}  // namespace lum
