#pragma once
// `flint-sim netinfo [--backend host|simulated] [--root DIR] [--map en0=IF]...`: prints the
// answer of every device query and every network-information operation, one per line.

#include <iosfwd>
#include <string>
#include <vector>

// argv[0] is the command's own name; the options follow. Returns the exit status.
int runNetInfo(int argc, char** argv);
int runNetInfo(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
