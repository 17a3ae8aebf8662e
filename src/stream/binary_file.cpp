#include "stream/binary_file.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

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
  file_ = std::fopen(path.c_str(), mode);
  if (!file_) return false;
  // A folder opens for reading on Linux, but has no bytes to offer.
  struct stat info {};
  if (fstat(fileno(file_), &info) != 0 || S_ISDIR(info.st_mode)) {
    close();
    return false;
  }
  return true;
}

bool BinaryFile::close() {
  if (!file_) return true;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

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

bool BinaryFile::write(const void* buffer, size_t n) {
  if (!file_) return false;
  return n == 0 || std::fwrite(buffer, 1, n, file_) == n;
}

void BinaryFile::setUnbuffered() {
  if (file_) std::setvbuf(file_, nullptr, _IONBF, 0);
}

bool BinaryFile::flush() { return file_ && std::fflush(file_) == 0; }

}  // namespace quillane
