// SPDX-License-Identifier: GPL-3.0-or-later
// Places an empty register at the path given, unless a file is already
// there. The build runs it so that a fresh build has a data.mdb beside the
// program; it never overwrites one.
#include "db/RegisterFile.h"
#include "platform/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Places an empty register at PATH unless a file is there."));
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("the register to make, e.g. build/data.mdb"));
    if (const std::optional<int> status = readCommandLine(parser, QCoreApplication::arguments()))
        return *status;
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return 2;
    }
    const QString path = parser.positionalArguments().at(0);
    if (QFileInfo::exists(path))
        return 0;
    QString error;
    if (!createEmptyRegister(path, &error)) {
        std::fprintf(stderr, "create_data_file: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
