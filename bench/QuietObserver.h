#pragma once

#include <string>

#include "link/LinkObserver.h"

namespace lum::bench {

/// Shows nothing: a benchmark measures the operations, not the window.
class QuietObserver : public LinkObserver {
 public:
  void InfoLine(const std::string&) override {}
  void TraceLine(const std::string&) override {}
};

}  // namespace lum::bench
