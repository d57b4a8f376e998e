#pragma once

#include <QSpinBox>
#include <QStyledItemDelegate>
#include <functional>

class QTableWidget;

namespace lum {

/// The load timing grid: 3 columns x 6 rows, row 0 and column 0 are captions.
namespace timing_grid {
inline constexpr int kColumns = 3;
inline constexpr int kRows = 6;
inline constexpr int kMinutesColumn = 1;
inline constexpr int kPowerColumn = 2;
inline constexpr int kMorningRow = 5;
// Grid lines take these pixels off the grid's size before it is shared among the cells.
inline constexpr int kWidthAllowance = 6;
inline constexpr int kHeightAllowance = 9;
inline constexpr int kCellPadding = 4;  // beside a cell's text, which is drawn without margins
}  // namespace timing_grid

/// Text of cell (column, row); empty when the cell holds nothing.
QString GridText(const QTableWidget& grid, int column, int row);
void SetGridText(QTableWidget& grid, int column, int row, const QString& text);
/// Integer in the cell, 0 when it holds none.
int GridInteger(const QTableWidget& grid, int column, int row);
/// Row height (height - 9) / 6 from the grid's size; the (width - 6) pixels shared among the
/// columns by what their texts need. Sized again whenever the size, font or texts change.
void SizeGridCells(QTableWidget& grid);
/// From now on the grid's cells are sized whenever it is shown.
void SizeGridCellsWhenShown(QTableWidget& grid);

/// Draws every cell centred on a single line; the caption row and column look like fixed cells.
class CentredCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

/// The in-place editor of the grid: accepts any run of digits up to its maximum length and
/// takes a value beyond its range as the range's limit, so typing 1500 into a 0..1000 editor
/// gives 1000 rather than refusing the last digit.
class GridSpinEdit : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;
  void SetMaxLength(int characters);
  /// The typed value limited to the range; a text without a number gives the minimum.
  int LimitedValue() const;
  QString EditText() const;
  QLineEdit* Editor() const { return lineEdit(); }
  /// Shows `value` and remembers it as the value that Escape returns to.
  void StartEditing(int value);
  int ValueAtStart() const { return value_at_start_; }
  /// Runs when the editor loses the focus.
  void SetExitHandler(std::function<void()> handler) { exit_handler_ = std::move(handler); }
  /// Runs when Escape is pressed in the editor.
  void SetCancelHandler(std::function<void()> handler) { cancel_handler_ = std::move(handler); }

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int value_at_start_ = 0;
  std::function<void()> exit_handler_;
  std::function<void()> cancel_handler_;
};

}  // namespace lum
