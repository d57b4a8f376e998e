#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QVBoxLayout;

namespace lum {

/// A captioned group of radio buttons addressed by item index, like the output selector
/// `rgChannel`. Setting the item index from code announces the change as a click does.
class RadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  explicit RadioGroup(QWidget* parent = nullptr);

  /// Replaces the items; afterwards no item is selected (-1), without an announcement.
  void SetItems(const QStringList& captions);
  int Count() const;
  QString ItemText(int index) const;
  void SetItemText(int index, const QString& caption);
  int ItemIndex() const { return item_index_; }
  /// Selects an item (-1: none) and announces it through itemIndexChanged.
  void SetItemIndex(int index);
  /// Selects an item without announcing it (to undo a click that must be ignored).
  void SetItemIndexQuietly(int index);

 signals:
  void itemIndexChanged(int index);

 private:
  void Check(int index);

  QButtonGroup* buttons_;
  QVBoxLayout* layout_;
  int item_index_ = -1;
};

}  // namespace lum
