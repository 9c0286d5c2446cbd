// Names that say what a card is: its material, then what was done to it.

#include <filesystem>
#include <string>
#include <vector>

#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

constexpr std::string_view kPartSeparator = ", ";
constexpr std::string_view kBuiltInPart = "built-in correlations";
constexpr std::string_view kFittedPart = "fitted to ";

std::vector<std::string_view> PartsOf(std::string_view name) {
  std::vector<std::string_view> parts;
  for (std::size_t at; (at = name.find(kPartSeparator)) != std::string_view::npos;) {
    parts.push_back(name.substr(0, at));
    name.remove_prefix(at + kPartSeparator.size());
  }
  parts.push_back(name);
  return parts;
}

// Whether part is a setting of path: "heat_transfer.factor=0.0002".
bool SetsKey(std::string_view part, std::string_view path) {
  return part.size() > path.size() && part.starts_with(path) && part[path.size()] == '=';
}

// The material and the parts that still hold, with the new one last.
template <class Drops>
std::string Renamed(std::string_view name, Drops drops, const std::string& added) {
  const std::vector<std::string_view> parts = PartsOf(name);
  std::string renamed(parts.front());
  for (std::size_t i = 1; i < parts.size(); ++i) {
    if (parts[i] == kBuiltInPart || drops(parts[i])) continue;
    renamed.append(kPartSeparator).append(parts[i]);
  }
  return renamed.empty() ? added : renamed.append(kPartSeparator).append(added);
}

}  // namespace

std::string ChangedCardName(std::string_view name, const TModelKey& key,
                            std::string_view value_text) {
  return Renamed(
      name, [&key](std::string_view part) { return SetsKey(part, key.Path); },
      std::string(key.Path) + "=" + std::string(value_text));
}

std::string FittedCardName(std::string_view name, std::span<const std::string_view> fitted,
                           std::string_view measured_file, std::string_view date) {
  const std::string file = std::filesystem::path(measured_file).filename().string();
  return Renamed(
      name,
      [fitted](std::string_view part) {
        if (part.starts_with(kFittedPart)) return true;
        for (const std::string_view path : fitted) {
          if (SetsKey(part, path)) return true;
        }
        return false;
      },
      std::string(kFittedPart) + file + " on " + std::string(date));
}

}  // namespace vellmor
