/* The yardstick for daylog's start-up cost: the same work (date stamp, two paths, two access tests,
   one posix_spawn of the viewer) as a plain C program, with no checks beyond what the work needs. */
#include <spawn.h>
#include <stdio.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

int main(int argc, char* argv[]) {
  if (argc < 3) return 0;
  char stamp[20], viewer[512], log[512];
  time_t now = time(NULL);
  struct tm local;
  localtime_r(&now, &local);
  snprintf(stamp, sizeof stamp, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  snprintf(viewer, sizeof viewer, "%s/bin/cmdtail.exe", argv[1]);
  snprintf(log, sizeof log, "%s/log/%s.%s", argv[1], argv[2], stamp);
  if (access(log, F_OK) != 0 || access(log, R_OK) != 0) return 0;
  char flag[] = "-f";
  char* args[] = {viewer, flag, log, NULL};
  pid_t pid;
  posix_spawn(&pid, viewer, NULL, NULL, args, environ);
  return 0;
}
