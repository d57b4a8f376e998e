#include <gtest/gtest.h>

#include <QApplication>

// Widgets need an application object; without a display the tests run offscreen (test
// discovery starts the program without the test environment too).
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
