#pragma once

namespace lum::msg {

/// Message table slots that the main window's pages read.
inline constexpr int kGridTitle = 20;     // "时控设置"
inline constexpr int kFirstSegment = 21;  // "第一段" .. slot 25 "第五段"
inline constexpr int kFifthSegment = 25;
inline constexpr int kMorningSegment = 26;  // "晨亮段"
inline constexpr int kMinutesColumn = 27;   // "时间(分钟)"
inline constexpr int kPowerColumn = 28;     // "功率0-100%"
inline constexpr int kChannelItem = 30;     // "第 %d 路"
inline constexpr int kApplyTitle = 35;      // "重要信息"
inline constexpr int kApplyQuestion = 36;   // "当前数据已修改，确认更新吗？"

}  // namespace lum::msg
