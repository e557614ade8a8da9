// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramDirectory.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overriddenDirectory()
{
    static QString directory;
    return directory;
}

QString withSeparator(const QString &directory)
{
    return directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/');
}
} // namespace

QString programDirectory()
{
    if (!overriddenDirectory().isEmpty())
        return overriddenDirectory();
    return withSeparator(QCoreApplication::applicationDirPath());
}

void setProgramDirectory(const QString &directory)
{
    overriddenDirectory() = directory.isEmpty() ? QString() : withSeparator(QDir(directory).absolutePath());
}

QString databasePath()
{
    return programDirectory() + QStringLiteral("data.mdb");
}
