// vellmor-cli sweep started as a user starts it: each case's summary line and result file
// against a single run of the same texts, shards through GNU parallel, usage errors and Ctrl-C.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "support/test_support.h"

extern char** environ;

namespace vellmor::cli_test {
using test::ReadBytes;
namespace {

namespace fs = std::filesystem;

using Arguments = std::vector<std::string>;

// The summary's lines without their LF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The cells of a summary line that has no quoted cell.
std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::istringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
}

Arguments Joined(Arguments first, const Arguments& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

class CliSweepTest : public testing::Test {
 protected:
  TCliRun Sweep(const Arguments& arguments) const {
    return RunCli(Joined({"sweep"}, arguments), work_);
  }
  TCliRun Single(const Arguments& arguments) const { return RunCli(arguments, work_); }
  std::string File(const std::string& name) const { return ReadBytes(work_ / name); }

  // RunCli keeps standard output and error beside the working directory: a directory of the
  // test's own below the scratch directory keeps them apart from other test programs'.
  static fs::path WorkDirectory(const test::ScratchDirectory& scratch) {
    fs::create_directories(scratch / "work");
    return scratch / "work";
  }

  test::ScratchDirectory scratch_;
  const fs::path work_ = WorkDirectory(scratch_);
};

// 7 speeds by 3 air velocities: 21 lines in case order and 21 files, each byte for byte the
// file a single run of the same two options writes.
TEST_F(CliSweepTest, EveryCaseIsTheSingleRunOfItsTexts) {
  const TCliRun run =
      Sweep({"--vary", "take-up-speed=3000:6000:500", "--vary", "zone2-air-velocity=20,50,80",
             "--summary", "s.csv", "--result-dir", "out"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(run.Err, "");  // no progress line when standard error is no terminal
  EXPECT_EQ(run.Out, "");

  const std::vector<std::string> lines = Lines(File("s.csv"));
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_TRUE(
      lines[0].starts_with("case,take_up_speed,zone2_air_velocity,status,message,passes,"
                           "spinneret_tension_dyn,final_velocity_m_min,"))
      << lines[0];
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(work_ / "out")) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names.size(), 21u);

  const char* speeds[] = {"3000", "3500", "4000", "4500", "5000", "5500", "6000"};
  const char* airs[] = {"20", "50", "80"};
  for (int k = 1; k <= 21; ++k) {
    const std::string speed = speeds[(k - 1) / 3];
    const std::string air = airs[(k - 1) % 3];
    SCOPED_TRACE("case " + std::to_string(k));
    const std::vector<std::string> cells = Cells(lines[static_cast<std::size_t>(k)]);
    ASSERT_GE(cells.size(), 5u);
    EXPECT_EQ(cells[0], std::to_string(k));
    EXPECT_EQ(cells[1], speed);
    EXPECT_EQ(cells[2], air);
    EXPECT_EQ(cells[3], "succeeded");

    const TCliRun single =
        Single({"--take-up-speed=" + speed, "--zone2-air-velocity=" + air, "-o", "single.txt"});
    ASSERT_EQ(single.ExitStatus, 0) << single.Err;
    std::string name = k < 10 ? "0" : "";
    name += std::to_string(k);
    name += "_take_up_speed=" + speed + "_zone2_air_velocity=" + air + ".txt";
    const std::string swept = File("out/" + name);
    EXPECT_FALSE(swept.empty()) << name;
    EXPECT_EQ(swept, File("single.txt")) << name;
  }
}

// Cases that fail on a division by zero (zone 1 A2 = 0 puts the pole of the air temperature at
// the spinneret) among refused and healthy ones, on several threads: each line has the status
// and the message of the single run.
TEST_F(CliSweepTest, FaultingCasesDoNotLeakIntoOthers) {
  const Arguments varied = {"--vary", "zone1-a2=0,-32.5",
                            "--vary", "take-up-speed=3000,5000",
                            "--vary", "hole-diameter=0.025,x,0.03"};
  const TCliRun run = Sweep(Joined(varied, {"--jobs", "3"}));
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 13u);
  for (std::size_t k = 1; k <= 12; ++k) {
    const std::vector<std::string> cells = Cells(lines[k]);
    SCOPED_TRACE(lines[k]);
    ASSERT_GE(cells.size(), 6u);
    const TCliRun single = Single({"--zone1-a2=" + cells[1], "--take-up-speed=" + cells[2],
                                   "--hole-diameter=" + cells[3], "-o", "single.txt"});
    const char* status = single.ExitStatus == 0   ? "succeeded"
                         : single.ExitStatus == 1 ? "refused"
                                                  : "failed";
    EXPECT_EQ(cells[4], status);
    EXPECT_EQ(cells[5].empty() ? "" : "vellmor-cli: " + cells[5] + "\n", single.Err);
  }
  // The same summary from one job.
  EXPECT_EQ(Sweep(Joined(varied, {"--jobs", "1"})).Out, run.Out);
}

// Options on the command line apply to every case; a row's cell overrides them, an empty cell
// does not.
// A summary into a FIFO (as into /dev/null or standard output by name) is written, but gets no
// record beside it: there is no place for one, and in /dev it would be a new file. Resuming
// such a summary is refused.
TEST_F(CliSweepTest, ASummaryThatIsNoRegularFileGetsNoRecord) {
  const fs::path fifo = work_ / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string read;
  std::thread reader([&] { read = ReadBytes(fifo); });
  const TCliRun run = Sweep({"--vary", "take-up-speed=4000,5000", "--summary", "pipe", "-q"});
  reader.join();
  EXPECT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_TRUE(read.starts_with("case,take_up_speed,status")) << read;
  EXPECT_FALSE(fs::exists(work_ / "pipe.sweep"));
  const TCliRun resume =
      Sweep({"--vary", "take-up-speed=4000,5000", "--summary", "pipe", "--resume", "-q"});
  EXPECT_NE(resume.ExitStatus, 0);
  EXPECT_NE(resume.Err.find("--resume pipe: no regular file"), std::string::npos) << resume.Err;
}

// A runner installed under a hostile path: the job script runs no text of it, in the shell that
// submits the jobs nor in the merge's own (here an sbatch stand-in keeps the wrapped command,
// which then runs: the runner itself, merging shards that are not there).
TEST_F(CliSweepTest, TheJobScriptRunsNoTextOfTheRunnersPath) {
  const fs::path odd = work_ / "bin $(touch P) \"q `touch B`";
  fs::create_directories(odd);
  fs::copy_file(VELLMOR_CLI_PATH, odd / "vellmor-cli");
  fs::create_directories(work_ / "fake");
  test::WriteBytes(work_ / "fake" / "sbatch",
                   "#!/bin/bash\n"
                   "for a in \"$@\"; do case \"$a\" in --wrap=*) printf '%s' \"${a#--wrap=}\" "
                   "> wrap.txt;; esac; done\n"
                   "echo 42\n");
  fs::permissions(work_ / "fake" / "sbatch", fs::perms::owner_all);
  test::WriteBytes(work_ / "drive.sh",
                   "set -eu\ncd \"$1\"\nPATH=\"$1/fake:$PATH\"\n"
                   "\"$2\" sweep --vary take-up-speed=4000,5000 --slurm-script 2 > job.sh\n"
                   "bash job.sh > submitted.txt\n"
                   "set +e\nsh -c \"$(cat wrap.txt)\" 2> merge.err\necho $? > merge.rc\n");
  const std::string command = "bash '" + (work_ / "drive.sh").string() + "' '" + work_.string() +
                              "' '" + (odd / "vellmor-cli").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << File("submitted.txt");
  EXPECT_FALSE(fs::exists(work_ / "P"));
  EXPECT_FALSE(fs::exists(work_ / "B"));
  EXPECT_NE(File("wrap.txt").find("sweep merge shard-[0-9]*.csv --output summary.csv"),
            std::string::npos)
      << File("wrap.txt");
  // The merge ran the runner of that path: it names the shards it can not read (exit 66),
  // rather than the shell failing to find a program (127) or to read the command (2).
  EXPECT_EQ(File("merge.rc"), "66\n") << File("merge.err");
  EXPECT_NE(File("merge.err").find("shard-[0-9]*.csv"), std::string::npos) << File("merge.err");
}

// The shards of a job array run apart and read no standard input: cases from it are refused.
TEST_F(CliSweepTest, TheJobScriptRefusesCasesFromStandardInput) {
  const TCliRun run = Sweep({"--cases", "-", "--slurm-script", "3"});
  EXPECT_EQ(run.ExitStatus, 64);
  EXPECT_NE(run.Err.find("--cases -: - with --slurm-script: each shard runs on its own"),
            std::string::npos)
      << run.Err;
}

TEST_F(CliSweepTest, CasesFileRowsOverTheCommandLine) {
  std::ofstream(work_ / "cases.csv") << "take-up-speed,iv\r\n4000,\r\n,0.7\r\n";
  const TCliRun run = Sweep({"--cases", "cases.csv", "--take-up-speed", "4500", "--increment",
                             "0.5", "--result-dir", "out", "--summary", "s.csv"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = Lines(File("s.csv"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(lines[1].starts_with("1,4000,0.67,succeeded,")) << lines[1];
  EXPECT_TRUE(lines[2].starts_with("2,4500,0.7,succeeded,")) << lines[2];
  ASSERT_EQ(Single({"--take-up-speed", "4500", "--iv", "0.7", "--increment", "0.5"}).ExitStatus, 0);
  EXPECT_EQ(File("out/2_take_up_speed=4500_iv=0.7.txt"), File("result.txt"));
}

// A text is named in the file name with every byte outside A-Z a-z 0-9 . _ - made '_'; the
// file is still the single run's of the text as typed.
TEST_F(CliSweepTest, ResultFileNamesAreSafe) {
  const TCliRun run = Sweep({"--vary", "take-up-speed= 4E+3", "--result-dir", "out"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_NE(run.Out.find("\n1, 4E+3,succeeded,"), std::string::npos) << run.Out;
  ASSERT_EQ(Single({"--take-up-speed", " 4E+3"}).ExitStatus, 0);
  EXPECT_EQ(File("out/1_take_up_speed=_4E_3.txt"), File("result.txt"));
}

// The README's recipe: three shards through GNU parallel, merged by sweep merge (given in
// any order), give the whole sweep's summary byte for byte.
TEST_F(CliSweepTest, ShardsThroughGnuParallelMergeIntoTheWholeSummary) {
  if (std::system("command -v parallel >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "GNU parallel is not installed (Debian package parallel; scripts/setup.sh "
                    "installs it)";
  }
  // Twelve cases, so that a merge sorting 10 before 2 would show; refused and failed included.
  const std::string sweep = std::string("'") + VELLMOR_CLI_PATH +
                            "' sweep --vary take-up-speed=3000:6000:1500 --vary "
                            "zone1-a2=0,-32.5 --vary hole-diameter=0.025,x";
  const std::string script =
      "cd '" + work_.string() + "' && export LC_ALL=C && " + sweep +
      " --summary whole.csv && parallel " + sweep +
      " --shard {}/3 --summary shard-{}.csv ::: 1 2 3 && '" + VELLMOR_CLI_PATH +
      "' sweep merge shard-3.csv shard-1.csv shard-2.csv --output merged.csv";
  ASSERT_EQ(std::system(script.c_str()), 0) << script;
  EXPECT_EQ(Lines(File("whole.csv")).size(), 13u);
  EXPECT_EQ(Lines(File("shard-2.csv")).size(), 5u);
  EXPECT_EQ(File("merged.csv"), File("whole.csv"));
}

struct UsageCase {
  const char* name;
  Arguments arguments;
  const char* names_the_spot;  // a part of the message
};

void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.name; }

class CliSweepUsageTest : public CliSweepTest, public testing::WithParamInterface<UsageCase> {};

// Exit 64 with the spot named, and nothing written: no summary, no result directory.
TEST_P(CliSweepUsageTest, ExitsWith64AndWritesNothing) {
  std::ofstream(work_ / "cases.csv") << "take-up-speed,iv\n4000,0.7\n5000,0.7,1\n";
  const TCliRun run =
      Sweep(Joined(GetParam().arguments, {"--summary", "s.csv", "--result-dir", "out"}));
  EXPECT_EQ(run.ExitStatus, 64);
  EXPECT_NE(run.Err.find(GetParam().names_the_spot), std::string::npos) << run.Err;
  EXPECT_EQ(run.Out, "");
  EXPECT_FALSE(fs::exists(work_ / "s.csv"));
  EXPECT_FALSE(fs::exists(work_ / "out"));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CliSweepUsageTest,
    testing::Values(
        UsageCase{
            "UnknownOption", {"--vary", "speed=1,2"}, "'speed' is neither an input nor a card key"},
        UsageCase{"EmptyList", {"--vary", "iv="}, "iv=: the list of values is empty"},
        UsageCase{"StepZero", {"--vary", "iv=0.7:0.8:0"}, "the step is zero"},
        UsageCase{"StepOfTheWrongSign", {"--vary", "iv=0.7:0.8:-0.1"}, "away from stop"},
        UsageCase{"RowWithTooManyCells", {"--cases", "cases.csv"}, "cases.csv, line 3: 3 cells"},
        UsageCase{"SaveFile", {"-o", "x.txt"}, "--result-dir"},
        UsageCase{"BadShard", {"--shard", "0/2"}, "--shard 0/2"},
        UsageCase{"TooManyJobs", {"--jobs", "2000"}, "--jobs 2000: expected 0 to 1024"},
        UsageCase{"NoShardsForSlurm", {"--slurm-script", "0"}, "--slurm-script 0"}),
    [](const auto& info) { return info.param.name; });

// The default case (and a refused one) from an independent script: the same equations by the
// classical fourth-order Runge–Kutta at fixed steps of 0.02 and 0.01 cm with every coefficient
// at each stage, then Richardson extrapolation. The 1 cm march's 36.477 dyn is 9.79 % below.
TEST_F(CliSweepTest, AccuracyAddsTheConvergedColumnsAndNothingElse) {
  const Arguments varied = {"--vary", "hole-diameter=0.025,x"};
  const TCliRun plain = Sweep(varied);
  const TCliRun run = Sweep(Joined(varied, {"--accuracy"}));
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  const std::vector<std::string> plain_lines = Lines(plain.Out);
  ASSERT_EQ(lines.size(), 3u);
  ASSERT_EQ(plain_lines.size(), 3u);

  const std::string added =
      ",converged_spinneret_tension_dyn,classical_error_percent,converged_freeze_point_cm,"
      "suggested_increment_cm,converged_message";
  EXPECT_EQ(lines[0], plain_lines[0] + added);
  EXPECT_TRUE(plain_lines[0].ends_with(",final_temperature_C,warnings")) << plain_lines[0];

  const std::vector<std::string> good = Cells(lines[1]);
  ASSERT_EQ(good.size(), Cells(lines[0]).size());
  EXPECT_EQ(good[2], "succeeded");
  const std::size_t n = good.size();
  EXPECT_NEAR(std::stod(good[n - 5]), 40.4367662686, 1e-6);
  EXPECT_NEAR(std::stod(good[n - 4]), -9.79, 0.005);
  EXPECT_NEAR(std::stod(good[n - 3]), 62.3341500148, 1e-5);
  EXPECT_EQ(good[n - 2], "0.08");  // 0.8 × 1 cm / 9.79, rounded down to one digit
  EXPECT_EQ(good[n - 1], "");

  EXPECT_TRUE(lines[2].starts_with("2,x,refused,")) << lines[2];
  EXPECT_TRUE(lines[2].ends_with(",,,,,")) << lines[2];
  // Every case's line is its line without --accuracy and the five cells.
  for (std::size_t k = 1; k <= 2; ++k) {
    EXPECT_TRUE(lines[k].starts_with(plain_lines[k] + ",")) << lines[k];
    EXPECT_EQ(Cells(lines[k]).size(), Cells(plain_lines[k]).size() + 5);
  }
}

// The converged model over card constants and inputs at once: each line holds the numbers a
// lone solve of the same case prints in its JSON, to the last bit.
TEST_F(CliSweepTest, SolveOverTheCardEqualsLoneSolves) {
  const TCliRun run = Sweep({"--solve", "--vary", "heat_transfer.factor=1.37e-4,2e-4", "--vary",
                             "take-up-speed=4000,5000", "--model-set", "gravity_cm_s2=0", "-q"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 5u);
  const std::vector<std::string> header = Cells(lines[0]);
  EXPECT_EQ(header[1], "heat_transfer.factor");
  EXPECT_EQ(header[2], "take_up_speed");
  EXPECT_EQ(lines[0], Lines(Sweep({"--vary", "heat_transfer.factor=1e-4", "--vary",
                                   "take-up-speed=1", "--solve", "-q"})
                                .Out)[0]);
  const auto column = [&](std::string_view name) {
    return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  };
  for (std::size_t k = 1; k < lines.size(); ++k) {
    SCOPED_TRACE(lines[k]);
    const std::vector<std::string> cells = Cells(lines[k]);
    ASSERT_EQ(cells[column("status")], "succeeded");
    const TCliRun lone = Single({"solve", "--model-set", "gravity_cm_s2=0", "--model-set",
                                 "heat_transfer.factor=" + cells[1], "--take-up-speed", cells[2],
                                 "--points", "2", "--json", "-"});
    ASSERT_EQ(lone.ExitStatus, 0) << lone.Err;
    const auto json = nlohmann::json::parse(lone.Out);
    EXPECT_EQ(std::stod(cells[column("spinneret_tension_dyn")]),
              json["summary"]["spinneret_tension_dyn"].get<double>());
    EXPECT_EQ(std::stoi(cells[column("passes")]), json["summary"]["passes"].get<int>());
    for (const char* number :
         {"freeze_point_cm", "take_up_tension_dyn", "final_diameter_um", "residence_time_s"}) {
      EXPECT_EQ(std::stod(cells[column(number)]), json["process_numbers"][number].get<double>())
          << number;
    }
  }
}

// The structure's four columns over a card constant users calibrate: each line holds what a
// lone solve --structure prints in its JSON, to the last bit.
TEST_F(CliSweepTest, SolveWithStructureAddsItsColumns) {
  const TCliRun run =
      Sweep({"--solve", "--structure", "--vary", "structure.orientation_factor=0,160", "-q"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(lines[0].ends_with(",warnings,birefringence,orientation,crystallinity,onset_cm"))
      << lines[0];
  const std::vector<std::string> header = Cells(lines[0]);
  for (std::size_t k = 1; k < lines.size(); ++k) {
    const std::vector<std::string> cells = Cells(lines[k]);
    ASSERT_EQ(cells.size(), header.size());
    const TCliRun lone =
        Single({"solve", "--structure", "--model-set", "structure.orientation_factor=" + cells[1],
                "--points", "2", "--json", "-"});
    ASSERT_EQ(lone.ExitStatus, 0) << lone.Err;
    const auto json = nlohmann::json::parse(lone.Out)["structure"];
    for (std::size_t c = header.size() - 4; c < header.size(); ++c) {
      if (json[header[c]].is_null()) {
        EXPECT_EQ(cells[c], "") << header[c];
      } else {
        EXPECT_EQ(std::stod(cells[c]), json[header[c]].get<double>()) << header[c];
      }
    }
  }
  // Without orientation the melt crystallizes hardly at all: no onset. With a factor of 160 the
  // default line's orientation of 0.357 multiplies the rate by e^20 and it does.
  EXPECT_EQ(Cells(lines[1]).back(), "");
  EXPECT_NE(Cells(lines[2]).back(), "");
}

TEST_F(CliSweepTest, CardAndSolveOptionsAreRefusedWhereTheyDoNotApply) {
  struct TCase {
    Arguments arguments;
    std::string message;
  };
  const std::vector<TCase> cases{
      {{"--vary", "heat_transfer.factor=1e-4"},
       "heat_transfer.factor: a card key is for the converged model (add "
       "--solve)\n"},
      {{"--model-set", "gravity_cm_s2=0"},
       "--model-set: a model card is for the converged model (add --solve)\n"},
      {{"--structure", "--vary", "take-up-speed=3000"},
       "--structure: the structure is the converged model's (add --solve)\n"},
      {{"--solve", "--result-dir", "out"},
       "--result-dir: the converged model writes no result files\n"},
      {{"--solve", "--model-set", "viscosity.factor_P=0"},
       "--model-set viscosity.factor_P=0: must be above 0, not 0\n"},
      {{"--solve", "--vary", "heat_transfr.factor=1e-4"},
       "--vary heat_transfr.factor=1e-4: 'heat_transfr.factor' is neither an "
       "input nor a card key\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const TCliRun run = Sweep(c.arguments);
    EXPECT_EQ(run.ExitStatus, 64);
    EXPECT_TRUE(run.Err.starts_with("vellmor-cli: " + c.message)) << run.Err;
    EXPECT_EQ(run.Out, "");
  }
  EXPECT_FALSE(fs::exists(work_ / "out"));
}

TEST_F(CliSweepTest, UnwritableSummaryExitsWith73) {
  const TCliRun run = Sweep({"--vary", "iv=0.7", "--summary", "no such dir/s.csv"});
  EXPECT_EQ(run.ExitStatus, 73);
  EXPECT_NE(run.Err.find("no such dir/s.csv"), std::string::npos) << run.Err;
  std::ofstream(work_ / "file") << "";
  EXPECT_EQ(Sweep({"--vary", "iv=0.7", "--result-dir", "file"}).ExitStatus, 73);
}

// The sweep is a subcommand of the runner's: its help lists it, and it reads its arguments as
// the single run does (an option that lost its value is named).
TEST_F(CliSweepTest, SweepIsASubcommandThatReadsArgumentsAsTheRunDoes) {
  const TCliRun help = Single({"--help"});
  EXPECT_EQ(help.ExitStatus, 0);
  EXPECT_NE(help.Out.find("Subcommands:\n  sweep "), std::string::npos) << help.Out;
  const TCliRun lost = Sweep({"--vary", "--jobs", "2"});
  EXPECT_EQ(lost.ExitStatus, 64);
  EXPECT_TRUE(
      lost.Err.starts_with("vellmor-cli: --vary needs a value, but is followed by --jobs\n"))
      << lost.Err;
  // An empty value attached with "=" is the empty text, as in a single run.
  const TCliRun empty = Sweep({"--vary", "iv=0.7", "--increment="});
  EXPECT_EQ(empty.ExitStatus, 0) << empty.Err;
  EXPECT_NE(empty.Out.find(",refused,Input value is not correct!,"), std::string::npos)
      << empty.Out;
}

// A case whose air hyperbola has its pole on the line says so in its warnings cell.
TEST_F(CliSweepTest, AirPoleOnTheLineIsInTheWarningsColumn) {
  const TCliRun run = Sweep({"--vary", "zone2-a2=-8,-20.5"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(lines[0].ends_with(",warnings"));
  EXPECT_TRUE(lines[1].ends_with(",")) << lines[1];
  // Quoted: the text holds a semicolon, the list separator under a decimal comma.
  EXPECT_TRUE(
      lines[2].ends_with(",\"Zone 2 air temperature: the pole of A1/(Z + A2) + A3 lies "
                         "at 20.5 cm, inside the zone; air temperatures there run from "
                         "-100.0 to 140.0 °C\""))
      << lines[2];
}

// A result file that cannot be written stops the sweep (73), and the cases finished before it
// are kept in the summary rather than lost with it.
TEST_F(CliSweepTest, FailedResultFileKeepsTheFinishedCasesInTheSummary) {
  fs::create_directories(work_ / "out" / "3_take_up_speed=5000.txt");  // in the file's way
  const TCliRun run = Sweep({"--vary", "take-up-speed=3000,4000,5000,6000", "--jobs", "1",
                             "--summary", "s.csv", "--result-dir", "out"});
  EXPECT_EQ(run.ExitStatus, 73);
  EXPECT_NE(run.Err.find("case 3: can not write its result file"), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find("Is a directory"), std::string::npos) << run.Err;
  const std::vector<std::string> lines = Lines(File("s.csv"));
  ASSERT_EQ(lines.size(), 3u);  // the header and cases 1 and 2
  EXPECT_TRUE(lines[2].starts_with("2,4000,succeeded,"));
  EXPECT_EQ(test::NamesIn(work_ / "out"),
            (std::vector<std::string>{"1_take_up_speed=3000.txt", "2_take_up_speed=4000.txt",
                                      "3_take_up_speed=5000.txt"}));
}

// The summary must not replace a file the sweep needs: its cases file, or one of the result
// files it writes. Refused before anything is run.
TEST_F(CliSweepTest, SummaryOnTheCasesFileOrAResultFileIsRefused) {
  test::WriteBytes(work_ / "cases.csv", "take-up-speed\n4000\n");
  fs::create_symlink("cases.csv", work_ / "alias.csv");
  for (const Arguments& arguments :
       {Arguments{"--cases", "cases.csv", "--summary", "alias.csv"},
        Arguments{"--vary", "take-up-speed=4000", "--result-dir", "out", "--summary",
                  "out/./1_take_up_speed=4000.txt"}}) {
    const TCliRun run = Sweep(arguments);
    EXPECT_EQ(run.ExitStatus, 64) << run.Err;
    EXPECT_TRUE(run.Err.find("which the summary would replace") != std::string::npos ||
                run.Err.find("is the file of --cases cases.csv, which it would replace") !=
                    std::string::npos)
        << run.Err;
  }
  EXPECT_EQ(File("cases.csv"), "take-up-speed\n4000\n");
  EXPECT_FALSE(fs::exists(work_ / "out" / "1_take_up_speed=4000.txt"));
}

// "--cases -" reads the cases from standard input; an empty name is a usage error.
TEST_F(CliSweepTest, CasesFromStandardInputAndEmptyNames) {
  const fs::path cases = scratch_ / "cases.csv";
  test::WriteBytes(cases, "take-up-speed\n4000\n4500\n");
  const int fd = ::open(cases.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  TCliSetting from_file;
  from_file.StandardInput = fd;
  const TCliRun run = RunCli({"sweep", "--cases", "-"}, work_, from_file);
  ::close(fd);
  EXPECT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(lines[2].starts_with("2,4500,succeeded,"));

  for (const char* option : {"--summary", "--result-dir", "--cases"}) {
    const TCliRun empty = Sweep({"--vary", "iv=0.7", option, ""});
    EXPECT_EQ(empty.ExitStatus, 64) << option;
    EXPECT_NE(empty.Err.find("the name is empty"), std::string::npos) << empty.Err;
  }
}

// A sweep without --result-dir writes no result file anywhere; with one, its summary's
// permissions are those of the summary it replaces.
TEST_F(CliSweepTest, NoResultDirectoryWritesNoFileAndASummaryKeepsItsMode) {
  test::WriteBytes(work_ / "s.csv", "old\n");
  ::chmod((work_ / "s.csv").c_str(), 0600);
  ASSERT_EQ(Sweep({"--vary", "iv=0.7", "--summary", "s.csv"}).ExitStatus, 0);
  // The summary and the record of its sweep beside it, nothing else.
  EXPECT_EQ(test::NamesIn(work_), (std::vector<std::string>{"s.csv", "s.csv.sweep"}));
  EXPECT_EQ(fs::status(work_ / "s.csv").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
}

// Starts the sweep without waiting for it, under LC_ALL=C as RunCli starts the runner;
// standard output and error go to /dev/null.
pid_t StartSweep(const Arguments& arguments, const fs::path& working_directory) {
  std::vector<std::string> texts = Joined({VELLMOR_CLI_PATH, "sweep"}, arguments);
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view variable = *entry;
    if (!variable.starts_with("LC_") && !variable.starts_with("LANG"))
      variables.emplace_back(variable);
  }
  variables.emplace_back("LC_ALL=C");
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str());
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

class CliSweepSignalTest : public CliSweepTest, public testing::WithParamInterface<int> {};

// SIGINT (Ctrl-C), SIGTERM (a batch scheduler's time limit) or SIGHUP (a closed terminal): no
// case starts any more, the cases finished so far are in the summary, in order from case 1,
// and no half file is left.
TEST_P(CliSweepSignalTest, StopsWritesTheFinishedCasesAndExits130) {
  // 4000 cases of a 1001-point profile: far more than can finish before the signal comes.
  // Its standard error kept, beside the working directory.
  const pid_t pid = StartCli(
      Joined({"sweep"}, {"--vary", "take-up-speed=3000:6999:1", "--increment", "0.1", "--jobs", "2",
                         "--summary", "s.csv", "--result-dir", "out", "--quiet"}),
      work_);
  ASSERT_GT(pid, 0);
  // Signal once the first result file is in place, so the sweep is surely under way.
  for (int i = 0; i < 6000 && !fs::exists(work_ / "out/0001_take_up_speed=3000.txt"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, GetParam());
  int wait_status = 0;
  ASSERT_EQ(waitpid(pid, &wait_status, 0), pid);
  ASSERT_TRUE(WIFEXITED(wait_status));
  EXPECT_EQ(WEXITSTATUS(wait_status), 130);

  const std::vector<std::string> lines = Lines(File("s.csv"));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_LT(lines.size(), 4001u);
  for (std::size_t k = 1; k < lines.size(); ++k) {
    EXPECT_TRUE(
        lines[k].starts_with(std::to_string(k) + "," + std::to_string(2999 + k) + ",succeeded,"))
        << lines[k];
  }
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(work_)) {
    EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    if (entry.path().parent_path().filename() == "out") ++files;
  }
  EXPECT_EQ(files, lines.size() - 1);  // one result file per line
  // Said even under --quiet, for the job's log.
  EXPECT_NE(ReadBytes(work_.parent_path() / "work.err")
                .find("interrupted after " + std::to_string(lines.size() - 1) + " of 4000 cases"),
            std::string::npos);
}

// Two sweeps into one result directory would overwrite each other's files: while one writes
// there, the other is refused before it runs anything.
TEST_F(CliSweepTest, SecondSweepIntoTheSameDirectoryIsRefused) {
  const pid_t first = StartSweep({"--vary", "take-up-speed=3000:6999:1", "--increment", "0.1",
                                  "--jobs", "1", "--summary", "s.csv", "--result-dir", "out"},
                                 work_);
  ASSERT_GT(first, 0);
  for (int i = 0; i < 6000 && !fs::exists(work_ / "out/0001_take_up_speed=3000.txt"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const TCliRun second =
      Sweep({"--vary", "take-up-speed=3000", "--summary", "t.csv", "--result-dir", "out"});
  kill(first, SIGTERM);
  int wait_status = 0;
  ASSERT_EQ(waitpid(first, &wait_status, 0), first);
  EXPECT_EQ(second.ExitStatus, 64);
  EXPECT_NE(second.Err.find("another sweep is writing into it"), std::string::npos) << second.Err;
  EXPECT_FALSE(fs::exists(work_ / "t.csv"));
}

INSTANTIATE_TEST_SUITE_P(Signals, CliSweepSignalTest, testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) {
                           return info.param == SIGINT    ? "Int"
                                  : info.param == SIGTERM ? "Term"
                                                          : "Hup";
                         });

}  // namespace
}  // namespace vellmor::cli_test

namespace vellmor::cli_test {
namespace {

// Shards of a sweep, merged in any order, are the lone sweep's summary byte for byte; the
// merge refuses a missing case (naming the ranges), a duplicate and a foreign shard.
TEST_F(CliSweepTest, MergeOfShardsIsTheLoneSummaryAndRefusesWhatIsNotTheSweep) {
  const Arguments vary{"--vary", "take-up-speed=3000:6000:250", "--vary", "zone1-a2=0,-32.5"};
  ASSERT_EQ(Sweep(Joined(vary, {"--summary", "lone.csv"})).ExitStatus, 0);
  for (const char* shard : {"1", "2", "3"}) {
    ASSERT_EQ(Sweep(Joined(vary, {"--shard", std::string(shard) + "/3", "--summary",
                                  "shard-" + std::string(shard) + ".csv"}))
                  .ExitStatus,
              0);
  }
  // The record beside each summary names its sweep and its part.
  EXPECT_NE(File("shard-2.csv.sweep").find("\"cases\":26,\"shard\":\"2/3\""), std::string::npos)
      << File("shard-2.csv.sweep");
  const TCliRun merged = Sweep({"merge", "shard-2.csv", "shard-3.csv", "shard-1.csv"});
  ASSERT_EQ(merged.ExitStatus, 0) << merged.Err;
  EXPECT_EQ(merged.Out, File("lone.csv"));

  // Cases 2, 5, 8, … 26 are shard 2's.
  const TCliRun missing = Sweep({"merge", "shard-1.csv", "shard-3.csv", "-o", "m.csv"});
  EXPECT_EQ(missing.ExitStatus, 65);
  EXPECT_EQ(missing.Err,
            "vellmor-cli: 9 of the 26 cases are in no shard: 2, 5, 8, 11, 14, 17, 20, 23, 26\n");
  EXPECT_FALSE(fs::exists(work_ / "m.csv"));
  const TCliRun allowed =
      Sweep({"merge", "shard-1.csv", "shard-3.csv", "--allow-missing", "-o", "m.csv"});
  EXPECT_EQ(allowed.ExitStatus, 0);
  EXPECT_NE(allowed.Err.find("9 cases are in no shard: 2, 5"), std::string::npos);
  EXPECT_EQ(Lines(File("m.csv")).size(), 1u + 26u - 9u);

  const TCliRun twice = Sweep({"merge", "shard-1.csv", "shard-1.csv", "shard-2.csv"});
  EXPECT_EQ(twice.ExitStatus, 65);
  EXPECT_EQ(twice.Err, "vellmor-cli: case 1 is in shard-1.csv twice\n");
  ASSERT_EQ(Sweep({"--vary", "take-up-speed=3000:4000:500", "--summary", "other.csv"}).ExitStatus,
            0);
  const TCliRun foreign = Sweep({"merge", "shard-1.csv", "other.csv", "shard-2.csv"});
  EXPECT_EQ(foreign.ExitStatus, 65);
  EXPECT_EQ(foreign.Err, "vellmor-cli: other.csv is a shard of another sweep than shard-1.csv\n");
  fs::remove(work_ / "shard-3.csv.sweep");
  const TCliRun unrecorded = Sweep({"merge", "shard-1.csv", "shard-2.csv", "shard-3.csv"});
  EXPECT_EQ(unrecorded.ExitStatus, 66);
  EXPECT_NE(unrecorded.Err.find("shard-3.csv: no record of its sweep"), std::string::npos);
}

// A shard cut short (its time limit came) is completed by --resume: the finished cases stay as
// they were, the missing ones are run, and the summary is the whole shard's. A summary of
// another sweep is refused and left alone.
TEST_F(CliSweepTest, ResumeCompletesAShardAndRefusesAnotherSweepsSummary) {
  const Arguments sweep{"--vary", "take-up-speed=3000:6000:100", "--shard", "2/2"};
  ASSERT_EQ(Sweep(Joined(sweep, {"--summary", "whole.csv"})).ExitStatus, 0);
  const std::string whole = File("whole.csv");
  // The first six cases of the shard, as a stopped sweep leaves them, with its record.
  std::vector<std::string> lines = Lines(whole);
  std::string cut;
  for (std::size_t k = 0; k < 7; ++k) cut += lines[k] + "\n";
  test::WriteBytes(work_ / "part.csv", cut);
  fs::copy_file(work_ / "whole.csv.sweep", work_ / "part.csv.sweep");
  const TCliRun resumed = Sweep(Joined(sweep, {"--summary", "part.csv", "--resume"}));
  ASSERT_EQ(resumed.ExitStatus, 0) << resumed.Err;
  EXPECT_EQ(File("part.csv"), whole);
  // Complete: nothing more to run, the same bytes again.
  ASSERT_EQ(Sweep(Joined(sweep, {"--summary", "part.csv", "--resume"})).ExitStatus, 0);
  EXPECT_EQ(File("part.csv"), whole);
  // Without a summary yet, --resume is an ordinary run.
  ASSERT_EQ(Sweep(Joined(sweep, {"--summary", "new.csv", "--resume"})).ExitStatus, 0);
  EXPECT_EQ(File("new.csv"), whole);

  const TCliRun other = Sweep({"--vary", "take-up-speed=3000:6000:100", "--shard", "1/2",
                               "--summary", "part.csv", "--resume"});
  EXPECT_EQ(other.ExitStatus, 64);
  EXPECT_NE(other.Err.find("the summary of another sweep (or shard)"), std::string::npos);
  EXPECT_EQ(File("part.csv"), whole);
  const TCliRun nowhere = Sweep({"--vary", "take-up-speed=3000:6000:100", "--resume"});
  EXPECT_EQ(nowhere.ExitStatus, 64);
  EXPECT_NE(nowhere.Err.find("--resume: needs --summary FILE"), std::string::npos);
}

// The job script: the array of N shards with exec, the CPUs Slurm gives, --resume, and the
// merge that a failed shard cancels; bash reads it.
TEST_F(CliSweepTest, SlurmScriptRunsTheShardsAndTheirMerge) {
  const TCliRun script = Sweep({"--vary", "take-up-speed=3000:6000:500", "--zone1-a1", "1 6",
                                "--jobs", "3", "--slurm-script", "4"});
  ASSERT_EQ(script.ExitStatus, 0) << script.Err;
  const std::string& text = script.Out;
  for (const char* part :
       {"#SBATCH --array=1-4", "--kill-on-invalid-dep=yes", "exec ", "--resume",
        "--jobs \"${SLURM_CPUS_PER_TASK:-0}\"", "--shard \"$SLURM_ARRAY_TASK_ID/4\"",
        "sweep merge shard-[0-9]*.csv --output summary.csv",
        "--zone1-a1 '1 6'"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  }
  // The options the script sets itself are not passed on twice.
  EXPECT_EQ(text.find("--jobs 3"), std::string::npos);
  EXPECT_EQ(text.find("--slurm-script"), std::string::npos);
  test::WriteBytes(work_ / "sweep.sh", text);
  EXPECT_EQ(std::system(("bash -n '" + (work_ / "sweep.sh").string() + "'").c_str()), 0);
  EXPECT_FALSE(fs::exists(work_ / "summary.csv"));
}

}  // namespace
}  // namespace vellmor::cli_test
