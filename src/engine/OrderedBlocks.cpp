#include "OrderedBlocks.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace nivaro {

int ThreadsFromEnvironment()
{
    if (const char* text = std::getenv("NIVARO_THREADS")) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && value > 0 && value <= kMostThreads) {
            return static_cast<int>(value);
        }
    }
    return 0;
}

int ThreadCount(int requested)
{
    if (requested > 0) {
        return requested;
    }
    const int fromEnvironment = ThreadsFromEnvironment();
    return fromEnvironment > 0 ? fromEnvironment : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void RunBlocksInOrder(int count, int threads, const std::function<void(int block, int worker)>& work,
                      const std::function<bool(int finished)>& afterBlocks)
{
    std::atomic<int> next{0};
    std::atomic<bool> stopping{false};
    const auto finished = std::make_unique<std::atomic<bool>[]>(static_cast<std::size_t>(std::max(count, 0)));
    const auto take = [&]() {
        if (stopping.load(std::memory_order_relaxed)) {
            return -1;
        }
        const int block = next.fetch_add(1, std::memory_order_relaxed);
        return block < count ? block : -1;
    };
    int reported = 0;
    const auto report = [&]() {
        int run = reported;
        while (run < count && finished[static_cast<std::size_t>(run)].load(std::memory_order_acquire)) {
            ++run;
        }
        if (run > reported) {
            reported = run;
            if (!afterBlocks(run)) {
                stopping = true;
            }
        }
    };
    {
        std::vector<std::jthread> workers;
        const int helpers = std::clamp(threads, 1, std::max(count, 1)) - 1;
        for (int worker = 1; worker <= helpers; ++worker) {
            workers.emplace_back([&, worker] {
                for (int block = take(); block >= 0; block = take()) {
                    work(block, worker);
                    finished[static_cast<std::size_t>(block)].store(true, std::memory_order_release);
                }
            });
        }
        for (int block = take(); block >= 0; block = take()) {
            work(block, 0);
            finished[static_cast<std::size_t>(block)].store(true, std::memory_order_release);
            report();
        }
    }
    if (!stopping) {
        report();
    }
}

}  // namespace nivaro
