#include "ProgramShell.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <string>
#include <utility>

// The icon is built into the static GUI library, whose resources each need registering.
static void RegisterIconResources() { Q_INIT_RESOURCE(Icons); }

namespace lum {

namespace {

constexpr char kIconResource[] = ":/icons/lum.svg";
constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_signal_pipe[2] = {-1, -1};

// The SVG icon engine is a plug-in, found and loaded only when a picture of the icon is first
// asked for: a Wayland desktop takes the icon from the desktop entry and never asks.
class LoadedWhenAskedIcon : public QIconEngine {
 public:
  explicit LoadedWhenAskedIcon(QString file) : file_(std::move(file)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    return Icon().pixmap(size, scale, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  bool isNull() override { return !QFile::exists(file_); }
  QIconEngine* clone() const override { return new LoadedWhenAskedIcon(file_); }

 private:
  const QIcon& Icon() {
    if (icon_.isNull()) icon_ = QIcon(file_);
    return icon_;
  }

  QString file_;
  QIcon icon_;
};

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
  AdoptChosenLanguageFile(locations, env);
  FormLUMOptions options;
  options.workDir = locations.settingsDir;
  options.logDir = locations.logDir;
  options.dataDir = locations.defaultDataDir;
  options.defaultLanguageFile = LocaleLanguageFile(env, locations.LanguageDirs());
  return options;
}

QIcon ApplicationIcon() {
  RegisterIconResources();
  // Drawn by the SVG icon engine at the size asked for.
  return QIcon(new LoadedWhenAskedIcon(QString::fromLatin1(kIconResource)));
}

void EndOnTerminationSignals(QObject& application) {
  if (::pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read, &application);
  // Leaving the running loops is not enough: a dialog's loop returns into code that may open
  // another one, and the main loop forgets an earlier exit when it starts. So every loop that
  // runs from now on is left as soon as it looks at its timers.
  auto* leaveLoops = new QTimer(&application);
  QObject::connect(leaveLoops, &QTimer::timeout, &application, [] { QCoreApplication::exit(0); });
  QObject::connect(notifier, &QSocketNotifier::activated, &application, [notifier, leaveLoops] {
    char drained[16];
    while (::read(g_signal_pipe[0], drained, sizeof drained) > 0) {
    }
    notifier->setEnabled(false);
    // The main window exists (perhaps not yet shown) from the moment the language start-up can
    // open its first box.
    for (QWidget* window : QApplication::topLevelWidgets())
      if (auto* main = qobject_cast<TFormLUM*>(window)) main->EndWithoutQuestions();
    QCoreApplication::exit(0);
    leaveLoops->start(0);
  });
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kTerminationSignals) ::sigaction(signal, &action, nullptr);
}

}  // namespace lum
