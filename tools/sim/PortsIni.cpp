#include "sim/PortsIni.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace lum::sim {

namespace {
constexpr const char* kSection = "[Ports]\n";
constexpr const char* kBusSection = "[Bus]\n";
constexpr const char* kPortPrefix = "COM";
constexpr const char* kTemporarySuffix = ".tmp";
}  // namespace

std::string PortsIniText(const std::vector<std::string>& paths, const std::vector<std::string>& buses) {
  std::string text = kSection;
  for (size_t i = 0; i < paths.size(); ++i) text += kPortPrefix + std::to_string(i + 1) + "=" + paths[i] + "\n";
  std::string busLines;
  for (size_t i = 0; i < buses.size() && i < paths.size(); ++i)
    if (!buses[i].empty()) busLines += kPortPrefix + std::to_string(i + 1) + "=" + buses[i] + "\n";
  if (!busLines.empty()) text += kBusSection + busLines;
  return text;
}

void WritePortsIni(const std::string& file, const std::vector<std::string>& paths,
                   const std::vector<std::string>& buses) {
  const std::string temporary = file + kTemporarySuffix;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << PortsIniText(paths, buses);
    if (!out.flush()) {
      std::remove(temporary.c_str());
      throw std::runtime_error("cannot write '" + file + "'");
    }
  }
  if (std::rename(temporary.c_str(), file.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw std::runtime_error("cannot replace '" + file + "'");
  }
}

}  // namespace lum::sim
