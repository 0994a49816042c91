#pragma once
// Work done in a child process of its own, for code that may crash or hang on
// damaged input (a third-party parser handed a file from an archive): then
// only the child goes down, and the caller hears how it ended. The child
// starts as a copy of the caller's memory at the call, so the work sees
// everything set up before it.
#include <functional>
#include <string>

namespace tav::os {

enum class ChildEnd {
  Returned,    // the work returned; `result` holds what it returned
  Stopped,     // the child ended without returning (a crash, an abort)
  TimedOut,    // the work took longer than allowed and the child was killed
  NotStarted,  // no child could be made
};

// Runs `work` in a child process, allowing it `timeoutMs` milliseconds. An
// exception leaving `work` counts as Stopped. Not for work that needs other
// threads of the caller: the child has only the calling one.
ChildEnd RunInChild(const std::function<std::string()>& work, std::string& result, int timeoutMs);

}  // namespace tav::os
