#include "interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void OnStopSignal(int signal)
{
    g_signal = signal;
}

}  // namespace

void InstallInterruptHandlers()
{
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // writes go on; the loop looks at the flag between frames
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}

int InterruptSignal()
{
    return g_signal;
}
