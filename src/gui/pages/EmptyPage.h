#pragma once

class QWidget;

namespace lum {

/// Empties every value a page's controls show -- texts, numbers, check marks, choices, the
/// timing grid's cells and the output list -- without running their change handlers, and
/// disables the page: an entry without a known device type has no values the pages could
/// show or store.
void EmptyPage(QWidget& page);

}  // namespace lum
