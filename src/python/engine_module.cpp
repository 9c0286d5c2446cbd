// vellmor._engine: the core's calls as the Python package needs them. The package (vellmor/
// __init__.py) gives them their Pythonic form, names and documentation.

#include <pybind11/pybind11.h>

#include "python/bindings.h"

PYBIND11_MODULE(_engine, m) {
  m.doc() = "Vellmor's engine; use the package vellmor.";
  m.attr("__version__") = VELLMOR_VERSION;
  vellmor::python::BindRequests(m);
  vellmor::python::BindCard(m);
}
