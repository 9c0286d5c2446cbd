#include "vellmor/model_card/card_uncertainty.h"

#include <yaml-cpp/yaml.h>

#include <cmath>

#include "vellmor/model_card/model_card.h"

namespace vellmor {

std::optional<std::string> UncertaintyProblem(const TCardUncertainty& u) {
  const std::size_t n = u.Keys.size();
  if (n == 0) return "no keys";
  for (std::size_t i = 0; i < n; ++i) {
    const TModelKey* key = FindModelKey(u.Keys[i]);
    if (key == nullptr || !key->IsNumber()) return u.Keys[i] + " is no number key of the card";
    for (std::size_t j = 0; j < i; ++j) {
      if (u.Keys[j] == u.Keys[i]) return u.Keys[i] + " is named twice";
    }
  }
  if (u.LogScale.size() != n || u.Estimates.size() != n || u.Covariance.size() != n) {
    return "log_scale, estimates and covariance must each have one entry per key";
  }
  for (const std::vector<double>& row : u.Covariance) {
    if (row.size() != n) return "the covariance must be a square of the keys";
  }
  // Symmetric and positive definite: a Cholesky factor exists.
  std::vector<std::vector<double>> l(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(u.Estimates[i])) return "the estimates must be finite";
    for (std::size_t j = 0; j <= i; ++j) {
      const double a = u.Covariance[i][j];
      if (!std::isfinite(a) || std::fabs(a - u.Covariance[j][i]) > 1e-9 * std::fabs(a)) {
        return "the covariance must be finite and symmetric";
      }
      double sum = a;
      for (std::size_t k = 0; k < j; ++k) sum -= l[i][k] * l[j][k];
      if (i == j) {
        if (!(sum > 0.0)) return "the covariance must be positive definite";
        l[i][i] = std::sqrt(sum);
      } else {
        l[i][j] = sum / l[j][j];
      }
    }
  }
  if (u.DegreesOfFreedom < 0 || !(u.ResidualScale > 0.0)) {
    return "degrees_of_freedom must be 0 or more and residual_scale above 0";
  }
  return std::nullopt;
}

namespace {

std::string List(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) out += (i == 0 ? "" : ", ") + texts[i];
  return out + "]";
}

std::string Numbers(const std::vector<double>& values) {
  std::vector<std::string> texts;
  for (const double v : values) texts.push_back(CardNumberText(v));
  return List(texts);
}

}  // namespace

std::string UncertaintyYaml(const TCardUncertainty& u) {
  std::vector<std::string> logs;
  for (const bool log : u.LogScale) logs.push_back(log ? "true" : "false");
  std::string yaml =
      "\n# What the fit that made this card knew of its constants: the covariance of the\n"
      "# estimates in the keys' units (scaled by residual_scale, chi-square/dof, where sigma was\n"
      "# estimated); vellmor-cli solve with this card gives its answers with 95 % intervals.\n"
      "uncertainty:\n"
      "  keys: " +
      List(u.Keys) + "\n  log_scale: " + List(logs) + "\n  estimates: " + Numbers(u.Estimates) +
      "\n  covariance:\n";
  for (const std::vector<double>& row : u.Covariance) yaml += "    - " + Numbers(row) + "\n";
  yaml += "  degrees_of_freedom: " + std::to_string(u.DegreesOfFreedom) +
          "\n  residual_scale: " + CardNumberText(u.ResidualScale) + "\n";
  return yaml;
}

std::variant<TCardUncertainty, std::string> ReadUncertainty(const YAML::Node& node) {
  if (!node.IsMap()) return std::string("uncertainty: a section of keys, estimates, covariance");
  TCardUncertainty u;
  const auto number = [](const YAML::Node& n) -> std::optional<double> {
    if (!n.IsScalar() || n.Tag() != "?") return std::nullopt;
    return CardNumber(n.Scalar());
  };
  const auto numbers = [&](const YAML::Node& n) -> std::optional<std::vector<double>> {
    if (!n.IsSequence()) return std::nullopt;
    std::vector<double> out;
    for (const YAML::Node& item : n) {
      const std::optional<double> v = number(item);
      if (!v) return std::nullopt;
      out.push_back(*v);
    }
    return out;
  };
  for (const auto& entry : node) {
    const std::string name = entry.first.IsScalar() ? entry.first.Scalar() : std::string();
    const YAML::Node& value = entry.second;
    if (name == "keys" && value.IsSequence()) {
      for (const YAML::Node& key : value) u.Keys.push_back(key.IsScalar() ? key.Scalar() : "?");
    } else if (name == "log_scale" && value.IsSequence()) {
      for (const YAML::Node& flag : value) {
        if (!flag.IsScalar() || (flag.Scalar() != "true" && flag.Scalar() != "false")) {
          return std::string("uncertainty.log_scale: true or false each");
        }
        u.LogScale.push_back(flag.Scalar() == "true");
      }
    } else if (name == "estimates") {
      const auto values = numbers(value);
      if (!values) return std::string("uncertainty.estimates: a list of numbers");
      u.Estimates = *values;
    } else if (name == "covariance" && value.IsSequence()) {
      for (const YAML::Node& row : value) {
        const auto values = numbers(row);
        if (!values) return std::string("uncertainty.covariance: rows of numbers");
        u.Covariance.push_back(*values);
      }
    } else if (name == "degrees_of_freedom") {
      const std::optional<double> v = number(value);
      if (!v || *v != std::floor(*v)) {
        return std::string("uncertainty.degrees_of_freedom: a whole number");
      }
      u.DegreesOfFreedom = static_cast<int>(*v);
    } else if (name == "residual_scale") {
      const std::optional<double> v = number(value);
      if (!v) return std::string("uncertainty.residual_scale: a number");
      u.ResidualScale = *v;
    } else {
      return "uncertainty." + name +
             ": unknown; it holds keys, log_scale, estimates, covariance, degrees_of_freedom "
             "and residual_scale";
    }
  }
  if (auto problem = UncertaintyProblem(u)) return "uncertainty: " + *problem;
  return u;
}

}  // namespace vellmor
