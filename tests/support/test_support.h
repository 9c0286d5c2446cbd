#pragma once

// Plumbing shared by the core tests: the default case, a sink that keeps what it is shown, a
// scratch directory per test and a file's bytes.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "vellmor/base/message_sink.h"
#include "vellmor/base/run_error.h"
#include "vellmor/inputs/spin_condition.h"

namespace vellmor::test {

// The case the main window opens with, as the condition record ReadInputs makes of it.
inline TSpinCondition DefaultCondition() {
  TSpinCondition condition;
  condition.SaveFileName = "result.txt";
  condition.HoleDiameter = 0.025;
  condition.Output = 1.0;
  condition.TakeUpSpeed = 5000.0;
  condition.MeltTemperature = 290.0;
  condition.Zones[1] = {10.0, 16087.5, -32.5, 765.0, 0.0};
  condition.Zones[2] = {35.0, 60.0, -8.0, 20.0, 50.0};
  condition.Zones[3] = {100.0, 0.0, 0.0, 0.0, 0.0};
  condition.Increment = 1.0;
  condition.IV = 0.67;
  return condition;
}

// Keeps every message shown, in order.
class RecordingSink : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
  std::vector<std::string> messages;
};

// An empty directory of the running test's own, under VELLMOR_TEST_TMP (set by CTest) or the
// system's temporary directory, removed with everything in it when the object goes. The
// process id keeps test programs that run at the same time apart.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    const char* base = std::getenv("VELLMOR_TEST_TMP");
    const std::filesystem::path root =
        base != nullptr ? std::filesystem::path(base) : std::filesystem::temp_directory_path();
    path_ = root / ("vellmor_" + std::to_string(getpid()) + "_" + TestName());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  // Unlinking needs only the directory's write permission, so read-only files go too.
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  // "Suite.Test" of the running test, with the '/' of parameterised names and anything else
  // unusual in a file name made '_'.
  static std::string TestName() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name()
                                       : std::string("no_test");
    for (char& ch : name) {
      const auto byte = static_cast<unsigned char>(ch);
      if (!std::isalnum(byte) && ch != '.' && ch != '-' && ch != '_') ch = '_';
    }
    return name;
  }

  std::filesystem::path path_;
};

// The file's bytes as they are on disk; empty when it cannot be opened.
inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes bytes as the whole content of the file at path.
inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The lines of bytes without their line_end; text after the last line end fails the test.
inline std::vector<std::string> LinesEndedBy(const std::string& bytes, std::string_view line_end) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find(line_end, start)) != std::string::npos;
       start = end + line_end.size()) {
    lines.push_back(bytes.substr(start, end - start));
  }
  EXPECT_EQ(start, bytes.size()) << "text after the last line end";
  return lines;
}

// The lines of a result file without their CR LF. A bare CR or LF stays inside its line, where
// a check of the line sees it.
inline std::vector<std::string> CrLfLines(const std::string& bytes) {
  return LinesEndedBy(bytes, "\r\n");
}

// The records of a CSV table without their LF; a CR anywhere fails the test.
inline std::vector<std::string> LfLines(const std::string& bytes) {
  EXPECT_EQ(bytes.find('\r'), std::string::npos) << "a CR in a table that ends its lines with LF";
  return LinesEndedBy(bytes, "\n");
}

// Runs calculation and expects it to throw CalculationError of the given fault whose message
// begins with message_start.
template <class Calculation>
void ExpectCalculationError(CalculationFault fault, std::string_view message_start,
                            Calculation&& calculation) {
  try {
    calculation();
    ADD_FAILURE() << "no CalculationError; expected: " << message_start;
  } catch (const CalculationError& error) {
    EXPECT_EQ(error.Fault(), fault) << error.what();
    EXPECT_EQ(std::string_view(error.what()).substr(0, message_start.size()), message_start);
  }
}

// A character device made at path, such as the always full device (major 1, minor 7), so that
// a test writes into a device of its own scratch directory rather than one of the system's.
// False when this process may not make or open one (not root, a mount without devices): the
// test then skips with that reason.
inline bool MakeCharacterDevice(const std::filesystem::path& path, unsigned major, unsigned minor) {
  if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(major, minor)) != 0) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    ::unlink(path.c_str());
    return false;
  }
  ::close(fd);
  return true;
}
inline constexpr const char* kNoDeviceReason =
    "a character device can not be made here (needs root and a mount that allows devices)";

// The names in directory, sorted: a test sees that no temporary file was left beside a file.
inline std::vector<std::string> NamesIn(const std::filesystem::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// How many descriptors this process holds open, to see that a failed write gives its file back.
inline int OpenDescriptorCount() {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

}  // namespace vellmor::test
