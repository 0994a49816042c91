#include "platform/os/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/os/LastError.h"
#include "platform/os/Paths.h"

namespace tav::os {

bool AppendToFile(std::wstring_view path, std::string_view bytes) {
  int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetLastError(errno);
    return false;
  }
  ssize_t written = ::write(fd, bytes.data(), bytes.size());
  int err = errno;
  ::close(fd);
  if (written != static_cast<ssize_t>(bytes.size())) {
    SetLastError(written < 0 ? err : EIO);
    return false;
  }
  return true;
}

}  // namespace tav::os
