#include "language/FieldCaptions.h"

namespace lum {

namespace {

// Kept equal to the window's own texts by a test of the window.
constexpr FieldComponent kFieldComponents[] = {
    {FieldId::ProductID, "grpDeviceTypes", "设备类型"}, {FieldId::BattOVP, "lblBattOVP", "过充保护电压："},
    {FieldId::BattFCV, "lblBattFCV", "浮充转换电压："}, {FieldId::BattUVP, "lblBattUVP", "过放保护电压："},
    {FieldId::BattUVR, "lblBattUVR", "过放恢复电压："}, {FieldId::SCV, "lblSCV", "光控点电压："},
    {FieldId::SCDelay, "lblSCDelay", "光控点延时："},   {FieldId::OTP, "lblOTP", "限制温度："},
    {FieldId::Mode, "grpChMode", "工作模式"},           {FieldId::CC, "lblCC", "额定负载电流："},
    {FieldId::CV, "lblLimitedV", "输出电压限制："},     {FieldId::Address, "lblAddress", "设备地址："},
};

}  // namespace

std::span<const FieldComponent> FieldComponents() { return kFieldComponents; }

std::string_view ComponentOf(FieldId field) {
  for (const FieldComponent& entry : kFieldComponents)
    if (entry.field == field) return entry.component;
  return {};
}

}  // namespace lum
