// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/JetProperties.h"

#include "access/JetValues.h"

#include <QList>
#include <QtEndian>

#include <cstring>

namespace {

using Bytes = std::span<const unsigned char>;

constexpr quint16 nameListBlock = 0x80;
constexpr size_t blockHeadSize = 6;   // length (32 bits), kind (16 bits)
constexpr size_t valueHeadSize = 8;   // length, DDL flag, type, name number, value size

// Reads little-endian numbers and lengths off a span; every read past its
// end fails.
class Reader {
public:
    explicit Reader(Bytes bytes)
        : m_bytes(bytes)
    {
    }
    bool atEnd() const { return m_at == m_bytes.size(); }
    size_t left() const { return m_bytes.size() - m_at; }
    std::optional<Bytes> take(size_t size)
    {
        if (size > left())
            return std::nullopt;
        const Bytes taken = m_bytes.subspan(m_at, size);
        m_at += size;
        return taken;
    }
    std::optional<quint16> u16()
    {
        const auto bytes = take(2);
        return bytes ? std::optional(qFromLittleEndian<quint16>(bytes->data())) : std::nullopt;
    }
    std::optional<quint32> u32()
    {
        const auto bytes = take(4);
        return bytes ? std::optional(qFromLittleEndian<quint32>(bytes->data())) : std::nullopt;
    }
    // A name: its length in bytes (16 bits), then its characters.
    std::optional<QString> name()
    {
        const auto size = u16();
        const auto bytes = size ? take(*size) : std::nullopt;
        return bytes ? std::optional(jetText(bytes->data(), qsizetype(bytes->size()))) : std::nullopt;
    }

private:
    Bytes m_bytes;
    size_t m_at = 0;
};

std::optional<QStringList> readNames(Reader block)
{
    QStringList names;
    while (!block.atEnd()) {
        const auto name = block.name();
        if (!name)
            return std::nullopt;
        names << *name;
    }
    return names;
}

// One object's values: the object's name in a part of its own (whose
// length counts its own four bytes), then the values.
bool readValues(Reader block, const QStringList &names, JetPropertyMaps *maps)
{
    QString object;
    if (!block.atEnd()) {
        const auto nameLength = block.u32();
        if (!nameLength || *nameLength < 4)
            return false;
        const auto namePart = block.take(*nameLength - 4);
        if (!namePart)
            return false;
        if (!namePart->empty()) {
            Reader name(*namePart);
            const auto text = name.name();
            if (!text)
                return false;
            object = *text;
        }
    }
    JetPropertyMap &map = (*maps)[object];
    while (!block.atEnd()) {
        const auto length = block.u16();
        if (!length || *length < valueHeadSize)
            return false;
        const auto entry = block.take(*length - 2);
        if (!entry)
            return false;
        Reader value(*entry);
        value.take(1);  // whether the property was set by a DDL statement
        const auto type = value.take(1);
        const auto nameNumber = value.u16();
        const auto size = value.u16();
        const auto bytes = size ? value.take(*size) : std::nullopt;
        if (!bytes || *nameNumber >= names.size())
            return false;
        map.insert(names[*nameNumber], {(*type)[0], QByteArray(reinterpret_cast<const char *>(bytes->data()),
                                                                qsizetype(bytes->size()))});
    }
    return true;
}

} // namespace

std::optional<JetPropertyMaps> readJetProperties(Bytes bytes)
{
    Reader reader(bytes);
    const auto format = reader.take(4);
    if (!format || (std::memcmp(format->data(), "MR2\0", 4) != 0 && std::memcmp(format->data(), "KKD\0", 4) != 0))
        return std::nullopt;
    JetPropertyMaps maps;
    std::optional<QStringList> names;
    while (!reader.atEnd()) {
        const auto length = reader.u32();
        const auto kind = reader.u16();
        // A block's length counts its own head; one shorter than that, or
        // running past the end, would be read again and again or past it.
        if (!length || !kind || *length < blockHeadSize)
            return std::nullopt;
        const auto block = reader.take(*length - blockHeadSize);
        if (!block)
            return std::nullopt;
        if (*kind == nameListBlock) {
            names = readNames(Reader(*block));
            if (!names)
                return std::nullopt;
        } else if (!names || !readValues(Reader(*block), *names, &maps)) {
            return std::nullopt;
        }
    }
    return maps;
}

std::optional<qint64> jetPropertyInteger(const JetProperty &property)
{
    const QByteArray &value = property.value;
    switch (value.size()) {
    case 1:
        return quint8(value[0]);
    case 2:
        return qFromLittleEndian<qint16>(value.constData());
    case 4:
        return qFromLittleEndian<qint32>(value.constData());
    default:
        return std::nullopt;
    }
}
