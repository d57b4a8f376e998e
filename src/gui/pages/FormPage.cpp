#include "FormPage.h"

namespace lum {

// The base class looked the font up for a plain widget; now it is looked up for a page.
FormPage::FormPage(QWidget* parent) : QWidget(parent) { setFont(QFont()); }

}  // namespace lum
