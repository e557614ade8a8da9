// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CommandLine.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

std::optional<int> readCommandLine(QCommandLineParser &parser, const QStringList &arguments)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));
    parser.addOption(help);
    if (!parser.parse(arguments)) {
        print(stderr, parser.errorText() + QLatin1Char('\n') + parser.helpText());
        return 2;
    }
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return 0;
    }
    return std::nullopt;
}
