#include "platform/signals.h"

#include "platform/exit.h"
#include "platform/music.h"

#include <cerrno>
#include <csignal>
#include <initializer_list>
#include <unistd.h>

static volatile sig_atomic_t demo_signal_caught;

static void demo_signal_handler(int signo)
{
    if (demo_signal_caught) {
        // Asked twice: the safe point has not come, so end now (the child knows already).
        std::signal(signo, SIG_DFL);
        raise(signo);
        return;
    }
    const int saved_errno = errno;
    demo_signal_caught = signo;
    music_tell_child_to_quit();
    errno = saved_errno;
}

void demo_signals_install()
{
    struct sigaction action = {};
    action.sa_handler = demo_signal_handler;
    // No SA_RESTART: a prompt waiting for its answer must see the interruption.
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&action.sa_mask, s);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        // What the shell had us ignore (nohup, a background job) stays ignored.
        struct sigaction previous;
        if (sigaction(s, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            sigaction(s, &action, nullptr);
    }
}

bool demo_signals_caught()
{
    return demo_signal_caught != 0;
}

void demo_signals_check()
{
    if (demo_signal_caught) demo_exit(0);
}

void demo_signals_resend()
{
    const int signo = demo_signal_caught;
    if (signo == 0) return;
    std::signal(signo, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signo);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(signo);
    _exit(128 + signo);
}
