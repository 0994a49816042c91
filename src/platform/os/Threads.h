#pragma once
#include <functional>

namespace tav::os {

// Runs `work` on the calling thread and on up to threads - 1 more, and returns
// when all have finished. `work` should take its items from a shared counter,
// so that fewer threads (when the system refuses to start one) still finish
// everything.
void RunOnThreads(unsigned threads, const std::function<void()>& work);

}  // namespace tav::os
