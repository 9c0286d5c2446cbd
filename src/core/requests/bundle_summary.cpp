#include "vellmor/requests/bundle_summary.h"

#include <sstream>

#include "vellmor/report/format_fixed.h"

namespace vellmor {
namespace {

// A number right-aligned in width characters.
std::string Cell(double value, int decimals, char separator, std::size_t width) {
  std::string text = FormatFixed(value, 12, decimals, separator);
  text.erase(0, text.find_first_not_of(' '));
  return std::string(text.size() < width ? width - text.size() : 1, ' ') + text;
}

std::string Cell(std::string_view text, std::size_t width) {
  return std::string(text.size() < width ? width - text.size() : 1, ' ') + std::string(text);
}

std::string Trimmed(double value, int decimals, char separator) {
  std::string text = FormatFixed(value, 12, decimals, separator);
  return text.erase(0, text.find_first_not_of(' '));
}

void SpreadLine(std::ostringstream& out, std::string_view label,
                const std::optional<TRowSpread>& spread, int decimals, char separator) {
  out << "  " << label;
  if (!spread) {
    out << "none (a row never freezes)\n";
    return;
  }
  out << Trimmed(spread->First, decimals, separator) << " / "
      << Trimmed(spread->Last, decimals, separator) << "; mean "
      << Trimmed(spread->Mean, decimals, separator) << ", range "
      << Trimmed(spread->Range, decimals, separator) << ", CV "
      << Trimmed(100.0 * spread->Variation, 2, separator) << " %\n";
}

}  // namespace

std::string BundleSummary(const ModelCard& card, const TBundleRun& run, char separator) {
  const TBundleSolution& bundle = *run.Solution;
  const TBundleConstants& b = card.Constants().Bundle;
  std::ostringstream out;
  out << "Model card:         " << card.Name() << '\n'
      << "Bundle:             " << bundle.Rows.size()
      << (bundle.Rows.size() == 1 ? " row" : " rows") << " across the quench air, "
      << CardNumberText(b.RowPitchCm) << " cm apart; holes " << CardNumberText(b.ColumnPitchCm)
      << " cm apart in a row; C_D " << CardNumberText(b.DragCoefficient) << '\n';
  const bool structure = bundle.Rows.front().Solution.Structure.has_value();
  // The air each row meets where the first zone of cross flow begins.
  const bool cross_flow = !bundle.Nodes.empty();
  out << "\n row  spinneret   freeze    final    take-up";
  if (structure) out << "   birefr-   crystal-    onset";
  if (cross_flow)
    out << "   air met at " << Trimmed(bundle.Nodes.front().X.front(), 1, separator) << " cm";
  out << "\n       tension    point    temper.   tension";
  if (structure) out << "   ingence    linity            ";
  if (cross_flow) out << "   temper. velocity";
  out << "\n         (dyn)     (cm)     (°C)      (dyn)";
  if (structure) out << "                          (cm)";
  if (cross_flow) out << "      (°C)   (cm/s)";
  out << '\n';
  for (std::size_t r = 0; r < bundle.Rows.size(); ++r) {
    const TConvergedSolution& s = bundle.Rows[r].Solution;
    out << Cell(std::to_string(r + 1), 4) << Cell(s.SpinneretTension, 3, separator, 11)
        << (s.FreezePoint ? Cell(*s.FreezePoint, 2, separator, 9) : Cell("none", 9))
        << Cell(s.FinalTemperature, 1, separator, 9) << Cell(s.TakeUpTension, 3, separator, 11);
    if (structure) {
      out << Cell(s.Structure->Birefringence, 5, separator, 10)
          << Cell(s.Structure->Crystallinity, 5, separator, 11)
          << (s.Structure->Onset ? Cell(*s.Structure->Onset, 2, separator, 9) : Cell("none", 9));
    }
    if (cross_flow) {
      out << Cell(bundle.Rows[r].Met.Temperature.front().front(), 2, separator, 10)
          << Cell(bundle.Rows[r].Met.Velocity.front().front(), 2, separator, 9);
    }
    out << '\n';
  }
  const TBundleSpread& spread = *run.Spread;
  out << "\nSpread (first / last row; mean, range, coefficient of variation over the rows):\n";
  SpreadLine(out, "Freeze point (cm):       ", spread.FreezePoint, 2, separator);
  if (structure) SpreadLine(out, "Birefringence:           ", spread.Birefringence, 5, separator);
  SpreadLine(out, "Take-up tension (dyn):   ", spread.TakeUpTension, 3, separator);
  SpreadLine(out, "Spinneret tension (dyn): ", spread.SpinneretTension, 3, separator);
  const TEnergyBalance& energy = *run.Energy;
  if (cross_flow) {
    std::ostringstream relative;
    relative.precision(2);
    relative << std::scientific << energy.RelativeDifference;
    out << "\nEnergy balance in the cross flow, per strip of " << CardNumberText(b.ColumnPitchCm)
        << " cm:\n  the air gained " << Trimmed(energy.AirGain, 6, separator)
        << " cal/s, the filaments gave up " << Trimmed(energy.FilamentLoss, 6, separator)
        << " cal/s (relative difference " << relative.str() << ")\n";
  } else {
    out << "\nNo zone has cross flow: every row meets the same air and is row 1.\n";
  }
  return out.str();
}

}  // namespace vellmor
