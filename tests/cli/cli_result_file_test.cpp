// One writer per result file: a second runner, or any program holding the file locked, is
// refused before it changes anything, and the first run's file comes out whole.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "cli_process.h"
#include "support/test_support.h"

namespace vellmor::cli_test {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

// A file descriptor closed when the object goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// Whether some process holds path locked with flock. Read from the kernel's table of locks, so
// that looking never takes a lock that could itself turn a runner away.
bool IsLocked(const fs::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  std::string inode = ":";  // the line ends the device with major:minor:inode
  inode += std::to_string(status.st_ino);
  inode += ' ';
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);) {
    if (line.find("FLOCK") != std::string::npos && line.find(inode) != std::string::npos) {
      return true;
    }
  }
  return false;
}

TEST_F(CliTest, FileLockedByAnotherProgramIsRefusedUnchanged) {
  const fs::path file = work_ / "result.txt";
  test::WriteBytes(file, "another program's data\r\n");
  const Descriptor holder(::open(file.c_str(), O_RDWR | O_CLOEXEC));
  ASSERT_EQ(::flock(holder.get(), LOCK_EX), 0);

  const TCliRun run = Run({});
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(
      run.Err,
      "vellmor-cli: File can not open!\nvellmor-cli: result.txt: another program is writing it\n");
  EXPECT_EQ(ReadBytes(file), "another program's data\r\n");
}

// The first runner is held in the middle of its calculation, deterministically: its progress
// goes to a pipe that is already full, so it blocks on its first pass line with the header
// written and the file locked. The second runner must then be refused.
TEST_F(CliTest, SecondRunnerOnTheSameFileIsRefusedAndTheFirstFileIsWhole) {
  const TCliRun lone = Run({"--take-up-speed", "4000"});
  ASSERT_EQ(lone.ExitStatus, 0) << lone.Err;
  const std::string lone_file = ReadBytes(work_ / "result.txt");
  fs::remove(work_ / "result.txt");

  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
  Descriptor read_end(ends[0]);
  Descriptor write_end(ends[1]);
  const std::string block(4096, 'x');
  while (::write(write_end.get(), block.data(), block.size()) > 0) {
  }
  ASSERT_EQ(errno, EAGAIN);
  // The runner's standard output blocks when the pipe is full.
  ASSERT_EQ(::fcntl(write_end.get(), F_SETFL, 0), 0);

  TCliSetting held;
  held.StandardOutput = write_end.get();
  const pid_t first = StartCli({"--take-up-speed", "4000", "--verbose"}, work_, held);
  write_end.Close();  // the runner has its own copy
  const fs::path file = work_ / "result.txt";
  // Bounded wait for the first runner to reach its first pass line, where it blocks.
  for (int i = 0; i < 1000 && !IsLocked(file); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(IsLocked(file));

  const fs::path second_directory = scratch_ / "second";
  fs::create_directory(second_directory);
  const TCliRun second = RunCli({"--take-up-speed", "5000", "-o", file.string()}, second_directory);
  EXPECT_EQ(second.ExitStatus, 1);
  EXPECT_EQ(second.Err, "vellmor-cli: File can not open!\nvellmor-cli: " + file.string() +
                            ": another program is writing it\n");

  // Drain the pipe until the first runner is done with it.
  char buffer[4096];
  ASSERT_EQ(::fcntl(read_end.get(), F_SETFL, 0), 0);
  while (::read(read_end.get(), buffer, sizeof buffer) > 0) {
  }
  const TCliRun first_run = FinishCli(first, work_);
  EXPECT_EQ(first_run.ExitStatus, 0) << first_run.Err;
  EXPECT_EQ(ReadBytes(file), lone_file);
  EXPECT_FALSE(IsLocked(file));
}

}  // namespace
}  // namespace vellmor::cli_test
