// vellmor.run, vellmor.solve, the model card, read_result_file and the safe writer: each call
// hands its texts to the core and gives back what the core found, as Python values.

#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <vector>

#include "core/base/message_keeper.h"
#include "core/base/output_file.h"
#include "core/converged/converged_run.h"
#include "core/exports/converged_json.h"
#include "core/exports/profile_columns.h"
#include "core/exports/run_json.h"
#include "core/inputs/input_checks.h"
#include "core/inputs/input_fields.h"
#include "core/model_card/model_card.h"
#include "core/report/read_result_file.h"
#include "core/report/result_columns.h"
#include "core/report/result_file.h"
#include "core/report/result_rows.h"
#include "core/run/run_sequence.h"
#include "core/sensitivity/sensitivities.h"
#include "python/bindings.h"
#include "python/python_values.h"

namespace vellmor::python {
namespace {

// The one message a run shows, kept rather than shown.
class QuietSink : public MessageSink {
 public:
  void ShowMessage(std::string_view message) override { last_ = message; }
  const std::string& Last() const { return last_; }

 private:
  std::string last_;
};

// What every outcome tells besides its document: the kind of failure, the fault and where.
void AddFailure(py::dict& out, RunFailureKind kind, const std::optional<CalculationFault>& fault,
                const std::optional<double>& position, const std::optional<int>& pass,
                const std::string& message) {
  out["failure"] = std::string(FailureName(kind));
  out["fault"] = fault ? py::object(py::str(std::string(FaultName(*fault)))) : py::none();
  out["x_cm"] = position ? py::object(py::float_(*position)) : py::none();
  out["pass_number"] = pass ? py::object(py::int_(*pass)) : py::none();
  const std::string_view check =
      kind == RunFailureKind::kInputRefused ? CheckNameOf(message) : std::string_view();
  out["check"] = check.empty() ? py::none() : py::object(py::str(std::string(check)));
}

py::dict Run(const std::map<std::string, std::string>& given) {
  const TInputTexts texts = TextsOf(given);
  auto state = std::make_unique<TRunState>();
  QuietSink sink;
  ResultText lines;
  TRunOutcome outcome;
  {
    py::gil_scoped_release unlocked;
    FloatingPointGuard guard;
    TRunOptions options;
    options.ResultFile = ResultFileUse::kMemory;
    options.Memory = &lines;
    outcome = RunSpinline(texts, *state, sink, options);
  }
  const bool succeeded = outcome.Status == RunStatus::kSucceeded;
  const std::string message = succeeded ? std::string() : sink.Last();
  FloatingPointGuard guard;
  std::vector<TResultRow> rows;
  if (succeeded) rows = ResultRowsOf(state->Condition, state->Profile);
  // The runner's document but for its profile, which comes as arrays.
  const TRunRecord record{texts, '.', outcome, message, {}, nullptr};
  py::dict out;
  out["document"] = ToPython(RunJson(record));
  py::dict profile;
  if (succeeded) {
    for (const TResultColumn& column : kResultColumns) {
      std::vector<double> values;
      values.reserve(rows.size());
      for (const TResultRow& row : rows) values.push_back(ExportValue(column, row));
      profile[py::str(std::string(column.ExportName))] = Column(values);
    }
  }
  out["profile"] = profile;
  out["result_file"] = py::bytes(lines.Text());
  AddFailure(out, outcome.Failure, outcome.Fault, outcome.FaultPositionCm, outcome.FaultPass,
             message);
  out["file_problem"] = outcome.FileProblem;
  return out;
}

py::dict Solve(const std::map<std::string, std::string>& given, const ModelCard& card,
               bool structure, int points, const std::optional<std::vector<double>>& at,
               bool sensitivities) {
  const TInputTexts texts = TextsOf(given);
  TConvergedRunOptions options;
  options.Model = card.Constants();
  options.Structure = structure;
  options.Positions.Points = points;
  if (at) options.Positions.At = *at;
  TConvergedRun run;
  std::optional<TSensitivities> elasticities;
  {
    py::gil_scoped_release unlocked;
    FloatingPointGuard guard;
    run = RunConverged(texts, options);
    if (run.Status == RunStatus::kSucceeded && sensitivities) {
      elasticities = ComputeSensitivities(run.Condition, options.Model, *run.Solution);
    }
  }
  FloatingPointGuard guard;
  TConvergedRecord record{texts, '.', run, card, elasticities ? &*elasticities : nullptr};
  record.WithProfile = false;
  py::dict out;
  out["document"] = ToPython(ConvergedRunJson(record));
  py::dict profile;
  if (run.Solution) {
    const auto& samples = run.Solution->Profile;
    const auto add = [&](const TConvergedColumn& column) {
      std::vector<double> values;
      values.reserve(samples.size());
      for (const TConvergedSample& sample : samples) values.push_back(column.Value(sample));
      profile[py::str(std::string(column.ExportName))] = Column(values);
    };
    for (const TConvergedColumn& column : kConvergedColumns) add(column);
    if (run.Solution->Structure) {
      for (const TConvergedColumn& column : kStructureColumns) add(column);
    }
  }
  out["profile"] = profile;
  AddFailure(out, run.Failure, run.Fault, run.FaultPositionCm, run.FaultPass, run.Message);
  return out;
}

// A card problem as data: the message, the file, the line and the key.
py::dict ProblemOf(const TCardProblem& problem) {
  py::dict out;
  out["message"] = problem.Message;
  out["file"] = problem.Source;
  out["line"] = problem.Line > 0 ? py::object(py::int_(problem.Line)) : py::none();
  out["key"] = problem.Key.empty() ? py::none() : py::object(py::str(problem.Key));
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
  // The header's conditions under the runner's option names.
  py::dict condition;
  const std::pair<const char*, double> values[] = {
      {"hole-diameter", c.HoleDiameter},
      {"polymer-output", c.Output},
      {"take-up-speed", c.TakeUpSpeed},
      {"melt-temperature", c.MeltTemperature},
      {"zone1-end", c.Zones[1].EndPosition},
      {"zone1-a1", c.Zones[1].A1},
      {"zone1-a2", c.Zones[1].A2},
      {"zone1-a3", c.Zones[1].A3},
      {"zone1-air-velocity", c.Zones[1].AirVelocity},
      {"zone2-end", c.Zones[2].EndPosition},
      {"zone2-a1", c.Zones[2].A1},
      {"zone2-a2", c.Zones[2].A2},
      {"zone2-a3", c.Zones[2].A3},
      {"zone2-air-velocity", c.Zones[2].AirVelocity},
      {"zone3-end", c.Zones[3].EndPosition},
      {"zone3-air-velocity", c.Zones[3].AirVelocity},
      {"iv", c.IV},
      {"increment", c.Increment},
  };
  for (const auto& [name, value] : values) condition[name] = value;
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

void BindRun(py::module_& m) {
  m.def("run", &Run, py::arg("texts"));
  m.def("solve", &Solve, py::arg("texts"), py::arg("card"), py::arg("structure"), py::arg("points"),
        py::arg("at"), py::arg("sensitivities"));
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
  m.def("input_fields", [] {
    py::list fields;
    const TInputTexts defaults = DefaultInputTexts('.');
    for (const TInputField& field : kInputFields) {
      fields.append(py::make_tuple(field.Option(), std::string(field.Description),
                                   defaults.*field.Text, field.Numeric()));
    }
    return fields;
  });

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
