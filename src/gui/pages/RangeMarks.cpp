#include "RangeMarks.h"

#include <QBrush>
#include <QTableWidget>
#include <QVariant>

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

const ConfigField* FieldOf(const QWidget& control) {
  const QVariant name = control.property(kFieldProperty);
  if (!name.isValid()) return nullptr;
  const std::string wanted = name.toString().toStdString();
  for (const ConfigField& field : ConfigFields())
    if (field.name == wanted) return &field;
  return nullptr;
}

void MarkValuesOutOfRange(TFormLUM& window, const TCONFIG_BLOCK& block, int channel) {
  // The segments are cells of the load page's grid.
  auto* grid = window.findChild<QTableWidget*>(QStringLiteral("StringGrid"));
  if (grid == nullptr) return;
  const QList<QWidget*> controls = window.findChildren<QWidget*>();
  for (QWidget* control : controls) Unmark(*control);
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
    for (QWidget* control : controls)
      if (FieldOf(*control) == &field) Mark(*control, tip);
  }
}

}  // namespace lum
