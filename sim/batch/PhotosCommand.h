#pragma once
// flint-sim photos: a device root's photo library from outside the device, so that scenarios and
// the live view can pick real images.
//
//   flint-sim photos --root DIR add FILE…     each file as the newest photo (PNG as it is)
//   flint-sim photos --root DIR list          one line per photo: number, file, size
//   flint-sim photos --root DIR export N FILE photo N (1 is the oldest) to FILE
//
// Exit status: 0 when everything asked was done, 1 when something failed, 2 for a usage error.

#include <ostream>
#include <string>
#include <vector>

namespace flint::sim {

int runPhotosCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace flint::sim
