// Reading through a file mapping without dying when the file shrinks.
//
// Touching a mapped page past the current end of its file raises SIGBUS,
// which kills the process. The recording mapped in mapped mode is the user's
// file: another program may cut it short while we read it. Reads of mapped
// pages therefore run under a guard that turns that SIGBUS into a failed read.
#pragma once

namespace detail {
bool RunGuardedMappedRead(void (*read)(void*), void* context);
}

// Runs `read()`, which touches mapped pages. True when it ran to its end;
// false when a page could not be read because its file had been shortened
// (`read` is then left where the fault hit it: it must hold no lock and own
// nothing that needs cleaning up). A SIGBUS outside such a read still ends
// the program as it would without the guard.
template <typename Read>
bool ReadMappedPages(Read&& read) {
    return detail::RunGuardedMappedRead([](void* context) { (*static_cast<Read*>(context))(); },
                                        static_cast<void*>(&read));
}
