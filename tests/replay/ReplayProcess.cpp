#include "replay/ReplayProcess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <span>
#include <thread>

#include "support/TempDir.h"

namespace tavtest {

namespace fs = std::filesystem;

Outcome Replay(const fs::path& game, const std::string& script, const fs::path& workDir) {
  WriteFileBytes(workDir / "script.txt", script);
  const fs::path errors = workDir / "stderr.txt";
  pid_t child = fork();
  if (child == 0) {
    int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || dup2(fd, 2) < 0 || chdir(workDir.c_str()) != 0) _exit(97);
    execl(TAVRI_REPLAY_PATH, TAVRI_REPLAY_PATH, game.c_str(), "script.txt", nullptr);
    _exit(98);
  }
  Outcome outcome;
  for (int waited = 0; waited < 120 * 20; ++waited) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      outcome.errors = ReadFileBytes(errors);
      return outcome;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return outcome;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

tav::os::IcoImage ReadPng(const fs::path& file) {
  const std::string bytes = ReadFileBytes(file);
  tav::os::IcoImage image;
  EXPECT_TRUE(tav::os::DecodeIconPng(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), image))
      << file;
  return image;
}

}  // namespace tavtest
