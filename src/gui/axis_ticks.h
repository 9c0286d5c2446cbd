#pragma once

class QValueAxis;

namespace vellmor::gui {

// A linear axis of whole tick steps (1, 2, 2.5 or 5 times a power of ten) around the data,
// every label with the decimals the step needs and no more: 0.00, 0.05, 0.10 …, never 0.1
// beside 0.05.
struct TAxisTicks {
  double First = 0.0;
  double Last = 1.0;
  double Step = 1.0;
  int Count = 2;     // ticks, both ends included
  int Decimals = 0;  // of every label
};

// The ticks around low … high in about `intervals` steps. With room, no curve runs along the
// frame; a quantity that is never negative keeps zero as its floor.
TAxisTicks NiceTicks(double low, double high, int intervals, bool room);

// The axis set to the ticks: its range, its tick count and its labels' format.
void ApplyTicks(QValueAxis& axis, const TAxisTicks& ticks);

}  // namespace vellmor::gui
