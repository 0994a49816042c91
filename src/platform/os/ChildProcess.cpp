#include "platform/os/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace tav::os {

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

int WaitFor(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

ChildEnd RunInChild(const std::function<std::string()>& work, std::string& result, int timeoutMs) {
  result.clear();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return ChildEnd::NotStarted;
  const pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    return ChildEnd::NotStarted;
  }
  if (child == 0) {
    close(fds[0]);
    // A crash of the work ends the child there and then: a crash handler
    // inherited from the parent (a sanitizer's, a fuzzer's) would report it
    // as the parent's own crash, while the parent goes on.
    for (int number : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) signal(number, SIG_DFL);
    int code = 0;
    try {
      if (!WriteAll(fds[1], work())) code = 2;
    } catch (...) {
      code = 3;
    }
    // No exit handlers, no destructors, no flushing of the parent's buffers:
    // they belong to the parent.
    _exit(code);
  }
  close(fds[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool timedOut = false;
  char buffer[65536];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    pollfd ready{fds[0], POLLIN, 0};
    const int polled = poll(&ready, 1, int(left.count()));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) {  // out of time, or the wait itself failed: the child is not waited for
      timedOut = true;
      break;
    }
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the child closed its end: it has ended
    result.append(buffer, size_t(n));
  }
  close(fds[0]);
  if (timedOut) {
    kill(child, SIGKILL);
    WaitFor(child);
    result.clear();
    return ChildEnd::TimedOut;
  }
  const int status = WaitFor(child);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    result.clear();
    return ChildEnd::Stopped;
  }
  return ChildEnd::Returned;
}

}  // namespace tav::os
