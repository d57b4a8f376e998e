#pragma once

namespace CLI {
class App;
}

namespace lum::cli {

/// lumctl records report: the commissioning report and the unit labels as PDF files.
void AddReportCommand(CLI::App& records);

}  // namespace lum::cli
