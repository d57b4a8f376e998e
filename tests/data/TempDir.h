#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace lum {

// A fresh directory, removed (whatever its permissions became) when the object goes.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumtestXXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary directory");
    dir_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return dir_; }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void WriteRaw(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

 private:
  std::filesystem::path dir_;
};

// A fresh directory per test.
class TempDir : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch_.Path(name); }
  void WriteRaw(const std::string& name, const std::string& bytes) const { scratch_.WriteRaw(name, bytes); }

  ScratchDir scratch_;
  const std::filesystem::path& dir_ = scratch_.path();
};

}  // namespace lum
