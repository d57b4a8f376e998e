#include "ProgramShell.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSocketNotifier>
#include <QSvgRenderer>
#include <cstdio>
#include <exception>
#include <string>

namespace lum {

namespace {

constexpr char kIconResource[] = ":/icons/lum.svg";
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_signal_pipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(g_signal_pipe[1], &byte, 1);
}

}  // namespace

FormLUMOptions OptionsFor(const FileLocations& locations, const Environment& env) {
  if (!locations.portable) {
    // A folder that cannot be made is said once here; the files in it then fail with their own
    // messages, and the window still starts.
    try {
      PrepareFolders(locations);
      AdoptShippedLanguageFiles(locations);
    } catch (const std::exception& failure) {
      std::fprintf(stderr, "lum: %s\n", failure.what());
    }
  }
  FormLUMOptions options;
  options.workDir = locations.settingsDir;
  options.logDir = locations.logDir;
  options.defaultLanguageFile = LocaleLanguageFile(env, {locations.settingsDir});
  return options;
}

QIcon ApplicationIcon() {
  QSvgRenderer renderer{QString::fromLatin1(kIconResource)};
  QIcon icon;
  if (!renderer.isValid()) return icon;
  for (const int size : kIconSizes) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(picture);
  }
  return icon;
}

void CloseOnTerminationSignals(QObject& application) {
  if (::pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, &application);
  QObject::connect(notifier, &QSocketNotifier::activated, &application, [] {
    char drained[16];
    while (::read(g_signal_pipe[0], drained, sizeof drained) > 0) {
    }
    QApplication::closeAllWindows();
  });
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kTerminationSignals) ::sigaction(signal, &action, nullptr);
}

}  // namespace lum
