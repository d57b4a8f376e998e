#include "RangeMarks.h"

#include <QBrush>
#include <QTableWidget>
#include <QVariant>
#include <array>

#include "FormLUM.h"
#include "TimingGrid.h"
#include "WriteReview.h"
#include "device/FieldLabels.h"
#include "device/WritePlan.h"

namespace lum {

namespace {

constexpr char kMarkStyle[] = "#%1 { border: 2px solid red; }";  // this control only, not its parts
constexpr char kMarked[] = "outOfRangeMark";
constexpr char kStyleUnderMark[] = "styleUnderMark";  // the control's own style and tip, while marked
constexpr char kTipUnderMark[] = "tipUnderMark";
const QColor kMarkColour(Qt::red);

// The control that shows each field of the pages, but the segments, which are grid cells.
struct FieldControl {
  FieldId field;
  const char* control;
};
constexpr std::array<FieldControl, 11> kControls{{
    {FieldId::OTP, "seOTP"},
    {FieldId::SCDelay, "seSCDelay"},
    {FieldId::SCV, "lbledtSCV"},
    {FieldId::BattOVP, "lbledtBattOVP"},
    {FieldId::BattFCV, "lbledtBattFCV"},
    {FieldId::BattUVP, "lbledtBattUVP"},
    {FieldId::BattUVR, "lbledtBattUVR"},
    {FieldId::CV, "lbledtCV"},
    {FieldId::CC, "lbledtCC"},
    {FieldId::Mode, "cbbWorkMode"},
    {FieldId::Address, "seAddress"},
}};

void Mark(QWidget& control, const QString& tip) {
  if (!control.property(kMarked).toBool()) {
    control.setProperty(kTipUnderMark, control.toolTip());
    control.setProperty(kStyleUnderMark, control.styleSheet());
    control.setProperty(kMarked, true);
  }
  control.setStyleSheet(control.property(kStyleUnderMark).toString() +
                        QString::fromLatin1(kMarkStyle).arg(control.objectName()));
  control.setToolTip(tip);
}

void Unmark(QWidget& control) {
  if (!control.property(kMarked).toBool()) return;
  control.setStyleSheet(control.property(kStyleUnderMark).toString());
  control.setToolTip(control.property(kTipUnderMark).toString());
  control.setProperty(kMarked, false);
}

void MarkCell(QTableWidget& grid, int column, int row, const QString& tip) {
  QTableWidgetItem* cell = grid.item(row, column);
  if (cell == nullptr) return;
  cell->setData(Qt::ForegroundRole, tip.isEmpty() ? QVariant() : QVariant(QBrush(kMarkColour)));
  cell->setToolTip(tip);
}

}  // namespace

void MarkValuesOutOfRange(TFormLUM& window, const TCONFIG_BLOCK& block, int channel) {
  // The segments are cells of the load page's grid.
  auto* grid = window.findChild<QTableWidget*>(QStringLiteral("StringGrid"));
  if (grid == nullptr) return;
  for (const FieldControl& entry : kControls)
    if (auto* control = window.findChild<QWidget*>(QString::fromLatin1(entry.control))) Unmark(*control);
  for (int row = 1; row <= block_layout::kSegments; ++row)
    for (int column : {timing_grid::kMinutesColumn, timing_grid::kPowerColumn}) MarkCell(*grid, column, row, QString());

  const FieldLabels labels = WindowFieldLabels(window);
  for (const ValueOutOfRange& outside : ValuesOutOfRange(block)) {
    const ConfigField& field = *outside.field.field;
    if (field.scope != FieldScope::Block && outside.field.channel != channel) continue;
    const QString tip = QString::fromStdString(OutOfRangeText(outside, block, labels, window.Messages()));
    if (field.scope == FieldScope::Timing) {
      const bool minutes = field.id == FieldId::Minutes;
      MarkCell(*grid, minutes ? timing_grid::kMinutesColumn : timing_grid::kPowerColumn, outside.field.segment + 1,
               tip);
      continue;
    }
    for (const FieldControl& entry : kControls)
      if (entry.field == field.id)
        if (auto* control = window.findChild<QWidget*>(QString::fromLatin1(entry.control))) Mark(*control, tip);
  }
}

}  // namespace lum
