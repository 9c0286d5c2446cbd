// The runner's outputs tried as a hostile user would: signals at random moments, a closed and a
// broken standard output, "-" for standard output, a disk too small for the file, and the
// sweep's refusals of places it must not write.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cli_process.h"
#include "support/test_support.h"

namespace vellmor::cli_test {
using test::ReadBytes;
namespace {

namespace fs = std::filesystem;

// A pipe whose ends close with the object.
class Pipe {
 public:
  Pipe() {
    if (::pipe2(ends_, O_CLOEXEC) != 0) ends_[0] = ends_[1] = -1;
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  int Read() const { return ends_[0]; }
  int Write() const { return ends_[1]; }
  void CloseRead() {
    if (ends_[0] >= 0) ::close(ends_[0]);
    ends_[0] = -1;
  }
  void CloseWrite() {
    if (ends_[1] >= 0) ::close(ends_[1]);
    ends_[1] = -1;
  }

 private:
  int ends_[2];
};

std::vector<std::string> HiddenNames(const fs::path& directory) {
  std::vector<std::string> hidden;
  for (const std::string& name : test::NamesIn(directory)) {
    if (name.front() == '.') hidden.push_back(name);
  }
  return hidden;
}

// Whether bytes are a whole result file: its header, rows, and the two empty lines.
bool IsWholeResultFile(const std::string& bytes, std::size_t lines) {
  return bytes.ends_with("\r\n\r\n\r\n") && test::CrLfLines(bytes).size() == lines;
}

class CliOutputsTest : public CliTest {};

// SIGTERM, SIGHUP or SIGINT at a random moment of a run: the name holds the previous good file
// or the whole new one, never a part, and no temporary file is left.
TEST_F(CliOutputsTest, StopSignalAtAnyMomentLeavesTheOldFileOrTheWholeNewOne) {
  const TCliRun first = Run({"--take-up-speed", "4000"});
  ASSERT_EQ(first.ExitStatus, 0) << first.Err;
  const std::string old_file = ReadBytes(work_ / "result.txt");
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> delay_us(0, 6000);
  int replaced = 0;
  for (const int signal_number : {SIGTERM, SIGHUP, SIGINT}) {
    for (int trial = 0; trial < 12; ++trial) {
      SCOPED_TRACE("signal " + std::to_string(signal_number) + ", trial " + std::to_string(trial));
      const pid_t pid = StartCli({"--increment", "0.1"}, work_);
      std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
      ::kill(pid, signal_number);
      FinishCli(pid, work_);
      const std::string now = ReadBytes(work_ / "result.txt");
      // 41 header lines, 1001 rows, 2 empty lines.
      if (now != old_file) {
        EXPECT_TRUE(IsWholeResultFile(now, 1044)) << now.size() << " bytes";
        ++replaced;
        test::WriteBytes(work_ / "result.txt", old_file);
      }
      EXPECT_TRUE(HiddenNames(work_).empty());
    }
  }
  RecordProperty("runs that finished before the signal", replaced);
}

// A FIFO gets the whole result file through one descriptor, every time, and stays a FIFO; a
// link is written through to its target and stays a link.
TEST_F(CliOutputsTest, FifoAndLinkTargetsGetTheWholeFile) {
  ASSERT_EQ(Run({"-o", "plain.txt"}).ExitStatus, 0);
  const std::string whole = ReadBytes(work_ / "plain.txt");
  const fs::path fifo = scratch_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (int run = 0; run < 10; ++run) {
    std::string received;
    // Opened for reading (and writing, so that the open does not wait) before the runner
    // starts: the runner always finds a reader.
    const int fd = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::thread reader([&] {
      char buffer[4096];
      while (received.size() < whole.size()) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        received.append(buffer, static_cast<std::size_t>(n));
      }
    });
    const TCliRun written = Run({"-o", fifo.string()});
    reader.join();
    ::close(fd);
    EXPECT_EQ(written.ExitStatus, 0) << written.Err;
    EXPECT_EQ(received, whole) << "run " << run;
  }
  EXPECT_TRUE(fs::is_fifo(fifo));

  fs::create_symlink("plain.txt", work_ / "link.txt");
  ASSERT_EQ(Run({"-o", "link.txt", "--take-up-speed", "4000"}).ExitStatus, 0);
  EXPECT_TRUE(fs::is_symlink(work_ / "link.txt"));
  EXPECT_TRUE(IsWholeResultFile(ReadBytes(work_ / "plain.txt"), 144));
  EXPECT_NE(ReadBytes(work_ / "plain.txt"), whole);
}

// A FIFO whose reader stops reading keeps the runner's write waiting: a stop signal must still
// end the runner there (the signals wait only for regular files, which take milliseconds).
TEST_F(CliOutputsTest, StopSignalEndsARunWaitingOnAFifo) {
  const fs::path fifo = scratch_ / "stalled";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Open at both ends and never read: a pipe holds 64 KiB, the table of 1001 points more.
  const int fd = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const pid_t pid = StartCli({"--increment", "0.1", "-o", fifo.string()}, work_);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ::kill(pid, SIGTERM);
  int status = 0;
  pid_t ended = 0;
  for (int i = 0; i < 1000 && ended == 0; ++i) {  // ten seconds at most
    ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (ended == 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  ::close(fd);
  EXPECT_NE(ended, 0) << "the runner did not end on SIGTERM";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
}

// A closed standard output loses the summary: that is an error of its own (74), and the
// result file is written all the same.
TEST_F(CliOutputsTest, ClosedStandardOutputIsAnErrorNotASilentSuccess) {
  TCliSetting closed;
  closed.CloseStandardOutput = true;
  const TCliRun run = Run({"-o", "r.txt"}, closed);
  EXPECT_EQ(run.ExitStatus, 74);
  EXPECT_EQ(run.Err,
            "vellmor-cli: can not print the summary to standard output: Bad file descriptor\n");
  EXPECT_TRUE(IsWholeResultFile(ReadBytes(work_ / "r.txt"), 144));
  // Nothing meant for standard output found its way into a file the runner opened.
  EXPECT_EQ(test::NamesIn(work_), std::vector<std::string>{"r.txt"});
}

// A reader that went away: the export's write fails with its own status (73), the summary's
// with 74, and the runner is never killed by SIGPIPE.
TEST_F(CliOutputsTest, BrokenPipeIsAWriteErrorWithItsOwnStatus) {
  for (const auto& [arguments, status, message] :
       {std::tuple{Arguments{"--csv", "-"}, 73,
                   "Can not write the CSV export to standard output: Broken pipe\n"},
        std::tuple{Arguments{}, 74,
                   "vellmor-cli: can not print the summary to standard output: Broken pipe\n"}}) {
    Pipe pipe;
    pipe.CloseRead();
    TCliSetting broken;
    broken.StandardOutput = pipe.Write();
    const TCliRun run = Run(arguments, broken);
    EXPECT_EQ(run.ExitStatus, status);
    EXPECT_NE(run.Err.find(message), std::string::npos) << run.Err;
  }
}

// "-" is standard output for the result file and the exports; the summary then goes to
// standard error, and two outputs on standard output are a usage error.
TEST_F(CliOutputsTest, DashIsStandardOutput) {
  ASSERT_EQ(Run({}).ExitStatus, 0);
  const std::string file = ReadBytes(work_ / "result.txt");
  fs::remove(work_ / "result.txt");
  const TCliRun run = Run({"-o", "-"});
  EXPECT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(run.Out, file);
  EXPECT_NE(run.Err.find("Result file:        standard output"), std::string::npos);
  EXPECT_TRUE(test::NamesIn(work_).empty());

  const TCliRun both = Run({"-o", "-", "--json", "-"});
  EXPECT_EQ(both.ExitStatus, 64);
  EXPECT_TRUE(test::NamesIn(work_).empty());
}

// An empty name is a slip of the script, not a request for no export.
TEST_F(CliOutputsTest, EmptyExportNameIsAUsageError) {
  for (const char* option : {"--json", "--csv", "--converged-csv"}) {
    const TCliRun run = Run({option, ""});
    EXPECT_EQ(run.ExitStatus, 64) << option;
    EXPECT_NE(run.Err.find("the name is empty"), std::string::npos) << run.Err;
  }
  EXPECT_TRUE(test::NamesIn(work_).empty());
}

// "--json /dev/stdout >> log": the JSON is appended where standard output stands; the log is
// not replaced.
TEST_F(CliOutputsTest, StandardOutputByNameKeepsAnAppendingRedirection) {
  const fs::path log = scratch_ / "log";
  test::WriteBytes(log, "earlier\n");
  const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  TCliSetting appending;
  appending.StandardOutput = fd;
  const TCliRun run = Run({"--json", "/dev/stdout"}, appending);
  ::close(fd);
  EXPECT_EQ(run.ExitStatus, 0) << run.Err;
  const std::string bytes = ReadBytes(log);
  EXPECT_TRUE(bytes.starts_with("earlier\n"));
  EXPECT_NE(bytes.find("\"process_numbers\""), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(log));
}

// A disk too small for the new file: the run fails with the system's description and the
// previous good file is left exactly as it was, without a temporary file beside it. The disk
// is a tmpfs of 12 KiB mounted in a private mount namespace, which needs root (or user
// namespaces).
TEST_F(CliOutputsTest, FullDiskLeavesThePreviousGoodFile) {
  if (std::system("command -v unshare >/dev/null 2>&1") != 0) GTEST_SKIP() << "no unshare";
  const fs::path disk = scratch_ / "disk";
  fs::create_directory(disk);
  const fs::path report = scratch_ / "report";
  // The previous file is a short one, so that it fits and the new one (about 10 KB) does not.
  const std::string script =
      "mount -t tmpfs -o size=12k tmpfs '" + disk.string() + "' || exit 99; cd '" + disk.string() +
      "' && printf 'previous good file\\r\\n' > result.txt; '" + VELLMOR_CLI_PATH +
      "' --increment 0.5 > out 2> err; echo \\$? > status; cat status err; ls -a; cat result.txt";
  const std::string command =
      "unshare -m sh -c \"" + script + "\" > '" + report.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  const std::string text = ReadBytes(report);
  if (status != 0 || text.starts_with("99") ||
      text.find("Operation not permitted") != std::string::npos) {
    GTEST_SKIP() << "a private tmpfs can not be mounted here (needs root): " << text;
  }
  EXPECT_TRUE(text.starts_with("2\n")) << text;
  EXPECT_NE(text.find("No space left on device"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("previous good file\r\n")) << text;
  EXPECT_EQ(text.find("\n.result.txt."), std::string::npos) << text;
}

}  // namespace
}  // namespace vellmor::cli_test

namespace vellmor::cli_test {
namespace {

// An output that is one of the command's own inputs would replace it: refused with exit 64
// before anything runs, whatever name reaches the file (a link, "../"), and the input left as
// it was.
TEST_F(CliTest, AnOutputOnTheCommandsOwnInputIsRefusedBeforeAnythingRuns) {
  const TCliRun card = Run({"model"});
  ASSERT_EQ(card.ExitStatus, 0);
  std::ofstream(work_ / "c.yaml", std::ios::binary) << card.Out;
  std::ofstream(work_ / "m.csv", std::ios::binary)
      << "x_cm,quantity,value,sigma\n20,diameter_um,27.3,0.5\n40,diameter_um,15.2,0.5\n";
  std::filesystem::create_symlink("m.csv", work_ / "link.csv");
  ASSERT_EQ(
      Run({"sweep", "--vary", "take-up-speed=4000,5000", "--summary", "s-1.csv", "-q"}).ExitStatus,
      0);
  std::filesystem::copy_file(work_ / "s-1.csv.sweep", work_ / "cases.csv.sweep");
  const std::string card_before = test::ReadBytes(work_ / "c.yaml");
  const std::string measured_before = test::ReadBytes(work_ / "m.csv");
  const std::string shard_before = test::ReadBytes(work_ / "s-1.csv");
  struct TCase {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::string dir = work_.filename().string();
  const std::vector<TCase> cases{
      {{"solve", "--model", "c.yaml", "--json", "c.yaml"},
       "--json c.yaml: is the file of --model c.yaml, which it would replace"},
      {{"sweep", "--solve", "--model", "c.yaml", "--summary", "./c.yaml", "--vary",
        "take-up-speed=4000"},
       "--summary ./c.yaml: is the file of --model c.yaml"},
      {{"fit", "--measured", "m.csv", "--fit", "heat_transfer.factor", "--json", "m.csv"},
       "--json m.csv: is the file of --measured m.csv"},
      {{"fit", "--measured", "link.csv", "--fit", "heat_transfer.factor", "--write-model",
        "../" + dir + "/m.csv"},
       "--write-model ../" + dir + "/m.csv: is the file of --measured link.csv"},
      {{"fit", "--measured", "m.csv", "--fit", "heat_transfer.factor", "--json", "x",
        "--write-model", "x"},
       "--json and --write-model: both name x"},
      {{"sweep", "merge", "s-1.csv", "--output", "s-1.csv"},
       "--output s-1.csv: is one of the shards, s-1.csv, which it would replace"},
      {{"sweep", "--cases", "cases.csv.sweep", "--summary", "cases.csv"},
       "--summary cases.csv.sweep: is the file of --cases cases.csv.sweep"},
  };
  for (const TCase& c : cases) {
    Arguments arguments(c.arguments.begin(), c.arguments.end());
    const TCliRun run = Run(arguments);
    EXPECT_EQ(run.ExitStatus, 64) << c.arguments.back() << ": " << run.Err;
    EXPECT_NE(run.Err.find(c.message), std::string::npos) << run.Err;
  }
  EXPECT_EQ(test::ReadBytes(work_ / "c.yaml"), card_before);
  EXPECT_EQ(test::ReadBytes(work_ / "m.csv"), measured_before);
  EXPECT_EQ(test::ReadBytes(work_ / "s-1.csv"), shard_before);
  EXPECT_FALSE(std::filesystem::exists(work_ / "x"));
}

// Inputs that never end are refused after a bounded read, not read until memory runs out.
TEST_F(CliTest, EndlessInputsAreRefusedAfterABoundedRead) {
  if (!std::filesystem::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero here";
  const TCliRun cases = Run({"sweep", "--cases", "/dev/zero"});
  EXPECT_EQ(cases.ExitStatus, 64);
  EXPECT_NE(cases.Err.find("--cases /dev/zero: a NUL byte at byte 1: not a text"),
            std::string::npos)
      << cases.Err;
  const TCliRun merge = Run({"sweep", "merge", "/dev/zero"});
  EXPECT_EQ(merge.ExitStatus, 66);
  EXPECT_NE(merge.Err.find("/dev/zero: a NUL byte at byte 1: not a text"), std::string::npos)
      << merge.Err;
}

}  // namespace
}  // namespace vellmor::cli_test
