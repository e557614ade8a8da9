// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CrashReport.h"

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {

// Kept where the handler can reach them without allocating.
QByteArray crashLine;
QByteArray unfinishedFile;
// A crash may come from a stack that has run out.
alignas(16) char handlerStack[64 * 1024];

void onCrash(int)
{
    // Only calls that are safe in a signal handler.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, crashLine.constData(), size_t(crashLine.size()));
    ::unlink(unfinishedFile.constData());
    ::_exit(1);
}

} // namespace

void reportCrashesAs(const QByteArray &line, const QByteArray &unfinishedPath)
{
    crashLine = line;
    unfinishedFile = unfinishedPath;
    stack_t stack {};
    stack.ss_sp = handlerStack;
    stack.ss_size = sizeof handlerStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = onCrash;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        sigaction(signal, &action, nullptr);
}
