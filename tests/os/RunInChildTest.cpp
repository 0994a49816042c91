// Work run in a child process: what it returns comes back whole, and a crash,
// an exception or a hang takes only the child down.
#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <thread>

#include "platform/os/ChildProcess.h"

namespace {

using tav::os::ChildEnd;
using tav::os::RunInChild;

TEST(RunInChild, ReturnsWhatTheWorkReturnedAndOutlivesACrashAnExceptionAndAHang) {
  std::string result;
  // More than a pipe holds at once, with every byte value.
  std::string big(300000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7);
  int parentValue = 41;
  EXPECT_EQ(RunInChild([&] { return big + std::to_string(parentValue + 1); }, result, 10000), ChildEnd::Returned);
  EXPECT_EQ(result, big + "42");

  result = "stale";
  EXPECT_EQ(RunInChild([]() -> std::string { std::raise(SIGSEGV); return "never"; }, result, 10000),
            ChildEnd::Stopped);
  EXPECT_EQ(result, "");
  EXPECT_EQ(RunInChild([]() -> std::string { throw std::runtime_error("damaged"); }, result, 10000),
            ChildEnd::Stopped);
  EXPECT_EQ(RunInChild(
                []() -> std::string {
                  std::this_thread::sleep_for(std::chrono::seconds(30));
                  return "late";
                },
                result, 200),
            ChildEnd::TimedOut);
  EXPECT_EQ(result, "");
  // The work ran in a copy: the parent's memory is as it was.
  EXPECT_EQ(RunInChild([&] { parentValue = 0; return std::string(); }, result, 10000), ChildEnd::Returned);
  EXPECT_EQ(parentValue, 41);
}

}  // namespace
