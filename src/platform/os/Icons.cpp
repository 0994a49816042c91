#include "platform/os/Icons.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <tuple>

#include "platform/os/IcoFile.h"
#include "platform/os/LastError.h"
#include "platform/os/Paths.h"

namespace tav::os {

struct IconObject {
  SDL_Surface* surface = nullptr;
  bool shared = false;
};

namespace {

// An icon file larger than this is not an icon.
constexpr off_t kMaxIconFile = 16 * 1024 * 1024;
// The size LR_DEFAULTSIZE stands for.
constexpr int kDefaultIconSize = 32;

// Which file, in which version: a shared icon is reused only for the same
// file unchanged, wherever the working folder is.
using FileIdentity = std::tuple<dev_t, ino_t, int64_t, int64_t, off_t>;

class IconFile {
 public:
  explicit IconFile(const std::wstring& name) : fd_(open(NativePath(name).c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~IconFile() {
    if (fd_ >= 0) close(fd_);
  }
  IconFile(const IconFile&) = delete;
  IconFile& operator=(const IconFile&) = delete;

  // False with the last error set for a missing, special or oversized file.
  bool Check(FileIdentity& identity) {
    if (fd_ < 0 || fstat(fd_, &info_) != 0) return Fail(errno);
    if (!S_ISREG(info_.st_mode)) return Fail(EINVAL);
    if (info_.st_size > kMaxIconFile) return Fail(EFBIG);
    identity = FileIdentity{info_.st_dev, info_.st_ino, int64_t(info_.st_mtim.tv_sec), int64_t(info_.st_mtim.tv_nsec),
                            info_.st_size};
    return true;
  }

  bool Read(std::vector<uint8_t>& bytes) {
    bytes.resize(size_t(info_.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t got = read(fd_, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      // A file that shrank while being read is as good as damaged.
      if (got <= 0) return Fail(got < 0 ? errno : EINVAL);
      done += size_t(got);
    }
    return true;
  }

 private:
  static bool Fail(int error) {
    SetLastError(error);
    return false;
  }
  int fd_;
  struct stat info_ {};
};

struct IconTable {
  std::mutex mutex;
  std::set<HICON> live;
  std::map<std::tuple<FileIdentity, int, int>, HICON> shared;
};

IconTable& Icons() {
  static IconTable* table = new IconTable;
  return *table;
}

SDL_Surface* MakeSurface(const IcoImage& image) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, image.width, image.height, 32, SDL_PIXELFORMAT_RGBA32);
  if (!surface) return nullptr;
  for (int y = 0; y < image.height; ++y)
    std::memcpy(static_cast<uint8_t*>(surface->pixels) + size_t(y) * size_t(surface->pitch),
                image.rgba.data() + size_t(y) * size_t(image.width) * 4, size_t(image.width) * 4);
  return surface;
}

}  // namespace

HANDLE LoadImageW(HINSTANCE, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
  if (type != IMAGE_ICON || !(flags & LR_LOADFROMFILE)) {
    SetLastError(ENOTSUP);
    return nullptr;
  }
  if (!name || IS_INTRESOURCE(name) || !name[0] || cx < 0 || cy < 0 || cx > kMaxIconSide || cy > kMaxIconSide) {
    SetLastError(EINVAL);
    return nullptr;
  }
  if (flags & LR_DEFAULTSIZE) {
    if (cx == 0) cx = kDefaultIconSize;
    if (cy == 0) cy = kDefaultIconSize;
  }
  IconFile file(name);
  FileIdentity identity;
  if (!file.Check(identity)) return nullptr;
  bool shared = (flags & LR_SHARED) != 0;
  auto key = std::make_tuple(identity, cx, cy);
  if (shared) {
    std::lock_guard lock(Icons().mutex);
    auto it = Icons().shared.find(key);
    if (it != Icons().shared.end()) return it->second;
  }

  std::vector<uint8_t> bytes;
  if (!file.Read(bytes)) return nullptr;
  IcoImage image;
  if (!DecodeIco(bytes, cx, cy, image)) {
    SetLastError(EINVAL);
    return nullptr;
  }
  // A size of 0 keeps the entry's own.
  int width = cx ? cx : image.width;
  int height = cy ? cy : image.height;
  if (width != image.width || height != image.height) image = ResizeIcoImage(image, width, height);
  SDL_Surface* surface = MakeSurface(image);
  if (!surface) {
    SetLastError(ENOMEM);
    return nullptr;
  }
  auto* icon = new IconObject{surface, shared};
  std::lock_guard lock(Icons().mutex);
  Icons().live.insert(icon);
  if (shared) {
    // Another thread may have loaded the same icon meanwhile; keep the first.
    auto [it, inserted] = Icons().shared.emplace(key, icon);
    if (!inserted) {
      Icons().live.erase(icon);
      SDL_FreeSurface(surface);
      delete icon;
      return it->second;
    }
  }
  return icon;
}

BOOL DestroyIcon(HICON icon) {
  std::lock_guard lock(Icons().mutex);
  if (!Icons().live.count(icon)) {
    SetLastError(EBADF);
    return FALSE;
  }
  if (icon->shared) return TRUE;  // shared icons live as long as the process
  Icons().live.erase(icon);
  SDL_FreeSurface(icon->surface);
  delete icon;
  return TRUE;
}

SDL_Surface* IconSurface(HICON icon) {
  if (!icon) return nullptr;
  std::lock_guard lock(Icons().mutex);
  return Icons().live.count(icon) ? icon->surface : nullptr;
}

}  // namespace tav::os
