#pragma once

// The events of a model along the line: each is a function g(x, y) whose change of side
// (negative, or not negative) marks the event, and what the integration does there. The
// driver watches every event of the list over each accepted step, locates a change on the
// step's dense output with LocateCrossing, and acts on the first one that restarts or stops.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string_view>

#include <boost/math/tools/toms748_solve.hpp>

#include "vellmor/converged/state_layout.h"

namespace vellmor {

// Which changes of side are the event.
enum class TEventDirection {
  kEither,
  kRising,   // from negative to not negative
  kFalling,  // from not negative to negative
};

enum class TEventAction {
  kRecord,   // the model notes where it happens; the step stands
  kRestart,  // the model's laws change there: the step is cut at it and a new piece begins
  kStop,     // the pass ends there
};

struct TEvent {
  // What it is, for messages: "the glass point".
  std::string_view Name;
  // g(x, y) = y[Component] - Level, one component passing a level; or G(x, y) when G is given.
  std::size_t Component = kNoComponent;
  double Level = 0.0;
  std::function<double(double x, const TState& y)> G;
  TEventDirection Direction = TEventDirection::kEither;
  TEventAction Action = TEventAction::kRecord;
  // Watched only until it first happens.
  bool Once = false;

  double operator()(double x, const TState& y) const { return G ? G(x, y) : y[Component] - Level; }
};

// The event of one component passing a level.
inline TEvent LevelEvent(std::string_view name, std::size_t component, double level,
                         TEventDirection direction, TEventAction action, bool once = false) {
  return {name, component, level, {}, direction, action, once};
}

// The side of an event function's value: not negative (0 included) or negative.
inline bool NotNegative(double g) { return !(g < 0.0); }

// The first position of [a, b] on g's far side, to round-off: TOMS 748 on the bracket, whose
// ends ga = g(a) and gb = g(b) lie on different sides. An end where g is 0 is the position
// itself, and so is a when g is on the same side there as at b (already past at a).
template <class G>
double LocateCrossing(G&& g, double a, double b, double ga, double gb) {
  if (ga == 0.0 || NotNegative(ga) == NotNegative(gb)) return a;
  if (gb == 0.0) return b;
  std::uintmax_t iterations = 200;
  const auto bracket = boost::math::tools::toms748_solve(
      g, a, b, ga, gb,
      [](double low, double high) { return high - low <= 4.0 * DBL_EPSILON * std::fabs(high); },
      iterations);
  return bracket.second;
}

}  // namespace vellmor
