// What the module takes from Python and raises back: paths as file-system bytes, checked
// numbers and arrays, and the exceptions Python's own functions raise for the same mistakes.
#ifndef PYTHON_PYTHON_ARGUMENTS_H
#define PYTHON_PYTHON_ARGUMENTS_H

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <stdexcept>
#include <string>

namespace py = pybind11;

// C-ordered doubles, however the caller's array was stored.
using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;

// A network file, a training file or a text that the engine cannot use; becomes
// neural_creatures.NetworkFileError, a ValueError.
class FileProblem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// neural_creatures.NetworkFileWarning, a UserWarning, made once by the module's set-up.
PyObject* network_file_warning();
// Issues `message` as a NetworkFileWarning; raises it when the warnings filter makes it an error.
void warn_about_file(const std::string& message);

// Raises a Python exception of `type` with `message`.
[[noreturn]] void raise_python(PyObject* type, const std::string& message);

// The file-system bytes of a str, bytes or os.PathLike path; ValueError for an embedded null
// byte, as Python's own open() raises.
std::string path_bytes(const py::handle& path);
// The path as the user wrote it, for messages.
std::string path_text(const py::handle& path);
// True for what path_bytes takes: str, bytes and os.PathLike objects.
bool is_path(const py::handle& value);

// Raises the OSError subclass Python would (FileNotFoundError, PermissionError,
// IsADirectoryError) for a file that cannot be read, and OSError for anything but a regular
// file, without opening it: a FIFO or a device is never waited on.
void require_readable_file(const std::string& name, const py::handle& path);
// Raises the OSError Python would for a write that failed for the system's `reason`, with its
// errno and the file name.
[[noreturn]] void raise_write_error(const std::string& reason, const py::handle& path);

// An int from low to high; TypeError for what is not an integer, ValueError outside the range.
long long integer_argument(const py::handle& value, const char* what, long long low, long long high);
// Which reals a parameter takes.
enum class RealRange { finite, not_negative, positive };
// A real within `range`; TypeError for what is not a real number (a complex one too),
// ValueError otherwise.
double real_argument(const py::handle& value, const char* what, RealRange range);
// A seed: None, or an integer from 0 to 2**32 - 1.
bool seed_argument(const py::handle& value, unsigned& seed);
// Numbers as a NumPy array, not yet copied, so that its shape can be checked before any
// copy is made: TypeError for complex values, ValueError for ragged rows or masked values (a
// masked array with no value masked is taken as its data).
py::array numeric_array(const py::handle& values, const char* what);
// The values as C-ordered doubles, copied when they are not; ValueError for values that are
// not numbers, MemoryError when the copy cannot be made.
Array c_doubles(const py::array& values, const char* what);
// The UTF-8 bytes of a str; UnicodeEncodeError (a ValueError) for lone surrogates.
std::string text_argument(const py::handle& text);

#endif
