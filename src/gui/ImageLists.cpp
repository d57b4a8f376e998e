#include "ImageLists.h"

#include <QApplication>
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

QIcon ImageList32(int index) { return Picture(index); }

QIcon ImageList16(int index) {
  if (index == picture::kFileNode) return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
  return Picture(index);
}

}  // namespace lum
