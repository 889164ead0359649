// Tells a working copy in use from one left behind by a run that died (killed
// hard, a crash): the run that owns a working copy holds an exclusive flock on
// it while it exists. The lock goes with the process, however it ends.
#pragma once

#include <string>

// Opens `path` and takes the lock; the descriptor to close when the copy is
// deleted, or -1 when it cannot be opened or someone else holds the lock.
int LockWorkingCopy(const std::string& path);

// Removes from `folder` the working copies ("_te??????.tmp" holding a WAV
// header, owned by this user, unchanged for a minute) that no live run holds
// the lock of. Returns how many were removed.
int RemoveStaleWorkingCopies(const std::string& folder);
