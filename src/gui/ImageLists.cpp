#include "ImageLists.h"

#include <QApplication>
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
}  // namespace

QIcon ImageList32(int index) {
  // Some standard pictures come in 16 pixels only; drawn in a 32-pixel place they would sit
  // small in the middle of their button, so they are scaled up.
  constexpr QSize kSize(32, 32);
  const QIcon picture = Picture(index);
  if (picture.isNull() || picture.actualSize(kSize) == kSize) return picture;
  return QIcon(picture.pixmap(picture.actualSize(kSize)).scaled(kSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

QIcon ImageList16(int index) {
  if (index == picture::kFileNode) return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
  return Picture(index);
}

}  // namespace lum
