#pragma once

#include <QColor>
#include <cstddef>
#include <optional>
#include <vector>

namespace vellmor::gui {

// Up to eight cases: Okabe and Ito's colours, told apart on screen, in print and by readers
// with a colour vision deficiency, their yellow (faint on white) left out for a dark red.
inline constexpr std::size_t kPaletteSize = 8;
QColor PaletteColour(std::size_t index);

// More cases: a sequential ramp from dark blue through magenta to orange (no light end that
// vanishes on white), t from 0 to 1.
QColor RampColour(double t);

// The colours of count cases: the palette's up to eight, else the ramp keyed to each case's
// value (its place in the order given where a value is missing or two are equal).
std::vector<QColor> CaseColours(const std::vector<std::optional<double>>& values);

// Whether CaseColours keys the ramp to the values given (they are all there and all differ).
bool KeyedToValues(const std::vector<std::optional<double>>& values);

}  // namespace vellmor::gui
