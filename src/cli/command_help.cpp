// The runner's own words about each command: what --help prints before and after the
// options, and the manual page with it. The options themselves come from the core's tables.

#include "cli/command_help.h"

#include "vellmor/fit/measured_data.h"

namespace vellmor::cli {
namespace {

constexpr const char* kRunDescription =
    "Simulates the melt-spinning spinline of one PET filament and writes the result file.\n"
    "Each value is taken exactly as it would be typed into the window's field: the same\n"
    "conversion (decimal separator of the user's locale) and the same checks apply.\n"
    "Air temperature in zones 1 and 2: Tair = A1 / (Z + A2) + A3 (°C), Z being the distance\n"
    "from the spinneret (cm); zone 3 uses the equation of zone 2.";

constexpr const char* kRunFooter =
    "Exit status:\n"
    "  0   the result file was written\n"
    "  1   the inputs or the result file were refused; an existing file of that name is left\n"
    "      as it was\n"
    "  2   the calculation or the writing failed: after a calculation failure the file holds\n"
    "      the header; after a failed write it is left as it was\n"
    "  64  the command line is wrong (an unknown option, a missing value, a stray argument, an\n"
    "      empty file name)\n"
    "  73  the run succeeded but an export could not be written\n"
    "  74  the run succeeded but its summary could not be printed\n";

constexpr const char* kExportFooter =
    "Exports: --json, --csv and --converged-csv are written once the run has ended, whatever\n"
    "its outcome, each through a temporary file renamed into place. Exit status 73 when the\n"
    "run succeeded but an export could not be written, 74 when its summary could not be\n"
    "printed (a closed or broken standard output); a refused or failed run keeps its own\n"
    "status.\n"
    "Accuracy: --accuracy (or --converged-csv) also solves the run's condition to convergence\n"
    "and tells how far the result is from it. When the converged solution fails, the message\n"
    "goes to standard error and into the JSON; the result file and the exit status stay those\n"
    "of the run.\n";

constexpr const char* kSweepDescription =
    "Runs many cases of the spinline, each an ordinary run of its input texts, on every core,\n"
    "and writes one summary line per case (CSV, in case order): case, the varied options,\n"
    "status, message, passes, spinneret tension, final velocity and the process numbers.\n"
    "\n"
    "  --vary OPTION=LIST   LIST is a,b,c (texts as typed) or start:stop:step (inclusive:\n"
    "                       3000:6000:500, 0.1:0.3:0.1). Several --vary make every\n"
    "                       combination, the first varying slowest.\n"
    "  --cases FILE.csv     one case per row instead; the header names the options. An empty\n"
    "                       cell keeps the option as given below (or the window's default).\n"
    "  --shard I/N          only the cases k with (k - 1) mod N = I - 1. Beside a summary\n"
    "                       FILE its sweep's record (FILE.sweep); vellmor-cli sweep merge\n"
    "                       SHARD.csv... [--output FILE] [--allow-missing] merges the shard\n"
    "                       summaries into the whole summary, refusing (exit 65) shards of\n"
    "                       another sweep, a case twice or a case in none (66: unreadable).\n"
    "  --resume             complete a summary FILE of this very sweep and shard: only its\n"
    "                       missing cases run.\n"
    "  --slurm-script N     print a Slurm job script: an array of N shards, then their merge.\n"
    "  --accuracy           also solve each succeeded case to convergence (about 0.3 ms more\n"
    "                       a case) and add converged_spinneret_tension_dyn,\n"
    "                       classical_error_percent (100 x (classical - converged) /\n"
    "                       converged), converged_freeze_point_cm, suggested_increment_cm\n"
    "                       (spinneret tension within 1 %) and converged_message (why the\n"
    "                       converged solution failed; its other cells are then empty).\n"
    "  --solve              solve every case with the converged model instead (the same\n"
    "                       summary; no result files). --vary and --cases then take card\n"
    "                       keys too (--vary heat_transfer.factor=1.2e-4:1.6e-4:0.1e-4,\n"
    "                       values with the point), and --model and --model-set set the\n"
    "                       card every case starts from.\n"
    "\n"
    "Input options given below apply to every case (a cases file's cells override them).\n"
    "Under a decimal comma (LC_NUMERIC), separate list values with ';' (0,5;1,0) and cases\n"
    "file cells with ';' too; range bounds may be typed with either separator, and the\n"
    "values are written with the comma, as each run reads them.";

constexpr const char* kSweepFooter =
    "Exit status: 0 when every case ran (refused and failed cases included; the summary says\n"
    "which), 64 on a usage error (nothing written), 73 when the summary or a result file could\n"
    "not be written, 130 when interrupted (SIGINT, SIGTERM, SIGHUP): after 73 and 130 the\n"
    "summary holds the cases finished, which are always the first ones.\n";

constexpr const char* kSolveFooter =
    "Solves the case with the converged model (adaptive Dormand-Prince 5(4), the take-up speed\n"
    "met to 1e-10) and the constants of a model card, writing no result file. The inputs are\n"
    "read and checked as for the single run; --increment is checked but not used.\n"
    "--sensitivities adds the elasticities d ln y / d ln p of the spinneret and take-up\n"
    "tension, the freeze point, the stress there, the final temperature and diameter with\n"
    "respect to every numeric input and card constant (central differences at p +- 0.1 %,\n"
    "three significant digits or better for every elasticity above 0.001).\n"
    "--structure follows the fibre's structure along the line (the card's section structure):\n"
    "the birefringence frozen in where the filament solidifies, its orientation, the\n"
    "crystallinity at take-up and where it first reached 1 %; the profile gains the stress,\n"
    "birefringence, orientation and crystallinity. A card with structure.coupled: true\n"
    "couples the crystallization back into the line, and implies --structure.\n"
    "Exit status: 0 solved; 1 an input or the card was refused; 2 the solution failed; 64 the\n"
    "command line is wrong; 73 an export could not be written; 74 the summary could not be\n"
    "printed.\n";

constexpr const char* kFitFooter =
    "Fits constants of the model card (--fit KEY, KEY=START or KEY=START:LO:HI; repeatable)\n"
    "to the measurements of --measured FILE.csv (columns case, x_cm, quantity, value, sigma;\n"
    "case and sigma optional; quantity one of {quantities}).\n"
    "Every evaluation solves every case with the converged model, its spinneret\n"
    "tension shot to the take-up speed. --cases FILE.csv gives the operating conditions, the\n"
    "sweep's format with a column case naming each; without it every measurement belongs to\n"
    "the case of the input options. Where sigma is missing, one sigma per quantity is estimated\n"
    "from the residuals. --suggest N --candidates FILE.csv names the N candidate measurements\n"
    "(the measured format without value) that would shrink the constants' joint confidence\n"
    "region most. Where every sigma is given, chi-square is tested against its degrees of\n"
    "freedom, and a model that does not describe the data within their sigma (p < 0.01) is\n"
    "said, with the intervals scaled by chi-square/dof beside the others.\n"
    "Exit status: 0 fitted; 1 the data, cases, card or a constant refused; 2 the fit failed (a\n"
    "start that cannot be solved, no convergence, or an estimate that is not sound: no\n"
    "Jacobian, no finite covariance, a case the fitted card does not solve; the last iterate is\n"
    "still reported); 64 the command line is wrong; 65 a measurement the line can not give\n"
    "(a diameter below the mass balance's, a velocity above take-up, a temperature above the\n"
    "melt's: data in another unit?); 73 an export could not be written; 74 the summary could\n"
    "not be printed.\n";

constexpr const char* kStabilityFooter =
    "Linearises the time-dependent spinline about the converged solution (perturbations\n"
    "growing as exp(lambda t)), held at the spinneret (mass flow, velocity, temperature) and\n"
    "at the take-up (velocity), and finds its eigenvalues by Chebyshev collocation on two\n"
    "grids: the leading ones that both grids agree on, growth rate and angular frequency in\n"
    "1/s, the verdict and the margin. --critical KEY steps the input or card constant from its\n"
    "value until the leading growth rate changes sign and finds the crossing: the critical\n"
    "value, the draw ratio and the frequency there. --response take-up|throughput with\n"
    "--frequencies F1:F2:N gives the amplitude and phase of the cross-section at take-up per\n"
    "relative ripple of the roll or of the pump. See docs/stability.md.\n"
    "Exit status: 0 analysed; 1 an input or the card refused; 2 the calculation failed; 64 the\n"
    "command line is wrong; 73 the JSON could not be written.";
constexpr const char* kBundleFooter =
    "Solves a bundle of bundle.rows rows of filaments across the quench air (the card's section\n"
    "bundle, --bundle-rows N for short), row by row with the converged model: row 1 meets the\n"
    "zones' air and is the single filament of solve; each row after it meets, in the zones of\n"
    "cross flow, the air the rows before it warmed (by their heat over rho c_p U w, the card's\n"
    "section air and bundle.column_pitch_cm w) and slowed (by exp(-C_D D / (2 w)) per row).\n"
    "Prints each row's spinneret tension, freeze point, final temperature and take-up tension\n"
    "(with --structure its birefringence, crystallinity and onset), the air it met, the spread\n"
    "of the rows and the energy balance of the air against the filaments. --csv writes every\n"
    "row's profile, a column row first; --json the document of docs/bundle.md.\n"
    "Exit status: 0 solved; 1 an input or the card was refused; 2 a row could not be solved;\n"
    "64 the command line is wrong; 73 an export could not be written; 74 the summary could not\n"
    "be printed.";

constexpr const char* kMergeFooter =
    "Each shard summary has the record of its sweep beside it (SHARD.csv.sweep, written by\n"
    "sweep --summary): shards of another sweep, a header that differs, a case in two shards\n"
    "and a case in none are refused, naming them.\n"
    "Exit status: 0 merged; 64 the command line is wrong; 65 the shards do not make the\n"
    "sweep (with --allow-missing, missing cases alone are no refusal); 66 a shard or its record\n"
    "can not be read; 73 the summary could not be written.";

}  // namespace

std::string Description(Command command) {
  switch (command) {
    case Command::kRun:
      return kRunDescription;
    case Command::kSweep:
      return kSweepDescription;
    default:
      return std::string(CommandInfo(command).Summary);
  }
}

std::string Footer(Command command) {
  switch (command) {
    case Command::kRun:
      return std::string(kExportFooter) + "\n" + kRunFooter;
    case Command::kSolve:
      return kSolveFooter;
    case Command::kFit: {
      // The quantities from their table, so that the help names every one.
      std::string quantities;
      for (const TQuantityInfo& info : kQuantityTable) {
        quantities += (quantities.empty() ? "" : ", ") + std::string(info.Name);
      }
      std::string footer = kFitFooter;
      footer.replace(footer.find("{quantities}"), 12, quantities);
      return footer;
    }
    case Command::kSweep:
      return std::string(kSweepDescription) + "\n\n" + kSweepFooter;
    case Command::kMerge:
      return kMergeFooter;
    case Command::kStability:
      return kStabilityFooter;
    case Command::kBundle:
      return kBundleFooter;
    case Command::kModel:
      break;
  }
  return {};
}

}  // namespace vellmor::cli
