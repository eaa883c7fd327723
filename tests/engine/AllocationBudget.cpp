#include "AllocationBudget.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

constexpr long long kUnlimited = -1;
std::atomic<long long> remaining{kUnlimited};

void* Allocate(std::size_t size, std::size_t alignment = alignof(std::max_align_t))
{
    void* block = alignment <= alignof(std::max_align_t)
                      ? std::malloc(size == 0 ? 1 : size)
                      : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
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

void* operator new(std::size_t size, std::align_val_t alignment)
{
    return Allocate(size, static_cast<std::size_t>(alignment));
}

void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return Allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block, std::align_val_t) noexcept
{
    Release(block);
}

void operator delete[](void* block, std::align_val_t) noexcept
{
    Release(block);
}

void operator delete(void* block, std::size_t, std::align_val_t) noexcept
{
    Release(block);
}

void operator delete[](void* block, std::size_t, std::align_val_t) noexcept
{
    Release(block);
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
