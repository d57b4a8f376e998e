#pragma once

#include <QStringList>
#include <QWidget>
#include <array>

#include "nights/EnergyPlan.h"

namespace lum {

/// The energy plan as a picture: for each of the twelve months the night's length and the
/// programme's lit hours as bars (hours, left scale), and the Ah drawn in a night against
/// the battery's usable capacity (Ah, right scale).
class PlanView : public QWidget {
  Q_OBJECT

 public:
  explicit PlanView(QWidget* parent = nullptr);

  void SetPlan(const std::array<nights::PlanMonth, nights::kMonths>& months, double usableAh);
  /// The names of the series (night length, lit, Ah per night, usable capacity) and of the
  /// month axis.
  void SetTexts(QStringList series, QString monthAxis);

  const std::array<nights::PlanMonth, nights::kMonths>& Months() const { return months_; }
  double UsableAh() const { return usable_ah_; }
  bool HasPlan() const { return has_plan_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void DrawLegend(QPainter& painter, const QRect& area) const;

  std::array<nights::PlanMonth, nights::kMonths> months_{};
  double usable_ah_ = 0;
  bool has_plan_ = false;
  QStringList series_;
  QString month_axis_;
};

}  // namespace lum
