#include "audio/recording_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillane {
namespace {

std::string systemError(const std::string& path, int error) { return path + ": " + std::strerror(error); }

bool writeAll(int descriptor, const uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t written = ::write(descriptor, bytes, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

// Appends the waiting bytes to the file itself.
bool appendToFile(RecordingState& rec, std::string& error) {
  const int descriptor = ::open(rec.recordFileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    error = systemError(rec.recordFileName, errno);
    return false;
  }
  bool ok = writeAll(descriptor, rec.encoded.data(), rec.encoded.size());
  int failure = errno;
  struct stat info {};
  if (ok && ::fstat(descriptor, &info) == 0) rec.recordFileLength = info.st_size;
  if (::close(descriptor) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    error = systemError(rec.recordFileName, failure);
    return false;
  }
  rec.fileWritten = rec.fileWritten || !rec.encoded.empty();
  rec.encoded.clear();
  return true;
}

// The first write of a new recording: its temporary file, complete so far,
// takes the name.
bool commitReplacement(RecordingState& rec, std::string& error) {
  SafeWriter& writer = *rec.replacement;
  const int64_t length = static_cast<int64_t>(rec.encoded.size());
  if (!writer.write(rec.encoded.data(), rec.encoded.size()) || !writer.commit()) {
    error = writer.errorText();
    rec.replacement.reset();
    return false;
  }
  rec.replacement.reset();
  rec.recordFileLength = length;
  rec.fileWritten = true;
  rec.encoded.clear();
  return true;
}

}  // namespace

bool openRecordOutput(RecordingState& rec, bool append, std::string& error) {
  rec.replacement.reset();
  rec.fileWritten = false;
  if (append) {
    const int descriptor = ::open(rec.recordFileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (descriptor < 0) {
      error = systemError(rec.recordFileName, errno);
      return false;
    }
    ::close(descriptor);
    return true;
  }
  auto writer = std::make_unique<SafeWriter>();
  if (!writer->create({rec.recordFileName, ExistingFile::Replace, std::nullopt, std::nullopt})) {
    error = writer->errorText();
    return false;
  }
  rec.replacement = std::move(writer);
  return true;
}

bool flushRecordOutput(RecordingState& rec, std::string& error) {
  if (rec.replacement) return commitReplacement(rec, error);
  if (rec.encoded.empty()) return true;
  return appendToFile(rec, error);
}

bool closeRecordOutput(RecordingState& rec, std::string& error) {
  if (rec.replacement && rec.encoded.empty()) {
    rec.replacement.reset();  // nothing recorded: the old file stays
    return true;
  }
  return flushRecordOutput(rec, error);
}

}  // namespace quillane
