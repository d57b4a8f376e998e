#pragma once

namespace lum::upgrade_msg {

// Slots of the message table that loading and upgrading show.
inline constexpr int kUnknownModel = 2;        // "未知"
inline constexpr int kError = 3;               // "错误！"
inline constexpr int kOpeningFile = 4;         // "打开文件 %s ..."
inline constexpr int kFileVersion = 5;         // "文件版本：%s"
inline constexpr int kStartUpgrade = 6;        // "开始升级"
inline constexpr int kDeviceModel = 7;         // "设备型号：%s"
inline constexpr int kFirmwareVersion = 8;     // "固件版本：%d.%d.%d.%d"
inline constexpr int kFileLoaded = 9;          // "文件已加载，准备升级。"
inline constexpr int kFileDataError = 10;      // "文件数据错误！"
inline constexpr int kUpgrading = 11;          // "正在升级"
inline constexpr int kOpeningPort = 12;        // "打开%s通讯端口... "
inline constexpr int kSettingPort = 13;        // "设置%s通讯端口... "
inline constexpr int kWaitingHardware = 14;    // "等待硬件响应... "
inline constexpr int kCheckingIdentity = 15;   // "核对硬件身份... "
inline constexpr int kUpgradeComplete = 16;    // "恭喜：固件升级完成！"
inline constexpr int kUpgradingFirmware = 17;  // "正在升级固件... "
inline constexpr int kUpdatingData = 18;       // "正在更新数据... "
inline constexpr int kDataCheckError = 19;     // "数据校验错误！"

}  // namespace lum::upgrade_msg
