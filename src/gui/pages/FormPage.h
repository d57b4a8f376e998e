#pragma once

#include <QWidget>

namespace lum {

/// A page of the main window's tab widget. The form makes its pages without a parent and joins
/// each, whole, to the window afterwards; a page that started with another font than the
/// window's would then change the font of everything on it, which remakes every list's popup
/// and lays out every field's text once more. A page therefore takes the window font by class
/// from its start (SetWindowFontByClass).
class FormPage : public QWidget {
  Q_OBJECT

 public:
  explicit FormPage(QWidget* parent = nullptr);
};

}  // namespace lum
