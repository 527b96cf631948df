// The registry of temporary files under way and the signal handlers that remove them; only
// async-signal-safe calls run in a handler, and the registry's slots are lock-free atomics.
#include "file_system/interrupted_writes.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <iterator>

#include <pthread.h>
#include <unistd.h>

namespace {

// One slot per write that can be under way at once: the tools write one file at a time,
// a host program a few from its threads.
constexpr int slot_count = 8;
// The signals that end a process by default and come from outside it: a user's keys, kill,
// timers, a closed pipe, limits. Faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP,
// SIGSYS) stay with their default or with a sanitizer's handler, which report where they
// happened; the real-time signals, which end a process too, are added from SIGRTMIN on.
// The graphics library catches SIGINT, SIGTERM and SIGQUIT to shut itself down, leaving a
// save's temporary behind: these are taken over from it; the others only while they have
// their default action, so that a handler someone relies on stays.
constexpr int taken_over_signals[] = {SIGHUP, SIGINT, SIGTERM, SIGQUIT};
constexpr int handled_signals[] = {
    SIGHUP, SIGINT, SIGTERM, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGXCPU, SIGVTALRM, SIGPROF,
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};
// The conventional status of a program ended by a signal.
constexpr int signal_status_base = 128;

enum SlotState : int { slot_free, slot_filling, slot_ready };

struct Slot {
    std::atomic<int> state{slot_free};
    char path[PATH_MAX];
};

Slot slots[slot_count];

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots");

extern "C" void remove_temporaries_and_end(int signal)
{
    for (Slot& slot : slots) {
        if (slot.state.load() == slot_ready)
            unlink(slot.path);
    }
    _exit(signal_status_base + signal);
}

// Calls `act` with every handled signal.
template <typename Act>
void for_each_handled_signal(Act act)
{
    for (int signal : handled_signals)
        act(signal);
#ifdef SIGRTMIN
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        act(signal);
#endif
}

sigset_t handled_set()
{
    sigset_t set;
    sigemptyset(&set);
    for_each_handled_signal([&set](int signal) { sigaddset(&set, signal); });
    return set;
}

}  // namespace

void remove_temporaries_on_signals()
{
    for_each_handled_signal([](int signal) {
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        const bool at_default = (previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_DFL;
        const bool ignored = (previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN;
        const bool taken_over = std::find(std::begin(taken_over_signals), std::end(taken_over_signals), signal) !=
                                std::end(taken_over_signals);
        // Ignored when started under nohup or the like: the user asked for it.
        if (ignored || (!at_default && !taken_over))
            return;
        struct sigaction action {};
        action.sa_handler = remove_temporaries_and_end;
        sigfillset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    });
    std::signal(SIGXFSZ, SIG_IGN);
}

int register_temporary(const char* path)
{
    const std::size_t length = std::strlen(path);
    if (length >= PATH_MAX)
        return no_slot;
    for (int index = 0; index < slot_count; ++index) {
        int expected = slot_free;
        if (!slots[index].state.compare_exchange_strong(expected, slot_filling))
            continue;
        std::memcpy(slots[index].path, path, length + 1);
        slots[index].state.store(slot_ready);
        return index;
    }
    return no_slot;
}

void forget_temporary(int slot)
{
    if (slot != no_slot)
        slots[slot].state.store(slot_free);
}

HandledSignalsBlocked::HandledSignalsBlocked()
{
    const sigset_t set = handled_set();
    pthread_sigmask(SIG_BLOCK, &set, &saved);
}

HandledSignalsBlocked::~HandledSignalsBlocked()
{
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
}
