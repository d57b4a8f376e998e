#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FindControl.h"
#include "FormAboutLUM.h"
#include "FormChart.h"
#include "FormFirmwareUpgrade.h"
#include "FormFleet.h"
#include "FormNightProfile.h"
#include "FormOptions.h"
#include "FormProvisioning.h"
#include "LanguageMenu.h"
#include "WindowFixture.h"
#include "language/ProfileFile.h"

namespace lum::test {

/// The three windows in their start-up order in a temporary working directory, the about
/// box running the language start-up.
class LanguageFixture : public WindowFixture {
 protected:
  void TearDown() override;

  /// Main window, upgrade window, then the about box. `beforeAbout` runs just before the
  /// about box is created (after the windows read the ports).
  void CreateWindows(const std::function<void()>& beforeAbout = {});
  /// Closes the three windows, as ending the program does.
  void DestroyWindows();

  TFormFirmwareUpgrade& Upgrade() { return *upgrade_; }
  TFormAboutLUM& About() { return *about_; }
  /// Every window besides the main window, in start-up order.
  std::vector<QWidget*> OtherWindows() const;
  LanguageMenu& Languages() { return *languages_; }

  std::string FilePath(const std::string& name) const;
  void WriteBytes(const std::string& name, const std::string& bytes) const;
  std::string ReadBytes(const std::string& name) const;
  /// Writes a language file from UTF-8 lines (each ended by CR LF), as UTF-8 with a BOM.
  void WriteLanguageFile(const std::string& name, const std::vector<std::string>& lines) const;
  ProfileFile LoadFile(const std::string& name) const { return ProfileFile::Load(FilePath(name)); }
  /// Copies the English language file of the sources into the working directory.
  void CopyEnglishFile() const;

  /// The menu entry captioned `displayName` (the first one), or null.
  QAction* Entry(const QString& displayName);
  /// Picks the entry as a click does.
  void Choose(const QString& displayName);
  /// Index of the checked entry, -1 for none.
  int CheckedEntry();

 private:
  std::unique_ptr<TFormFirmwareUpgrade> upgrade_;
  std::unique_ptr<TFormNightProfile> night_profile_;
  std::unique_ptr<TFormProvisioning> provisioning_;
  std::unique_ptr<TFormChart> chart_;
  std::unique_ptr<TFormFleet> fleet_;
  std::unique_ptr<TFormOptions> options_;
  std::unique_ptr<TFormAboutLUM> about_;
  LanguageMenu* languages_ = nullptr;
};

/// The windows with a file entry of every device type ("row0.LUM" .. "row3.LUM"), the main
/// window shown with the entry of row 1.
class EveryDeviceTypeFixture : public LanguageFixture {
 protected:
  void CreateAll();
};

/// "FormLUM.lbledtSCV(QLineEdit)": which widget, for messages.
QString WidgetPath(const QWidget& widget);

/// Keys in file order of one section; empty when the section is missing.
std::vector<std::string> SectionKeys(const ProfileFile& file, const char* section);

/// "FormLUM.tsBase.Caption", ... for the components with tag 9 in a form file, in the order
/// the form file lists them.
std::vector<std::string> TaggedCaptionKeys(const std::string& uiFile);

}  // namespace lum::test
