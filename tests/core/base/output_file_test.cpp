#include "vellmor/base/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace vellmor {
namespace {

namespace fs = std::filesystem;

using Names = std::vector<std::string>;

mode_t ModeOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
  return status.st_mode;
}

class OutputFileTest : public testing::Test {
 protected:
  fs::path Path(const std::string& name) const { return dir_ / name; }

  test::ScratchDirectory dir_;
};

// A new name and an existing file: the whole text, the permissions a new file gets or the old
// file had, and nothing left beside it.
TEST_F(OutputFileTest, ReplacesARegularFileWholeKeepingItsPermissions) {
  const mode_t mask = ::umask(022);
  EXPECT_TRUE(WriteWholeOutput(Path("new.txt").string(), "new\n").Ok());
  EXPECT_EQ(ModeOf(Path("new.txt")) & 07777, 0644u);
  ::umask(mask);

  test::WriteBytes(Path("old.txt"), std::string(10000, 'x'));
  ::chmod(Path("old.txt").c_str(), 0640);
  EXPECT_TRUE(WriteWholeOutput(Path("old.txt").string(), "short\n").Ok());
  EXPECT_EQ(test::ReadBytes(Path("old.txt")), "short\n");
  EXPECT_EQ(ModeOf(Path("old.txt")) & 07777, 0640u);
  EXPECT_EQ(test::NamesIn(dir_.path()), (Names{"new.txt", "old.txt"}));
}

// Until Commit the name keeps the old file; the temporary file is hidden beside it, private,
// a file of its own and never a link.
TEST_F(OutputFileTest, NameKeepsTheOldFileUntilCommit) {
  test::WriteBytes(Path("r.txt"), "old\n");
  OutputFile file;
  ASSERT_TRUE(file.Open(Path("r.txt").string()).Ok());
  EXPECT_EQ(file.Place(), OutputPlace::kReplaced);
  ASSERT_TRUE(file.Write(std::string(200000, 'n')).Ok());  // more than one buffer
  const fs::path temporary = file.TemporaryPath();
  EXPECT_EQ(temporary.parent_path(), dir_.path());
  EXPECT_EQ(temporary.filename().string().substr(0, 7), ".r.txt.");
  EXPECT_TRUE(S_ISREG(ModeOf(temporary)));
  EXPECT_EQ(ModeOf(temporary) & 0777, 0600u);
  EXPECT_EQ(test::ReadBytes(Path("r.txt")), "old\n");
  ASSERT_TRUE(file.Commit().Ok());
  EXPECT_EQ(test::ReadBytes(Path("r.txt")).size(), 200000u);
  EXPECT_EQ(test::NamesIn(dir_.path()), Names{"r.txt"});
}

TEST_F(OutputFileTest, AbandonLeavesTheNameAsItWas) {
  test::WriteBytes(Path("r.txt"), "old\n");
  {
    OutputFile file;
    ASSERT_TRUE(file.Open(Path("r.txt").string()).Ok());
    ASSERT_TRUE(file.Write("new").Ok());
  }  // destroyed without Commit, as when the run gives up
  EXPECT_EQ(test::ReadBytes(Path("r.txt")), "old\n");
  {
    OutputFile file;
    ASSERT_TRUE(file.Open(Path("new.txt").string()).Ok());
    EXPECT_TRUE(fs::exists(Path("new.txt")));  // the empty file that carries the lock
    file.Abandon();
  }
  EXPECT_EQ(test::NamesIn(dir_.path()), Names{"r.txt"});
}

// Refusals: what the old file was stays, and the reason is the one a user can act on.
TEST_F(OutputFileTest, RefusesWhatItMustNotReplace) {
  test::WriteBytes(Path("ro.txt"), "keep\n");
  ::chmod(Path("ro.txt").c_str(), 0444);
  fs::create_directory(Path("dir"));
  const struct {
    std::string name;
    std::string reason;
  } cases[] = {
      {Path("ro.txt").string(), "Permission denied"},
      {Path("dir").string(), "Is a directory"},
      {Path("missing/r.txt").string(), "No such file or directory"},
      {"", "the name is empty"},
      {Path("a").string() + std::string(1, '\0') + "b", "the name holds a NUL byte"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TOutputStatus status = WriteWholeOutput(c.name, "x");
    EXPECT_FALSE(status.Ok());
    EXPECT_EQ(status.Reason, c.reason);
  }
  EXPECT_EQ(test::ReadBytes(Path("ro.txt")), "keep\n");
  EXPECT_EQ(test::NamesIn(dir_.path()), (Names{"dir", "ro.txt"}));
}

// A link is written through: its target is replaced (or created), in the target's directory,
// and the link stays a link.
TEST_F(OutputFileTest, LinksAreWrittenThroughToTheirTarget) {
  fs::create_directory(Path("elsewhere"));
  test::WriteBytes(Path("elsewhere/t.csv"), "old\n");
  fs::create_symlink("elsewhere/t.csv", Path("link.csv"));
  fs::create_symlink("link.csv", Path("chain.csv"));
  fs::create_symlink("elsewhere/new.csv", Path("dangling.csv"));
  EXPECT_TRUE(WriteWholeOutput(Path("chain.csv").string(), "through\n").Ok());
  EXPECT_TRUE(WriteWholeOutput(Path("dangling.csv").string(), "created\n").Ok());
  EXPECT_TRUE(fs::is_symlink(Path("link.csv")));
  EXPECT_TRUE(fs::is_symlink(Path("chain.csv")));
  EXPECT_EQ(test::ReadBytes(Path("elsewhere/t.csv")), "through\n");
  EXPECT_EQ(test::ReadBytes(Path("elsewhere/new.csv")), "created\n");
  EXPECT_EQ(test::NamesIn(Path("elsewhere")), (Names{"new.csv", "t.csv"}));
  EXPECT_TRUE(NamesSameFile(Path("chain.csv").string(), Path("elsewhere/./t.csv").string()));
  EXPECT_FALSE(NamesSameFile(Path("chain.csv").string(), Path("dangling.csv").string()));
}

// A FIFO gets the whole output through one descriptor and stays a FIFO; without a reader it is
// refused at once instead of waited on.
TEST_F(OutputFileTest, FifoIsWrittenInPlaceAndNeverWaitedOn) {
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  const TOutputStatus alone = WriteWholeOutput(Path("fifo").string(), "x");
  EXPECT_FALSE(alone.Ok());
  EXPECT_EQ(alone.Reason, "no program is reading from it");

  std::string received;
  std::thread reader([&] { received = test::ReadBytes(Path("fifo")); });
  const std::string text(300000, 'f');  // more than the pipe holds: the reader must keep up
  TOutputStatus status;
  for (int i = 0; i < 500; ++i) {  // until the reader has opened its end (bounded)
    status = WriteWholeOutput(Path("fifo").string(), text);
    if (status.Error != ENXIO) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  reader.join();
  EXPECT_TRUE(status.Ok()) << status.Reason;
  EXPECT_EQ(received, text);
  EXPECT_TRUE(S_ISFIFO(ModeOf(Path("fifo"))));
}

// A device such as the null device is written into, never renamed over.
TEST_F(OutputFileTest, DeviceStaysADevice) {
  const fs::path null = Path("null");
  if (!test::MakeCharacterDevice(null, 1, 3)) GTEST_SKIP() << test::kNoDeviceReason;
  EXPECT_TRUE(WriteWholeOutput(null.string(), "gone\n").Ok());
  fs::create_symlink("null", Path("link"));
  EXPECT_TRUE(WriteWholeOutput(Path("link").string(), "gone\n").Ok());
  EXPECT_TRUE(S_ISCHR(ModeOf(null)));
  EXPECT_EQ(test::NamesIn(dir_.path()), (Names{"link", "null"}));
}

// A link another user planted in a shared directory such as /tmp is not followed, as the
// kernel would not follow it; a regular file reached through /proc is refused rather than
// written over from its start.
TEST_F(OutputFileTest, PlantedLinksAndProcPathsAreRefused) {
  test::WriteBytes(Path("victim.txt"), "precious\n");
  const TOutputStatus through_proc =
      WriteWholeOutput("/proc/self/root" + Path("victim.txt").string(), "x");
  EXPECT_EQ(through_proc.Error, EINVAL);
  EXPECT_EQ(test::ReadBytes(Path("victim.txt")), "precious\n");

  if (::geteuid() != 0) GTEST_SKIP() << "only root can plant a link owned by another user";
  fs::create_directory(Path("shared"));
  ASSERT_EQ(::chmod(Path("shared").c_str(), 01777), 0);
  fs::create_symlink("../victim.txt", Path("shared/r.txt"));
  ASSERT_EQ(::lchown(Path("shared/r.txt").c_str(), 4321, 4321), 0);
  const TOutputStatus planted = WriteWholeOutput(Path("shared/r.txt").string(), "x");
  EXPECT_EQ(planted.Error, EACCES);
  EXPECT_EQ(planted.Reason, "it is another user's link in a shared directory");
  EXPECT_EQ(test::ReadBytes(Path("victim.txt")), "precious\n");
  // The writer's own link there is followed.
  ASSERT_EQ(::lchown(Path("shared/r.txt").c_str(), 0, 0), 0);
  EXPECT_TRUE(WriteWholeOutput(Path("shared/r.txt").string(), "mine\n").Ok());
  EXPECT_EQ(test::ReadBytes(Path("victim.txt")), "mine\n");
}

// One of the process's own descriptors named through /proc or /dev/fd is written through the
// descriptor: an appending redirection ("cmd --json /dev/stdout >> log") keeps the log.
TEST_F(OutputFileTest, OwnDescriptorIsWrittenWhereItStands) {
  test::WriteBytes(Path("log"), "earlier\n");
  const int fd = ::open(Path("log").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  for (const std::string& name :
       {"/proc/self/fd/" + std::to_string(fd), "/dev/fd/" + std::to_string(fd)}) {
    OutputFile file;
    ASSERT_TRUE(file.Open(name).Ok()) << name;
    EXPECT_EQ(file.Place(), OutputPlace::kInPlace);
    ASSERT_TRUE(file.Write("more\n").Ok());
    ASSERT_TRUE(file.Commit().Ok());
  }
  ::close(fd);
  EXPECT_EQ(test::ReadBytes(Path("log")), "earlier\nmore\nmore\n");
}

// While one writer holds a name, a second is refused before anything changes, whether the lock
// is this tool's (flock) or another program's POSIX record lock.
TEST_F(OutputFileTest, NameHeldByAnotherWriterIsRefused) {
  test::WriteBytes(Path("r.txt"), "old\n");
  OutputFile first;
  ASSERT_TRUE(first.Open(Path("r.txt").string()).Ok());
  OutputFile second;
  const TOutputStatus refused = second.Open(Path("r.txt").string());
  EXPECT_EQ(refused.Error, EWOULDBLOCK);
  EXPECT_EQ(refused.Reason, "another program is writing it");
  ASSERT_TRUE(first.Write("first\n").Ok());
  ASSERT_TRUE(first.Commit().Ok());
  EXPECT_TRUE(second.Open(Path("r.txt").string()).Ok());
  second.Abandon();

  // A child process holds a record lock, as an editor or a database might.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int fd = ::open(Path("r.txt").c_str(), O_RDWR);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    const bool locked = fd >= 0 && ::fcntl(fd, F_SETLK, &whole) == 0;
    const char answer = locked ? 'y' : 'n';
    (void)!::write(ready[1], &answer, 1);
    ::pause();
    ::_exit(0);
  }
  ::close(ready[1]);
  char answer = 0;
  ASSERT_EQ(::read(ready[0], &answer, 1), 1);
  ::close(ready[0]);
  ASSERT_EQ(answer, 'y');
  const TOutputStatus held = WriteWholeOutput(Path("r.txt").string(), "new\n");
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(held.Reason, "another program is writing it");
  EXPECT_EQ(test::ReadBytes(Path("r.txt")), "first\n");
}

// A write the system refuses half way (here a file size limit, which fails like a full disk
// with nothing mounted) leaves the old file exactly as it was and no temporary file. Run in a
// child, whose limit dies with it.
TEST_F(OutputFileTest, FailedWriteLeavesTheOldFileAndNoTemporary) {
  test::WriteBytes(Path("r.txt"), "the previous good file\n");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    OutputFile file;
    if (!file.Open(Path("r.txt").string()).Ok()) ::_exit(10);
    if (!file.Write(std::string(100000, 'n')).Ok() || !file.Commit().Ok()) {
      ::_exit(file.IsOpen() ? 11 : 0);
    }
    ::_exit(12);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(test::ReadBytes(Path("r.txt")), "the previous good file\n");
  EXPECT_EQ(test::NamesIn(dir_.path()), Names{"r.txt"});
}

// Root gives a replaced file back to its owner.
TEST_F(OutputFileTest, RootKeepsTheOwnerOfAReplacedFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  test::WriteBytes(Path("r.txt"), "old\n");
  ASSERT_EQ(::chown(Path("r.txt").c_str(), 4321, 4321), 0);
  ASSERT_TRUE(WriteWholeOutput(Path("r.txt").string(), "new\n").Ok());
  struct stat status {};
  ASSERT_EQ(::stat(Path("r.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, 4321u);
  EXPECT_EQ(status.st_gid, 4321u);
}

}  // namespace
}  // namespace vellmor
