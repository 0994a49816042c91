#include "OutputFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavpack {

namespace {
mode_t DefaultFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}
}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string& error) {
  std::string temp = path.string() + ".tmp-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = "cannot create " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  auto fail = [&](const char* what) {
    error = std::string(what) + " " + path.string() + ": " + std::strerror(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    return false;
  };
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("cannot write");
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::fchmod(fd, DefaultFileMode()) != 0 || ::fsync(fd) != 0) return fail("cannot write");
  if (::close(fd) != 0) {
    error = "cannot write " + path.string() + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot create " + path.string() + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace tavpack
