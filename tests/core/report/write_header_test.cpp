#include "vellmor/report/write_header.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "vellmor/base/run_error.h"
#include "vellmor/report/result_file.h"
#include "support/default_result_header.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

namespace fs = std::filesystem;

using test::Joined;
using test::kDefaultHeader;

// Each test writes into a directory of its own, removed afterwards.
class WriteHeaderTest : public testing::Test {
 protected:
  void SetUp() override {
    condition_ = test::DefaultCondition();
    condition_.SaveFileName = (dir_ / "result.txt").string();
  }

  // Opens the result file, writes the header and puts the file in place.
  bool Write(char separator = '.') {
    ResultFile file;
    if (!OpenResultFile(condition_.SaveFileName, file, sink_)) return false;
    WriteHeader(condition_, separator, file);
    file.Commit();
    return true;
  }

  static void Put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  test::ScratchDirectory dir_;
  TSpinCondition condition_;
  test::RecordingSink sink_;
};

TEST_F(WriteHeaderTest, DefaultCaseGivesTheFortyOneLinesByteForByte) {
  ASSERT_TRUE(Write());
  EXPECT_TRUE(sink_.messages.empty());
  ASSERT_EQ(kDefaultHeader.size(), 41u);
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName), Joined(kDefaultHeader));
}

TEST_F(WriteHeaderTest, LinesFollowTheLabelAndColumnHeadLayout) {
  ASSERT_TRUE(Write());
  const std::vector<std::string> lines = test::CrLfLines(test::ReadBytes(condition_.SaveFileName));
  ASSERT_EQ(lines.size(), 41u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + line);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    if (!line.empty()) {
      EXPECT_NE(line.back(), ' ');
    }
    // A value line: "=" at byte 47, value from byte 50, a unit closing at byte 45.
    if (line.find(" =  ") != std::string::npos) {
      EXPECT_EQ(line.find(" =  "), 45u);
      EXPECT_NE(line[49], ' ');
      if (line.find(')') != std::string::npos) {
        EXPECT_EQ(line.find(')'), 44u);
      }
    }
  }
  EXPECT_EQ(lines[38].size(), 71u);
  EXPECT_EQ(lines[39].size(), 70u);
  EXPECT_EQ(lines[40].size(), 53u);
  // The degree sign as its two bytes, under T and TA and after H's unit.
  EXPECT_EQ(lines[39].substr(26, 2), "\x81\x8E");
  EXPECT_EQ(lines[39].substr(41, 2), "\x81\x8E");
  EXPECT_EQ(lines[40].substr(48), ".s.\x81\x8E");
  EXPECT_EQ(lines[6].substr(42, 2), "\x81\x8E");
}

struct ValueCase {
  const char* what;
  std::function<void(TSpinCondition&)> change;
  int line;  // 1-based
  std::string value_text;
};

class WriteHeaderValue : public WriteHeaderTest, public testing::WithParamInterface<ValueCase> {};

TEST_P(WriteHeaderValue, IsFormattedWithItsLinesPrecisionAndDecimals) {
  GetParam().change(condition_);
  ASSERT_TRUE(Write());
  const std::vector<std::string> lines = test::CrLfLines(test::ReadBytes(condition_.SaveFileName));
  ASSERT_EQ(lines.size(), 41u);
  const std::string& line = lines[static_cast<std::size_t>(GetParam().line - 1)];
  EXPECT_EQ(line.substr(49), GetParam().value_text);
}

// Precision and decimals per line of the header, worked by hand.
INSTANTIATE_TEST_SUITE_P(
    Header, WriteHeaderValue,
    testing::Values(
        // Seven integer digits exceed the precision 6.
        ValueCase{"TakeUpSpeed", [](TSpinCondition& c) { c.TakeUpSpeed = 1234567.0; }, 5,
                  "1.23457E6"},
        ValueCase{"Increment05", [](TSpinCondition& c) { c.Increment = 0.05; }, 34, "0.1"},
        ValueCase{"Increment04", [](TSpinCondition& c) { c.Increment = 0.04; }, 34, "0.0"},
        ValueCase{"Zone2A2", [](TSpinCondition& c) { c.Zones[2].A2 = -123.45678; }, 23,
                  "-123.4568"},
        ValueCase{"Zone1A1", [](TSpinCondition& c) { c.Zones[1].A1 = -12345678901.0; }, 13,
                  "-1.23456789E10"},
        ValueCase{"Zone3End", [](TSpinCondition& c) { c.Zones[3].EndPosition = 250.04; }, 29,
                  "250.0"},
        ValueCase{"Zone3Air", [](TSpinCondition& c) { c.Zones[3].AirVelocity = 12.25; }, 30,
                  "12.3"}),
    [](const testing::TestParamInfo<ValueCase>& info) { return info.param.what; });

TEST_F(WriteHeaderTest, UsesTheUsersDecimalSeparator) {
  ASSERT_TRUE(Write(','));
  const std::vector<std::string> lines = test::CrLfLines(test::ReadBytes(condition_.SaveFileName));
  ASSERT_EQ(lines.size(), 41u);
  EXPECT_EQ(lines[13].substr(49), "-32,5000");
}

TEST_F(WriteHeaderTest, ReplacesTheWholeOfAnEarlierFile) {
  Put(condition_.SaveFileName, std::string(10000, 'x'));
  ASSERT_TRUE(Write());
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName), Joined(kDefaultHeader));
}

TEST_F(WriteHeaderTest, RelativeNameIsResolvedAgainstTheCurrentDirectory) {
  fs::create_directory(dir_ / "sub");
  const fs::path previous = fs::current_path();
  fs::current_path(dir_.path());
  condition_.SaveFileName = "sub/result.txt";
  const bool written = Write();
  condition_.SaveFileName = "missing/result.txt";
  const bool missing_written = Write();
  fs::current_path(previous);
  EXPECT_TRUE(written);
  EXPECT_EQ(test::ReadBytes(dir_ / "sub" / "result.txt"), Joined(kDefaultHeader));
  EXPECT_FALSE(missing_written);
  EXPECT_EQ(sink_.messages, std::vector<std::string>{kFileCanNotOpen});
}

// Names that cannot be opened: one message, false, nothing created or changed.
TEST_F(WriteHeaderTest, MissingDirectoryCanNotOpen) {
  condition_.SaveFileName = (dir_ / "missing" / "result.txt").string();
  EXPECT_FALSE(Write());
  EXPECT_EQ(sink_.messages, std::vector<std::string>{kFileCanNotOpen});
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

// flock locks belong to an open file, so a second open file in this process stands for another
// program that holds the result file.
TEST_F(WriteHeaderTest, FileLockedElsewhereIsRefusedUnchanged) {
  const std::string earlier = "another program's data\r\n";
  Put(condition_.SaveFileName, earlier);
  const int holder = ::open(condition_.SaveFileName.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  EXPECT_FALSE(Write());
  ::close(holder);
  EXPECT_EQ(sink_.messages, std::vector<std::string>{kFileCanNotOpen});
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName), earlier);
  EXPECT_EQ(test::NamesIn(dir_.path()), std::vector<std::string>{"result.txt"});
}

// The file is held from the header to the end of the table: a second run is refused until the
// first has put its file in place, and the name keeps the earlier file until then.
TEST_F(WriteHeaderTest, OpenFileIsRefusedToASecondRunUntilCommitted) {
  Put(condition_.SaveFileName, "earlier\r\n");
  ResultFile first;
  ASSERT_TRUE(OpenResultFile(condition_.SaveFileName, first, sink_));
  WriteHeader(condition_, '.', first);
  ResultFile second;
  EXPECT_FALSE(OpenResultFile(condition_.SaveFileName, second, sink_));
  EXPECT_EQ(sink_.messages, std::vector<std::string>{kFileCanNotOpen});
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName), "earlier\r\n");
  first.Commit();
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName), Joined(kDefaultHeader));
  EXPECT_TRUE(OpenResultFile(condition_.SaveFileName, second, sink_));
}

// A device is no one run's file: two runs may write into one at once.
TEST_F(WriteHeaderTest, DeviceIsNotLocked) {
  const fs::path device = dir_ / "full";
  if (!test::MakeCharacterDevice(device, 1, 7)) GTEST_SKIP() << test::kNoDeviceReason;
  ResultFile first;
  ResultFile second;
  EXPECT_TRUE(OpenResultFile(device.string(), first, sink_));
  EXPECT_TRUE(OpenResultFile(device.string(), second, sink_));
  EXPECT_TRUE(sink_.messages.empty());
}

// Root writes through a file without write permission; the result file must not.
TEST_F(WriteHeaderTest, ReadOnlyExistingFileStaysUnchanged) {
  const std::string earlier = "an earlier run\r\n";
  Put(condition_.SaveFileName, earlier);
  fs::permissions(condition_.SaveFileName,
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(Write());
  EXPECT_EQ(sink_.messages, std::vector<std::string>{kFileCanNotOpen});
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName), earlier);
}

TEST_F(WriteHeaderTest, DirectoryOfThatNameCanNotOpen) {
  fs::create_directory(condition_.SaveFileName);
  EXPECT_FALSE(Write());
  EXPECT_EQ(sink_.messages, std::vector<std::string>{kFileCanNotOpen});
  EXPECT_TRUE(fs::is_directory(condition_.SaveFileName));
}

TEST_F(WriteHeaderTest, NameWithANulByteCanNotOpen) {
  const std::string stem = (dir_ / "res").string();
  condition_.SaveFileName = stem + std::string(1, '\0') + "ult.txt";
  EXPECT_FALSE(Write());
  EXPECT_EQ(sink_.messages, std::vector<std::string>{kFileCanNotOpen});
  EXPECT_FALSE(fs::exists(stem));
}

// An absolute name of exactly `length` bytes inside the test directory.
std::string NameOfLength(const fs::path& dir, std::size_t length) {
  std::string name = (dir / "r").string();
  name.append(length - name.size(), 'x');
  return name;
}

TEST_F(WriteHeaderTest, NameOf260BytesIsRefusedBeforeOpening) {
  condition_.SaveFileName = NameOfLength(dir_.path(), kMaxSaveFileNameLength + 1);
  EXPECT_FALSE(Write());
  EXPECT_EQ(sink_.messages, std::vector<std::string>{kSaveFileNameTooLong});
  EXPECT_TRUE(fs::is_empty(dir_.path()));
}

TEST_F(WriteHeaderTest, NameOf259BytesIsWritten) {
  condition_.SaveFileName = NameOfLength(dir_.path(), kMaxSaveFileNameLength);
  ASSERT_LT(fs::path(condition_.SaveFileName).filename().string().size(), 256u);
  EXPECT_TRUE(Write());
  EXPECT_TRUE(sink_.messages.empty());
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName), Joined(kDefaultHeader));
}

// A full disk: the error's own description, and the descriptor is given back so a later run
// can write the file again.
TEST_F(WriteHeaderTest, FullDeviceThrowsWithTheSystemsDescription) {
  const fs::path device = dir_ / "full";
  if (!test::MakeCharacterDevice(device, 1, 7)) GTEST_SKIP() << test::kNoDeviceReason;
  const std::string name = condition_.SaveFileName;
  condition_.SaveFileName = device.string();
  const int descriptors = test::OpenDescriptorCount();
  try {
    Write();
    ADD_FAILURE() << "no FileWriteError";
  } catch (const FileWriteError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Can not write to file " + device.string() + ": No space left on device");
  }
  EXPECT_EQ(test::OpenDescriptorCount(), descriptors);
  EXPECT_TRUE(sink_.messages.empty());
  condition_.SaveFileName = name;
  EXPECT_TRUE(Write());
}

}  // namespace
}  // namespace vellmor
