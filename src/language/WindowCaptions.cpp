#include "language/WindowCaptions.h"

#include <array>

#include "language/LanguageKeys.h"

namespace lum {

namespace {

// Kept equal to the window's own texts by a test of the window.
constexpr std::array<BuiltInCaption, 20> kBuiltIn{{
    {"grpDeviceTypes", "设备类型"},
    {"lblBattOVP", "过充保护电压："},
    {"lblBattFCV", "浮充转换电压："},
    {"lblBattUVP", "过放保护电压："},
    {"lblBattUVR", "过放恢复电压："},
    {"lblSCV", "光控点电压："},
    {"lblSCDelay", "光控点延时："},
    {"chkATC", "电池充电启用温度补偿"},
    {"lblOTP", "限制温度："},
    {"grpChMode", "工作模式"},
    {"chkLoopMode", "循环工作"},
    {"chkPWMDIM", "PWM调光"},
    {"lblCC", "额定负载电流："},
    {"lblLimitedV", "输出电压限制："},
    {"chkEnergySaving", "电池电量低时自动降低负载功率"},
    {"chkMI", "启用MI 扩展功能"},
    {"rbRainDetect", "雨控检测，下雨时关闭负载"},
    {"rbPIR", "感应亮灯，普通型控制器需开启PWM调光"},
    {"chkIRReceiver", "红外遥控接收器"},
    {"lblAddress", "设备地址："},
}};

constexpr std::string_view kWideColon = "：";

}  // namespace

std::span<const BuiltInCaption> FieldCaptions() { return kBuiltIn; }

std::string WindowCaption(const ProfileFile& language, std::string_view component) {
  std::string_view builtIn;
  for (const BuiltInCaption& entry : kBuiltIn)
    if (entry.component == component) builtIn = entry.caption;
  return language.ReadOr(language_keys::kStrings, CaptionKey(kMainWindowName, component), builtIn);
}

std::string WithoutColon(std::string caption) {
  for (;;) {
    if (caption.ends_with(':'))
      caption.pop_back();
    else if (caption.ends_with(kWideColon))
      caption.resize(caption.size() - kWideColon.size());
    else
      break;
  }
  while (!caption.empty() && caption.back() == ' ') caption.pop_back();
  return caption;
}

}  // namespace lum
