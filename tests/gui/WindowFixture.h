#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FindControl.h"
#include "FormLUM.h"
#include "ScriptedDialogs.h"
#include "data/ConfigBlock.h"
#include "data/TempDir.h"

namespace lum::test {

/// A main window in a temporary working directory whose LUM.INI names the serial ports
/// explicitly (no real serial device is ever looked at), with scripted dialogs.
class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// Writes LUM.INI with a [Ports] section holding these COMn=path entries.
  void WritePorts(const std::vector<std::pair<std::string, std::string>>& ports);
  /// Creates the window (not shown yet).
  TFormLUM& Create(const std::string& executablePath = "/opt/lum/LUM.EXE");
  /// Creates and shows the window and waits until it is active (needed for keyboard focus).
  TFormLUM& CreateShown();
  /// Fills the battery type and work mode lists as the language pass does.
  void FillTypeLists();

  /// Adds a file entry and rebuilds the tree (which selects its first node).
  TDEVICE_CONFIG& AddFileEntry(const std::string& name, const TCONFIG_BLOCK& block);
  /// Selects the tree node with this text, as a click does.
  void SelectNode(const QString& text);

  /// Lets the event loop run until `session` has ended every operation asked for and the
  /// window has shown what they reported; false when that takes more than a minute.
  static bool WaitForSession(DeviceSession& session);
  /// The same for the main window's session.
  bool WaitForDevice() { return WaitForSession(Window().Session()); }

  std::string Dir() const { return dir_; }
  TFormLUM& Window() { return *window_; }

  ScriptedDialogs dialogs_;

 private:
  ScratchDir scratch_;
  std::string dir_ = scratch_.path().string();
  std::unique_ptr<TFormLUM> window_;
};

/// A block for device type row `row` with distinctive values in every shown field.
TCONFIG_BLOCK SampleBlock(int row);

}  // namespace lum::test
