#include "platform/os/Threads.h"

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

}  // namespace tav::os
