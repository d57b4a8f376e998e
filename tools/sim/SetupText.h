#pragma once

#include <stdexcept>
#include <string>

#include "sim/ControllerSetup.h"

namespace lum::sim {

/// A controller description that cannot be used; what() says which part and why.
class SetupTextError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

/// The keys of a controller description, one line each, for --help.
extern const char* const kSetupTextHelp;

/// A controller from "key=value,key=value,...": DefaultSetup of `row` (1 when not given),
/// then each other key applied in order. Numbers are decimal or 0x hex. Throws SetupTextError.
ControllerSetup ParseControllerSetup(const std::string& text);

}  // namespace lum::sim
