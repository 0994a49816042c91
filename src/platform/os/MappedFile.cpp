#include "platform/os/MappedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/LastError.h"
#include "platform/os/Paths.h"

namespace tav::os {

MappedFile::~MappedFile() { Close(); }

MappedFile::Status MappedFile::Open(std::wstring_view path, Reading reading) {
  Close();
  fd_ = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    SetLastError(errno);
    return Status::OpenFailed;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    SetLastError(S_ISDIR(st.st_mode) ? EISDIR : errno ? errno : EINVAL);
    Close();
    return Status::MapFailed;
  }
  size_ = static_cast<size_t>(st.st_size);
  if (size_ == 0) return Status::Ok;
  // A reader of every byte is served far better by populating the whole view
  // up front than by one page fault per page.
  const int populate = reading == Reading::Whole ? MAP_POPULATE : 0;
  void* view = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | populate, fd_, 0);
  if (view == MAP_FAILED) {
    SetLastError(errno);
    size_ = 0;
    Close();
    return Status::MapFailed;
  }
  data_ = static_cast<const uint8_t*>(view);
  return Status::Ok;
}

bool MappedFile::ReadAt(uint64_t offset, size_t count, uint8_t* out) const {
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd_, out + done, count - done, off_t(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      SetLastError(got < 0 ? errno : EIO);
      return false;
    }
    done += size_t(got);
  }
  return true;
}

void MappedFile::Close() {
  if (data_) ::munmap(const_cast<uint8_t*>(data_), size_);
  if (fd_ >= 0) ::close(fd_);
  data_ = nullptr;
  size_ = 0;
  fd_ = -1;
}

}  // namespace tav::os
