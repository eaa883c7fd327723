#pragma once

#include <functional>

namespace nivaro {

// The most threads a run may ask for: --threads, NIVARO_THREADS and the module.
inline constexpr int kMostThreads = 1024;

// NIVARO_THREADS when it holds a whole number from 1 to kMostThreads, otherwise 0.
int ThreadsFromEnvironment();

// Threads for the parallel kernels: the requested number, else
// NIVARO_THREADS, else the machine's hardware threads.
int ThreadCount(int requested);

// Runs work(block, worker) for blocks 0 .. count - 1 on up to `threads`
// threads, the calling thread being worker 0. The calling thread alone calls
// afterBlocks(finished) whenever the run of finished blocks counted from
// block 0 has grown, so progress is told in block order; when it returns
// false, no further block starts. Returns when every started block is done.
void RunBlocksInOrder(int count, int threads, const std::function<void(int block, int worker)>& work,
                      const std::function<bool(int finished)>& afterBlocks);

}  // namespace nivaro
