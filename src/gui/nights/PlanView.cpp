#include "PlanView.h"

#include <QPainter>
#include <algorithm>
#include <array>

namespace lum {

namespace {
constexpr double kHoursScale = 24;
constexpr double kAhHeadroom = 1.2;
constexpr int kMargin = 8;
constexpr int kScaleWidth = 44;
constexpr int kLabelGap = kMargin / 2;  // between the plot and the months under it
constexpr int kSwatch = 12;
constexpr int kLegendGap = 16;
constexpr int kHourTicks = 6;  // every 4 h
constexpr int kAhTicks = 5;
constexpr int kDot = 3;
constexpr double kBarShare = 0.35;  // of a month's width, per bar
constexpr double kMinutesPerHour = 60;
const QColor kNightColour(63, 81, 181);
const QColor kLitColour(255, 193, 7);
const QColor kAhColour(0, 150, 136);
const QColor kUsableColour(211, 47, 47);
}  // namespace

PlanView::PlanView(QWidget* parent) : QWidget(parent) { setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding); }

void PlanView::SetPlan(const std::array<nights::PlanMonth, nights::kMonths>& months, double usableAh) {
  months_ = months;
  usable_ah_ = usableAh;
  has_plan_ = true;
  update();
}

void PlanView::SetTexts(QStringList series, QString monthAxis) {
  series_ = std::move(series);
  month_axis_ = std::move(monthAxis);
  update();
}

QSize PlanView::sizeHint() const { return {640, 360}; }

void PlanView::DrawLegend(QPainter& painter, const QRect& area) const {
  const std::array<QColor, 4> colours{kNightColour, kLitColour, kAhColour, kUsableColour};
  int x = area.left();
  const int line = painter.fontMetrics().height();
  for (int i = 0; i < series_.size() && i < static_cast<int>(colours.size()); ++i) {
    painter.fillRect(x, area.top() + (line - kSwatch) / 2, kSwatch, kSwatch, colours.at(static_cast<size_t>(i)));
    x += kSwatch + kMargin / 2;
    const int width = painter.fontMetrics().horizontalAdvance(series_[i]);
    painter.drawText(QRect(x, area.top(), width, line), Qt::AlignVCenter, series_[i]);
    x += width + kLegendGap;
  }
}

void PlanView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), palette().color(QPalette::Base));
  painter.setPen(palette().color(QPalette::Text));
  const int line = painter.fontMetrics().height();
  DrawLegend(painter, QRect(kMargin, kMargin, width() - 2 * kMargin, line));
  if (!has_plan_) return;
  const QRect plot(kScaleWidth + kMargin, kMargin * 2 + line, width() - 2 * (kScaleWidth + kMargin),
                   height() - (kMargin * 4 + line * 3));
  if (plot.width() <= 0 || plot.height() <= 0) return;

  double mostAh = usable_ah_;
  for (const auto& m : months_) mostAh = std::max(mostAh, m.ampereHours);
  const double ahScale = std::max(1.0, mostAh * kAhHeadroom);
  const auto yOfHours = [&](double h) { return plot.bottom() - h / kHoursScale * plot.height(); };
  const auto yOfAh = [&](double ah) { return plot.bottom() - ah / ahScale * plot.height(); };
  const double monthWidth = static_cast<double>(plot.width()) / nights::kMonths;

  // Scales: hours on the left, Ah on the right, a faint grid line at each hour tick.
  for (int t = 0; t <= kHourTicks; ++t) {
    const double h = kHoursScale * t / kHourTicks;
    const int y = static_cast<int>(yOfHours(h));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(plot.left(), y, plot.right(), y);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(kMargin, y - line / 2, kScaleWidth - kMargin, line), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(h, 'f', 0));
  }
  for (int t = 0; t <= kAhTicks; ++t) {
    const double ah = ahScale * t / kAhTicks;
    const int y = static_cast<int>(yOfAh(ah));
    painter.drawText(QRect(plot.right() + kMargin, y - line / 2, kScaleWidth, line), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::number(ah, 'f', ahScale < kAhTicks * 2 ? 1 : 0));
  }
  painter.drawRect(plot);

  QPolygonF ahLine;
  for (int i = 0; i < nights::kMonths; ++i) {
    const auto& m = months_.at(static_cast<size_t>(i));
    const double left = plot.left() + i * monthWidth;
    const double bar = monthWidth * kBarShare;
    const double centre = left + monthWidth / 2;
    const double nightHours = m.nightMinutes.value_or(0) / kMinutesPerHour;
    painter.fillRect(QRectF(centre - bar, yOfHours(nightHours), bar, plot.bottom() - yOfHours(nightHours)),
                     kNightColour);
    const double litHours = m.litMinutes / kMinutesPerHour;
    painter.fillRect(QRectF(centre, yOfHours(litHours), bar, plot.bottom() - yOfHours(litHours)), kLitColour);
    ahLine << QPointF(centre, yOfAh(m.ampereHours));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRectF(left, plot.bottom() + kLabelGap, monthWidth, line), Qt::AlignCenter,
                     QString::number(m.month));
  }
  painter.drawText(QRect(plot.left(), plot.bottom() + kLabelGap + line, plot.width(), line), Qt::AlignCenter,
                   month_axis_);
  painter.setPen(QPen(kAhColour, 2));
  painter.drawPolyline(ahLine);
  painter.setBrush(kAhColour);
  for (const QPointF& p : ahLine) painter.drawEllipse(p, kDot, kDot);
  painter.setPen(QPen(kUsableColour, 2, Qt::DashLine));
  painter.drawLine(QPointF(plot.left(), yOfAh(usable_ah_)), QPointF(plot.right(), yOfAh(usable_ah_)));
}

}  // namespace lum
