#include "NightStrip.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <array>

namespace lum {

namespace {
constexpr int kCellHeight = 28;
constexpr int kLeastCellWidth = 4;
constexpr int kMostCellWidth = 24;
constexpr int kMargin = 4;
constexpr int kLegendSwatch = 12;
constexpr int kLegendGap = 16;
constexpr int kSelectionPen = 3;

// In the order of NightResult: lit, did not light, cut short, no sun, not known.
constexpr std::array<QColor, 5> kResultColours{QColor(76, 175, 80), QColor(211, 47, 47), QColor(255, 152, 0),
                                               QColor(121, 134, 203), QColor(189, 189, 189)};
}  // namespace

NightStrip::NightStrip(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void NightStrip::SetNights(std::vector<nights::Night> nights, QStringList tips) {
  nights_ = std::move(nights);
  tips_ = std::move(tips);
  selected_ = -1;
  update();
}

void NightStrip::SetResultNames(QStringList names) {
  result_names_ = std::move(names);
  updateGeometry();
  update();
}

QColor NightStrip::ColourOf(nights::NightResult result) { return kResultColours.at(static_cast<size_t>(result)); }

int NightStrip::CellWidth() const {
  if (nights_.empty()) return kMostCellWidth;
  const int room = (width() - 2 * kMargin) / static_cast<int>(nights_.size());
  return std::clamp(room, kLeastCellWidth, kMostCellWidth);
}

QRect NightStrip::CellRect(int index) const {
  if (index < 0 || index >= static_cast<int>(nights_.size())) return {};
  const int w = CellWidth();
  return {kMargin + index * w, kMargin, w - 1, kCellHeight};
}

int NightStrip::CellAt(QPoint point) const {
  for (int i = 0; i < static_cast<int>(nights_.size()); ++i)
    if (CellRect(i).contains(point)) return i;
  return -1;
}

QSize NightStrip::sizeHint() const {
  const int line = fontMetrics().height();
  return {kMargin * 2 + kMostCellWidth * 14, kMargin * 3 + kCellHeight + line};
}

void NightStrip::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  for (int i = 0; i < static_cast<int>(nights_.size()); ++i)
    painter.fillRect(CellRect(i), ColourOf(nights::ResultOf(nights_[static_cast<size_t>(i)])));
  if (selected_ >= 0) {
    painter.setPen(QPen(palette().color(QPalette::WindowText), kSelectionPen));
    painter.drawRect(CellRect(selected_));
  }
  // The legend: a swatch and the result's name, side by side.
  int x = kMargin;
  const int y = kMargin * 2 + kCellHeight;
  const int line = fontMetrics().height();
  painter.setPen(palette().color(QPalette::WindowText));
  for (int r = 0; r < result_names_.size() && r < static_cast<int>(kResultColours.size()); ++r) {
    painter.fillRect(x, y + (line - kLegendSwatch) / 2, kLegendSwatch, kLegendSwatch,
                     kResultColours.at(static_cast<size_t>(r)));
    x += kLegendSwatch + kMargin;
    const int textWidth = fontMetrics().horizontalAdvance(result_names_[r]);
    painter.drawText(QRect(x, y, textWidth, line), Qt::AlignVCenter, result_names_[r]);
    x += textWidth + kLegendGap;
  }
}

void NightStrip::mousePressEvent(QMouseEvent* event) {
  const int cell = CellAt(event->position().toPoint());
  if (cell < 0) return;
  selected_ = cell;
  update();
  emit nightClicked(cell);
}

bool NightStrip::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const int cell = CellAt(help->pos());
    if (cell >= 0 && cell < tips_.size())
      QToolTip::showText(help->globalPos(), tips_[cell], this, CellRect(cell));
    else
      QToolTip::hideText();
    return true;
  }
  return QWidget::event(event);
}

}  // namespace lum
