#include "EmptyPage.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <vector>

#include "RadioGroup.h"
#include "TimingGrid.h"

namespace lum {

void EmptyPage(QWidget& page) {
  page.setEnabled(false);
  // The output list's buttons go first: they must not be held while they are deleted.
  for (RadioGroup* group : page.findChildren<RadioGroup*>()) {
    const QSignalBlocker quiet(group);
    group->SetItems({});
  }
  std::vector<QSignalBlocker> quiet;
  const QList<QWidget*> controls = page.findChildren<QWidget*>();
  quiet.reserve(static_cast<size_t>(controls.size()));
  for (QWidget* control : controls) quiet.emplace_back(control);

  for (QAbstractSpinBox* spin : page.findChildren<QAbstractSpinBox*>()) spin->clear();
  for (QLineEdit* edit : page.findChildren<QLineEdit*>())
    if (qobject_cast<QAbstractSpinBox*>(edit->parentWidget()) == nullptr) edit->clear();
  for (QCheckBox* box : page.findChildren<QCheckBox*>()) box->setChecked(false);
  for (QRadioButton* button : page.findChildren<QRadioButton*>()) {
    // An exclusive radio button cannot be unchecked on its own.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(exclusive);
  }
  for (QComboBox* list : page.findChildren<QComboBox*>()) list->setCurrentIndex(-1);
  for (QTableWidget* grid : page.findChildren<QTableWidget*>())
    for (int row = 1; row < grid->rowCount(); ++row)
      for (int column = 1; column < grid->columnCount(); ++column) SetGridText(*grid, column, row, {});
}

}  // namespace lum
