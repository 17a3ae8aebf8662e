#include "settings/safe_writer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace quillane {
namespace {

// The temporary files of writers that have not committed, for a signal handler:
// fixed storage, so that removing them needs nothing but unlink().
constexpr int kTemporarySlots = 16;
struct TemporarySlot {
  volatile std::sig_atomic_t used = 0;
  char path[4096] = {};
};
std::array<TemporarySlot, kTemporarySlots> temporarySlots;

int registerTemporary(const std::string& path) {
  if (path.size() >= sizeof(TemporarySlot::path)) return -1;
  for (int i = 0; i < kTemporarySlots; ++i) {
    TemporarySlot& slot = temporarySlots[static_cast<size_t>(i)];
    if (slot.used) continue;
    std::memcpy(slot.path, path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);  // the path is whole before the handler can see it
    slot.used = 1;
    return i;
  }
  return -1;
}

// Holds SIGINT, SIGTERM and SIGHUP back while it lives, so that a temporary file
// is never on disk without its slot: a signal between creating the file and
// registering it would leave the file behind.
class TerminatingSignalsHeld {
 public:
  TerminatingSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signalNumber);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~TerminatingSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  TerminatingSignalsHeld(const TerminatingSignalsHeld&) = delete;
  TerminatingSignalsHeld& operator=(const TerminatingSignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

void unregisterTemporary(int& index) {
  if (index >= 0) temporarySlots[static_cast<size_t>(index)].used = 0;
  index = -1;
}

FileIdentity identityFrom(const struct stat& info) {
  return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomSuffix() {
  static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::array<unsigned char, 8> bytes{};
  if (getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
    // Only the uniqueness of the name matters here, and O_EXCL guarantees it.
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(std::rand());
  }
  std::string suffix;
  for (unsigned char b : bytes) suffix += kDigits[b % (sizeof kDigits - 1)];
  return suffix;
}

// The temporary file's name: beside the target, recognisably its own.
std::string temporaryName(const std::string& folder, const std::string& name) {
  constexpr size_t kLongestKeptName = 200;  // file names hold at most 255 bytes
  const std::string base = name.size() <= kLongestKeptName ? name + ".~~~" : std::string(".quillane~");
  return (folder == "/" ? std::string("/") : folder + "/") + base + randomSuffix();
}

void syncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // some file systems can't sync a folder; the rename has happened anyway
  ::close(fd);
}

bool writeAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, bytes, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

// Renames without replacing: fails with EEXIST when the target appeared meanwhile.
int renameNoReplace(const char* from, const char* to) {
  if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // A file system without the flag: a hard link is just as exclusive.
  if (::link(from, to) != 0) return -1;
  ::unlink(from);
  return 0;
}

void onTerminatingSignal(int signalNumber) {
  removeTemporaryFilesNow();
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

}  // namespace

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return identityFrom(info);
}

std::optional<FileIdentity> identityOf(int descriptor) {
  struct stat info {};
  if (descriptor < 0 || ::fstat(descriptor, &info) != 0) return std::nullopt;
  return identityFrom(info);
}

void SafeWriter::failWith(WriteError error, int systemError) {
  error_ = error;
  errno_ = systemError;
}

std::string SafeWriter::errorText() const {
  std::string reason;
  switch (error_) {
    case WriteError::None: reason = "no error"; break;
    case WriteError::Exists: reason = "exists"; break;
    case WriteError::IsSource: reason = "is the source itself"; break;
    case WriteError::NotRegular: reason = "is not a regular file"; break;
    case WriteError::Changed: reason = "was changed by another program while this one was being written"; break;
    case WriteError::Interrupted: reason = "the writing was interrupted"; break;
    case WriteError::System: reason = std::strerror(errno_); break;
  }
  return target_.path + ": " + reason;
}

bool SafeWriter::checkTarget() {
  path_ = target_.path;
  if (path_.empty()) {
    failWith(WriteError::System, ENOENT);
    return false;
  }
  struct stat link {};
  if (::lstat(path_.c_str(), &link) != 0) {
    if (errno != ENOENT) {
      failWith(WriteError::System, errno);
      return false;
    }
    if (target_.replaces) {  // the file to replace has gone
      failWith(WriteError::Changed);
      return false;
    }
    return true;
  }
  // A link is written through: the file it names gets the new contents, the link stays.
  if (S_ISLNK(link.st_mode)) {
    char* resolved = ::realpath(path_.c_str(), nullptr);
    if (!resolved) {
      failWith(WriteError::NotRegular);
      return false;
    }
    path_ = resolved;
    std::free(resolved);
  }
  struct stat info {};
  if (::stat(path_.c_str(), &info) != 0) {
    failWith(WriteError::System, errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    failWith(WriteError::NotRegular);
    return false;
  }
  const FileIdentity identity = identityFrom(info);
  if (target_.replaces) {
    if (identity != *target_.replaces) {
      failWith(WriteError::Changed);
      return false;
    }
    return true;
  }
  if (target_.source && identity == *target_.source) {
    failWith(WriteError::IsSource);
    return false;
  }
  if (target_.existing == ExistingFile::Refuse) {
    failWith(WriteError::Exists);
    return false;
  }
  return true;
}

bool SafeWriter::create(const WriteTarget& target) {
  abandon();
  target_ = target;
  temporary_.clear();
  keepTemporary_ = false;
  failWith(WriteError::None);
  if (!checkTarget()) return false;

  const std::string folder = folderOf(path_);
  const TerminatingSignalsHeld held;  // until the file is registered for the signal handler
  for (int attempt = 0; attempt < 100 && descriptor_ < 0; ++attempt) {
    temporary_ = temporaryName(folder, nameOf(path_));
    descriptor_ = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor_ < 0 && errno != EEXIST) break;
  }
  if (descriptor_ < 0) {
    failWith(WriteError::System, errno);
    temporary_.clear();
    return false;
  }
  slot_ = registerTemporary(temporary_);
  struct stat old {};
  if (::stat(path_.c_str(), &old) == 0) ::fchmod(descriptor_, old.st_mode & 07777);
  return true;
}

bool SafeWriter::write(const void* bytes, std::size_t count) {
  if (descriptor_ < 0) {
    if (error_ == WriteError::None) failWith(WriteError::System, EBADF);
    return false;
  }
  if (writeAll(descriptor_, static_cast<const char*>(bytes), count)) return true;
  failWith(WriteError::System, errno);
  return false;
}

bool SafeWriter::copyFrom(int sourceDescriptor, int64_t count) {
  if (descriptor_ < 0) return write(nullptr, 0);
  off_t from = 0;
  while (count > 0) {
    const ssize_t n = ::copy_file_range(sourceDescriptor, &from, descriptor_, nullptr,
                                        static_cast<size_t>(std::min<int64_t>(count, 1 << 30)), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n > 0) {
      count -= n;
      continue;
    }
    if (n == 0) {
      failWith(WriteError::Changed);  // the file is shorter than it was
      return false;
    }
    if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
      failWith(WriteError::System, errno);
      return false;
    }
    // No copy between these files in the kernel: through a buffer.
    std::vector<char> buffer(1 << 20);
    while (count > 0) {
      const ssize_t got = ::pread(sourceDescriptor, buffer.data(),
                                  static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(buffer.size()))), from);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        failWith(got == 0 ? WriteError::Changed : WriteError::System, errno);
        return false;
      }
      if (!write(buffer.data(), static_cast<size_t>(got))) return false;
      from += got;
      count -= got;
    }
  }
  return true;
}

bool SafeWriter::stillReplaceable() {
  struct stat now {};
  if (::stat(path_.c_str(), &now) != 0 || identityFrom(now) != *target_.replaces) {
    failWith(WriteError::Changed);
    return false;
  }
  return true;
}

bool SafeWriter::syncTemporary() {
  if (descriptor_ < 0) {
    if (error_ == WriteError::None) failWith(WriteError::System, EBADF);
    abandon();
    return false;
  }
  if (::fsync(descriptor_) != 0) {
    failWith(WriteError::System, errno);
    abandon();
    return false;
  }
  const int closed = ::close(descriptor_);
  descriptor_ = -1;
  if (closed != 0) {
    failWith(WriteError::System, errno);
    abandon();
    return false;
  }
  synced_ = true;
  return true;
}

bool SafeWriter::commit(FolderSync folder) {
  if (!synced_ && !syncTemporary()) return false;
  synced_ = false;

  int renamed = 0;
  if (target_.replaces) {
    // Two programs replacing the same file: the lock orders them, and the second
    // finds that the file it read is no longer there to replace.
    const int lock = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0 || !stillReplaceable()) {
      if (lock >= 0) ::close(lock);
      if (error_ == WriteError::None) failWith(WriteError::Changed);
      abandon();
      return false;
    }
    renamed = ::rename(temporary_.c_str(), path_.c_str());
    const int renameError = errno;
    ::close(lock);
    errno = renameError;
  } else if (target_.existing == ExistingFile::Refuse) {
    renamed = renameNoReplace(temporary_.c_str(), path_.c_str());
  } else {
    renamed = ::rename(temporary_.c_str(), path_.c_str());
  }
  if (renamed != 0) {
    failWith(errno == EEXIST ? WriteError::Exists : WriteError::System, errno);
    abandon();
    return false;
  }
  unregisterTemporary(slot_);
  temporary_.clear();
  if (folder == FolderSync::Now) syncFolder(folderOf(path_));
  return true;
}

void syncFolderOf(const std::string& path) { syncFolder(folderOf(path)); }

void SafeWriter::abandon() {
  synced_ = false;
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
  if (!temporary_.empty() && !keepTemporary_) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  unregisterTemporary(slot_);
}

void SafeWriter::keepTemporary() {
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
  unregisterTemporary(slot_);
  // The name stays in temporaryPath() for the message; nothing removes it any more.
  keepTemporary_ = true;
}

bool writeWholeFile(const WriteTarget& target, std::string_view text, std::string* error) {
  SafeWriter writer;
  if (writer.create(target) && writer.write(text.data(), text.size()) && writer.commit()) return true;
  if (error) *error = writer.errorText();
  return false;
}

void removeTemporaryFilesNow() {
  for (TemporarySlot& slot : temporarySlots) {
    if (slot.used) ::unlink(slot.path);
  }
}

void removeTemporaryFilesOnSignals() {
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) std::signal(signalNumber, onTerminatingSignal);
}

}  // namespace quillane
