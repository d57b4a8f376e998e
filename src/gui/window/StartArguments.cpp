#include "StartArguments.h"

#include <algorithm>

namespace lum {

namespace {
bool Among(const std::vector<std::string>& arguments, std::initializer_list<const char*> names) {
  return std::any_of(arguments.begin(), arguments.end(), [&](const std::string& argument) {
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return argument == name; });
  });
}
}  // namespace

StartRequest ReadStartArguments(const std::vector<std::string>& arguments) {
  StartRequest request;
  if (Among(arguments, {"--help", "-h"})) {
    request.kind = StartRequest::Kind::Help;
    return request;
  }
  if (Among(arguments, {"--version"})) {
    request.kind = StartRequest::Kind::Version;
    return request;
  }
  for (const std::string& argument : arguments) {
    if (argument.size() > 1 && argument.front() == '-') {
      request = {StartRequest::Kind::Error, {}, "unknown option " + argument + " (see lum --help)"};
      return request;
    }
    if (!request.file.empty()) {
      request = {StartRequest::Kind::Error, {}, "only one configuration file can be opened at start (see lum --help)"};
      return request;
    }
    request.file = argument;
  }
  return request;
}

std::string StartHelpText() {
  return "Usage: lum [FILE.LUM]\n"
         "Lumaris Workbench: configure solar charge and street-light controllers.\n"
         "\n"
         "  FILE.LUM    open this configuration file at start and select it\n"
         "  --help      show this help and exit\n"
         "  --version   show the program's version and exit\n"
         "\n"
         "Files: started in a folder that holds LUM.INI, lum keeps LUM.INI, LUM.LOG and the\n"
         "language files there. Otherwise settings and language files are in\n"
         "$XDG_CONFIG_HOME/lum (~/.config/lum), the log in $XDG_STATE_HOME/lum\n"
         "(~/.local/state/lum), and nothing is written into the start folder.\n"
         "Language: LUM.INI's choice, else English unless the locale is Chinese.\n";
}

}  // namespace lum
