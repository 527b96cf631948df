// The counting replacement of the global operator new and its matching deletes.
#include "tests/support/counting_allocator.h"

#include <cstdlib>
#include <new>

namespace {
long long allocations = 0;
long long allocated_bytes = 0;
}  // namespace

long long allocation_count()
{
    return allocations;
}

long long allocated_byte_count()
{
    return allocated_bytes;
}

void* operator new(std::size_t size)
{
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
