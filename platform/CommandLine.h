// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <optional>

class QCommandLineParser;

// Reads a command-line program's `arguments` (the program's name first) with
// `parser`, whose options and description the program has set; -h and
// --help are added here. --help prints the usage on stdout: the program ends
// with 0. An unknown option, or one without its value, prints the reason and
// the usage on stderr: the program ends with 2. Otherwise nothing is
// returned and the program goes on with what `parser` read. "--" ends the
// options, for a file whose name starts with "-".
std::optional<int> readCommandLine(QCommandLineParser &parser, const QStringList &arguments);
