// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program with its output thrown away and prints its wall time in
// milliseconds, its peak resident memory in kilobytes and its exit status:
//
//   measure_child PROGRAM [ARGUMENTS...]   ->   "<ms> <kB> <status>"
//
// A child's peak counts the memory of the process it was forked from, so
// this launcher is kept free of Qt and small.
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

double now()
{
    timespec time {};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return double(time.tv_sec) * 1e3 + double(time.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    const char *usageText = "usage: measure_child PROGRAM [ARGUMENTS...]\n";
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (argc < 2 || argv[1][0] == '-') {
        std::fputs(usageText, stderr);
        return 2;
    }
    const double start = now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return 1;
    std::printf("%.3f %ld %d\n", now() - start, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : 128);
    return 0;
}
