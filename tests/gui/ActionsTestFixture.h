#pragma once

#include <QAction>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <string>

#include "WindowFixture.h"
#include "sim/Simulator.h"
#include "ui_FormLUM.h"

namespace lum::test {

/// A main window whose LUM.INI maps its ports to simulated controllers and bare
/// pseudo-terminals, for the device operations, files and the live monitor.
class ActionsTest : public WindowFixture {
 protected:
  QStringList InfoLines() {
    QStringList lines;
    for (QTextBlock block = Window().ui().mmoInfo->document()->begin(); block.isValid(); block = block.next())
      lines << block.text();
    return lines;
  }
  int CountInfo(const QString& fragment) {
    int count = 0;
    for (const QString& line : InfoLines()) count += line.contains(fragment) ? 1 : 0;
    return count;
  }
  /// The top-level node texts in the order the tree shows them.
  QStringList TreeTexts() {
    QStringList texts;
    const QTreeWidget& tree = *Window().ui().tvDevices;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) texts << tree.topLevelItem(i)->text(0);
    return texts;
  }
  std::string PathIn(const std::string& name) const { return Dir() + "/" + name; }

  sim::Simulator simulator;
};

}  // namespace lum::test
