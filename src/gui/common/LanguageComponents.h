#pragma once

#include <QPointer>
#include <QString>
#include <vector>

class QObject;
class QWidget;

namespace lum {

/// A window's components in the order its form creates them, parents before children. The
/// form declares its actions after the controls and menus, so at each level the actions come
/// after the other children (the generated form code creates them first).
std::vector<QObject*> ComponentsInDesignOrder(QWidget* window);

/// True for an object whose tag property is the translation tag.
bool IsTranslatable(const QObject* object);

/// The translatable components of a window in design order, chosen before any text changes:
/// a text change may delete a control's internal children (a label's text document), so the
/// language pass holds none of those, and a component deleted meanwhile reads as null.
std::vector<QPointer<QObject>> TranslatableComponents(QWidget* window);

/// How the language pass treats a component.
enum class ComponentKind {
  Action,        // caption only; bound entries and buttons follow it
  MenuEntry,     // a menu or an entry of one: caption and hint
  LabelledEdit,  // the attached label's caption, the edit's hint
  ToolButton,    // hint only
  Control,       // hint, then the control's text
  Other,         // nothing
};

ComponentKind KindOf(QObject* component, QWidget* window);

/// The texts the pass reads and sets, by kind: caption, hint, and whether a menu entry is a
/// separator. Only meaningful for the kinds that have them. Texts are shown as plain text:
/// markup in a language file is drawn as the characters it is made of.
class ComponentTexts {
 public:
  ComponentTexts(QObject* component, QWidget* window);

  ComponentKind Kind() const { return kind_; }
  bool IsSeparator() const;
  QString Caption() const;
  void SetCaption(const QString& caption);
  QString Hint() const;
  void SetHint(const QString& hint);

 private:
  QObject* component_;
  QWidget* window_;
  ComponentKind kind_;
};

}  // namespace lum
