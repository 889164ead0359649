// How the program ends when it is told to from outside: SIGTERM, SIGINT and
// SIGHUP (kill, Ctrl-C, a logout) end it in order - playback stopped, a
// running job cancelled, the working copy and any half-written save removed,
// the window placement stored, status 0 - and asking nothing, since nobody may
// be there to answer. A second signal removes the temporary files and exits
// at once. Losing the X display removes them too. SIGXFSZ is ignored, so a
// write over the file-size limit fails with EFBIG and is reported like a full
// disk instead of killing the program with the unsaved result.
#pragma once

#include <functional>

namespace ui {

// Installs the handlers; `onSignal` runs on the UI thread after the first
// signal. Call once, on the UI thread, after the display is open.
void InstallExitHandling(std::function<void()> onSignal);
// True once an exit signal arrived: questions are not asked any more.
bool ExitRequested();
// Removes the temporary files and ends the process with `status` at once.
[[noreturn]] void ExitNow(int status);

}  // namespace ui
