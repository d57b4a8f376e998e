#include "PortList.h"

namespace lum {

void PortList::SetPorts(const std::vector<std::string>& names, const std::string& preferred) {
  const QString chosen = currentText();
  clear();
  for (const std::string& name : names) addItem(QString::fromStdString(name));
  int kept = findText(chosen);
  if (kept < 0) kept = findText(QString::fromStdString(preferred));
  setCurrentIndex(kept >= 0 ? kept : (count() > 0 ? 0 : -1));
}

void PortList::showPopup() {
  if (open_handler_) open_handler_();
  QComboBox::showPopup();
}

}  // namespace lum
