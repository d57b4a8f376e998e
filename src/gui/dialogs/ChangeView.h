#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

namespace lum {

/// One line of the change view: a field's label and unit in the language in use, its value
/// on the controller as last read, and the value the write would send.
struct ChangeRow {
  QString label;
  QString before;
  QString after;
  bool operator==(const ChangeRow&) const = default;
};

/// What the change view shows before a write: its title, the sentence above the list (which
/// says "no change" when the list is empty) and the rows. `acceptText`, when given, names the
/// button that writes instead of Ok: with nothing listed, writing must be asked for as such.
struct ChangeList {
  QString title;
  QString text;
  QStringList columns;
  std::vector<ChangeRow> rows;
  QString acceptText;
};

/// The change view as a modal dialog: the list and Ok (write) / Cancel.
bool ShowChangeDialog(QWidget* parent, const ChangeList& changes);

}  // namespace lum
