#include "FixedColours.h"

#include <QPalette>
#include <QWidget>

namespace lum {

namespace {
constexpr QColor kFieldBase(255, 255, 255);
constexpr QColor kButtonFace(240, 240, 240);
// Greyed text still readable (at least 4.5 : 1) on the light page and field colours.
constexpr QColor kDisabledText(96, 96, 96);

void SetBoth(QPalette& palette, QPalette::ColorRole role, const QColor& colour) {
  palette.setColor(QPalette::Active, role, colour);
  palette.setColor(QPalette::Inactive, role, colour);
}
}  // namespace

void SetFixedPageColours(QWidget& widget, const QColor& background) {
  QPalette palette = widget.palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Window, background);
    palette.setColor(group, QPalette::Base, kFieldBase);
    palette.setColor(group, QPalette::AlternateBase, background);
    palette.setColor(group, QPalette::Button, kButtonFace);
  }
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    SetBoth(palette, role, kFixedText);
    palette.setColor(QPalette::Disabled, role, kDisabledText);
  }
  // Themes lighten or darken these from the button face; a dark theme's would be dark.
  SetBoth(palette, QPalette::Light, Qt::white);
  SetBoth(palette, QPalette::Midlight, kButtonFace.lighter(105));
  SetBoth(palette, QPalette::Mid, kButtonFace.darker(130));
  SetBoth(palette, QPalette::Dark, kButtonFace.darker(150));
  palette.setColor(QPalette::PlaceholderText, kDisabledText);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

void SetFixedFieldColours(QWidget& widget, const QColor& base, const QColor& text) {
  QPalette palette = widget.palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, base);
    palette.setColor(group, QPalette::Text, text);
  }
  widget.setPalette(palette);
}

}  // namespace lum
