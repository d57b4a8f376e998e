#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

class QTabWidget;
class QWidget;

namespace lum {

/// Numeric entry fields (the "lbledt" edits and every spin box) use a fixed-pitch font of
/// `pixels`. Loading that font holds up the start while the first page shows no such field, so
/// a page's fields get it when the page is first shown, or all of them before the window's
/// contents are scaled.
class FixedPitchFields : public QObject {
 public:
  FixedPitchFields(QTabWidget& pages, int pixels);

  /// Every page's fields now, for what measures or scales them all.
  void ApplyToAll();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Apply(QWidget& page);

  std::vector<QPointer<QWidget>> waiting_;
  int pixels_;
};

}  // namespace lum
