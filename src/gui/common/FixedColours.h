#pragma once

#include <QColor>

class QWidget;

namespace lum {

/// Gives `widget` and everything on it a fixed background colour together with fixed text,
/// field and button colours that read well on it, so that a region drawn in the design's
/// colours stays readable under any desktop theme (a dark one included).
void SetFixedPageColours(QWidget& widget, const QColor& background);

/// A field (edit, list, memo, tree) drawn on a fixed `base` colour with fixed `text` colour,
/// enabled or not.
void SetFixedFieldColours(QWidget& widget, const QColor& base, const QColor& text);

/// The light background of the editor pages' panels.
inline constexpr QColor kPanelColour(224, 232, 240);

/// The background of the entry tree and of the live values.
inline constexpr QColor kSkyBlue(166, 202, 240);

/// The dark text that goes with the design's light fixed colours.
inline constexpr QColor kFixedText(0, 0, 0);

}  // namespace lum
