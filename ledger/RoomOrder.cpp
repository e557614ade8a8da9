// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/RoomOrder.h"

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool roomBefore(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Compare the runs of digits by value: without leading zeros,
            // the longer run is the larger, else the first differing digit.
            qsizetype endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            qsizetype startA = i, startB = j;
            while (startA + 1 < endA && a[startA] == QLatin1Char('0'))
                ++startA;
            while (startB + 1 < endB && b[startB] == QLatin1Char('0'))
                ++startB;
            if (endA - startA != endB - startB)
                return endA - startA < endB - startB;
            for (qsizetype k = 0; k < endA - startA; ++k) {
                if (a[startA + k] != b[startB + k])
                    return a[startA + k] < b[startB + k];
            }
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}
