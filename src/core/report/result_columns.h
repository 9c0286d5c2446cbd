#pragma once

#include <array>
#include <string_view>

#include "vellmor/physics/numerics.h"

namespace vellmor {

// The nine values of one row of the table of results.
struct TResultRow {
  double X = 0.0;      // cm
  double VOut = 0.0;   // m/min
  double F = 0.0;      // dyn
  double T = 0.0;      // °C
  double D = 0.0;      // cm
  double TA = 0.0;     // °C
  double H = 0.0;      // cal/(cm²·s·°C)
  double TenRE = 0.0;  // tenacity on the fineness at the point's own velocity (G/den)
  double TenAP = 0.0;  // tenacity on the fineness at the take-up speed (G/den)
};

// One column of the table of results, the one list every writer and reader takes its columns
// from: the result file's rows and their reader, the JSON and CSV exports.
struct TResultColumn {
  std::string_view Head;        // "X": its name in the head of the table
  std::string_view ExportName;  // "x_cm": its name, with its unit, in the exports
  int Width;                    // of its field in a row, which is also its precision
  int Decimals;
  double TResultRow::*Value;
  // The exports' unit over the table's: the diameter is exported in µm, as every export
  // gives it, and the table's cm stay in the result file.
  double ExportScale = 1.0;
};

// The value of a row's column as the exports give it.
inline double ExportValue(const TResultColumn& column, const TResultRow& row) {
  return column.ExportScale == 1.0 ? row.*column.Value : row.*column.Value * column.ExportScale;
}

// In the order of the table. The velocity is in m/min; H in cal/(cm²·s·°C); the tenacities
// in gram-force per denier.
inline constexpr std::array<TResultColumn, 9> kResultColumns{{
    {"X", "x_cm", 5, 1, &TResultRow::X},
    {"V", "v_m_min", 7, 1, &TResultRow::VOut},
    {"F", "f_dyn", 8, 3, &TResultRow::F},
    {"T", "t_C", 6, 1, &TResultRow::T},
    {"D", "d_um", 8, 5, &TResultRow::D, kMicrometresPerCm},
    {"TA", "ta_C", 6, 1, &TResultRow::TA},
    {"H", "h_cal_cm2_s_C", 8, 5, &TResultRow::H},
    {"TEN(RE)", "ten_re_gf_den", 7, 4, &TResultRow::TenRE},
    {"TEN(AP)", "ten_ap_gf_den", 7, 4, &TResultRow::TenAP},
}};

}  // namespace vellmor
