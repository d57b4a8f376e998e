#include "BackupChoice.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lum {

namespace {
constexpr int kViewWidth = 560;
constexpr int kViewHeight = 440;
}  // namespace

std::optional<size_t> ShowBackupDialog(QWidget* parent, const BackupChoices& choices) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("FormRestoreBackup"));
  dialog.setWindowTitle(choices.title);
  dialog.resize(kViewWidth, kViewHeight);
  auto* layout = new QVBoxLayout(&dialog);
  auto* controller = new QLabel(choices.controller, &dialog);
  controller->setObjectName(QStringLiteral("lblController"));
  controller->setTextFormat(Qt::PlainText);
  controller->setWordWrap(true);
  layout->addWidget(controller);
  auto* list = new QTreeWidget(&dialog);
  list->setObjectName(QStringLiteral("tvBackups"));
  list->setRootIsDecorated(false);
  list->setHeaderLabels(choices.columns);
  for (const BackupRow& row : choices.rows)
    new QTreeWidgetItem(list, {row.time, QString::number(row.changes.rows.size())});
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(list);
  auto* text = new QLabel(&dialog);
  text->setWordWrap(true);
  text->setTextFormat(Qt::PlainText);
  layout->addWidget(text);
  auto* changes = new QTreeWidget(&dialog);
  changes->setObjectName(QStringLiteral("tvChanges"));
  changes->setRootIsDecorated(false);
  layout->addWidget(changes);
  QObject::connect(list, &QTreeWidget::currentItemChanged, &dialog, [&] {
    const int index = list->indexOfTopLevelItem(list->currentItem());
    changes->clear();
    if (index < 0) return;
    const ChangeList& shown = choices.rows[static_cast<size_t>(index)].changes;
    text->setText(shown.text);
    changes->setHeaderLabels(shown.columns);
    for (const ChangeRow& row : shown.rows) new QTreeWidgetItem(changes, {row.label, row.before, row.after});
    changes->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  });
  if (!choices.rows.empty()) list->setCurrentItem(list->topLevelItem(0));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const int index = list->indexOfTopLevelItem(list->currentItem());
  if (index < 0) return std::nullopt;
  return static_cast<size_t>(index);
}

}  // namespace lum
