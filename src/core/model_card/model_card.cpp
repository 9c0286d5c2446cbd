// Reading, checking and writing model cards. yaml-cpp parses the YAML (flow or block style,
// comments); every number is read here, in one grammar, so that a card means the same under
// every locale and a value written by ModelCardYaml reads back to the same double.

#include "core/model_card/model_card.h"

#include <yaml-cpp/yaml.h>

#include <charconv>
#include <cmath>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "core/base/number_text.h"

namespace vellmor {
namespace {

// A number in either arithmetic, correctly rounded from its text.
template <class Real>
std::optional<Real> ReadNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  Real value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// The card's grammar is the input fields' with a point and without blanks.
bool IsCardNumberText(std::string_view text) {
  return !text.empty() && text.front() != ' ' && text.back() != ' ' &&
         SplitNumberText(text, '.').has_value();
}

std::string Text(double value) { return ShortestText(value).value_or("nan"); }

}  // namespace

std::string CardNumberText(double value) {
  const double magnitude = std::fabs(value);
  if (value == 0.0 || magnitude < 1e-5 || magnitude >= 1e15) return Text(value);
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return result.ec == std::errc() ? std::string(text, result.ptr) : Text(value);
}

namespace {

// A value the card would lead to, to four digits: enough to see why it is refused.
std::string Rounded(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 4);
  return std::string(text, result.ptr);
}

std::string MustBeAbove(std::string_view what, double value) {
  return "must be above " + std::string(what) + ", not " + Text(value);
}

}  // namespace

std::optional<bool> CoupledText(std::string_view text) {
  if (text == "true") return true;
  if (text == "false") return false;
  return std::nullopt;
}

std::optional<double> CardNumber(std::string_view text) {
  if (!IsCardNumberText(text)) return std::nullopt;
  return ReadNumber<double>(text);
}

void ModelCard::SetValue(const TModelKey& key, double value) {
  SetModelValue(constants_, key, value);
}

bool ModelCard::SetText(const TModelKey& key, std::string_view text) {
  const std::optional<double> value = CardNumber(text);
  if (!value) return false;
  if (key.IsStructure()) {
    constants_.Structure.*key.Structure = *value;
    return true;
  }
  const std::optional<long double> extended =
      ReadNumber<long double>(!text.empty() && text.front() == '+' ? text.substr(1) : text);
  if (!extended) return false;
  constants_.Laws.*key.Value = *value;
  constants_.Exit.*key.Extended = *extended;
  return true;
}

std::optional<TMeaninglessValue> MeaninglessValue(const ModelCard& card) {
  const auto value = [&card](std::string_view path) { return card.Value(*FindModelKey(path)); };
  const auto blame = [](std::string_view path, std::string why) {
    return TMeaninglessValue{FindModelKey(path), std::move(why)};
  };
  // Linear laws in T over the range a spinline sees, from a cold take-up to a hot melt.
  constexpr double kHottest = 400.0;  // °C
  struct TLinearLaw {
    std::string_view Intercept;
    std::string_view Slope;
    double Sign;
    std::string_view What;
    std::string_view Unit;
  };
  for (const TLinearLaw& law : {
           TLinearLaw{"density.intercept_g_cm3", "density.slope_g_cm3_per_C", -1.0, "the density",
                      " g/cm³"},
           TLinearLaw{"specific_heat.intercept_cal_g_C", "specific_heat.slope_cal_g_C_per_C", 1.0,
                      "the specific heat", " cal/(g·°C)"},
       }) {
    const double at_zero = value(law.Intercept);
    if (!(at_zero > 0.0)) return blame(law.Intercept, MustBeAbove("0", at_zero));
    const double at_hottest = at_zero + law.Sign * value(law.Slope) * kHottest;
    if (!(at_hottest > 0.0)) {
      return blame(law.Slope, std::string(law.What) + " would be " + Rounded(at_hottest) +
                                  std::string(law.Unit) +
                                  " at 400 °C: it must stay above 0 "
                                  "from 0 to 400 °C");
    }
  }
  for (const std::string_view positive :
       {"viscosity.factor_P", "viscosity.solid_factor", "die_swell.factor", "die_swell.reference_K",
        "die_swell.reference_iv"}) {
    if (!(value(positive) > 0.0)) return blame(positive, MustBeAbove("0", value(positive)));
  }
  const double solidification = value("viscosity.solidification_C");
  if (!(solidification > -273.0)) {
    return blame("viscosity.solidification_C", MustBeAbove("-273 °C", solidification));
  }
  for (const std::string_view not_negative :
       {"heat_transfer.factor", "air_drag.factor", "structure.stress_optical_per_GPa",
        "structure.rate_max_per_s", "structure.ultimate_crystallinity",
        "structure.heat_of_fusion_cal_g"}) {
    if (value(not_negative) < 0.0) {
      return blame(not_negative, "must be 0 or more, not " + Text(value(not_negative)));
    }
  }
  for (const std::string_view positive :
       {"structure.intrinsic_birefringence", "structure.rate_half_width_C"}) {
    if (!(value(positive) > 0.0)) return blame(positive, MustBeAbove("0", value(positive)));
  }
  // Below 1 the rate of θ = 1 − exp(−ψⁿ) is infinite where crystallization starts.
  if (!(value("structure.avrami_index") >= 1.0)) {
    return blame("structure.avrami_index",
                 "must be 1 or more, not " + Text(value("structure.avrami_index")));
  }
  if (value("structure.ultimate_crystallinity") > 1.0) {
    return blame("structure.ultimate_crystallinity",
                 "must be 1 or less, not " + Text(value("structure.ultimate_crystallinity")));
  }
  return std::nullopt;
}

namespace {

class CardReader {
 public:
  explicit CardReader(std::string_view source) : source_(source) {}

  OrCardProblem<ModelCard> Read(std::string_view yaml) {
    YAML::Node root;
    try {
      root = YAML::Load(std::string(yaml));
    } catch (const YAML::Exception& error) {
      return Problem(error.mark.line, error.msg);
    }
    if (root.IsNull()) return Problem(-1, "the card is empty");
    if (!root.IsMap()) return Problem(root.Mark().line, "a card is a mapping of sections");
    card_.SetName(std::string(source_));
    for (const auto& entry : root) {
      const std::optional<std::string> name = KeyName(entry.first);
      if (!name) return *problem_;
      if (*name == "name") {
        if (!entry.second.IsScalar()) return Problem(entry.second.Mark().line, "name: a text");
        card_.SetName(entry.second.Scalar());
        continue;
      }
      if (!Seen(*name, entry.first)) return *problem_;
      if (const TModelKey* key = FindModelKey(*name); key != nullptr && key->Section().empty()) {
        if (!ReadValue(*key, entry.second)) return *problem_;
        continue;
      }
      if (!IsSection(*name)) {
        return Problem(entry.first.Mark().line,
                       *name + ": unknown key; a card has " + TopLevelNames());
      }
      if (!entry.second.IsMap()) {
        return Problem(entry.second.Mark().line, *name +
                                                     ": a section holds its constants, as in "
                                                     "vellmor-cli model");
      }
      section_lines_[*name] = entry.first.Mark().line;
      for (const auto& constant : entry.second) {
        const std::optional<std::string> key_name = KeyName(constant.first);
        if (!key_name) return *problem_;
        const std::string path = *name + "." + *key_name;
        if (path == kCoupledKey) {
          if (!Seen(path, constant.first) || !ReadCoupled(constant.second)) return *problem_;
          continue;
        }
        const TModelKey* key = FindModelKey(path);
        if (key == nullptr) {
          return Problem(constant.first.Mark().line,
                         path + ": unknown key; " + *name + " has " + KeysOf(*name), path);
        }
        if (!Seen(path, constant.first) || !ReadValue(*key, constant.second)) return *problem_;
      }
    }
    // A card written before the structure had its section gets the built-in structure.
    const bool structure_given = section_lines_.contains(std::string(kStructureSection));
    for (const TModelKey& key : kModelKeys) {
      if (lines_.contains(std::string(key.Path))) continue;
      if (key.IsStructure() && !structure_given) continue;
      const std::string section(key.Section());
      if (section.empty()) {
        return Problem(-1, std::string(key.Path) + " is missing", std::string(key.Path));
      }
      const auto line = section_lines_.find(section);
      if (line == section_lines_.end())
        return Problem(-1, "the section " + section + " is missing");
      return Problem(line->second, section + ": " + std::string(key.Key()) + " is missing",
                     std::string(key.Path));
    }
    if (structure_given && !lines_.contains(std::string(kCoupledKey))) {
      return Problem(section_lines_.at(std::string(kStructureSection)),
                     std::string(kStructureSection) + ": coupled is missing",
                     std::string(kCoupledKey));
    }
    if (const std::optional<TMeaninglessValue> meaningless = MeaninglessValue(card_)) {
      return Problem(lines_.at(std::string(meaningless->Key->Path)),
                     std::string(meaningless->Key->Path) + ": " + meaningless->Why,
                     std::string(meaningless->Key->Path));
    }
    return card_;
  }

 private:
  // line is yaml-cpp's, from 0; -1 for the card as a whole.
  // key: the dotted path of the constant it is about, where it is about one.
  TCardProblem Problem(int line, const std::string& what, std::string key = {}) {
    std::string message(source_);
    if (line >= 0) message.append(":").append(std::to_string(line + 1));
    message.append(": ").append(what);
    problem_ = TCardProblem{std::move(message), std::string(source_), line + 1, std::move(key)};
    return *problem_;
  }

  std::optional<std::string> KeyName(const YAML::Node& key) {
    if (key.IsScalar()) return key.Scalar();
    Problem(key.Mark().line, "a key is a plain name");
    return std::nullopt;
  }

  // Records where path was given; false (with the problem) when it was given before.
  bool Seen(const std::string& path, const YAML::Node& key) {
    const int line = key.Mark().line;
    const auto [where, added] = lines_.emplace(path, line);
    if (!added) {
      Problem(line,
              path + ": given twice (first on line " + std::to_string(where->second + 1) + ")",
              path);
    }
    return added;
  }

  bool ReadValue(const TModelKey& key, const YAML::Node& node) {
    const std::string path(key.Path);
    if (!node.IsScalar()) {
      Problem(node.Mark().line, path + ": needs a number", path);
      return false;
    }
    // A quoted value is a text in YAML, whatever it holds.
    if (node.Tag() != "?" || !card_.SetText(key, node.Scalar())) {
      Problem(node.Mark().line, path + ": not a number: " + node.Scalar(), path);
      return false;
    }
    return true;
  }

  bool ReadCoupled(const YAML::Node& node) {
    // YAML's own true and false, not a number or a quoted text.
    if (node.IsScalar() && node.Tag() == "?") {
      const std::optional<bool> coupled = CoupledText(node.Scalar());
      if (coupled) {
        card_.SetCoupled(*coupled);
        return true;
      }
    }
    Problem(node.Mark().line,
            std::string(kCoupledKey) + ": true or false, not " +
                (node.IsScalar() ? node.Scalar() : std::string("that")),
            std::string(kCoupledKey));
    return false;
  }

  static bool IsSection(const std::string& name) {
    for (const TModelKey& key : kModelKeys) {
      if (key.Section() == name) return true;
    }
    return false;
  }

  static std::string KeysOf(const std::string& section) {
    std::string keys;
    for (const TModelKey& key : kModelKeys) {
      if (key.Section() != section) continue;
      if (!keys.empty()) keys += ", ";
      keys += key.Key();
    }
    if (section == kStructureSection) keys += ", coupled";
    return keys;
  }

  static std::string TopLevelNames() {
    std::string names = "name";
    std::string_view last;
    for (const TModelKey& key : kModelKeys) {
      const std::string_view name = key.Section().empty() ? key.Path : key.Section();
      if (name == last) continue;
      names += ", ";
      names += name;
      last = name;
    }
    return names;
  }

  std::string_view source_;
  ModelCard card_;
  std::map<std::string, int> lines_;  // each path given, and its line
  std::map<std::string, int> section_lines_;
  std::optional<TCardProblem> problem_;
};

// What each section's law is, for the card's comments.
std::string_view LawOf(std::string_view section) {
  if (section == "density") return "rho = intercept - slope T";
  if (section == "specific_heat") return "Cp = intercept + slope T";
  if (section == "viscosity") {
    return "Trouton viscosity = factor IV^iv_exponent exp(activation / (T + 273)),\n"
           "# times solid_factor below solidification_C";
  }
  if (section == "die_swell") {
    return "swell = factor exp(temperature (1/reference - 1/(Tm + 273)))\n"
           "#         SR^shear_rate_exponent (IV/reference_iv)^iv_exponent";
  }
  if (section == "heat_transfer") {
    return "h = factor (V/A)^velocity_area_exponent\n"
           "#     (1 + (cross_flow_factor Va/V)^2)^cross_flow_exponent";
  }
  if (section == "air_drag") {
    return "drag per length = factor (W/rho)^flow_exponent V^velocity_exponent";
  }
  if (section == "structure") {
    return "the fibre's structure (vellmor-cli solve --structure), sigma = F rho V / W:\n"
           "# birefringence = stress_optical 1e-10 sigma while molten, frozen at\n"
           "# viscosity.solidification_C; orientation f = birefringence / intrinsic;\n"
           "# K = rate_max exp(-4 ln2 ((T - rate_peak) / rate_half_width)^2)\n"
           "#     exp(orientation_factor f^2) between solidification_C and upper_C;\n"
           "# psi = integral of K / V dx, crystallinity = ultimate (1 - exp(-psi^avrami))";
  }
  return "weight per length = W g / V";
}

// The card's texts of the switch.
std::string_view CoupledWord(bool coupled) { return coupled ? "true" : "false"; }

}  // namespace

OrCardProblem<ModelCard> ReadModelCard(std::string_view yaml, std::string_view source_name) {
  return CardReader(source_name).Read(yaml);
}

std::optional<std::string> ApplyCardText(ModelCard& card, const TModelKey& key,
                                         std::string_view text) {
  ModelCard changed = card;
  if (!changed.SetText(key, text)) return "not a number: " + std::string(text);
  if (const std::optional<TMeaninglessValue> meaningless = MeaninglessValue(changed)) {
    std::string why;
    if (meaningless->Key != &key) why = std::string(meaningless->Key->Path) + ": ";
    return why + meaningless->Why;
  }
  card = std::move(changed);
  return std::nullopt;
}

std::optional<TCardProblem> ApplyModelSetting(ModelCard& card, std::string_view setting) {
  const std::string shown = "--model-set " + std::string(setting);
  const std::size_t equals = setting.find('=');
  if (equals == std::string_view::npos) {
    return TCardProblem{shown + ": expected KEY=VALUE", "--model-set", 0, {}};
  }
  const std::string_view path = setting.substr(0, equals);
  const std::string_view text = setting.substr(equals + 1);
  if (path == "name") {
    card.SetName(std::string(text));
    return std::nullopt;
  }
  const auto problem = [&shown, &path](std::string_view what, bool known) {
    return TCardProblem{shown + ": " + std::string(what), "--model-set", 0,
                        known ? std::string(path) : std::string()};
  };
  if (path == kCoupledKey) {
    const std::optional<bool> coupled = CoupledText(text);
    if (!coupled) return problem("true or false", true);
    card.SetCoupled(*coupled);
    return std::nullopt;
  }
  const TModelKey* key = FindModelKey(path);
  if (key == nullptr) {
    return problem("unknown card key (vellmor-cli model lists them)", false);
  }
  // The setting shows the text already.
  if (ModelCard probe = card; !probe.SetText(*key, text)) return problem("not a number", true);
  if (const std::optional<std::string> why = ApplyCardText(card, *key, text)) {
    return problem(*why, true);
  }
  return std::nullopt;
}

std::string ModelCardYaml(const ModelCard& card) {
  YAML::Emitter name;
  name << card.Name();
  std::string yaml =
      "# Vellmor model card: every constant of the converged spinline model, one section per\n"
      "# law, the unit in each key. T is the filament temperature and Tm the melt's (°C), V the\n"
      "# filament velocity and Va the air's (cm/s), A the cross-section (cm²), W the mass flow\n"
      "# (g/s), SR the wall shear rate in the hole (1/s). Change a value, then\n"
      "# vellmor-cli solve --model THIS-FILE.\n"
      "name: " +
      std::string(name.c_str()) + "\n";
  std::string_view section;
  for (const TModelKey& key : kModelKeys) {
    if (key.Section() != section || key.Section().empty()) {
      section = key.Section();
      yaml += "\n# " + std::string(LawOf(section)) + "\n";
      if (!section.empty()) yaml += std::string(section) + ":\n";
    }
    std::string line = (section.empty() ? "" : "  ") + std::string(key.Key()) + ": " +
                       CardNumberText(card.Value(key));
    line.resize(std::max<std::size_t>(line.size() + 1, 44), ' ');
    yaml += line + "# " + std::string(key.Meaning) + ";\n" + std::string(44, ' ') + "# " +
            std::string(key.Source) + "\n";
  }
  std::string line = "  coupled: " + std::string(CoupledWord(card.Coupled()));
  line.resize(44, ' ');
  yaml += line + "# true: the crystals stiffen the melt, their heat keeps it warm,\n" +
          std::string(44, ' ') + "# and the spinneret tension is shot on that line\n";
  return yaml;
}

}  // namespace vellmor
