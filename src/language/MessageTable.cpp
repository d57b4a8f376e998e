#include "language/MessageTable.h"

#include <utility>

namespace lum {

namespace {
struct BuiltInText {
  int slot;
  const char* text;
};

constexpr BuiltInText kBuiltIn[] = {
    {2, "未知"},
    {3, "错误！"},
    {4, "打开文件 %s ..."},
    {5, "文件版本：%s"},
    {6, "开始升级"},
    {7, "设备型号：%s"},
    {8, "固件版本：%d.%d.%d.%d"},
    {9, "文件已加载，准备升级。"},
    {10, "文件数据错误！"},
    {11, "正在升级"},
    {12, "打开%s通讯端口... "},
    {13, "设置%s通讯端口... "},
    {14, "等待硬件响应... "},
    {15, "核对硬件身份... "},
    {16, "恭喜：固件升级完成！"},
    {17, "正在升级固件... "},
    {18, "正在更新数据... "},
    {19, "数据校验错误！"},
    {20, "时控设置"},
    {21, "第一段"},
    {22, "第二段"},
    {23, "第三段"},
    {24, "第四段"},
    {25, "第五段"},
    {26, "晨亮段"},
    {27, "时间(分钟)"},
    {28, "功率0-100%"},
    {30, "第 %d 路"},
    {32, "文件%s保存成功。"},
    {33, "分"},
    {34, "秒"},
    {35, "重要信息"},
    {36, "当前数据已修改，确认更新吗？"},
    {48, "打开通讯端口"},
    {50, "关闭通讯端口"},
    {MessageTable::kScanOpenPort, "[%s] Scan connected device:: Open port @%s."},
    {MessageTable::kWriteChecking, "[%s] Write to device:: Checking product ID ..."},
    {MessageTable::kOk, "Ok"},
    {MessageTable::kFailure, "Failure"},
};

const std::string kEmpty;
}  // namespace

const char* MessageTable::BuiltIn(int n) {
  for (const auto& entry : kBuiltIn)
    if (entry.slot == n) return entry.text;
  return "";
}

void MessageTable::FillBuiltIn() {
  for (int n = 0; n < kSlots; ++n) slots_[static_cast<size_t>(n)] = BuiltIn(n);
}

const std::string& MessageTable::Text(int n) const {
  if (n < 0 || n >= kSlots) return kEmpty;
  return slots_[static_cast<size_t>(n)];
}

void MessageTable::SetText(int n, std::string text) {
  if (n < kFirstKeyed || n > kLastKeyed) return;
  slots_[static_cast<size_t>(n)] = std::move(text);
}

std::string MessageTable::Key(int n) { return "Msg_" + std::to_string(n); }

}  // namespace lum
