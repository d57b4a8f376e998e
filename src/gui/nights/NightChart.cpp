#include "NightChart.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>
#include <array>

namespace lum {

namespace {
struct Shown {
  ValueId id;
  bool current;  // on the current's scale
};
constexpr std::array<Shown, 3> kShown{
    {{ValueId::BatteryVoltage, false}, {ValueId::SolarVoltage, false}, {ValueId::Load1Current, true}}};
}  // namespace

void ShowNightPolls(QChart& chart, const std::vector<PollSample>& polls, const QStringList& lines,
                    const QStringList& axes) {
  chart.removeAllSeries();
  for (QAbstractAxis* axis : chart.axes()) {
    chart.removeAxis(axis);
    delete axis;
  }
  auto* time = new QDateTimeAxis;
  time->setFormat(QStringLiteral("HH:mm"));
  time->setTitleText(axes.value(2));
  auto* volts = new QValueAxis;
  auto* amperes = new QValueAxis;
  volts->setTitleText(axes.value(0));
  amperes->setTitleText(axes.value(1));
  chart.addAxis(time, Qt::AlignBottom);
  chart.addAxis(volts, Qt::AlignLeft);
  chart.addAxis(amperes, Qt::AlignRight);
  for (size_t i = 0; i < kShown.size(); ++i) {
    const Shown& shown = kShown.at(i);
    auto* series = new QLineSeries;
    series->setName(lines.value(static_cast<int>(i)));
    for (const PollSample& poll : polls)
      if (const auto value = poll.Natural(shown.id)) series->append(static_cast<double>(poll.timeMs), *value);
    chart.addSeries(series);
    series->attachAxis(time);
    series->attachAxis(shown.current ? amperes : volts);
  }
  if (!polls.empty()) {
    // Local time, as the live chart shows it.
    time->setRange(QDateTime::fromMSecsSinceEpoch(polls.front().timeMs),
                   QDateTime::fromMSecsSinceEpoch(polls.back().timeMs));
    volts->applyNiceNumbers();
    amperes->applyNiceNumbers();
  }
}

}  // namespace lum
