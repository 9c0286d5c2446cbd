#pragma once

#include <pybind11/pybind11.h>

namespace vellmor::python {

// Each adds its functions to the module.
void BindRequests(pybind11::module_& m);
void BindCard(pybind11::module_& m);

}  // namespace vellmor::python
