#include "platform/os/Files.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/LastError.h"
#include "platform/os/Paths.h"

namespace tav::os {
namespace {

std::atomic<int> simulatedFailure{0};

// One write(2), or the failure a test asked for.
ssize_t WriteSome(int fd, const char* data, size_t size) {
  if (const int error = simulatedFailure.load(std::memory_order_relaxed)) {
    errno = error;
    return -1;
  }
  return ::write(fd, data, size);
}

}  // namespace

void SimulateWriteFailure(int error) { simulatedFailure = error; }

bool AppendToFile(std::wstring_view path, std::string_view bytes) {
  int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetLastError(errno);
    return false;
  }
  ssize_t written = WriteSome(fd, bytes.data(), bytes.size());
  int err = errno;
  ::close(fd);
  if (written != static_cast<ssize_t>(bytes.size())) {
    SetLastError(written < 0 ? err : EIO);
    return false;
  }
  return true;
}

namespace {

// Writes all of `bytes`, going on after short writes and interruptions.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = WriteSome(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(size_t(n));
  }
  return true;
}

bool Fail(int err) {
  SetLastError(err ? err : EIO);
  return false;
}

}  // namespace

bool ReadWholeFile(std::wstring_view path, std::string& bytes, size_t limit) {
  int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int err = errno;
    ::close(fd);
    return Fail(err);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return Fail(EINVAL);
  }
  if (uint64_t(info.st_size) > limit) {
    ::close(fd);
    return Fail(EFBIG);
  }
  bytes.assign(size_t(info.st_size), '\0');
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      return Fail(err);
    }
    if (n == 0) break;  // the file shrank while it was read
    got += size_t(n);
  }
  bytes.resize(got);
  ::close(fd);
  return true;
}

bool ReplaceFile(std::wstring_view path, std::string_view bytes) {
  const std::string target = NativePath(path);
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  std::string temporary = target + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return Fail(errno);
  // mkostemp makes the file private (0600); a save is the player's own.
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    const int err = errno;
    ::close(fd);
    ::unlink(temporary.c_str());
    return Fail(err);
  }
  if (::close(fd) != 0 || ::rename(temporary.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(temporary.c_str());
    return Fail(err);
  }
  // The rename itself reaches the disk only with the folder.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace tav::os
