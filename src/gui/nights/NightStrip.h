#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "nights/Night.h"
#include "nights/NightChecks.h"

namespace lum {

/// A calendar strip: one cell per night, left to right, coloured by its result, with a legend
/// of the results under it. A click on a cell selects that night; a cell's tip tells its night.
class NightStrip : public QWidget {
  Q_OBJECT

 public:
  explicit NightStrip(QWidget* parent = nullptr);

  /// The nights shown, with each one's tip; the selection is cleared.
  void SetNights(std::vector<nights::Night> nights, QStringList tips);
  /// The legend's names, in the order of NightResult.
  void SetResultNames(QStringList names);

  const std::vector<nights::Night>& Nights() const { return nights_; }
  int Selected() const { return selected_; }
  /// The cell of a night, in the widget's coordinates (empty for an index out of range).
  QRect CellRect(int index) const;
  /// The colour a night of this result is drawn in.
  static QColor ColourOf(nights::NightResult result);
  QSize sizeHint() const override;

 signals:
  void nightClicked(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  int CellAt(QPoint point) const;
  int CellWidth() const;

  std::vector<nights::Night> nights_;
  QStringList tips_;
  QStringList result_names_;
  int selected_ = -1;
};

}  // namespace lum
