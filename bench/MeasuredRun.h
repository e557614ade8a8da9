// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A program run through measure_child, which keeps its own memory out of the
// child's peak; for the benchmarks that time larkhaven-convert and its peers.
// The including target defines MEASURE_CHILD_PATH.

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>

struct MeasuredRun {
    double milliseconds = 0;
    double peakMegabytes = 0;
    bool succeeded = false;
};

// Runs `arguments` (the program, then its arguments) under measure_child.
inline MeasuredRun measured(const QStringList &arguments)
{
    QProcess launcher;
    launcher.start(QStringLiteral(MEASURE_CHILD_PATH), arguments);
    MeasuredRun run;
    if (!launcher.waitForFinished(-1))
        return run;
    const QStringList figures = QString::fromLatin1(launcher.readAllStandardOutput()).split(' ');
    if (figures.size() != 3)
        return run;
    run.milliseconds = figures[0].toDouble();
    run.peakMegabytes = figures[1].toDouble() / 1024.0;
    run.succeeded = figures[2].trimmed() == QStringLiteral("0");
    return run;
}

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2.0;
}
