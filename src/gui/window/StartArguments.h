#pragma once

#include <string>
#include <vector>

namespace lum {

/// What the command line of `lum` asks for.
struct StartRequest {
  enum class Kind { Run, Help, Version, Error };
  Kind kind = Kind::Run;
  /// Run: a configuration file to open at start, or empty.
  std::string file;
  /// Error: what is wrong, for the user.
  std::string error;
};

/// Reads the arguments after the program name. --help (-h) and --version win over anything
/// else; one argument that is not an option names a configuration file.
StartRequest ReadStartArguments(const std::vector<std::string>& arguments);

/// The answer to --help.
std::string StartHelpText();

}  // namespace lum
