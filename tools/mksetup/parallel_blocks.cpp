#include "mksetup/parallel_blocks.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

std::vector<TBytes> BuildFileBlocks(const std::vector<TBytes>& files, const TBlockOptions& options, unsigned jobs,
                                    const TPackProgress& progress) {
  std::vector<TBytes> blocks(files.size());
  if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
  jobs = unsigned(std::min<size_t>(jobs, std::max<size_t>(files.size(), 1)));
  std::atomic<size_t> next{0};
  std::mutex done;
  size_t filesDone = 0;
  uint64_t bytesDone = 0;
  std::exception_ptr failure;
  auto work = [&] {
    for (size_t i; (i = next++) < files.size();) {
      try {
        TBytes content;
        AppendItem(content, files[i]);
        blocks[i] = BuildBlock(content, options);
      } catch (...) {
        std::lock_guard<std::mutex> lock(done);
        if (!failure) failure = std::current_exception();
        next = files.size();  // the others stop after their current block
        return;
      }
      std::lock_guard<std::mutex> lock(done);
      bytesDone += files[i].size();
      if (progress) progress(++filesDone, bytesDone);
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < jobs; ++t) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
  return blocks;
}
