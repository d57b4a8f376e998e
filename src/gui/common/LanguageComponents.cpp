#include "LanguageComponents.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolButton>
#include <algorithm>

#include "WindowNames.h"

namespace lum {

namespace {

// A dialog parented to a window is a window of its own, with its own components.
bool IsOtherWindow(const QObject* object) {
  const auto* widget = qobject_cast<const QWidget*>(object);
  return widget != nullptr && (widget->windowType() == Qt::Window || widget->windowType() == Qt::Dialog);
}

// The children in the order they were made. A stack raises the page it shows, which moves
// that page to the end of its children, so the pages of a stack are taken in page order.
std::vector<QObject*> ChildrenInOrder(QObject* parent) {
  const QObjectList& children = parent->children();
  std::vector<QObject*> ordered(children.begin(), children.end());
  if (auto* stack = qobject_cast<QStackedWidget*>(parent)) {
    auto page = [stack](QObject* child) {
      auto* widget = qobject_cast<QWidget*>(child);
      const int index = widget != nullptr ? stack->indexOf(widget) : -1;
      return index >= 0 ? index : stack->count();
    };
    std::stable_sort(ordered.begin(), ordered.end(), [&](QObject* a, QObject* b) { return page(a) < page(b); });
  }
  return ordered;
}

void AppendInDesignOrder(QObject* parent, std::vector<QObject*>& out) {
  std::vector<QObject*> actions;
  for (QObject* child : ChildrenInOrder(parent)) {
    if (IsOtherWindow(child)) continue;
    if (qobject_cast<QAction*>(child) != nullptr) {
      actions.push_back(child);
      continue;
    }
    out.push_back(child);
    AppendInDesignOrder(child, out);
  }
  for (QObject* action : actions) {
    out.push_back(action);
    AppendInDesignOrder(action, out);
  }
}

bool IsInMenu(const QAction* action) {
  for (const QObject* user : action->associatedObjects())
    if (qobject_cast<const QMenu*>(user) != nullptr) return true;
  return false;
}

// The tab widget that shows this widget as a page, or null. Its pages live in the tab
// widget's internal stack.
QTabWidget* PageOwner(QObject* object) {
  auto* page = qobject_cast<QWidget*>(object);
  if (page == nullptr || qobject_cast<QStackedWidget*>(page->parentWidget()) == nullptr) return nullptr;
  auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget());
  return tabs != nullptr && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

// The hint as the language file gives it, beside the tool tip that shows it.
constexpr char kPlainHintProperty[] = "lumPlainHint";

void SetPlainText(QLabel& label, const QString& text) {
  label.setTextFormat(Qt::PlainText);
  label.setText(text);
}

QLabel* AttachedLabel(const QObject* edit, const QWidget* window) {
  return window->findChild<QLabel*>(names::EditLabelName(edit->objectName()));
}

bool HasText(QObject* c) {
  return qobject_cast<QLabel*>(c) != nullptr || qobject_cast<QAbstractButton*>(c) != nullptr ||
         qobject_cast<QGroupBox*>(c) != nullptr || qobject_cast<QLineEdit*>(c) != nullptr ||
         qobject_cast<QPlainTextEdit*>(c) != nullptr || PageOwner(c) != nullptr;
}

// The action that carries a menu entry's caption and hint: the entry itself, or the menu's.
QAction* EntryAction(QObject* component) {
  if (auto* menu = qobject_cast<QMenu*>(component)) return menu->menuAction();
  return qobject_cast<QAction*>(component);
}

}  // namespace

std::vector<QObject*> ComponentsInDesignOrder(QWidget* window) {
  std::vector<QObject*> components;
  AppendInDesignOrder(window, components);
  return components;
}

bool IsTranslatable(const QObject* object) {
  const QVariant tag = object->property(names::kTagProperty);
  return tag.isValid() && tag.toInt() == names::kTranslatableTag;
}

std::vector<QPointer<QObject>> TranslatableComponents(QWidget* window) {
  std::vector<QPointer<QObject>> components;
  for (QObject* component : ComponentsInDesignOrder(window))
    if (IsTranslatable(component)) components.emplace_back(component);
  return components;
}

ComponentKind KindOf(QObject* component, QWidget* window) {
  if (auto* action = qobject_cast<QAction*>(component))
    return action->isSeparator() || IsInMenu(action) ? ComponentKind::MenuEntry : ComponentKind::Action;
  if (qobject_cast<QMenu*>(component) != nullptr) return ComponentKind::MenuEntry;
  if (qobject_cast<QLineEdit*>(component) != nullptr && AttachedLabel(component, window) != nullptr)
    return ComponentKind::LabelledEdit;
  if (qobject_cast<QToolButton*>(component) != nullptr) return ComponentKind::ToolButton;
  if (HasText(component)) return ComponentKind::Control;
  return ComponentKind::Other;
}

ComponentTexts::ComponentTexts(QObject* component, QWidget* window)
    : component_(component), window_(window), kind_(KindOf(component, window)) {}

bool ComponentTexts::IsSeparator() const {
  const QAction* entry = EntryAction(component_);
  return entry != nullptr && entry->isSeparator();
}

QString ComponentTexts::Caption() const {
  QObject* c = component_;
  if (auto* menu = qobject_cast<QMenu*>(c)) return menu->title();
  if (auto* action = qobject_cast<QAction*>(c)) return action->text();
  if (kind_ == ComponentKind::LabelledEdit) return AttachedLabel(c, window_)->text();
  if (QTabWidget* tabs = PageOwner(c)) return tabs->tabText(tabs->indexOf(static_cast<QWidget*>(c)));
  if (auto* group = qobject_cast<QGroupBox*>(c)) return group->title();
  if (auto* label = qobject_cast<QLabel*>(c)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(c)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(c)) return edit->text();
  if (auto* memo = qobject_cast<QPlainTextEdit*>(c)) return memo->toPlainText();
  return {};
}

void ComponentTexts::SetCaption(const QString& caption) {
  QObject* c = component_;
  if (auto* menu = qobject_cast<QMenu*>(c)) {
    menu->setTitle(caption);
  } else if (auto* action = qobject_cast<QAction*>(c)) {
    action->setText(caption);  // announced, so that bound entries and buttons follow
  } else if (kind_ == ComponentKind::LabelledEdit) {
    SetPlainText(*AttachedLabel(c, window_), caption);
  } else if (QTabWidget* tabs = PageOwner(c)) {
    tabs->setTabText(tabs->indexOf(static_cast<QWidget*>(c)), caption);
  } else if (auto* group = qobject_cast<QGroupBox*>(c)) {
    group->setTitle(caption);
  } else if (auto* label = qobject_cast<QLabel*>(c)) {
    SetPlainText(*label, caption);
  } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
    button->setText(caption);
  } else if (auto* edit = qobject_cast<QLineEdit*>(c)) {
    // A new text is no user edit: the field's change handler must not run.
    const QSignalBlocker quiet(edit);
    edit->setText(caption);
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(c)) {
    const QSignalBlocker quiet(memo);
    memo->setPlainText(caption);
  }
}

QString ComponentTexts::Hint() const {
  if (const QAction* entry = EntryAction(component_)) return entry->statusTip();
  if (auto* widget = qobject_cast<QWidget*>(component_)) {
    const QVariant plain = widget->property(kPlainHintProperty);
    return plain.isValid() ? plain.toString() : widget->toolTip();
  }
  return {};
}

void ComponentTexts::SetHint(const QString& hint) {
  if (QAction* entry = EntryAction(component_)) {
    entry->setStatusTip(hint);  // a status tip is never rich text
  } else if (auto* widget = qobject_cast<QWidget*>(component_)) {
    // A tool tip that looks like markup is drawn as rich text, so such a hint is shown
    // escaped; the hint itself is kept for reading back.
    widget->setProperty(kPlainHintProperty, hint);
    widget->setToolTip(Qt::mightBeRichText(hint)
                           ? QStringLiteral("<p style='white-space:pre'>%1</p>").arg(hint.toHtmlEscaped())
                           : hint);
  }
}

}  // namespace lum
