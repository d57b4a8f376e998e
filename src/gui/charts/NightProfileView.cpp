#include "NightProfileView.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "base/SafeFormat.h"
#include "language/MessageSlots.h"
#include "language/MessageTable.h"

namespace lum {

namespace {
// Layout of one output, in pixels.
constexpr int kMargin = 4;
constexpr int kLineGap = 2;
constexpr int kMinimumWidth = 200;
constexpr int kPreferredWidth = 400;
constexpr int kFullPower = 100;

const QColor kNightSky = QColor::fromRgb(NightProfileView::kSkyColour);
const QColor kEveningLight = QColor::fromRgb(NightProfileView::kEveningColour);
const QColor kMorningLight = QColor::fromRgb(NightProfileView::kMorningColour);
const QColor kBarText = kNightSky;
const QColor kDarkText(0xC8, 0xD0, 0xDC);

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

NightProfileView::NightProfileView(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void NightProfileView::SetMessages(const MessageTable* messages) {
  messages_ = messages;
  update();
}

void NightProfileView::SetOutputs(std::vector<Output> outputs) {
  outputs_ = std::move(outputs);
  updateGeometry();
  update();
}

QString NightProfileView::SummaryText(const NightProfile& profile) const {
  if (messages_ == nullptr) return {};
  return FromUtf8(FormatText(messages_->Text(msg::kNightSummary),
                             {FormatHoursMinutes(profile.litMinutes), FormatAmpereHours(profile.ampereHours)}));
}

QString NightProfileView::DawnText(const NightProfile& profile) const {
  if (messages_ == nullptr) return {};
  return FromUtf8(FormatText(messages_->Text(msg::kDawnAfterDusk), {FormatHoursMinutes(profile.nightMinutes)}));
}

QString NightProfileView::SegmentLabel(const ProfileSegment& segment) {
  return QStringLiteral("%1 · %2%").arg(FromUtf8(FormatHoursMinutes(segment.minutes))).arg(segment.power);
}

QRect NightProfileView::BarArea(int output) const {
  const int line = fontMetrics().height();
  return {kMargin, output * OutputHeight() + line + kLineGap, width() - 2 * kMargin, kBarHeight};
}

int NightProfileView::OutputHeight() const {
  const int line = fontMetrics().height();
  return line + kLineGap + kBarHeight + kLineGap + line + kLineGap + line + kMargin;
}

QSize NightProfileView::sizeHint() const {
  return {kPreferredWidth, static_cast<int>(outputs_.size()) * OutputHeight()};
}

QSize NightProfileView::minimumSizeHint() const {
  return {kMinimumWidth, static_cast<int>(outputs_.size()) * OutputHeight()};
}

void NightProfileView::paintEvent(QPaintEvent*) {
  if (messages_ == nullptr) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (int i = 0; i < static_cast<int>(outputs_.size()); ++i) PaintOutput(painter, i);
}

void NightProfileView::PaintOutput(QPainter& painter, int index) const {
  const Output& output = outputs_[static_cast<size_t>(index)];
  const QRect area(0, index * OutputHeight(), width(), OutputHeight());
  const NightProfile& profile = output.profile;
  const QFontMetrics metrics = fontMetrics();
  const int line = metrics.height();
  const QColor text = palette().color(QPalette::WindowText);

  const QRect bar = BarArea(index);
  painter.setPen(text);
  painter.drawText(QRect(bar.left(), area.top(), bar.width(), line), Qt::AlignLeft | Qt::AlignVCenter, output.caption);
  painter.fillRect(bar, kNightSky);
  const double perMinute = profile.nightMinutes > 0 ? double(bar.width()) / profile.nightMinutes : 0;
  auto xAt = [&](unsigned minute) { return bar.left() + static_cast<int>(std::lround(minute * perMinute)); };
  for (const ProfileSegment& piece : NightTimeline(profile)) {
    if (piece.number == 0) continue;
    const int left = xAt(piece.start);
    const int right = xAt(piece.start + piece.minutes);
    const int lit = kBarHeight * static_cast<int>(std::min<unsigned>(piece.power, kFullPower)) / kFullPower;
    const QRect segment(left, bar.bottom() + 1 - lit, std::max(1, right - left), lit);
    painter.fillRect(segment, piece.morning ? kMorningLight : kEveningLight);
    // A thin edge keeps neighbouring segments apart.
    painter.setPen(kNightSky);
    painter.drawLine(left, bar.top(), left, bar.bottom());
    const QString label = SegmentLabel(piece);
    if (metrics.horizontalAdvance(label) + 2 <= right - left) {
      const bool onLight = lit >= line;
      painter.setPen(onLight ? kBarText : kDarkText);
      const QRect labelArea(left, onLight ? bar.bottom() + 1 - line : bar.top(), right - left, line);
      painter.drawText(labelArea, Qt::AlignCenter, label);
    }
  }
  int y = bar.bottom() + 1 + kLineGap;

  painter.setPen(text);
  const QRect ends(bar.left(), y, bar.width(), line);
  painter.drawText(ends, Qt::AlignLeft | Qt::AlignVCenter, FromUtf8(messages_->Text(msg::kDusk)));
  painter.drawText(ends, Qt::AlignRight | Qt::AlignVCenter, DawnText(profile));
  y += line + kLineGap;
  painter.drawText(QRect(bar.left(), y, bar.width(), line), Qt::AlignLeft | Qt::AlignVCenter, SummaryText(profile));
}

}  // namespace lum
