#include "ActionBinding.h"

#include <QAbstractButton>
#include <QAction>
#include <QToolButton>

namespace lum {

namespace {
QString CaptionOf(QObject* control) {
  if (auto* entry = qobject_cast<QAction*>(control)) return entry->text();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  return {};
}

void SetCaption(QObject* control, const QString& caption) {
  if (auto* entry = qobject_cast<QAction*>(control))
    entry->setText(caption);
  else if (auto* button = qobject_cast<QAbstractButton*>(control))
    button->setText(caption);
}

// "打开文件..." or "&Open file..." as a tip: without the mnemonic mark and the trailing dots.
QString ToolTipOf(QString caption) {
  caption.remove(QLatin1Char('&'));
  while (caption.endsWith(QLatin1Char('.'))) caption.chop(1);
  return caption.trimmed();
}

void SetEnabled(QObject* control, bool enabled) {
  if (auto* entry = qobject_cast<QAction*>(control))
    entry->setEnabled(enabled);
  else if (auto* button = qobject_cast<QAbstractButton*>(control))
    button->setEnabled(enabled);
}
}  // namespace

ActionBinding::ActionBinding(QAction* action) : QObject(action), action_(action), last_caption_(action->text()) {
  connect(action_, &QAction::changed, this, &ActionBinding::ActionChanged);
}

void ActionBinding::AddEntry(QAction* entry, bool followEnabled) {
  // The entry shows the action's shortcuts and is the one object that reacts to it: a second
  // owner of the key (the action in the window) would make Qt refuse it as ambiguous whenever
  // the menu bar holds the focus, as it does after a menu was closed with Escape.
  entry->setShortcuts(action_->shortcuts());
  entry->setIcon(action_->icon());
  if (followEnabled) entry->setEnabled(action_->isEnabled());
  connect(entry, &QAction::triggered, action_, [this] { action_->trigger(); });
  bound_.push_back({entry, followEnabled, true});
}

void ActionBinding::AddButton(QAbstractButton* button) {
  button->setText(action_->text());
  button->setEnabled(action_->isEnabled());
  connect(button, &QAbstractButton::clicked, action_, [this] { action_->trigger(); });
  bound_.push_back({button, true, true});
}

void ActionBinding::AddToolButton(QToolButton* button) {
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  // A picture alone says little: the tip names the action (unless the button has its own).
  if (button->toolTip().isEmpty()) button->setToolTip(ToolTipOf(action_->text()));
  button->setEnabled(action_->isEnabled());
  connect(button, &QToolButton::clicked, action_, [this] { action_->trigger(); });
  bound_.push_back({button, true, false});
}

void ActionBinding::ActionChanged() {
  const QString caption = action_->text();
  for (const Bound& bound : bound_) {
    if (bound.control.isNull()) continue;
    if (bound.followEnabled) SetEnabled(bound.control, action_->isEnabled());
    if (bound.showsCaption && caption != last_caption_ && CaptionOf(bound.control) == last_caption_)
      SetCaption(bound.control, caption);
    auto* toolButton = qobject_cast<QToolButton*>(bound.control.data());
    if (toolButton != nullptr && toolButton->toolTip() == ToolTipOf(last_caption_))
      toolButton->setToolTip(ToolTipOf(caption));
  }
  last_caption_ = caption;
}

}  // namespace lum
