// The driver on models with known solutions, apart from any spinline: y' = y (y = e^x) and
// y' = -y, z' = cos x (z = sin x), with events at levels the exponential reaches at known x.

#include "vellmor/converged/adaptive_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "vellmor/base/run_error.h"
#include "vellmor/converged/event_list.h"
#include "vellmor/converged/state_layout.h"

namespace vellmor {
namespace {

// A model of exponentials: y' = rate y from y = 1, and, when declared, a second block z' =
// cos x, controlled or not. Keeps what the driver tells it.
class ExponentialModel : public AdaptiveModel {
 public:
  ExponentialModel(double rate, std::vector<double> ends, bool with_z = false,
                   bool z_controlled = true)
      : rate_(rate), ends_(std::move(ends)) {
    y_ = layout_.Add({"y"});
    if (with_z) z_ = layout_.Add({"z", z_controlled});
  }

  const TStateLayout& Layout() const override { return layout_; }
  std::span<const double> StretchEnds() const override { return ends_; }
  std::span<const TEvent> Events() const override { return events; }
  void BeginPiece(std::size_t stretch, double x, const TState&) override {
    pieces.push_back({stretch, x});
  }
  void Derivatives(const TState& y, TState& dydx, double x) const override {
    dydx[y_] = rate_ * y[y_];
    if (z_ != kNoComponent) dydx[z_] = std::cos(x);
  }
  void OnEvent(std::size_t event, double x, const TState& y) override {
    happened.push_back({event, x, y[y_]});
  }

  TState Start() const {
    TState y = layout_.Zero();
    y[y_] = 1.0;
    return y;
  }
  std::size_t Y() const { return y_; }
  std::size_t Z() const { return z_; }

  std::vector<TEvent> events;
  struct TPiece {
    std::size_t stretch;
    double x;
  };
  std::vector<TPiece> pieces;
  struct THappened {
    std::size_t event;
    double x, y;
  };
  std::vector<THappened> happened;

 private:
  double rate_;
  std::vector<double> ends_;
  TStateLayout layout_;
  std::size_t y_ = kNoComponent;
  std::size_t z_ = kNoComponent;
};

const TIntegrationTolerance kTight{1e-10, 1e-10};

TEST(StateLayout, NamesTheComponentsInTheOrderDeclared) {
  TStateLayout layout;
  EXPECT_EQ(layout.Add({"velocity"}), 0u);
  EXPECT_EQ(layout.Add({"time", false}), 1u);
  EXPECT_EQ(layout.Add({"psi", true, 1e-3}), 2u);
  EXPECT_EQ(layout.Size(), 3u);
  EXPECT_EQ(layout.Find("psi"), 2u);
  EXPECT_EQ(layout.Find("stress"), kNoComponent);
  EXPECT_FALSE(layout[1].Controlled);
  EXPECT_EQ(layout[2].AbsoluteScale, 1e-3);
  const TState zero = layout.Zero();
  ASSERT_EQ(zero.size(), 3u);
  for (const double component : zero) EXPECT_EQ(component, 0.0);
}

// The stretch ends are landed on, each a piece of its own, and the pass ends at the last.
TEST(IntegrateAdaptive, LandsOnTheStretchEndsAndMeetsTheExactSolution) {
  ExponentialModel model(1.0, {0.3, 0.7, 1.0});
  const TDriverEnd end = IntegrateAdaptive(model, kTight, 0.0, model.Start());
  EXPECT_EQ(end.StopEvent, TDriverEnd::kNoEvent);
  EXPECT_EQ(end.X, 1.0);
  EXPECT_NEAR(end.State[model.Y()], std::exp(1.0), 1e-8);
  ASSERT_EQ(model.pieces.size(), 3u);
  EXPECT_EQ(model.pieces[1].stretch, 1u);
  EXPECT_EQ(model.pieces[1].x, 0.3);
  EXPECT_EQ(model.pieces[2].x, 0.7);
}

// e^x reaches 1.5 at ln 1.5, 2 at ln 2 and 2.5 at ln 2.5; each event on the dense output.
TEST(IntegrateAdaptive, LocatesEachEventAndActsOnIt) {
  ExponentialModel model(1.0, {1.0});
  model.events = {
      {"two", 0, 2.0, {}, TEventDirection::kEither, TEventAction::kRestart},
      {"one and a half", 0, 1.5, {}, TEventDirection::kRising, TEventAction::kRecord, true},
      {"falling", 0, 1.2, {}, TEventDirection::kFalling, TEventAction::kRecord},
      {"two and a half", 0, 2.5, {}, TEventDirection::kRising, TEventAction::kStop}};
  const TDriverEnd end = IntegrateAdaptive(model, kTight, 0.0, model.Start());

  ASSERT_EQ(model.happened.size(), 3u);  // e^x never falls through 1.2
  EXPECT_EQ(model.happened[0].event, 1u);
  EXPECT_NEAR(model.happened[0].x, std::log(1.5), 1e-9);
  EXPECT_EQ(model.happened[1].event, 0u);
  EXPECT_NEAR(model.happened[1].x, std::log(2.0), 1e-9);
  EXPECT_NEAR(model.happened[1].y, 2.0, 1e-12);  // located to round-off on the dense output
  // The restart begins a new piece where the event is.
  ASSERT_EQ(model.pieces.size(), 2u);
  EXPECT_EQ(model.pieces[1].x, model.happened[1].x);

  EXPECT_EQ(end.StopEvent, 3u);
  EXPECT_EQ(model.happened[2].event, 3u);
  EXPECT_EQ(end.X, model.happened[2].x);
  EXPECT_NEAR(end.X, std::log(2.5), 1e-9);
  EXPECT_GE(end.State[model.Y()], 2.5);  // the first position past the level
  EXPECT_NEAR(end.State[model.Y()], 2.5, 1e-12);
}

// A restart that keeps happening is a stalled pass, named after the event: y rises at unit
// rate below 1 and falls above, so that from x = 1 on every piece crosses back at once, as a
// filament hovering at the glass point.
TEST(IntegrateAdaptive, EventThatKeepsHappeningStallsThePass) {
  class Hovering : public ExponentialModel {
   public:
    Hovering() : ExponentialModel(0.0, {3.0}) {
      events = {{"the level", Y(), 1.0, {}, TEventDirection::kEither, TEventAction::kRestart}};
    }
    void Derivatives(const TState&, TState& dydx, double) const override {
      dydx[Y()] = above_ ? -1.0 : 1.0;
    }
    void OnEvent(std::size_t event, double x, const TState& y) override {
      ExponentialModel::OnEvent(event, x, y);
      above_ = !above_;
    }

   private:
    bool above_ = false;
  } model;
  TState start = model.Start();
  start[model.Y()] = 0.0;
  try {
    IntegrateAdaptive(model, kTight, 0.0, start);
    FAIL() << "no failure";
  } catch (const CalculationError& error) {
    EXPECT_EQ(error.Fault(), CalculationFault::kStepSizeUnderflow);
    EXPECT_NE(std::string(error.what()).find("no way past the level at x = "), std::string::npos)
        << error.what();
  }
  ASSERT_EQ(model.happened.size(), 1000u);
  for (const auto& happened : model.happened) EXPECT_NEAR(happened.x, 1.0, 1e-14);
}

// A block a model adds is integrated with the others. Uncontrolled, it leaves the steps and
// so the other components unchanged to the last bit; controlled, it takes part in the error
// control and the others still meet their solution.
TEST(IntegrateAdaptive, DeclaredBlockIsIntegratedBesideTheOthers) {
  ExponentialModel alone(-1.0, {0.5, 2.0});
  const TDriverEnd end_alone = IntegrateAdaptive(alone, kTight, 0.0, alone.Start());

  ExponentialModel quadrature(-1.0, {0.5, 2.0}, true, false);
  const TDriverEnd end_quadrature = IntegrateAdaptive(quadrature, kTight, 0.0, quadrature.Start());
  EXPECT_EQ(end_quadrature.State[quadrature.Y()], end_alone.State[alone.Y()]);
  EXPECT_NEAR(end_quadrature.State[quadrature.Z()], std::sin(2.0), 1e-8);

  ExponentialModel controlled(-1.0, {0.5, 2.0}, true, true);
  const TDriverEnd end_controlled = IntegrateAdaptive(controlled, kTight, 0.0, controlled.Start());
  EXPECT_NEAR(end_controlled.State[controlled.Y()], std::exp(-2.0), 1e-10);
  EXPECT_NEAR(end_controlled.State[controlled.Z()], std::sin(2.0), 1e-9);
}

// Samples at requested positions from the dense output, those outside the line at its ends.
TEST(IntegrateAdaptive, TellsTheObserverTheStateAtEachSample) {
  struct Recorder : StateObserver {
    void OnState(double x, const TState& y) override { samples.push_back({x, y[component]}); }
    std::size_t component = 0;  // y
    std::vector<std::pair<double, double>> samples;
  } recorder;
  ExponentialModel model(1.0, {1.0});
  const std::vector<double> at = {-1.0, 0.0, 0.25, 0.5, 1.0, 3.0};
  IntegrateAdaptive(model, kTight, 0.0, model.Start(), at, &recorder);
  ASSERT_EQ(recorder.samples.size(), at.size());
  for (std::size_t i = 0; i < at.size(); ++i) {
    SCOPED_TRACE(at[i]);
    EXPECT_EQ(recorder.samples[i].first, at[i]);
    EXPECT_NEAR(recorder.samples[i].second, std::exp(std::clamp(at[i], 0.0, 1.0)), 1e-8);
  }
}

// cos s - 1/2 falls through 0 at π/3 on [0, 2].
TEST(LocateCrossing, FindsTheFirstPositionPastTheCrossingToRoundOff) {
  auto g = [](double s) { return std::cos(s) - 0.5; };
  const double root = std::acos(0.5);
  const double at = LocateCrossing(g, 0.0, 2.0, g(0.0), g(2.0));
  EXPECT_NEAR(at, root, 4.0 * DBL_EPSILON * root);
  EXPECT_LT(g(at), 0.0);
  // An end where g is 0 is the position; so is the start when it is past already.
  EXPECT_EQ(LocateCrossing(g, root, 2.0, 0.0, g(2.0)), root);
  auto rising = [&g](double s) { return -g(s); };
  EXPECT_EQ(LocateCrossing(rising, 0.0, root, rising(0.0), 0.0), root);
  EXPECT_EQ(LocateCrossing(g, 1.5, 2.0, g(1.5), g(2.0)), 1.5);
}

}  // namespace
}  // namespace vellmor
