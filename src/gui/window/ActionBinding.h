#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QAbstractButton;
class QAction;
class QToolButton;

namespace lum {

/// Binds menu entries and buttons to an action: they run the action, are enabled with it and
/// show its caption, except a control whose own caption differs from the action's caption
/// (such as "打开配置文件..." under "打开文件...") keeps its own when the action's caption changes.
class ActionBinding : public QObject {
 public:
  explicit ActionBinding(QAction* action);

  /// A menu entry; it takes over the action's shortcut, so the action must not be added to a
  /// window as well. `followEnabled` false keeps an entry that the design disables disabled.
  void AddEntry(QAction* entry, bool followEnabled = true);
  void AddButton(QAbstractButton* button);
  /// A tool button shows a picture of its own, never the action's caption.
  void AddToolButton(QToolButton* button);

 private:
  void ActionChanged();

  struct Bound {
    QPointer<QObject> control;
    bool followEnabled;
    bool showsCaption;
  };
  QAction* action_;
  QString last_caption_;
  std::vector<Bound> bound_;
};

}  // namespace lum
