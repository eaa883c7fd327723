#pragma once

namespace nivaro {

// While it lives, operator new fails with std::bad_alloc once the bytes
// allocated since its start, less those freed, would exceed the budget. One
// at a time; the engine tests replace the global operator new for it.
class AllocationBudget {
public:
    explicit AllocationBudget(long long bytes);
    AllocationBudget(const AllocationBudget&) = delete;
    AllocationBudget& operator=(const AllocationBudget&) = delete;
    ~AllocationBudget();
};

}  // namespace nivaro
