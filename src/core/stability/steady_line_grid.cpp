#include "vellmor/stability/steady_line_grid.h"

#include <algorithm>
#include <cmath>

#include "vellmor/converged/converged_run.h"
#include "vellmor/converged/local_spinline_system.h"
#include "vellmor/physics/spinline_laws.h"

namespace vellmor {
namespace {

// Where the first solve samples the line, for the time spent in each section.
constexpr int kSurveyPoints = 201;

// The sections' ends: the spinneret, the zone ends and the freeze point on the line, the
// take-up end; none closer to another than a millionth of the line.
std::vector<double> SectionEnds(const TSpinCondition& condition, const TConvergedSolution& line) {
  const double length = line.Length;
  std::vector<double> cuts{condition.Zones[1].EndPosition, condition.Zones[2].EndPosition};
  if (line.FreezePoint) cuts.push_back(*line.FreezePoint);
  std::sort(cuts.begin(), cuts.end());
  std::vector<double> ends{0.0};
  const double gap = 1e-6 * length;
  for (const double cut : cuts) {
    if (cut > ends.back() + gap && cut < length - gap) ends.push_back(cut);
  }
  ends.push_back(length);
  return ends;
}

// The intervals of each section: n per section on average, shared half by the time the
// filament spends in it (a disturbance's phase ω ∫dx/V: the slow melt near the spinneret
// needs many nodes, the fast solid filament few) and half by how much it is drawn there
// (∫|d ln V|: where the steady line itself changes), at least kFewestIntervals. Both by the
// trapezoidal rule on the first solve's samples.
constexpr int kFewestIntervals = 6;

std::vector<int> SectionIntervals(const std::vector<double>& ends,
                                  const std::vector<TConvergedSample>& samples, int n) {
  const std::size_t sections = ends.size() - 1;
  std::vector<double> time(sections, 0.0), draw(sections, 0.0);
  double total_time = 0.0, total_draw = 0.0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    const double mid = (samples[i - 1].X + samples[i].X) / 2.0;
    const double dt =
        (samples[i].X - samples[i - 1].X) * (1.0 / samples[i - 1].V + 1.0 / samples[i].V) / 2.0;
    const double dv = std::fabs(std::log(samples[i].V / samples[i - 1].V));
    std::size_t s = 0;
    while (s + 1 < sections && mid >= ends[s + 1]) ++s;
    time[s] += dt;
    draw[s] += dv;
    total_time += dt;
    total_draw += dv;
  }
  std::vector<int> intervals(sections);
  const double even = 1.0 / static_cast<double>(sections);
  for (std::size_t s = 0; s < sections; ++s) {
    const double share = ((total_time > 0.0 ? time[s] / total_time : even) +
                          (total_draw > 0.0 ? draw[s] / total_draw : even)) /
                         2.0;
    intervals[s] = std::max(
        kFewestIntervals,
        static_cast<int>(std::lround(share * static_cast<double>(n * static_cast<int>(sections)))));
  }
  return intervals;
}

}  // namespace

int FineIntervals(int coarse) { return coarse + (coarse + 1) / 2; }

TSteadyLineGrid SampleSteadyLine(const TSpinCondition& condition, const TModelConstants& model,
                                 bool structure, int n) {
  TConvergedOptions options;
  options.Model = model;
  options.Structure = structure;
  TProfilePositions survey;
  survey.Points = kSurveyPoints;
  options.SampleX =
      std::get<std::vector<double>>(ProfilePositions(survey, condition.Zones[3].EndPosition));
  const TConvergedSolution first = SolveConverged(condition, options);
  TSteadyLineGrid grid;
  grid.Ends = SectionEnds(condition, first);
  grid.Intervals = SectionIntervals(grid.Ends, first.Profile, n);
  std::vector<TChebyshevGrid> coarse, fine;
  std::vector<double> positions;
  for (std::size_t s = 0; s + 1 < grid.Ends.size(); ++s) {
    coarse.push_back(ChebyshevGrid(grid.Ends[s], grid.Ends[s + 1], grid.Intervals[s]));
    fine.push_back(ChebyshevGrid(grid.Ends[s], grid.Ends[s + 1], FineIntervals(grid.Intervals[s])));
    positions.insert(positions.end(), coarse.back().X.begin(), coarse.back().X.end());
    positions.insert(positions.end(), fine.back().X.begin(), fine.back().X.end());
  }
  // Both grids' nodes at once; a section's ends are its neighbours' too.
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  options.SampleX = positions;
  options.Start = TConvergedOptions::TStart{first.SpinneretTension, first.ResidualSlope};
  if (first.ResidualSlope == 0.0) options.Start.reset();
  grid.Solution = SolveConverged(condition, options);

  const TSpinlineConstants<double>& k = model.Laws;
  const bool coupled = grid.Solution.Structure.has_value() && model.Structure.Coupled;
  const std::optional<double>& freeze = grid.Solution.FreezePoint;
  const double near = 1e-6 * grid.Solution.Length;
  const auto section_of = [&](TChebyshevGrid nodes) {
    TLineSection section;
    section.Grid = std::move(nodes);
    const double start = section.Grid.X.front(), end = section.Grid.X.back();
    const bool glassy = freeze && start >= *freeze - near;
    section.FreezesAtEnd = freeze && std::fabs(end - *freeze) <= near;
    TLinePointLaws laws;
    laws.K = k;
    laws.ViscosityFactor = laws::ViscosityFactor(k, std::pow(condition.IV, k.IvExponent));
    laws.Air = ZoneAirAt(condition, (start + end) / 2.0);
    for (const double x : section.Grid.X) {
      const auto at_x = std::lower_bound(positions.begin(), positions.end(), x);
      const TConvergedSample& at = grid.Solution.Profile[at_x - positions.begin()];
      laws.Stiffening = glassy    ? k.SolidFactor
                        : coupled ? 1.0 + (k.SolidFactor - 1.0) * at.Crystallinity
                                  : 1.0;
      section.Laws.push_back(laws);
      section.U.push_back({k.QuarterPi * at.D * at.D, at.V, at.F, at.T});
    }
    return section;
  };
  for (std::size_t s = 0; s < coarse.size(); ++s) {
    grid.Coarse.push_back(section_of(std::move(coarse[s])));
    grid.Fine.push_back(section_of(std::move(fine[s])));
  }
  return grid;
}

}  // namespace vellmor
