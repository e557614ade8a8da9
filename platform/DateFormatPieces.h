// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <vector>

// A Qt date or time format ("yyyy/M/d", "H:mm:ss", "d 'de' MMMM") in its
// pieces: each run of one format letter, and the literal text between them.
// Quoted text is literal, letters included; "''" is a quote.
struct DateFormatPiece {
    QChar letter;         // the repeated format letter; null for literal text
    qsizetype count = 0;  // how often the letter repeats
    QString literal;      // literal text, without its quotes
    QString unquoted;     // the part of the literal text that stood outside quotes
    QString source;       // the part of the format this piece came from

    bool isField() const { return !letter.isNull(); }
};

// The pieces of `format`, where the characters of `letters` are format
// letters and everything else is literal.
std::vector<DateFormatPiece> dateFormatPieces(const QString &format, const QString &letters);

// The format letters of Qt's date formats and time formats.
inline const QString dateFormatLetters = QStringLiteral("dMy");
inline const QString timeFormatLetters = QStringLiteral("hHmszaApt");
