#include "StartProbe.h"

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ProgramShell.h"
#include "ProgramWindows.h"

namespace lum::bench {

namespace {

// The main window's make-up: widgets of each kind in its form, plus what it builds itself
// (tool buttons, status panels, the timing grid).
constexpr int kMenus = 5;
constexpr int kActions = 25;
constexpr int kToolButtons = 8;
constexpr int kStatusPanels = 4;
constexpr int kPages = 6;
constexpr int kGroups = 17;
constexpr int kLabels = 50;
constexpr int kLineEdits = 31;
constexpr int kSpinBoxes = 18;
constexpr int kCheckBoxes = 17;
constexpr int kPushButtons = 12;
constexpr int kRadioButtons = 3;
constexpr int kComboBoxes = 3;
constexpr int kFrames = 6;
constexpr int kGridRows = 6;
constexpr int kGridColumns = 3;
constexpr int kWidth = 640;
constexpr int kHeight = 544;

QString Text(const char* kind, int n) { return QStringLiteral("%1 %2").arg(QLatin1String(kind)).arg(n + 1); }

// A QMainWindow of the same make-up with Qt's defaults: short English texts, the default font,
// no pictures.
class BareWindow : public QMainWindow {
 public:
  BareWindow() {
    std::vector<QAction*> actions;
    for (int m = 0; m < kMenus; ++m) {
      QMenu* menu = menuBar()->addMenu(Text("Menu", m));
      for (int a = m; a < kActions; a += kMenus) actions.push_back(menu->addAction(Text("Action", a)));
    }
    QToolBar* tools = addToolBar(QStringLiteral("Tools"));
    for (int t = 0; t < kToolButtons; ++t) tools->addAction(actions[static_cast<size_t>(t)]);
    for (int p = 0; p < kStatusPanels; ++p) statusBar()->addWidget(new QLabel(Text("Panel", p)));

    auto* central = new QWidget;
    auto* across = new QHBoxLayout(central);
    auto* tree = new QTreeWidget;
    tree->setHeaderHidden(true);
    tree->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("New File")}));
    across->addWidget(tree);
    auto* right = new QVBoxLayout;
    auto* pages = new QTabWidget;
    std::vector<QGridLayout*> groups;
    for (int p = 0; p < kPages; ++p) {
      auto* page = new QWidget;
      auto* column = new QVBoxLayout(page);
      pages->addTab(page, Text("Page", p));
      for (int g = p; g < kGroups; g += kPages) {
        auto* group = new QGroupBox(Text("Group", g));
        groups.push_back(new QGridLayout(group));
        column->addWidget(group);
      }
    }
    int placed = 0;
    auto place = [&](QWidget* field) {
      QGridLayout& group = *groups[static_cast<size_t>(placed % kGroups)];
      const int row = group.rowCount();
      group.addWidget(new QLabel(Text("Label", placed)), row, 0);
      group.addWidget(field, row, 1);
      ++placed;
    };
    for (int i = 0; i < kLineEdits; ++i) place(new QLineEdit(QString::number(i * 10)));
    for (int i = 0; i < kSpinBoxes; ++i) place(new QSpinBox);
    for (int i = 0; i < kComboBoxes; ++i) {
      auto* combo = new QComboBox;
      combo->addItems({Text("Choice", 0), Text("Choice", 1)});
      place(combo);
    }
    for (int i = placed; i < kLabels; ++i) place(new QLabel(Text("Value", i)));
    for (int i = 0; i < kCheckBoxes; ++i)
      groups[static_cast<size_t>(i % kGroups)]->addWidget(new QCheckBox(Text("Check", i)));
    for (int i = 0; i < kRadioButtons; ++i) groups[0]->addWidget(new QRadioButton(Text("Option", i)));
    for (int i = 0; i < kPushButtons; ++i)
      groups[static_cast<size_t>(i % kGroups)]->addWidget(new QPushButton(Text("Button", i)));
    for (int i = 0; i < kFrames; ++i) {
      auto* frame = new QFrame;
      frame->setFrameShape(QFrame::HLine);
      groups[static_cast<size_t>(i % kGroups)]->addWidget(frame);
    }
    auto* grid = new QTableWidget(kGridRows, kGridColumns);
    for (int r = 0; r < kGridRows; ++r)
      for (int c = 0; c < kGridColumns; ++c) grid->setItem(r, c, new QTableWidgetItem(QString::number(r * c)));
    groups[1]->addWidget(grid);
    groups[2]->addWidget(new QSlider(Qt::Horizontal));
    right->addWidget(pages);
    right->addWidget(new QPlainTextEdit(QStringLiteral("Lumaris Workbench")));
    across->addLayout(right, 1);
    setCentralWidget(central);
    resize(kWidth, kHeight);
  }
};

// Sees the window's first paint; the painting of every widget in it ends with the event that
// carried it.
class FirstPaint : public QObject {
 public:
  bool seen = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) seen = true;
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

int RunStartProbe(std::chrono::steady_clock::time_point start, int argc, char** argv) {
  const std::string kind = argv[2];
  const std::string dir = argc > 3 ? argv[3] : ".";
  QApplication application(argc, argv);
  std::unique_ptr<ProgramWindows> program;
  std::unique_ptr<BareWindow> bare;
  QWidget* shown = nullptr;
  if (kind == kProbeProgram) {
    // As lum's main does.
    QApplication::setDesktopFileName(QStringLiteral("lum"));
    QApplication::setWindowIcon(ApplicationIcon());
    const Environment environment = Environment::FromProcess();
    program = std::make_unique<ProgramWindows>(
        OptionsFor(LocateFiles(dir, environment, InstalledLanguageDir()), environment));
    shown = &program->Main();
  } else if (kind == kProbeBare) {
    bare = std::make_unique<BareWindow>();
    shown = bare.get();
  } else {
    std::fprintf(stderr, "%s: lum or bare, not %s\n", kStartProbeOption, kind.c_str());
    return 2;
  }
  FirstPaint painted;
  shown->installEventFilter(&painted);
  shown->show();
  while (!painted.seen) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  std::printf("%.3f\n", took.count());
  std::fflush(stdout);
  _exit(0);
}

}  // namespace lum::bench
