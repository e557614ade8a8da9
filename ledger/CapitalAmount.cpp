// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/CapitalAmount.h"

namespace {

const QString digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
const QString places = QStringLiteral(" 拾佰仟");

QChar digit(qint64 value)
{
    return digits.at(int(value));
}

// 1 to 9999: a zero run inside becomes one 零, trailing zeros nothing.
QString groupText(qint64 value)
{
    QString text;
    bool zeroPending = false;
    for (int place = 3; place >= 0; --place) {
        qint64 power = 1;
        for (int i = 0; i < place; ++i)
            power *= 10;
        const qint64 d = value / power % 10;
        if (d == 0) {
            zeroPending = !text.isEmpty();
            continue;
        }
        if (zeroPending)
            text += QChar(u'零');
        zeroPending = false;
        text += digit(d);
        if (place > 0)
            text += places.at(place);
    }
    return text;
}

// A whole number of 元 above 0: 亿 and 万 split it, a gap below either
// gives one 零 ("壹亿零壹万", "壹万零壹拾").
QString integerText(qint64 value)
{
    constexpr qint64 yi = 100000000;
    constexpr qint64 wan = 10000;
    if (value >= yi) {
        const qint64 low = value % yi;
        QString text = integerText(value / yi) + QChar(u'亿');
        if (low == 0)
            return text;
        return text + (low < yi / 10 ? QStringLiteral("零") : QString()) + integerText(low);
    }
    if (value >= wan) {
        const qint64 low = value % wan;
        QString text = groupText(value / wan) + QChar(u'万');
        if (low == 0)
            return text;
        return text + (low < wan / 10 ? QStringLiteral("零") : QString()) + groupText(low);
    }
    return groupText(value);
}

} // namespace

QString capitalAmountText(Fen fen)
{
    if (fen < 0)  // the ledger's amounts stay far above the lowest qint64
        return QStringLiteral("负") + capitalAmountText(-fen);
    const qint64 yuan = fen / 100;
    const qint64 jiao = fen / 10 % 10;
    const qint64 cents = fen % 10;
    if (fen == 0)
        return QStringLiteral("零元整");
    QString text;
    if (yuan > 0)
        text = integerText(yuan) + QChar(u'元');
    if (jiao > 0) {
        // "壹拾元零伍角": the 元 place is empty.
        if (yuan > 0 && yuan % 10 == 0)
            text += QChar(u'零');
        text += digit(jiao) + QStringLiteral("角");
    } else if (cents > 0 && yuan > 0) {
        text += QChar(u'零');
    }
    if (cents > 0)
        text += digit(cents) + QStringLiteral("分");
    else
        text += QChar(u'整');
    return text;
}
