#pragma once

// What a fit knew of the constants it fitted, kept on the card it wrote, so that every later
// solve with the card can say how sure its answers are: the keys, whether each was fitted as
// its logarithm, the estimates, their covariance in the keys' own units, the degrees of
// freedom and the factor χ²/dof the covariance was scaled by. In the card's YAML:
//
//   uncertainty:
//     keys: [heat_transfer.factor, viscosity.activation_K]
//     log_scale: [true, true]
//     estimates: [0.000160, 6900]
//     covariance: [[1.2e-12, 3.1e-8], [3.1e-8, 412]]
//     degrees_of_freedom: 56
//     residual_scale: 1

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace YAML {
class Node;
}

namespace vellmor {

struct TCardUncertainty {
  std::vector<std::string> Keys;  // dotted paths of number keys of the card
  std::vector<bool> LogScale;
  std::vector<double> Estimates;
  std::vector<std::vector<double>> Covariance;  // symmetric, positive definite
  int DegreesOfFreedom = 0;
  double ResidualScale = 1.0;

  friend bool operator==(const TCardUncertainty&, const TCardUncertainty&) = default;
};

// What is wrong with an uncertainty: a key that is no number key of the card or named twice,
// lists of other lengths than the keys', a covariance that is not symmetric, finite and
// positive definite; nullopt when it is sound.
std::optional<std::string> UncertaintyProblem(const TCardUncertainty& uncertainty);

// The section as the card's YAML writes it, from "uncertainty:" on, ending with a line break.
std::string UncertaintyYaml(const TCardUncertainty& uncertainty);

// The section read from its node; the message that refuses it (without the card's file and
// line, which the reader adds).
std::variant<TCardUncertainty, std::string> ReadUncertainty(const YAML::Node& node);

}  // namespace vellmor
