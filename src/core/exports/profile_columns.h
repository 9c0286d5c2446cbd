#pragma once

#include <array>
#include <string_view>

#include "core/converged/converged_solution.h"
#include "core/physics/numerics.h"
#include "core/report/write_results.h"

namespace vellmor {

// One column of the exported profile: its name with its unit, for scripts, and the value of a
// row of the table of results it holds.
struct TProfileColumn {
  std::string_view Name;
  double TResultRow::*Value;
};

// The nine columns of the table of results, in its order, under the names the JSON and CSV
// exports give them. The velocity is in m/min as in the table; H in cal/(cm²·s·°C); the
// tenacities in gram-force per denier.
inline constexpr std::array<TProfileColumn, 9> kProfileColumns{{
    {"x_cm", &TResultRow::X},
    {"v_m_min", &TResultRow::VOut},
    {"f_dyn", &TResultRow::F},
    {"t_C", &TResultRow::T},
    {"d_cm", &TResultRow::D},
    {"ta_C", &TResultRow::TA},
    {"h_cal_cm2_s_C", &TResultRow::H},
    {"ten_re_g_den", &TResultRow::TenRE},
    {"ten_ap_g_den", &TResultRow::TenAP},
}};

// One column of an exported converged profile, in the unit of the column of the same name.
struct TConvergedColumn {
  std::string_view Name;
  double (*Value)(const TConvergedSample&);
};

// The first seven columns of the table under the same names; the converged solution has no
// tenacities.
inline constexpr std::array<TConvergedColumn, 7> kConvergedColumns{{
    {"x_cm", [](const TConvergedSample& s) { return s.X; }},
    {"v_m_min", [](const TConvergedSample& s) { return MetresPerMinute(s.V); }},
    {"f_dyn", [](const TConvergedSample& s) { return s.F; }},
    {"t_C", [](const TConvergedSample& s) { return s.T; }},
    {"d_cm", [](const TConvergedSample& s) { return s.D; }},
    {"ta_C", [](const TConvergedSample& s) { return s.TA; }},
    {"h_cal_cm2_s_C", [](const TConvergedSample& s) { return s.H; }},
}};

}  // namespace vellmor
