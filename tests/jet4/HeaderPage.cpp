// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/HeaderPage.h"

#include "jet4/PageFormat.h"
#include "jet4/RowEncoder.h"

#include <array>
#include <numeric>

namespace jet4::detail {

namespace {

constexpr int versionOffset = 0x14;
constexpr int scrambledOffset = 0x18;
constexpr int scrambledLength = 128;
constexpr int sortOrderOffset = 0x6E;
constexpr int createdOffset = 0x72;
constexpr quint32 scrambleKey = 0x6B39DAC7;

// RC4 with a four-byte key; applying it twice restores the bytes.
void rc4(QByteArray &bytes, int offset, int length, quint32 key)
{
    std::array<quint8, 4> keyBytes;
    qToLittleEndian(key, keyBytes.data());
    std::array<quint8, 256> state;
    std::iota(state.begin(), state.end(), quint8(0));
    quint8 j = 0;
    for (int i = 0; i < 256; ++i) {
        j = quint8(j + state[i] + keyBytes[i % 4]);
        std::swap(state[i], state[j]);
    }
    quint8 x = 0;
    quint8 y = 0;
    for (int n = 0; n < length; ++n) {
        x = quint8(x + 1);
        y = quint8(y + state[x]);
        std::swap(state[x], state[y]);
        bytes[offset + n] = char(bytes[offset + n] ^ state[quint8(state[x] + state[y])]);
    }
}

} // namespace

QByteArray headerPage(Format format)
{
    QByteArray page(pageSize, '\0');
    page[0] = headerPageType;
    page[1] = 0x01;
    const QByteArray signature = format == Format::Ace12 ? "Standard ACE DB" : "Standard Jet DB";
    page.replace(4, signature.size(), signature);
    put32(page, versionOffset, format == Format::Ace12 ? 2 : 1);

    put32(page, sortOrderOffset, 0x0409);
    const double created = accessDateTime(QDateTime(QDate(2017, 12, 30), QTime(12, 0)));
    qToLittleEndian(created, page.data() + createdOffset);
    rc4(page, scrambledOffset, scrambledLength, scrambleKey);
    return page;
}

} // namespace jet4::detail
