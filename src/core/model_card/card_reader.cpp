// Reading a model card. yaml-cpp parses the YAML (flow or block style, comments); every value
// is read here, in its key's grammar, so that a card means the same under every locale and a
// value written by ModelCardYaml reads back to the same double. A card starts as the built-in
// one: what it leaves out keeps the built-in value, and a warning names it, so that a card
// saved before a constant was added still reads.

#include <yaml-cpp/yaml.h>

#include <charconv>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "vellmor/model_card/key_suggestion.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

constexpr std::string_view kNameKey = "name";
constexpr std::string_view kVersionKey = "version";
constexpr std::string_view kBirefringenceLawKey = "structure.birefringence_law";
constexpr std::string_view kUncertaintyKey = "uncertainty";

// The names of the top level: name, version, the sections and the keys without one.
std::vector<std::string_view> TopLevelNames() {
  std::vector<std::string_view> names{kNameKey, kVersionKey};
  for (const TModelKey& key : kModelKeys) {
    const std::string_view name = key.Section().empty() ? key.Path : key.Section();
    if (names.back() != name) names.push_back(name);
  }
  names.push_back(kUncertaintyKey);
  return names;
}

std::string Joined(const std::vector<std::string_view>& names) {
  std::string joined;
  for (const std::string_view name : names) joined.append(joined.empty() ? "" : ", ").append(name);
  return joined;
}

// A plain YAML scalar: not quoted, which makes it a text whatever it holds.
bool IsPlain(const YAML::Node& node) { return node.IsScalar() && node.Tag() == "?"; }

class CardReader {
 public:
  explicit CardReader(std::string_view source) : source_(source) {}

  OrCardProblem<TReadCard> Read(std::string_view yaml) {
    YAML::Node root;
    try {
      root = YAML::Load(std::string(yaml));
    } catch (const YAML::Exception& error) {
      return Problem(error.mark.line, error.msg);
    }
    if (root.IsNull()) return Problem(-1, "the card is empty");
    if (!root.IsMap()) return Problem(root.Mark().line, "a card is a mapping of sections");
    // The version first: a newer card's other keys may be unknown here.
    for (const auto& entry : root) {
      if (entry.first.IsScalar() && entry.first.Scalar() == kVersionKey &&
          !ReadVersion(entry.second)) {
        return *problem_;
      }
    }
    card_.SetName(std::string(source_));
    for (const auto& entry : root) {
      if (!ReadEntry(entry.first, entry.second)) return *problem_;
    }
    const std::optional<TCardWarning> implied = ImpliedByVersion();
    if (const std::optional<TMeaninglessValue> meaningless = MeaninglessValue(card_)) {
      // A law may fail through a key left out, which has no line.
      const std::string path(meaningless->Key->Path);
      const auto line = lines_.find(path);
      return Problem(line == lines_.end() ? -1 : line->second, path + ": " + meaningless->Why,
                     path);
    }
    TReadCard read{card_, {}};
    if (std::optional<TCardWarning> left_out = LeftOut()) read.Warnings.push_back(*left_out);
    if (implied) read.Warnings.push_back(*implied);
    return read;
  }

 private:
  // line is yaml-cpp's, from 0; -1 for the card as a whole.
  // key: the dotted path of the constant it is about, where it is about one.
  TCardProblem Problem(int line, const std::string& what, std::string key = {}) {
    std::string message(source_);
    if (line >= 0) message.append(":").append(std::to_string(line + 1));
    message.append(": ").append(what);
    problem_ = TCardProblem{std::move(message), std::string(source_), line + 1, std::move(key), {}};
    return *problem_;
  }

  bool ReadVersion(const YAML::Node& node) {
    const int line = node.Mark().line;
    const std::string text = IsPlain(node) ? node.Scalar() : std::string();
    int version = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), version);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || version < 1) {
      Problem(line,
              "version: a whole number from 1, not " + (node.IsScalar() ? node.Scalar() : "that"),
              std::string(kVersionKey));
      return false;
    }
    if (version > kModelCardVersion) {
      Problem(line,
              "version: the card is of version " + text + ", newer than this program reads (" +
                  std::to_string(kModelCardVersion) + " at most): read it with a newer Vellmor",
              std::string(kVersionKey));
      return false;
    }
    version_ = version;
    return true;
  }

  // A card of a version before the saturating birefringence was solved with the linear law:
  // one that does not say its law keeps it, so that its results stay as they were.
  std::optional<TCardWarning> ImpliedByVersion() {
    const TModelKey& law = *FindModelKey(kBirefringenceLawKey);
    if (version_ >= kSaturatingBirefringenceVersion || lines_.contains(std::string(law.Path))) {
      return std::nullopt;
    }
    card_.Set(law, TChoice{static_cast<std::size_t>(BirefringenceLaw::kLinear)});
    implied_.emplace(law.Path);
    return TCardWarning{std::string(source_) + ": " + std::string(law.Path) +
                            " not given: linear, the law of cards before version " +
                            std::to_string(kSaturatingBirefringenceVersion) + ", is used",
                        std::string(source_),
                        {std::string(law.Path)}};
  }

  bool ReadEntry(const YAML::Node& key, const YAML::Node& value) {
    const std::optional<std::string> name = KeyName(key);
    if (!name || !Seen(*name, key)) return false;
    if (*name == kVersionKey) return true;  // read before
    if (*name == kUncertaintyKey) {
      auto read = ReadUncertainty(value);
      if (auto* why = std::get_if<std::string>(&read)) {
        Problem(key.Mark().line, *why);
        return false;
      }
      card_.SetUncertainty(std::get<TCardUncertainty>(std::move(read)));
      return true;
    }
    if (*name == kNameKey) {
      if (!value.IsScalar()) {
        Problem(value.Mark().line, "name: a text");
        return false;
      }
      card_.SetName(value.Scalar());
      return true;
    }
    if (const TModelKey* top = FindModelKey(*name); top != nullptr && top->Section().empty()) {
      return ReadValue(*top, value);
    }
    if (!IsCardSection(*name)) {
      const std::vector<std::string_view> names = TopLevelNames();
      const std::optional<std::string_view> near = NearestName(*name, names);
      Problem(key.Mark().line, *name + ": unknown key; " +
                                   (near ? "did you mean " + std::string(*near) + "?"
                                         : "a card has " + Joined(names)));
      return false;
    }
    if (!value.IsMap()) {
      Problem(value.Mark().line,
              *name + ": a section holds its constants, as in vellmor-cli model");
      return false;
    }
    for (const auto& constant : value) {
      const std::optional<std::string> key_name = KeyName(constant.first);
      if (!key_name) return false;
      const std::string path = *name + "." + *key_name;
      const TModelKey* found = FindModelKey(path);
      if (found == nullptr) {
        Problem(constant.first.Mark().line, path + ": unknown key; " + Unknown(path, *name), path);
        return false;
      }
      if (!Seen(path, constant.first) || !ReadValue(*found, constant.second)) return false;
    }
    return true;
  }

  // The nearest key to an unknown path, in any section, or else the keys of its own.
  static std::string Unknown(const std::string& path, const std::string& section) {
    std::vector<std::string_view> paths;
    std::vector<std::string_view> own;
    for (const TModelKey& key : kModelKeys) {
      paths.push_back(key.Path);
      if (key.Section() == section) own.push_back(key.Key());
    }
    if (const std::optional<std::string_view> near = NearestName(path, paths)) {
      return "did you mean " + std::string(*near) + "?";
    }
    return section + " has " + Joined(own);
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
      Problem(node.Mark().line, path + ": needs " + KindWanted(key), path);
      return false;
    }
    // A quoted number or switch is a text in YAML, whatever it holds; a name may be quoted.
    const bool plain_enough = key.Kind == KeyKind::kChoice || IsPlain(node);
    if (!plain_enough || !card_.SetText(key, node.Scalar())) {
      Problem(node.Mark().line, path + ": " + NotOfKind(key, node.Scalar()), path);
      return false;
    }
    return true;
  }

  // The keys the card left out, a whole section by its name.
  std::optional<TCardWarning> LeftOut() const {
    TCardWarning warning{{}, std::string(source_), {}};
    std::vector<std::string> shown;
    for (const TModelKey& key : kModelKeys) {
      if (lines_.contains(std::string(key.Path)) || implied_.contains(std::string(key.Path))) {
        continue;
      }
      warning.Keys.emplace_back(key.Path);
      const std::string section(key.Section());
      if (section.empty() || lines_.contains(section)) {
        shown.emplace_back(key.Path);
      } else if (shown.empty() || shown.back() != "the section " + section) {
        shown.push_back("the section " + section);
      }
    }
    if (warning.Keys.empty()) return std::nullopt;
    std::string names;
    for (const std::string& name : shown) names.append(names.empty() ? "" : ", ").append(name);
    const bool one = warning.Keys.size() == 1;
    warning.Message = std::string(source_) + ": " + names + " not given: the built-in " +
                      (one ? "value is" : "values are") + " used";
    return warning;
  }

  std::string_view source_;
  ModelCard card_;
  std::map<std::string, int> lines_;  // each section and path given, and its line
  int version_ = 1;                   // a card without a version is of the first
  std::set<std::string> implied_;     // the paths left out whose value the version gives
  std::optional<TCardProblem> problem_;
};

}  // namespace

OrCardProblem<TReadCard> ReadModelCard(std::string_view yaml, std::string_view source_name) {
  return CardReader(source_name).Read(yaml);
}

}  // namespace vellmor
