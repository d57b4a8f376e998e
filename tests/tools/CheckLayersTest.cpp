// tools/check-layers, run on small source trees laid out like the checkout.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/RegularFile.h"
#include "data/TempDir.h"

namespace lum {
namespace {

struct Outcome {
  int status;
  std::string err;
};

class CheckLayersTest : public TempDir {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_ / "cmake");
    std::filesystem::copy_file(LUM_SOURCE_DIR "/cmake/Layers.txt", dir_ / "cmake/Layers.txt");
  }
  void Source(const std::string& name, const std::string& text) const {
    std::filesystem::create_directories((dir_ / name).parent_path());
    WriteRaw(name, text);
  }
  Outcome Check() const {
    const std::string command =
        "'" LUM_SOURCE_DIR "/tools/check-layers' '" + dir_.string() + "' >/dev/null 2>'" + Path("err") + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(Path("err"))};
  }
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(CheckLayersTest, IncludesDownTheLayersPass) {
  Source("src/data/Block.h", "#pragma once\n#include \"base/Crc16.h\"\n#include \"data/Other.h\"\n");
  // provision reaches link only through device: what is below a layer's layers is below it too.
  Source("src/provision/Job.cpp", "#include \"link/Link.h\"\n#include \"store/Records.h\"\n#include <vector>\n");
  Source("src/base/Clock.h", "// #include \"data/Block.h\" was here once\n#include \"VersionInfo.h\"\n");
  const Outcome outcome = Check();
  EXPECT_EQ(outcome.status, 0) << outcome.err;
}

TEST_F(CheckLayersTest, NamesEveryIncludeAgainstTheLayers) {
  Source("src/data/Block.cpp", "#include \"data/Block.h\"\n\n#include \"link/Link.h\"\n");
  Source("src/device/Scan.cpp", "#include \"device/Scan.h\"\n  #  include \"gui/WindowNames.h\"\n");
  Source("src/store/Records.h", "#pragma once\n#include \"provision/Job.h\"\n");
  Source("src/link/Port.cpp", "#include <QSerialPort>\n");
  Source("src/link/Frame.h", "#include \"data/Block.h\"\n");  // allowed: no line of it is named

  const Outcome outcome = Check();
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(Contains(outcome.err, "src/data/Block.cpp:3: data -> link")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "src/device/Scan.cpp:2: device -> gui")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "src/store/Records.h:2: store -> provision")) << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "src/link/Port.cpp:1: a core file never includes Qt")) << outcome.err;
  EXPECT_FALSE(Contains(outcome.err, "Frame.h")) << outcome.err;
  EXPECT_FALSE(Contains(outcome.err, "Block.cpp:1")) << outcome.err;
}

TEST_F(CheckLayersTest, AGraphThatNamesNoLayerIsRefused) {
  WriteRaw("cmake/Layers.txt", "base:\ndata: bsae\n");
  Source("src/data/Block.h", "#include \"base/Crc16.h\"\n");
  const Outcome outcome = Check();
  EXPECT_EQ(outcome.status, 2);
  EXPECT_TRUE(Contains(outcome.err, "data uses bsae, which is no layer")) << outcome.err;
}

}  // namespace
}  // namespace lum
