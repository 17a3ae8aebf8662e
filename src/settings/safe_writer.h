#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillane {

// Which file a path names: device and inode, so that links and other spellings
// of the same file compare equal.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The file a path names, following links; none when there is no such file.
std::optional<FileIdentity> identityOf(const std::string& path);
// The file behind an open descriptor.
std::optional<FileIdentity> identityOf(int descriptor);

// What to do when the target already exists.
enum class ExistingFile { Refuse, Replace };

enum class WriteError {
  None,
  Exists,       // the target exists and may not be replaced
  IsSource,     // the target is the file being read
  NotRegular,   // the target is a folder, a device, a pipe...
  Changed,      // the file to be replaced was replaced by someone else meanwhile
  Interrupted,  // abandoned before it was complete
  System,       // a system call failed; errno says why
};

// What a writer is to produce, and what it must never touch.
struct WriteTarget {
  std::string path;
  ExistingFile existing = ExistingFile::Refuse;
  // The file being read (the open source): refused as a target, whatever its name.
  std::optional<FileIdentity> source;
  // A save over the source, or an append: the target must still be this very file
  // when the new one takes its place.
  std::optional<FileIdentity> replaces;
};

// Writes a file whole or not at all. The bytes go to a temporary file created
// exclusively in the target's folder (a fresh name, never following a link), and
// commit() syncs it, renames it over the target and syncs the folder: at every
// moment the target's name holds either the old file or the complete new one. A
// writer destroyed or abandoned before commit() removes its temporary file, and a
// signal handler can remove it too (removeTemporaryFilesNow). A replaced file's
// permissions are kept.
class SafeWriter {
 public:
  SafeWriter() = default;
  ~SafeWriter() { abandon(); }
  SafeWriter(const SafeWriter&) = delete;
  SafeWriter& operator=(const SafeWriter&) = delete;

  // Checks the target and creates the temporary file. False: error() says why.
  bool create(const WriteTarget& target);
  // The temporary file, open for reading and writing; -1 when none is open.
  int descriptor() const { return descriptor_; }
  // Writes all bytes at the current position.
  bool write(const void* bytes, std::size_t count);
  // Copies the first `count` bytes of an open file (an append starts from the old file).
  bool copyFrom(int sourceDescriptor, int64_t count);
  // Syncs the temporary file's bytes to the disk and closes it: the first half of
  // commit(). False: the temporary file is gone, error() says why.
  bool syncTemporary();
  // Syncs (when syncTemporary has not) and renames the temporary file into place,
  // then syncs the folder unless `folder` is Later: then the caller syncs it
  // (syncFolderOf), once for many files. False: nothing was replaced, the
  // temporary file is gone, error() says why.
  enum class FolderSync { Now, Later };
  bool commit(FolderSync folder = FolderSync::Now);
  // Removes the temporary file; the target stays as it was.
  void abandon();
  // Keeps an uncommitted temporary file on disk (its name is temporaryPath()).
  void keepTemporary();

  const std::string& targetPath() const { return target_.path; }
  // The file written: the target, or the file a link at the target names.
  const std::string& writtenPath() const { return path_; }
  const std::string& temporaryPath() const { return temporary_; }
  WriteError error() const { return error_; }
  int systemError() const { return errno_; }
  // "path: reason", for a message.
  std::string errorText() const;

  // Records a failure found by the caller while writing (errno of a failed write).
  void failWith(WriteError error, int systemError = 0);

 private:
  bool checkTarget();
  bool stillReplaceable();

  WriteTarget target_;
  std::string path_;  // the file written: the target, or the file a link at the target names
  std::string temporary_;
  int descriptor_ = -1;
  bool synced_ = false;  // syncTemporary has closed the complete temporary file
  int slot_ = -1;  // in the table of temporary files a signal removes
  bool keepTemporary_ = false;
  WriteError error_ = WriteError::None;
  int errno_ = 0;
};

// Syncs the folder that holds `path`, so that a rename into it lasts.
void syncFolderOf(const std::string& path);

// Writes `text` as the whole of target.path through a SafeWriter. False: error says why.
bool writeWholeFile(const WriteTarget& target, std::string_view text, std::string* error = nullptr);

// Removes every temporary file of a writer that has not committed. Safe to call
// from a signal handler.
void removeTemporaryFilesNow();

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the temporary files
// and then end the process as the signal would.
void removeTemporaryFilesOnSignals();

}  // namespace quillane
