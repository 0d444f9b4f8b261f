/* Preloaded into a process under test: counts the calls that change files inside one folder
 * and kills the process with SIGKILL just before the chosen one, so that a test can stop a
 * real program at every point where what it leaves on disk could differ.
 *
 *   REELKEEP_KILL_FOLDER  the folder whose files count (an absolute path ending in "/")
 *   REELKEEP_KILL_AT      the number of the call to die before (1 for the first); unset: none
 *   REELKEEP_KILL_COUNT   a file that receives the number of calls made, when the process ends
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

static const char* folder;
static size_t folderLength;
static long killAt = -1;
static const char* countPath;
static atomic_long calls;

static const char* Take(const char* name) {
    const char* value = getenv(name);
    return value && *value ? strdup(value) : NULL;
}

/* The settings belong to the process under test alone: they are taken out of its environment,
 * so that the programs it starts (the media helper) neither count nor die nor report. */
__attribute__((constructor)) static void Start(void) {
    folder = Take("REELKEEP_KILL_FOLDER");
    folderLength = folder ? strlen(folder) : 0;
    const char* at = Take("REELKEEP_KILL_AT");
    if (at) killAt = atol(at);
    countPath = Take("REELKEEP_KILL_COUNT");
    unsetenv("REELKEEP_KILL_FOLDER");
    unsetenv("REELKEEP_KILL_AT");
    unsetenv("REELKEEP_KILL_COUNT");
}

__attribute__((destructor)) static void Report(void) {
    const char* path = countPath;
    if (!path) return;
    FILE* out = fopen(path, "w");
    if (!out) return;
    fprintf(out, "%ld\n", (long)atomic_load(&calls));
    fclose(out);
}

static int Inside(const char* path) {
    return folder && path && strncmp(path, folder, folderLength) == 0;
}

static int InsideAt(int dirfd, const char* path) {
    if (!path) return 0;
    if (path[0] == '/' || dirfd == AT_FDCWD) return Inside(path);
    return 1; /* relative to a directory descriptor: count it, to be safe */
}

static int FdInside(int fd) {
    char link[64], target[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t got = readlink(link, target, sizeof target - 1);
    if (got <= 0) return 0;
    target[got] = '\0';
    return Inside(target);
}

static void Point(void) {
    const long number = atomic_fetch_add(&calls, 1) + 1;
    if (number == killAt) kill(getpid(), SIGKILL);
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

ssize_t write(int fd, const void* buffer, size_t size) {
    if (FdInside(fd)) Point();
    return NEXT(write)(fd, buffer, size);
}

ssize_t pwrite(int fd, const void* buffer, size_t size, off_t offset) {
    if (FdInside(fd)) Point();
    return NEXT(pwrite)(fd, buffer, size, offset);
}

ssize_t pwrite64(int fd, const void* buffer, size_t size, off64_t offset) {
    if (FdInside(fd)) Point();
    return NEXT(pwrite64)(fd, buffer, size, offset);
}

ssize_t writev(int fd, const struct iovec* parts, int count) {
    if (FdInside(fd)) Point();
    return NEXT(writev)(fd, parts, count);
}

int fsync(int fd) {
    if (FdInside(fd)) Point();
    return NEXT(fsync)(fd);
}

int fdatasync(int fd) {
    if (FdInside(fd)) Point();
    return NEXT(fdatasync)(fd);
}

int ftruncate(int fd, off_t length) {
    if (FdInside(fd)) Point();
    return NEXT(ftruncate)(fd, length);
}

int ftruncate64(int fd, off64_t length) {
    if (FdInside(fd)) Point();
    return NEXT(ftruncate64)(fd, length);
}

int unlink(const char* path) {
    if (Inside(path)) Point();
    return NEXT(unlink)(path);
}

int unlinkat(int dirfd, const char* path, int flags) {
    if (InsideAt(dirfd, path)) Point();
    return NEXT(unlinkat)(dirfd, path, flags);
}

int rename(const char* from, const char* to) {
    if (Inside(from) || Inside(to)) Point();
    return NEXT(rename)(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    if (InsideAt(fromDir, from) || InsideAt(toDir, to)) Point();
    return NEXT(renameat)(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags) {
    if (InsideAt(fromDir, from) || InsideAt(toDir, to)) Point();
    return NEXT(renameat2)(fromDir, from, toDir, to, flags);
}

int link(const char* from, const char* to) {
    if (Inside(to)) Point();
    return NEXT(link)(from, to);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    if (InsideAt(toDir, to)) Point();
    return NEXT(linkat)(fromDir, from, toDir, to, flags);
}

int mkstemp(char* pattern) {
    if (Inside(pattern)) Point();
    return NEXT(mkstemp)(pattern);
}

int mkostemp(char* pattern, int flags) {
    if (Inside(pattern)) Point();
    return NEXT(mkostemp)(pattern, flags);
}

static mode_t ModeOf(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) ? (mode_t)va_arg(arguments, int) : 0;
}

static int Changes(int flags) { return (flags & (O_CREAT | O_TRUNC)) != 0; }

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    if (Changes(flags) && Inside(path)) Point();
    return NEXT(open)(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    if (Changes(flags) && Inside(path)) Point();
    return NEXT(open64)(path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    if (Changes(flags) && InsideAt(dirfd, path)) Point();
    return NEXT(openat)(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    if (Changes(flags) && InsideAt(dirfd, path)) Point();
    return NEXT(openat64)(dirfd, path, flags, mode);
}
