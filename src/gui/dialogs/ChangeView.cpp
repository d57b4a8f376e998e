#include "ChangeView.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lum {

namespace {
constexpr int kViewWidth = 520;
constexpr int kViewHeight = 360;
}  // namespace

bool ShowChangeDialog(QWidget* parent, const ChangeList& changes) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("FormWriteChanges"));
  dialog.setWindowTitle(changes.title);
  auto* layout = new QVBoxLayout(&dialog);
  auto* text = new QLabel(changes.text, &dialog);
  text->setWordWrap(true);
  layout->addWidget(text);
  if (!changes.rows.empty()) {
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName(QStringLiteral("tvChanges"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels(changes.columns);
    for (const ChangeRow& row : changes.rows) new QTreeWidgetItem(list, {row.label, row.before, row.after});
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(list);
    dialog.resize(kViewWidth, kViewHeight);
  } else {
    // A sentence alone needs no room for a list: the dialog keeps to the sentence's width.
    text->setMinimumWidth(kViewWidth);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  if (!changes.acceptText.isEmpty()) buttons->button(QDialogButtonBox::Ok)->setText(changes.acceptText);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace lum
