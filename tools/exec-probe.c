/* Runs a program and says how it went, deciding from the kernel's own
 * answer to execv: a refused program gives its errno (ENOEXEC where the
 * kernel cannot run that kind of program), never a shell's reading of it.
 * execvp, and every tool that starts programs through it (timeout, env,
 * nice), hands a file the kernel refused with ENOEXEC to /bin/sh as a
 * script; this probe never does.
 *
 *   exec-probe SECONDS PROGRAM [ARG...]
 *
 * PROGRAM is a path (no PATH search); it runs in a process group of its
 * own with standard input from /dev/null. The first line printed is one of
 *
 *   exit N           it ran and exited with N
 *   signal N         it ran and was killed by signal N
 *   timeout SECONDS  it ran longer than SECONDS; its group was killed
 *   errno NAME TEXT  execv failed: NAME is the errno's name (ENOEXEC,
 *                    ENOENT, EACCES, ...), TEXT the system's words for it
 *
 * and the lines after it are the program's output (standard output and
 * error together, its first 4 KB). Exits 0 when it could say so, 2 on bad
 * usage or when it could not start the program at all (fork, pipe). Its
 * own waits are all bounded by SECONDS: a program whose children keep its
 * output open does not hold the probe past its own end. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { kKeepBytes = 4096 };

static double now_seconds(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

/* Milliseconds left until `deadline`, at least 0. */
static int left_ms(double deadline) {
  const double left = deadline - now_seconds();
  return left > 0 ? (int)(left * 1000) + 1 : 0;
}

int main(int argc, char** argv) {
  char* end = NULL;
  const double seconds = argc >= 3 ? strtod(argv[1], &end) : 0;
  if (argc < 3 || end == argv[1] || *end != '\0' || seconds <= 0) {
    fprintf(stderr, "usage: exec-probe SECONDS PROGRAM [ARG...]\n");
    return 2;
  }
  const double deadline = now_seconds() + seconds;
  int status_pipe[2], output_pipe[2];
  if (pipe2(status_pipe, O_CLOEXEC) != 0 ||
      pipe2(output_pipe, O_CLOEXEC) != 0) {
    perror("exec-probe: pipe");
    return 2;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    perror("exec-probe: fork");
    return 2;
  }
  if (pid == 0) {
    setpgid(0, 0);
    const int in = open("/dev/null", O_RDONLY);
    if (in >= 0) dup2(in, STDIN_FILENO);
    dup2(output_pipe[1], STDOUT_FILENO);
    dup2(output_pipe[1], STDERR_FILENO);
    execv(argv[2], argv + 2);
    /* Only reached when the kernel refused: its errno goes back. */
    const int error = errno;
    if (write(status_pipe[1], &error, sizeof error) < 0) _exit(127);
    _exit(127);
  }
  setpgid(pid, pid); /* as the child does, whichever runs first */
  close(status_pipe[1]);
  close(output_pipe[1]);

  /* The status pipe closes on a successful exec (close-on-exec) or brings
   * the errno of a failed one. */
  int error = 0;
  struct pollfd status = {status_pipe[0], POLLIN, 0};
  ssize_t got = 0;
  if (poll(&status, 1, left_ms(deadline)) > 0)
    got = read(status_pipe[0], &error, sizeof error);
  if (got == (ssize_t)sizeof error) {
    waitpid(pid, NULL, 0);
    printf("errno %s %s\n", strerrorname_np(error), strerror(error));
    return 0;
  }

  char kept[kKeepBytes];
  size_t kept_bytes = 0;
  int wait_status = 0, ended = 0;
  fcntl(output_pipe[0], F_SETFL, O_NONBLOCK);
  for (;;) {
    struct pollfd output = {output_pipe[0], POLLIN, 0};
    const int wait_ms = left_ms(deadline);
    poll(&output, 1, wait_ms < 50 ? wait_ms : 50);
    char buffer[4096];
    ssize_t n;
    while ((n = read(output_pipe[0], buffer, sizeof buffer)) > 0) {
      const size_t room = kKeepBytes - kept_bytes;
      const size_t take = (size_t)n < room ? (size_t)n : room;
      memcpy(kept + kept_bytes, buffer, take);
      kept_bytes += take;
    }
    if (ended) break; /* read once more after the end: the last output */
    ended = waitpid(pid, &wait_status, WNOHANG) == pid;
    if (!ended && left_ms(deadline) == 0) {
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      waitpid(pid, NULL, 0);
      printf("timeout %g\n", seconds);
      break;
    }
  }
  if (ended) {
    if (WIFEXITED(wait_status))
      printf("exit %d\n", WEXITSTATUS(wait_status));
    else
      printf("signal %d\n", WTERMSIG(wait_status));
  }
  fwrite(kept, 1, kept_bytes, stdout);
  return 0;
}
