/* mapwait: starts a program and prints the milliseconds until its first
 * top-level X window of the given size is mapped, and that window's process
 * (_NET_WM_PID, which Wine sets). Runs on the Linux side so the timing covers
 * everything from the start of the command, Wine's loader included.
 *   mapwait WIDTH HEIGHT TIMEOUT_MS -- command [args...]
 * Prints "startup_ms N" and "pid P" as soon as the window maps, then stays
 * until the program has ended, so the program is never left unreaped. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static long window_pid(Display *d, Window w) {
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char *data = NULL;
  long pid = 0;
  Atom prop = XInternAtom(d, "_NET_WM_PID", False);
  if (XGetWindowProperty(d, w, prop, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after, &data) == Success && data &&
      n == 1)
    pid = (long)*(unsigned long *)data;
  if (data) XFree(data);
  return pid;
}

int main(int argc, char **argv) {
  if (argc < 6 || strcmp(argv[4], "--") != 0) {
    fprintf(stderr, "usage: mapwait WIDTH HEIGHT TIMEOUT_MS -- command [args...]\n");
    return 2;
  }
  const int width = atoi(argv[1]), height = atoi(argv[2]);
  const double timeout = atof(argv[3]);
  Display *d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "mapwait: no display\n");
    return 1;
  }
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);

  const double start = now_ms();
  pid_t child = fork();
  if (child == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0), dup2(null, 1), dup2(null, 2);
    setsid();
    execvp(argv[5], argv + 5);
    _exit(127);
  }
  if (child < 0) return 1;

  struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
  for (;;) {
    while (XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type != MapNotify) continue;
      XWindowAttributes a;
      if (!XGetWindowAttributes(d, e.xmap.window, &a) || a.width != width || a.height != height) continue;
      printf("startup_ms %.1f\npid %ld\n", now_ms() - start, window_pid(d, e.xmap.window));
      fflush(stdout);
      XCloseDisplay(d);
      int status = 0;
      waitpid(child, &status, 0);
      return 0;
    }
    const double left = timeout - (now_ms() - start);
    if (left <= 0) break;
    poll(&p, 1, (int)left + 1);
  }
  fprintf(stderr, "mapwait: no %dx%d window within %.0f ms\n", width, height, timeout);
  return 1;
}
