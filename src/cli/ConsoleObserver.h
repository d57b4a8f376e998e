#pragma once

#include <map>
#include <string>

#include "link/LinkObserver.h"

namespace lum::cli {

/// The window's panels on a terminal: information lines on stdout (the end-of-write line,
/// a lone carriage return, as an empty line), trace lines on stderr; measurement texts are
/// kept for the monitor's lines.
class ConsoleObserver : public LinkObserver {
 public:
  void InfoLine(const std::string& line) override;
  void TraceLine(const std::string& line) override;
  void SetFieldText(const char* objectName, const std::string& text) override { fields_[objectName] = text; }

  /// The last text shown in a field, or `initial` while none was.
  std::string Field(const std::string& objectName, const std::string& initial = {}) const;

 private:
  std::map<std::string, std::string> fields_;
};

}  // namespace lum::cli
