#include "data/NewFileBlock.h"

namespace lum {

namespace {
constexpr uint8_t kNightWorkMode = 1;
constexpr uint8_t kStartOTP = 50;
constexpr uint16_t kStartBattOVP = 14400;
constexpr uint16_t kStartBattFCV = 13800;
constexpr uint16_t kStartBattUVP = 11200;
constexpr uint16_t kStartBattUVR = 12500;
constexpr uint16_t kStartSCV = 500;
constexpr uint8_t kStartSCDelay = 30 | block_bits::kSCDelayUnit;
}  // namespace

TCONFIG_BLOCK NewFileBaseBlock() {
  TCONFIG_BLOCK block;
  block.Channel(0, 0).SetMode(kNightWorkMode);
  block.Channel(0, 1).SetMode(kNightWorkMode);
  return block;
}

TCONFIG_BLOCK NewFileStartBlock() {
  TCONFIG_BLOCK block = NewFileBaseBlock();
  block.SetOTP(kStartOTP);
  block.SetBattOVP(kStartBattOVP);
  block.SetBattFCV(kStartBattFCV);
  block.SetBattUVP(kStartBattUVP);
  block.SetBattUVR(kStartBattUVR);
  block.SetSCV(kStartSCV);
  block.SetSCDelay(kStartSCDelay);
  return block;
}

}  // namespace lum
