#include <QApplication>
#include <filesystem>
#include <iostream>

#include "ProgramShell.h"
#include "ProgramWindows.h"
#include "StartArguments.h"
#include "VersionInfo.h"

namespace {
// Help and version are answered before Qt starts, so that they need no display.
int AnswerWithoutWindow(const lum::StartRequest& request) {
  switch (request.kind) {
    case lum::StartRequest::Kind::Help:
      std::cout << lum::StartHelpText();
      return 0;
    case lum::StartRequest::Kind::Version:
      std::cout << "lum " << lum::version::kFileVersion << '\n';
      return 0;
    case lum::StartRequest::Kind::Error:
      std::cerr << "lum: " << request.error << '\n';
      return 2;
    case lum::StartRequest::Kind::Run:
      break;
  }
  return -1;
}
}  // namespace

int main(int argc, char* argv[]) {
  const lum::StartRequest early = lum::ReadStartArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (early.kind == lum::StartRequest::Kind::Help || early.kind == lum::StartRequest::Kind::Version)
    return AnswerWithoutWindow(early);

  QApplication application(argc, argv);
  // Qt has taken its own options (-style, -platform...) out of the arguments by now.
  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments().mid(1)) arguments.push_back(argument.toStdString());
  const lum::StartRequest request = lum::ReadStartArguments(arguments);
  if (request.kind != lum::StartRequest::Kind::Run) return AnswerWithoutWindow(request);
  QApplication::setDesktopFileName(QStringLiteral("lum"));
  QApplication::setWindowIcon(lum::ApplicationIcon());
  lum::EndOnTerminationSignals(application);

  const lum::Environment environment = lum::Environment::FromProcess();
  const lum::FileLocations locations =
      lum::LocateFiles(std::filesystem::current_path().string(), environment, lum::InstalledLanguageDir());

  lum::ProgramWindows windows(lum::OptionsFor(locations, environment));
  lum::TFormLUM& mainWindow = windows.Main();
  mainWindow.show();
  if (!request.file.empty()) mainWindow.RunGuarded([&] { mainWindow.OpenConfigFileAt(request.file); });
  return QApplication::exec();
}
