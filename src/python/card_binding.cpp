// The model card as Python's Model holds it, read_result_file and the safe writer: each call
// hands its texts to the core and gives back what the core found, as Python values.

#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <vector>

#include "python/bindings.h"
#include "python/python_values.h"
#include "vellmor/base/output_file.h"
#include "vellmor/documents/document_kind.h"
#include "vellmor/documents/fit_document.h"
#include "vellmor/documents/profile_document.h"
#include "vellmor/exports/converged_json.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/report/read_result_file.h"
#include "vellmor/report/result_columns.h"
#include "vellmor/requests/card_choice.h"
#include "vellmor/requests/request_values.h"

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

std::string_view KindName(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::kResultFile:
      return "result_file";
    case DocumentKind::kRunJson:
      return "run_json";
    case DocumentKind::kSolveJson:
      return "solve_json";
    case DocumentKind::kFitJson:
      return "fit_json";
    case DocumentKind::kOtherJson:
      return "other_json";
    case DocumentKind::kProfileCsv:
      return "profile_csv";
    case DocumentKind::kMeasuredCsv:
      return "measured_csv";
    case DocumentKind::kSweepSummary:
      return "sweep_summary";
  }
  return "other_json";
}

py::object NumberOrNone(const std::optional<double>& value) {
  return value ? py::object(py::float_(*value)) : py::none();
}

// A document Vellmor wrote, read by the core's readers: what it is, and what they found in it.
py::dict ReadDocument(const std::string& path) {
  py::dict out;
  // Larger than any document of a line.
  TTextBounds bounds;
  bounds.Bytes = std::size_t{256} << 20;
  bounds.BytesText = "256 MiB";
  const std::optional<TBoundedText> read_text = FileReader().Read(path, bounds);
  if (!read_text || !read_text->Exceeded.empty()) {
    out["error"] = path + ": " + (read_text ? read_text->Exceeded : "the file can not be read");
    return out;
  }
  const std::optional<std::string> bytes = read_text->Text;
  const DocumentKind kind = DocumentKindOf(*bytes);
  out["kind"] = std::string(KindName(kind));
  if (kind == DocumentKind::kFitJson) {
    auto read = ReadFitJson(*bytes, path);
    if (auto* problem = std::get_if<std::string>(&read)) {
      out["error"] = *problem;
      return out;
    }
    TFitDocument& document = std::get<TFitDocument>(read);
    out["schema_version"] = document.SchemaVersion;
    py::list warnings;
    for (const TCardWarning& warning : document.Card.Warnings) warnings.append(warning.Message);
    out["warnings"] = warnings;
    out["card"] = py::cast(document.Card.Card);
    py::list cases;
    for (const TFitDocumentCase& c : document.Cases) {
      py::dict entry;
      entry["case"] = c.Name;
      py::dict inputs;
      for (const TInputField& field : kInputFields) {
        if (field.Numeric()) inputs[py::str(std::string(field.Key))] = c.Texts.*field.Text;
      }
      entry["inputs"] = inputs;
      py::list points;
      for (const TFitPoint& point : c.Points) {
        py::dict row;
        row["quantity"] = std::string(QuantityName(point.What));
        row["x_cm"] = point.X;
        row["measured"] = point.Measured;
        row["sigma"] = point.Sigma;
        row["normalised"] = NumberOrNone(point.Normalised);
        points.append(row);
      }
      entry["measurements"] = points;
      cases.append(entry);
    }
    out["cases"] = cases;
    return out;
  }
  if (kind != DocumentKind::kRunJson && kind != DocumentKind::kSolveJson &&
      kind != DocumentKind::kProfileCsv) {
    out["error"] = path + ": not a document of Vellmor's exports (read_result_file reads a " +
                   "result file, read_summary a sweep's summary)";
    return out;
  }
  auto read = kind == DocumentKind::kProfileCsv ? ReadProfileCsv(*bytes, path)
                                                : ReadProfileJson(*bytes, path);
  if (auto* problem = std::get_if<std::string>(&read)) {
    out["error"] = *problem;
    return out;
  }
  const TProfileDocument& document = std::get<TProfileDocument>(read);
  out["schema_version"] = document.SchemaVersion;
  out["converged"] = document.Converged;
  py::dict profile;
  for (const auto& [key, values] : document.Profile.Columns) profile[py::str(key)] = Column(values);
  out["profile"] = profile;
  py::dict numbers;
  for (const TNamedNumber& named : NamedProcessNumbers(document.Numbers)) {
    numbers[py::str(std::string(named.Name))] = NumberOrNone(named.Value);
  }
  out["process_numbers"] = numbers;
  if (document.Structure) {
    py::dict structure;
    for (const TStructureNumberInfo& number : kStructureNumbers) {
      structure[py::str(std::string(number.Key))] = NumberOrNone(number.Value(*document.Structure));
    }
    structure["coupled"] = document.Structure->Coupled;
    out["structure"] = structure;
  } else {
    out["structure"] = py::none();
  }
  return out;
}

}  // namespace

void BindCard(py::module_& m) {
  m.def("read_document", &ReadDocument, py::arg("path"));
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
      .def_static(
          "load",
          [](const std::string& path) -> py::object {
            // As every request reads a card: its size, its file's problems, its warnings.
            auto loaded = LoadCard({TSource{path, std::nullopt}, {}}, TRequestContext{});
            if (auto* problem = std::get_if<TRequestProblem>(&loaded)) {
              py::dict out;
              out["message"] = problem->Message;
              out["file"] = problem->Card ? problem->Card->Source : path;
              out["line"] = problem->Card && problem->Card->Line > 0
                                ? py::object(py::int_(problem->Card->Line))
                                : py::none();
              out["key"] = problem->Card && !problem->Card->Key.empty()
                               ? py::object(py::str(problem->Card->Key))
                               : py::none();
              out["unreadable"] = problem->Kind == ProblemKind::kUnreadable;
              return out;
            }
            TLoadedCard& card = std::get<TLoadedCard>(loaded);
            return py::make_tuple(std::move(card.Card), card.Warnings);
          },
          py::arg("path"))
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
