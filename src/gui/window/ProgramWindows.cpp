#include "ProgramWindows.h"

#include <initializer_list>

#include "LanguageMenu.h"
#include "WindowRecorder.h"

namespace lum {

namespace {
// The language menu with the windows it translates; the about box joins last.
LanguageMenu& Translating(LanguageMenu& languages, std::initializer_list<QWidget*> windows) {
  for (QWidget* window : windows) languages.AddWindow(window);
  return languages;
}
}  // namespace

// The recorder and the language menu belong to the main window (their Qt parent).
ProgramWindows::ProgramWindows(const FormLUMOptions& options)
    : main_(options),
      recorder_(*new WindowRecorder(main_)),
      upgrade_(main_),
      night_profile_(main_),
      provisioning_(main_),
      chart_(main_, recorder_),
      fleet_(main_),
      nights_(main_, recorder_),
      options_(main_),
      about_(main_, Translating(*new LanguageMenu(main_),
                                {&main_, &upgrade_, &night_profile_, &provisioning_, &chart_, &fleet_, &options_})) {
  main_.SetUpgradeDialog(&upgrade_);
  main_.SetAboutDialog(&about_);
}

}  // namespace lum
