// Conversions from Python values with Python's own exceptions, and OSErrors that carry errno
// and the file name the way the os module's do.
#include "python/python_arguments.h"

#include "engine/input_file.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// errno values strerror knows; the engine's writer reports only the text.
constexpr int highest_errno = 200;

std::string type_name(const py::handle& value)
{
    return py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>();
}

[[noreturn]] void raise_os_error(int error_number, const py::handle& path)
{
    errno = error_number;
    PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path.ptr());
    throw py::error_already_set();
}

// An OSError whose errno is None, with the reason and the file name where the os module's
// errors carry them, so that str() reads "[Errno None] reason: 'name'".
[[noreturn]] void raise_os_error_without_errno(const std::string& reason, const py::handle& path)
{
    py::object error = py::reinterpret_borrow<py::object>(PyExc_OSError)(py::none(), reason, path);
    PyErr_SetObject(PyExc_OSError, error.ptr());
    throw py::error_already_set();
}

}  // namespace

PyObject* network_file_warning()
{
    // Made on the first call, which the module's set-up makes, and kept for the process.
    static PyObject* const category = PyErr_NewExceptionWithDoc(
        "neural_creatures.NetworkFileWarning",
        "A value a network file or table is read with that its author probably did not mean.", PyExc_UserWarning,
        nullptr);
    return category;
}

void warn_about_file(const std::string& message)
{
    if (PyErr_WarnEx(network_file_warning(), message.c_str(), 1) != 0)
        throw py::error_already_set();
}

void raise_python(PyObject* type, const std::string& message)
{
    PyErr_SetString(type, message.c_str());
    throw py::error_already_set();
}

bool is_path(const py::handle& value)
{
    return PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr()) ||
           py::hasattr(value, "__fspath__");
}

std::string path_bytes(const py::handle& path)
{
    const std::string bytes = py::module_::import("os").attr("fsencode")(path).cast<std::string>();
    if (bytes.find('\0') != std::string::npos)
        raise_python(PyExc_ValueError, "embedded null byte");
    return bytes;
}

std::string path_text(const py::handle& path)
{
    return py::str(py::module_::import("os").attr("fsdecode")(path)).cast<std::string>();
}

void require_readable_file(const std::string& name, const py::handle& path)
{
    const int problem = readable_file_problem(name.c_str());
    if (problem == 0)
        return;
    if (problem != not_a_regular_file)
        raise_os_error(problem, path);
    // No errno says "not a regular file"; Python's open() would block or never end.
    raise_os_error_without_errno("not a regular file (a pipe, device or socket cannot be read as a network "
                                 "file)", path);
}

void raise_write_error(const std::string& reason, const py::handle& path)
{
    for (int error_number = 1; error_number <= highest_errno; ++error_number)
        if (reason == std::strerror(error_number))
            raise_os_error(error_number, path);
    raise_os_error_without_errno("cannot write: " + reason, path);
}

long long integer_argument(const py::handle& value, const char* what, long long low, long long high)
{
    if (PyBool_Check(value.ptr()) || !PyIndex_Check(value.ptr()))
        throw py::type_error(std::string(what) + " must be an integer, not " + type_name(value));
    py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
    if (!index)
        throw py::error_already_set();
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
    if (number == -1 && PyErr_Occurred())
        throw py::error_already_set();
    if (overflow != 0 || number < low || number > high)
        throw py::value_error(std::string(what) + " must be from " + std::to_string(low) + " to " +
                              std::to_string(high) + ", not " + py::repr(value).cast<std::string>());
    return number;
}

double real_argument(const py::handle& value, const char* what, RealRange range)
{
    // NumPy's complex numbers convert to float, dropping their imaginary part with a warning.
    const bool complex = py::module_::import("numpy").attr("iscomplexobj")(value).cast<bool>();
    if (complex || PyBool_Check(value.ptr()) ||
        !(PyFloat_Check(value.ptr()) || PyIndex_Check(value.ptr()) || py::hasattr(value, "__float__")))
        throw py::type_error(std::string(what) + " must be a real number, not " + type_name(value));
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred()) {
        if (!PyErr_ExceptionMatches(PyExc_OverflowError))
            throw py::error_already_set();
        PyErr_Clear();
        throw py::value_error(std::string(what) + " must be a finite number, not " + py::repr(value).cast<std::string>());
    }
    const bool in_range = range == RealRange::finite       ? std::isfinite(number)
                          : range == RealRange::not_negative ? std::isfinite(number) && number >= 0.0
                                                             : std::isfinite(number) && number > 0.0;
    if (!in_range) {
        const char* wanted = range == RealRange::finite       ? "a finite number"
                             : range == RealRange::not_negative ? "a finite number of 0 or more"
                                                                : "a finite number above 0";
        throw py::value_error(std::string(what) + " must be " + wanted + ", not " + py::repr(value).cast<std::string>());
    }
    return number;
}

bool seed_argument(const py::handle& value, unsigned& seed)
{
    if (value.is_none())
        return false;
    seed = static_cast<unsigned>(integer_argument(value, "seed", 0, std::numeric_limits<unsigned>::max()));
    return true;
}

namespace {

// What NumPy raises for values that are not numbers, or rows of unequal length, as one
// ValueError; MemoryError and the rest pass unchanged.
template <typename Convert>
py::object converted_numbers(Convert convert, const char* what)
{
    try {
        return convert();
    } catch (py::error_already_set& error) {
        if (!error.matches(PyExc_TypeError) && !error.matches(PyExc_ValueError) && !error.matches(PyExc_OverflowError))
            throw;
        throw py::value_error(std::string(what) + " must be numbers in rows of equal length (" +
                              py::str(error.value()).cast<std::string>() + ")");
    }
}

}  // namespace

py::array numeric_array(const py::handle& values, const char* what)
{
    const py::module_ numpy = py::module_::import("numpy");
    const py::object masked = numpy.attr("ma");
    if (py::isinstance(values, masked.attr("MaskedArray")) && masked.attr("is_masked")(values).cast<bool>())
        throw py::value_error(std::string(what) + " hold masked values; fill them (numpy.ma.filled) or leave "
                              "their rows out");
    const py::array array =
        converted_numbers([&] { return numpy.attr("asarray")(values); }, what).cast<py::array>();
    if (array.dtype().kind() == 'c')
        throw py::type_error(std::string(what) + " must be real numbers, not " +
                             py::str(array.dtype()).cast<std::string>() + "; take their real part or abs() first");
    return array;
}

Array c_doubles(const py::array& values, const char* what)
{
    const py::object copy = converted_numbers(
        [&] {
            return py::module_::import("numpy").attr("asarray")(values, py::arg("dtype") = "float64",
                                                                py::arg("order") = "C");
        },
        what);
    // Already C-ordered doubles: taken as they are, without a second copy.
    return Array(copy);
}

std::string text_argument(const py::handle& text)
{
    if (!PyUnicode_Check(text.ptr()))
        throw py::type_error("text must be a str, not " + type_name(text));
    Py_ssize_t size = 0;
    const char* bytes = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
    if (bytes == nullptr)
        throw py::error_already_set();
    return std::string(bytes, static_cast<std::size_t>(size));
}
