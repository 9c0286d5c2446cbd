#pragma once

// A spinline's profile as named columns, each key holding its unit (x_cm, v_m_min, f_dyn, t_C,
// d_um, ta_C, h_cal_cm2_s_C, the tenacities ten_re_gf_den and ten_ap_gf_den of a classical
// run, stress_dyn_cm2, birefringence, orientation and crystallinity where the fibre's
// structure was solved): what every reader of an export gives, whatever version wrote it.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellmor {

struct TProfileTable {
  std::vector<std::pair<std::string, std::vector<double>>> Columns;  // in the document's order

  // The column of that key, or nullptr.
  const std::vector<double>* Column(std::string_view key) const {
    for (const auto& [name, values] : Columns) {
      if (name == key) return &values;
    }
    return nullptr;
  }
  std::size_t Rows() const { return Columns.empty() ? 0 : Columns.front().second.size(); }
};

// The key a column of an older document has now, and the factor its values take to its unit:
// schema 1 gave the diameter in cm (d_cm) and named the tenacities g_den.
struct TRenamedColumn {
  std::string_view Old;
  std::string_view Now;
  double Factor;
};
inline constexpr TRenamedColumn kRenamedColumns[] = {
    {"d_cm", "d_um", 1e4},
    {"ten_re_g_den", "ten_re_gf_den", 1.0},
    {"ten_ap_g_den", "ten_ap_gf_den", 1.0},
};

}  // namespace vellmor
