#include "OrderlyExit.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <unistd.h>
#include <wx/app.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <thread>

#include "pipeline/PendingFiles.h"

namespace ui {
namespace {

std::atomic<bool> g_requested{false};
int g_wakePipe[2] = {-1, -1};
std::function<void()> g_onSignal;

void OnExitSignal(int signal) {
    if (g_requested.exchange(true)) {
        // Asked twice: whatever the program is stuck in, the files go.
        RemovePendingFiles();
        _exit(128 + signal);
    }
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = write(g_wakePipe[1], &byte, 1);
}

// GTK ends the process when the X connection is lost (a logout); the working
// copy would stay in the temp folder for good.
int OnDisplayLost(Display*) {
    RemovePendingFiles();
    _exit(1);
}

}  // namespace

void InstallExitHandling(std::function<void()> onSignal) {
    std::signal(SIGXFSZ, SIG_IGN);
    XSetIOErrorHandler(OnDisplayLost);
    if (g_wakePipe[0] >= 0 || pipe2(g_wakePipe, O_CLOEXEC) != 0) {
        return;
    }
    g_onSignal = std::move(onSignal);
    // The handler may only write a byte; this thread hands the request to the
    // UI thread, where windows and files can be dealt with.
    std::thread([] {
        char byte = 0;
        ssize_t got = 0;
        do {
            got = read(g_wakePipe[0], &byte, 1);
        } while (got < 0 && errno == EINTR);
        if (got != 1) {
            return;
        }
        if (wxTheApp != nullptr) {
            wxTheApp->CallAfter([] { g_onSignal(); });
        }
    }).detach();
    struct sigaction action {};
    action.sa_handler = OnExitSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

bool ExitRequested() {
    return g_requested.load();
}

void ExitNow(int status) {
    RemovePendingFiles();
    _exit(status);
}

}  // namespace ui
