#pragma once

#include <stdexcept>
#include <string>

#include "sim/ControllerSpec.h"

namespace lum::sim {

/// A controller description that cannot be used; what() says which part and why.
class SpecTextError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

/// The keys of a controller description, one line each, for --help.
extern const char* const kSpecTextHelp;

/// A controller from "key=value,key=value,...": DefaultSpec of `row` (1 when not given),
/// then each other key applied in order. Numbers are decimal or 0x hex. Throws SpecTextError.
ControllerSpec ParseControllerSpec(const std::string& text);

}  // namespace lum::sim
