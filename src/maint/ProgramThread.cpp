#include "maint/ProgramThread.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

namespace reelkeep {

std::size_t ThreadSignalStack::Size() {
    // Room for the handler's backtrace, never less than the system asks for.
    const long minimum = ::sysconf(_SC_MINSIGSTKSZ);
    return std::max<std::size_t>(64 * 1024, minimum > 0 ? 4 * static_cast<std::size_t>(minimum) : 0);
}

ThreadSignalStack::ThreadSignalStack() {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t size = (Size() + page - 1) / page * page;
    // One guard page below the stack: an overflow of the handler itself faults at once.
    void* memory = ::mmap(nullptr, size + page, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (memory == MAP_FAILED) return;
    ::mprotect(memory, page, PROT_NONE);
    stack_t alternate{};
    alternate.ss_sp = static_cast<char*>(memory) + page;
    alternate.ss_size = size;
    if (::sigaltstack(&alternate, nullptr) != 0) {
        ::munmap(memory, size + page);
        return;
    }
    memory_ = memory;
    mapped_ = size + page;
}

ThreadSignalStack::~ThreadSignalStack() {
    if (!memory_) return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    ::sigaltstack(&off, nullptr);
    ::munmap(memory_, mapped_);
}

}  // namespace reelkeep
