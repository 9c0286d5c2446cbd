#pragma once

#include <pybind11/pybind11.h>

namespace vellmor::python {

// Each adds its functions to the module.
void BindRun(pybind11::module_& m);
void BindSweep(pybind11::module_& m);
void BindFit(pybind11::module_& m);

}  // namespace vellmor::python
