#include "platform/os/Threads.h"

#include <ctime>
#include <system_error>
#include <thread>
#include <vector>

namespace tav::os {

void RunOnThreads(unsigned threads, const std::function<void()>& work) {
  std::vector<std::thread> pool;
  try {
    pool.reserve(threads > 1 ? threads - 1 : 0);
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  } catch (const std::exception&) {
    // Out of threads or memory: the threads already running and this one do the rest.
  }
  work();
  for (std::thread& t : pool) t.join();
}

double ThreadCpuSeconds() {
  timespec now{};
  if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) return 0;
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

}  // namespace tav::os
