// SPDX-License-Identifier: GPL-3.0-or-later
// Converts the Access data.mdb in a program directory as the start-up
// question's Yes does, for the crash test that kills it part way.
//
//   crash_converter <program directory>
//
// Exits 0 once data.mdb is a register (also when it already was one).
#include "db/ADOConnection.h"
#include "db/AccessDatabaseFile.h"
#include "platform/RegionalFormats.h"
#include "ui/ConversionChild.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 2)
        return 2;
    const QString database = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("data.mdb"));
    if (accessDatabaseRefusal(database).isEmpty())
        return 0;
    setConversionChildProgram(QStringLiteral(LARKHAVEN_CONVERT_PATH));
    const ConversionResult result = convertInPlace(
        database, RegionalFormats::fromFormats(QStringLiteral("yyyy/M/d"), QStringLiteral("H:mm:ss")));
    if (!result.succeeded)
        std::fprintf(stderr, "%s\n", result.failure.toUtf8().constData());
    return result.succeeded ? 0 : 1;
}
