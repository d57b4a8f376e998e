#include <QApplication>

#include "FormAboutLUM.h"
#include "FormFirmwareUpgrade.h"
#include "FormLUM.h"
#include "LanguageMenu.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // The windows in their fixed order: main window, upgrade window, about box. Creating the
  // about box applies the remembered language to all three.
  lum::TFormLUM mainWindow;
  lum::TFormFirmwareUpgrade upgradeWindow(mainWindow);
  mainWindow.SetUpgradeDialog(&upgradeWindow);
  auto* languages = new lum::LanguageMenu(mainWindow);
  languages->AddWindow(&mainWindow);
  languages->AddWindow(&upgradeWindow);
  lum::TFormAboutLUM aboutBox(mainWindow, *languages);
  mainWindow.SetAboutDialog(&aboutBox);
  mainWindow.show();
  return QApplication::exec();
}
