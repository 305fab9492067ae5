// Put in LD_PRELOAD of corvane-convert by its tests, to see and steer what
// the output writer does at moments no outside process can hit reliably.
// Each behaviour is asked for by an environment variable:
//   CORVANE_HOOK_LOG=FILE      appends a line to FILE for every temporary file
//                              closed ("close") or renamed ("rename"), and for
//                              every syncfs ("syncfs"), in the order they come;
//   CORVANE_HOOK_SYNCFS_ERROR=N  syncfs fails with errno N;
//   CORVANE_HOOK_SIGNAL=N      raises signal N when a temporary file is closed
//   CORVANE_HOOK_SIGNAL_AT=close|rename  (close) or just before it is renamed;
//   CORVANE_HOOK_RIVAL=TEXT    writes TEXT to the target just before a temporary
//                              file is renamed to it, as another program might.
// Anything else goes straight to the C library.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char TempMark[] = ".corvane-convert.";

// Points *slot at the C library's own function; copied, since ISO C has no
// cast from dlsym's object pointer to a function pointer.
static void bindNext(void* slot, const char* name)
{
    void* function = dlsym(RTLD_NEXT, name);
    if (function == NULL)
        abort();
    memcpy(slot, &function, sizeof function);
}

static int realClose(int fd)
{
    static int (*function)(int);
    if (function == NULL)
        bindNext(&function, "close");
    return function(fd);
}

static void note(const char* event)
{
    const char* log = getenv("CORVANE_HOOK_LOG");
    if (log == NULL)
        return;
    const int fd = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        abort();
    const size_t length = strlen(event);
    if (write(fd, event, length) != (ssize_t)length || write(fd, "\n", 1) != 1)
        abort();
    realClose(fd);
}

static void raiseIfAskedAt(const char* moment)
{
    const char* sig = getenv("CORVANE_HOOK_SIGNAL");
    const char* at = getenv("CORVANE_HOOK_SIGNAL_AT");
    if (sig != NULL && at != NULL && strcmp(at, moment) == 0)
        raise(atoi(sig));
}

static int isTemporary(int fd)
{
    if (getenv("CORVANE_HOOK_LOG") == NULL && getenv("CORVANE_HOOK_SIGNAL") == NULL)
        return 0;
    char link[64], target[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length < 0)
        return 0;
    target[length] = '\0';
    return strstr(target, TempMark) != NULL;
}

static void beforeRename(const char* from, const char* to)
{
    if (strstr(from, TempMark) == NULL)
        return;
    note("rename");
    raiseIfAskedAt("rename");
    const char* rival = getenv("CORVANE_HOOK_RIVAL");
    if (rival == NULL)
        return;
    const int fd = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const size_t length = strlen(rival);
    if (fd < 0 || write(fd, rival, length) != (ssize_t)length)
        abort();
    realClose(fd);
}

int close(int fd)
{
    if (isTemporary(fd)) {
        note("close");
        const int result = realClose(fd);
        raiseIfAskedAt("close");
        return result;
    }
    return realClose(fd);
}

int rename(const char* from, const char* to)
{
    static int (*function)(const char*, const char*);
    if (function == NULL)
        bindNext(&function, "rename");
    beforeRename(from, to);
    return function(from, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags)
{
    static int (*function)(int, const char*, int, const char*, unsigned);
    if (function == NULL)
        bindNext(&function, "renameat2");
    beforeRename(from, to);
    return function(fromDir, from, toDir, to, flags);
}

int syncfs(int fd)
{
    static int (*function)(int);
    if (function == NULL)
        bindNext(&function, "syncfs");
    note("syncfs");
    const char* error = getenv("CORVANE_HOOK_SYNCFS_ERROR");
    if (error != NULL) {
        errno = atoi(error);
        return -1;
    }
    return function(fd);
}
