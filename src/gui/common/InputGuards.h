#pragma once

class QTabWidget;
class QWidget;

namespace lum {

/// Lists and spin boxes below `root` take the mouse wheel only while they have the focus, so
/// scrolling past them never changes a value by accident; a click or Tab gives them the focus.
void WheelOnlyWithFocus(QWidget& root);

/// Flat push buttons below `root` draw no focus frame: each is raised while it holds the
/// focus, so that Tab shows where it is.
void FlatButtonsShowFocus(QWidget& root);

/// Pages whose tabs are hidden can't become the current page by the wheel over the tab row,
/// by Ctrl+Tab or by anything else the user does; the page shown before stays current.
void KeepHiddenPagesAway(QTabWidget& pages);

}  // namespace lum
