#include "ProgramShell.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <exception>
#include <string>

// The icon is built into the static GUI library, whose resources each need registering.
static void RegisterIconResources() { Q_INIT_RESOURCE(Icons); }

namespace lum {

namespace {

constexpr char kIconResource[] = ":/icons/lum.svg";
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
  RegisterIconResources();
  // Drawn by the SVG icon engine at the size asked for, when it is first asked for.
  return QIcon(QString::fromLatin1(kIconResource));
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
