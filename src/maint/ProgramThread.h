// Threads of the program. Each runs on an alternate signal stack of its own, so that the crash
// handler still has a stack to write its record on after a stack overflow on that thread
// (the main thread gets one when the handler is installed).
#pragma once

#include <cstddef>
#include <thread>
#include <utility>

namespace reelkeep {

// Gives the calling thread an alternate signal stack for the life of the object, and takes it
// away again (and frees it) at the end. Without memory for one, the thread goes without.
class ThreadSignalStack {
public:
    ThreadSignalStack();
    ~ThreadSignalStack();
    ThreadSignalStack(const ThreadSignalStack&) = delete;
    ThreadSignalStack& operator=(const ThreadSignalStack&) = delete;

    // The size of every alternate stack the program sets up.
    static std::size_t Size();

private:
    void* memory_ = nullptr;
    std::size_t mapped_ = 0;
};

// std::thread with `work` run on its own alternate signal stack. Every thread the program
// starts is started through this.
template <class Work>
std::thread StartProgramThread(Work work) {
    return std::thread([work = std::move(work)]() mutable {
        const ThreadSignalStack signalStack;
        work();
    });
}

}  // namespace reelkeep
