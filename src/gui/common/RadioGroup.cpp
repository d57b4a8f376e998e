#include "RadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace lum {

RadioGroup::RadioGroup(QWidget* parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)), layout_(new QVBoxLayout(this)) {
  // Narrow side margins leave the captions ("Output 1") the room of a narrow column.
  constexpr int kSideMargin = 5;
  const QMargins margins = layout_->contentsMargins();
  layout_->setContentsMargins(kSideMargin, margins.top(), kSideMargin, margins.bottom());
  layout_->addStretch(1);
  connect(buttons_, &QButtonGroup::idClicked, this, [this](int id) { SetItemIndex(id); });
}

void RadioGroup::SetItems(const QStringList& captions) {
  for (QAbstractButton* button : buttons_->buttons()) {
    buttons_->removeButton(button);
    delete button;
  }
  item_index_ = -1;
  for (int i = 0; i < captions.size(); ++i) {
    auto* button = new QRadioButton(captions[i], this);
    buttons_->addButton(button, i);
    layout_->insertWidget(i, button);
  }
}

int RadioGroup::Count() const { return static_cast<int>(buttons_->buttons().size()); }

QString RadioGroup::ItemText(int index) const {
  const QAbstractButton* button = buttons_->button(index);
  return button != nullptr ? button->text() : QString();
}

void RadioGroup::SetItemText(int index, const QString& caption) {
  if (QAbstractButton* button = buttons_->button(index)) button->setText(caption);
}

void RadioGroup::SetItemIndex(int index) {
  SetItemIndexQuietly(index);
  emit itemIndexChanged(item_index_);
}

void RadioGroup::SetItemIndexQuietly(int index) {
  if (index < -1 || index >= Count()) index = -1;
  item_index_ = index;
  Check(index);
}

void RadioGroup::Check(int index) {
  // An exclusive group cannot show "none" unless exclusivity is lifted for a moment.
  const QSignalBlocker block(buttons_);
  buttons_->setExclusive(false);
  for (QAbstractButton* button : buttons_->buttons()) button->setChecked(buttons_->id(button) == index);
  buttons_->setExclusive(true);
}

}  // namespace lum
