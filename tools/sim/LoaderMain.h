#pragma once

namespace lum::sim {

/// `lum-sim loader [options]`: runs a simulated loader on a pseudo-terminal, prints the device
/// path to open, and on SIGINT or SIGTERM prints what it received. argv[0] names the command
/// (lum-sim passes its arguments from "loader" on). Returns the process exit status.
int RunLoaderMain(int argc, char** argv);

}  // namespace lum::sim
