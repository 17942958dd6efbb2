#pragma once
// The drivesim command line, callable in-process (tests) and from main().
#include <ostream>
#include <string>
#include <vector>

namespace sim {

// Runs one drivesim command (arguments without the program name). Returns the exit code:
// 0 done, 1 the command failed, 2 bad usage.
int RunDriveSim(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace sim
