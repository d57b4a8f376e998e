#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "base/RegularFile.h"
#include "data/NewFileBlock.h"
#include "data/TempDir.h"

namespace lum {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class Lumctl : public TempDir {
 protected:
  // Runs lumctl in the temporary directory (its working directory context). The XDG folders
  // lie inside it too, so that no test reads the settings of the user running it. A run that
  // blocks is stopped after two minutes (status 124) rather than hanging the tests.
  // `wrapper` runs lumctl through another program (setpriv ...).
  Outcome Run(const std::string& args, const std::string& locale = "C.UTF-8", const std::string& wrapper = "") {
    const std::string command = "cd '" + dir_.string() + "' && LC_ALL= LC_MESSAGES= LANG=" + locale +
                                " XDG_CONFIG_HOME='" + Path(".config") + "' XDG_STATE_HOME='" + Path(".state") +
                                "' XDG_DATA_HOME='" + Path(".data") + "' timeout 120 " + wrapper +
                                "'" LUMCTL_PATH "' " + args + " >'" + Path(".out") + "' 2>'" + Path(".err") + "'";
    const int raw = std::system(command.c_str());
    Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(Path(".out")), ReadWholeFile(Path(".err"))};
    std::filesystem::remove(Path(".out"));
    std::filesystem::remove(Path(".err"));
    return outcome;
  }

  // Writes LUM.INI with a [Ports] section mapping only these ports (COMn, device path), so that no
  // test opens a real serial device.
  void MapPorts(const std::vector<std::pair<std::string, std::string>>& ports) {
    std::string ini = "[Ports]\r\n";
    for (const auto& [name, path] : ports) ini += name + "=" + path + "\r\n";
    WriteRaw("LUM.INI", ini);
  }

  static TCONFIG_BLOCK DualChannelBlock() {
    TCONFIG_BLOCK block = NewFileStartBlock();
    block.SetProductID(0x515620);
    block.SetFuncFlags(0x54);
    block.SetBattReserved(777);
    block.bytes()[20] = 0xAA;
    auto channel = block.Channel(0, 1);
    channel.SetMode(0x82);
    channel.SetCC(1500);
    channel.Timing(4).SetMinutes(90);
    channel.Timing(4).SetPower(40);
    block.Channel(0, 2).SetMode(0x7E);  // not shown: the type has two channels
    block.Channel(7, 2).Timing2(3).SetPower(99);
    return block;
  }
};

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace lum
