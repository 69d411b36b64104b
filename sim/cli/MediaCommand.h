#pragma once
// `flint-sim media [--backend host|simulated] [--root DIR] [--bus ADDRESS] [--send play-pause|next|previous]`:
// prints what the now-playing service's back end sees (the players, the current one, its title,
// artist, artwork and whether it plays) and can send it a transport command, printing what it
// sees once the command has had its effect.

#include <iosfwd>
#include <string>
#include <vector>

namespace flint::sim {

// The options after the command's name. Returns the exit status.
int runMedia(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace flint::sim
