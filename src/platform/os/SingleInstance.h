#pragma once
// One running copy per game. The first process that registers a window class
// takes an exclusive lock on a file named after the class (the game title)
// and listens on a Unix-domain socket beside it; both live in
// $XDG_RUNTIME_DIR, else /tmp with the user id in the name. The lock is a POSIX
// record lock, which the system drops when its process ends, so a lock file or
// socket left by a crashed process never blocks a later start: whoever takes
// the lock next replaces the stale socket.
//
// A second copy's FindWindowW sees the held lock and returns a handle that
// stands for the first copy's window. IsIconic on it asks the first copy over
// the socket; OpenIcon and SetForegroundWindow send a request on which the
// first copy restores and raises its window. The first copy serves requests
// inside PeekMessageW, without blocking.
#include <functional>
#include <string>
#include <string_view>

#include "platform/os/WinTypes.h"

namespace tav::os {

struct InstancePaths {
  std::string lock;
  std::string socket;
};
// Where the lock and the socket of a class name are. The name is made safe
// for a file name (and short enough for a socket address) and keeps a hash of
// the full name, so distinct titles never share a lock.
InstancePaths InstancePathsFor(std::wstring_view className);

enum class InstanceRequest { QueryIconic, Restore, Raise };

// Called on the engine's thread after a request from another copy was served,
// with the window it concerned (null when the class has no window yet); for
// logs and the replay harness. Null removes it.
void SetInstanceRequestObserver(std::function<void(HWND, InstanceRequest)> observer);

namespace detail {

// Takes the lock of the class name if no live process holds it, and starts
// listening. True when this process holds it (already or now).
bool ClaimInstance(std::wstring_view className);
// Stops listening, removes the socket and drops the lock.
void ReleaseInstance(std::wstring_view className);
bool HoldsInstance(std::wstring_view className);
// Whether another live process holds the lock of the class name.
bool OtherInstanceRunning(std::wstring_view className);
// Sends a request to the holder. For QueryIconic `answer` receives the reply
// (waits up to 2 s). False with the last error set when it cannot be delivered.
bool SendInstanceRequest(std::wstring_view className, InstanceRequest request, bool* answer);
// Accepts and serves waiting requests; never blocks.
void ServeInstanceRequests();

}  // namespace detail
}  // namespace tav::os
