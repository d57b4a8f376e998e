#include "language/MessageTable.h"

#include <iterator>
#include <utility>

#include "language/MessageSlots.h"

namespace lum {

namespace {
struct BuiltInText {
  int slot;
  const char* text;
};

constexpr BuiltInText kBuiltIn[] = {
    {msg::kUnknownModel, "未知"},
    {msg::kError, "错误！"},
    {msg::kOpeningFile, "打开文件 %s ..."},
    {msg::kFileVersion, "文件版本：%s"},
    {msg::kStartUpgrade, "开始升级"},
    {msg::kDeviceModel, "设备型号：%s"},
    {msg::kFirmwareVersion, "固件版本：%d.%d.%d.%d"},
    {msg::kFileLoaded, "文件已加载，准备升级。"},
    {msg::kFileDataError, "文件数据错误！"},
    {msg::kUpgrading, "正在升级"},
    {msg::kOpeningPort, "打开%s通讯端口... "},
    {msg::kSettingPort, "设置%s通讯端口... "},
    {msg::kWaitingHardware, "等待硬件响应... "},
    {msg::kCheckingIdentity, "核对硬件身份... "},
    {msg::kUpgradeComplete, "恭喜：固件升级完成！"},
    {msg::kUpgradingFirmware, "正在升级固件... "},
    {msg::kUpdatingData, "正在更新数据... "},
    {msg::kDataCheckError, "数据校验错误！"},
    {msg::kGridTitle, "时控设置"},
    {msg::kFirstSegment, "第一段"},
    {msg::kFirstSegment + 1, "第二段"},
    {msg::kFirstSegment + 2, "第三段"},
    {msg::kFirstSegment + 3, "第四段"},
    {msg::kFifthSegment, "第五段"},
    {msg::kMorningSegment, "晨亮段"},
    {msg::kMinutesColumn, "时间(分钟)"},
    {msg::kPowerColumn, "功率0-100%"},
    {msg::kChannelItem, "第 %d 路"},
    {msg::kFileSaved, "文件%s保存成功。"},
    {msg::kMinutesUnit, "分"},
    {msg::kSecondsUnit, "秒"},
    {msg::kApplyTitle, "重要信息"},
    {msg::kApplyQuestion, "当前数据已修改，确认更新吗？"},
    {msg::kDusk, "黄昏"},
    {msg::kDawn, "黎明"},
    {msg::kNightSummary, "每夜亮灯 %s 小时，约 %s Ah"},
    {msg::kLiveData, "实时数据"},
    {msg::kBatteryVoltageLine, "蓄电池电压"},
    {msg::kSolarVoltageLine, "太阳能电压"},
    {msg::kLoadVoltageLine, "负载电压"},
    {msg::kLoadCurrentLine, "负载电流"},
    {msg::kTemperatureLine, "温度"},
    {msg::kChangesTitle, "写入前核对"},
    {msg::kChangesText, "以下设置将在控制器中改变（上次读取的值 → 将写入的值）："},
    {msg::kOpenPortCaption, "打开通讯端口"},
    {msg::kNoChange, "没有变化：控制器已保存这些设置。仍要写入吗？"},
    {msg::kClosePortCaption, "关闭通讯端口"},
    {msg::kTargetNotRead, "尚未读取同型号的控制器，无法列出变化。仍要写入吗？"},
    {msg::kChangeField, "设置"},
    {msg::kChangeBefore, "原值"},
    {msg::kChangeAfter, "新值"},
    {msg::kRestoreTitle, "从备份恢复"},
    {msg::kBackupTime, "读取时间"},
    {msg::kBackupChanges, "变化"},
    {msg::kNoBackups, "没有该控制器的备份。"},
    {msg::kDecimalSeparator, "．"},  // what a Chinese input method types in full-width mode
    {msg::kNotANumber, "%s：“%s”不是 %s 到 %s 之间的数字。请只输入数字，小数部分前用“%s”。"},
    {msg::kGridKeyRefused, "%s：只能输入 %s 到 %s 的整数，不接受“%s”。"},
    {msg::kBatteryVoltageDoubt, "%s %s V 不适合%s：应在 %s V 到 %s V 之间。"},
    {msg::kValueOutOfRange, "%s %s 超出范围 %s 到 %s。"},
    {msg::kWriteRefused, "未写入任何内容：每个值都必须在其范围内。"},
    {msg::kUnkeptChanges, "%s 的修改尚未写入控制器，也未保存到文件。仍要退出吗？"},
    {msg::kJobFileKind, "批量配置任务"},
    {msg::kUpgradeFileKind, "固件升级文件"},
    {msg::kLumFileKind, "LUM 配置文件"},
    {msg::kScaleTip, "内容随窗口宽度缩放"},
    {msg::kWriteAnyway, "仍然写入"},
    {msg::kDawnAfterDusk, "黎明（黄昏后 %s 小时）"},
    {msg::kDataFolderRefused, "数据文件夹无法使用：%s"},
    {msg::kMonitorHoldsPort, "%s 正被实时监控占用，写入无法到达该端口上的控制器。关闭该端口并写入吗？"},
    {msg::kBackupsOf, "%s 上的控制器：%s，序列号 %s"},
    {msg::kLoaderSilent, "控制器的升级程序没有按预期应答：请检查端口，并确认控制器正在等待升级。"},
    {msg::kLoaderStopped, "升级程序在第 %d 块（共 %d 块）停止应答：固件不完整，请重新升级。"},
    {msg::kLoaderOtherModel, "该控制器不是此文件所对应的型号：没有发送固件。"},
    {msg::kNotRecorded, "未记录"},
    {msg::kHeldBy, "被 %s 占用"},
    {msg::kAnotherProgram, "其他程序"},
    {msg::kBenchStopped, "工作台已停止。记录可以保存后，请重新插入每台未记录的设备："},
    {msg::kReportTitle, "调试报告"},
    {msg::kReportJob, "任务：%s"},
    {msg::kReportPrinted, "打印时间：%s"},
    {msg::kReportSerial, "序列号"},
    {msg::kReportSerial + 1, "型号"},
    {msg::kReportSerial + 2, "固件版本"},
    {msg::kReportSerial + 3, "结果"},
    {msg::kReportTime, "时间（协调世界时）"},
    {msg::kReportBattery, "蓄电池"},
    {msg::kReportBattery + 1, "欠压保护"},
    {msg::kReportBattery + 2, "光控电压"},
    {msg::kReportOutput1, "第 1 路"},
    {msg::kReportReplug, "需重新插接 (%d)：再次插接即重新写入"},
    {msg::kReportNoReplug, "没有需要重新插接的设备。"},
    {msg::kReportPage, "第 %d 页，共 %d 页"},
    {msg::kReportOutcomeDone, "完成"},
    {msg::kReportOutcomeDone + 1, "失败"},
    {msg::kReportOutcomeDone + 2, "拒绝"},
    {msg::kReportOutcomeDone + 3, "中断"},
    {msg::kReportOutcomeDone + 4, "已完成"},
    {msg::kReportOutcomeLast, "无法读取"},
    {msg::kBusGarbled, "[%s] 扫描总线 @%s:: 地址 %d 回复混乱：可能有两台控制器共用此地址"},
    {msg::kAddressTaken, "地址 %d 已有控制器回复：未作更改。"},
    {msg::kAddressSet, "控制器现在在地址 %d 回复。"},
    {msg::kAddressUnverified, "更改后地址 %d 没有回复：地址未确认。"},
    {msg::kAddressNoController, "地址 %d 没有控制器回复：未作更改。"},
    {msg::kBusLookAction, "总线：查找地址…"},
    {msg::kAssignAddressAction, "分配地址…"},
    {msg::kBusPort, "端口："},
    {msg::kBusAddressesPrompt, "要查找的地址（1 到 255，例如 1-32）："},
    {msg::kBusAddressesRefused, "“%s” 不是总线地址：请输入 1 到 255 之间的地址，例如 1-32 或 1,3,7-9。"},
    {msg::kAssignController, "控制器："},
    {msg::kAssignNewAddress, "新地址（1 到 255）："},
    {msg::kAssignAddressRefused, "“%s” 不是地址：请输入 1 到 255 之间的数字。"},
    {msg::kAssignPortClosed, "%s 无法打开：未作更改。"},
    {msg::kSharedAddress, "%s #%d：可能有两台控制器共用此地址"},
    {msg::kNoControllerToAssign, "尚未读取任何控制器：请先连接设备。"},
    {msg::kBusLookTitle, "总线：查找地址"},
    {msg::kAssignAddressTitle, "分配地址"},
    {msg::kAddressOf, "%s：%s"},
    {msg::kNightResult, "正常亮灯"},
    {msg::kNightResult + 1, "未亮灯"},
    {msg::kNightResult + 2, "因蓄电池电压低提前关灯"},
    {msg::kNightResult + 3, "无太阳能输入"},
    {msg::kNightResult + 4, "未知"},
    {msg::kAlarmName, "未亮灯"},
    {msg::kAlarmName + 1, "因蓄电池电压低提前关灯（连续 %d 夜）"},
    {msg::kAlarmName + 2, "亮灯时间超过设定"},
    {msg::kAlarmName + 3, "太阳能输入缺失"},
    {msg::kAlarmName + 4, "蓄电池衰退"},
    {msg::kAlarmName + 5, "无数据"},
    {msg::kAlarmRemedy, "请检查灯具、线缆和负载输出；若输出有电压，请更换灯具。"},
    {msg::kAlarmRemedy + 1, "蓄电池在时控程序结束前耗尽：请缩短或调暗时控程序，或增加太阳能板或蓄电池容量。"},
    {msg::kAlarmRemedy + 2, "灯具亮灯超过设定时间：请读取控制器的时控设置并重新写入。"},
    {msg::kAlarmRemedy + 3, "白天无太阳能电压：请检查太阳能板、接线和保险丝。"},
    {msg::kAlarmRemedy + 4, "蓄电池每夜储电减少：请测试其容量并计划更换。"},
    {msg::kAlarmRemedy + 5, "长时间没有数据：请检查监控、端口和控制器电源。"},
    {msg::kSeverityName, "提示"},
    {msg::kSeverityName + 1, "警告"},
    {msg::kNightsLast, "严重"},
    {msg::kNightsTitle, "夜间与报警"},
    {msg::kNightsController, "控制器："},
    {msg::kNightsAnalyse, "分析"},
    {msg::kNightsTabs, "夜间|报警|能量规划"},
    {msg::kAlarmColumns, "严重程度|报警|第一夜|最后一夜|数值|处理方法"},
    {msg::kNightsAnalysing, "正在分析 %s 的记录……"},
    {msg::kNightsSummary, "%d 夜，%d 条报警，其中 %d 条未解除"},
    {msg::kNightTip, "%s 至 %s：%s，亮灯 %s 分钟，%s Ah"},
    {msg::kNightsClickHint, "点击一夜查看其曲线。"},
    {msg::kPlanInputs, "纬度 (°)|经度 (°)|蓄电池容量 (Ah)"},
    {msg::kPlanCompute, "计算"},
    {msg::kPlanSeries, "夜长 (h)|亮灯 (h)|每夜用电 (Ah)|可用容量 (Ah)"},
    {msg::kPlanOutOfRange, "%s：“%s”不是 %s 到 %s 之间的数。"},
    {msg::kNightsNone, "没有记录"},
    {msg::kNightsFailed, "无法读取记录：%s"},
    {msg::kOpenAlarms, "未解除报警：%d"},
    {msg::kNightAxes, "电压 (V)|电流 (A)"},
    {msg::kPlanMonths, "月份"},
    {msg::kNightsNoNight, "这一夜没有记录数据。"},
    {msg::kNightsWindowLast, "当地时间"},
    {msg::kFleetColumn, "站点"},
    {msg::kFleetColumn + 1, "序列号"},
    {msg::kFleetColumn + 2, "型号"},
    {msg::kFleetColumn + 3, "状态"},
    {msg::kFleetColumn + 4, "上次轮询"},
    {msg::kFleetColumn + 5, "故障"},
    {msg::kFleetColumn + 6, "最新值"},
    {msg::kFleetOnline, "在线"},
    {msg::kFleetOffline, "离线"},
    {msg::kFleetConnecting, "正在连接 %s ..."},
    {msg::kFleetConnected, "已连接 %s"},
    {msg::kFleetRefused, "%s 拒绝了登录：%s"},
    {msg::kFleetCannotConnect, "无法连接：%s"},
    {msg::kFleetBadPort, "端口应为 1 到 65535 之间的数字。"},
    {msg::kFleetAge, "%d 秒前"},
    {msg::kFleetSummary, "%d 台控制器，%d 条消息无法识别"},
    {msg::kFleetReconnecting, "与 %s 的连接已断开，正在重连 ..."},
    {msg::kFleetPowerOnLine, "开机时间"},
    {MessageTable::kScanOpenPort, "[%s] Scan connected device:: Open port @%s."},
    {MessageTable::kWriteChecking, "[%s] Write to device:: Checking product ID ..."},
    {MessageTable::kOk, "Ok"},
    {MessageTable::kFailure, "Failure"},
};

// Texts added by different changes must not land in one slot, nor in one no file can name.
constexpr bool EachBuiltInTextHasItsOwnNamedSlot() {
  for (size_t i = 0; i < std::size(kBuiltIn); ++i) {
    const int slot = kBuiltIn[i].slot;
    const bool fixed = slot >= MessageTable::kScanOpenPort && slot <= MessageTable::kFailure;
    if (!MessageTable::IsKeyed(slot) && !fixed) return false;
    for (size_t j = i + 1; j < std::size(kBuiltIn); ++j)
      if (kBuiltIn[j].slot == slot) return false;
  }
  return true;
}
static_assert(EachBuiltInTextHasItsOwnNamedSlot(),
              "two built-in texts share a message slot, or one is in no named slot");

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
  if (!IsKeyed(n)) return;
  slots_[static_cast<size_t>(n)] = std::move(text);
}

std::string MessageTable::Key(int n) { return "Msg_" + std::to_string(n); }

}  // namespace lum
