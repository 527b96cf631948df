// Engine work run with the GIL released, safe when the interpreter exits meanwhile: a thread
// whose work ends after exit began is parked for good instead of taking the GIL back.
#ifndef PYTHON_RELEASED_GIL_H
#define PYTHON_RELEASED_GIL_H

#include <Python.h>

// The GIL back for a thread that released it; parks the thread for good when the interpreter
// has begun to exit. Never called from a destructor: when CPython ends the thread as it
// takes the GIL, the thread unwinds through here, which a noexcept frame would turn into
// std::terminate.
void take_gil_back(PyThreadState* state);

// Registers the exit hook that stops threads from taking the GIL back once exit begins.
void park_released_threads_at_exit();

// Runs `work`, which touches no Python object, with the GIL released.
template <typename Work>
void without_gil(Work&& work)
{
    PyThreadState* state = PyEval_SaveThread();
    try {
        work();
    } catch (...) {
        take_gil_back(state);
        throw;
    }
    take_gil_back(state);
}

#endif
