// Writes that a signal interrupts: the temporary files of atomic writes under way, and the
// handlers with which the tools remove them before they end.
#ifndef FILE_SYSTEM_INTERRUPTED_WRITES_H
#define FILE_SYSTEM_INTERRUPTED_WRITES_H

#include <signal.h>

// Makes every signal that ends a process by default and comes from outside it (SIGINT,
// SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGXCPU, SIGVTALRM, SIGPROF,
// SIGPOLL, SIGPWR, the real-time signals) remove the temporary files of the atomic writes
// under way and end the process with status 128 + the signal, so that the old files stay
// whole and no temporary is left; a signal the process was started ignoring stays ignored,
// and one beyond SIGINT, SIGTERM and SIGHUP that already has a handler keeps it. Makes
// SIGXFSZ ignored, so that a write beyond the file-size limit fails with its reason ("File
// too large") instead of killing the process. For programs; the library never installs it
// in its hosts.
void remove_temporaries_on_signals();

// The registry the handlers read, kept by the atomic writer. A slot is a small number, or
// no_slot when every slot is taken (the file is then written without this protection).
constexpr int no_slot = -1;
// Call with the handled signals blocked, so that a signal cannot come between the file's
// creation and its registration.
int register_temporary(const char* path);
void forget_temporary(int slot);

// Blocks the handled signals in the calling thread for its lifetime.
class HandledSignalsBlocked {
public:
    HandledSignalsBlocked();
    ~HandledSignalsBlocked();
    HandledSignalsBlocked(const HandledSignalsBlocked&) = delete;
    HandledSignalsBlocked& operator=(const HandledSignalsBlocked&) = delete;

private:
    sigset_t saved;  // the thread's signal mask before
};

#endif
