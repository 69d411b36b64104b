#pragma once
// Whether the frameworks may work on threads of their own beside the caller's: decoding files
// ahead, deflating half of a large PNG. Allowed unless turned off, for this whole host process:
// a process that is one of several sharing the machine's cores (a batch worker) turns it off and
// keeps to its one core; the others' work is done on the calling thread instead, to the same
// result.

namespace ios {

void setSideThreadsAllowed(bool allowed);
bool sideThreadsAllowed();

}  // namespace ios
