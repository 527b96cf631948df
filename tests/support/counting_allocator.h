// Heap allocations counted by a replaced global operator new, for tests that hold a hot path
// to allocating nothing, and made to fail from a chosen one on, for tests of running out of
// memory at each step of a piece of work. Link `counting_allocator` only into a test
// executable of its own: the replacement counts every allocation of the process.
#ifndef TESTS_SUPPORT_COUNTING_ALLOCATOR_H
#define TESTS_SUPPORT_COUNTING_ALLOCATOR_H

// Allocations made so far through operator new, and the bytes they asked for.
long long allocation_count();
long long allocated_byte_count();

// Lets the next `allowed` allocations succeed and makes the one after them throw
// std::bad_alloc, as a large request fails where small ones still succeed, while the object
// lives; fired() tells whether it came to that.
class AllocationFailure {
public:
    explicit AllocationFailure(long long allowed);
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;

    bool fired() const;
};

#endif
