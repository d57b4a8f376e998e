#include <QApplication>

#include "FormFirmwareUpgrade.h"
#include "FormLUM.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // The windows in their fixed order: main window, then the upgrade window.
  lum::TFormLUM mainWindow;
  lum::TFormFirmwareUpgrade upgradeWindow(mainWindow);
  mainWindow.SetUpgradeDialog(&upgradeWindow);
  mainWindow.show();
  return QApplication::exec();
}
