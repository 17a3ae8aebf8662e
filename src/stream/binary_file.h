#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace quillane {

// A file opened in binary mode with 64-bit offsets. Owns its handle.
class BinaryFile {
 public:
  BinaryFile() = default;
  ~BinaryFile() { close(); }
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;
  BinaryFile(BinaryFile&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
  BinaryFile& operator=(BinaryFile&& other) noexcept;

  // mode as for fopen: "rb", "r+b"/"rb+", "wb", "w+b". Only regular files open: a folder, a
  // pipe or a device is refused (errno EINVAL) without waiting for a writer.
  bool open(const std::string& path, const char* mode);
  // Reads and writes through a duplicate of an open descriptor (a file being
  // written by a SafeWriter); the descriptor itself stays open.
  bool openDescriptor(int descriptor);
  // Closes the file; false when buffered data could not be written.
  bool close();
  bool isOpen() const { return file_ != nullptr; }
  // The file's descriptor, -1 when closed.
  int descriptor() const;

  bool seek(int64_t offset);
  bool seekEnd();
  int64_t tell() const;
  // Length of the file in bytes, keeping the current position; -1 on failure.
  int64_t size() const;

  // Reads up to n bytes at the current position; returns the count read.
  size_t read(void* buffer, size_t n);
  // Reads up to n bytes at offset.
  size_t readAt(int64_t offset, void* buffer, size_t n);
  // Reads up to n bytes at offset straight from the file, bypassing the buffer and
  // leaving the current position alone: one system call for a large block. Only
  // for files opened for reading, which have no buffered writes.
  size_t readDirect(int64_t offset, void* buffer, size_t n);
  // Writes all n bytes; false on any failure (a full disk, for one).
  bool write(const void* buffer, size_t n);
  bool flush();
  // Large blocks written at once go straight to the file, without a copy into a buffer.
  void setUnbuffered();

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace quillane
