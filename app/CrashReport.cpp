// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CrashReport.h"

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {

// Kept where the handler can reach them without allocating.
QByteArray crashLine;
QByteArray limitLine;
QByteArray unfinishedFile;
// A crash may come from a stack that has run out.
alignas(16) char handlerStack[64 * 1024];

void onCrash(int signal)
{
    // Only calls that are safe in a signal handler.
    const QByteArray &line = signal == SIGXCPU || signal == SIGABRT ? limitLine : crashLine;
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.constData(), size_t(line.size()));
    if (!unfinishedFile.isEmpty())
        ::unlink(unfinishedFile.constData());
    ::_exit(1);
}

} // namespace

void reportCrashesAs(const QByteArray &crash, const QByteArray &limit, const QByteArray &unfinishedPath)
{
    crashLine = crash;
    limitLine = limit;
    unfinishedFile = unfinishedPath;
    stack_t stack {};
    stack.ss_sp = handlerStack;
    stack.ss_size = sizeof handlerStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = onCrash;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGXCPU, SIGABRT})
        sigaction(signal, &action, nullptr);
}
