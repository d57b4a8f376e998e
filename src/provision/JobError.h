#pragma once

#include <stdexcept>

namespace lum {

/// A job file, or a file it names, that cannot be used; what() names the file, the line or
/// field, and what is wrong.
class JobError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace lum
