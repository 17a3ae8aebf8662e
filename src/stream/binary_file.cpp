#include "stream/binary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillane {

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
  if (this != &other) {
    close();
    file_ = other.file_;
    other.file_ = nullptr;
  }
  return *this;
}

bool BinaryFile::open(const std::string& path, const char* mode) {
  close();
  const bool update = std::strchr(mode, '+') != nullptr;
  const bool create = mode[0] == 'w';
  if (!create && mode[0] != 'r') {
    errno = EINVAL;
    return false;
  }
  // Non-blocking, so that a pipe without a writer can't hold the open; a regular
  // file is then read as usual. (The program's own outputs go through a SafeWriter;
  // "w" is for tools and tests.)
  const int access = update ? O_RDWR : (create ? O_WRONLY : O_RDONLY);
  const int fd = ::open(path.c_str(), access | (create ? O_CREAT | O_TRUNC : 0) | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return false;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  file_ = fdopen(fd, update ? "r+b" : (create ? "wb" : "rb"));
  if (!file_) ::close(fd);
  return file_ != nullptr;
}

bool BinaryFile::openDescriptor(int descriptor) {
  close();
  const int fd = descriptor >= 0 ? fcntl(descriptor, F_DUPFD_CLOEXEC, 0) : -1;
  if (fd < 0) return false;
  file_ = fdopen(fd, "r+b");
  if (!file_) ::close(fd);
  return file_ != nullptr;
}

bool BinaryFile::close() {
  if (!file_) return true;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

int BinaryFile::descriptor() const { return file_ ? fileno(file_) : -1; }

bool BinaryFile::seek(int64_t offset) {
  return file_ && offset >= 0 && fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool BinaryFile::seekEnd() { return file_ && fseeko(file_, 0, SEEK_END) == 0; }

int64_t BinaryFile::tell() const { return file_ ? static_cast<int64_t>(ftello(file_)) : -1; }

int64_t BinaryFile::size() const {
  if (!file_) return -1;
  const off_t here = ftello(file_);
  if (here < 0 || fseeko(file_, 0, SEEK_END) != 0) return -1;
  const off_t end = ftello(file_);
  fseeko(file_, here, SEEK_SET);
  return static_cast<int64_t>(end);
}

size_t BinaryFile::read(void* buffer, size_t n) {
  if (!file_ || n == 0) return 0;
  return std::fread(buffer, 1, n, file_);
}

size_t BinaryFile::readAt(int64_t offset, void* buffer, size_t n) {
  if (!seek(offset)) return 0;
  return read(buffer, n);
}

size_t BinaryFile::readDirect(int64_t offset, void* buffer, size_t n) {
  if (!file_ || offset < 0) return 0;
  const int fd = fileno(file_);
  size_t got = 0;
  while (got < n) {
    const ssize_t r = pread(fd, static_cast<char*>(buffer) + got, n - got, static_cast<off_t>(offset) + got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  return got;
}

namespace {

// A file written in large blocks (a save's frame runs) has its disk writing started
// at every kWriteBehindStep bytes, without waiting for it: the sync before a safe
// writer's rename then waits for the last MB only, and the disk works while the
// next frames are read.
constexpr size_t kWriteBehindMinWrite = 4096;
constexpr off_t kWriteBehindStep = 1 << 20;

// False when buffered bytes could not be written.
bool startWriteBehind(std::FILE* file, size_t written) {
  const off_t end = ftello(file);
  if (end < 0 || end / kWriteBehindStep == (end - static_cast<off_t>(written)) / kWriteBehindStep) return true;
  if (std::fflush(file) != 0) return false;
  ::sync_file_range(fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE);  // advice: a failure changes nothing
  return true;
}

}  // namespace

bool BinaryFile::write(const void* buffer, size_t n) {
  if (!file_) return false;
  if (n == 0) return true;
  if (std::fwrite(buffer, 1, n, file_) != n) return false;
  return n < kWriteBehindMinWrite || startWriteBehind(file_, n);
}

void BinaryFile::setUnbuffered() {
  if (file_) std::setvbuf(file_, nullptr, _IONBF, 0);
}

bool BinaryFile::flush() { return file_ && std::fflush(file_) == 0; }

}  // namespace quillane
