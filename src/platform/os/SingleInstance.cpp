#include "platform/os/SingleInstance.h"

#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "platform/os/LastError.h"
#include "platform/os/Locale.h"
#include "platform/os/WindowRegistry.h"

namespace tav::os {

namespace {

// How long a client waits for the answer to a question.
constexpr int kAnswerTimeoutMs = 2000;
// How long the server keeps a connection that has not said anything yet.
constexpr std::chrono::milliseconds kIdleConnection{5000};
using SteadyTime = std::chrono::steady_clock::time_point;

// One byte on the socket per request; the answer to a question is '1' or '0'.
char RequestByte(InstanceRequest request) {
  switch (request) {
    case InstanceRequest::QueryIconic: return 'I';
    case InstanceRequest::Restore: return 'R';
    default: return 'F';
  }
}

bool RequestFromByte(char byte, InstanceRequest& request) {
  switch (byte) {
    case 'I': request = InstanceRequest::QueryIconic; return true;
    case 'R': request = InstanceRequest::Restore; return true;
    case 'F': request = InstanceRequest::Raise; return true;
    default: return false;
  }
}

struct Held {
  InstancePaths paths;
  int lockFd = -1;
  int listenFd = -1;
};

struct Connection {
  std::wstring className;
  int fd = -1;
  SteadyTime since;
};

struct State {
  std::mutex mutex;
  std::map<std::wstring, Held, std::less<>> held;
  std::vector<Connection> connections;
  std::function<void(HWND, InstanceRequest)> observer;
};

State& TheState() {
  static State* state = new State;
  return *state;
}

void CloseQuietly(int fd) {
  if (fd >= 0) close(fd);
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) {
    errno = ENAMETOOLONG;
    return false;
  }
  path.copy(address.sun_path, path.size());
  return true;
}

// Listens on the socket path; a leftover socket file is replaced, which is
// safe because only the lock holder listens.
int Listen(const std::string& path) {
  sockaddr_un address;
  if (!MakeAddress(path, address)) return -1;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  unlink(path.c_str());
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || chmod(path.c_str(), 0600) != 0 ||
      listen(fd, 16) != 0) {
    int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

void CloseHeld(Held& held) {
  if (held.listenFd >= 0) {
    close(held.listenFd);
    unlink(held.paths.socket.c_str());
  }
  CloseQuietly(held.lockFd);  // closing the descriptor drops the lock
  held.listenFd = held.lockFd = -1;
}

// At exit the socket files go; the locks go with the process anyway.
void ReleaseAllAtExit() {
  State& state = TheState();
  std::lock_guard lock(state.mutex);
  for (auto& [name, held] : state.held) CloseHeld(held);
  state.held.clear();
}

bool SameUser(int fd) {
#ifdef SO_PEERCRED
  ucred credentials{};
  socklen_t length = sizeof credentials;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return false;
  return credentials.uid == getuid();
#else
  (void)fd;
  return true;
#endif
}

// Carries out one request for the windows of a class; the answer of a
// question is written back.
void Serve(const std::wstring& className, int fd, InstanceRequest request) {
  std::vector<HWND> windows = detail::WindowsOfClass(className);
  bool iconic = false;
  for (HWND window : windows) {
    detail::WindowInfo info;
    if (!detail::LookUpOwn(window, info)) continue;
    switch (request) {
      case InstanceRequest::QueryIconic:
        iconic |= (SDL_GetWindowFlags(info.sdl) & SDL_WINDOW_MINIMIZED) != 0;
        break;
      case InstanceRequest::Restore:
        SDL_RestoreWindow(info.sdl);
        break;
      case InstanceRequest::Raise:
        SDL_RaiseWindow(info.sdl);
        break;
    }
  }
  if (request == InstanceRequest::QueryIconic) {
    char answer = iconic ? '1' : '0';
    (void)!send(fd, &answer, 1, MSG_NOSIGNAL);
  }
  std::function<void(HWND, InstanceRequest)> observer;
  {
    std::lock_guard lock(TheState().mutex);
    observer = TheState().observer;
  }
  if (observer) observer(windows.empty() ? nullptr : windows.front(), request);
}

uint64_t Fnv1a(const std::string& text) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

}  // namespace

InstancePaths InstancePathsFor(std::wstring_view className) {
  std::string folder = "/tmp";
  std::string prefix = "tavri-" + std::to_string(getuid()) + "-";
  if (const char* runtime = getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
    struct stat info {};
    if (stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) {
      folder = runtime;
      prefix = "tavri-";
    }
  }
  std::string utf8 = ToUtf8(className);
  std::string safe;
  for (unsigned char c : utf8) {
    if (safe.size() >= 40) break;
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    safe += plain ? char(c) : '_';
  }
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(utf8)));
  std::string base = folder + "/" + prefix + safe + "-" + hash;
  // A socket address holds little more than 100 bytes; the hash alone still
  // tells titles apart.
  if (base.size() + 5 >= sizeof(sockaddr_un::sun_path)) base = folder + "/" + prefix + hash;
  return InstancePaths{base + ".lock", base + ".sock"};
}

void SetInstanceRequestObserver(std::function<void(HWND, InstanceRequest)> observer) {
  std::lock_guard lock(TheState().mutex);
  TheState().observer = std::move(observer);
}

namespace detail {

bool HoldsInstance(std::wstring_view className) {
  std::lock_guard lock(TheState().mutex);
  return TheState().held.find(className) != TheState().held.end();
}

bool ClaimInstance(std::wstring_view className) {
  State& state = TheState();
  std::lock_guard lock(state.mutex);
  if (state.held.find(className) != state.held.end()) return true;
  Held held;
  held.paths = InstancePathsFor(className);
  held.lockFd = open(held.paths.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (held.lockFd < 0) {
    SetLastError(errno);
    return false;
  }
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  if (fcntl(held.lockFd, F_SETLK, &whole) != 0) {
    SetLastError(errno);  // EAGAIN or EACCES: another live copy holds it
    close(held.lockFd);
    return false;
  }
  // The holder's process id, for people looking at the file.
  std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(held.lockFd, 0) == 0) (void)!pwrite(held.lockFd, pid.data(), pid.size(), 0);
  // Without a socket this copy still counts as the running one; later copies
  // then find it but cannot reach it.
  held.listenFd = Listen(held.paths.socket);
  static bool cleanupRegistered = false;
  if (!cleanupRegistered) cleanupRegistered = std::atexit(ReleaseAllAtExit) == 0;
  state.held.emplace(std::wstring(className), held);
  return true;
}

void ReleaseInstance(std::wstring_view className) {
  State& state = TheState();
  std::lock_guard lock(state.mutex);
  auto it = state.held.find(className);
  if (it == state.held.end()) return;
  CloseHeld(it->second);
  state.held.erase(it);
  std::erase_if(state.connections, [&](const Connection& c) {
    if (c.className != className) return false;
    close(c.fd);
    return true;
  });
}

bool OtherInstanceRunning(std::wstring_view className) {
  // Opening and closing the lock file would drop a lock this process holds on
  // it, so a holder never looks.
  if (HoldsInstance(className)) return false;
  InstancePaths paths = InstancePathsFor(className);
  int fd = open(paths.lock.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  bool held = fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  close(fd);
  return held;
}

bool SendInstanceRequest(std::wstring_view className, InstanceRequest request, bool* answer) {
  sockaddr_un address;
  if (!MakeAddress(InstancePathsFor(className).socket, address)) {
    SetLastError(errno);
    return false;
  }
  // Non-blocking, so a copy that has stopped serving cannot hang this one.
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    SetLastError(errno);
    return false;
  }
  char byte = RequestByte(request);
  int error = 0;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      send(fd, &byte, 1, MSG_NOSIGNAL) != 1) {
    error = errno;
  } else if (answer) {
    pollfd wait{fd, POLLIN, 0};
    int ready;
    while ((ready = poll(&wait, 1, kAnswerTimeoutMs)) < 0 && errno == EINTR) {
    }
    char reply = 0;
    if (ready < 0)
      error = errno;
    else if (ready == 0)
      error = ETIMEDOUT;
    else if (recv(fd, &reply, 1, 0) != 1 || (reply != '0' && reply != '1'))
      error = EPROTO;
    else
      *answer = reply == '1';
  }
  close(fd);
  if (error) {
    SetLastError(error);
    return false;
  }
  return true;
}

void ServeInstanceRequests() {
  struct Work {
    std::wstring className;
    int fd;
    InstanceRequest request;
  };
  std::vector<Work> work;
  State& state = TheState();
  {
    std::lock_guard lock(state.mutex);
    if (state.held.empty()) return;
    // Real time, not the engine clock, which a test may hold still.
    SteadyTime now = std::chrono::steady_clock::now();
    for (auto& [name, held] : state.held) {
      if (held.listenFd < 0) continue;
      // This runs every frame: asking first is far cheaper than an accept
      // that finds nobody, which makes and drops a socket each time.
      pollfd waiting{held.listenFd, POLLIN, 0};
      if (poll(&waiting, 1, 0) <= 0 || !(waiting.revents & POLLIN)) continue;
      for (;;) {
        int fd = accept4(held.listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) break;
        if (!SameUser(fd)) {
          close(fd);
          continue;
        }
        state.connections.push_back(Connection{name, fd, now});
      }
    }
    std::erase_if(state.connections, [&](const Connection& c) {
      char byte = 0;
      ssize_t got = recv(c.fd, &byte, 1, 0);
      InstanceRequest request;
      if (got == 1 && RequestFromByte(byte, request)) {
        work.push_back(Work{c.className, c.fd, request});
        return true;
      }
      bool waiting = got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) &&
                     now - c.since < kIdleConnection;
      if (!waiting) close(c.fd);
      return !waiting;
    });
  }
  for (Work& item : work) {
    Serve(item.className, item.fd, item.request);
    close(item.fd);
  }
}

}  // namespace detail
}  // namespace tav::os
