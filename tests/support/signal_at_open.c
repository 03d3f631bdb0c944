// Test-only LD_PRELOAD library: right after the k-th successful open of a path
// that contains a given text, the process sends itself a given signal, so that
// a test interrupts a run at an exact point instead of racing it with a timer.
//
//   SIGNAL_AT_OPEN=<text>          part of the path to watch (unset: never signal)
//   SIGNAL_AT_OPEN_COUNT=<k>       which matching open (default 1)
//   SIGNAL_AT_OPEN_SIGNAL=<n>      the signal number (default SIGTERM)
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

// The project builds with hidden visibility; these must be seen to interpose.
#define INTERPOSED __attribute__((visibility("default")))

typedef int (*open_fn)(const char*, int, ...);
typedef int (*openat_fn)(int, const char*, int, ...);

static const char* g_text;  // NULL: never signal
static long g_count = 1;
static int g_signal = SIGTERM;
static atomic_long g_seen;

__attribute__((constructor)) static void configure(void) {
    const char* text = getenv("SIGNAL_AT_OPEN");
    const char* count = getenv("SIGNAL_AT_OPEN_COUNT");
    const char* signo = getenv("SIGNAL_AT_OPEN_SIGNAL");
    if (count) g_count = strtol(count, NULL, 10);
    if (signo) g_signal = (int)strtol(signo, NULL, 10);
    g_text = text && *text ? text : NULL;
}

// Resolved on first use: an open may come before the constructor has run.
static void* next(const char* name) {
    void* fn = dlsym(RTLD_NEXT, name);
    if (!fn) abort();
    return fn;
}

static int after_open(int fd, const char* path) {
    if (fd >= 0 && g_text && path && strstr(path, g_text) && atomic_fetch_add(&g_seen, 1) + 1 == g_count) {
        const int saved = errno;
        // Unblocked and process-directed, so delivered before kill returns,
        // exactly as an interrupt from outside would arrive at this point.
        kill(getpid(), g_signal);
        errno = saved;
    }
    return fd;
}

// The mode argument exists only when the flags ask for a file to be created.
static mode_t mode_of(int flags, va_list args) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

INTERPOSED int open(const char* path, int flags, ...) {
    static _Atomic(open_fn) real;
    if (!real) real = (open_fn)next("open");
    va_list args;
    va_start(args, flags);
    const mode_t mode = mode_of(flags, args);
    va_end(args);
    return after_open(real(path, flags, mode), path);
}

INTERPOSED int open64(const char* path, int flags, ...) {
    static _Atomic(open_fn) real;
    if (!real) real = (open_fn)next("open64");
    va_list args;
    va_start(args, flags);
    const mode_t mode = mode_of(flags, args);
    va_end(args);
    return after_open(real(path, flags, mode), path);
}

INTERPOSED int openat(int dir, const char* path, int flags, ...) {
    static _Atomic(openat_fn) real;
    if (!real) real = (openat_fn)next("openat");
    va_list args;
    va_start(args, flags);
    const mode_t mode = mode_of(flags, args);
    va_end(args);
    return after_open(real(dir, path, flags, mode), path);
}
