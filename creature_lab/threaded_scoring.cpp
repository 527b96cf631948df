// Indices handed out to the threads one at a time, with a helper's failure passed on.
#include "creature_lab/threaded_scoring.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

ThreadedScoring::ThreadedScoring(int threads)
{
    const Network empty(nullptr);
    for (int index = 0; index < std::max(1, threads); ++index)
        worlds.push_back(std::make_unique<World>(empty));
}

void ThreadedScoring::run(std::size_t count, const std::function<void(World&, std::size_t)>& score)
{
    std::atomic<std::size_t> next{0};
    // A helper's exception (running out of memory) would end the process; the first one is
    // kept, the others stop taking indices, and it is thrown again once all have joined.
    std::mutex failure_guard;
    std::exception_ptr failure;
    const auto work = [&](World& world) {
        try {
            for (std::size_t index = next++; index < count; index = next++)
                score(world, index);
        } catch (...) {
            next = count;
            const std::lock_guard<std::mutex> lock(failure_guard);
            if (!failure)
                failure = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    try {
        for (std::size_t index = 1; index < worlds.size(); ++index)
            helpers.emplace_back(work, std::ref(*worlds[index]));
    } catch (...) {
        // No more threads: the ones started and this one score everything.
    }
    work(*worlds[0]);
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
}
