#pragma once

#include <functional>

namespace nivaro {

// Threads for the parallel kernels: NIVARO_THREADS when it holds a positive
// number, otherwise the machine's hardware threads.
int DefaultThreadCount();

// The requested number of threads, or DefaultThreadCount() for 0.
inline int ThreadCount(int requested)
{
    return requested > 0 ? requested : DefaultThreadCount();
}

// Runs work(block, worker) for blocks 0 .. count - 1 on up to `threads`
// threads, the calling thread being worker 0. The calling thread alone calls
// afterBlocks(finished) whenever the run of finished blocks counted from
// block 0 has grown, so progress is told in block order; when it returns
// false, no further block starts. Returns when every started block is done.
void RunBlocksInOrder(int count, int threads, const std::function<void(int block, int worker)>& work,
                      const std::function<bool(int finished)>& afterBlocks);

}  // namespace nivaro
