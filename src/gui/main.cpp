#include <QApplication>

#include "FormLUM.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  lum::TFormLUM mainWindow;
  mainWindow.show();
  return QApplication::exec();
}
