// neural_creatures.data_set: the arguments checked as the module checks every number, the
// set made by the engine, and its values copied into two arrays.
#include "python/py_data_sets.h"

#include "engine/data_sets.h"
#include "python/python_arguments.h"

#include <algorithm>

namespace {

constexpr long long default_points = 200;
constexpr long long highest_seed = 4294967295LL;

constexpr const char* data_set_doc =
    "One of the classroom data sets, made from a seed: (inputs, targets), inputs a float64 array of "
    "shape (points, 2) with values in 0..1, targets one of shape (points, 1) holding the class, 0 or 1; "
    "point i is of class i % 2.\n\n"
    "  name    \"xor\" (four clusters at the corners), \"circle\" (a disc inside a ring), \"gaussians\" "
    "(two normal clouds) or \"spirals\" (two interleaved spirals)\n"
    "  points  1 to 1000000\n"
    "  noise   0 to 0.5: each input is shifted by noise times a normal draw, then clamped to 0..1\n"
    "  seed    0 to 2**32 - 1\n\n"
    "The same arguments give the same values to the bit on every platform, in net_train "
    "--write-data-set and in the page. Raises ValueError for an unknown name or an argument out of "
    "range, TypeError for one of the wrong type.";

py::tuple data_set(const std::string& name, const py::handle& points, const py::handle& noise, const py::handle& seed)
{
    const long long count = integer_argument(points, "points", 1, data_set_max_points);
    const double level = real_argument(noise, "noise", RealRange::not_negative);
    const long long seed_value = integer_argument(seed, "seed", 0, highest_seed);
    DataSet data;
    std::string problem;
    if (!make_data_set(name, count, level, static_cast<std::uint32_t>(seed_value), data, problem))
        raise_python(PyExc_ValueError, problem);
    const py::ssize_t rows = static_cast<py::ssize_t>(data.targets.size());
    py::array_t<double> inputs({rows, static_cast<py::ssize_t>(data_set_input_count)});
    py::array_t<double> targets({rows, static_cast<py::ssize_t>(1)});
    std::copy(data.inputs.begin(), data.inputs.end(), inputs.mutable_data());
    std::copy(data.targets.begin(), data.targets.end(), targets.mutable_data());
    return py::make_tuple(inputs, targets);
}

}  // namespace

void add_data_set_function(py::module_& module)
{
    module.def("data_set", &data_set, py::arg("name"), py::arg("points") = default_points,
               py::arg("noise") = 0.0, py::arg("seed") = 0, data_set_doc);
}
