#include "vellmor/converged/converged_derivatives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "vellmor/converged/dual.h"
#include "vellmor/converged/spinneret_exit_of.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/solver/init_spinline.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

// A number of a solution, or its derivative, by name.
struct TNamed {
  std::string Name;
  double Value;
};

// Positions off the zone ends, the freeze point and the take-up end, where a sample at a fixed
// position is smooth in every parameter.
const std::vector<double> kSampleX{0.0, 3.0, 17.0, 48.0, 77.0, 99.0};

// The solution's numbers, worked out here where they are not the solution's own: the stress at
// the freeze point is the tension over the cross-section there (MPa).
std::vector<TNamed> NumbersOf(const TConvergedSolution& s) {
  std::vector<TNamed> numbers{
      {"spinneret_tension", s.SpinneretTension}, {"take_up_tension", s.TakeUpTension},
      {"final_temperature", s.FinalTemperature}, {"final_diameter", s.FinalDiameter},
      {"residence_time", s.ResidenceTime},       {"exit_velocity", s.ExitVelocity}};
  if (s.FreezePoint) {
    const double area = 0.78539815 * s.FreezeState.D * s.FreezeState.D;
    numbers.insert(numbers.end(), {{"freeze_point", *s.FreezePoint},
                                   {"freeze_v", s.FreezeState.V},
                                   {"freeze_f", s.FreezeState.F},
                                   {"freeze_d", s.FreezeState.D},
                                   {"freeze_stress", s.FreezeState.F / area * 1e-7}});
  }
  for (const TConvergedSample& p : s.Profile) {
    const std::string at = "@" + std::to_string(p.X) + " ";
    numbers.insert(numbers.end(),
                   {{at + "v", p.V}, {at + "f", p.F}, {at + "t", p.T}, {at + "d", p.D}});
    if (s.Structure) {
      numbers.insert(numbers.end(), {{at + "birefringence", p.Birefringence},
                                     {at + "crystallinity", p.Crystallinity}});
    }
  }
  if (s.Structure) {
    numbers.insert(numbers.end(), {{"birefringence", s.Structure->Birefringence},
                                   {"orientation", s.Structure->Orientation},
                                   {"crystallinity", s.Structure->Crystallinity}});
  }
  return numbers;
}

// The same numbers' derivatives, in the same order.
std::vector<double> DerivativesIn(const TSolutionDerivative& d, const TConvergedSolution& s) {
  std::vector<double> numbers{d.SpinneretTension, d.TakeUpTension, d.FinalTemperature,
                              d.FinalDiameter,    d.ResidenceTime, d.ExitVelocity};
  if (s.FreezePoint) {
    numbers.insert(numbers.end(), {*d.FreezePoint, d.FreezeState.V, d.FreezeState.F,
                                   d.FreezeState.D, d.FreezeStressMPa});
  }
  for (const TSampleDerivative& p : d.Profile) {
    numbers.insert(numbers.end(), {p.V, p.F, p.T, p.D});
    if (s.Structure) numbers.insert(numbers.end(), {p.Birefringence, p.Crystallinity});
  }
  if (s.Structure) {
    numbers.insert(numbers.end(), {d.Structure->Birefringence, d.Structure->Orientation,
                                   d.Structure->Crystallinity});
  }
  return numbers;
}

// Solves to a ten-thousandth of the default tolerance, the root polished.
TConvergedOptions TightOptions(const TModelConstants& model, bool structure) {
  TConvergedOptions options;
  options.Tolerance = {1e-12, 1e-12};
  options.VelocityTolerance = 1e-12;
  options.SampleX = kSampleX;
  options.Model = model;
  options.Structure = structure;
  return options;
}

// Every derivative against central differences of tightly converged solutions at p ± h and
// p ± 2h, extrapolated (the h² terms cancel), h = relative_step × p (relative_step for a
// parameter at 0): for every parameter, every number, six digits of each derivative's elasticity
// d ln y / d ln p, or 1e-7 of the largest of that number's elasticities for those much
// smaller.
void ExpectDerivativesAgree(const TSpinCondition& condition, const TModelConstants& model,
                            bool structure, double relative_step = 1e-4) {
  const TConvergedOptions tight = TightOptions(model, structure);
  const TConvergedSolution base = SolveConverged(condition, tight);
  const std::vector<TNamed> at_base = NumbersOf(base);
  const std::vector<TConvergedParameter> parameters = ConvergedParameters(structure);
  const TConvergedDerivatives derivatives = DerivativesOf(condition, tight, base, parameters);
  ASSERT_EQ(derivatives.Of.size(), parameters.size());

  TConvergedOptions neighbour = tight;
  neighbour.Start = TConvergedOptions::TStart{base.SpinneretTension, base.ResidualSlope};
  // Elasticities by parameter, then number: the derivative's and the reference's.
  std::vector<std::vector<double>> got(parameters.size());
  std::vector<std::vector<double>> expected(parameters.size());
  for (std::size_t j = 0; j < parameters.size(); ++j) {
    const TConvergedParameter& parameter = parameters[j];
    SCOPED_TRACE(std::string(parameter.Name()));
    ASSERT_TRUE(derivatives.Of[j].Covered);
    const double p = parameter.ValueIn(condition, model);
    const double h = p == 0.0 ? relative_step : relative_step * p;
    const auto at = [&](double value) {
      TSpinCondition c = condition;
      neighbour.Model = model;
      parameter.Set(c, neighbour.Model, value);
      return NumbersOf(SolveConverged(c, neighbour));
    };
    // At the low end of its range (the Avrami index at 1), one-sided: −3 y(p) + 4 y(p + h) − y(p +
    // 2h).
    const bool one_sided = parameter.Key != nullptr && parameter.Key->Range.Low == p;
    const std::vector<TNamed> up = at(p + h), up2 = at(p + 2 * h);
    const std::vector<TNamed> down = one_sided ? at_base : at(p - h);
    const std::vector<TNamed> down2 = one_sided ? at_base : at(p - 2 * h);
    const std::vector<double> exact = DerivativesIn(derivatives.Of[j], base);
    ASSERT_EQ(exact.size(), at_base.size());
    ASSERT_EQ(up2.size(), at_base.size());
    const double scale = p == 0.0 ? 1.0 : p;
    for (std::size_t i = 0; i < at_base.size(); ++i) {
      const double narrow = (up[i].Value - down[i].Value) / (2 * h);
      const double wide = (up2[i].Value - down2[i].Value) / (4 * h);
      const double y = at_base[i].Value == 0.0 ? 1.0 : at_base[i].Value;
      const double slope = one_sided
                               ? (-3 * at_base[i].Value + 4 * up[i].Value - up2[i].Value) / (2 * h)
                               : (4 * narrow - wide) / 3;
      expected[j].push_back(slope * scale / y);
      got[j].push_back(exact[i] * scale / y);
    }
  }
  for (std::size_t i = 0; i < at_base.size(); ++i) {
    double largest = 0.0;
    for (std::size_t j = 0; j < parameters.size(); ++j) {
      largest = std::max(largest, std::fabs(expected[j][i]));
    }
    for (std::size_t j = 0; j < parameters.size(); ++j) {
      EXPECT_NEAR(got[j][i], expected[j][i],
                  std::max(1e-6 * std::fabs(expected[j][i]), 1e-7 * largest))
          << at_base[i].Name << " by " << parameters[j].Name();
    }
  }
}

TEST(ConvergedDerivatives, DefaultCaseEveryParameterAndNumber) {
  ExpectDerivativesAgree(DefaultCondition(), {}, false);
}

// Zone 2 reaches past the freeze point: the filament solidifies in the cross flow, and the
// glass point moves with the air there.
TEST(ConvergedDerivatives, FreezingInTheCrossFlow) {
  TSpinCondition condition = DefaultCondition();
  condition.Zones[2].EndPosition = 80.0;
  ExpectDerivativesAgree(condition, {}, false);
}

// One-way, the structure follows the line: the birefringence frozen in at the moving freeze
// point, the crystallinity from the window's moving edge on.
TEST(ConvergedDerivatives, StructureOneWay) {
  ExpectDerivativesAgree(DefaultCondition(), {}, true);
}

// The birefringence of older cards, linear in the stress: its own coefficient moves it.
TEST(ConvergedDerivatives, StructureOneWayLinearBirefringence) {
  TModelConstants model;
  model.Structure.Law = BirefringenceLaw::kLinear;
  ExpectDerivativesAgree(DefaultCondition(), model, true);
}

// Coupled, the crystals stiffen the melt and their heat keeps it warm: the line's numbers
// move with the structure's constants too. With an Avrami index of 2: at 1 the latent heat's
// rate n ψⁿ⁻¹ exp(−ψⁿ) ψ' starts at ψ' where the window opens, but above 1 at 0, through a
// layer no integration resolves at n = 1 + 1e-4, so that differences there are off by 1e-3.
// The coupled line bends sharply in its constants (1e-3 more drag exponent and the take-up
// speed cannot be met): differences of h = 1e-4 p are still off by 1e-4 through their h⁴
// term, those of 1e-5 p are not.
TEST(ConvergedDerivatives, StructureCoupled) {
  TModelConstants model;
  model.Structure.Coupled = true;
  model.Structure.AvramiIndex = 2.0;
  ExpectDerivativesAgree(DefaultCondition(), model, true, 1e-5);
}

// At n = 1 the derivative with respect to n takes in ψⁿ⁻¹ ln ψ, singular where the window
// opens: it is the same at the default tolerance and at a ten-thousandth of it.
TEST(ConvergedDerivatives, AvramiIndexOfOneWhereTheWindowOpens) {
  const auto derivative = [](double tolerance) {
    TConvergedOptions options;
    options.Tolerance = {tolerance, tolerance};
    options.Model.Structure.Coupled = true;
    const TConvergedSolution solution = SolveConverged(DefaultCondition(), options);
    const TConvergedParameter avrami{nullptr, FindModelKey("structure.avrami_index")};
    return DerivativesOf(DefaultCondition(), options, solution, {&avrami, 1}).Of[0];
  };
  const TSolutionDerivative loose = derivative(1e-8);
  const TSolutionDerivative tight = derivative(1e-12);
  EXPECT_NEAR(loose.SpinneretTension, tight.SpinneretTension,
              1e-6 * std::fabs(tight.SpinneretTension));
  EXPECT_NEAR(loose.FinalTemperature, tight.FinalTemperature,
              1e-5 * std::fabs(tight.FinalTemperature));
  EXPECT_NEAR(loose.Structure->Crystallinity, tight.Structure->Crystallinity,
              1e-5 * std::fabs(tight.Structure->Crystallinity));
}

// The exit's formulas in double precision against differences of the spinneret exit itself
// in its x87 arithmetic.
TEST(ConvergedDerivatives, SpinneretExitAgreesWithItsDifferences) {
  const TSpinCondition condition = DefaultCondition();
  using D3 = Dual<3>;
  TConditionNumbers<D3> numbers = ConditionNumbersOf<D3>(condition);
  numbers.HoleDiameter.d[0] = 1.0;
  numbers.MeltTemperature.d[1] = 1.0;
  numbers.IV.d[2] = 1.0;
  const TSpinneretExitOf<D3> exit = SpinneretExitOf(numbers, ConstantsOf<D3>(kBuiltInConstants));
  const double velocity = SpinneretExit(condition).Velocity;
  EXPECT_NEAR(exit.Velocity.v, velocity, 1e-13 * velocity);
  const std::array<double TSpinCondition::*, 3> inputs{
      &TSpinCondition::HoleDiameter, &TSpinCondition::MeltTemperature, &TSpinCondition::IV};
  for (int i = 0; i < 3; ++i) {
    const double value = condition.*inputs[static_cast<std::size_t>(i)];
    const double h = 1e-5 * value;
    TSpinCondition up = condition, down = condition;
    up.*inputs[static_cast<std::size_t>(i)] = value + h;
    down.*inputs[static_cast<std::size_t>(i)] = value - h;
    const double difference = (SpinneretExit(up).Velocity - SpinneretExit(down).Velocity) / (2 * h);
    EXPECT_NEAR(exit.Velocity.d[i], difference, 1e-7 * std::fabs(difference)) << i;
  }
}

}  // namespace
}  // namespace vellmor
