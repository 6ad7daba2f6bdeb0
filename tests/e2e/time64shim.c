/*
 * Faked time for a 32-bit service built with 64-bit time, preloaded just
 * before libfaketime (scripts/test-armhf). libfaketime 0.9.10 replaces only
 * the C library's 32-bit clock and sleep calls; a program built with
 * _TIME_BITS=64 calls their 64-bit twins instead, which would read the real
 * clock and sleep in real time. Each twin here calls the 32-bit call of the
 * next library in line, which is libfaketime's, and widens or narrows the
 * values. The faked dates lie before 2038, so they fit.
 *
 * Compiled without _TIME_BITS=64: time_t, timespec and timeval below are the
 * 32-bit ones, and the structures of the twins are spelled out.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>
#include <time.h>

_Static_assert(sizeof(time_t) == 4, "build the shim with the 32-bit time calls");

/* glibc's 64-bit timespec and timeval on a little-endian 32-bit target. */
struct timespec64 {
    int64_t tv_sec;
    int32_t tv_nsec;
    int32_t padding;
};
struct timeval64 {
    int64_t tv_sec;
    int64_t tv_usec;
};

static time_t (*faked_time)(time_t*);
static int (*faked_clock_gettime)(clockid_t, struct timespec*);
static int (*faked_gettimeofday)(struct timeval*, void*);
static int (*faked_nanosleep)(const struct timespec*, struct timespec*);
static int (*faked_clock_nanosleep)(clockid_t, int, const struct timespec*, struct timespec*);

/* Sets *pointer to the call `name` of the next library in line, libfaketime.
 * Looked up on first use, which may come before the shim's constructors would. */
static void lookup(void* pointer, const char* name) {
    void* call = dlsym(RTLD_NEXT, name);
    if (call == NULL) {
        fprintf(stderr, "time64shim: no %s after the shim\n", name);
        abort();
    }
    memcpy(pointer, &call, sizeof call);
}

static struct timespec64 widened(struct timespec t) {
    struct timespec64 wide = {t.tv_sec, (int32_t)t.tv_nsec, 0};
    return wide;
}

/* Sleeps are relative, or absolute before 2038: they fit in 32 bits. */
static struct timespec narrowed(const struct timespec64* t) {
    struct timespec narrow = {(time_t)(t->tv_sec > INT32_MAX ? INT32_MAX : t->tv_sec), t->tv_nsec};
    return narrow;
}

int64_t __time64(int64_t* out) {
    if (faked_time == NULL) {
        lookup(&faked_time, "time");
    }
    const int64_t now = faked_time(NULL);
    if (out != NULL) {
        *out = now;
    }
    return now;
}

int __clock_gettime64(clockid_t clock, struct timespec64* out) {
    if (faked_clock_gettime == NULL) {
        lookup(&faked_clock_gettime, "clock_gettime");
    }
    struct timespec now;
    const int result = faked_clock_gettime(clock, &now);
    if (result == 0) {
        *out = widened(now);
    }
    return result;
}

int __gettimeofday64(struct timeval64* out, void* zone) {
    if (faked_gettimeofday == NULL) {
        lookup(&faked_gettimeofday, "gettimeofday");
    }
    struct timeval now;
    const int result = faked_gettimeofday(out != NULL ? &now : NULL, zone);
    if (result == 0 && out != NULL) {
        out->tv_sec = now.tv_sec;
        out->tv_usec = now.tv_usec;
    }
    return result;
}

int __nanosleep64(const struct timespec64* wanted, struct timespec64* left) {
    const struct timespec narrow = narrowed(wanted);
    struct timespec rest = {0, 0};
    if (faked_nanosleep == NULL) {
        lookup(&faked_nanosleep, "nanosleep");
    }
    const int result = faked_nanosleep(&narrow, &rest);
    if (left != NULL) {
        *left = widened(rest);
    }
    return result;
}

int __clock_nanosleep_time64(clockid_t clock, int flags, const struct timespec64* wanted,
                             struct timespec64* left) {
    const struct timespec narrow = narrowed(wanted);
    struct timespec rest = {0, 0};
    if (faked_clock_nanosleep == NULL) {
        lookup(&faked_clock_nanosleep, "clock_nanosleep");
    }
    const int result = faked_clock_nanosleep(clock, flags, &narrow, &rest);
    if (left != NULL) {
        *left = widened(rest);
    }
    return result;
}
