// The folder of this user's own sockets and locks (the debug channel, the single-instance
// lock). Nothing in it may be reachable by another user of the machine: a name another user
// can create or hold would let them listen to the program or keep it from starting.
#pragma once

#include <string>

namespace reelkeep {

// $XDG_RUNTIME_DIR when it is a folder of this user that no one else may write to; otherwise
// "<temporary folder>/reelkeep-<user id>/", created with mode 0700 when `create` is set and
// used only when it is a real folder (not a link) of this user that no one else may write to.
// Ends in "/". Empty when there is none: a folder of that name made by another user is refused.
std::string PrivateRuntimeFolder(bool create);

// True for a folder (not a link to one) owned by this user and writable by no one else.
bool IsPrivateFolder(const std::string& path);

}  // namespace reelkeep
