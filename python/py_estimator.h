// The estimator's calls on Network (fit, predict, predict_proba, score, last_run), set_weights,
// pickle and copy, bound on the module's Network class.
#ifndef PYTHON_PY_ESTIMATOR_H
#define PYTHON_PY_ESTIMATOR_H

#include "python/py_network.h"

// Adds the calls to `network` and the FitStep type to `module`.
void bind_estimator(py::module_& module, py::class_<PyNetwork>& network);

#endif
