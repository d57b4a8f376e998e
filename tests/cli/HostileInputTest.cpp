// lumctl facing hostile files: every one ends with status 2 and a message naming the problem,
// never with a crash, a hang or a file written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "base/RegularFile.h"
#include "cli/JsonDocument.h"
#include "cli/Lumctl.h"
#include "data/ConfigFile.h"

namespace lum {
namespace {

namespace fs = std::filesystem;

class HostileInput : public Lumctl {
 protected:
  // The error line of packing a document, after checking that it failed cleanly.
  std::string PackRefusal(const std::string& text) {
    WriteRaw("doc.json", text);
    const Outcome packed = Run("pack doc.json out.LUM");
    EXPECT_EQ(packed.status, 2) << packed.err;
    EXPECT_FALSE(fs::exists(Path("out.LUM")));
    return packed.err;
  }
  std::string ShownDocument() {
    SaveConfigFile(Path("a.LUM"), DualChannelBlock());
    return Run("show --json a.LUM").out;
  }
};

TEST_F(HostileInput, NumbersNoDoubleCanHoldAreNamed) {
  EXPECT_EQ(PackRefusal("{\"ProductID\": 1e400}"), "doc.json: the number 1e400 is out of range\n");
  EXPECT_EQ(PackRefusal("[-1e99999]"), "doc.json: the number -1e99999 is out of range\n");
}

TEST_F(HostileInput, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  const std::string limit = "doc.json: it is nested deeper than 64 levels\n";
  EXPECT_EQ(PackRefusal(std::string(100000, '[') + std::string(100000, ']')), limit);
  std::string objects;
  for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
  EXPECT_EQ(PackRefusal(objects), limit);
  // Nesting as deep as the limit is still read (and then refused as no block).
  EXPECT_EQ(PackRefusal(std::string(64, '[') + std::string(64, ']')), "doc.json: document: must be an object\n");
}

TEST_F(HostileInput, DuplicateKeysAreNamedWithTheirPlace) {
  std::string text = ShownDocument();
  text.replace(text.find("\"OTP\""), 5, "\"Address\"");
  EXPECT_EQ(PackRefusal(text), "doc.json: the key \"Address\" appears twice in the document\n");
  text = ShownDocument();
  const size_t second = text.find("\"Mode\"", text.find("\"Mode\"") + 1);  // Channels[0][1]
  text.replace(text.find("\"CC\"", second), 4, "\"Mode\"");
  EXPECT_EQ(PackRefusal(text), "doc.json: the key \"Mode\" appears twice in Channels[0][1]\n");
}

TEST_F(HostileInput, DocumentsOverTheSizeLimitAreTooLarge) {
  std::string text = ShownDocument();
  text.insert(text.size() - 2, std::string(cli::kMaxJsonBytes, ' '));  // blanks are valid JSON
  EXPECT_EQ(PackRefusal(text), "Cannot read doc.json: the file is too large, the limit is 4 MiB (4194304 bytes)\n");
  text = ShownDocument();
  text.insert(text.size() - 2, std::string(cli::kMaxJsonBytes - text.size(), ' '));
  WriteRaw("full.json", text);
  const Outcome packed = Run("pack full.json out.LUM");
  EXPECT_EQ(packed.status, 0) << packed.err;
}

// Opening a named pipe for reading waits for a writer: every command that reads a file must
// refuse it unopened.
TEST_F(HostileInput, WhatIsNotARegularFileIsRefusedWithoutBlocking) {
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0644), 0);
  WriteRaw("LUM.INI", "[Ports]\r\n");
  const std::string reason = ": it is a named pipe (FIFO), not a regular file";
  for (const char* command : {"show pipe", "show --json pipe", "pack pipe out.LUM", "eff-info pipe", "write pipe"}) {
    const Outcome outcome = Run(command);
    EXPECT_EQ(outcome.status, 2) << command << "\n" << outcome.err;
    EXPECT_TRUE(Contains(outcome.err, "pipe" + reason)) << command << "\n" << outcome.err;
  }
  const Outcome device = Run("show /dev/zero");
  EXPECT_EQ(device.status, 2);
  EXPECT_EQ(device.err, "Cannot read /dev/zero: it is a character device, not a regular file\n");
  EXPECT_FALSE(fs::exists(Path("out.LUM")));
}

// lumctl reads the remembered language file of its directory only: a name with a folder part
// (here one that stays inside) keeps the built-in texts.
TEST_F(HostileInput, LanguageFileNamedWithAFolderPartIsNotRead) {
  fs::create_directory(Path("sub"));
  WriteRaw("sub/x.lng", "[DeviceDescription]\r\n5330464=Elsewhere\r\n");
  WriteRaw("LUM.INI", "[Language]\r\nLanguageFile=sub/x.lng\r\n");
  SaveConfigFile(Path("a.LUM"), DualChannelBlock());
  const Outcome shown = Run("show a.LUM");
  EXPECT_TRUE(Contains(shown.out, "设备类型: 双路普通型太阳能控制器 (")) << shown.out;
}

}  // namespace
}  // namespace lum
