#pragma once

// What the module's bindings share: the floating-point state a call must leave as it found it,
// the engine's JSON documents as Python objects, columns as NumPy arrays, and the input texts
// of a call.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cfenv>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace vellmor::python {

namespace py = pybind11;

// The classical engine reads the thread's <cfenv> flags to tell a floating-point fault; a
// Python caller (NumPy, say) may have left some raised, and must not find any the engine
// raised. Clears them for the call and puts back what the caller had, with its rounding.
class FloatingPointGuard {
 public:
  FloatingPointGuard() {
    fegetexceptflag(&saved_, FE_ALL_EXCEPT);
    rounding_ = fegetround();
    feclearexcept(FE_ALL_EXCEPT);
    fesetround(FE_TONEAREST);
  }
  ~FloatingPointGuard() {
    fesetround(rounding_);
    fesetexceptflag(&saved_, FE_ALL_EXCEPT);
  }
  FloatingPointGuard(const FloatingPointGuard&) = delete;
  FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

 private:
  fexcept_t saved_{};
  int rounding_ = FE_TONEAREST;
};

// A JSON value as the Python object json.loads would make of its text: every double to the
// bit, integers as int, objects as dict in their order.
py::object ToPython(const nlohmann::ordered_json& value);

// A column as a NumPy array of its own.
py::array_t<double> Column(const std::vector<double>& values);

}  // namespace vellmor::python
