// vellmor.sweep: the cases on the engine's threads, the interpreter free meanwhile; the
// summary as the runner writes it, line for line.

#include <pybind11/stl.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/model_card/model_card.h"
#include "core/sweep/case_set.h"
#include "core/sweep/cases_table.h"
#include "core/sweep/summary_csv.h"
#include "core/sweep/sweep_runner.h"
#include "core/sweep/vary_list.h"
#include "python/bindings.h"
#include "python/python_values.h"

namespace vellmor::python {
namespace {

// Keeps every case's summary line and stops when the interpreter has a signal to handle
// (Ctrl-C): the sweep ends as the runner's does, its finished cases kept.
class SummaryCollector : public SweepObserver {
 public:
  SummaryCollector(const CaseSet& cases, SummaryColumns kind) : cases_(cases), kind_(kind) {}

  void OnCase(const TCaseResult& result) override {
    summary_ += SummaryLine(result, cases_.ColumnTextsOf(result.Case), kind_);
  }

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

  std::string& Summary() { return summary_; }
  bool Interrupted() const { return interrupted_; }

 private:
  const CaseSet& cases_;
  const SummaryColumns kind_;
  std::string summary_;
  bool interrupted_ = false;
};

// The sweep, or a ValueError that says what is wrong with its description.
py::dict Sweep(const std::map<std::string, std::string>& base, const std::vector<std::string>& vary,
               const std::optional<std::string>& cases_text, const std::string& cases_source,
               int jobs, bool solve, bool structure, bool accuracy,
               const std::optional<ModelCard>& card) {
  const TInputTexts texts = TextsOf(base);
  std::optional<CaseSet> cases;
  if (cases_text) {
    auto table = ReadCasesTable(*cases_text, cases_source);
    if (auto* problem = std::get_if<TSweepProblem>(&table)) throw py::value_error(problem->Message);
    cases = CaseSet::FromTable(texts, std::get<TCasesTable>(std::move(table)));
  } else {
    std::vector<TVariedOption> varied;
    for (const std::string& one : vary) {
      auto option = ParseVary(one, '.');
      if (auto* problem = std::get_if<TSweepProblem>(&option)) {
        throw py::value_error(problem->Message);
      }
      varied.push_back(std::get<TVariedOption>(std::move(option)));
    }
    auto product = CaseSet::Product(texts, std::move(varied));
    if (auto* problem = std::get_if<TSweepProblem>(&product)) {
      throw py::value_error(problem->Message);
    }
    cases = std::get<CaseSet>(std::move(product));
  }
  if (!solve) {
    for (const TSweepColumn& column : cases->Columns()) {
      if (column.OnCard()) {
        throw py::value_error(std::string(column.Name()) +
                              ": a card key is for the converged model (solve=True)");
      }
    }
  }
  if (card) cases->SetBaseCard(*card);

  const SummaryColumns kind = accuracy    ? SummaryColumns::kWithAccuracy
                              : structure ? SummaryColumns::kWithStructure
                                          : SummaryColumns::kProcess;
  SummaryCollector collector(*cases, kind);
  collector.Summary() = SummaryHeader(cases->Columns(), kind);
  TSweepOptions options;
  options.Jobs = jobs;
  options.Accuracy = accuracy;
  options.Solve = solve;
  options.Structure = structure;
  TSweepOutcome outcome;
  {
    py::gil_scoped_release unlocked;
    // The workers' flags are their own; the calling thread's are kept for the caller.
    FloatingPointGuard guard;
    outcome = RunSweep(*cases, options, collector);
  }
  py::dict out;
  out["summary"] = py::str(collector.Summary());
  out["total"] = outcome.Total;
  out["finished"] = outcome.Finished;
  out["interrupted"] = collector.Interrupted();
  return out;
}

}  // namespace

void BindSweep(py::module_& m) {
  m.def("sweep", &Sweep, py::arg("base"), py::arg("vary"), py::arg("cases_text"),
        py::arg("cases_source"), py::arg("jobs"), py::arg("solve"), py::arg("structure"),
        py::arg("accuracy"), py::arg("card"));
}

}  // namespace vellmor::python
