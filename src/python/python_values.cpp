#include "python/python_values.h"

#include <stdexcept>

namespace vellmor::python {

py::object ToPython(const nlohmann::ordered_json& value) {
  using Type = nlohmann::ordered_json::value_t;
  switch (value.type()) {
    case Type::null:
    case Type::discarded:
      return py::none();
    case Type::boolean:
      return py::bool_(value.get<bool>());
    case Type::number_integer:
      return py::int_(value.get<long long>());
    case Type::number_unsigned:
      return py::int_(value.get<unsigned long long>());
    case Type::number_float:
      return py::float_(value.get<double>());
    case Type::string:
      // The exports put U+FFFD for bytes that are not UTF-8; a file name may still hold one.
      return py::reinterpret_steal<py::object>(PyUnicode_DecodeUTF8(
          value.get_ref<const std::string&>().data(),
          static_cast<Py_ssize_t>(value.get_ref<const std::string&>().size()), "replace"));
    case Type::array: {
      py::list list;
      for (const auto& item : value) list.append(ToPython(item));
      return list;
    }
    case Type::object: {
      py::dict dict;
      for (const auto& [key, item] : value.items()) dict[py::str(key)] = ToPython(item);
      return dict;
    }
    case Type::binary:
      break;
  }
  return py::none();
}

py::array_t<double> Column(const std::vector<double>& values) {
  py::array_t<double> array(static_cast<py::ssize_t>(values.size()));
  std::copy(values.begin(), values.end(), array.mutable_data());
  return array;
}

}  // namespace vellmor::python
