// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Utf8Text.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstring>

QString fromUtf8(std::string_view utf8)
{
    if (utf8.substr(0, 3) != std::string_view("\xEF\xBB\xBF", 3))
        return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(utf8.data(), qsizetype(utf8.size())));
}

bool isUtf8(std::string_view text)
{
    const auto *at = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = at + text.size();
    while (at < end) {
        // Eight ASCII bytes at a time.
        if (end - at >= 8) {
            std::uint64_t eight;
            std::memcpy(&eight, at, 8);
            if ((eight & 0x8080808080808080ULL) == 0) {
                at += 8;
                continue;
            }
        }
        const unsigned char lead = *at;
        if (lead < 0x80) {
            ++at;
            continue;
        }
        int more;
        unsigned lowest;  // the second byte's range, for overlongs and surrogates
        unsigned highest = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            lowest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            lowest = lead == 0xE0 ? 0xA0 : 0x80;
            highest = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            lowest = lead == 0xF0 ? 0x90 : 0x80;
            highest = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - at <= more || at[1] < lowest || at[1] > highest)
            return false;
        for (int i = 2; i <= more; ++i) {
            if ((at[i] & 0xC0) != 0x80)
                return false;
        }
        at += more + 1;
    }
    return true;
}
