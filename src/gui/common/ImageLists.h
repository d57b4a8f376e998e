#pragma once

#include <QIcon>

namespace lum {

/// Pictures of the tool bar and actions (32 x 32), by the design's picture index:
/// 0 help, 1 about, 2 open, 3 save, 4 connect, 6 write, 7 exit/write, 8 upgrade/scale.
QIcon ImageList32(int index);
/// Pictures of the device tree (16 x 16): 2 a file node, 4 a device node.
QIcon ImageList16(int index);

namespace picture {
inline constexpr int kFileNode = 2;
inline constexpr int kDeviceNode = 4;
}  // namespace picture

}  // namespace lum
