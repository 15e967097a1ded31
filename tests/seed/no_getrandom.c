/* no_getrandom.c: preloaded into vapryx, it leaves two processes nothing to tell their
   seeds apart but their pids: getrandom fails as on a kernel without it, and the wall
   clock stands still. It says so on stderr when getrandom is asked. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <sys/types.h>
#include <time.h>

ssize_t getrandom(void* buffer, size_t length, unsigned int flags) {
  (void)buffer, (void)length, (void)flags;
  fputs("no_getrandom: getrandom refused\n", stderr);
  errno = ENOSYS;
  return -1;
}

int clock_gettime(clockid_t clock, struct timespec* t) {
  static int (*real)(clockid_t, struct timespec*);
  if (clock == CLOCK_REALTIME) {
    t->tv_sec = 1700000000, t->tv_nsec = 123456789;
    return 0;
  }
  if (real == NULL) real = (int (*)(clockid_t, struct timespec*))dlsym(RTLD_NEXT, "clock_gettime");
  return real(clock, t);
}
