#include "maint/CrashHandler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <iterator>

#include "maint/FileSystem.h"
#include "platform/Folders.h"

extern char** environ;

namespace reelkeep {

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGSYS};
constexpr std::size_t kPathCapacity = 4096;

// Prepared at installation; the handler only reads them.
char g_recordPath[kPathCapacity];
char g_programPath[kPathCapacity];
struct sigaction g_previous[std::size(kSignals)];
bool g_installed = false;
volatile sig_atomic_t g_handling = 0;
alignas(16) char g_alternateStack[64 * 1024];

const char* SignalName(int signal) {
    switch (signal) {
        case SIGSEGV: return "SIGSEGV";
        case SIGBUS: return "SIGBUS";
        case SIGILL: return "SIGILL";
        case SIGFPE: return "SIGFPE";
        case SIGABRT: return "SIGABRT";
        case SIGSYS: return "SIGSYS";
        default: return "?";
    }
}

// Formatting without the C library's formatted output, which is not async-signal-safe.
class RecordWriter {
public:
    explicit RecordWriter(int fd) : fd_(fd) {}
    RecordWriter& Text(const char* text) {
        std::size_t size = 0;
        while (text[size]) ++size;
        Put(text, size);
        return *this;
    }
    RecordWriter& Decimal(long long value) {
        char digits[24];
        int n = 0;
        const bool negative = value < 0;
        unsigned long long rest = negative ? 0ull - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
        do {
            digits[n++] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        } while (rest);
        if (negative) digits[n++] = '-';
        while (n > 0) Put(&digits[--n], 1);
        return *this;
    }
    RecordWriter& Hex(std::uintptr_t value) {
        char digits[2 + 2 * sizeof value];
        digits[0] = '0';
        digits[1] = 'x';
        for (std::size_t i = 0; i < 2 * sizeof value; ++i) {
            digits[2 + i] = "0123456789abcdef"[(value >> (4 * (2 * sizeof value - 1 - i))) & 15];
        }
        Put(digits, sizeof digits);
        return *this;
    }
    void CopyFile(const char* path) {
        const int in = ::open(path, O_RDONLY | O_CLOEXEC);
        if (in < 0) return;
        char buffer[4096];
        ssize_t got;
        while ((got = ::read(in, buffer, sizeof buffer)) > 0) Put(buffer, static_cast<std::size_t>(got));
        ::close(in);
    }

private:
    void Put(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t put = ::write(fd_, data, size);
            if (put <= 0) return;
            data += put;
            size -= static_cast<std::size_t>(put);
        }
    }
    int fd_;
};

std::uintptr_t InstructionPointer(const void* context) {
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return static_cast<std::uintptr_t>(uc->uc_mcontext.pc);
#else
    (void)uc;
    return 0;
#endif
}

void WriteRecord(int fd, int signal, const siginfo_t* info, const void* context) {
    RecordWriter out(fd);
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    out.Text("Reelkeep crash record\nVersion: " REELKEEP_VERSION_TEXT "\nProgram: ")
        .Text(g_programPath)
        .Text("\nProcess: ")
        .Decimal(::getpid())
        .Text("\nThread: ")
        .Decimal(::gettid())
        .Text("\nTime: ")
        .Decimal(now.tv_sec)
        .Text(" (seconds since 1970-01-01 UTC)\nSignal: ")
        .Decimal(signal)
        .Text(" (")
        .Text(SignalName(signal))
        .Text("), code ")
        .Decimal(info ? info->si_code : 0)
        .Text("\nFault address: ")
        .Hex(info ? reinterpret_cast<std::uintptr_t>(info->si_addr) : 0)
        .Text("\nInstruction: ")
        .Hex(context ? InstructionPointer(context) : 0)
        .Text("\n\nBacktrace:\n");
    void* frames[64];
    const int count = ::backtrace(frames, static_cast<int>(std::size(frames)));
    ::backtrace_symbols_fd(frames, count, fd);
    out.Text("\nLoaded modules (/proc/self/maps):\n");
    out.CopyFile("/proc/self/maps");
}

void StartMessageProcess() {
    char argument[] = "--crash-report";
    char* argv[] = {g_programPath, argument, g_recordPath, nullptr};
    const pid_t child = ::_Fork();
    if (child == 0) {
        ::execve(g_programPath, argv, environ);
        ::_exit(127);
    }
}

void OnFatalSignal(int signal, siginfo_t* info, void* context) {
    if (g_handling) {  // a fault inside the handler: the system's own handling follows
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    g_handling = 1;
    const int fd = g_recordPath[0]
                       ? ::open(g_recordPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)
                       : -1;
    if (fd < 0) {
        // No record: the signal takes its default course once the handler returns.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    WriteRecord(fd, signal, info, context);
    ::fsync(fd);
    ::close(fd);
    StartMessageProcess();
    ::_exit(128 + signal);
}

bool CopyInto(char (&target)[kPathCapacity], const std::string& text) {
    if (text.size() >= kPathCapacity) {
        target[0] = '\0';
        return false;
    }
    std::memcpy(target, text.c_str(), text.size() + 1);
    return true;
}

}  // namespace

std::string CrashRecordPath() {
    const std::string documents = DocumentsFolder();
    return documents.empty() ? std::string() : documents + "Reelkeep/Reelkeep.dmp";
}

void InstallCrashHandler() {
    if (g_installed) return;
    CopyInto(g_recordPath, CrashRecordPath());
    CopyInto(g_programPath, OwnProgramPath());
    // The first backtrace loads the unwinder, which must not happen inside the handler.
    void* frame[1];
    ::backtrace(frame, 1);

    // A stack overflow leaves no stack for the handler; it runs on one of its own.
    stack_t alternate{};
    alternate.ss_sp = g_alternateStack;
    alternate.ss_size = sizeof g_alternateStack;
    ::sigaltstack(&alternate, nullptr);

    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], &action, &g_previous[i]);
    }
    g_installed = true;
}

void RemoveCrashHandler() {
    if (!g_installed) return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    g_installed = false;
}

}  // namespace reelkeep
