#include "AllocationBudget.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

constexpr long long kUnlimited = -1;
std::atomic<long long> remaining{kUnlimited};

void* Allocate(std::size_t size)
{
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    const long long budget = remaining.load();
    if (budget != kUnlimited) {
        const auto used = static_cast<long long>(malloc_usable_size(block));
        if (used > budget) {
            std::free(block);
            throw std::bad_alloc();
        }
        remaining -= used;
    }
    return block;
}

void Release(void* block) noexcept
{
    if (block != nullptr && remaining.load() != kUnlimited) {
        remaining += static_cast<long long>(malloc_usable_size(block));
    }
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}

void* operator new[](std::size_t size)
{
    return Allocate(size);
}

void operator delete(void* block) noexcept
{
    Release(block);
}

void operator delete[](void* block) noexcept
{
    Release(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    Release(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    Release(block);
}

namespace nivaro {

AllocationBudget::AllocationBudget(long long bytes)
{
    remaining = bytes;
}

AllocationBudget::~AllocationBudget()
{
    remaining = kUnlimited;
}

}  // namespace nivaro
