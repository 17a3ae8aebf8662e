#include "settings/safe_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>

#include "settings/commit_batch.h"
#include "support/test_files.h"
#include "support/tiny_disk.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

size_t entries(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

WriteTarget targetAt(const fs::path& path, ExistingFile existing = ExistingFile::Refuse) {
  WriteTarget target;
  target.path = path.string();
  target.existing = existing;
  return target;
}

TEST(SafeWriter, TheNameHoldsTheOldFileUntilCommit) {
  test::TempDir dir;
  const fs::path out = dir / "out.bin";
  test::writeBytes(out, bytesOf("old"));
  fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  SafeWriter writer;
  ASSERT_TRUE(writer.create(targetAt(out, ExistingFile::Replace))) << writer.errorText();
  ASSERT_TRUE(writer.write("new contents", 12));
  EXPECT_EQ(test::readBytes(out), bytesOf("old"));
  // The temporary file lies beside the target, under a name of its own.
  EXPECT_EQ(fs::path(writer.temporaryPath()).parent_path(), dir.path());
  EXPECT_EQ(fs::path(writer.temporaryPath()).filename().string().rfind("out.bin.~~~", 0), 0u);
  ASSERT_TRUE(writer.commit()) << writer.errorText();
  EXPECT_EQ(test::readBytes(out), bytesOf("new contents"));
  EXPECT_EQ(entries(dir.path()), 1u);
  // The replaced file's permissions are kept.
  EXPECT_EQ(fs::status(out).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(SafeWriter, AbandonedOrDestroyedWritersLeaveNothing) {
  test::TempDir dir;
  test::writeBytes(dir / "kept", bytesOf("kept"));
  {
    SafeWriter writer;
    ASSERT_TRUE(writer.create(targetAt(dir / "a")));
    ASSERT_TRUE(writer.write("x", 1));
  }
  SafeWriter writer;
  ASSERT_TRUE(writer.create(targetAt(dir / "kept", ExistingFile::Replace)));
  ASSERT_TRUE(writer.write("y", 1));
  writer.abandon();
  EXPECT_FALSE(writer.commit());
  EXPECT_EQ(entries(dir.path()), 1u);
  EXPECT_EQ(test::readBytes(dir / "kept"), bytesOf("kept"));
}

TEST(SafeWriter, TargetsThatAreRefused) {
  test::TempDir dir;
  test::writeBytes(dir / "source.mp3", bytesOf("source"));
  fs::create_symlink(dir / "source.mp3", dir / "link.mp3");
  fs::create_hard_link(dir / "source.mp3", dir / "hard.mp3");
  test::writeBytes(dir / "exists", bytesOf("exists"));
  fs::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  const auto source = identityOf((dir / "source.mp3").string());
  ASSERT_TRUE(source);

  struct Case {
    fs::path path;
    ExistingFile existing;
    WriteError error;
    std::string reason;
  };
  const Case cases[] = {
      {dir / "source.mp3", ExistingFile::Replace, WriteError::IsSource, "is the source itself"},
      {dir / "link.mp3", ExistingFile::Replace, WriteError::IsSource, "is the source itself"},
      {dir / "hard.mp3", ExistingFile::Replace, WriteError::IsSource, "is the source itself"},
      {dir / "exists", ExistingFile::Refuse, WriteError::Exists, "exists"},
      {dir / "folder", ExistingFile::Replace, WriteError::NotRegular, "is not a regular file"},
      {dir / "pipe", ExistingFile::Replace, WriteError::NotRegular, "is not a regular file"},
      {dir / "no such folder" / "x", ExistingFile::Replace, WriteError::System, "No such file or directory"},
  };
  for (const Case& c : cases) {
    WriteTarget target = targetAt(c.path, c.existing);
    target.source = source;
    SafeWriter writer;
    EXPECT_FALSE(writer.create(target)) << c.path;
    EXPECT_EQ(writer.error(), c.error) << c.path;
    EXPECT_EQ(writer.errorText(), c.path.string() + ": " + c.reason);
  }
  EXPECT_EQ(test::readBytes(dir / "source.mp3"), bytesOf("source"));
  EXPECT_EQ(test::readBytes(dir / "exists"), bytesOf("exists"));
  EXPECT_EQ(entries(dir.path()), 6u);
}

TEST(SafeWriter, AFileThatAppearsMeanwhileIsNotReplaced) {
  test::TempDir dir;
  SafeWriter writer;
  ASSERT_TRUE(writer.create(targetAt(dir / "out")));
  ASSERT_TRUE(writer.write("mine", 4));
  test::writeBytes(dir / "out", bytesOf("theirs"));
  EXPECT_FALSE(writer.commit());
  EXPECT_EQ(writer.error(), WriteError::Exists);
  EXPECT_EQ(test::readBytes(dir / "out"), bytesOf("theirs"));
  EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(SafeWriter, ReplacingNeedsTheVeryFileThatWasRead) {
  test::TempDir dir;
  const fs::path path = dir / "song.mp3";
  test::writeBytes(path, bytesOf("first"));
  WriteTarget target = targetAt(path, ExistingFile::Replace);
  target.replaces = identityOf(path.string());

  SafeWriter first;
  SafeWriter second;
  ASSERT_TRUE(first.create(target));
  ASSERT_TRUE(second.create(target));
  ASSERT_TRUE(first.write("one", 3));
  ASSERT_TRUE(second.write("two", 3));
  ASSERT_TRUE(first.commit()) << first.errorText();
  // The second writer's file was read from what the first one replaced.
  EXPECT_FALSE(second.commit());
  EXPECT_EQ(second.error(), WriteError::Changed);
  EXPECT_EQ(test::readBytes(path), bytesOf("one"));
  EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(SafeWriter, ALinkIsWrittenThrough) {
  test::TempDir dir;
  test::writeBytes(dir / "real", bytesOf("old"));
  fs::create_symlink("real", dir / "link");
  ASSERT_TRUE(writeWholeFile(targetAt(dir / "link", ExistingFile::Replace), "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(test::readBytes(dir / "real"), bytesOf("new"));
}

TEST(SafeWriter, AFullDiskKeepsTheOldFile) {
  test::TempDir dir;
  test::TinyDisk disk(dir / "tiny", "64k");
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs mount here";
  const fs::path path = disk.path() / "settings.ini";
  test::writeBytes(path, bytesOf("old settings"));
  std::string error;
  EXPECT_FALSE(writeWholeFile(targetAt(path, ExistingFile::Replace), std::string(200000, 'x'), &error));
  EXPECT_EQ(error, path.string() + ": No space left on device");
  EXPECT_EQ(test::readBytes(path), bytesOf("old settings"));
  EXPECT_EQ(entries(disk.path()), 1u);
}

TEST(SafeWriter, ASignalRemovesTheTemporaryFile) {
  test::TempDir dir;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    removeTemporaryFilesOnSignals();
    SafeWriter writer;
    const bool created = writer.create(targetAt(dir / "out")) && writer.write("partial", 7);
    const char answer = created ? '1' : '0';
    (void)!::write(ready[1], &answer, 1);
    for (;;) ::pause();
  }
  char answer = 0;
  ASSERT_EQ(::read(ready[0], &answer, 1), 1);
  EXPECT_EQ(answer, '1');
  EXPECT_EQ(entries(dir.path()), 1u);  // the temporary file
  ::kill(child, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_EQ(entries(dir.path()), 0u);
  ::close(ready[0]);
  ::close(ready[1]);
}

// --- Commit batches ------------------------------------------------------------

// A writer holding `text` for `path`, complete but not committed.
std::unique_ptr<SafeWriter> writtenFile(const fs::path& path, const std::string& text) {
  auto writer = std::make_unique<SafeWriter>();
  WriteTarget target;
  target.path = path.string();
  EXPECT_TRUE(writer->create(target)) << writer->errorText();
  EXPECT_TRUE(writer->write(text.data(), text.size()));
  return writer;
}

TEST(CommitBatch, NoFileTakesItsNameBeforeTheBatchIsCommitted) {
  test::TempDir dir;
  CommitBatch batch;
  for (const char* name : {"1.mp3", "2.mp3", "3.mp3"}) batch.add(writtenFile(dir / name, name));
  EXPECT_FALSE(fs::exists(dir / "1.mp3"));
  EXPECT_EQ(batch.commitAll(), 3u);
  EXPECT_TRUE(batch.failure().empty());
  EXPECT_TRUE(batch.empty());
  for (const char* name : {"1.mp3", "2.mp3", "3.mp3"}) EXPECT_EQ(test::readBytes(dir / name), bytesOf(name));
  EXPECT_EQ(entries(dir.path()), 3u);  // no temporary file left
}

// A file that may not be replaced and appeared meanwhile stops the batch there:
// the files before it are in place, it and the later ones leave nothing behind.
TEST(CommitBatch, AFailedFileKeepsTheOnesBeforeItAndDropsTheRest) {
  test::TempDir dir;
  CommitBatch batch;
  for (const char* name : {"1.mp3", "2.mp3", "3.mp3"}) batch.add(writtenFile(dir / name, name));
  test::writeBytes(dir / "2.mp3", bytesOf("someone else's"));
  EXPECT_EQ(batch.commitAll(), 1u);
  EXPECT_NE(batch.failure().find("2.mp3"), std::string::npos) << batch.failure();
  EXPECT_EQ(test::readBytes(dir / "1.mp3"), bytesOf("1.mp3"));
  EXPECT_EQ(test::readBytes(dir / "2.mp3"), bytesOf("someone else's"));
  EXPECT_FALSE(fs::exists(dir / "3.mp3"));
  EXPECT_EQ(entries(dir.path()), 2u);
}

TEST(CommitBatch, ABatchDroppedUncommittedLeavesNothing) {
  test::TempDir dir;
  {
    CommitBatch batch;
    batch.add(writtenFile(dir / "1.mp3", "1"));
    batch.add(writtenFile(dir / "2.mp3", "2"));
  }
  EXPECT_EQ(entries(dir.path()), 0u);
}

}  // namespace
}  // namespace quillane
