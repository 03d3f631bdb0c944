// Test-only LD_PRELOAD library: right after the k-th successful open of a path
// that contains a given text, the process sends itself a given signal, so that
// a test interrupts a run at an exact point instead of racing it with a timer.
//
//   SIGNAL_AT_OPEN=<text>          part of the path to watch (unset: never signal)
//   SIGNAL_AT_OPEN_COUNT=<k>       which matching open (default 1)
//   SIGNAL_AT_OPEN_SIGNAL=<n>      the signal number (default SIGTERM)
//
// Renames are watched the same way, after the k-th successful rename,
// renameat or renameat2 either of whose names contains the text, and a file
// system that cannot exchange two names can be played:
//
//   SIGNAL_AT_RENAME=<text>, SIGNAL_AT_RENAME_COUNT=<k>, SIGNAL_AT_RENAME_SIGNAL=<n>
//   SIGNAL_BEFORE_RENAME=1         signal before the k-th such call instead, whatever
//                                  its result: a test stopped there changes what it moves
//   RENAME_EXCHANGE_UNSUPPORTED=1  renameat2 with RENAME_EXCHANGE fails with EINVAL
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
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

typedef int (*rename_fn)(const char*, const char*);
typedef int (*renameat_fn)(int, const char*, int, const char*);
typedef int (*renameat2_fn)(int, const char*, int, const char*, unsigned);

// What to watch for one kind of call, and how many matching calls were seen.
struct Trigger {
    const char* text;  // NULL: never signal
    long count;
    int signal;
    atomic_long seen;
};

static struct Trigger g_open = {NULL, 1, SIGTERM, 0};
static struct Trigger g_rename = {NULL, 1, SIGTERM, 0};
static int g_no_exchange;
static int g_before_rename;

static void configure_trigger(struct Trigger* t, const char* text, const char* count, const char* signo) {
    if (count) t->count = strtol(count, NULL, 10);
    if (signo) t->signal = (int)strtol(signo, NULL, 10);
    t->text = text && *text ? text : NULL;
}

__attribute__((constructor)) static void configure(void) {
    configure_trigger(&g_open, getenv("SIGNAL_AT_OPEN"), getenv("SIGNAL_AT_OPEN_COUNT"),
                      getenv("SIGNAL_AT_OPEN_SIGNAL"));
    configure_trigger(&g_rename, getenv("SIGNAL_AT_RENAME"), getenv("SIGNAL_AT_RENAME_COUNT"),
                      getenv("SIGNAL_AT_RENAME_SIGNAL"));
    const char* no_exchange = getenv("RENAME_EXCHANGE_UNSUPPORTED");
    g_no_exchange = no_exchange && *no_exchange == '1';
    const char* before = getenv("SIGNAL_BEFORE_RENAME");
    g_before_rename = before && *before == '1';
}

// Resolved on first use: an open may come before the constructor has run.
static void* next(const char* name) {
    void* fn = dlsym(RTLD_NEXT, name);
    if (!fn) abort();
    return fn;
}

static int matches(const struct Trigger* t, const char* path) { return t->text && path && strstr(path, t->text); }

static void count_and_signal(struct Trigger* t) {
    if (atomic_fetch_add(&t->seen, 1) + 1 == t->count) {
        const int saved = errno;
        // Unblocked and process-directed, so delivered before kill returns,
        // exactly as an interrupt from outside would arrive at this point.
        kill(getpid(), t->signal);
        errno = saved;
    }
}

static int after_open(int fd, const char* path) {
    if (fd >= 0 && matches(&g_open, path)) count_and_signal(&g_open);
    return fd;
}

static void before_rename(const char* from, const char* to) {
    if (g_before_rename && (matches(&g_rename, from) || matches(&g_rename, to))) count_and_signal(&g_rename);
}

static int after_rename(int result, const char* from, const char* to) {
    if (!g_before_rename && result == 0 && (matches(&g_rename, from) || matches(&g_rename, to)))
        count_and_signal(&g_rename);
    return result;
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

INTERPOSED int rename(const char* from, const char* to) {
    static _Atomic(rename_fn) real;
    if (!real) real = (rename_fn)next("rename");
    before_rename(from, to);
    return after_rename(real(from, to), from, to);
}

INTERPOSED int renameat(int from_dir, const char* from, int to_dir, const char* to) {
    static _Atomic(renameat_fn) real;
    if (!real) real = (renameat_fn)next("renameat");
    before_rename(from, to);
    return after_rename(real(from_dir, from, to_dir, to), from, to);
}

INTERPOSED int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
    static _Atomic(renameat2_fn) real;
    if (!real) real = (renameat2_fn)next("renameat2");
    if (g_no_exchange && (flags & RENAME_EXCHANGE)) {
        errno = EINVAL;
        return -1;
    }
    before_rename(from, to);
    return after_rename(real(from_dir, from, to_dir, to, flags), from, to);
}
