#pragma once

namespace lum::sim {

/// `lum-sim make-eff OUT.eff [options]`: writes an upgrade file that the simulated loader takes
/// with its defaults, so an upgrade can be tried without a real firmware image.
int RunMakeEffMain(int argc, char** argv);

}  // namespace lum::sim
