#include "AutoScale.h"

#include <QFont>
#include <QGridLayout>
#include <QLayout>
#include <QVariant>
#include <QWidget>

namespace lum {

namespace {
constexpr char kBaseFont[] = "lumBaseFont";
constexpr char kBaseMinimum[] = "lumBaseMinimum";
constexpr char kBaseMaximum[] = "lumBaseMaximum";
constexpr char kBaseSpacing[] = "lumBaseSpacing";

int Scaled(int value, double scale) { return qRound(value * scale); }

template <typename T>
T Remembered(QObject& object, const char* name, const T& current) {
  const QVariant stored = object.property(name);
  if (stored.isValid()) return stored.value<T>();
  object.setProperty(name, QVariant::fromValue(current));
  return current;
}

void ScaleFont(QWidget& widget, double scale) {
  QFont font = Remembered(widget, kBaseFont, widget.font());
  if (font.pixelSize() > 0)
    font.setPixelSize(std::max(1, Scaled(font.pixelSize(), scale)));
  else
    font.setPointSizeF(font.pointSizeF() * scale);
  widget.setFont(font);
}

int ScaledLimit(int value, double scale) {
  // 0 and the "no limit" size are not sizes of the design.
  return value <= 0 || value >= QWIDGETSIZE_MAX ? value : Scaled(value, scale);
}

void ScaleSizes(QWidget& widget, double scale) {
  const QSize minimum = Remembered(widget, kBaseMinimum, widget.minimumSize());
  const QSize maximum = Remembered(widget, kBaseMaximum, widget.maximumSize());
  widget.setMinimumSize(ScaledLimit(minimum.width(), scale), ScaledLimit(minimum.height(), scale));
  widget.setMaximumSize(ScaledLimit(maximum.width(), scale), ScaledLimit(maximum.height(), scale));
}

void ScaleLayout(QLayout& layout, double scale) {
  const QMargins m = layout.contentsMargins();
  auto* grid = qobject_cast<QGridLayout*>(&layout);
  const QVariantList current = {m.left(),
                                m.top(),
                                m.right(),
                                m.bottom(),
                                grid ? grid->horizontalSpacing() : layout.spacing(),
                                grid ? grid->verticalSpacing() : layout.spacing()};
  const QVariantList base = Remembered(layout, kBaseSpacing, current);
  auto at = [&](int i) { return Scaled(base[i].toInt(), scale); };
  layout.setContentsMargins(at(0), at(1), at(2), at(3));
  if (grid != nullptr) {
    if (base[4].toInt() >= 0) grid->setHorizontalSpacing(at(4));
    if (base[5].toInt() >= 0) grid->setVerticalSpacing(at(5));
  } else if (base[4].toInt() >= 0) {
    layout.setSpacing(at(4));
  }
}
}  // namespace

void ScaleContents(QWidget& root, double scale) {
  QList<QWidget*> widgets = root.findChildren<QWidget*>();
  widgets.prepend(&root);
  for (QWidget* widget : widgets) {
    // Fonts set on a widget of its own are scaled there; the others inherit the root's.
    if (widget == &root || widget->testAttribute(Qt::WA_SetFont)) ScaleFont(*widget, scale);
    ScaleSizes(*widget, scale);
  }
  for (QLayout* layout : root.findChildren<QLayout*>()) ScaleLayout(*layout, scale);
}

}  // namespace lum
