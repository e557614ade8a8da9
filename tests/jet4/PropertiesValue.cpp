// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/Jet4Writer.h"

#include "jet4/PageFormat.h"

namespace jet4 {

namespace {

using namespace detail;

constexpr quint16 nameListBlock = 0x80;
constexpr quint16 tableValuesBlock = 0x00;
constexpr quint16 columnValuesBlock = 0x01;
constexpr char byteType = 0x02;
constexpr char longType = 0x04;

// A name: its length in bytes, then UTF-16.
QByteArray name(const QString &text)
{
    QByteArray bytes;
    append16(bytes, quint16(2 * text.size()));
    return bytes + utf16le(text);
}

// A block: its length (its six-byte head included), its kind, its bytes.
QByteArray block(quint16 kind, const QByteArray &bytes)
{
    QByteArray head;
    append32(head, quint32(6 + bytes.size()));
    append16(head, kind);
    return head + bytes;
}

} // namespace

QByteArray propertiesValue(const QList<Properties> &properties)
{
    QStringList names;
    for (const Properties &object : properties) {
        for (const auto &[property, value] : object.values) {
            if (!names.contains(property))
                names << property;
        }
    }
    QByteArray nameList;
    for (const QString &property : names)
        nameList += name(property);
    QByteArray result = QByteArray("MR2", 4) + block(nameListBlock, nameList);

    for (const Properties &object : properties) {
        // The object's name (empty for the table) in a part whose length
        // counts its own four bytes.
        const QByteArray objectName = name(object.object);
        QByteArray values;
        append32(values, quint32(4 + objectName.size()));
        values += objectName;
        for (const auto &[property, value] : object.values) {
            const bool oneByte = value >= 0 && value <= 0xff;
            QByteArray data;
            if (oneByte)
                data += char(value);
            else
                append32(data, quint32(qint32(value)));
            append16(values, quint16(8 + data.size()));
            values += char(0);  // not set by a DDL statement
            values += oneByte ? byteType : longType;
            append16(values, quint16(names.indexOf(property)));
            append16(values, quint16(data.size()));
            values += data;
        }
        result += block(object.object.isEmpty() ? tableValuesBlock : columnValuesBlock, values);
    }
    return result;
}

} // namespace jet4
