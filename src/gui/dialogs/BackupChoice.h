#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "ChangeView.h"

class QWidget;

namespace lum {

/// One backup in the restore list: when it was read, and what writing it back would change
/// on the controller as last read.
struct BackupRow {
  QString time;
  std::string path;
  ChangeList changes;
};

/// What File → Restore from backup offers: one controller's backups, newest first.
struct BackupChoices {
  QString title;
  QString controller;   // whose backups they are: port, model and serial number
  QStringList columns;  // time, number of changes
  std::vector<BackupRow> rows;
};

/// The restore list as a modal dialog: the backups, the changes of the one selected, and
/// Ok / Cancel; the index chosen, or nullopt.
std::optional<size_t> ShowBackupDialog(QWidget* parent, const BackupChoices& choices);

}  // namespace lum
