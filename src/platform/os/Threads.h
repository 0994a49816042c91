#pragma once
#include <functional>

namespace tav::os {

// Runs `work` on the calling thread and on up to threads - 1 more, and returns
// when all have finished. `work` should take its items from a shared counter,
// so that fewer threads (when the system refuses to start one) still finish
// everything.
void RunOnThreads(unsigned threads, const std::function<void()>& work);

// Processor time the calling thread has used, in seconds: what a piece of work
// cost, whatever else the machine was doing meanwhile.
double ThreadCpuSeconds();

}  // namespace tav::os
