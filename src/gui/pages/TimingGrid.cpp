#include "TimingGrid.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPen>
#include <QTableWidget>
#include <algorithm>
#include <array>
#include <numeric>

namespace lum {

QString GridText(const QTableWidget& grid, int column, int row) {
  const QTableWidgetItem* cell = grid.item(row, column);
  return cell != nullptr ? cell->text() : QString();
}

void SetGridText(QTableWidget& grid, int column, int row, const QString& text) {
  QTableWidgetItem* cell = grid.item(row, column);
  if (cell == nullptr) {
    cell = new QTableWidgetItem;
    // Caption cells are fixed: they can be looked at but not selected.
    if (row == 0 || column == 0) cell->setFlags(Qt::ItemIsEnabled);
    grid.setItem(row, column, cell);
  }
  cell->setText(text);
}

int GridInteger(const QTableWidget& grid, int column, int row) {
  bool ok = false;
  const int value = GridText(grid, column, row).trimmed().toInt(&ok);
  return ok ? value : 0;
}

void SizeGridCells(QTableWidget& grid) {
  using namespace timing_grid;
  const int total = grid.width() - kWidthAllowance;
  const int width = total / kColumns;
  const int height = (grid.height() - kHeightAllowance) / kRows;
  grid.horizontalHeader()->setMinimumSectionSize(1);
  grid.verticalHeader()->setMinimumSectionSize(1);
  grid.horizontalHeader()->setDefaultSectionSize(width);
  grid.verticalHeader()->setDefaultSectionSize(height);
  // The columns share the width by what their texts need, so that a long caption ("功率0-100%")
  // is not cut while a short one has room to spare; alike when not all of them can fit.
  std::array<int, kColumns> needs{};
  const QFontMetrics metrics(grid.font());
  for (int c = 0; c < kColumns; ++c)
    for (int r = 0; r < grid.rowCount(); ++r)
      needs[c] = std::max(needs[c], metrics.horizontalAdvance(GridText(grid, c, r)) + kCellPadding);
  const int spare = total - std::accumulate(needs.begin(), needs.end(), 0);
  int used = 0;
  for (int c = 0; c < kColumns; ++c) {
    const bool last = c == kColumns - 1;
    const int share = spare < 0 ? width : last ? total - used : needs[c] + spare / kColumns;
    grid.setColumnWidth(c, share);
    used += share;
  }
  for (int r = 0; r < grid.rowCount(); ++r) grid.setRowHeight(r, height);
}

namespace {
class SizeCellsOnShow : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) SizeGridCells(static_cast<QTableWidget&>(*watched));
    return QObject::eventFilter(watched, event);
  }
};
}  // namespace

void SizeGridCellsWhenShown(QTableWidget& grid) { grid.installEventFilter(new SizeCellsOnShow(&grid)); }

namespace {
bool IsCaptionCell(const QModelIndex& index) { return index.row() == 0 || index.column() == 0; }
constexpr int kMarkFrameWidth = 2;
}  // namespace

void CentredCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem cell(option);
  initStyleOption(&cell, index);
  const bool caption = IsCaptionCell(index);
  const bool selected = !caption && (cell.state & QStyle::State_Selected) != 0;
  // Drawn without the style's text margins, so that captions as wide as the cell still fit.
  painter->save();
  painter->fillRect(cell.rect, caption    ? cell.palette.button()
                               : selected ? cell.palette.highlight()
                                          : cell.palette.base());
  // A cell given its own text colour (a value out of its range) is framed in it too.
  const QVariant own = index.data(Qt::ForegroundRole);
  if (own.canConvert<QBrush>() && !selected) {
    painter->setPen(QPen(own.value<QBrush>().color(), kMarkFrameWidth));
    painter->drawRect(cell.rect.adjusted(1, 1, -1, -1));
  } else {
    painter->setPen(selected ? cell.palette.highlightedText().color() : cell.palette.text().color());
  }
  painter->setFont(cell.font);
  painter->drawText(cell.rect, Qt::AlignCenter | Qt::TextSingleLine, cell.text);
  painter->restore();
}

void GridSpinEdit::SetMaxLength(int characters) { lineEdit()->setMaxLength(characters); }

QString GridSpinEdit::EditText() const { return lineEdit()->text(); }

int GridSpinEdit::LimitedValue() const {
  bool ok = false;
  const long long typed = EditText().toLongLong(&ok);
  if (!ok) return minimum();
  return static_cast<int>(std::clamp<long long>(typed, minimum(), maximum()));
}

void GridSpinEdit::StartEditing(int value) {
  value_at_start_ = value;
  setValue(value);
}

void GridSpinEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && cancel_handler_) {
    cancel_handler_();
    return;
  }
  QSpinBox::keyPressEvent(event);
}

void GridSpinEdit::focusOutEvent(QFocusEvent* event) {
  QSpinBox::focusOutEvent(event);
  if (exit_handler_) exit_handler_();
}

QValidator::State GridSpinEdit::validate(QString& input, int& /*pos*/) const {
  if (input.isEmpty()) return QValidator::Intermediate;
  const bool digits = std::all_of(input.begin(), input.end(), [](QChar c) { return c.isDigit(); });
  return digits ? QValidator::Acceptable : QValidator::Invalid;
}

}  // namespace lum
