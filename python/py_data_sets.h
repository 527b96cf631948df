// neural_creatures.data_set: the engine's classroom data sets as NumPy arrays.
#ifndef PYTHON_PY_DATA_SETS_H
#define PYTHON_PY_DATA_SETS_H

#include <pybind11/pybind11.h>

// Adds data_set(name, points=200, noise=0.0, seed=0) to the module.
void add_data_set_function(pybind11::module_& module);

#endif
