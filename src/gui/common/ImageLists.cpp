#include "ImageLists.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <array>

namespace lum {

namespace {
// The platform style's standard pictures stand in for the design's bitmaps.
constexpr std::array<QStyle::StandardPixmap, 9> kPictures = {
    QStyle::SP_DialogHelpButton,       // 0
    QStyle::SP_MessageBoxInformation,  // 1
    QStyle::SP_DialogOpenButton,       // 2
    QStyle::SP_DialogSaveButton,       // 3
    QStyle::SP_ComputerIcon,           // 4
    QStyle::SP_DriveNetIcon,           // 5
    QStyle::SP_ArrowDown,              // 6
    QStyle::SP_DialogApplyButton,      // 7
    QStyle::SP_BrowserReload,          // 8
};

QIcon Picture(int index) {
  if (index < 0 || index >= static_cast<int>(kPictures.size())) return {};
  return QApplication::style()->standardIcon(kPictures[static_cast<size_t>(index)]);
}
// A standard picture that fills the size it is drawn at: some come in 16 pixels only, and
// drawn in a 32-pixel place they would sit small in the middle of their button, so they are
// scaled up. Nothing is looked up or decoded before the picture is first drawn: most actions'
// pictures are seen only when a menu opens.
class FilledPictureEngine : public QIconEngine {
 public:
  explicit FilledPictureEngine(QStyle::StandardPixmap which) : which_(which) {}

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    const QIcon& picture = Picture();
    const QSize available = picture.actualSize(size, mode, state);
    if (available == size || available.isEmpty()) return picture.pixmap(size, mode, state);
    return picture.pixmap(available, mode, state).scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
  }
  QIconEngine* clone() const override { return new FilledPictureEngine(which_); }

 private:
  const QIcon& Picture() {
    if (picture_.isNull()) picture_ = QApplication::style()->standardIcon(which_);
    return picture_;
  }

  QStyle::StandardPixmap which_;
  QIcon picture_;
};

}  // namespace

QIcon ImageList32(int index) {
  if (index < 0 || index >= static_cast<int>(kPictures.size())) return {};
  return QIcon(new FilledPictureEngine(kPictures[static_cast<size_t>(index)]));
}

QIcon ImageList16(int index) {
  if (index == picture::kFileNode) return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
  return Picture(index);
}

}  // namespace lum
