#pragma once

#include <gtest/gtest.h>

#include "data/ConfigBlock.h"
#include "link/Link.h"
#include "support/FakeClock.h"
#include "support/RecordingObserver.h"
#include "support/ScriptedPort.h"

namespace lum::test {

/// A link over a scripted port, with a fake clock and a recording observer, decoding into
/// `block`.
class ScriptedLinkTest : public ::testing::Test {
 protected:
  FakeClock clock;
  RecordingObserver observer;
  Link link{clock, observer};
  ScriptedPort port;
  TCONFIG_BLOCK block;
};

}  // namespace lum::test
