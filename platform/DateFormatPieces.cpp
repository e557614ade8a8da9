// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DateFormatPieces.h"

std::vector<DateFormatPiece> dateFormatPieces(const QString &format, const QString &letters)
{
    std::vector<DateFormatPiece> pieces;
    // Literal text runs on into one piece until the next format letter.
    const auto literalPiece = [&]() -> DateFormatPiece & {
        if (pieces.empty() || pieces.back().isField())
            pieces.emplace_back();
        return pieces.back();
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            DateFormatPiece &piece = literalPiece();
            if (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('\'')) {
                piece.literal += c;
                piece.unquoted += c;
                piece.source += format.mid(i, 2);
                i += 2;
                continue;
            }
            qsizetype end = format.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                end = format.size();
            piece.literal += format.mid(i + 1, end - i - 1);
            piece.source += format.mid(i, end + 1 - i);
            i = end + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        if (letters.contains(c)) {
            pieces.push_back({c, run, {}, {}, format.mid(i, run)});
        } else {
            DateFormatPiece &piece = literalPiece();
            piece.literal += format.mid(i, run);
            piece.unquoted += format.mid(i, run);
            piece.source += format.mid(i, run);
        }
        i += run;
    }
    return pieces;
}
