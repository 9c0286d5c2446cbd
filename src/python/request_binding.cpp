// The commands as Python calls them: a dict of values by the parameters' keys goes to the
// core's request of the command, as the runner's options do; what comes back is the core's
// response, its documents as Python objects and its columns as NumPy arrays. Nothing is
// checked or computed here.

#include <pybind11/stl.h>

#include <cmath>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "python/bindings.h"
#include "python/python_values.h"
#include "vellmor/exports/profile_columns.h"
#include "vellmor/exports/uncertainty_json.h"
#include "vellmor/inputs/input_checks.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/report/result_columns.h"
#include "vellmor/report/result_file.h"
#include "vellmor/report/result_rows.h"
#include "vellmor/requests/command_reply.h"
#include "vellmor/requests/fit_request.h"
#include "vellmor/requests/merge_request.h"
#include "vellmor/requests/run_request.h"
#include "vellmor/requests/solve_request.h"
#include "vellmor/requests/sweep_request.h"

namespace vellmor::python {
namespace {

std::string_view KindName(ProblemKind kind) {
  switch (kind) {
    case ProblemKind::kUsage:
      return "usage";
    case ProblemKind::kWrongKind:
      return "wrong_kind";
    case ProblemKind::kRefused:
      return "refused";
    case ProblemKind::kUnreadable:
      return "unreadable";
    case ProblemKind::kImplausible:
      return "implausible";
  }
  return "usage";
}

py::object ProblemOf(const std::optional<TRequestProblem>& problem) {
  if (!problem) return py::none();
  py::dict out;
  out["kind"] = std::string(KindName(problem->Kind));
  out["key"] = problem->Key.empty() ? py::object(py::none()) : py::str(problem->Key);
  out["message"] = problem->Message;
  if (problem->Card) {
    py::dict card;
    card["file"] = problem->Card->Source;
    card["line"] = problem->Card->Line > 0 ? py::object(py::int_(problem->Card->Line)) : py::none();
    card["key"] = problem->Card->Key.empty() ? py::object(py::none()) : py::str(problem->Card->Key);
    out["card"] = card;
  } else {
    out["card"] = py::none();
  }
  return out;
}

// The local date a fitted card is named by.
std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[16] = "";
  if (::localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

TRequestContext PythonContext(const std::vector<std::string>& command_line) {
  TRequestContext context;
  context.Program = {"vellmor (Python)", VELLMOR_VERSION, command_line};
  context.Today = Today();
  return context;
}

// A Python number or text as the core's value: the kinds are the core's to judge.
TValue ScalarOf(const py::handle& value) {
  if (py::isinstance<py::bool_>(value)) return value.cast<bool>();
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (py::isinstance<py::int_>(value) || py::hasattr(value, "__index__")) {
    return static_cast<std::int64_t>(value.cast<long long>());
  }
  if (py::isinstance<py::float_>(value) || py::hasattr(value, "__float__")) {
    return value.cast<double>();
  }
  throw py::type_error("expected a number, a text or a bool, not " +
                       std::string(py::str(value.get_type().attr("__name__"))));
}

// A {key: value} of settings or varied inputs: "key=value" each, a list of values joined by
// ';' as the runner's lists are.
std::vector<std::string> AssignmentsOf(const py::dict& items) {
  std::vector<std::string> texts;
  for (const auto& [key, value] : items) {
    std::string text = py::str(key).cast<std::string>() + "=";
    if (py::isinstance<py::str>(value) || !py::isinstance<py::sequence>(value)) {
      text += ValueText(ScalarOf(value));
    } else {
      bool first = true;
      for (const py::handle item : value) {
        text += (first ? "" : ";") + ValueText(ScalarOf(item));
        first = false;
      }
    }
    texts.push_back(std::move(text));
  }
  return texts;
}

TValue ValueOf(const py::handle& value) {
  if (py::isinstance<py::dict>(value)) return AssignmentsOf(value.cast<py::dict>());
  // A text in memory under its name: Source("<cases DataFrame>", "take_up_speed\n4000\n").
  if (py::isinstance<TSource>(value)) return value.cast<TSource>();
  if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
    std::vector<TValue> items;
    for (const py::handle item : value) items.push_back(ValueOf(item));
    const bool numbers = std::all_of(items.begin(), items.end(), [](const TValue& v) {
      return std::holds_alternative<double>(v) || std::holds_alternative<std::int64_t>(v);
    });
    if (numbers && !items.empty()) {
      std::vector<double> list;
      for (const TValue& v : items) {
        list.push_back(std::holds_alternative<double>(v)
                           ? std::get<double>(v)
                           : static_cast<double>(std::get<std::int64_t>(v)));
      }
      return list;
    }
    std::vector<TSource> sources;
    std::vector<std::string> texts;
    for (const TValue& v : items) {
      if (const auto* source = std::get_if<TSource>(&v)) {
        sources.push_back(*source);
      } else {
        texts.push_back(ValueText(v));
      }
    }
    if (!sources.empty() && texts.empty()) return sources;
    return texts;
  }
  return ScalarOf(value);
}

TRequestValues ValuesOf(const py::dict& given) {
  TRequestValues values;
  for (const auto& [key, value] : given) {
    if (value.is_none()) continue;
    values.Set(py::str(key).cast<std::string>(), ValueOf(value));
  }
  return values;
}

// The failure of a run or solution as data: the kind, the fault, where, and the check.
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

template <class Request>
std::optional<Request> RequestOf(const py::dict& given, const TRequestContext& context,
                                 py::dict& out) {
  auto request = Request::From(ValuesOf(given), context);
  if (auto* problem = std::get_if<TRequestProblem>(&request)) {
    out["problem"] = ProblemOf(*problem);
    return std::nullopt;
  }
  out["problem"] = py::none();
  return std::get<Request>(std::move(request));
}

py::dict Run(const py::dict& given, const std::vector<std::string>& command_line) {
  const TRequestContext context = PythonContext(command_line);
  py::dict out;
  const std::optional<RunRequest> request = RequestOf<RunRequest>(given, context, out);
  if (!request) return out;
  ResultText lines;
  RunResponse response;
  {
    py::gil_scoped_release unlocked;
    FloatingPointGuard guard;
    TRunExecution execution;
    execution.ResultFile = ResultFileUse::kMemory;
    execution.Memory = &lines;
    response = Execute(*request, context, execution);
  }
  FloatingPointGuard guard;
  out["document"] = ToPython(response.Json(*request, context, false));
  py::dict profile;
  if (response.Succeeded()) {
    const std::vector<TResultRow> rows =
        ResultRowsOf(response.State->Condition, response.State->Profile);
    for (const TResultColumn& column : kResultColumns) {
      std::vector<double> values;
      values.reserve(rows.size());
      for (const TResultRow& row : rows) values.push_back(ExportValue(column, row));
      profile[py::str(std::string(column.ExportName))] = Column(values);
    }
  }
  out["profile"] = profile;
  out["result_file"] = py::bytes(lines.Text());
  const TRunOutcome& outcome = response.Outcome;
  AddFailure(out, outcome.Failure, outcome.Fault, outcome.FaultPositionCm, outcome.FaultPass,
             response.Message);
  out["file_problem"] = outcome.FileProblem;
  return out;
}

py::dict Solve(const py::dict& given, const std::vector<std::string>& command_line) {
  const TRequestContext context = PythonContext(command_line);
  py::dict out;
  const std::optional<SolveRequest> request = RequestOf<SolveRequest>(given, context, out);
  if (!request) return out;
  SolveResponse response;
  {
    py::gil_scoped_release unlocked;
    FloatingPointGuard guard;
    response = Execute(*request, context);
  }
  FloatingPointGuard guard;
  if (response.CardProblem) {
    out["problem"] = ProblemOf(response.CardProblem);
    return out;
  }
  out["document"] = ToPython(response.Json(*request, context, false));
  out["warnings"] = response.Warnings;
  py::dict profile;
  if (const auto& solution = response.Run.Solution) {
    const auto add = [&](const TConvergedColumn& column) {
      std::vector<double> values;
      values.reserve(solution->Profile.size());
      for (const TConvergedSample& sample : solution->Profile)
        values.push_back(column.Value(sample));
      profile[py::str(std::string(column.ExportName))] = Column(values);
    };
    for (const TConvergedColumn& column : kConvergedColumns) add(column);
    if (solution->Structure) {
      for (const TConvergedColumn& column : kStructureColumns) add(column);
    }
    // The bands beside the columns, NaN where a sample has none; the position has none.
    if (response.Uncertainty) {
      const std::vector<std::string> names = ProfileAnswerNames(solution->Structure.has_value());
      const auto& bands = response.Uncertainty->Intervals.Profile;
      for (std::size_t c = 1; c < bands.size() && c < names.size(); ++c) {
        for (const bool high : {false, true}) {
          std::vector<double> values;
          for (const auto& band : bands[c]) {
            values.push_back(band ? (high ? band->Hi : band->Lo) : std::nan(""));
          }
          profile[py::str(names[c] + (high ? "_hi" : "_lo"))] = Column(values);
        }
      }
    }
  }
  out["profile"] = profile;
  const TConvergedRun& run = response.Run;
  AddFailure(out, run.Failure, run.Fault, run.FaultPositionCm, run.FaultPass, run.Message);
  return out;
}

py::dict Fit(const py::dict& given, const std::vector<std::string>& command_line) {
  const TRequestContext context = PythonContext(command_line);
  py::dict out;
  const std::optional<FitRequest> request = RequestOf<FitRequest>(given, context, out);
  if (!request) return out;
  FitResponse response;
  {
    py::gil_scoped_release unlocked;
    FloatingPointGuard guard;
    response = Execute(*request, context);
  }
  FloatingPointGuard guard;
  if (response.Refused) {
    out["problem"] = ProblemOf(response.Refused);
    return out;
  }
  out["warnings"] = response.Warnings;
  out["document"] = ToPython(response.Json(context));
  const TFitFailure* failure = response.Failure();
  if (failure != nullptr) {
    out["failure"] = failure->Kind == FitFailureKind::kRefused       ? "refused"
                     : failure->Kind == FitFailureKind::kStartFailed ? "start_failed"
                     : failure->Kind == FitFailureKind::kUnsound     ? "unsound"
                                                                     : "not_converged";
    out["message"] = failure->Message;
  } else {
    out["failure"] = py::none();
    out["message"] = py::none();
  }
  const TFitResult* estimate = response.Estimate();
  out["fitted_card"] = estimate != nullptr ? py::cast(estimate->Fitted) : py::none();
  return out;
}

// Stops the sweep when the interpreter has a signal to handle (Ctrl-C): the sweep ends as the
// runner's does, its finished cases kept.
class InterpreterFollower : public SweepFollower {
 public:
  bool StopRequested() override {
    if (interrupted_) return true;
    // Signals are the main thread's to handle; a sweep on another thread is stopped from
    // the main thread's KeyboardInterrupt only by its own end.
    py::gil_scoped_acquire locked;
    if (PyErr_CheckSignals() != 0) {
      // The signal's exception is raised by the package, with the finished cases.
      PyErr_Clear();
      interrupted_ = true;
    }
    return interrupted_;
  }
  bool Interrupted() const { return interrupted_; }

 private:
  bool interrupted_ = false;
};

std::string_view EndingName(SweepResponse::End end) {
  switch (end) {
    case SweepResponse::End::kDone:
      return "done";
    case SweepResponse::End::kRefused:
      return "refused";
    case SweepResponse::End::kStopped:
      return "stopped";
    case SweepResponse::End::kCantWrite:
      return "cant_write";
  }
  return "done";
}

py::dict Sweep(const py::dict& given, const std::vector<std::string>& command_line) {
  const TRequestContext context = PythonContext(command_line);
  py::dict out;
  const std::optional<SweepRequest> request = RequestOf<SweepRequest>(given, context, out);
  if (!request) return out;
  out["warnings"] = request->CardWarnings;
  InterpreterFollower follower;
  SweepResponse response;
  {
    py::gil_scoped_release unlocked;
    // The workers' flags are their own; the calling thread's are kept for the caller.
    FloatingPointGuard guard;
    response = Execute(*request, context, &follower);
  }
  out["ending"] = std::string(EndingName(response.Ending));
  out["message"] = response.Message;
  out["summary"] = response.Summary;
  out["summary_path"] = request->SummaryPath;
  out["total"] = response.Outcome.Total;
  out["finished"] = response.Outcome.Finished;
  out["interrupted"] = follower.Interrupted();
  return out;
}

py::dict Merge(const py::dict& given, const std::vector<std::string>& command_line) {
  const TRequestContext context = PythonContext(command_line);
  py::dict out;
  const std::optional<MergeRequest> request = RequestOf<MergeRequest>(given, context, out);
  if (!request) return out;
  MergeResponse response;
  {
    py::gil_scoped_release unlocked;
    response = Execute(*request, context);
  }
  out["ending"] = response.Ending == MergeResponse::End::kMerged       ? "merged"
                  : response.Ending == MergeResponse::End::kRefused    ? "refused"
                  : response.Ending == MergeResponse::End::kUnreadable ? "unreadable"
                                                                       : "cant_write";
  out["message"] = response.Message;
  out["summary"] = response.Summary;
  out["missing"] = response.Missing;
  out["missing_message"] = response.MissingMessage;
  return out;
}

std::string_view ReplyStatusName(ReplyStatus status) {
  switch (status) {
    case ReplyStatus::kDone:
      return "done";
    case ReplyStatus::kRefused:
      return "refused";
    case ReplyStatus::kFailed:
      return "failed";
    case ReplyStatus::kUsage:
      return "usage";
    case ReplyStatus::kOutputs:
      return "outputs";
  }
  return "failed";
}

// A command that answers with a reply alone, by its name: its status, summary, messages,
// problem and document.
py::dict Execute(const std::string& name, const py::dict& given,
                 const std::vector<std::string>& command_line) {
  const TRequestContext context = PythonContext(command_line);
  for (const Command command : vellmor::Commands()) {
    const TCommand& info = CommandInfo(command);
    if (info.Name != name || info.Handler == nullptr) continue;
    const TRequestValues values = ValuesOf(given);
    TCommandReply reply;
    {
      py::gil_scoped_release unlocked;
      FloatingPointGuard guard;
      reply = info.Handler(values, context);
    }
    py::dict out;
    out["status"] = std::string(ReplyStatusName(reply.Status));
    out["summary"] = reply.Summary;
    out["messages"] = reply.Messages;
    out["problem"] = ProblemOf(reply.Problem);
    out["document"] = ToPython(reply.Document);
    return out;
  }
  throw py::value_error(name + ": no command of a reply alone");
}

// Every command with the parameters it takes, for the package's functions and their documents:
// {name: {"summary", "inputs": "all"|"numeric"|"none", "parameters": [{key, kind, help,
// default, required}]}}.
py::dict Commands() {
  py::dict commands;
  for (const Command command : vellmor::Commands()) {
    const TCommand& info = CommandInfo(command);
    py::dict entry;
    entry["summary"] = std::string(info.Summary);
    entry["reply"] = info.Handler != nullptr;
    entry["inputs"] = info.Inputs == CommandInputs::kAll       ? "all"
                      : info.Inputs == CommandInputs::kNumeric ? "numeric"
                                                               : "none";
    py::list parameters;
    for (const TCommandParameter& taken : info.Parameters) {
      const TParameter& parameter = *FindParameter(taken.Key);
      if (parameter.RunnerOnly) continue;
      py::dict row;
      row["key"] = std::string(parameter.Key);
      row["kind"] = std::string(KindName(parameter.Kind));
      row["help"] = std::string(parameter.Help);
      row["default"] = std::string(parameter.Default);
      row["required"] = taken.Required;
      parameters.append(row);
    }
    entry["parameters"] = parameters;
    commands[py::str(info.Name.empty() ? std::string("run") : std::string(info.Name))] = entry;
  }
  return commands;
}

}  // namespace

void BindRequests(py::module_& m) {
  py::class_<TSource>(m, "Source")
      .def(py::init([](std::string name, std::string text) {
             return TSource{std::move(name), std::move(text)};
           }),
           py::arg("name"), py::arg("text"))
      .def_readonly("name", &TSource::Name);
  m.def("run", &Run, py::arg("values"), py::arg("command_line"));
  m.def("solve", &Solve, py::arg("values"), py::arg("command_line"));
  m.def("fit", &Fit, py::arg("values"), py::arg("command_line"));
  m.def("sweep", &Sweep, py::arg("values"), py::arg("command_line"));
  m.def("merge", &Merge, py::arg("values"), py::arg("command_line"));
  m.def("execute", &Execute, py::arg("command"), py::arg("values"), py::arg("command_line"));
  m.def("commands", &Commands);
  m.def("input_fields", [] {
    py::list fields;
    const TInputTexts defaults = DefaultInputTexts('.');
    for (const TInputField& field : kInputFields) {
      fields.append(py::make_tuple(std::string(field.Key), std::string(field.Description),
                                   defaults.*field.Text, field.Numeric()));
    }
    return fields;
  });
}

}  // namespace vellmor::python
