// Threads that work with the GIL released while the interpreter exits: an exit hook marks the
// exit and waits for the threads already taking the GIL back; later ones park, as CPython
// would end them at the GIL anyway, by an unwinding that C++ frames cannot all survive.
#include "python/released_gil.h"

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Set once by the exit hook, which the interpreter runs before it stops other threads.
std::atomic<bool> exiting{false};
// The thread that runs the exit hook and the rest of the exit: it never parks.
std::thread::id exiting_thread;
// Threads between checking `exiting` and holding the GIL again.
std::atomic<int> taking_back{0};

constexpr std::chrono::milliseconds exit_poll{1};
constexpr std::chrono::hours parked_sleep{1};

[[noreturn]] void park()
{
    for (;;)
        std::this_thread::sleep_for(parked_sleep);
}

// Both sides announce themselves before looking at the other (sequentially consistent), so
// a thread either sees the exit and parks or is waited for until it holds the GIL.
void mark_exit()
{
    exiting_thread = std::this_thread::get_id();
    exiting = true;
    PyThreadState* state = PyEval_SaveThread();
    while (taking_back > 0)
        std::this_thread::sleep_for(exit_poll);
    PyEval_RestoreThread(state);
}

}  // namespace

void take_gil_back(PyThreadState* state)
{
    ++taking_back;
    if (exiting && std::this_thread::get_id() != exiting_thread) {
        --taking_back;
        park();
    }
    PyEval_RestoreThread(state);
    --taking_back;
}

void park_released_threads_at_exit()
{
    namespace py = pybind11;
    py::module_::import("atexit").attr("register")(py::cpp_function(&mark_exit));
}
