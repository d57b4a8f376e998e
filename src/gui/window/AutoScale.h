#pragma once

class QWidget;

namespace lum {

/// Scales the fonts, fixed sizes and layout spacing of `root` and everything inside it to
/// `scale` times their sizes at the first call. Scaling from the first sizes, not from the
/// previous call's, keeps repeated scaling free of rounding drift.
void ScaleContents(QWidget& root, double scale);

}  // namespace lum
