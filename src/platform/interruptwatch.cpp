#include "platform/interruptwatch.h"

#include <csignal>

namespace tv {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
struct sigaction g_previous;

extern "C" void markInterrupted(int)
{
    g_interrupted = 1;
}

} // namespace

InterruptWatch::InterruptWatch(std::function<void()> interrupted)
    : m_callback(std::move(interrupted))
{
    g_interrupted = 0;
    struct sigaction action = {};
    action.sa_handler = markInterrupted;
    sigemptyset(&action.sa_mask);
    // The next Ctrl-C, should the user not want to wait, ends the program as usual.
    action.sa_flags = SA_RESETHAND;
    struct sigaction previous = {};
    // A caller that ignores SIGINT (nohup, a background job) keeps ignoring it.
    if (sigaction(SIGINT, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN &&
        sigaction(SIGINT, &action, &g_previous) == 0)
        m_installed = true;
    // A signal handler may not call into Qt; the flag is looked at a few times a second.
    connect(&m_timer, &QTimer::timeout, this, &InterruptWatch::poll);
    m_timer.start(50);
}

InterruptWatch::~InterruptWatch()
{
    if (m_installed)
        sigaction(SIGINT, &g_previous, nullptr);
}

bool InterruptWatch::interrupted() const
{
    return g_interrupted != 0;
}

void InterruptWatch::poll()
{
    if (!interrupted() || m_told)
        return;
    m_told = true;
    m_timer.stop();
    if (m_callback)
        m_callback();
}

} // namespace tv
