#include "gui/axis_ticks.h"

#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace vellmor::gui {

TAxisTicks NiceTicks(double low, double high, int intervals, bool room) {
  if (!(low <= high)) {
    low = 0.0;
    high = 1.0;
  }
  if (high - low < 1e-9 * std::max(1.0, std::abs(high))) {
    low -= 1.0;
    high += 1.0;
  }
  if (room) {
    const double margin = (high - low) * 0.03;
    low = low >= 0.0 ? std::max(low - margin, 0.0) : low - margin;
    high += margin;
  }
  const double rough = (high - low) / std::max(intervals, 1);
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = 10.0 * power;
  for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
    if (factor * power >= rough) {
      step = factor * power;
      break;
    }
  }
  TAxisTicks ticks;
  ticks.Step = step;
  ticks.First = std::floor(low / step) * step;
  ticks.Last = std::ceil(high / step) * step;
  ticks.Count = static_cast<int>(std::lround((ticks.Last - ticks.First) / step)) + 1;
  // The decimals of the step itself: 2.5e-3 needs four, 5e-3 three, 20 none.
  int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  if (std::abs(step / std::pow(10.0, -decimals) - std::round(step / std::pow(10.0, -decimals))) >
      1e-6) {
    ++decimals;
  }
  ticks.Decimals = decimals;
  return ticks;
}

void ApplyTicks(QValueAxis& axis, const TAxisTicks& ticks) {
  axis.setRange(ticks.First, ticks.Last);
  axis.setTickCount(ticks.Count);
  axis.setLabelFormat(QStringLiteral("%.%1f").arg(ticks.Decimals));
}

}  // namespace vellmor::gui
