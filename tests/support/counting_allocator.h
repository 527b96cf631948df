// Heap allocations counted by a replaced global operator new, for tests that hold a hot path
// to allocating nothing. Link `counting_allocator` only into a test executable of its own:
// the replacement counts every allocation of the process.
#ifndef TESTS_SUPPORT_COUNTING_ALLOCATOR_H
#define TESTS_SUPPORT_COUNTING_ALLOCATOR_H

// Allocations made so far through operator new, and the bytes they asked for.
long long allocation_count();
long long allocated_byte_count();

#endif
