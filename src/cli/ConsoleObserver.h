#pragma once

#include <iostream>
#include <map>
#include <string>

#include "link/LinkObserver.h"

namespace lum::cli {

/// The window's panels on a terminal: information lines on stdout (the end-of-write line,
/// a lone carriage return, as an empty line), trace lines on stderr; the last value of each
/// measurement is kept for the monitor's lines.
class ConsoleObserver : public LinkObserver {
 public:
  void InfoLine(const std::string& line) override;
  void TraceLine(const std::string& line) override;
  void ValueReceived(const Measurement& value) override { values_.insert_or_assign(value.id, value); }

  /// Information lines go to `out` from now on (stderr when stdout carries data for scripts).
  void SendInfoTo(std::ostream& out) { info_ = &out; }

  /// The last value reported for `id`, or null while none was since the last ForgetValues.
  const Measurement* Last(ValueId id) const;
  /// Forgets every value, so that what a poll did not get is known as missing.
  void ForgetValues() { values_.clear(); }

 private:
  std::ostream* info_ = &std::cout;
  std::map<ValueId, Measurement> values_;
};

}  // namespace lum::cli
