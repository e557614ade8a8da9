// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/RowEncoder.h"

#include <QUuid>

#include <cstring>
#include <limits>

namespace jet4::detail {

namespace {

constexpr quint32 memoInlineFlag = 0x80000000;
constexpr quint32 memoOnePageFlag = 0x40000000;
constexpr qsizetype memoMaxBytes = 0xFFFFFF;  // the length has 24 bits
constexpr int memoHeaderSize = 12;

bool isInteger(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool isNumber(const QVariant &value)
{
    return isInteger(value) || value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

bool integerIn(const QVariant &value, qint64 low, qint64 high, qint64 *result)
{
    bool ok = false;
    *result = value.toLongLong(&ok);
    return isInteger(value) && ok && *result >= low && *result <= high;
}

// A Decimal text ("-1234.5") as a count of ten-to-the-`scale`ths.
std::optional<unsigned __int128> decimalMagnitude(const QVariant &value, int scale, bool *negative)
{
    QString text = value.toString();
    *negative = text.startsWith(QLatin1Char('-'));
    const QStringList parts = text.remove(QLatin1Char('-')).split(QLatin1Char('.'));
    const QString fraction = parts.value(1);
    if (value.typeId() != QMetaType::QString || parts.size() > 2 || fraction.size() > scale)
        return std::nullopt;
    unsigned __int128 magnitude = 0;
    for (const QChar digit : parts[0] + fraction.leftJustified(scale, QLatin1Char('0'))) {
        if (!digit.isDigit())
            return std::nullopt;
        magnitude = magnitude * 10 + unsigned(digit.digitValue());
    }
    return magnitude;
}

// The value's bytes in the fixed part of the row, or an error.
bool encodeFixed(const StoredColumn &column, const QVariant &value, char *at, QString *error)
{
    qint64 integer = 0;
    switch (column.kind) {
    case Kind::Integer:
        if (!integerIn(value, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max(), &integer))
            break;
        qToLittleEndian(qint16(integer), at);
        return true;
    case Kind::Long:
        if (!integerIn(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), &integer))
            break;
        qToLittleEndian(qint32(integer), at);
        return true;
    case Kind::Currency:
        if (!integerIn(value, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), &integer))
            break;
        qToLittleEndian(integer, at);
        return true;
    case Kind::Double:
        if (!isNumber(value))
            break;
        qToLittleEndian(value.toDouble(), at);
        return true;
    case Kind::DateTime:
        if (value.typeId() != QMetaType::QDateTime || !value.toDateTime().isValid())
            break;
        qToLittleEndian(accessDateTime(value.toDateTime()), at);
        return true;
    case Kind::ExtendedDateTime: {
        // Text: the days since 1 January of the year 1, the seconds of the
        // day and their ten-millionths, ":7" and a zero byte.
        if (value.typeId() != QMetaType::QDateTime || !value.toDateTime().isValid())
            break;
        const QDateTime dateTime = value.toDateTime();
        const qint64 milliseconds = dateTime.time().msecsSinceStartOfDay();
        const QByteArray text = QStringLiteral("%1:%2%3:7")
                                    .arg(QDate(1, 1, 1).daysTo(dateTime.date()), 19, 10, QLatin1Char('0'))
                                    .arg(milliseconds / 1000, 12, 10, QLatin1Char('0'))
                                    .arg(milliseconds % 1000 * 10000, 7, 10, QLatin1Char('0'))
                                    .toLatin1();
        std::memcpy(at, text.constData(), size_t(text.size()) + 1);
        return true;
    }
    case Kind::Guid: {
        // The first three groups little-endian, the last eight bytes as they are.
        if (value.typeId() != QMetaType::QUuid)
            break;
        const QUuid uuid = value.toUuid();
        qToLittleEndian(uuid.data1, at);
        qToLittleEndian(uuid.data2, at + 4);
        qToLittleEndian(uuid.data3, at + 6);
        std::memcpy(at + 8, uuid.data4, 8);
        return true;
    }
    case Kind::Decimal: {
        // A sign byte, then four little-endian 32-bit words, the most significant first.
        bool negative = false;
        const std::optional<unsigned __int128> magnitude = decimalMagnitude(value, column.scale, &negative);
        if (!magnitude)
            break;
        at[0] = char(negative ? 0x80 : 0);
        for (int word = 0; word < 4; ++word)
            qToLittleEndian(quint32(*magnitude >> (32 * (3 - word))), at + 1 + 4 * word);
        return true;
    }
    default:
        break;
    }
    *error = QStringLiteral("column %1: unexpected value %2").arg(column.name, value.toString());
    return false;
}

// A memo's field: a 12-byte header (length with flags, pointer to the
// long-value row) followed, for a short memo, by the characters themselves.
QByteArray encodeMemo(const QByteArray &characters, LongValueStore &longValues)
{
    const quint32 length = quint32(characters.size());
    QByteArray field;
    if (characters.size() <= 2 * memoInlineMaxChars) {
        append32(field, length | memoInlineFlag);
        append32(field, 0);
        append32(field, 0);
        field += characters;
    } else if (characters.size() <= 2 * memoSinglePageMaxChars) {
        append32(field, length | memoOnePageFlag);
        append32(field, longValues.storeInOnePage(characters));
        append32(field, 0);
    } else {
        append32(field, length);
        append32(field, longValues.storeChained(characters, 2 * memoCharsPerChainedPage));
        append32(field, 0);
    }
    return field;
}

// Access 2010 wraps each value of a calculated column: 16 bytes, the
// value's length, the value, 3 bytes.
QByteArray wrappedCalculated(const QByteArray &value)
{
    QByteArray wrapped(16, '\0');
    append32(wrapped, quint32(value.size()));
    return wrapped + value + QByteArray(3, '\0');
}

// The wrapped bytes of a calculated column's value: of its result's type,
// but a Yes/No as a byte of its own and a Decimal with its own length and
// scale, its magnitude in a 32-bit piece and a 64-bit one (12 bytes).
bool encodeCalculated(const StoredColumn &column, const QVariant &value, LongValueStore &longValues,
                      QByteArray *bytes, QString *error)
{
    QByteArray inner;
    if (column.kind == Kind::Text || column.kind == Kind::Memo) {
        inner = utf16le(value.toString());
    } else if (column.kind == Kind::Boolean) {
        inner = QByteArray(1, value.toBool() ? '\xff' : '\0');
    } else if (column.kind == Kind::Decimal) {
        bool negative = false;
        const std::optional<unsigned __int128> magnitude = decimalMagnitude(value, column.scale, &negative);
        if (!magnitude) {
            *error = QStringLiteral("column %1: unexpected value %2").arg(column.name, value.toString());
            return false;
        }
        append16(inner, 14);
        inner += char(column.scale);
        inner += char(negative ? 0x80 : 0);
        append32(inner, quint32(*magnitude >> 64));
        append64(inner, quint64(*magnitude));
    } else {
        inner = QByteArray(fixedLengthOf(column.kind), '\0');
        if (!encodeFixed(column, value, inner.data(), error))
            return false;
    }
    *bytes = wrappedCalculated(inner);
    if (column.kind == Kind::Memo)
        *bytes = encodeMemo(*bytes, longValues);
    return true;
}

bool encodeVariable(const StoredColumn &column, const QVariant &value, LongValueStore &longValues,
                    QByteArray *bytes, QString *error)
{
    // An OLE object's bytes are kept as a memo's are.
    if (column.kind == Kind::Ole && value.typeId() == QMetaType::QByteArray) {
        *bytes = encodeMemo(value.toByteArray(), longValues);
        return true;
    }
    if (value.typeId() != QMetaType::QString || column.kind == Kind::Ole) {
        *error = QStringLiteral("column %1: unexpected value %2").arg(column.name, value.toString());
        return false;
    }
    const QString text = value.toString();
    if (column.kind == Kind::Text) {
        if (text.size() > textMaxChars) {
            *error = QStringLiteral("column %1: %2 characters, a Text holds %3").arg(column.name).arg(text.size()).arg(textMaxChars);
            return false;
        }
        *bytes = utf16le(text);
        return true;
    }
    if (2 * text.size() > memoMaxBytes) {
        *error = QStringLiteral("column %1: memo of %2 characters is too long").arg(column.name).arg(text.size());
        return false;
    }
    *bytes = encodeMemo(utf16le(text), longValues);
    return true;
}

} // namespace

double accessDateTime(const QDateTime &dateTime)
{
    static const QDate dayZero(1899, 12, 30);
    const double days = double(dayZero.daysTo(dateTime.date()));
    const double timeOfDay = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    return days >= 0 ? days + timeOfDay : days - timeOfDay;
}

std::optional<QByteArray> encodeRow(const TableLayout &layout, const QVariantList &values,
                                    LongValueStore &longValues, QString *error)
{
    const qsizetype columnCount = layout.columns.size();
    if (values.size() != columnCount) {
        *error = QStringLiteral("%1 values for %2 columns").arg(values.size()).arg(columnCount);
        return std::nullopt;
    }
    QByteArray row(2 + layout.fixedSize, '\0');
    put16(row, 0, quint16(columnCount));
    QByteArray nullMask((columnCount + 7) / 8, '\0');
    QList<quint16> varOffsets;

    for (const StoredColumn &column : layout.columns) {
        const QVariant &value = values[column.number];
        bool present = !value.isNull();
        if (column.calculated && present) {
            // Its place in the null mask says whether there is a value.
            QByteArray bytes;
            varOffsets.append(quint16(row.size()));
            if (!encodeCalculated(column, value, longValues, &bytes, error))
                return std::nullopt;
            row += bytes;
        } else if (column.calculated) {
            varOffsets.append(quint16(row.size()));
        } else if (column.kind == Kind::Boolean) {
            if (present && value.typeId() != QMetaType::Bool) {
                *error = QStringLiteral("column %1: unexpected value %2").arg(column.name, value.toString());
                return std::nullopt;
            }
            present = present && value.toBool();
        } else if (column.fixed && present) {
            if (!encodeFixed(column, value, row.data() + 2 + column.fixedOffset, error))
                return std::nullopt;
        } else if (!column.fixed) {
            varOffsets.append(quint16(row.size()));
            if (present) {
                QByteArray bytes;
                if (!encodeVariable(column, value, longValues, &bytes, error))
                    return std::nullopt;
                row += bytes;
            }
        }
        if (present)
            nullMask[column.number / 8] = char(nullMask[column.number / 8] | (1 << (column.number % 8)));
    }

    if (layout.varCount > 0) {
        append16(row, quint16(row.size()));  // where the variable values end
        for (qsizetype i = varOffsets.size() - 1; i >= 0; --i)
            append16(row, varOffsets[i]);
        append16(row, quint16(layout.varCount));
    }
    row += nullMask;
    return row;
}

} // namespace jet4::detail
