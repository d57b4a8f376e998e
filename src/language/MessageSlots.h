#pragma once

/// Named slots of the message table (keys "Msg_" + slot). The fixed English slots 64..67
/// are named in MessageTable. Slots 59..63 and 100..399 are free for new texts.
namespace lum::msg {

// Loading and sending an upgrade file.
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

// The main window's pages.
inline constexpr int kGridTitle = 20;     // "时控设置"
inline constexpr int kFirstSegment = 21;  // "第一段" .. slot 25 "第五段"
inline constexpr int kFifthSegment = 25;
inline constexpr int kMorningSegment = 26;      // "晨亮段"
inline constexpr int kMinutesColumn = 27;       // "时间(分钟)"
inline constexpr int kPowerColumn = 28;         // "功率0-100%"
inline constexpr int kChannelItem = 30;         // "第 %d 路"
inline constexpr int kFileSaved = 32;           // "文件%s保存成功。"
inline constexpr int kMinutesUnit = 33;         // "分", shown nowhere
inline constexpr int kSecondsUnit = 34;         // "秒", the caption of btnSCDelayUnit
inline constexpr int kApplyTitle = 35;          // "重要信息"
inline constexpr int kApplyQuestion = 36;       // "当前数据已修改，确认更新吗？"
inline constexpr int kDusk = 37;                // "黄昏", start of the night profile's timeline
inline constexpr int kDawn = 38;                // "黎明", its end
inline constexpr int kNightSummary = 39;        // "每夜亮灯 %s 小时，约 %s Ah"
inline constexpr int kLiveData = 40;            // "实时数据", the chart's live source
inline constexpr int kBatteryVoltageLine = 41;  // "蓄电池电压", the chart's lines
inline constexpr int kSolarVoltageLine = 42;    // "太阳能电压"
inline constexpr int kLoadVoltageLine = 43;     // "负载电压"
inline constexpr int kLoadCurrentLine = 44;     // "负载电流"
inline constexpr int kTemperatureLine = 45;     // "温度"
inline constexpr int kChangesTitle = 46;        // "写入前核对", the change view before a write
inline constexpr int kChangesText = 47;         // the sentence above its list
inline constexpr int kOpenPortCaption = 48;
inline constexpr int kNoChange = 49;  // "没有变化：控制器已保存这些设置。"     // "打开通讯端口"
inline constexpr int kClosePortCaption = 50;  // "关闭通讯端口"
inline constexpr int kTargetNotRead = 51;     // no controller of the product was read
inline constexpr int kChangeField = 52;       // the change view's columns: "设置"
inline constexpr int kChangeBefore = 53;      // "原值"
inline constexpr int kChangeAfter = 54;
inline constexpr int kRestoreTitle = 55;   // "从备份恢复"
inline constexpr int kBackupTime = 56;     // its columns: "读取时间"
inline constexpr int kBackupChanges = 57;  // "变化"
inline constexpr int kNoBackups = 58;      // "没有该控制器的备份。"       // "新值"

// Typed numbers.
inline constexpr int kDecimalSeparator = 100;     // taken beside "." before the decimals
inline constexpr int kNotANumber = 101;           // a text field's text is refused
inline constexpr int kGridKeyRefused = 102;       // a key typed into the timing grid is refused
inline constexpr int kBatteryVoltageDoubt = 103;  // a voltage far from the battery type's

// Values outside their fields' ranges.
inline constexpr int kValueOutOfRange = 104;  // "%s %s 超出范围 %s 到 %s。"
inline constexpr int kWriteRefused = 105;     // a write refused for them sent nothing

// Busy ports, the restore list's controller and broken-off upgrades.
inline constexpr int kMonitorHoldsPort = 120;  // the live monitor holds the port a write needs: close it?
inline constexpr int kBackupsOf = 121;         // the restore list's controller: port, model, serial number
inline constexpr int kLoaderSilent = 122;      // why an upgrade ended: the loader did not answer as expected
inline constexpr int kLoaderStopped = 123;     // the loader stopped answering at block %d of %d
inline constexpr int kLoaderOtherModel = 124;  // the controller is not the model of the file

// Quitting with entries whose changes were neither saved nor written: quit anyway?
inline constexpr int kUnkeptChanges = 140;
// The kinds of file the file dialogs offer, before their patterns.
inline constexpr int kJobFileKind = 141;      // "批量配置任务"
inline constexpr int kUpgradeFileKind = 142;  // "固件升级文件"
inline constexpr int kLumFileKind = 143;      // "LUM 配置文件"
inline constexpr int kScaleTip = 144;         // the scale button's tip

// The change view's button, the night profile's end, the options (slots 190..219).
inline constexpr int kWriteAnyway = 190;        // "仍然写入", the button when nothing is listed
inline constexpr int kDawnAfterDusk = 191;      // "黎明（黄昏后 %s 小时）"
inline constexpr int kDataFolderRefused = 192;  // "数据文件夹无法使用：%s"

// The provisioning window.
inline constexpr int kNotRecorded = 220;     // "未记录", after a unit's result
inline constexpr int kBenchStopped = 221;    // "工作台已停止……", above the units not recorded
inline constexpr int kHeldBy = 222;          // "被 %s 占用", a port another program holds
inline constexpr int kAnotherProgram = 223;  // "其他程序", the holder when it cannot be seen

// The commissioning report and the unit labels.
inline constexpr int kReportTitle = 290;        // "调试报告"
inline constexpr int kReportJob = 291;          // "任务：%s"
inline constexpr int kReportPrinted = 292;      // "打印时间：%s"
inline constexpr int kReportSerial = 293;       // the columns: "序列号" ..
inline constexpr int kReportTime = 297;         // .. "时间（协调世界时）"
inline constexpr int kReportBattery = 298;      // the key values' columns: "蓄电池" ..
inline constexpr int kReportOutput1 = 301;      // .. "第 1 路"
inline constexpr int kReportReplug = 302;       // "需重新插接 (%d)：..."
inline constexpr int kReportNoReplug = 303;     // "没有需要重新插接的设备。"
inline constexpr int kReportPage = 304;         // "第 %d 页，共 %d 页"
inline constexpr int kReportOutcomeDone = 305;  // the results, in the order of the records' ..
inline constexpr int kReportOutcomeLast = 310;  // .. "无法读取"

// The fleet a broker tells of (Tools → Fleet).
inline constexpr int kFleetColumn = 311;         // the columns: "站点" .. slot 317 "状态"
inline constexpr int kFleetOnline = 318;         // "在线"
inline constexpr int kFleetOffline = 319;        // "离线"
inline constexpr int kFleetConnecting = 390;     // "正在连接 %s ..."
inline constexpr int kFleetConnected = 391;      // "已连接 %s"
inline constexpr int kFleetRefused = 392;        // "%s 拒绝了登录：%s"
inline constexpr int kFleetCannotConnect = 393;  // "无法连接：%s"
inline constexpr int kFleetBadPort = 394;        // "端口应为 1 到 65535 之间的数字。"
inline constexpr int kFleetAge = 395;            // "%d 秒前"
inline constexpr int kFleetSummary = 396;        // "%d 台控制器，%d 条消息无法识别"
inline constexpr int kFleetReconnecting = 397;   // "与 %s 的连接已断开，正在重连 ..."
inline constexpr int kFleetPowerOnLine = 398;    // "开机时间", beside the chart's lines

// Several controllers on one line.
inline constexpr int kBusGarbled = 320;    // "... 地址 %d 回复混乱：可能有两台控制器共用此地址"
inline constexpr int kAddressTaken = 321;  // "地址 %d 已有控制器回复：未作更改"
inline constexpr int kAddressSet = 322;    // "控制器现在在地址 %d 回复"
inline constexpr int kAddressUnverified = 323;    // "更改后地址 %d 没有回复"
inline constexpr int kAddressNoController = 324;  // "地址 %d 没有控制器回复"
inline constexpr int kBusLookAction = 325;        // "总线：查找地址…"
inline constexpr int kAssignAddressAction = 326;  // "分配地址…"
inline constexpr int kBusPort = 327;              // "端口："
inline constexpr int kBusAddressesPrompt = 328;   // "要查找的地址（1 到 255，例如 1-32）："
inline constexpr int kBusAddressesRefused =
    329;  // "“%s” 不是总线地址：请输入 1 到 255 之间的地址，例如 1-32 或 1,3,7-9。"
inline constexpr int kAssignController = 330;      // "控制器："
inline constexpr int kAssignNewAddress = 331;      // "新地址（1 到 255）："
inline constexpr int kAssignAddressRefused = 332;  // "“%s” 不是地址：请输入 1 到 255 之间的数字。"
inline constexpr int kAssignPortClosed = 333;      // "%s 无法打开：未作更改。"
inline constexpr int kSharedAddress = 334;         // "%s #%d：可能有两台控制器共用此地址"
inline constexpr int kNoControllerToAssign = 335;  // "尚未读取任何控制器：请先连接设备。"
inline constexpr int kBusLookTitle = 336;          // "总线：查找地址"
inline constexpr int kAssignAddressTitle = 337;    // "分配地址"
inline constexpr int kAddressOf = 338;             // "%s：%s"
// Nights and alarms read from recordings.
inline constexpr int kNightResult = 340;   // a night's result: "正常亮灯" .. slot 344 "未知"
inline constexpr int kAlarmName = 345;     // an alarm, in the order of AlarmKind: "未亮灯" ..
inline constexpr int kAlarmRemedy = 351;   // what to do about it, in the same order
inline constexpr int kSeverityName = 357;  // "提示", "警告", "严重"
inline constexpr int kNightsLast = 359;
// The Nights window.
inline constexpr int kNightsTitle = 360;       // the Nights window: "夜间与报警"
inline constexpr int kNightsController = 361;  // "控制器："
inline constexpr int kNightsAnalyse = 362;     // "分析"
inline constexpr int kNightsTabs = 363;        // its pages, "|" between: "夜间|报警|能量规划"
inline constexpr int kAlarmColumns = 364;      // the alarm list's columns, "|" between
inline constexpr int kNightsAnalysing = 365;   // "正在分析 %s 的记录……"
inline constexpr int kNightsSummary = 366;     // "%d 夜，%d 条报警，其中 %d 条未解除"
inline constexpr int kNightTip = 367;          // a calendar cell's tip: dusk, dawn, result, minutes, Ah
inline constexpr int kNightsClickHint = 368;   // "点击一夜查看其曲线。"
inline constexpr int kPlanInputs = 369;        // the planner's fields, "|" between
inline constexpr int kPlanCompute = 370;       // "计算"
inline constexpr int kPlanSeries = 371;        // the planner's series, "|" between
inline constexpr int kPlanOutOfRange = 372;    // "%s：“%s”不是 %s 到 %s 之间的数。"
inline constexpr int kNightsNone = 373;        // "没有记录"
inline constexpr int kNightsFailed = 374;      // "无法读取记录：%s"
inline constexpr int kOpenAlarms = 375;        // the main window's status bar: "未解除报警：%d"
inline constexpr int kNightAxes = 376;         // the night chart's axes, "|" between
inline constexpr int kPlanMonths = 377;        // the planner's month axis: "月份"
inline constexpr int kNightsNoNight = 378;     // "这一夜没有记录数据。"
inline constexpr int kNightsWindowLast = 379;  // the night chart's time axis: "当地时间"

}  // namespace lum::msg
