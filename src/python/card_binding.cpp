// The model card as Python's Model holds it, read_result_file and the safe writer: each call
// hands its texts to the core and gives back what the core found, as Python values.

#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <vector>

#include "vellmor/base/output_file.h"
#include "vellmor/exports/converged_json.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/report/read_result_file.h"
#include "vellmor/report/result_columns.h"
#include "python/bindings.h"
#include "python/python_values.h"

namespace vellmor::python {
namespace {

// A card problem as data: the message, the file, the line and the key.
py::dict ProblemOf(const TCardProblem& problem) {
  py::dict out;
  out["message"] = problem.Message;
  out["file"] = problem.Source;
  out["line"] = problem.Line > 0 ? py::object(py::int_(problem.Line)) : py::none();
  out["key"] = problem.Key.empty() ? py::none() : py::object(py::str(problem.Key));
  out["setting"] = problem.Setting;
  return out;
}

py::dict ReadResult(const std::string& path) {
  FloatingPointGuard guard;
  const TResultFileReading reading = ReadResultFile(path);
  py::dict out;
  if (!reading.Contents) {
    out["error"] = Describe(reading.Error);
    out["line"] = reading.Error.Line > 0 ? py::object(py::int_(reading.Error.Line)) : py::none();
    return out;
  }
  const TResultFileContents& contents = *reading.Contents;
  const TSpinCondition& c = contents.Condition;
  // The header's conditions under the inputs' keys.
  py::dict condition;
  for (const TInputField& field : kInputFields) {
    if (field.Numeric()) condition[py::str(std::string(field.Key))] = field.ValueIn(c);
  }
  out["condition"] = condition;
  py::dict profile;
  for (const TResultColumn& column : kResultColumns) {
    std::vector<double> column_values;
    column_values.reserve(contents.Rows.size());
    for (const TResultRow& row : contents.Rows) {
      column_values.push_back(ExportValue(column, row));
    }
    profile[py::str(std::string(column.ExportName))] = Column(column_values);
  }
  out["profile"] = profile;
  out["complete"] = contents.Complete;
  out["decimal_separator"] = std::string(1, contents.DecimalSeparator);
  return out;
}

}  // namespace

void BindCard(py::module_& m) {
  m.def("read_result_file", &ReadResult, py::arg("path"));
  m.def(
      "write_output",
      [](const std::string& path, const py::bytes& contents) -> std::optional<std::string> {
        const std::string bytes = contents;
        const TOutputStatus written = WriteWholeOutput(path, bytes);
        if (written.Ok()) return std::nullopt;
        return written.Reason;
      },
      py::arg("path"), py::arg("contents"));
  py::class_<ModelCard>(m, "Card")
      .def(py::init<>())
      .def_static(
          "read",
          [](const std::string& yaml, const std::string& source) -> py::object {
            auto read = ReadModelCard(yaml, source);
            if (auto* problem = std::get_if<TCardProblem>(&read)) return ProblemOf(*problem);
            TReadCard& card = std::get<TReadCard>(read);
            py::list warnings;
            for (const TCardWarning& warning : card.Warnings) warnings.append(warning.Message);
            return py::make_tuple(std::move(card.Card), warnings);
          },
          py::arg("yaml"), py::arg("source"))
      .def("copy", [](const ModelCard& card) { return card; })
      .def_property_readonly("name", &ModelCard::Name)
      .def(
          "value",
          [](const ModelCard& card, const std::string& path) -> py::object {
            const TModelKey* key = FindModelKey(path);
            if (key == nullptr) throw py::key_error(path);
            const TKeyValue value = card.Get(*key);
            if (const auto* number = std::get_if<TCardNumber>(&value)) {
              return py::float_(number->Value);
            }
            if (const auto* flag = std::get_if<bool>(&value)) return py::bool_(*flag);
            return py::str(card.Text(*key));
          },
          py::arg("path"))
      .def(
          "apply",
          [](ModelCard& card, const std::string& setting) -> py::object {
            if (auto problem = ApplyModelSetting(card, setting)) return ProblemOf(*problem);
            return py::none();
          },
          py::arg("setting"))
      .def("to_yaml", [](const ModelCard& card) { return ModelCardYaml(card); })
      .def("to_dict", [](const ModelCard& card) { return ToPython(ModelCardJson(card)); })
      .def("__eq__", [](const ModelCard& a, const ModelCard& b) { return a == b; });
  m.def("card_keys", [] {
    py::list keys;
    for (const TModelKey& key : kModelKeys) {
      keys.append(
          py::make_tuple(std::string(key.Path), std::string(key.Meaning), std::string(key.Source)));
    }
    return keys;
  });
}

}  // namespace vellmor::python
