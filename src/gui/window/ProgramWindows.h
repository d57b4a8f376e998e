#pragma once

#include "FormAboutLUM.h"
#include "FormChart.h"
#include "FormFirmwareUpgrade.h"
#include "FormFleet.h"
#include "FormLUM.h"
#include "FormNightProfile.h"
#include "FormNights.h"
#include "FormOptions.h"
#include "FormProvisioning.h"

namespace lum {

class WindowRecorder;

/// The program's windows, made in their fixed order: main window, upgrade window, the tool
/// windows, about box. Making the about box applies the remembered language to all of them;
/// the main window is then ready to be shown.
class ProgramWindows {
 public:
  explicit ProgramWindows(const FormLUMOptions& options);
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  TFormLUM& Main() { return main_; }

 private:
  TFormLUM main_;
  WindowRecorder& recorder_;  // the main window's child
  TFormFirmwareUpgrade upgrade_;
  TFormNightProfile night_profile_;
  TFormProvisioning provisioning_;
  TFormChart chart_;
  TFormFleet fleet_;
  TFormNights nights_;
  TFormOptions options_;
  TFormAboutLUM about_;
};

}  // namespace lum
