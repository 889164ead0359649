#include "pipeline/MappedRead.h"

#include <pthread.h>

#include <csetjmp>
#include <csignal>
#include <mutex>

namespace {

thread_local sigjmp_buf* t_recovery = nullptr;
struct sigaction g_previous {};
std::once_flag g_installed;

void OnBusError(int signal, siginfo_t* info, void* context) {
    if (sigjmp_buf* recovery = t_recovery) {
        t_recovery = nullptr;
        siglongjmp(*recovery, 1);
    }
    // Not a guarded read: whatever was there before us decides.
    if ((g_previous.sa_flags & SA_SIGINFO) != 0 && g_previous.sa_sigaction != nullptr) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if ((g_previous.sa_flags & SA_SIGINFO) == 0 && g_previous.sa_handler != SIG_DFL &&
        g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
        return;
    }
    // The faulting access runs again on return and dies of the default action.
    std::signal(SIGBUS, SIG_DFL);
}

void InstallHandler() {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    // SA_NODEFER: leaving the handler by siglongjmp must not leave SIGBUS
    // blocked; the jump saves no signal mask, so that a guarded read costs
    // no system call.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previous);
}

}  // namespace

namespace detail {

bool RunGuardedMappedRead(void (*read)(void*), void* context) {
    std::call_once(g_installed, InstallHandler);
    sigjmp_buf recovery;
    sigjmp_buf* const outer = t_recovery;
    if (sigsetjmp(recovery, 0) != 0) {
        // SA_NODEFER asks for SIGBUS to stay unblocked in the handler, but a
        // runtime that wraps handlers (ThreadSanitizer's) may block it anyway;
        // left blocked, the next fault would end the program.
        sigset_t busError;
        sigemptyset(&busError);
        sigaddset(&busError, SIGBUS);
        pthread_sigmask(SIG_UNBLOCK, &busError, nullptr);
        t_recovery = outer;
        return false;
    }
    t_recovery = &recovery;
    read(context);
    t_recovery = outer;
    return true;
}

}  // namespace detail
