// The counting replacement of the global operator new and its matching deletes, with the
// allocation from which on it fails.
#include "tests/support/counting_allocator.h"

#include <cstdlib>
#include <new>

namespace {
long long allocations = 0;
long long allocated_bytes = 0;
// The count of allocations at which operator new fails once; -1 while none is to fail.
long long failing_at = -1;
bool failure_fired = false;
}  // namespace

long long allocation_count()
{
    return allocations;
}

long long allocated_byte_count()
{
    return allocated_bytes;
}

AllocationFailure::AllocationFailure(long long allowed)
{
    failing_at = allocations + allowed;
    failure_fired = false;
}

AllocationFailure::~AllocationFailure()
{
    failing_at = -1;
}

bool AllocationFailure::fired() const
{
    return failure_fired;
}

void* operator new(std::size_t size)
{
    if (allocations == failing_at && !failure_fired) {
        failure_fired = true;
        throw std::bad_alloc();
    }
    ++allocations;
    allocated_bytes += static_cast<long long>(size);
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

// The standard library's temporary buffers (std::stable_sort's) come from these: counted and
// failed alike, and released by the same free.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}
