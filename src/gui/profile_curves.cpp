#include "gui/profile_curves.h"

#include <cmath>
#include <string>

#include "vellmor/physics/numerics.h"

namespace vellmor::gui {

TProfileCurves CurvesOf(std::span<const TResultRow> rows) {
  TProfileCurves curves;
  for (const TResultRow& row : rows) {
    curves.Velocity.append({row.X, row.VOut});
    curves.Temperature.append({row.X, row.T});
    curves.AirTemperature.append({row.X, row.TA});
    curves.Diameter.append({row.X, row.D * kMicrometresPerCm});
    curves.Tension.append({row.X, row.F});
  }
  return curves;
}

TProfileCurves CurvesOf(std::span<const TConvergedSample> samples, bool structure) {
  TProfileCurves curves;
  for (const TConvergedSample& sample : samples) {
    curves.Velocity.append({sample.X, MetresPerMinute(sample.V)});
    curves.Temperature.append({sample.X, sample.T});
    curves.AirTemperature.append({sample.X, sample.TA});
    curves.Diameter.append({sample.X, sample.D * kMicrometresPerCm});
    curves.Tension.append({sample.X, sample.F});
    if (!structure) continue;
    curves.Birefringence.append({sample.X, sample.Birefringence});
    curves.Crystallinity.append({sample.X, sample.Crystallinity});
  }
  return curves;
}

TProfileCurves CurvesOf(const TProfileTable& profile) {
  TProfileCurves curves;
  const std::vector<double>* x = profile.Column("x_cm");
  if (x == nullptr) return curves;
  const auto add = [&](QList<QPointF>& curve, std::string_view key) {
    const std::vector<double>* values = profile.Column(key);
    if (values == nullptr) return;
    for (std::size_t i = 0; i < x->size(); ++i) curve.append({(*x)[i], (*values)[i]});
  };
  add(curves.Velocity, "v_m_min");
  add(curves.Temperature, "t_C");
  add(curves.AirTemperature, "ta_C");
  add(curves.Diameter, "d_um");
  add(curves.Tension, "f_dyn");
  add(curves.Birefringence, "birefringence");
  add(curves.Crystallinity, "crystallinity");
  // A band where both bounds are known: a sample without an interval leaves a gap.
  const auto band = [&](TBand& into, const std::string& key) {
    const std::vector<double>* lo = profile.Column(key + "_lo");
    const std::vector<double>* hi = profile.Column(key + "_hi");
    if (lo == nullptr || hi == nullptr) return;
    for (std::size_t i = 0; i < x->size(); ++i) {
      if (!std::isfinite((*lo)[i]) || !std::isfinite((*hi)[i])) continue;
      into.Lo.append({(*x)[i], (*lo)[i]});
      into.Hi.append({(*x)[i], (*hi)[i]});
    }
  };
  band(curves.VelocityBand, "v_m_min");
  band(curves.TemperatureBand, "t_C");
  band(curves.DiameterBand, "d_um");
  band(curves.TensionBand, "f_dyn");
  band(curves.BirefringenceBand, "birefringence");
  band(curves.CrystallinityBand, "crystallinity");
  return curves;
}

std::optional<double> ValueAt(const QList<QPointF>& curve, double x) {
  for (qsizetype i = 0; i < curve.size(); ++i) {
    const QPointF& point = curve[i];
    if (point.x() == x) return point.y();
    if (i == 0) continue;
    const QPointF& before = curve[i - 1];
    if ((before.x() < x && x < point.x()) || (point.x() < x && x < before.x())) {
      const double weight = (x - before.x()) / (point.x() - before.x());
      return before.y() + weight * (point.y() - before.y());
    }
  }
  return std::nullopt;
}

}  // namespace vellmor::gui
