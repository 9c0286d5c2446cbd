#pragma once

#include <QList>
#include <QPointF>
#include <optional>
#include <span>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/documents/profile_table.h"
#include "vellmor/report/write_results.h"

namespace vellmor::gui {

// The curves the profile viewer draws of one spinline against x (cm), in the units it shows
// them: velocity (m/min), filament and air temperature (°C), diameter (µm), tension (dyn),
// and where the fibre's structure was solved, its birefringence and crystallinity (mass
// fraction); those two are empty otherwise.
// A 95 % band about a curve: its lower and upper bounds at the same x.
struct TBand {
  QList<QPointF> Lo, Hi;
};

struct TProfileCurves {
  QList<QPointF> Velocity;
  QList<QPointF> Temperature;
  QList<QPointF> AirTemperature;
  QList<QPointF> Diameter;
  QList<QPointF> Tension;
  QList<QPointF> Birefringence;
  QList<QPointF> Crystallinity;
  // Where the export gives intervals (NAME_lo, NAME_hi): the bands of the curves above.
  TBand VelocityBand, TemperatureBand, DiameterBand, TensionBand, BirefringenceBand,
      CrystallinityBand;
};

// The curves of the rows of a table of results.
TProfileCurves CurvesOf(std::span<const TResultRow> rows);

// The curves of a converged profile's samples; the structure's two with structure.
TProfileCurves CurvesOf(std::span<const TConvergedSample> samples, bool structure = false);

// The curves of a profile read from an export (its columns in their units); the structure's
// two where it has them.
TProfileCurves CurvesOf(const TProfileTable& profile);

// The value of a curve at x, linear between its two points around x (the first such pair);
// nullopt outside the curve.
std::optional<double> ValueAt(const QList<QPointF>& curve, double x);

}  // namespace vellmor::gui
