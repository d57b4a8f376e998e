#include "language/WindowCaptions.h"

#include <array>

#include "language/FieldCaptions.h"
#include "language/LanguageKeys.h"

namespace lum {

namespace {

// Kept equal to the window's own texts by a test of the window; the captions of the
// components that name a field are with FieldComponents.
constexpr std::array<BuiltInCaption, 8> kBuiltIn{{
    {"chkATC", "电池充电启用温度补偿"},
    {"chkLoopMode", "循环工作"},
    {"chkPWMDIM", "PWM调光"},
    {"chkEnergySaving", "电池电量低时自动降低负载功率"},
    {"chkMI", "启用MI 扩展功能"},
    {"rbRainDetect", "雨控检测，下雨时关闭负载"},
    {"rbPIR", "感应亮灯，普通型控制器需开启PWM调光"},
    {"chkIRReceiver", "红外遥控接收器"},
}};

constexpr std::string_view kWideColon = "：";

}  // namespace

std::span<const BuiltInCaption> FieldCaptions() { return kBuiltIn; }

std::string WindowCaption(const ProfileFile& language, std::string_view component) {
  std::string_view builtIn;
  for (const FieldComponent& entry : FieldComponents())
    if (entry.component == component) builtIn = entry.caption;
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
