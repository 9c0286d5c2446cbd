#include "gui/figure_colours.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vellmor::gui {
namespace {

constexpr std::array<QRgb, kPaletteSize> kPalette{0x0072b2, 0xd55e00, 0x009e73, 0xcc79a7,
                                                  0xe69f00, 0x56b4e9, 0x000000, 0x882255};

// The ramp's stops, evenly spaced: dark blue, violet, magenta, red, orange.
constexpr std::array<QRgb, 6> kRamp{0x0d0887, 0x5302a3, 0x8b0aa5, 0xb83289, 0xdb5c68, 0xe66a3c};

}  // namespace

QColor PaletteColour(std::size_t index) {
  return QColor::fromRgb(kPalette[index % kPalette.size()]);
}

QColor RampColour(double t) {
  t = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0);
  const double at = t * (kRamp.size() - 1);
  const std::size_t below = std::min(static_cast<std::size_t>(at), kRamp.size() - 2);
  const double w = at - static_cast<double>(below);
  const QColor a = QColor::fromRgb(kRamp[below]);
  const QColor b = QColor::fromRgb(kRamp[below + 1]);
  const auto mix = [w](int x, int y) { return static_cast<int>(std::lround(x + w * (y - x))); };
  return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

bool KeyedToValues(const std::vector<std::optional<double>>& values) {
  std::vector<double> seen;
  for (const std::optional<double>& value : values) {
    if (!value || std::find(seen.begin(), seen.end(), *value) != seen.end()) return false;
    seen.push_back(*value);
  }
  return seen.size() >= 2;
}

std::vector<QColor> CaseColours(const std::vector<std::optional<double>>& values) {
  std::vector<QColor> colours;
  const std::size_t count = values.size();
  if (count <= kPaletteSize) {
    for (std::size_t i = 0; i < count; ++i) colours.push_back(PaletteColour(i));
    return colours;
  }
  if (KeyedToValues(values)) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    for (const std::optional<double>& value : values) {
      colours.push_back(RampColour((*value - **low) / (**high - **low)));
    }
    return colours;
  }
  for (std::size_t i = 0; i < count; ++i) {
    colours.push_back(RampColour(static_cast<double>(i) / static_cast<double>(count - 1)));
  }
  return colours;
}

}  // namespace vellmor::gui
