// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>
#include <span>

struct RegionalFormats;

// The texts that the values of an Access table become in the register,
// which holds every value as text.

// A Jet 4 text or memo value: UTF-16 little-endian, or, when it starts with
// FF FE, "compressed": one byte per character, a zero byte switching between
// that and two bytes per character.
QString jetText(const unsigned char *bytes, qsizetype size);

// A Currency value, stored as a count of ten-thousandths, in the same form.
QString currencyText(qint64 tenThousandths);

// A Decimal value: a sign byte (0x80 negative), then 16 bytes of magnitude
// as four little-endian 32-bit words, the most significant first; the
// column keeps the scale. Empty when `bytes` is no Decimal.
std::optional<QString> decimalText(std::span<const unsigned char> bytes, int scale);

// The Decimal result of a calculated column, which carries its own scale:
// its length (2 bytes), scale, sign, then 4 to 16 bytes of magnitude in
// little-endian pieces, the most significant first: a 32-bit one when the
// length is not a multiple of 8, then 64-bit ones.
std::optional<QString> calculatedDecimalText(std::span<const unsigned char> bytes);

// A Date/Time Extended value (Access 2019): 42 bytes of text, the days
// since 1 January of the year 1 in 19 digits, a colon, the seconds of the
// day in 12 digits and their ten-millionths in 7, then ":7" and a zero byte.
// As a date of the register (dateTimeText()); the fraction of a second is
// not kept. Empty when `bytes` are no such value.
constexpr int extendedDateTimeSize = 42;
std::optional<QString> extendedDateTimeText(std::span<const unsigned char> bytes, const RegionalFormats &formats);

// A Replication ID (GUID) as {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: its
// first three groups are stored little-endian.
std::optional<QString> guidText(std::span<const unsigned char> bytes);

// The value inside the wrapping that Access 2010 and later store around
// every value of a calculated column: 16 bytes, the value's length (32
// bits), the value, 3 bytes. Empty when `bytes` is not so wrapped.
std::optional<std::span<const unsigned char>> unwrappedCalculatedValue(std::span<const unsigned char> bytes);
