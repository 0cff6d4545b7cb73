/* A stand-in for the trace driver on POSIX systems, preloaded (LD_PRELOAD)
 * into the program by the process tests, so that its real device system meets
 * a device that answers ioctl().
 *
 *   AMBERTAP_STAND_IN_TRACE=FILE  opening /dev/OV7100D gives a descriptor of
 *                                 /dev/null; the read request on it copies
 *                                 FILE, the clear request empties FILE.
 *   AMBERTAP_STAND_IN_FAIL=N      every request on the device fails with
 *                                 errno N and does nothing.
 *   AMBERTAP_STAND_IN_OVERFLOW=1  the read copies what fits, then fails with
 *                                 EOVERFLOW: the driver has more than it gave.
 *   AMBERTAP_STAND_IN_OVERFLOW=cut
 *                                 the same, but only when the trace is longer
 *                                 than the read's buffer, as drivers that
 *                                 return as much as fits do.
 *
 * While a program reads, tests/device/feed_trace.py may append records to
 * FILE, as a driver traces messages.
 *
 * Without AMBERTAP_STAND_IN_TRACE every call goes straight to the system.
 * Plain C without the sanitizers: a preloaded library must not need their
 * runtimes. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/types.h>
#include <unistd.h>

/* The driver's control codes and read argument, as the program has them in
 * src/device/device_system.h. */
enum { traceReadCode = 100, traceClearCode = 101 };

struct TraceReadArgument {
    void* buffer;
    size_t size;
    size_t bytesWritten;
};

static const char devicePath[] = "/dev/OV7100D";

/* What the last open of the device returned. */
static int deviceDescriptor = -1;

typedef int (*OpenFunction)(const char*, int, ...);
typedef int (*IoctlFunction)(int, unsigned long, ...);

/* ISO C has no conversion from dlsym()'s object pointer to a function
 * pointer, so its bits are copied; POSIX makes the two the same size. */
static OpenFunction systemOpen(void) {
    OpenFunction function;
    void* const symbol = dlsym(RTLD_NEXT, "open");
    memcpy(&function, &symbol, sizeof function);
    return function;
}

static IoctlFunction systemIoctl(void) {
    IoctlFunction function;
    void* const symbol = dlsym(RTLD_NEXT, "ioctl");
    memcpy(&function, &symbol, sizeof function);
    return function;
}

static const char* traceFile(void) {
    return getenv("AMBERTAP_STAND_IN_TRACE");
}

static int failWith(int error) {
    errno = error;
    return -1;
}

/* Whether the read reports more data: always, or only when it was cut. */
static int reportsOverflow(int cut) {
    const char* const overflow = getenv("AMBERTAP_STAND_IN_OVERFLOW");
    if (overflow == NULL) {
        return 0;
    }
    return strcmp(overflow, "cut") != 0 || cut;
}

static int readTrace(struct TraceReadArgument* argument) {
    FILE* const trace = fopen(traceFile(), "rb");
    int cut;
    if (trace == NULL) {
        return -1;
    }
    argument->bytesWritten = fread(argument->buffer, 1, argument->size, trace);
    cut = argument->bytesWritten == argument->size && fgetc(trace) != EOF;
    fclose(trace);
    return reportsOverflow(cut) ? failWith(EOVERFLOW) : 0;
}

static int clearTrace(void) {
    return truncate(traceFile(), 0);
}

static int answerRequest(unsigned long code, void* argument) {
    const char* const failure = getenv("AMBERTAP_STAND_IN_FAIL");
    if (failure != NULL) {
        return failWith(atoi(failure));
    }
    switch (code) {
        case traceReadCode:
            return argument != NULL ? readTrace(argument) : failWith(EFAULT);
        case traceClearCode:
            return argument == NULL ? clearTrace() : failWith(EINVAL);
        default:
            return failWith(ENOTTY);
    }
}

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    if (traceFile() == NULL || strcmp(path, devicePath) != 0) {
        return systemOpen()(path, flags, mode);
    }
    deviceDescriptor = systemOpen()("/dev/null", flags);
    return deviceDescriptor;
}

int ioctl(int descriptor, unsigned long code, ...) {
    va_list arguments;
    va_start(arguments, code);
    void* const argument = va_arg(arguments, void*);
    va_end(arguments);
    if (traceFile() == NULL || descriptor != deviceDescriptor) {
        return systemIoctl()(descriptor, code, argument);
    }
    return answerRequest(code, argument);
}
