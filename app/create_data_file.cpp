// SPDX-License-Identifier: GPL-3.0-or-later
// Places an empty register at the path given, unless a file is already
// there. The build runs it so that a fresh build has a data.mdb beside the
// program; it never overwrites one.
#include "db/RegisterFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: create_data_file <path of data.mdb>\n");
        return 2;
    }
    const QString path = arguments.at(1);
    if (QFileInfo::exists(path))
        return 0;
    QString error;
    if (!createEmptyRegister(path, &error)) {
        std::fprintf(stderr, "create_data_file: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
